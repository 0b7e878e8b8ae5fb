#include "TreeView.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QTreeWidget>

using namespace Gui;

TreeDockWidget::TreeDockWidget(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), tree(new QTreeWidget(this))
{
    setWindowTitle(tr("Project Explorer"));
    tree->setColumnCount(1);
    tree->header()->hide();
    tree->setRootIsDecorated(false);
    tree->setIndentation(22);
    auto* root = new QTreeWidgetItem(tree, 0);
    root->setText(0, tr("Solution"));
    root->setFlags(Qt::ItemIsEnabled);
    root->setExpanded(true);
    auto* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree, 0, 0);
}

TreeDockWidget::~TreeDockWidget() = default;
