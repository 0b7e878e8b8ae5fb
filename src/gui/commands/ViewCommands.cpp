#include "ViewCommands.h"

#include "commands/ClipScalarBarCommands.h"

#include "commands/CommandAction.h"
#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "selection/TreeSelectionSingleton.h"
#include "visualization/qPelmoraThreeDWidget.h"
#include "visualization/qView3DMRML.h"

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>

#include <vtkCollection.h>
#include <vtkNew.h>

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace Gui {

namespace {

qPelmoraApplication* application()
{
    return qPelmoraApplication::application();
}

// The main window's active document window when it is a 3D view.
qView3DMRML* activeView3D()
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    return mw ? qobject_cast<qView3DMRML*>(mw->activeWindow()) : nullptr;
}

// The 3D widget of the current project's active view, when that view is a 3D view.
qPelmoraThreeDWidget* currentViewer()
{
    qPelmoraApplication* app = application();
    GuiProject* project = app ? app->get_current_project() : nullptr;
    auto* view = project ? qobject_cast<qView3DMRML*>(project->getActiveView()) : nullptr;
    return view ? view->getViewer() : nullptr;
}

vtkMRML3DViewDisplayableManager* firstViewManager(qPelmoraThreeDWidget* viewer)
{
    if (!viewer)
        return nullptr;
    vtkNew<vtkCollection> managers;
    viewer->getDisplayableManagers(managers);
    for (int i = 0; i < managers->GetNumberOfItems(); ++i)
        if (auto* m = vtkMRML3DViewDisplayableManager::SafeDownCast(managers->GetItemAsObject(i)))
            return m;
    return nullptr;
}

bool actionChecked(const Command& cmd)
{
    CommandAction* action = cmd.get_action();
    return action && action->is_checked();
}

bool treeHasSelection()
{
    TreeSelectionSingleton* tree = TreeSelectionSingleton::existing();
    return tree && tree->has_selection();
}

// One hide or show record per object, each with the project name and the object id.
void sendVisibility(pmMsg::RecordCode code, const Obj::Project& project, const Obj::ProjectObject& object)
{
    pmMsg::MessageData record;
    record.code = code;
    record.text2 = project.get_name();
    record.number = object.getObjectId();
    record.real = 0.0;
    pmMsg::doCommand(record);
}

// Every selected object of every project, once per selection entry.
template <class F>
void forEachSelectedObject(F f)
{
    if (!Obj::Application::_pcSingleton)
        return;
    TreeSelectionSingleton& tree = TreeSelectionSingleton::instance();
    for (Obj::Project* project : Obj::Application::instance().get_projects())
        for (Obj::ProjectObject* object :
             tree.get_objects_of_type(Obj::ProjectObject::getClassTypeId(), project->get_name()))
            f(*project, *object);
}

} // namespace

// ---------------------------------------------------------------------------------------

StdCmdViewExtents::StdCmdViewExtents() : Command("Std_ViewExtents")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdViewExtents", "Zoom Extents"),
              QT_TRANSLATE_NOOP("StdCmdViewExtents", "Zoom extents"), "Std_ViewExtents", nullptr,
              "pelmora_gui_zoomall");
}

bool StdCmdViewExtents::is_applicable()
{
    qPelmoraApplication* app = application();
    return app && app->test_msg_to_current_view("ViewExtents");
}

void StdCmdViewExtents::activated(int)
{
    if (qPelmoraApplication* app = application())
        app->send_msg_to_current_view("ViewExtents");
}

StdViewScreenCapture::StdViewScreenCapture() : DisabledViewCommand("Std_ViewScreenCapture")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdViewScreenCapture", "Save picture..."),
              QT_TRANSLATE_NOOP("StdViewScreenCapture", "Creates a screenshot of current view"),
              "Std_ViewScreenCapture", nullptr, "camera-photo");
}

// ---------------------------------------------------------------------------------------

StdViewWindowDocking::StdViewWindowDocking() : Command("Std_ViewWindowDocking")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdViewWindowDocking", "Graphics Window"),
              QT_TRANSLATE_NOOP("StdViewWindowDocking", "Set the displaying mode of graphics window"),
              "Std_ViewWindowDocking", nullptr, nullptr);
}

