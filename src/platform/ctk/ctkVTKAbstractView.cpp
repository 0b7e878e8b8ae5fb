#include "ctkVTKAbstractView.h"

#include <QVTKInteractor.h>
#include <QVTKOpenGLNativeWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkInteractorStyleTrackballCamera.h>
#include <vtkNew.h>
#include <vtkOutputWindow.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

#include <QColor>
#include <QHideEvent>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <new>
#include <unordered_set>

namespace {
int gMultiSamples = -1;
std::unordered_set<ctkVTKAbstractView*>& allViews()
{
    static std::unordered_set<ctkVTKAbstractView*> views;
    return views;
}

// The OpenGL widget of a view, whose painting (which renders when the window needs a new
// frame) runs under the view's guard against running out of memory.
class GuardedVTKWidget : public QVTKOpenGLNativeWidget
{
public:
    GuardedVTKWidget(vtkGenericOpenGLRenderWindow* window, QWidget* parent, std::function<void(const std::function<void()>&)> guard)
        : QVTKOpenGLNativeWidget(window, parent), guard(std::move(guard))
    {
    }

protected:
    void paintGL() override
    {
        guard([this] { QVTKOpenGLNativeWidget::paintGL(); });
    }

private:
    std::function<void(const std::function<void()>&)> guard;
};

} // namespace

struct ctkVTKAbstractView::Private
{
    ctkVTKAbstractView* q = nullptr;
    QPointer<QVTKOpenGLNativeWidget> widget;
    QVBoxLayout* layout = nullptr;
    vtkSmartPointer<vtkGenericOpenGLRenderWindow> window;
    vtkSmartPointer<vtkRenderer> renderer;
    QTimer* renderTimer = nullptr;
    bool renderEnabled = true;
    bool syncQueued = false;
    int renders = 0;
    vtkSmartPointer<vtkCallbackCommand> countCommand;
    vtkSmartPointer<vtkCallbackCommand> startCommand;
    // Drawing ran out of memory: the view is not drawn again (a paint would only fail
    // again, each time after taking all there is) until a render is asked for.
    bool drawRefused = false;
    bool refusalSaid = false;

    // Runs `draw` (a render, or a paint that may render); memory running out in it is a
    // refusal said once, not an exception for the event loop.
    void guardedDraw(const std::function<void()>& draw)
    {
        if (drawRefused)
            return;
        try {
            draw();
        } catch (const std::bad_alloc&) {
            // The frame was cut short: the window would take every later frame for one
            // still under way.
            window->ClearInRenderStatus();
            drawRefused = true;
            if (!refusalSaid) {
                refusalSaid = true;
                vtkOutputWindowDisplayErrorText("There is not enough memory to draw the 3D view: it is left undrawn "
                                                "until what it shows changes\n");
            }
            Q_EMIT q->drawingRefused();
        }
    }

    QVTKOpenGLNativeWidget* makeWidget()
    {
        if (!widget) {
            widget = new GuardedVTKWidget(window, q, [this](const std::function<void()>& draw) { guardedDraw(draw); });
            widget->setObjectName(QStringLiteral("VTKWidget"));
            layout->addWidget(widget);
            if (q->isVisible())
                widget->show();
            else
                syncLater();   // asked for while hidden: kept only until the loop turns
        }
        return widget;
    }

    // Deleting the widget releases the render window's OpenGL resources; the next widget
    // sets them up again.
    void dropWidget()
    {
        delete widget.data();
        widget = nullptr;
    }

    // Once the event loop turns: a view on screen gets its widget, a hidden one loses it.
    // A view shown and hidden again in between (many documents opened at once) never
    // makes one.
    void syncLater()
    {
        if (syncQueued)
            return;
        syncQueued = true;
        QMetaObject::invokeMethod(
            q,
            [this] {
                syncQueued = false;
                if (q->isVisible())
                    makeWidget();
                else
                    dropWidget();
            },
            Qt::QueuedConnection);
    }
};

