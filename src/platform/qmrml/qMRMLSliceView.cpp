#include "qMRMLSliceView.h"

#include <mrml/vtkMRMLAbstractDisplayableManager.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLLightBoxRendererManagerProxy.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <mrml/vtkVizApplicationLogic.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkInteractorStyleUser.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QResizeEvent>

#include <string>
#include <vector>

namespace {
// Hands the view's panes to the displayable managers.
class PaneProxy : public vtkMRMLLightBoxRendererManagerProxy
{
public:
    static PaneProxy* New();
    vtkTypeMacro(PaneProxy, vtkMRMLLightBoxRendererManagerProxy);
    vtkRenderer* GetRenderer(int index) override { return View ? View->lightBoxRenderer(index) : nullptr; }
    qMRMLSliceView* View = nullptr;
};
vtkStandardNewMacro(PaneProxy);
} // namespace

struct qMRMLSliceView::Private
{
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    vtkWeakPointer<vtkMRMLScene> scene;
    vtkWeakPointer<vtkMRMLSliceNode> sliceNode;
    vtkWeakPointer<vtkVizApplicationLogic> applicationLogic;
    vtkSmartPointer<vtkCallbackCommand> groupCommand;
    vtkSmartPointer<vtkCallbackCommand> sliceCommand;
    vtkSmartPointer<PaneProxy> proxy;
    // Panes 1 and on; pane 0 is the view's renderer.
    std::vector<vtkSmartPointer<vtkRenderer>> panes;
    int rows = 1;
    int columns = 1;
};

qMRMLSliceView::qMRMLSliceView(QWidget* parent) : ctkVTKAbstractView(parent), d(new Private)
{
    d->proxy = vtkSmartPointer<PaneProxy>::New();
    d->proxy->View = this;
    d->group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    d->group->SetLightBoxRendererManagerProxy(d->proxy);
    d->group->SetRenderer(renderer());
    d->groupCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->groupCommand->SetClientData(this);
    d->groupCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        static_cast<qMRMLSliceView*>(client)->scheduleRender();
    });
    d->group->AddObserver(vtkCommand::UpdateEvent, d->groupCommand);
    d->sliceCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->sliceCommand->SetClientData(this);
    d->sliceCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        static_cast<qMRMLSliceView*>(client)->updateLightBox();
    });
    // A slice is looked at, not turned: the mouse belongs to the widgets on it.
    vtkNew<vtkInteractorStyleUser> style;
    interactor()->SetInteractorStyle(style);
}

qMRMLSliceView::~qMRMLSliceView()
{
    d->group->RemoveObserver(d->groupCommand);
    if (d->sliceNode)
        d->sliceNode->RemoveObserver(d->sliceCommand);
    d->proxy->View = nullptr;
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

vtkRenderer* qMRMLSliceView::lightBoxRenderer(int index) const
{
    if (index == 0)
        return renderer();
    if (index < 0 || index > static_cast<int>(d->panes.size()))
        return nullptr;
    return d->panes[static_cast<size_t>(index - 1)];
}

int qMRMLSliceView::lightBoxPaneCount() const
{
    return 1 + static_cast<int>(d->panes.size());
}

void qMRMLSliceView::setMRMLScene(vtkMRMLScene* scene)
{
    d->scene = scene;
    d->group->SetMRMLScene(scene);
    scheduleRender();
}

void qMRMLSliceView::setApplicationLogic(vtkVizApplicationLogic* logic)
{
    d->applicationLogic = logic;
    if (logic && d->sliceNode)
        logic->CreateSliceLogic(d->sliceNode);
    d->group->SetMRMLApplicationLogic(logic);
}

void qMRMLSliceView::setMRMLSliceNode(vtkMRMLSliceNode* sliceNode)
{
    if (d->sliceNode)
        d->sliceNode->RemoveObserver(d->sliceCommand);
    d->sliceNode = sliceNode;
    if (sliceNode)
        sliceNode->AddObserver(vtkCommand::ModifiedEvent, d->sliceCommand);
    if (d->applicationLogic && sliceNode)
        d->applicationLogic->CreateSliceLogic(sliceNode);
    updateLightBox();
    d->group->SetMRMLDisplayableNode(sliceNode);
    scheduleRender();
}

void qMRMLSliceView::resizeEvent(QResizeEvent* event)
{
    ctkVTKAbstractView::resizeEvent(event);
    updateLightBox();
}

void qMRMLSliceView::updateLightBox()
{
    vtkMRMLSliceNode* node = d->sliceNode;
    const int rows = node ? node->GetLayoutGridRows() : 1;
    const int columns = node ? node->GetLayoutGridColumns() : 1;
    const int count = rows * columns;
    if (rows != d->rows || columns != d->columns) {
        d->rows = rows;
        d->columns = columns;
        vtkRenderWindow* window = renderWindow();
        for (auto& pane : d->panes)
            window->RemoveRenderer(pane);
        d->panes.clear();
        double background[3];
        renderer()->GetBackground(background);
        for (int k = 1; k < count; ++k) {
            auto pane = vtkSmartPointer<vtkRenderer>::New();
            pane->SetBackground(background);
            window->AddRenderer(pane);
            d->panes.push_back(pane);
        }
        for (int k = 0; k < count; ++k) {
            const int row = k / columns, column = k % columns;
            // Row 0 is at the top; viewports count from the bottom.
            lightBoxRenderer(k)->SetViewport(double(column) / columns, 1.0 - double(row + 1) / rows,
                                             double(column + 1) / columns, 1.0 - double(row) / rows);
        }
        scheduleRender();
    }
    // The slice node's dimensions are those of one pane.
    if (node)
        node->SetDimensions(qMax(1, width() / columns), qMax(1, height() / rows), 1);
}