CommandAction* StdViewWindowDocking::new_action()
{
    auto* group = new CmdActionGroup(this, MainWindow::get_main_window_inst());
    const char* const items[][2] = {{QT_TRANSLATE_NOOP("StdViewWindowDocking", "Docked"), "D"},
                                    {QT_TRANSLATE_NOOP("StdViewWindowDocking", "Undocked"), "U"},
                                    {QT_TRANSLATE_NOOP("StdViewWindowDocking", "Fullscreen"), "F11"}};
    for (const auto& item : items) {
        QAction* action = group->new_action(QString());
        action->setCheckable(true);
        action->setShortcut(QKeySequence(QString::fromLatin1(item[1])));
    }
    fillTexts(group);
    return group;
}

void StdViewWindowDocking::fillTexts(CommandAction* action) const
{
    auto* group = qobject_cast<CmdActionGroup*>(action);
    if (!group)
        return;
    const char* context = get_class_name();
    group->set_text(QCoreApplication::translate(context, get_menu_info()));
    const char* names[] = {"Docked", "Undocked", "Fullscreen"};
    const QString tip = QCoreApplication::translate(context, get_tooltip_info());
    const QString help = QCoreApplication::translate(context, get_action_info());
    const QList<QAction*> actions = group->get_actions();
    for (int i = 0; i < actions.size() && i < 3; ++i) {
        actions[i]->setText(QCoreApplication::translate(context, names[i]));
        actions[i]->setToolTip(tip);
        actions[i]->setStatusTip(tip);
        actions[i]->setWhatsThis(help);
    }
}

void StdViewWindowDocking::on_language_changed()
{
    if (CommandAction* action = get_action())
        fillTexts(action);
}

bool StdViewWindowDocking::is_applicable()
{
    qView3DMRML* view = activeView3D();
    if (!view)
        return false;
    if (auto* group = qobject_cast<CmdActionGroup*>(get_action())) {
        const int mode = static_cast<int>(view->currentViewMode());
        if (group->get_checked_action() != mode) {
            const QList<QAction*> actions = group->get_actions();
            if (mode >= 0 && mode < actions.size())
                actions.at(mode)->setChecked(true);
        }
    }
    return true;
}

void StdViewWindowDocking::activated(int index)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!mw)
        return;
    if (mw->isFullScreen())
        mw->showNormal();
    MDIWindow* view = mw->activeWindow();
    if (!view || (index == 0 && view->currentViewMode() == MDIWindow::Child))
        return;
    GuiProject* project = get_current_guiproject();
    MDIWindow* copy = project ? project->cloneView(view) : nullptr;
    if (!copy)
        return;
    // The copy shows the scene before the old view goes, so the model never leaves the
    // screen.
    if (auto* copy3D = qobject_cast<qView3DMRML*>(copy)) {
        copy3D->setMRMLScene(project->mrmlScene());
        copy3D->createThreeDWidget();
    }

    const char* camera = nullptr;
    if (view->message_handler("GetCamera", &camera) && camera) {
        const std::string setCamera = std::string("SetCamera ") + camera;
        copy->message_handler(setCamera.c_str(), nullptr);
    }

    const auto mode = static_cast<MDIWindow::ViewMode>(index);
    if (index == 0 || view->currentViewMode() == mode)
        mw->addWindow(copy);
    else
        copy->setCurrentViewMode(mode);
    view->remove_viewself();
    // The copy is the window the next choice acts on, docked or not.
    mw->setActiveWindow(copy);
}

// ---------------------------------------------------------------------------------------

StdCmdVisibility::StdCmdVisibility() : Command("Std_Visibility")
{
    sGroup = "Standard-View";
    eType = 2;
    const char* text = QT_TRANSLATE_NOOP("StdCmdVisibility", "Toggle visibility of selected objects");
    // No icon: the command is offered in menus, where its sentence reads well; toolbars
    // leave it out rather than show the whole sentence on a button.
    set_texts(text, text, "Std_Visibility", nullptr, nullptr);
}

bool StdCmdVisibility::is_applicable()
{
    return treeHasSelection();
}

