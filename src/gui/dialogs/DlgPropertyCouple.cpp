#include "DlgPropertyCouple.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace Gui {
namespace Dlg {

DlgPropertyCouple::DlgPropertyCouple(const QStringList& l, QWidget* parent, Qt::WindowFlags fl)
    : QDialog(parent, fl)
    , link(l)
    , list(new QListWidget(this))
{
    setWindowTitle(tr("Link"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    const Obj::Project* project = (Obj::Application::_pcSingleton && !link.isEmpty())
        ? Obj::Application::instance().get_project(link.at(0).toUtf8().constData())
        : nullptr;
    if (!project)
        return;
    // The owner (entry 3) cannot link to itself.
    const QString owner = link.value(3);
    for (const Obj::ProjectObject* o : project->get_objects()) {
        const QString id = QString::number(o->getObjectId());
        if (id == owner)
            continue;
        auto* item = new QListWidgetItem(QString::fromUtf8(o->get_label()), list);
        item->setData(Qt::UserRole, id);
        if (id == link.value(1))
            list->setCurrentItem(item);
    }
}

DlgPropertyCouple::~DlgPropertyCouple() = default;

QStringList DlgPropertyCouple::propertyLink() const
{
    QStringList result = link;
    const QListWidgetItem* item = list->currentItem();
    if (!item || result.size() < 3)
        return result;
    result[1] = item->data(Qt::UserRole).toString();
    result[2] = item->text();
    return result;
}

} // namespace Dlg
} // namespace Gui
