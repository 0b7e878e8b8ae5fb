// The baseline of the start-up: a plain Qt main window with a VTK render widget as its
// central widget, a status bar and a menu, ending as soon as it is exposed.

#include "WindowShownQuit.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QSurfaceFormat>
#include <QVTKOpenGLNativeWidget.h>

#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkNew.h>
#include <vtkRenderer.h>

int main(int argc, char** argv)
{
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    StartupBench::quitWhenShown([](QWidget* w) { return qobject_cast<QMainWindow*>(w) != nullptr; });
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    auto* view = new QVTKOpenGLNativeWidget(&window);
    vtkNew<vtkGenericOpenGLRenderWindow> renderWindow;
    vtkNew<vtkRenderer> renderer;
    renderWindow->AddRenderer(renderer);
    view->setRenderWindow(renderWindow);
    window.setCentralWidget(view);
    window.resize(1024, 768);
    window.show();
    return QApplication::exec();
}
