#include "Screenshot.h"

#include <vexil/AtomicSave.h>
#include <vexil/PrintableText.h>
#include <ctk/ctkVTKAbstractView.h>

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace Host {

namespace {

constexpr int GiveUpMs = 60000;
std::string target;
bool taken = false;
bool failureSaid = false;

// The main window once it runs its event loop, is on screen and has opened the files of
// the command line.
QWidget* readyMainWindow()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        if (w->property("eventLoop").toBool() && w->property("startupFilesOpened").toBool() && w->isVisible()
            && w->windowHandle() && w->windowHandle()->isExposed())
            return w;
    return nullptr;
}

// Waits for the events that can make the picture ready (a window exposed, a property set,
// a frame rendered) and checks once after each burst of them; nothing runs in between.
class Watcher : public QObject
{
public:
    Watcher()
        : QObject(qApp)
    {
        qApp->installEventFilter(this);
        // A window whose 3D views never drew is still pictured; no window, no picture.
        QTimer::singleShot(GiveUpMs, this, [this] { finish(readyMainWindow()); });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Expose || type == QEvent::DynamicPropertyChange || type == QEvent::Show)
            checkLater();
        return false;
    }

private:
    void checkLater()
    {
        if (checkQueued || done)
            return;
        checkQueued = true;
        QMetaObject::invokeMethod(this, [this] { check(); }, Qt::QueuedConnection);
    }

    void check()
    {
        checkQueued = false;
        QWidget* window = readyMainWindow();
        if (!window)
            return;
        bool rendered = true;
        for (ctkVTKAbstractView* view : window->findChildren<ctkVTKAbstractView*>()) {
            if (!view->isVisible() || view->renderCount() > 0)
                continue;
            rendered = false;
            connect(view, &ctkVTKAbstractView::rendered, this, &Watcher::checkLater, Qt::UniqueConnection);
        }
        if (rendered)
            finish(window);
    }

    void finish(QWidget* window)
    {
        if (done)
            return;
        done = true;
        qApp->removeEventFilter(this);
        if (window) {
            // Saved whole or not at all: a failed write leaves no empty or partial PNG.
            QByteArray png;
            QBuffer buffer(&png);
            std::string error;
            taken = buffer.open(QIODevice::WriteOnly) && window->grab().save(&buffer, "PNG")
                    && Vexil::saveFileAtomically(target, std::string_view(png.constData(), static_cast<size_t>(png.size())), error);
            failureSaid = !taken;
            if (!taken)
                std::fprintf(stderr, "pelmora: cannot write %s%s%s\n", Vexil::printableText(target).c_str(), error.empty() ? "" : ": ",
                             error.c_str());
        } else {
            failureSaid = true;
            std::fprintf(stderr, "pelmora: the main window did not appear\n");
        }
        QCoreApplication::quit();
    }

    bool checkQueued = false;
    bool done = false;
};

void startWatching()
{
    if (!target.empty())
        new Watcher;
}

} // namespace

void requestScreenshot(const std::string& file)
{
    target = file;
    qAddPreRoutine(startWatching);
}

bool screenshotTaken()
{
    return taken;
}

bool screenshotFailureSaid()
{
    return failureSaid;
}

} // namespace Host
