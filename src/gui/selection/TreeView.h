#pragma once
// The "Project Explorer" dock panel.  For now it shows the root item only.

#include "mainwindow/DockingWindowMediator.h"

class QTreeWidget;

namespace Gui {

class PELMORAGUI_EXPORT TreeDockWidget : public DockingWindow
{
    Q_OBJECT
public:
    TreeDockWidget(GuiProject* project, QWidget* parent);
    ~TreeDockWidget() override;
    QTreeWidget* treeWidget() const { return tree; }

private:
    QTreeWidget* tree;
};

} // namespace Gui
