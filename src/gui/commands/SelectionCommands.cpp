#include "SelectionCommands.h"

#include "commands/CommandAction.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureFactory.h"
#include "visualization/qView3DMRML.h"

#include <obj/Application.h>
#include <vexil/PreferenceManager.h>

#include <QAction>

#include <map>

namespace Gui {

namespace {

const char* const Group = "Select-Controller";

// The four entity-mode commands with their view selection modes, in the order the
// others are unchecked.
const struct
{
    const char* name;
    int mode;
} entityCommands[] = {{"Std_SelectVolumeOrElem", SM_Shape},
                      {"Std_SelectFace", SM_Face},
                      {"Std_SelectEdge", SM_Edge},
                      {"Std_SelectVertexOrNode", SM_Vertex}};

MDIWindow* activeWindow()
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    return mw ? mw->activeWindow() : nullptr;
}

// Whether the active document window is a 3D view, asked through the type registry.
bool hasActive3DView()
{
    MDIWindow* view = activeWindow();
    return view && view->getTypeId().is_inherited_from(qView3DMRML::getClassTypeId());
}

qView3DMRML* active3DView()
{
    return qobject_cast<qView3DMRML*>(activeWindow());
}

CommandController* controller()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    return app ? &app->get_command_manager() : nullptr;
}

void setGroupType(SelectionGroupType type)
{
    if (CommandController* commands = controller())
        for (Command* command : commands->get_group_commands(Group))
            command->setSelGroupType(type);
}

} // namespace

// ---------------------------------------------------------------------------------------

SelectEntityCommand::SelectEntityCommand(const char* name, int mode, int entity, bool checked)
    : Command(name), mode(mode), entity(entity), startsChecked(checked)
{
    sGroup = Group;
    setSelGroupType(SelGroupEntity);
}

CommandAction* SelectEntityCommand::new_action()
{
    return new_checkable_action(startsChecked);
}

bool SelectEntityCommand::is_applicable()
{
    if (!hasActive3DView())
        return false;
    qView3DMRML* view = active3DView();
    return view && view->canSelect(static_cast<pmFwm::pmShapeEntityType>(entity));
}

void SelectEntityCommand::activated(int i)
{
    qView3DMRML* view = active3DView();
    if (!view)
        return;
    std::map<IVtk_SelectionMode, bool> modes;
    if (i != 1) {
        modes[static_cast<IVtk_SelectionMode>(mode)] = false;
    } else {
        for (const auto& entry : entityCommands)
            modes[static_cast<IVtk_SelectionMode>(entry.mode)] = entry.mode == mode;
        // Each of the others switches its own mode off as it is unchecked.
        CommandController* commands = controller();
        for (const auto& entry : entityCommands) {
            if (entry.mode == mode || !commands)
                continue;
            Command* other = commands->get_command_by_name(entry.name);
            if (CommandAction* action = other ? other->get_action() : nullptr)
                action->set_checked(false, true);
        }
    }
    view->VtkSetSelectionMode(modes);
}

StdSelectVolumeOrElem::StdSelectVolumeOrElem()
    : SelectEntityCommand("Std_SelectVolumeOrElem", SM_Shape, pmFwm::ENTITY_BODY, false)
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectVolumeOrElem", "Select Volume/Element"),
              QT_TRANSLATE_NOOP("StdSelectVolumeOrElem", "Select volume or element"), "pelmora_select_volume");
}

StdSelectFace::StdSelectFace() : SelectEntityCommand("Std_SelectFace", SM_Face, pmFwm::ENTITY_FACE, true)
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectFace", "Select Face"), QT_TRANSLATE_NOOP("StdSelectFace", "Select face"),
              "pelmora_select_face");
}

StdSelectEdge::StdSelectEdge() : SelectEntityCommand("Std_SelectEdge", SM_Edge, pmFwm::ENTITY_EDGE, false)
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectEdge", "Select Edge"), QT_TRANSLATE_NOOP("StdSelectEdge", "Select edge"),
              "pelmora_select_edge");
}

StdSelectVertexOrNode::StdSelectVertexOrNode()
    : SelectEntityCommand("Std_SelectVertexOrNode", SM_Vertex, pmFwm::ENTITY_VERTEX, false)
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectVertexOrNode", "Select Vertex/Node"),
              QT_TRANSLATE_NOOP("StdSelectVertexOrNode", "Select vertex or node"), "pelmora_select_vertex");
}

// ---------------------------------------------------------------------------------------

SelectGroupCommand::SelectGroupCommand(const char* name) : Command(name)
{
    sGroup = Group;
}

CommandAction* SelectGroupCommand::new_action()
{
    return new_checkable_action(false);
}

