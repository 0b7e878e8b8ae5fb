#pragma once
// How the dialogs reach the main window without depending on its header: it is the
// top-level widget of class "Gui::MainWindow", and its slots are invoked by name.
// GUI thread only.

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
