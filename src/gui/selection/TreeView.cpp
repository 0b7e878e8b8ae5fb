#include "TreeView.h"

#include "selection/TreeWidget.h"

#include <QGridLayout>

using namespace Gui;

TreeDockWidget::TreeDockWidget(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), tree(new TreeWidget(this))
{
    setWindowTitle(tr("Project Explorer"));
    tree->setRootIsDecorated(false);
    tree->setIndentation(22);
    auto* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree, 0, 0);
}

TreeDockWidget::~TreeDockWidget() = default;
