#include "PropertyView.h"

using namespace Gui::DockWindow;

PropertyDockingView::PropertyDockingView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent)
{
    setWindowTitle(tr("Properties"));
    resize(200, 400);
}

PropertyDockingView::~PropertyDockingView() = default;
