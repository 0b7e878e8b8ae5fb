#include "ctkVTKAbstractView.h"

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {
int gMultiSamples = -1;
std::vector<QPointer<ctkVTKAbstractView>>& allViews()
{
    static std::vector<QPointer<ctkVTKAbstractView>> views;
    return views;
}
} // namespace

struct ctkVTKAbstractView::Private
{
    QVTKOpenGLNativeWidget* widget = nullptr;
    vtkSmartPointer<vtkGenericOpenGLRenderWindow> window;
    vtkSmartPointer<vtkRenderer> renderer;
    QTimer* renderTimer = nullptr;
    bool renderEnabled = true;
    int renders = 0;
    vtkSmartPointer<vtkCallbackCommand> countCommand;
};

ctkVTKAbstractView::ctkVTKAbstractView(QWidget* parent)
    : QWidget(parent), d(new Private)
{
    d->window = vtkSmartPointer<vtkGenericOpenGLRenderWindow>::New();
    if (gMultiSamples >= 0)
        d->window->SetMultiSamples(gMultiSamples);
    d->renderer = vtkSmartPointer<vtkRenderer>::New();
    d->window->AddRenderer(d->renderer);

    d->widget = new QVTKOpenGLNativeWidget(this);
    d->widget->setObjectName(QStringLiteral("VTKWidget"));
    d->widget->setRenderWindow(d->window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(d->widget);

    d->countCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->countCommand->SetClientData(d.get());
    d->countCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        ++static_cast<Private*>(client)->renders;
    });
    d->window->AddObserver(vtkCommand::EndEvent, d->countCommand);

    d->renderTimer = new QTimer(this);
    d->renderTimer->setSingleShot(true);
    d->renderTimer->setInterval(0);
    connect(d->renderTimer, &QTimer::timeout, this, &ctkVTKAbstractView::forceRender);
    allViews().emplace_back(this);
}

ctkVTKAbstractView::~ctkVTKAbstractView()
{
    auto& views = allViews();
    views.erase(std::remove_if(views.begin(), views.end(),
                               [this](const QPointer<ctkVTKAbstractView>& v) { return v.isNull() || v == this; }),
                views.end());
    d->window->RemoveObserver(d->countCommand);
}

void ctkVTKAbstractView::setMultiSamples(int samples)
{
    gMultiSamples = samples;
    for (auto& view : allViews())
        if (view && samples >= 0)
            view->d->window->SetMultiSamples(samples);
}

int ctkVTKAbstractView::multiSamples()
{
    return gMultiSamples;
}

QVTKOpenGLNativeWidget* ctkVTKAbstractView::VTKWidget() const
{
    return d->widget;
}

vtkGenericOpenGLRenderWindow* ctkVTKAbstractView::renderWindow() const
{
    return d->window;
}

vtkRenderWindowInteractor* ctkVTKAbstractView::interactor() const
{
    return d->widget->interactor();
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
    if (!d->renderEnabled || !d->widget->isVisible())
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
