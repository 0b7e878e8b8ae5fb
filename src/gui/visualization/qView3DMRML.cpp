#include "qView3DMRML.h"

#include "commands/Command.h"
#include "commands/CommandAction.h"
#include "commands/ToolBarConsole.h"
#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/ToolBarGadget.h"
#include "visualization/qPelmoraThreeDWidget.h"

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLAbstractViewNode.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLViewLogic.h>
#include <mrml/vtkMRMLViewNode.h>
#include <obj/Application.h>
#include <pmunit/Units.h>
#include <qmrml/qMRMLThreeDView.h>

#include <ctk/ctkVTKAbstractView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCollection.h>
#include <vtkNew.h>

#include <QActionEvent>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstring>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::qView3DMRML, Gui::MDIWindow)

namespace {

// Selection mode of each entity type, and the command whose checked state gates it.
struct EntityMode
{
    pmFwm::pmShapeEntityType type;
    IVtk_SelectionMode mode;
    const char* command;
};
const EntityMode entityModes[] = {
    {pmFwm::ENTITY_VERTEX, SM_Vertex, "Std_SelectVertexOrNode"},
    {pmFwm::ENTITY_EDGE, SM_Edge, "Std_SelectEdge"},
    {pmFwm::ENTITY_FACE, SM_Face, "Std_SelectFace"},
    {pmFwm::ENTITY_BODY, SM_Shape, "Std_SelectVolumeOrElem"},
};

CommandController* commands()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    return app ? &app->get_command_manager() : nullptr;
}

CommandAction* commandAction(const char* name)
{
    CommandController* controller = commands();
    Command* command = controller ? controller->get_command_by_name(name) : nullptr;
    return command ? command->get_action() : nullptr;
}

Vexil::PreferenceManager* preferences()
{
    return Obj::Application::_pcSingleton ? Obj::Application::instance().getPrefMgr() : nullptr;
}

vtkMRMLInteractionNode* interactionNode(vtkMRMLScene* scene, vtkMRMLInteractionNode* given)
{
    if (given)
        return given;
    return scene ? vtkMRMLInteractionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"))
                 : nullptr;
}

} // namespace

qView3DMRML::qView3DMRML(GuiProject* p, QWidget* parent, QOpenGLWidget*, Qt::WindowFlags flags)
    : MDIWindow(p, parent, flags)
{
    setMouseTracking(true);
    setAcceptDrops(false);
    if (Vexil::PreferenceManager* prefs = preferences()) {
        const auto type = static_cast<Vexil::AntiAliasingType>(prefs->getInt(Vexil::PM_ANTI_ALIASING));
        ctkVTKAbstractView::setMultiSamples(prefs->getNumSamplesByType(type));
        readViewSettings();
        // The view keeps its settings as the user last set them, not as they were when
        // it opened.
        connect(prefs, &Vexil::PreferenceManager::optionChanged, this, &qView3DMRML::settingUpdated);
    }
    selectTypes = {pmFwm::ENTITY_VERTEX, pmFwm::ENTITY_EDGE, pmFwm::ENTITY_FACE, pmFwm::ENTITY_BODY};
    animationTimer = new QTimer(this);
    connect(animationTimer, &QTimer::timeout, this, &qView3DMRML::stop_animation);
}

qView3DMRML::~qView3DMRML()
{
    if (logics)
        logics->UnRegister(nullptr);
    delete viewer;
}

void qView3DMRML::readViewSettings()
{
    Vexil::PreferenceManager* prefs = preferences();
    if (!prefs)
        return;
    settings.clear();
    for (int id = Vexil::PM_BACKGROUND_MODE; id <= Vexil::PM_GRADIENT_USE_MIDDLE; ++id)
        settings.push_back(prefs->getString(static_cast<Vexil::PM_SETTING>(id)));
}

void qView3DMRML::dump(const char*) {}
void qView3DMRML::stop_animation() {}

void qView3DMRML::settingUpdated(Vexil::PM_SETTING setting)
{
    if (setting >= Vexil::PM_ENABLE_PRESELECTION && setting <= Vexil::PM_SELECTION_COLOR)
        applyHighlightPreferences();
    if (setting >= Vexil::PM_BACKGROUND_MODE && setting <= Vexil::PM_GRADIENT_MIDDLE_COLOR)
        readViewSettings();
}