StdSelectNone::StdSelectNone() : SelectGroupCommand("Std_SelectNone")
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectNone", "Select None"), QT_TRANSLATE_NOOP("StdSelectNone", "Select none"),
              "pelmora_select_none");
}

bool StdSelectNone::is_applicable()
{
    return hasActive3DView();
}

void StdSelectNone::activated(int)
{
    setGroupType(static_cast<SelectionGroupType>(1));
    if (qView3DMRML* view = active3DView())
        view->EndPlaceMode(nullptr);
}

StdSelectShape::StdSelectShape() : SelectGroupCommand("Std_SelectShape")
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectShape", "Select Shape"), QT_TRANSLATE_NOOP("StdSelectShape", "Select shape"),
              "pelmora_select_shape");
}

bool StdSelectShape::is_applicable()
{
    return hasActive3DView();
}

void StdSelectShape::activated(int)
{
    setGroupType(SelGroupEntity);
}

StdSelectMesh::StdSelectMesh() : SelectGroupCommand("Std_SelectMesh")
{
    set_texts(QT_TRANSLATE_NOOP("StdSelectMesh", "Select Mesh"), QT_TRANSLATE_NOOP("StdSelectMesh", "Select mesh"),
              "pelmora_select_mesh");
}

// ---------------------------------------------------------------------------------------

CmdGeometrySelectionTools::CmdGeometrySelectionTools() : Command("Part_SelectionTools")
{
    sAppModule = "Part";
    sGroup = Group;
    set_menu_info(QT_TRANSLATE_NOOP("CmdGeometrySelectionTools", "Geometry selection tools"));
    const char* tip = QT_TRANSLATE_NOOP("CmdGeometrySelectionTools",
                                        "Geometry selection tools: working with shape or mesh selection.");
    set_tooltip_info(tip);
    set_statustip(tip);
    set_action_info("Part_SelectionTools");
}

CommandAction* CmdGeometrySelectionTools::new_action()
{
    auto* group = new CmdActionGroup(this, MainWindow::get_main_window_inst());
    group->set_dropdown_list(true);
    fill_command_details("CmdGeometrySelectionTools", group);
    PictureFactory& pictures = PictureFactory::instance();
    QAction* shape = group->new_action(QStringLiteral("Select Shape"));
    shape->setIcon(pictures.get_pixmap("pelmora_select_shape"));
    QAction* mesh = group->new_action(QStringLiteral("Select Mesh"));
    mesh->setIcon(pictures.get_pixmap("pelmora_select_mesh"));
    group->set_icon(shape->icon());
    group->setProperty("defaultAction", QVariant(0));
    return group;
}

bool CmdGeometrySelectionTools::is_applicable()
{
    return hasActive3DView();
}

void CmdGeometrySelectionTools::activated(int i)
{
    if (i != 0 && i != 1)
        return;
    if (CommandController* commands = controller())
        commands->run_command_by_name(i == 0 ? "Std_SelectShape" : "Std_SelectMesh");
    if (auto* group = qobject_cast<CmdActionGroup*>(get_action())) {
        const QList<QAction*> actions = group->get_actions();
        if (i < actions.size())
            group->set_icon(actions.at(i)->icon());
    }
}

// ---------------------------------------------------------------------------------------

StdEnablePreSelect::StdEnablePreSelect() : Command("Std_EnablePreSelect")
{
    sGroup = Group;
    set_texts(QT_TRANSLATE_NOOP("StdEnablePreSelect", "Enable Pre-Selection"),
              QT_TRANSLATE_NOOP("StdEnablePreSelect", "Enable Pre-Selection"), "pelmora_preselect");
}

CommandAction* StdEnablePreSelect::new_action()
{
    // The entry shows what the 3D views start with: the preference.
    Vexil::PreferenceManager* prefs =
        Obj::Application::_pcSingleton ? Obj::Application::instance().getPrefMgr() : nullptr;
    return new_checkable_action(prefs && prefs->isOn(Vexil::PM_ENABLE_PRESELECTION));
}

bool StdEnablePreSelect::is_applicable()
{
    return hasActive3DView();
}

void StdEnablePreSelect::activated(int i)
{
    if (qView3DMRML* view = active3DView())
        view->SetEnablePreSelection(i == 1);
}

// ---------------------------------------------------------------------------------------

void register_selection_commands(CommandController& controller)
{
    controller.new_command(new StdSelectVolumeOrElem());
    controller.new_command(new StdSelectFace());
    controller.new_command(new StdSelectEdge());
    controller.new_command(new StdSelectVertexOrNode());
    controller.new_command(new StdSelectNone());
    controller.new_command(new StdSelectShape());
    controller.new_command(new StdSelectMesh());
    controller.new_command(new CmdGeometrySelectionTools());
    controller.new_command(new StdEnablePreSelect());
}

} // namespace Gui
