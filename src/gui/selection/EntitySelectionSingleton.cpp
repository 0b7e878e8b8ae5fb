#include "EntitySelectionSingleton.h"

#include "core/ActiveObjectList.h"
#include "mainwindow/MainWindow.h"
#include "selection/SelectionGate.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmfwm/EntitySelectionData.h>
#include <vexil/MsgConsole.h>

#include <QObject>
#include <QString>

using namespace Gui;

std::string Gui::entity_subelement_name(const pmFwm::SelectionModification2& pick)
{
    return entity_subelement_name(static_cast<unsigned int>(pick.entity_kind), pick.entity_index);
}

void Gui::select_picked_object(const pmFwm::SelectionModification2& pick)
{
    const bool set = pick.type == 2;
    if (pick.object_id == 0 || (!set && pick.type != 0))
        return;
    const char* name = pick.project_name.c_str();
    EntitySelectionSingleton* entity = EntitySelectionSingleton::existing();
    if (!entity || !entity->has_object_entries(name, pick.object_id))
        return;
    Obj::Project* project = Obj::Application::_pcSingleton ? Obj::Application::instance().get_project(name) : nullptr;
    Obj::ProjectObject* object = project ? project->get_object(pick.object_id) : nullptr;
    if (!object)
        return;
    // Through the project's whole selection, so that the tree's items follow.
    TreeSelectionSingleton& tree = TreeSelectionSingleton::instance();
    std::vector<Obj::ProjectObject*> objects;
    if (set) {
        if (tree.size() == 1 && tree.is_selected(object))
            return;
        tree.clear_all_selections();
    } else {
        if (tree.is_selected(object))
            return;
        objects = tree.get_objects_of_type(Obj::ProjectObject::getClassTypeId(), name);
    }
    objects.push_back(object);
    tree.set_selection(name, objects);
}

EntitySelectionSingleton* EntitySelectionSingleton::_instance = nullptr;

EntitySelectionSingleton& EntitySelectionSingleton::instance()
{
    if (!_instance)
        _instance = new EntitySelectionSingleton();
    return *_instance;
}

void EntitySelectionSingleton::destruct()
{
    delete _instance;
    _instance = nullptr;
}

EntitySelectionSingleton::EntitySelectionSingleton()
    : SelectionSubject(1, false)
{
}

EntitySelectionSingleton::~EntitySelectionSingleton()
{
    if (gate)
        remove_selectable();
}

void EntitySelectionSingleton::show_selected(const Obj::Project* project, const Obj::ProjectObject* object,
                                             const std::string& sub)
{
    if (!MainWindow::get_main_window_inst())
        return;
    show_message(QObject::tr("Selected: %1.%2.%3")
                     .arg(QString::fromUtf8(project ? project->getProjectName() : ""),
                          QString::fromUtf8(object ? object->get_label() : ""), QString::fromUtf8(sub.c_str())),
                 3000);
}

bool EntitySelectionSingleton::add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                                             float x, float y, float z)
{
    Obj::Project* project = find_project(project_name);
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot add to selection: no project '%s' found.\n",
                                                     project_name ? project_name : "");
        return false;
    }
    const std::string name = name_for(project_name, project);
    const std::string sub = sub_name ? sub_name : "";
    if (is_selected(name.c_str(), object_id, sub.c_str()))
        return true;
    Obj::ProjectObject* object = object_id ? project->get_object(object_id) : nullptr;
    append(name, object_id, sub, project, object, x, y, z);
    tell(SelectionModification::AddSelection, name.c_str(), object_id, sub.c_str(), x, y, z);
    show_selected(project, object, sub);
    return true;
}

bool EntitySelectionSingleton::add_selection(const char* project_name, unsigned int object_id,
                                             const std::vector<std::string>& sub_names)
{
    Obj::ProjectObject* object = nullptr;
    Obj::Project* project = add_many(project_name, object_id, sub_names, true, object);
    if (!project)
        return false;
    show_selected(project, object, sub_names.empty() ? std::string() : sub_names.back());
    return true;
}

void EntitySelectionSingleton::remove_selection(const char* project_name, unsigned int object_id,
                                                const std::string& sub_name)
{
    remove_entries(project_name, object_id, &sub_name);
}

void EntitySelectionSingleton::clear_selection(const char* project_name)
{
    clear_project_or_current(project_name);
}

void EntitySelectionSingleton::clear_all_selections()
{
    clear_everything();
}

void EntitySelectionSingleton::set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects)
{
    select_objects(project_name, objects);
}

bool EntitySelectionSingleton::set_selection(const char* project_name, unsigned int object_id,
                                             const std::string& sub_name, float x, float y, float z)
{
    entries.clear();
    Obj::Project* project = find_project(project_name);
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot add to selection: no project '%s' found.\n",
                                                     project_name ? project_name : "");
        return false;
    }
    Obj::ProjectObject* object = object_id ? project->get_object(object_id) : nullptr;
    const std::string name = name_for(project_name, project);
    append(name, object_id, sub_name, project, object, x, y, z);
    tell(SelectionModification::SetSelection, name.c_str(), object_id, sub_name.c_str(), x, y, z);
    show_selected(project, object, sub_name);
    return true;
}

bool EntitySelectionSingleton::set_pre_selection(const char* project_name, unsigned int object_id,
                                                 const char* sub_name, float x, float y, float z)
{
    return pre_select(project_name, object_id, sub_name, x, y, z, test_of(gate.get()), "%u");
}

void EntitySelectionSingleton::remove_pre_selection()
{
    pre_remove(static_cast<bool>(gate));
}

void EntitySelectionSingleton::set_coord_to_pre_selection(float x, float y, float z)
{
    pre_set_coord(x, y, z, "%u");
}

void EntitySelectionSingleton::add_selectionable(EntitySelectionGate* newGate)
{
    if (gate)
        remove_selectable();
    gate.reset(newGate);
}

void EntitySelectionSingleton::remove_selectable()
{
    if (!gate)
        return;
    gate.reset();
    restore_cursor();
}

void EntitySelectionSingleton::on_selection_modified(const pmFwm::SelectionModification2& change)
{
    const std::string sub = entity_subelement_name(change);
    const char* name = change.project_name.c_str();
    const auto x = static_cast<float>(change.x);
    const auto y = static_cast<float>(change.y);
    const auto z = static_cast<float>(change.z);
    switch (change.type) {
    case 0:
        add_selection(name, change.object_id, sub.c_str(), x, y, z);
        break;
    case 1:
        remove_selection(name, change.object_id, sub);
        break;
    case 2:
        set_selection(name, change.object_id, sub, x, y, z);
        break;
    case 3:
        clear_selection(name);
        break;
    default:
        break;
    }
}

void EntitySelectionSingleton::slot_deselect_object(const Obj::ProjectObject& object)
{
    remove_object_entries(object);
}
