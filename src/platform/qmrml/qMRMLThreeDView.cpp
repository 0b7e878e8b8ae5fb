#include "qMRMLThreeDView.h"

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLAbstractDisplayableManager.h>
#include <mrml/vtkMRMLCameraNode.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLModelDisplayableManager.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLThreeDViewDisplayableManagerFactory.h>
#include <mrml/vtkMRMLViewNode.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkCollection.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkInteractorStyleTrackballCamera.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QPoint>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {
// How far (in pixels) the mouse may move between press and release for a click.
constexpr int ClickSlop = 3;
const char* const defaultManagers[] = {"vtkMRMLModelDisplayableManager",
                                       "vtkMRML3DViewDisplayableManager",
                                       "vtkMRMLRulerDisplayableManager"};
} // namespace

struct qMRMLThreeDView::Private
{
    qMRMLThreeDView* q = nullptr;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    vtkWeakPointer<vtkMRMLScene> scene;
    vtkWeakPointer<vtkMRMLViewNode> viewNode;
    vtkSmartPointer<vtkCallbackCommand> groupCommand;
    vtkSmartPointer<vtkCallbackCommand> viewNodeCommand;
    vtkSmartPointer<vtkCallbackCommand> clickCommand;
    vtkSmartPointer<vtkCallbackCommand> moveCommand;
    vtkSmartPointer<vtkCallbackCommand> frameCommand;
    QTimer* preSelectTimer = nullptr;
    int movePosition[2] = {0, 0};
    bool preSelection = false;

    vtkSmartPointer<vtkCallbackCommand> keyCommand;
    int pressPosition[2] = {0, 0};
    bool pressed = false;

    // Clicks pick in the select and view-transform modes; while annotations are placed
    // they belong to the placing.
    bool picksOnClick() const
    {
        auto* interaction = scene ? vtkMRMLInteractionNode::SafeDownCast(
                                        scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"))
                                  : nullptr;
        if (!interaction)
            return false;
        const int mode = interaction->GetCurrentInteractionMode();
        return mode == vtkMRMLInteractionNode::Select || mode == vtkMRMLInteractionNode::ViewTransform;
    }

    // One pick for the newest mouse position, however many moves arrived meanwhile.
    void preSelect()
    {
        for (int i = 0; i < group->GetDisplayableManagerCount(); ++i)
            if (auto* view = vtkMRML3DViewDisplayableManager::SafeDownCast(group->GetNthDisplayableManager(i)))
                view->PreSelect(movePosition[0], movePosition[1]);
    }
    bool cameraFramed = false;

    // Brings the models up to date, then aims the camera at the models shown.  Only models
    // count: a placement marker or an annotation widget is no model, and framing the
    // first marker of an empty view would zoom onto that marker alone.  False when no
    // model is shown.
    bool frameVisibleModels()
    {
        group->UpdateBeforeRender();
        double bounds[6];
        vtkMath::UninitializeBounds(bounds);
        for (int i = 0; i < group->GetDisplayableManagerCount(); ++i) {
            auto* models = vtkMRMLModelDisplayableManager::SafeDownCast(group->GetNthDisplayableManager(i));
            double b[6];
            if (!models || !models->GetVisibleModelBounds(b))
                continue;
            const bool first = !vtkMath::AreBoundsInitialized(bounds);
            for (int k = 0; k < 3; ++k) {
                bounds[2 * k] = first ? b[2 * k] : std::min(bounds[2 * k], b[2 * k]);
                bounds[2 * k + 1] = first ? b[2 * k + 1] : std::max(bounds[2 * k + 1], b[2 * k + 1]);
            }
        }
        if (!vtkMath::AreBoundsInitialized(bounds))
            return false;
        q->renderer()->ResetCamera(bounds);
        cameraFramed = true;
        return true;
    }

    // The camera of a view without models: the camera node's default distance from the
    // origin (a few hundred millimetres) and its view angle, looking down the z axis, so
    // that clicks in an empty view land at a millimetre scale.
    void standAtDefaultDistance()
    {
        vtkNew<vtkMRMLCameraNode> defaults;
        const double distance = std::sqrt(vtkMath::Distance2BetweenPoints(defaults->GetPosition(),
                                                                          defaults->GetFocalPoint()));
        const double* focal = defaults->GetFocalPoint();
        vtkCamera* camera = q->renderer()->GetActiveCamera();
        camera->SetFocalPoint(focal[0], focal[1], focal[2]);
        camera->SetPosition(focal[0], focal[1], focal[2] + distance);
        camera->SetViewUp(0.0, 1.0, 0.0);
        camera->SetViewAngle(defaults->GetViewAngle());
        camera->SetClippingRange(distance / 1000.0, distance * 2.0);
    }

    void applyViewNode()
    {
        if (!viewNode)
            return;
        const double* c = viewNode->GetBackgroundColor();
        q->renderer()->SetBackground(c[0], c[1], c[2]);
        q->scheduleRender();
    }
};

qMRMLThreeDView::qMRMLThreeDView(QWidget* parent)
    : ctkVTKAbstractView(parent), d(new Private)
{
    d->q = this;
    // The view's own managers come first; further ones are whatever the factory names.
    auto* factory = vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance();
    std::vector<std::string> names(std::begin(defaultManagers), std::end(defaultManagers));
    for (int i = 0; i < factory->GetRegisteredDisplayableManagerCount(); ++i) {
        const std::string name = factory->GetRegisteredDisplayableManagerName(i);
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    d->group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    d->group->AddDisplayableManagers(names);
    d->group->SetRenderer(renderer());
    d->standAtDefaultDistance();

    d->groupCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->groupCommand->SetClientData(this);
    d->groupCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        static_cast<qMRMLThreeDView*>(client)->scheduleRender();
    });
    d->group->AddObserver(vtkCommand::UpdateEvent, d->groupCommand);

