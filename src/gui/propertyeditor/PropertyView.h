#pragma once
// The "Properties" dock panel.  For now an empty panel: it does not follow the
// selection yet.

#include "mainwindow/DockingWindowMediator.h"

namespace Gui {
namespace DockWindow {

class PELMORAGUI_EXPORT PropertyDockingView : public DockingWindow
{
    Q_OBJECT
public:
    PropertyDockingView(GuiProject* project, QWidget* parent);
    ~PropertyDockingView() override;
};

} // namespace DockWindow
} // namespace Gui