// ---------------------------------------------------------------------------------------
// Viewer

void qView3DMRML::setMRMLScene(vtkMRMLScene* s)
{
    if (scene != s)
        scene = s;
}

vtkMRMLScene* qView3DMRML::mrmlScene() const
{
    return scene;
}

void qView3DMRML::setViewLogics(vtkCollection* collection)
{
    if (collection == logics)
        return;
    if (logics) {
        if (viewer && viewer->viewLogic()) {
            if (collection)
                collection->AddItem(viewer->viewLogic());
            logics->RemoveItem(viewer->viewLogic());
        }
        logics->UnRegister(nullptr);
    }
    logics = collection;
    if (logics)
        logics->Register(nullptr);
}

void qView3DMRML::createThreeDWidget()
{
    GuiProject* p = get_project();
    vtkMRMLAbstractViewNode* node = p ? p->getViewNode() : nullptr;
    if (!node)
        return;
    QWidget* central = centralWidget();
    if (!central) {
        central = new QWidget(this);
        setCentralWidget(central);
    }
    auto* frame = new QFrame(central);
    auto* layout = new QHBoxLayout(central);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    const QColor previous = central->palette().color(QPalette::Window);
    viewerPrepared = true;
    if (isVisible())
        buildViewer();
    QPalette palette = central->palette();
    palette.setColor(QPalette::All, QPalette::Window, QColor(95, 95, 113));
    central->setPalette(palette);
    central->setAutoFillBackground(true);
    QPalette framePalette = frame->palette();
    framePalette.setColor(QPalette::Window, previous);
    frame->setPalette(framePalette);
    frame->setAttribute(Qt::WA_NoSystemBackground);
    frame->setAttribute(Qt::WA_TranslucentBackground);
}

void qView3DMRML::buildViewer()
{
    if (viewer || !viewerPrepared)
        return;
    GuiProject* p = get_project();
    vtkMRMLAbstractViewNode* node = p ? p->getViewNode() : nullptr;
    QWidget* central = centralWidget();
    if (!node || !central || !central->layout())
        return;
    viewerPrepared = false;
    central->layout()->addWidget(createViewFromNode(node));
    // Built while the view shows (its children are shown already): show it as well.
    if (central->isVisible())
        viewer->show();
}

qPelmoraThreeDWidget* qView3DMRML::getViewer() const
{
    const_cast<qView3DMRML*>(this)->buildViewer();
    return viewer;
}

void qView3DMRML::showEvent(QShowEvent* event)
{
    buildViewer();
    MDIWindow::showEvent(event);
}

qPelmoraThreeDWidget* qView3DMRML::createViewFromNode(vtkMRMLAbstractViewNode* node)
{
    if (!node)
        return nullptr;
    QWidget* central = centralWidget() ? centralWidget() : this;
    viewer = new qPelmoraThreeDWidget(central, nullptr);
    const QString name = QString::fromUtf8(node->GetName() ? node->GetName() : "");
    viewer->setObjectName(QStringLiteral("ThreeDWidget%1").arg(name));
    viewer->setViewLabel(name);
    const double* c = node->GetBackgroundColor();
    viewer->setViewColor(QColor::fromRgbF(c[0], c[1], c[2], 1.0));
    viewer->setMRMLScene(scene);
    // The view node follows the scene it is shown with (it is not one of its nodes).
    node->SetScene(scene);
    viewer->setMRMLViewNode(vtkMRMLViewNode::SafeDownCast(node));
    viewer->setViewLogics(logics);
    viewer->set_project(get_project());

    std::vector<IVtk_SelectionMode> modes;
    std::vector<bool> flags;
    getSelectionModesFromCommands(modes, flags);
    viewer->VtkSetSelectionModes(modes, flags);
    if (!canSelectModes.empty())
        VtkSetSelectionMode(canSelectModes);
    viewer->VtkSetDisplayMode(0, getDisplayModeFromCommand());
    if (pmUnit::UnitsManager* units = pmUnit::UnitsManager::instance())
        viewer->VtkSetRulerInMetric(units->IsLengthUnitInMetric());
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        viewer->setEntitySelData(mw->getEntitySelData());
    applyHighlightPreferences();
    return viewer;
}