void StdCmdVisibility::activated(int)
{
    if (!Obj::Application::_pcSingleton)
        return;
    qPelmoraApplication* app = application();
    TreeSelectionSingleton& tree = TreeSelectionSingleton::instance();
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        GuiProject* gui = app ? app->get_project(project) : nullptr;
        std::vector<Obj::ProjectObject*> objects =
            tree.get_objects_of_type(Obj::ProjectObject::getClassTypeId(), project->get_name());

        // A group whose member is selected too is left to the member.
        std::vector<Obj::ProjectObject*> sorted(objects);
        std::sort(sorted.begin(), sorted.end());
        std::vector<Obj::ProjectObject*> groups;
        for (Obj::ProjectObject* object : objects) {
            auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(object);
            if (!group)
                continue;
            for (Obj::ProjectObject* member : group->get_objects())
                if (std::binary_search(sorted.begin(), sorted.end(), member)) {
                    groups.push_back(object);
                    break;
                }
        }
        if (!groups.empty()) {
            std::sort(groups.begin(), groups.end());
            objects.clear();
            std::set_difference(sorted.begin(), sorted.end(), groups.begin(), groups.end(),
                                std::back_inserter(objects));
        }
        for (Obj::ProjectObject* object : objects) {
            const bool shown = gui && gui->isShow(object->getObjectId());
            sendVisibility(shown ? pmMsg::REC_HIDE : pmMsg::REC_SHOW, *project, *object);
        }
    }
}

bool SelectedVisibilityCommand::is_applicable()
{
    return treeHasSelection();
}

void SelectedVisibilityCommand::activated(int)
{
    const pmMsg::RecordCode code = showing ? pmMsg::REC_SHOW : pmMsg::REC_HIDE;
    forEachSelectedObject([code](const Obj::Project& project, const Obj::ProjectObject& object) {
        sendVisibility(code, project, object);
    });
}

StdCmdShowSelected::StdCmdShowSelected() : SelectedVisibilityCommand("Std_ShowSelected", true)
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdShowSelected", "Show"),
              QT_TRANSLATE_NOOP("StdCmdShowSelected", "Show selected geometry objects"), "Std_ShowSelected", nullptr,
              "pelmora_part_show");
}

StdCmdHideSelected::StdCmdHideSelected() : SelectedVisibilityCommand("Std_HideSelected", false)
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdHideSelected", "Hide"),
              QT_TRANSLATE_NOOP("StdCmdHideSelected", "Hide selected objects"), "Std_HideSelected", nullptr,
              "pelmora_part_hide");
}

// ---------------------------------------------------------------------------------------

StdOrthographicView::StdOrthographicView() : DisabledViewCommand("Std_OrthographicView")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdOrthographicView", "Orthographic view"),
              QT_TRANSLATE_NOOP("StdOrthographicView", "Orthographic view mode"), "Std_OrthographicView", nullptr,
              nullptr);
    set_shortcut("O");
}

CommandAction* StdOrthographicView::new_action()
{
    return new_checkable_action(false);
}

StdPerspectiveView::StdPerspectiveView() : DisabledViewCommand("Std_PerspectiveView")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdPerspectiveView", "Perspective view"),
              QT_TRANSLATE_NOOP("StdPerspectiveView", "Perspective view mode"), "Std_PerspectiveView", nullptr,
              nullptr);
    set_shortcut("P");
}

CommandAction* StdPerspectiveView::new_action()
{
    return new_checkable_action(false);
}

StdViewZoomIn::StdViewZoomIn() : DisabledViewCommand("Std_ViewZoomIn")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdViewZoomIn", "Zoom In"), QT_TRANSLATE_NOOP("StdViewZoomIn", "Zoom In"),
              "Std_ViewZoom", nullptr, "pelmora_gui_zoomin");
    // The platform's key bindings need a GUI application.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        sAccel = get_shortcut_from_keys(QKeySequence(QKeySequence::ZoomIn)[0]);
}

StdViewZoomOut::StdViewZoomOut() : DisabledViewCommand("Std_ViewZoomOut")
{
    sGroup = "Standard-View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdViewZoomOut", "Zoom Out"), QT_TRANSLATE_NOOP("StdViewZoomOut", "Zoom Out"),
              "Std_ViewZoom", nullptr, "pelmora_gui_zoomout");
    // The platform's key bindings need a GUI application.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        sAccel = get_shortcut_from_keys(QKeySequence(QKeySequence::ZoomOut)[0]);
}

