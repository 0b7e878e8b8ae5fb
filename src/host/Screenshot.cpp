#include "Screenshot.h"

#include <core/qPelmoraApplication.h>

#include <vexil/AtomicSave.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>
#include <ctk/ctkVTKAbstractView.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkNew.h>
#include <vtkWeakPointer.h>

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
#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace Host {

namespace {

int giveUpMs = 60000;
std::string target;
bool taken = false;
bool failureSaid = false;

// The first error said on the console while a 3D view was drawing (a filter short of
// memory, an exception that left a frame unfinished): the picture would not show what
// the view should.
class DrawingErrors : public Vexil::MsgConsoleObserver
{
public:
    void Error(const char* text) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (drawing > 0 && first.empty() && text) {
            first = text;
            if (onFirst)
                onFirst();
        }
    }
    std::string firstError()
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::string reason = first;
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
            reason.pop_back();
        // An exception's report names where it was caught: its message is the reason.
        const std::string said = "The error message is: ";
        const size_t at = reason.find(said);
        return at == std::string::npos ? reason : reason.substr(at + said.size());
    }
    std::atomic<int> drawing{0};   // views between the start and the end of a frame
    std::function<void()> onFirst;

private:
    std::mutex mutex;
    std::string first;
};
DrawingErrors* drawingErrors = nullptr;

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
        // A window whose 3D views never drew, or no window: no picture.
        if (giveUpMs > 0)
            QTimer::singleShot(giveUpMs, this, [this] { finish(readyMainWindow()); });
    }

    ~Watcher() override
    {
        for (vtkRenderWindow* window : watchedWindows)
            if (window)
                window->RemoveObserver(frameCommand);
        if (drawingErrors)
            Vexil::MsgConsoleSingleton::Instance().disconnect_observer(drawingErrors);
        delete drawingErrors;
        drawingErrors = nullptr;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        // A view draws only once shown: watched from then on, its first frame included.
        if (type == QEvent::Show)
            if (auto* view = qobject_cast<ctkVTKAbstractView*>(object))
                watchFrames(view);
        if (type == QEvent::Expose || type == QEvent::DynamicPropertyChange || type == QEvent::Show)
            checkLater();
        return false;
    }

private:
    void watchFrames(ctkVTKAbstractView* view)
    {
        vtkRenderWindow* window = view->renderWindow();
        if (!window || std::find(watchedWindows.begin(), watchedWindows.end(), window) != watchedWindows.end())
            return;
        watchedWindows.emplace_back(window);
        if (!drawingErrors) {
            drawingErrors = new DrawingErrors;
            // The console may speak from another thread: the check runs in this one.
            drawingErrors->onFirst = [this] { QMetaObject::invokeMethod(this, [this] { checkLater(); }, Qt::QueuedConnection); };
            Vexil::MsgConsoleSingleton::Instance().connect_observer(drawingErrors);
            frameCommand->SetClientData(this);
            frameCommand->SetCallback([](vtkObject*, unsigned long event, void* self, void*) {
                if (event == vtkCommand::StartEvent) {
                    ++drawingErrors->drawing;
                } else {
                    if (drawingErrors->drawing > 0)
                        --drawingErrors->drawing;
                    static_cast<Watcher*>(self)->checkLater();
                }
            });
        }
        window->AddObserver(vtkCommand::StartEvent, frameCommand);
        // A frame that an exception cuts short never ends: the error reported where the
        // exception is caught comes while the view is still drawing.
        window->AddObserver(vtkCommand::EndEvent, frameCommand);
    }

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
        // A file refused: no picture to wait for, whether the window is on screen yet or not.
        if (Gui::qPelmoraApplication::command_line_files_not_opened() > 0)
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->property("startupFilesOpened").toBool()) {
                    finish(w);
                    return;
                }
        QWidget* window = readyMainWindow();
        if (!window)
            return;
        if (drawingErrors && !drawingErrors->firstError().empty()) {
            finish(window);
            return;
        }
        bool rendered = true;
        for (ctkVTKAbstractView* view : window->findChildren<ctkVTKAbstractView*>()) {
            // A view that gave up its frame for want of memory will not draw: said at once.
            if (view->isVisible() && view->renderRefused()) {
                finish(window);
                return;
            }
            connect(view, &ctkVTKAbstractView::drawingRefused, this, &Watcher::checkLater, Qt::UniqueConnection);
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
        std::string drawingError = drawingErrors ? drawingErrors->firstError() : std::string();
        if (drawingError.empty() && window)
            for (ctkVTKAbstractView* view : window->findChildren<ctkVTKAbstractView*>())
                if (view->isVisible() && view->renderRefused())
                    drawingError = "there is not enough memory to draw it";
        bool undrawn = false;
        if (window)
            for (ctkVTKAbstractView* view : window->findChildren<ctkVTKAbstractView*>())
                undrawn = undrawn || (view->isVisible() && (view->renderCount() == 0 || view->renderRefused()));
        const std::size_t refused = Gui::qPelmoraApplication::command_line_files_not_opened();
        if (window && refused > 0) {
            // The picture would show a window without the file it was asked of.
            failureSaid = true;
            std::fprintf(stderr, "pelmora: no screenshot was written to %s: %zu of the files named on the command "
                                 "line %s not opened\n",
                         Vexil::printableText(target).c_str(), refused, refused == 1 ? "was" : "were");
        } else if (window && (undrawn || !drawingError.empty())) {
            // A picture of a view that could not draw (black, or without part of a model)
            // would pass for what the files look like.
            failureSaid = true;
            std::fprintf(stderr, "pelmora: no screenshot was written to %s: the 3D view could not be drawn%s%s\n",
                         Vexil::printableText(target).c_str(), drawingError.empty() ? "" : ": ",
                         Vexil::printableText(drawingError).c_str());
        } else if (window) {
            // Saved whole or not at all: a failed write leaves no empty or partial PNG.
            QByteArray png;
            QBuffer buffer(&png);
            std::string error;
            taken = buffer.open(QIODevice::WriteOnly) && window->grab().save(&buffer, "PNG")
                    && Vexil::saveFileAtomically(target, std::string_view(png.constData(), static_cast<size_t>(png.size())), error);
            failureSaid = !taken;
            // The save's reason names the file (or the link or folder that stopped it).
            if (!taken && error.empty())
                std::fprintf(stderr, "pelmora: cannot write %s\n", Vexil::printableText(target).c_str());
            else if (!taken)
                std::fprintf(stderr, "pelmora: no screenshot was written: %s\n", error.c_str());
        } else {
            failureSaid = true;
            std::fprintf(stderr, "pelmora: the main window did not appear\n");
        }
        QCoreApplication::quit();
    }

    bool checkQueued = false;
    bool done = false;
    std::vector<vtkWeakPointer<vtkRenderWindow>> watchedWindows;
    vtkNew<vtkCallbackCommand> frameCommand;
};

void startWatching()
{
    if (!target.empty())
        new Watcher;
}

} // namespace

void setScreenshotGiveUpMs(int ms)
{
    giveUpMs = ms;
}

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
