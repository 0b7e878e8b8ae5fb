#include "WindowShownQuit.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace StartupBench {

namespace {

std::function<bool(QWidget*)> accepts;

void poll()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops) {
        if (accepts(w) && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed()) {
            QCoreApplication::quit();
            return;
        }
    }
    QTimer::singleShot(1, poll);
}

void start()
{
    QTimer::singleShot(0, poll);
}

} // namespace

void quitWhenShown(std::function<bool(QWidget*)> isMain)
{
    accepts = std::move(isMain);
    qAddPreRoutine(start);
}

} // namespace StartupBench