void qView3DMRML::setViewerVisiable(bool visible)
{
    if (viewer)
        viewer->setVisible(visible);
}

QOpenGLWidget* qView3DMRML::sharedGLWidget() const
{
    // A view off screen holds no OpenGL widget, and none is made for the asking.
    return viewer && viewer->threeDView()->hasVTKWidget() ? viewer->threeDView()->VTKWidget() : nullptr;
}

// ---------------------------------------------------------------------------------------
// Interaction modes

bool qView3DMRML::StartPlaceMode(const char* className, bool persistent, vtkMRMLInteractionNode* node)
{
    if (!scene)
        return false;
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    if (!selection)
        return false;
    selection->SetActivePlaceNodeClassName(className);
    vtkMRMLInteractionNode* interaction = interactionNode(scene, node);
    if (!interaction)
        return false;
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    interaction->SetPlaceModePersistence(persistent ? 1 : 0);
    return interaction->GetCurrentInteractionMode() == vtkMRMLInteractionNode::Place;
}

void qView3DMRML::EndPlaceMode(vtkMRMLInteractionNode* node)
{
    if (vtkMRMLInteractionNode* interaction = interactionNode(scene, node))
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::ViewTransform);
}

void qView3DMRML::StartSelectMode(vtkMRMLInteractionNode* node)
{
    if (vtkMRMLInteractionNode* interaction = interactionNode(scene, node))
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Select);
}

void qView3DMRML::EndSelectMode(vtkMRMLInteractionNode* node)
{
    EndPlaceMode(node);
}

// ---------------------------------------------------------------------------------------
// Selection and display

bool qView3DMRML::isSameSelects(const std::vector<pmFwm::pmShapeEntityType>& types) const
{
    if (types.size() != selectTypes.size())
        return false;
    for (pmFwm::pmShapeEntityType t : types)
        if (!canSelect(t))
            return false;
    return true;
}

bool qView3DMRML::canSelect(pmFwm::pmShapeEntityType type) const
{
    return std::find(selectTypes.begin(), selectTypes.end(), type) != selectTypes.end();
}

void qView3DMRML::setCanSelect(const std::vector<pmFwm::pmShapeEntityType>& types)
{
    if (isSameSelects(types))
        return;
    selectTypes = types;
    std::map<IVtk_SelectionMode, bool> modes{{SM_Vertex, false}, {SM_Edge, false}, {SM_Face, false}, {SM_Shape, false}};
    for (pmFwm::pmShapeEntityType t : types)
        for (const EntityMode& m : entityModes)
            if (m.type == t)
                modes[m.mode] = true;
    if (types.size() == 4)
        modes[SM_Shape] = false;
    for (IVtk_SelectionMode mode : {SM_Shape, SM_Face, SM_Edge, SM_Vertex}) {
        if (!modes[mode])
            continue;
        for (const EntityMode& m : entityModes)
            if (m.mode == mode)
                if (CommandAction* action = commandAction(m.command))
                    if (!action->is_checked())
                        modes[mode] = false;
    }
    canSelectModes = modes;
    VtkSetSelectionMode(modes);
}

bool qView3DMRML::getSelectionModesFromCommands(std::vector<IVtk_SelectionMode>& modes,
                                                std::vector<bool>& flags) const
{
    modes.clear();
    flags.clear();
    const std::pair<const char*, IVtk_SelectionMode> order[] = {{"Std_SelectVolumeOrElem", SM_Shape},
                                                                {"Std_SelectFace", SM_Face},
                                                                {"Std_SelectEdge", SM_Edge},
                                                                {"Std_SelectVertexOrNode", SM_Vertex}};
    for (const auto& entry : order)
        if (CommandAction* action = commandAction(entry.first)) {
            modes.push_back(entry.second);
            flags.push_back(action->is_checked());
        }
    return true;
}

