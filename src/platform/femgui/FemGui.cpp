#include "FemGui.h"

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MenuItem.h>
#include <mainwindow/ToolBarGadget.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/Project.h>
#include <vexil/UtilityBox.h>

#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <vtkNew.h>

#include <QString>

#include <string>

VEXIL_TYPESYSTEM_SOURCE(FemGui::ViewFeederProjectFem, Gui::ViewFeederProject)
VEXIL_TYPESYSTEM_SOURCE(FemGui::ViewFeederGeometry, Gui::ViewFeederTopoObject)
VEXIL_TYPESYSTEM_SOURCE(FemGui::SimModule, Gui::StdSimModule)
VEXIL_TYPESYSTEM_SOURCE(AuxillaryGui::SimModule, Gui::StdSimModule)

namespace {

vtkMRMLScene* sceneOf(const Obj::ProjectObject* object)
{
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    Obj::Project* project = object ? object->get_project() : nullptr;
    Gui::GuiProject* gui = app && project ? app->get_project(project) : nullptr;
    return gui ? gui->mrmlScene() : nullptr;
}

// Adds a load to each geometry object selected in the current project, through the
// script line a module of the product sends for it.
class CmdFemAddLoad : public Gui::Command
{
public:
    CmdFemAddLoad() : Command("Fem_AddLoad")
    {
        sAppModule = "Fem";
        sGroup = "Fem";
        set_texts(QT_TRANSLATE_NOOP("CmdFemAddLoad", "Add Load"),
                  QT_TRANSLATE_NOOP("CmdFemAddLoad", "Add a load to the selected geometry"), nullptr);
        eType = 7;
    }
    const char* get_class_name() const override { return "CmdFemAddLoad"; }
    bool is_applicable() override
    {
        return Gui::TreeSelectionSingleton::instance().get_num_objects_of_type(
                   Obj::GeometryObject::getClassTypeId()) != 0;
    }
    void activated(int) override
    {
        Obj::Project* project =
            Obj::Application::_pcSingleton ? Obj::Application::instance().get_current_project() : nullptr;
        if (!project)
            return;
        const std::string name = Vexil::UtilityBox::escaped_char_from_utf8(project->get_name());
        for (Obj::ProjectObject* geometry :
             Gui::TreeSelectionSingleton::instance().get_objects_of_type(Obj::GeometryObject::getClassTypeId()))
            do_command(Doc, "App.get_project('%s').add_load('%u')", name.c_str(), geometry->getObjectId());
    }
};

// The module's own commands join the application's on first use.
void registerCommands()
{
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    if (!app)
        return;
    Gui::CommandController& commands = app->get_command_manager();
    if (!commands.get_command_by_name("Fem_AddLoad"))
        commands.new_command(new CmdFemAddLoad());
}

// Gives the command's action its own key, or none.
void keepKey(const char* name, bool keep)
{
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    Gui::Command* command = app ? app->get_command_manager().get_command_by_name(name) : nullptr;
    Gui::CommandAction* action = command ? command->get_action() : nullptr;
    if (!action)
        return;
    action->set_shortcut_key(keep ? QString::fromLatin1(command->get_shortcut() ? command->get_shortcut() : "")
                                  : QString());
    // The tool tip names the key.
    command->on_language_changed();
}

} // namespace

void FemGui::ViewFeederGeometry::attach(Obj::ProjectObject* o)
{
    ViewFeederTopoObject::attach(o);
    auto* geometry = dynamic_cast<Obj::GeometryObject*>(o);
    vtkMRMLScene* scene = sceneOf(o);
    if (!geometry || !geometry->get_poly_data() || !scene || getMRMLNode())
        return;

    // One batch: views see the model only once it is complete.
    scene->StartState(vtkMRMLScene::BatchProcessState);
    vtkNew<vtkMRMLModelNode> model;
    model->SetName(scene->GetUniqueNameByString(geometry->get_label()).c_str());
    model->SetAndObservePolyData(geometry->get_poly_data());
    // What a pick of the model reports as the picked project and object.
    if (Obj::Project* project = geometry->get_project())
        model->SetAttribute("ProjectName", project->get_name());
    model->SetAttribute("ObjectId", std::to_string(geometry->getObjectId()).c_str());
    auto* added = vtkMRMLModelNode::SafeDownCast(scene->AddNode(model));
    if (added)
        added->CreateDefaultDisplayNodes();
    if (vtkMRMLModelDisplayNode* display = added ? added->GetModelDisplayNode() : nullptr) {
        const Obj::Color& shape = ShapeColor->get_value();
        display->SetColor(shape.r, shape.g, shape.b);
        const Obj::Color& line = LineColor->get_value();
        display->SetEdgeColor(line.r, line.g, line.b);
        display->SetOpacity(static_cast<float>(Opacity->get_value()) / 100.0f);
        display->SetClipping(ClipPlanes->get_value() ? 1 : 0);
        display->SetVisibility(Visibility->get_value() && !geometry->isSuppressed() ? 1 : 0);
    }
    scene->EndState(vtkMRMLScene::BatchProcessState);
    setMRMLNode(added);
    setDisplayMode(static_cast<int>(DisplayMode->get_value()));
}

