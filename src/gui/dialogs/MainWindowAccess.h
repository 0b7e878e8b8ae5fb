#pragma once
// How the dialogs reach the main window: Gui::MainWindow::get_main_window_inst(), or a
// window that a test stands in for it.  Its slots are invoked by name, so the stand-in
// only needs slots of the same names.  GUI thread only.

#include <PelmoraGuiExport.h>

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace Gui {
namespace DialogsDetail {

// The main window, or null when there is none.
PELMORAGUI_EXPORT QWidget* mainWindow();
// Tests stand a window of their own in for the main window; null restores the lookup.
PELMORAGUI_EXPORT void setMainWindowStandIn(QWidget* window);

} // namespace DialogsDetail
} // namespace Gui
