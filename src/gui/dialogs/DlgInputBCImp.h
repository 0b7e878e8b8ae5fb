#pragma once
// The dialog of a boundary-condition value of three components: for X, Y and Z whether
// it is given and its number, with the unit.  A row that is given but holds no number
// keeps the dialog open and the property unchanged.  Also the home of `readTypedNumber`,
// the reading of a number typed into a dialog.

#include "PelmoraGuiExport.h"

#include <QDialog>
#include <QString>

#include <memory>

QT_BEGIN_NAMESPACE
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
QT_END_NAMESPACE

namespace Obj { class PropertyInputBC; }

namespace Gui {
namespace Dlg {

class PELMORAGUI_EXPORT DlgInputBCImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgInputBCImp(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~DlgInputBCImp() override;
    // When the property's object or project goes away while the dialog is open, the
    // dialog lets go of the property and closes without writing.
    void setPropertyInputBC(Obj::PropertyInputBC* property);
    Obj::PropertyInputBC* propertyInputBC() const { return property; }
    void accept() override;

    QLabel* nameLabel(int row) const { return names[row]; }
    QCheckBox* checkBox(int row) const { return checks[row]; }
    QLineEdit* lineEdit(int row) const { return edits[row]; }
    QLabel* unitLabel(int row) const { return units[row]; }
    QDialogButtonBox* buttonBox() const { return buttons; }

private:
    QLabel* names[3];
    QCheckBox* checks[3];
    QLineEdit* edits[3];
    QLabel* units[3];
    QDialogButtonBox* buttons;
    Obj::PropertyInputBC* property = nullptr;
    struct OwnerWatch;
    std::unique_ptr<OwnerWatch> watch;
};

} // namespace Dlg

// A number typed in the user's locale, read as the property editor reads one; false for
// anything else, with the reason in `why` when given.
PELMORAGUI_EXPORT bool readTypedNumber(const QString& text, double& out, QString* why = nullptr);

} // namespace Gui
