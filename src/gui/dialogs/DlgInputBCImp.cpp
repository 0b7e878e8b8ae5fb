#include "DlgInputBCImp.h"
#include "core/PrintableText.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyQuantity.h>
#include <pmunit/Units.h>
#include <vexil/Exception.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

#include <boost/signals2/connection.hpp>

#include <cmath>

namespace {

const char redEdit[] = "QLineEdit { background: rgb(255, 0, 0); }";

} // namespace

bool Gui::readTypedNumber(const QString& text, double& out, QString* why)
{
    // Read as the property editor reads an amount: in the user's locale, a sign that could
    // mean another number (a group sign out of place) refused with the reason, never
    // guessed in another locale.
    try {
        const pmUnit::Quantity q = pmUnit::Quantity::parse(text, QLocale());
        if (q.getUnitType() != pmUnit::NoUnit) {
            if (why)
                *why = QCoreApplication::translate("Gui::readTypedNumber", "\"%1\" names a unit: type the number alone, "
                                                   "in the unit shown").arg(text);
            return false;
        }
        if (!std::isfinite(q.getValue())) {
            if (why)
                *why = QCoreApplication::translate("Gui::readTypedNumber", "\"%1\" is not a finite number").arg(text);
            return false;
        }
        out = q.getValue();
        return true;
    }
    catch (const Vexil::ExceptionHandler& e) {
        if (why)
            *why = QString::fromStdString(e.get_message());
        return false;
    }
}

namespace Gui {
namespace Dlg {

struct DlgInputBCImp::OwnerWatch
{
    boost::signals2::scoped_connection objectGone;
    boost::signals2::scoped_connection projectGone;
};

DlgInputBCImp::DlgInputBCImp(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this))
{
    setObjectName(QStringLiteral("Gui__Dlg__DlgInputBC"));
    resize(334, 185);
    auto* box = new QVBoxLayout(this);
    for (int i = 0; i < 3; ++i) {
        auto* row = new QHBoxLayout;
        const QString n = QString::number(i + 1);
        names[i] = new QLabel(QStringLiteral("Name") + n, this);
        names[i]->setObjectName(QStringLiteral("labelName") + n);
        checks[i] = new QCheckBox(this);
        checks[i]->setObjectName(QStringLiteral("checkBox") + n);
        edits[i] = new QLineEdit(this);
        edits[i]->setObjectName(QStringLiteral("lineEdit") + n);
        units[i] = new QLabel(QStringLiteral("U") + n, this);
        units[i]->setObjectName(QStringLiteral("labelUnit") + n);
        row->addWidget(names[i]);
        row->addWidget(checks[i]);
        row->addWidget(edits[i]);
        row->addWidget(units[i]);
        box->addLayout(row);
    }
    buttons->setObjectName(QStringLiteral("buttonBox"));
    box->addWidget(buttons);
    connect(buttons, SIGNAL(accepted()), this, SLOT(accept()));
    connect(buttons, SIGNAL(rejected()), this, SLOT(reject()));
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(tr("Boundary Condition Values"));
}

DlgInputBCImp::~DlgInputBCImp() = default;

void DlgInputBCImp::setPropertyInputBC(Obj::PropertyInputBC* p)
{
    property = p;
    watch.reset();
    const auto* object = p ? dynamic_cast<const Obj::ProjectObject*>(p->get_container()) : nullptr;
    const Obj::Project* project = object ? object->get_project()
                                         : (p ? dynamic_cast<const Obj::Project*>(p->get_container()) : nullptr);
    if (Obj::Application* logic = Obj::Application::_pcSingleton; logic && (object || project)) {
        watch = std::make_unique<OwnerWatch>();
        auto letGo = [this]() {
            property = nullptr;
            reject();
        };
        if (object) {
            watch->objectGone = logic->signal_object_removed.connect([object, letGo](const Obj::ProjectObject& o) {
                if (&o == object)
                    letGo();
            });
        }
        watch->projectGone = logic->signal_remove_project.connect([project, letGo](const Obj::Project& gone) {
            if (&gone == project)
                letGo();
        });
    }
    names[0]->setText(QStringLiteral("X"));
    names[1]->setText(QStringLiteral("Y"));
    names[2]->setText(QStringLiteral("Z"));
    if (!p)
        return;
    bool given[3];
    double values[3];
    p->getBCValues(given, values);
    const QString unit = pmUnit::UnitsManager::getUnitSymbol(p->getUnitType());
    for (int i = 0; i < 3; ++i) {
        checks[i]->setChecked(given[i]);
        edits[i]->setText(QLocale().toString(values[i], 'g', 15));
        units[i]->setText(unit);
    }
}

void DlgInputBCImp::accept()
{
    if (!property) {
        QDialog::accept();
        return;
    }
    bool given[3];
    double values[3];
    property->getBCValues(given, values);
    for (int i = 0; i < 3; ++i) {
        given[i] = checks[i]->isChecked();
        // A free component holds no number of the user's: what is typed there is not
        // taken (a file could not keep it).
        if (!given[i])
            continue;
        double typed = 0.0;
        QString why;
        // A number left as shown keeps the very number held (and the amount it was given
        // as), not the number its 15 digits read back as.
        if (edits[i]->text() == QLocale().toString(values[i], 'g', 15))
            continue;
        if (readTypedNumber(edits[i]->text(), typed, &why)) {
            values[i] = typed;
        } else {
            // A typo must not turn into a zero load: nothing is written.
            edits[i]->setStyleSheet(QString::fromLatin1(redEdit));
            plainMessageBox(this, QMessageBox::Warning, tr("Boundary Condition Values"),
                            why.isEmpty() ? tr("\"%1\" is not a number.").arg(printableName(edits[i]->text()))
                                          : printableName(why));
            return;
        }
    }
    property->setBCValues(given, values);
    QDialog::accept();
}

} // namespace Dlg

} // namespace Gui
