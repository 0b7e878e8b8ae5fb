#include "SelectionView.h"

#include <QListWidget>
#include <QVBoxLayout>

using namespace Gui::DockWindow;

SelectionView::SelectionView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), rows(new QListWidget(this))
{
    setWindowTitle(tr("Selection View"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rows);
}

SelectionView::~SelectionView() = default;

SelectionView3::SelectionView3(GuiProject* project, QWidget* parent)
    : SelectionView(project, parent)
{
}

SelectionView3::~SelectionView3() = default;
