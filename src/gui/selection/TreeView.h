#pragma once
// The "Project Explorer" dock panel: the project tree and nothing else.

#include "mainwindow/DockingWindowMediator.h"

namespace Gui {

class TreeWidget;

class PELMORAGUI_EXPORT TreeDockWidget : public DockingWindow
{
    Q_OBJECT
public:
    TreeDockWidget(GuiProject* project, QWidget* parent);
    ~TreeDockWidget() override;
    TreeWidget* treeWidget() const { return tree; }

private:
    TreeWidget* tree;
};

} // namespace Gui
