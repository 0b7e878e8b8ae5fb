#include "MDIWindow.h"

#include "mainwindow/MainWindow.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::MDIWindow, Gui::BaseView)

MDIWindow::MDIWindow(GuiProject* p, QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), BaseView(p)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

MDIWindow::~MDIWindow() = default;

bool MDIWindow::message_handler(const char*, const char**)
{
    return false;
}

bool MDIWindow::has_message_handler(const char*)
{
    return false;
}

void MDIWindow::setCurrentViewMode(int mode)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (mode == 0 && mw && isWindow() && !mw->hasWindow(this))
        mw->addWindow(this);
}

void MDIWindow::windowStateChanged(Gui::MDIWindow*)
{
}
