#include "MainWindowAccess.h"

#include <QApplication>
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
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets) {
        if (w->inherits("Gui::MainWindow"))
            return w;
    }
    return nullptr;
}

void Gui::DialogsDetail::setMainWindowStandIn(QWidget* window)
{
    standIn() = window;
}
