#include "qVizViewersToolBar.h"

#include <ctk/ctkSignalMapper.h>
#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLCrosshairNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkVizApplicationLogic.h>

#include <vtkCommand.h>
#include <vtkSmartPointer.h>

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QToolButton>

#include <cstring>
#include <vector>

struct qVizViewersToolBar::Private
{
    ctkVTKObjectEventsObserver* observer = nullptr;
    vtkSmartPointer<vtkMRMLScene> scene;
    vtkSmartPointer<vtkVizApplicationLogic> logic;
    QToolButton* crosshairButton = nullptr;
    QMenu* crosshairMenu = nullptr;
    ctkSignalMapper* jumpSlicesMapper = nullptr;
    QAction* jumpSlices[3] = {};
    ctkSignalMapper* crosshairMapper = nullptr;
    QAction* crosshairModes[5] = {};
    QAction* sliceIntersections = nullptr;
    ctkSignalMapper* thicknessMapper = nullptr;
    QAction* thickness[3] = {};
    QAction* toggle = nullptr;
    int lastMode = vtkMRMLCrosshairNode::ShowBasic;

    std::vector<vtkMRMLCrosshairNode*> crosshairs() const
    {
        std::vector<vtkMRMLCrosshairNode*> result;
        if (!scene)
            return result;
        std::vector<vtkMRMLNode*> nodes;
        scene->GetNodesByClass("vtkMRMLCrosshairNode", nodes);
        for (vtkMRMLNode* n : nodes)
            result.push_back(static_cast<vtkMRMLCrosshairNode*>(n));
        return result;
    }
};

namespace {

struct ActionText
{
    const char* text;
    const char* tip;
    int value;
};

const ActionText jumpTexts[] = {
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "No jump slices"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar", "Slice views are not repositioned when crosshair is moved."), 0},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Jump slices - offset"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar",
                       "Slice view planes are shifted to match crosshair position (even if crosshair is not displayed)."),
     1},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Jump slices - centered"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar",
                       "Slice views are centered on crosshair position (even if crosshair is not displayed)."),
     2},
};
const ActionText modeTexts[] = {
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "No crosshair"), QT_TRANSLATE_NOOP("qVizViewersToolBar", "No crosshair displayed."), 0},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Basic crosshair"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar",
                       "Basic crosshair extending across the field of view with a small gap at the crosshair position."),
     1},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Basic + intersection"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar", "Basic crosshair extending across the field of view."), 2},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Small basic crosshair"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar", "Small crosshair with a small gap at the crosshair position."), 5},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Small basic + intersection"),
     QT_TRANSLATE_NOOP("qVizViewersToolBar", "Small crosshair."), 6},
};
const ActionText thicknessTexts[] = {
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Fine crosshair"), QT_TRANSLATE_NOOP("qVizViewersToolBar", "Fine crosshair."), 1},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Medium crosshair"), QT_TRANSLATE_NOOP("qVizViewersToolBar", "Medium crosshair."), 2},
    {QT_TRANSLATE_NOOP("qVizViewersToolBar", "Thick crosshair"), QT_TRANSLATE_NOOP("qVizViewersToolBar", "Thick crosshair."), 3},
};

// One exclusive group of checkable actions feeding a mapper.
template <int N>
ctkSignalMapper* buildGroup(QObject* owner, const ActionText (&texts)[N], QAction* (&actions)[N])
{
    auto* group = new QActionGroup(owner);
    group->setExclusive(true);
    auto* mapper = new ctkSignalMapper(owner);
    for (int i = 0; i < N; ++i) {
        QAction* action = new QAction(qVizViewersToolBar::tr(texts[i].text), owner);
        action->setToolTip(qVizViewersToolBar::tr(texts[i].tip));
        action->setCheckable(true);
        group->addAction(action);
        mapper->setMapping(action, texts[i].value);
        actions[i] = action;
    }
    QObject::connect(group, &QActionGroup::triggered, mapper,
                     static_cast<void (ctkSignalMapper::*)(QAction*)>(&ctkSignalMapper::map));
    return mapper;
}

template <int N>
void checkMapped(ctkSignalMapper* mapper, QAction* (&actions)[N], int value)
{
    for (QAction* action : actions)
        if (static_cast<QSignalMapper*>(mapper)->mapping(value) == action)
            action->setChecked(true);
}

} // namespace

qVizViewersToolBar::qVizViewersToolBar(QWidget* parent)
    : QToolBar(parent), d(new Private)
{
    init();
}

qVizViewersToolBar::qVizViewersToolBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent), d(new Private)
{
    init();
}

qVizViewersToolBar::~qVizViewersToolBar() = default;