    // However a frame comes about (also when Qt paints the widget), the first models to
    // appear are framed; the managers have brought the scene up to date just before.
    d->frameCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->frameCommand->SetClientData(d.get());
    d->frameCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        auto* self = static_cast<Private*>(client);
        if (!self->cameraFramed)
            self->frameVisibleModels();
    });
    renderer()->AddObserver(vtkCommand::StartEvent, d->frameCommand, -1.0f);

    d->viewNodeCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->viewNodeCommand->SetClientData(d.get());
    d->viewNodeCommand->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        static_cast<Private*>(client)->applyViewNode();
    });

    vtkNew<vtkInteractorStyleTrackballCamera> style;
    interactor()->SetInteractorStyle(style);
    // A left click that does not drag picks, unless the scene is placing annotations; the
    // drag itself turns the camera.  Control adds the pick to the selection.
    d->clickCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->clickCommand->SetClientData(this);
    d->clickCommand->SetCallback([](vtkObject* caller, unsigned long event, void* client, void*) {
        auto* self = static_cast<qMRMLThreeDView*>(client);
        auto* iren = vtkRenderWindowInteractor::SafeDownCast(caller);
        if (!iren)
            return;
        const int* pos = iren->GetEventPosition();
        if (event == vtkCommand::LeftButtonPressEvent) {
            self->d->pressPosition[0] = pos[0];
            self->d->pressPosition[1] = pos[1];
            self->d->pressed = true;
            return;
        }
        if (!self->d->pressed)
            return;
        self->d->pressed = false;
        const int dx = pos[0] - self->d->pressPosition[0];
        const int dy = pos[1] - self->d->pressPosition[1];
        if (dx * dx + dy * dy > ClickSlop * ClickSlop || !self->d->picksOnClick())
            return;
        for (int i = 0; i < self->d->group->GetDisplayableManagerCount(); ++i)
            if (auto* view = vtkMRML3DViewDisplayableManager::SafeDownCast(
                    self->d->group->GetNthDisplayableManager(i)))
                view->Pick(pos[0], pos[1], iren->GetControlKey() != 0);
    });
    // Passive: the style grabs the mouse events while it turns the camera.
    d->clickCommand->SetPassiveObserver(1);
    interactor()->AddObserver(vtkCommand::LeftButtonPressEvent, d->clickCommand, 1.0f);
    interactor()->AddObserver(vtkCommand::LeftButtonReleaseEvent, d->clickCommand, 1.0f);

    d->preSelectTimer = new QTimer(this);
    d->preSelectTimer->setObjectName(QStringLiteral("preSelect"));
    d->preSelectTimer->setSingleShot(true);
    d->preSelectTimer->setInterval(0);
    connect(d->preSelectTimer, &QTimer::timeout, this, [this] { d->preSelect(); });
    d->moveCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->moveCommand->SetClientData(this);
    d->moveCommand->SetCallback([](vtkObject* caller, unsigned long, void* client, void*) {
        auto* self = static_cast<qMRMLThreeDView*>(client);
        auto* iren = vtkRenderWindowInteractor::SafeDownCast(caller);
        if (!iren || !self->d->preSelection || self->d->pressed || !self->d->picksOnClick())
            return;
        self->d->movePosition[0] = iren->GetEventPosition()[0];
        self->d->movePosition[1] = iren->GetEventPosition()[1];
        self->d->preSelectTimer->start();
    });
    interactor()->AddObserver(vtkCommand::MouseMoveEvent, d->moveCommand, 1.0f);

    // The interactor style's own character keys (stereo, wireframe, quitting the
    // interactor, ...) are not this view's: they stop here.  Qt still hands the keys to
    // the parents, and key presses still reach the widgets of the scene.
    d->keyCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    d->keyCommand->SetCallback([](vtkObject*, unsigned long, void*, void*) {});
    d->keyCommand->SetAbortFlagOnExecute(1);
    interactor()->AddObserver(vtkCommand::CharEvent, d->keyCommand, 10.0f);
    interactor()->AddObserver(vtkCommand::ExitEvent, d->keyCommand, 10.0f);
}

