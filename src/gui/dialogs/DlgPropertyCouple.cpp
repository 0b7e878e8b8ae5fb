#include "DlgPropertyCouple.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>

namespace Gui {
namespace Dlg {

DlgPropertyCouple::DlgPropertyCouple(const QStringList& l, QWidget* parent, Qt::WindowFlags fl)
    : QDialog(parent, fl)
    , link(l)
    , listWidget(new QListWidget(this))
    , checkObjectType(new QCheckBox(this))
    , buttonBox(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("Gui__Dlg__DlgPropertyCouple"));
    resize(257, 428);
    setWindowTitle(tr("Link"));
    listWidget->setObjectName(QStringLiteral("listWidget"));
    checkObjectType->setObjectName(QStringLiteral("checkObjectType"));
    checkObjectType->setText(tr("Show all object types"));
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listWidget);
    layout->addWidget(checkObjectType);
    layout->addWidget(buttonBox);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &DlgPropertyCouple::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(listWidget, &QListWidget::itemDoubleClicked, this, &DlgPropertyCouple::accept);
    QMetaObject::connectSlotsByName(this);
    fillList(false);
}

DlgPropertyCouple::~DlgPropertyCouple() = default;

void DlgPropertyCouple::fillList(bool allTypes)
{
    const Obj::Project* project = (Obj::Application::_pcSingleton && !link.isEmpty())
        ? Obj::Application::instance().get_project(link.at(0).toUtf8().constData())
        : nullptr;
    if (!project)
        return;
    bool numeric = false;
    const unsigned int linkedId = link.value(1).toUInt(&numeric);
    const Obj::ProjectObject* linked = numeric ? project->get_object(linkedId) : nullptr;
    // The owner (entry 3) cannot link to itself.
    const QString owner = link.value(3);
    for (const Obj::ProjectObject* o : project->get_objects()) {
        const QString id = QString::number(o->getObjectId());
        if (id == owner)
            continue;
        if (!allTypes && linked && !(o->getTypeId() == linked->getTypeId()))
            continue;
        auto* item = new QListWidgetItem(QString::fromUtf8(o->get_label()), listWidget);
        item->setData(Qt::UserRole, id);
        if (id == link.value(1))
            listWidget->setCurrentItem(item);
    }
}

void DlgPropertyCouple::on_checkObjectType_toggled(bool on)
{
    listWidget->clear();
    fillList(on);
}

void DlgPropertyCouple::accept()
{
    if (listWidget->selectedItems().isEmpty()) {
        QMessageBox::warning(this, tr("No selection"), tr("Please select an object from the list"), QMessageBox::Ok);
        return;
    }
    QDialog::accept();
}

QStringList DlgPropertyCouple::getPropertyLink() const
{
    QStringList result = link;
    const QList<QListWidgetItem*> selected = listWidget->selectedItems();
    if (selected.isEmpty() || result.size() < 3)
        return result;
    result[1] = selected.first()->data(Qt::UserRole).toString();
    result[2] = selected.first()->text();
    return result;
}

} // namespace Dlg
} // namespace Gui