void qVizViewersToolBar::init()
{
    d->observer = new ctkVTKObjectEventsObserver(this);
    const auto mappedInt = static_cast<void (QSignalMapper::*)(int)>(&QSignalMapper::mapped);

    d->jumpSlicesMapper = buildGroup(this, jumpTexts, d->jumpSlices);
    connect(d->jumpSlicesMapper, mappedInt, this, &qVizViewersToolBar::setCrosshairJumpSlicesMode);
    d->crosshairMapper = buildGroup(this, modeTexts, d->crosshairModes);
    connect(d->crosshairMapper, mappedInt, this, &qVizViewersToolBar::setCrosshairMode);
    d->thicknessMapper = buildGroup(this, thicknessTexts, d->thickness);
    connect(d->thicknessMapper, mappedInt, this, &qVizViewersToolBar::setCrosshairThickness);

    d->sliceIntersections = new QAction(tr("Slice intersections"), this);
    d->sliceIntersections->setToolTip(tr("Show how the other slice planes intersect each slice plane."));
    d->sliceIntersections->setCheckable(true);
    connect(d->sliceIntersections, &QAction::triggered, this, &qVizViewersToolBar::setSliceIntersectionVisible);

    d->crosshairMenu = new QMenu(tr("Crosshair"), this);
    for (QAction* action : d->crosshairModes)
        d->crosshairMenu->addAction(action);
    d->crosshairMenu->addSeparator();
    for (QAction* action : d->thickness)
        d->crosshairMenu->addAction(action);

    d->toggle = new QAction(QIcon(QStringLiteral(":/Icons/SlicesCrosshair.png")), tr("Crosshair"), this);
    d->toggle->setCheckable(true);
    d->toggle->setToolTip(tr("Toggle crosshair visibility. Hold Shift key and move mouse in a view to set crosshair position."));
    connect(d->toggle, &QAction::toggled, this, &qVizViewersToolBar::setCrosshairEnabled);

    d->crosshairButton = new QToolButton(this);
    d->crosshairButton->setObjectName(QStringLiteral("CrosshairToolButton"));
    d->crosshairButton->setText(tr("Crosshair"));
    d->crosshairButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    d->crosshairButton->setMenu(d->crosshairMenu);
    d->crosshairButton->setPopupMode(QToolButton::MenuButtonPopup);
    d->crosshairButton->setDefaultAction(d->toggle);
    addWidget(d->crosshairButton);
    connect(this, &QToolBar::toolButtonStyleChanged, d->crosshairButton, &QToolButton::setToolButtonStyle);
    setEnabled(false);
}

vtkVizApplicationLogic* qVizViewersToolBar::applicationLogic() const
{
    return d->logic;
}

vtkMRMLScene* qVizViewersToolBar::mrmlScene() const
{
    return d->scene;
}

void qVizViewersToolBar::setApplicationLogic(vtkVizApplicationLogic* appLogic)
{
    d->logic = appLogic;
}

void qVizViewersToolBar::setMRMLScene(vtkMRMLScene* newScene)
{
    if (d->scene == newScene)
        return;
    d->observer->addConnection(d->scene, newScene, vtkMRMLScene::StartCloseEvent, this,
                               SLOT(OnMRMLSceneStartClose()));
    d->observer->addConnection(d->scene, newScene, vtkMRMLScene::EndImportEvent, this,
                               SLOT(OnMRMLSceneEndImport()));
    d->observer->addConnection(d->scene, newScene, vtkMRMLScene::EndCloseEvent, this,
                               SLOT(OnMRMLSceneEndClose()));
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        d->observer->removeConnection(node, vtkCommand::ModifiedEvent, this);
    d->scene = newScene;
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        d->observer->addConnection(node, vtkCommand::ModifiedEvent, this,
                                   SLOT(onCrosshairNodeModeChangedEvent()));
    setEnabled(newScene != nullptr);
    updateWidgetFromMRML();
}

void qVizViewersToolBar::OnMRMLSceneStartClose()
{
    setEnabled(false);
}

void qVizViewersToolBar::OnMRMLSceneEndImport()
{
    setEnabled(true);
    updateWidgetFromMRML();
}

void qVizViewersToolBar::OnMRMLSceneEndClose()
{
    setEnabled(true);
    if (!d->scene || !d->scene->IsImporting())
        updateWidgetFromMRML();
}

void qVizViewersToolBar::onCrosshairNodeModeChangedEvent()
{
    updateWidgetFromMRML();
}

void qVizViewersToolBar::onSliceCompositeNodeChangedEvent()
{
    updateWidgetFromMRML();
}

void qVizViewersToolBar::setCrosshairMode(int mode)
{
    if (!d->scene)
        return;
    if (mode != vtkMRMLCrosshairNode::NoCrosshair)
        d->lastMode = mode;
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        node->SetCrosshairMode(mode);
}

void qVizViewersToolBar::setCrosshairEnabled(bool enabled)
{
    if (!d->scene)
        return;
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        node->SetCrosshairMode(enabled ? d->lastMode : vtkMRMLCrosshairNode::NoCrosshair);
}

void qVizViewersToolBar::setCrosshairThickness(int thickness)
{
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        node->SetCrosshairThickness(thickness);
}

void qVizViewersToolBar::setCrosshairJumpSlicesMode(int mode)
{
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        node->SetCrosshairBehavior(mode);
}

void qVizViewersToolBar::setSliceIntersectionVisible(bool visible)
{
    if (!d->scene)
        return;
    // The slice composite nodes carry the flag as an attribute of the 3D-only scene.
    std::vector<vtkMRMLNode*> nodes;
    d->scene->GetNodesByClass("vtkMRMLSliceCompositeNode", nodes);
    for (vtkMRMLNode* node : nodes)
        node->SetAttribute("SliceIntersectionVisibility", visible ? "1" : "0");
}

void qVizViewersToolBar::updateWidgetFromMRML()
{
    vtkMRMLCrosshairNode* crosshair = nullptr;
    for (vtkMRMLCrosshairNode* node : d->crosshairs())
        if (node->GetCrosshairName() && std::strcmp(node->GetCrosshairName(), "default") == 0) {
            crosshair = node;
            break;
        }
    if (!crosshair)
        return;
    checkMapped(d->jumpSlicesMapper, d->jumpSlices, crosshair->GetCrosshairBehavior());
    checkMapped(d->crosshairMapper, d->crosshairModes, crosshair->GetCrosshairMode());
    checkMapped(d->thicknessMapper, d->thickness, crosshair->GetCrosshairThickness());
    if (crosshair->GetCrosshairMode() != vtkMRMLCrosshairNode::NoCrosshair)
        d->lastMode = crosshair->GetCrosshairMode();
    const QSignalBlocker block(d->toggle);
    d->toggle->setChecked(crosshair->GetCrosshairMode() != vtkMRMLCrosshairNode::NoCrosshair);
}
