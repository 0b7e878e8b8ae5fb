#include "MainWindowAccess.h"

#include "mainwindow/MainWindow.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget>& standIn()
{
    static QPointer<QWidget> w;
    return w;
}
} // namespace

QWidget* Gui::DialogsDetail::mainWindow()
{
    if (standIn())
        return standIn();
    return Gui::MainWindow::get_main_window_inst();
}

void Gui::DialogsDetail::setMainWindowStandIn(QWidget* window)
{
    standIn() = window;
}
