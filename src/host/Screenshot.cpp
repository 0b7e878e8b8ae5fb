#include "Screenshot.h"

#include <vexil/AtomicSave.h>

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QPixmap>
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
                // Saved whole or not at all: a failed write leaves no empty or partial PNG.
                QByteArray png;
                QBuffer buffer(&png);
                std::string error;
                taken = buffer.open(QIODevice::WriteOnly) && w->grab().save(&buffer, "PNG")
                        && Vexil::saveFileAtomically(target, std::string_view(png.constData(), static_cast<size_t>(png.size())), error);
                if (!taken)
                    std::fprintf(stderr, "pelmora: cannot write %s%s%s\n", target.c_str(), error.empty() ? "" : ": ",
                                 error.c_str());
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
