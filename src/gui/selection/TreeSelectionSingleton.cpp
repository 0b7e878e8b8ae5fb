#include "TreeSelectionSingleton.h"

#include <algorithm>

#include "selection/SelectionGate.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>

#include <QObject>
#include <QString>

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
    return add_one(project_name, object_id, sub_name, x, y, z, test_of(gate.get()),
                   QObject::tr("Selection is blocked by the scoping filter"));
}

bool TreeSelectionSingleton::add_selection(const char* project_name, unsigned int object_id,
                                           const std::vector<std::string>& sub_names)
{
    Obj::ProjectObject* object = nullptr;
    return add_many(project_name, object_id, sub_names, false, object) != nullptr;
}

void TreeSelectionSingleton::remove_selection(const char* project_name, unsigned int object_id, const char* sub_name)
{
    const std::string sub = sub_name ? sub_name : "";
    remove_entries(project_name, object_id, sub_name ? &sub : nullptr);
}

void TreeSelectionSingleton::clear_selection(const char* project_name)
{
    clear_project_or_current(project_name);
}

void TreeSelectionSingleton::clear_all_selections()
{
    clear_everything();
}

void TreeSelectionSingleton::set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects)
{
    select_objects(project_name, objects);
}

void TreeSelectionSingleton::set_project_selection(const char* project_name, const Obj::Project*)
{
    select_whole_project(project_name);
}

std::vector<Obj::Project*> TreeSelectionSingleton::get_projects()
{
    return whole_project_entries();
}

std::vector<Obj::Project*> TreeSelectionSingleton::get_projects(int documentTag)
{
    std::vector<Obj::Project*> result = whole_project_entries();
    result.erase(std::remove_if(result.begin(), result.end(),
                                [documentTag](const Obj::Project* p) { return p->kind != documentTag; }),
                 result.end());
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
// the object.  It is told as an addition through the signal as well, so that the tree
// selects just that item: rebuilding the whole selection for every record would make a
// script that selects objects one by one quadratic.
void TreeSelectionSingleton::slot_select_object(const Obj::ProjectObject& object)
{
    Obj::Project* project = object.get_project();
    if (!project || is_selected(&object))
        return;
    const std::string name = project->get_name();
    if (!is_selected(name.c_str(), 0)) {
        append(name, object.getObjectId(), std::string(), project, const_cast<Obj::ProjectObject*>(&object));
        tell(SelectionModification::AddSelection, name.c_str(), object.getObjectId(), "");
        return;
    }
    // The whole project was selected: the objects take its place.
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