void FemGui::ViewFeederGeometry::updateData(const Obj::Property* property)
{
    if (property && object && property->get_container() == object
        && property->is_inherited_from(Obj::PropertyBoolean::getClassTypeId())
        && std::string(property->get_name()) == "Visibility") {
        const bool visible = static_cast<const Obj::PropertyBoolean*>(property)->get_value();
        if (visible != Visibility->get_value())
            Visibility->set_value(visible);
        return;
    }
    ViewFeederTopoObject::updateData(property);
}

Gui::MenuItem* FemGui::SimModule::build_menu_bar() const
{
    registerCommands();
    Gui::MenuItem* root = StdSimModule::build_menu_bar();
    if (Gui::MenuItem* file = root->look_for_item("&FILE")) {
        // Opening files of every kind comes first, before opening a project file: both are
        // called "&Open...", and the menu's key O reaches the first (their status tips
        // tell them apart).
        auto* open = new Gui::MenuItem();
        open->set_command("Std_Open");
        Gui::MenuItem* project = file->look_for_item("Std_OpenPMDB");
        if (!project || !file->insert_item(project, open))
            file->pushback_item(open);
    }
    if (Gui::MenuItem* view = root->look_for_item("&VIEW")) {
        Gui::MenuItem* docking = view->look_for_item("Std_ViewWindowDocking");
        for (const char* name : {"Std_Visibility", "Std_ShowSelected", "Std_HideSelected", "Separator",
                                 "Std_ShowWireframe", "Std_ShowVertices", "Std_ShowMesh", "Separator"}) {
            auto* entry = new Gui::MenuItem();
            entry->set_command(name);
            if (!docking || !view->insert_item(docking, entry))
                view->pushback_item(entry);
        }
    }
    // The window menu goes before the help menu's separator.
    auto* window = new Gui::MenuItem();
    window->set_command("&WINDOW");
    *window << "Std_CloseCurrentWindow" << "Std_CloseAllWnds" << "Separator" << "Std_WindowsMenu";
    if (Gui::MenuItem* separator = root->look_for_item("Separator"); !separator || !root->insert_item(separator, window))
        root->pushback_item(window);
    return root;
}

Gui::ToolBarGadget* FemGui::SimModule::build_toolbars() const
{
    Gui::ToolBarGadget* root = StdSimModule::build_toolbars();
    auto* view = new Gui::ToolBarGadget(root);
    view->set_command("View");
    // The visibility toggle has no icon: the View menu offers it.
    *view << "Std_ViewExtents" << "Std_ShowWireframe";
    auto* selection = new Gui::ToolBarGadget(root);
    selection->set_command("Selection");
    *selection << "Std_SelectVolumeOrElem" << "Std_SelectFace" << "Std_SelectEdge" << "Std_SelectVertexOrNode"
               << "Separator" << "Part_SelectionTools" << "Std_SelectNone" << "Std_EnablePreSelect";
    auto* annotations = new Gui::ToolBarGadget(root);
    annotations->set_command("Annotations");
    *annotations << "Std_AnnotationsGroup" << "Std_AnnotationFiducial" << "Std_AnnotationRuler"
                 << "Std_AnnotationROI" << "Std_MRMLModel";
    return root;
}

void FemGui::SimModule::build_context_menu(const char* context, Gui::MenuItem* item) const
{
    StdSimModule::build_context_menu(context, item);
    Gui::TreeSelectionSingleton& selection = Gui::TreeSelectionSingleton::instance();
    if (!context || !item || selection.get_num_objects_of_type(Obj::ProjectObject::getClassTypeId()) == 0)
        return;
    const std::string name = context;
    if (name == "View" || name == "Tree")
        *item << "Separator" << "Std_ShowSelected" << "Std_HideSelected" << "Std_Visibility";
    if (name == "Tree" && selection.get_num_objects_of_type(Obj::GeometryObject::getClassTypeId()) != 0) {
        registerCommands();
        *item << "Separator" << "Fem_AddLoad";
    }
}

void FemGui::SimModule::activated()
{
    keepKey("Std_OpenPMDB", false);
    keepKey("Std_Open", true);
}

void FemGui::SimModule::deactivated()
{
    keepKey("Std_Open", false);
    keepKey("Std_OpenPMDB", true);
}

void FemGui::initModule()
{
    FemGui::ViewFeederProjectFem::init();
    FemGui::ViewFeederGeometry::init();
    FemGui::SimModule::init();
    AuxillaryGui::SimModule::init();
}