IVtk_DisplayMode qView3DMRML::getDisplayModeFromCommand() const
{
    CommandAction* action = commandAction("Std_ShowWireframe");
    if (!action)
        return DM_None;
    return action->is_checked() ? DM_Wireframe : DM_ShadingWithEdges;
}

namespace {
template <class F>
void forEach3DViewManager(qPelmoraThreeDWidget* viewer, F f)
{
    if (!viewer)
        return;
    vtkNew<vtkCollection> managers;
    viewer->getDisplayableManagers(managers);
    for (int i = 0; i < managers->GetNumberOfItems(); ++i)
        if (auto* m = vtkMRML3DViewDisplayableManager::SafeDownCast(managers->GetItemAsObject(i)))
            f(m);
}
} // namespace

void qView3DMRML::VtkSetSelectionMode(const std::map<IVtk_SelectionMode, bool>& modes)
{
    forEach3DViewManager(viewer, [&](vtkMRML3DViewDisplayableManager* m) {
        for (const auto& entry : modes)
            m->VtkSetSelectionModeNoRender(entry.first, entry.second);
    });
}

void qView3DMRML::applyHighlightPreferences()
{
    Vexil::PreferenceManager* prefs = preferences();
    if (!prefs || !viewer)
        return;
    // The model under the mouse is marked, and the picked one coloured, as the
    // preferences say, in their colours.
    viewer->SetEnablePreSelection(prefs->isOn(Vexil::PM_ENABLE_PRESELECTION));
    const auto rgb = [prefs](Vexil::PM_SETTING id, double out[3]) {
        const QColor c = QColor::fromRgba(prefs->getUInt(id));
        out[0] = c.redF();
        out[1] = c.greenF();
        out[2] = c.blueF();
    };
    double selected[3], preSelected[3];
    rgb(Vexil::PM_SELECTION_COLOR, selected);
    rgb(Vexil::PM_PRESELECTION_COLOR, preSelected);
    const bool selection = prefs->isOn(Vexil::PM_ENABLE_SELECTION);
    forEach3DViewManager(viewer, [&](vtkMRML3DViewDisplayableManager* m) {
        m->SetHighlighting(selection, selected, preSelected);
    });
}

void qView3DMRML::ResetSelection()
{
    forEach3DViewManager(viewer, [](vtkMRML3DViewDisplayableManager* m) { m->ResetSelection(); });
}

void qView3DMRML::SetEnablePreSelection(bool enabled)
{
    if (viewer)
        viewer->SetEnablePreSelection(enabled);
}

// ---------------------------------------------------------------------------------------
// Messages and printing

bool qView3DMRML::has_message_handler(const char* name)
{
    if (!name)
        return false;
    static const char* const handled[] = {"Save", "SaveAs", "Print", "PrintPreview", "PrintPdf",
                                          "ViewExtents", "ViewVR", "ViewSelection", "ViewBottom",
                                          "ViewFront", "ViewLeft", "ViewRear", "ViewRight", "ViewTop",
                                          "ViewAxo", "GetCamera"};
    for (const char* h : handled)
        if (std::strcmp(name, h) == 0)
            return true;
    return std::strncmp(name, "SetCamera", 9) == 0 || std::strncmp(name, "Dump", 4) == 0;
}

bool qView3DMRML::message_handler(const char* name, const char**)
{
    if (name && std::strcmp(name, "ViewExtents") == 0) {
        if (viewer)
            viewer->threeDView()->resetFocalPoint();
        return true;
    }
    return false;
}

QImage qView3DMRML::printImage() const
{
    qPelmoraThreeDWidget* shown = getViewer();
    if (!shown)
        return QImage();
    qMRMLThreeDView* view = shown->threeDView();
    view->forceRender();
    return view->VTKWidget()->grabFramebuffer();
}

void qView3DMRML::print()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setFullPage(true);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        print(&printer);
}

void qView3DMRML::print_preview()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setFullPage(true);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            static_cast<void (qView3DMRML::*)(QPrinter*)>(&qView3DMRML::print));
    dialog.exec();
}