qMRMLThreeDView::~qMRMLThreeDView()
{
    d->group->RemoveObserver(d->groupCommand);
    renderer()->RemoveObserver(d->frameCommand);
    if (d->viewNode)
        d->viewNode->RemoveObserver(d->viewNodeCommand);
}

vtkMRMLScene* qMRMLThreeDView::mrmlScene() const
{
    return d->scene;
}

vtkMRMLViewNode* qMRMLThreeDView::mrmlViewNode() const
{
    return d->viewNode;
}

void qMRMLThreeDView::setMRMLScene(vtkMRMLScene* scene)
{
    if (d->scene == scene)
        return;
    d->scene = scene;
    d->cameraFramed = false;
    d->group->SetMRMLScene(scene);
    Q_EMIT mrmlSceneChanged(scene);
}

void qMRMLThreeDView::setMRMLViewNode(vtkMRMLViewNode* viewNode)
{
    if (d->viewNode == viewNode)
        return;
    if (d->viewNode)
        d->viewNode->RemoveObserver(d->viewNodeCommand);
    d->viewNode = viewNode;
    if (viewNode)
        viewNode->AddObserver(vtkCommand::ModifiedEvent, d->viewNodeCommand);
    d->group->SetMRMLDisplayableNode(viewNode);
    d->applyViewNode();
}

void qMRMLThreeDView::addDisplayableManager(const QString& className)
{
    d->group->AddDisplayableManagers({className.toStdString()});
}

void qMRMLThreeDView::getDisplayableManagers(vtkCollection* managers) const
{
    if (!managers)
        return;
    for (int i = 0; i < d->group->GetDisplayableManagerCount(); ++i)
        managers->AddItem(d->group->GetNthDisplayableManager(i));
}

vtkMRMLAbstractDisplayableManager* qMRMLThreeDView::displayableManagerByClassName(const char* className) const
{
    return d->group->GetDisplayableManagerByClassName(className);
}

vtkMRMLDisplayableManagerGroup* qMRMLThreeDView::displayableManagerGroup() const
{
    return d->group;
}

void qMRMLThreeDView::SetEnablePreSelection(bool enabled)
{
    d->preSelection = enabled;
    if (!enabled) {
        // Nothing stays marked once pre-selection is off.
        for (int i = 0; i < d->group->GetDisplayableManagerCount(); ++i)
            if (auto* models = vtkMRMLModelDisplayableManager::SafeDownCast(d->group->GetNthDisplayableManager(i)))
                models->SetPreHighlightedModel(nullptr);
    }
}

bool qMRMLThreeDView::preSelectionEnabled() const
{
    return d->preSelection;
}

bool qMRMLThreeDView::pickAt(const QPoint& position)
{
    // VTK counts pixels from the bottom left, in device pixels.
    const double ratio = devicePixelRatioF();
    const int x = static_cast<int>(position.x() * ratio);
    const int y = static_cast<int>((height() - 1 - position.y()) * ratio);
    bool hit = false;
    for (int i = 0; i < d->group->GetDisplayableManagerCount(); ++i)
        if (auto* view = vtkMRML3DViewDisplayableManager::SafeDownCast(d->group->GetNthDisplayableManager(i)))
            hit = view->Pick(x, y) || hit;
    return hit;
}

void qMRMLThreeDView::resetFocalPoint()
{
    // Asked for, the view takes in whatever it shows: without models, the annotations.
    if (!d->frameVisibleModels()) {
        double bounds[6];
        renderer()->ComputeVisiblePropBounds(bounds);
        if (vtkMath::AreBoundsInitialized(bounds))
            renderer()->ResetCamera(bounds);
        else
            d->standAtDefaultDistance();
    }
    scheduleRender();
}

void qMRMLThreeDView::forceRender()
{
    // The first models to appear are framed; afterwards the camera is the user's.
    if (!d->cameraFramed)
        d->frameVisibleModels();
    ctkVTKAbstractView::forceRender();
}
