#include "GraphDockingView.h"

#include <QGridLayout>

using namespace Gui::DockWindow;

GraphDockingView::GraphDockingView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), chart(new QWidget(this))
{
    setWindowTitle(tr("Chart"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart, 0, 0);
}

GraphDockingView::~GraphDockingView() = default;

TableDockingView::TableDockingView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent)
{
    setWindowTitle(tr("Tabular Data"));
}

TableDockingView::~TableDockingView() = default;