StdCmdShowCoordSys::StdCmdShowCoordSys() : DisabledViewCommand("Std_ShowCoordSys")
{
    sGroup = "Standard-View";
    eType = 7;
    set_texts(QT_TRANSLATE_NOOP("StdCmdShowCoordSys", "Toggle axis cross"),
              QT_TRANSLATE_NOOP("StdCmdShowCoordSys", "Toggle axis cross"), "Std_ShowCoordSys", nullptr, "Std_Tool1");
}

StdCmdMeasureDistance::StdCmdMeasureDistance() : Command("Std_MeasureDistance")
{
    sGroup = "View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdMeasureDistance", "Measure distance"),
              QT_TRANSLATE_NOOP("StdCmdMeasureDistance", "Measure distance"), "Std_MeasureDistance", nullptr,
              "view-measurement");
}

// ---------------------------------------------------------------------------------------

CommandAction* ViewDisplaySwitch::new_action()
{
    return new_checkable_action(false);
}

bool ViewDisplaySwitch::is_applicable()
{
    return activeView3D() != nullptr;
}

StdCmdShowVertices::StdCmdShowVertices() : ViewDisplaySwitch("Std_ShowVertices")
{
    sGroup = "View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdShowVertices", "Show Vertices"),
              QT_TRANSLATE_NOOP("StdCmdShowVertices", "Show Vertices"), "Std_ShowVertices", nullptr,
              "AnnotationEditPolyline.png");
}

void StdCmdShowVertices::activated(int)
{
    if (vtkMRML3DViewDisplayableManager* manager = firstViewManager(currentViewer()))
        manager->SetRenderPointsVisible(actionChecked(*this));
}

StdCmdShowWireframe::StdCmdShowWireframe() : ViewDisplaySwitch("Std_ShowWireframe")
{
    sGroup = "View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdShowWireframe", "Wireframe"),
              QT_TRANSLATE_NOOP("StdCmdShowWireframe", "Wireframe"), "Std_ShowWireframe", nullptr,
              "FemeshGeometryGroup.png");
}

void StdCmdShowWireframe::activated(int)
{
    if (qPelmoraThreeDWidget* viewer = currentViewer())
        viewer->VtkSetDisplayMode(0, actionChecked(*this) ? DM_Wireframe : DM_ShadingWithEdges);
}

StdCmdShowMesh::StdCmdShowMesh() : ViewDisplaySwitch("Std_ShowMesh")
{
    sGroup = "View";
    eType = 2;
    set_texts(QT_TRANSLATE_NOOP("StdCmdShowMesh", "Show Mesh"), QT_TRANSLATE_NOOP("StdCmdShowMesh", "Show Mesh"),
              "Std_ShowMesh", nullptr, "FemeshMesh.png");
}

bool StdCmdShowMesh::is_applicable()
{
    qView3DMRML* view = activeView3D();
    GuiProject* project = view ? view->get_project() : nullptr;
    Obj::Project* logic = project ? project->get_project() : nullptr;
    return logic && logic->kind == 1;
}

void StdCmdShowMesh::activated(int)
{
    if (vtkMRML3DViewDisplayableManager* manager = firstViewManager(currentViewer()))
        manager->VtkSetShowMesh(actionChecked(*this));
}

// ---------------------------------------------------------------------------------------

void register_view_commands(CommandController& controller)
{
    controller.new_command(new StdCmdViewExtents());
    controller.new_command(new StdViewScreenCapture());
    controller.new_command(new StdViewWindowDocking());
    controller.new_command(new StdCmdVisibility());
    controller.new_command(new StdCmdShowSelected());
    controller.new_command(new StdCmdHideSelected());
    controller.new_command(new StdOrthographicView());
    controller.new_command(new StdPerspectiveView());
    controller.new_command(new StdViewZoomIn());
    controller.new_command(new StdViewZoomOut());
    controller.new_command(new StdCmdShowCoordSys());
    controller.new_command(new StdCmdMeasureDistance());
    controller.new_command(new StdCmdShowVertices());
    controller.new_command(new StdCmdShowWireframe());
    controller.new_command(new StdCmdShowMesh());
    // The scalar bar and clip planes commands live beside their dialogs.
    register_clip_and_scalar_bar_commands(controller);
}

} // namespace Gui
