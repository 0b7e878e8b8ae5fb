// The yardstick of opening model files: a plain Qt main window whose central widget is
// one QVTKOpenGLNativeWidget.  Each STL file named on the command line is read by VTK's
// reader into an actor of the window's one renderer.  As soon as a frame has been
// rendered with the window on screen, a PNG of the window is saved (--screenshot FILE)
// and the program ends.
// Usage: open_bare [--screenshot FILE] [MODEL.stl ...]

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
#include <QSurfaceFormat>
#include <QTimer>
#include <QVTKOpenGLNativeWidget.h>
#include <QWindow>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkNew.h>
#include <vtkRenderer.h>

#include <support/StlActor.h>

#include <cstdio>

namespace {

QMainWindow* mainWindow = nullptr;
QString screenshot;
bool rendered = false;
bool finishing = false;

void finishWhenOnScreen()
{
    if (finishing || !rendered || !mainWindow->isVisible() || !mainWindow->windowHandle()
        || !mainWindow->windowHandle()->isExposed())
        return;
    finishing = true;
    QTimer::singleShot(0, [] {
        if (!screenshot.isEmpty() && !mainWindow->grab().save(screenshot, "PNG"))
            std::fprintf(stderr, "open_bare: cannot write %s\n", qPrintable(screenshot));
        QCoreApplication::quit();
    });
}

// The window may come on screen after its first frame was rendered.
class ExposeWatcher : public QObject
{
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Expose)
            QTimer::singleShot(0, finishWhenOnScreen);
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    QApplication app(argc, argv);
    QStringList files;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size())
            screenshot = args[++i];
        else
            files.append(args[i]);
    }

    QMainWindow window;
    mainWindow = &window;
    vtkNew<vtkGenericOpenGLRenderWindow> renderWindow;
    vtkNew<vtkRenderer> renderer;
    renderWindow->AddRenderer(renderer);
    auto* view = new QVTKOpenGLNativeWidget(renderWindow, &window);
    window.setCentralWidget(view);

    for (const QString& file : files)
        PelmoraBench::addStlActor(renderer, QFile::encodeName(file).constData());
    renderer->ResetCamera();

    vtkNew<vtkCallbackCommand> onRendered;
    onRendered->SetCallback([](vtkObject*, unsigned long, void*, void*) {
        rendered = true;
        finishWhenOnScreen();
    });
    renderWindow->AddObserver(vtkCommand::EndEvent, onRendered);
    ExposeWatcher watcher;
    app.installEventFilter(&watcher);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        window.resize(screen->availableSize() * 2 / 3);
    window.show();
    return QApplication::exec();
}