ctkVTKAbstractView::ctkVTKAbstractView(QWidget* parent)
    : QWidget(parent), d(new Private)
{
    d->q = this;
    d->window = vtkSmartPointer<vtkGenericOpenGLRenderWindow>::New();
    if (gMultiSamples >= 0)
        d->window->SetMultiSamples(gMultiSamples);
    d->renderer = vtkSmartPointer<vtkRenderer>::New();
    d->window->AddRenderer(d->renderer);
    // The interactor belongs to the render window, so it and its observers outlive the
    // OpenGL widgets that come and go.
    d->window->SetReadyForRendering(false);
    vtkNew<QVTKInteractor> interactor;
    d->window->SetInteractor(interactor);
    interactor->Initialize();
    vtkNew<vtkInteractorStyleTrackballCamera> style;
    interactor->SetInteractorStyle(style);

    d->layout = new QVBoxLayout(this);
    d->layout->setContentsMargins(0, 0, 0, 0);
    d->layout->setSpacing(0);

    d->countCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->countCommand->SetClientData(this);
    d->countCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        auto* self = static_cast<ctkVTKAbstractView*>(client);
        ++self->d->renders;
        // A frame drawn whole: the next refusal is news again.
        self->d->refusalSaid = false;
        Q_EMIT self->rendered();
    });
    d->window->AddObserver(vtkCommand::EndEvent, d->countCommand);
    // However a frame comes about (also when Qt paints the widget), it answers the
    // renders asked for until then.
    d->startCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->startCommand->SetClientData(d.get());
    d->startCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        static_cast<Private*>(client)->renderTimer->stop();
    });
    d->window->AddObserver(vtkCommand::StartEvent, d->startCommand);

    d->renderTimer = new QTimer(this);
    d->renderTimer->setSingleShot(true);
    d->renderTimer->setInterval(0);
    connect(d->renderTimer, &QTimer::timeout, this, &ctkVTKAbstractView::forceRender);
    allViews().insert(this);
}

ctkVTKAbstractView::~ctkVTKAbstractView()
{
    allViews().erase(this);
    d->window->RemoveObserver(d->countCommand);
    d->window->RemoveObserver(d->startCommand);
    d->dropWidget();
}

void ctkVTKAbstractView::setMultiSamples(int samples)
{
    // Each new view sets it again: only a change is passed to the existing ones.
    if (samples == gMultiSamples)
        return;
    gMultiSamples = samples;
    if (samples >= 0)
        for (ctkVTKAbstractView* view : allViews())
            view->d->window->SetMultiSamples(samples);
}

int ctkVTKAbstractView::multiSamples()
{
    return gMultiSamples;
}

QVTKOpenGLNativeWidget* ctkVTKAbstractView::VTKWidget() const
{
    return d->makeWidget();
}

bool ctkVTKAbstractView::hasVTKWidget() const
{
    return !d->widget.isNull();
}

vtkGenericOpenGLRenderWindow* ctkVTKAbstractView::renderWindow() const
{
    return d->window;
}

vtkRenderWindowInteractor* ctkVTKAbstractView::interactor() const
{
    return d->window->GetInteractor();
}

vtkRenderer* ctkVTKAbstractView::renderer() const
{
    return d->renderer;
}

bool ctkVTKAbstractView::renderEnabled() const
{
    return d->renderEnabled;
}

int ctkVTKAbstractView::renderCount() const
{
    return d->renders;
}

bool ctkVTKAbstractView::renderRefused() const
{
    return d->drawRefused;
}

void ctkVTKAbstractView::scheduleRender()
{
    d->drawRefused = false;
    if (!d->renderTimer->isActive())
        d->renderTimer->start();
}

void ctkVTKAbstractView::forceRender()
{
    d->renderTimer->stop();
    if (!d->renderEnabled || !d->widget || !d->widget->isVisible())
        return;
    d->guardedDraw([this] { d->window->Render(); });
}

void ctkVTKAbstractView::setRenderEnabled(bool enabled)
{
    d->renderEnabled = enabled;
    if (enabled)
        scheduleRender();
}

void ctkVTKAbstractView::setBackgroundColor(const QColor& color)
{
    d->renderer->SetBackground(color.redF(), color.greenF(), color.blueF());
    scheduleRender();
}

void ctkVTKAbstractView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!d->widget)
        d->syncLater();
}

void ctkVTKAbstractView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A minimised window keeps its views; a view taken off the screen lets its widget go.
    if (!event->spontaneous() && d->widget)
        d->syncLater();
}
