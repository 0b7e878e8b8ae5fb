#pragma once
// The two selection list dock panels.  Empty lists for now: they do not observe their
// selection singletons yet.

#include "mainwindow/DockingWindowMediator.h"

class QListWidget;

namespace Gui {
namespace DockWindow {

class PELMORAGUI_EXPORT SelectionView : public DockingWindow
{
    Q_OBJECT
public:
    SelectionView(GuiProject* project, QWidget* parent);
    ~SelectionView() override;
    QListWidget* list() const { return rows; }

protected:
    QListWidget* rows;
};

class PELMORAGUI_EXPORT SelectionView3 : public SelectionView
{
    Q_OBJECT
public:
    SelectionView3(GuiProject* project, QWidget* parent);
    ~SelectionView3() override;
};

} // namespace DockWindow
} // namespace Gui
