#include "qMRMLSliceView.h"

#include <mrml/vtkMRMLAbstractDisplayableManager.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkInteractorStyleUser.h>
#include <vtkNew.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QResizeEvent>

#include <string>

struct qMRMLSliceView::Private
{
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    vtkWeakPointer<vtkMRMLScene> scene;
    vtkWeakPointer<vtkMRMLSliceNode> sliceNode;
    vtkSmartPointer<vtkCallbackCommand> groupCommand;
};

qMRMLSliceView::qMRMLSliceView(QWidget* parent) : ctkVTKAbstractView(parent), d(new Private)
{
    d->group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    d->group->SetRenderer(renderer());
    d->groupCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->groupCommand->SetClientData(this);
    d->groupCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        static_cast<qMRMLSliceView*>(client)->scheduleRender();
    });
    d->group->AddObserver(vtkCommand::UpdateEvent, d->groupCommand);
    // A slice is looked at, not turned: the mouse belongs to the widgets on it.
    vtkNew<vtkInteractorStyleUser> style;
    interactor()->SetInteractorStyle(style);
}

qMRMLSliceView::~qMRMLSliceView()
{
    d->group->RemoveObserver(d->groupCommand);
}

vtkMRMLScene* qMRMLSliceView::mrmlScene() const
{
    return d->scene;
}

vtkMRMLSliceNode* qMRMLSliceView::mrmlSliceNode() const
{
    return d->sliceNode;
}

void qMRMLSliceView::addDisplayableManager(const QString& className)
{
    d->group->AddDisplayableManagers({className.toStdString()});
}

vtkMRMLAbstractDisplayableManager* qMRMLSliceView::displayableManagerByClassName(const char* className) const
{
    return d->group->GetDisplayableManagerByClassName(className);
}

void qMRMLSliceView::setMRMLScene(vtkMRMLScene* scene)
{
    d->scene = scene;
    d->group->SetMRMLScene(scene);
    scheduleRender();
}

void qMRMLSliceView::setMRMLSliceNode(vtkMRMLSliceNode* sliceNode)
{
    d->sliceNode = sliceNode;
    if (sliceNode)
        sliceNode->SetDimensions(qMax(1, width()), qMax(1, height()), 1);
    d->group->SetMRMLDisplayableNode(sliceNode);
    scheduleRender();
}

void qMRMLSliceView::resizeEvent(QResizeEvent* event)
{
    ctkVTKAbstractView::resizeEvent(event);
    if (d->sliceNode)
        d->sliceNode->SetDimensions(qMax(1, event->size().width()), qMax(1, event->size().height()), 1);
}
