#include "TreeSelectionSingleton.h"

#include "selection/SelectionGate.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>
#include <vexil/MsgConsole.h>

#include <QApplication>

using namespace Gui;

TreeSelectionSingleton* TreeSelectionSingleton::_instance = nullptr;

TreeSelectionSingleton& TreeSelectionSingleton::instance()
{
    if (!_instance)
        _instance = new TreeSelectionSingleton();
    return *_instance;
}

void TreeSelectionSingleton::destruct()
{
    delete _instance;
    _instance = nullptr;
}

TreeSelectionSingleton::TreeSelectionSingleton()
    : SelectionSubject(0, true)
{
}

TreeSelectionSingleton::~TreeSelectionSingleton() = default;

bool TreeSelectionSingleton::add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                                           float x, float y, float z)
{
    if (is_selected(project_name, object_id, sub_name))
        return true;
    Obj::Project* project = find_project(project_name);
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot add to selection: no document '%s' found.\n",
                                                     project_name ? project_name : "");
        return false;
    }
    Obj::ProjectObject* object = object_id ? project->get_object(object_id) : nullptr;
    if (gate && !gate->allow(project, object, sub_name)) {
        show_message(QObject::tr("Selection is blocked by the scoping filter"), 5000);
        forbid_cursor();
        QApplication::beep();
        return false;
    }
    const std::string name = name_for(project_name, project);
    const std::string sub = sub_name ? sub_name : "";
    append(name, object_id, sub, project, object, x, y, z);
    tell(SelectionModification::AddSelection, name.c_str(), object_id, sub.c_str(), x, y, z, false);
    return true;
}

bool TreeSelectionSingleton::add_selection(const char* project_name, unsigned int object_id,
                                           const std::vector<std::string>& sub_names)
{
    Obj::Project* project = find_project(project_name);
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot add to selection: no project '%s' found.\n",
                                                     project_name ? project_name : "");
        return false;
    }
    Obj::ProjectObject* object = object_id ? project->get_object(object_id) : nullptr;
    const std::string name = name_for(project_name, project);
    for (const std::string& sub : sub_names)
        append(name, object_id, sub, project, object);
    tell(SelectionModification::AddSelection, name.c_str(), object_id, "", 0.f, 0.f, 0.f, false);
    return true;
}

void TreeSelectionSingleton::remove_selection(const char* project_name, unsigned int object_id, const char* sub_name)
{
    const std::string sub = sub_name ? sub_name : "";
    remove_entries(project_name, object_id, sub_name ? &sub : nullptr);
}

void TreeSelectionSingleton::clear_selection(const char* project_name)
{
    if (!project_name) {
        Obj::Project* current = find_project(nullptr);
        if (!current) {
            clear_all_selections();
            return;
        }
        clear_named(current->get_name());
        return;
    }
    clear_named(project_name);
}

void TreeSelectionSingleton::clear_all_selections()
{
    clear_everything();
}

void TreeSelectionSingleton::set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects)
{
    std::string name;
    if (replace_project_selection(project_name, objects, name))
        tell(SelectionModification::SetSelection, name.c_str(), 0, "");
}

void TreeSelectionSingleton::set_project_selection(const char* project_name, const Obj::Project*)
{
    Obj::Project* project = find_project(project_name);
    if (!project)
        return;
    const std::string name = name_for(project_name, project);
    append(name, 0, std::string(), project, nullptr);
    tell(SelectionModification::SetSelection, name.c_str(), 0, "");
}

std::vector<Obj::Project*> TreeSelectionSingleton::get_projects()
{
    std::vector<Obj::Project*> result;
    for (const SelectionEntry& e : entries) {
        if (e.project && !e.object)
            result.push_back(e.project);
    }
    return result;
}

void TreeSelectionSingleton::add_selectionable(TreeSelectionGate* newGate)
{
    if (gate)
        remove_selectable();
    gate.reset(newGate);
}

void TreeSelectionSingleton::remove_selectable()
{
    if (!gate)
        return;
    gate.reset();
    restore_cursor();
}

// The logic's selection requests.  A select keeps what the project has selected and adds
// the object, so that the tree (which follows set, remove and clear) shows it too.
void TreeSelectionSingleton::slot_select_object(const Obj::ProjectObject& object)
{
    Obj::Project* project = object.get_project();
    if (!project || is_selected(&object))
        return;
    std::vector<Obj::ProjectObject*> objects;
    for (const SelObj& sel : get_selection(project->get_name())) {
        if (sel.object)
            objects.push_back(sel.object);
    }
    objects.push_back(const_cast<Obj::ProjectObject*>(&object));
    set_selection(project->get_name(), objects);
}

void TreeSelectionSingleton::slot_deselect_object(const Obj::ProjectObject& object)
{
    if (Obj::Project* project = object.get_project())
        remove_selection(project->get_name(), object.getObjectId(), nullptr);
}

void TreeSelectionSingleton::slot_clear_selection(const Obj::Project& project)
{
    clear_selection(project.get_name());
}
