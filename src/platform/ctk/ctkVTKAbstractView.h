#pragma once
// A widget showing a VTK render window through QVTKOpenGLNativeWidget, with one renderer.
// Renders are requested with scheduleRender and made once the event loop runs, however
// many were requested; forceRender renders at once.
//
// The OpenGL widget, with its context and frame buffers, exists only while the view is
// on screen: it is made when the view has been shown and the event loop turns, and let go
// when the view is hidden (a document in a tab that is not the current one).  The render
// window, renderer, interactor and camera stay, so the view looks the same when it comes
// back.

#include <QWidget>

#include <memory>

class QVTKOpenGLNativeWidget;
class vtkGenericOpenGLRenderWindow;
class vtkRenderer;
class vtkRenderWindowInteractor;

class ctkVTKAbstractView : public QWidget
{
    Q_OBJECT
public:
    explicit ctkVTKAbstractView(QWidget* parent = nullptr);
    ~ctkVTKAbstractView() override;

    // The multisample count of render windows made from now on (and of this process's
    // existing views); -1 leaves VTK's default. Read the default surface format before
    // the first view is made.
    static void setMultiSamples(int samples);
    static int multiSamples();

    // The OpenGL widget; made at once if the view has none at the moment.
    QVTKOpenGLNativeWidget* VTKWidget() const;
    // Whether the view holds an OpenGL widget now.
    bool hasVTKWidget() const;
    vtkGenericOpenGLRenderWindow* renderWindow() const;
    vtkRenderWindowInteractor* interactor() const;
    vtkRenderer* renderer() const;

    bool renderEnabled() const;
    // How many renders this view made (for tests and statistics).
    int renderCount() const;
    // Whether the last frame was given up for want of memory; the view tries again when a
    // render is next asked for.
    bool renderRefused() const;

public Q_SLOTS:
    // Asks for one render when the event loop next runs.
    void scheduleRender();
    // Renders now (nothing while rendering is disabled or the widget was never shown).
    virtual void forceRender();
    void setRenderEnabled(bool enabled);
    void setBackgroundColor(const QColor& color);

Q_SIGNALS:
    // A frame was rendered into the view's window.
    void rendered();
    // A frame was given up for want of memory (said once on VTK's output window).
    void drawingRefused();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
