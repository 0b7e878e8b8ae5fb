#include "Screenshot.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace Host {

namespace {
std::string target;
bool taken = false;
int waitedMs = 0;
constexpr int PollMs = 200;
constexpr int SettleMs = 1500;   // lets the splash go and the first frames render
constexpr int GiveUpMs = 60000;

QWidget* runningMainWindow()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        if (w->property("eventLoop").toBool() && w->isVisible())
            return w;
    return nullptr;
}

void poll()
{
    waitedMs += PollMs;
    QWidget* window = runningMainWindow();
    if (!window && waitedMs < GiveUpMs) {
        QTimer::singleShot(PollMs, poll);
        return;
    }
    if (window) {
        QTimer::singleShot(SettleMs, [] {
            if (QWidget* w = runningMainWindow()) {
                // Through a temporary file: a failed write leaves no empty or partial PNG.
                QSaveFile file(QFile::decodeName(target.c_str()));
                taken = file.open(QIODevice::WriteOnly) && w->grab().save(&file, "PNG") && file.commit();
                if (!taken)
                    std::fprintf(stderr, "pelmora: cannot write %s\n", target.c_str());
            }
            QCoreApplication::quit();
        });
        return;
    }
    std::fprintf(stderr, "pelmora: the main window did not appear\n");
    QCoreApplication::quit();
}

void startPolling()
{
    if (!target.empty())
        QTimer::singleShot(PollMs, poll);
}
} // namespace

void requestScreenshot(const std::string& file)
{
    target = file;
    qAddPreRoutine(startPolling);
}

bool screenshotTaken()
{
    return taken;
}

} // namespace Host
