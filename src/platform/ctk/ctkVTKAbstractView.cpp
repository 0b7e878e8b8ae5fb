#include "ctkVTKAbstractView.h"

#include <QVTKInteractor.h>
#include <QVTKOpenGLNativeWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkInteractorStyleTrackballCamera.h>
#include <vtkNew.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

#include <QColor>
#include <QHideEvent>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <unordered_set>

namespace {
int gMultiSamples = -1;
std::unordered_set<ctkVTKAbstractView*>& allViews()
{
    static std::unordered_set<ctkVTKAbstractView*> views;
    return views;
}
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

    QVTKOpenGLNativeWidget* makeWidget()
    {
        if (!widget) {
            widget = new QVTKOpenGLNativeWidget(window, q);
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

void ctkVTKAbstractView::scheduleRender()
{
    if (!d->renderTimer->isActive())
        d->renderTimer->start();
}

void ctkVTKAbstractView::forceRender()
{
    d->renderTimer->stop();
    if (!d->renderEnabled || !d->widget || !d->widget->isVisible())
        return;
    d->window->Render();
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