void qView3DMRML::print(QPrinter* printer)
{
    if (!printer)
        return;
    QPainter painter(printer);
    if (!painter.isActive())
        return;
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    painter.drawImage(page.topLeft(), printImage());
}

// ---------------------------------------------------------------------------------------
// Window behaviour

void qView3DMRML::keyPressEvent(QKeyEvent* event)
{
    // Escape first ends a placement under way, as the mouse-mode tool bar would.
    vtkMRMLInteractionNode* interaction = event->key() == Qt::Key_Escape ? interactionNode(scene, nullptr) : nullptr;
    if (interaction && interaction->GetCurrentInteractionMode() == vtkMRMLInteractionNode::Place) {
        interaction->SwitchToViewTransformMode();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && currentViewMode() != Child)
        setCurrentViewMode(Child);
    MDIWindow::keyPressEvent(event);
}

void qView3DMRML::setCurrentViewMode(ViewMode mode)
{
    // Back in the tab area the view needs a new native window.
    if (mode != currentViewMode() && mode == Child)
        destroy(false, true);
    MDIWindow::setCurrentViewMode(mode);
}

void qView3DMRML::windowStateChanged(MDIWindow* other)
{
    if (!animationTimer->isActive())
        return;
    bool keep = false;
    if (other == this || !other)
        keep = isMinimized();
    else
        keep = other->isMaximized() && !other->isWindow() && !isWindow();
    if (!keep)
        animationTimer->stop();
}

bool qView3DMRML::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != this && event->type() == QEvent::ActionAdded) {
        auto* actionEvent = static_cast<QActionEvent*>(event);
        QAction* action = actionEvent->action();
        if (action && !action->isSeparator() && !actions().contains(action))
            addAction(action);
    }
    return MDIWindow::eventFilter(watched, event);
}

QList<QToolBar*> qView3DMRML::toolBars() const
{
    QList<QToolBar*> bars;
    for (QToolBar* bar : findChildren<QToolBar*>())
        if (bar->parentWidget() == this)
            bars.append(bar);
    return bars;
}

void qView3DMRML::setupToolBar(ToolBarGadget* item)
{
    if (!item)
        return;
    toolBarNameList.clear();
    MainWindow* mw = MainWindow::get_main_window_inst();
    const int budget = mw ? mw->width() : width();
    QList<QToolBar*> current = toolBars();
    CommandController* controller = commands();
    int running = 0;
    for (ToolBarGadget* child : item->get_items()) {
        const QString name = QString::fromStdString(child->command());
        toolBarNameList.append(name);
        QToolBar* bar = ToolBarConsole::findToolBar(current, name);
        const bool created = !bar;
        if (bar) {
            bar->setVisible(true);
            bar->toggleViewAction()->setVisible(true);
            current.removeAll(bar);
        } else {
            bar = addToolBar(QApplication::translate("SimModule", name.toUtf8().constData()));
            bar->setObjectName(name);
            bar->setVisible(true);
        }
        QList<QAction*> kept;
        for (ToolBarGadget* entry : child->get_items()) {
            const QString command = QString::fromStdString(entry->command());
            if (QAction* existing = ToolBarConsole::look_for_action(bar->actions(), command)) {
                kept.append(existing);
                continue;
            }
            const int before = bar->actions().size();
            if (command == QLatin1String("Separator"))
                bar->addSeparator();
            else if (controller)
                controller->add_to(entry->command().c_str(), bar);
            if (bar->actions().size() > before) {
                QAction* added = bar->actions().last();
                added->setData(command);
                kept.append(added);
            }
        }
        for (QAction* action : bar->actions())
            if (!kept.contains(action))
                bar->removeAction(action);
        if (created) {
            if (toolBarBreak(bar))
                running = 0;
            running += bar->findChildren<QToolButton*>().size() * bar->iconSize().width();
            if (running > budget) {
                running = 0;
                insertToolBarBreak(bar);
            }
        }
    }
    for (QToolBar* bar : current) {
        if (QWidget* focus = QApplication::focusWidget())
            if (bar->isAncestorOf(focus))
                setFocus();
        bar->setVisible(false);
        bar->toggleViewAction()->setVisible(false);
    }
}
