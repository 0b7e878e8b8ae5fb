#pragma once
// The overview of the unit systems: each system with the unit it gives length, mass,
// force, pressure and time.  The current system is shown expanded and selected.

#include "PelmoraGuiExport.h"

#include <QDialog>

QT_BEGIN_NAMESPACE
class QTreeWidget;
QT_END_NAMESPACE

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT DlgUnitSystemsImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgUnitSystemsImp(QWidget* parent = nullptr);
    QTreeWidget* tree() const { return list; }

private:
    QTreeWidget* list;
};

} // namespace Dialog
} // namespace Gui
