#include "SelectionInstance.h"

#include <algorithm>

#include "selection/SelectionGate.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>
#include <vexil/MsgConsole.h>

#include <QObject>
#include <QString>

using namespace Gui;

SelectionInstance* SelectionInstance::_instance = nullptr;

SelectionInstance& SelectionInstance::instance()
{
    if (!_instance)
        _instance = new SelectionInstance();
    return *_instance;
}

void SelectionInstance::destruct()
{
    delete _instance;
    _instance = nullptr;
}

SelectionInstance::SelectionInstance()
    : SelectionSubject(0, true)
{
}

SelectionInstance::~SelectionInstance() = default;

bool SelectionInstance::add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                                      float x, float y, float z)
{
    return add_one(project_name, object_id, sub_name, x, y, z, test_of(gate.get()),
                   QObject::tr("Selection not allowed by filter"), [&](const std::string& name, const std::string& sub) {
                       Vexil::MsgConsoleSingleton::Instance().Log(
                           "GUI : Added selection \"%s.%i.%s(%f,%f,%f)\"\n", name.c_str(), static_cast<int>(object_id),
                           sub.c_str(), double(x), double(y), double(z));
                   });
}

bool SelectionInstance::add_selection(const char* project_name, unsigned int object_id,
                                      const std::vector<std::string>& sub_names)
{
    Obj::ProjectObject* object = nullptr;
    return add_many(project_name, object_id, sub_names, false, object) != nullptr;
}

void SelectionInstance::remove_selection(const char* project_name, unsigned int object_id, const char* sub_name)
{
    if (!project_name)
        return;
    const std::string sub = sub_name ? sub_name : "";
    const std::string name = project_name;
    remove_entries(project_name, object_id, sub_name ? &sub : nullptr, [&](const SelectionEntry&) {
        Vexil::MsgConsoleSingleton::Instance().Log("Sel : Remove Selection \"%s.%i.%s\"\n", name.c_str(),
                                                   static_cast<int>(object_id), sub.c_str());
    });
}

void SelectionInstance::clear_selection(const char* project_name)
{
    clear_project_or_current(project_name);
}

void SelectionInstance::clear_all_selections()
{
    clear_everything();
}

void SelectionInstance::set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects)
{
    select_objects(project_name, objects);
}

void SelectionInstance::set_project_selection(const char* project_name, const Obj::Project*)
{
    select_whole_project(project_name);
}

std::vector<Obj::Project*> SelectionInstance::get_projects()
{
    return whole_project_entries();
}

std::vector<Obj::Project*> SelectionInstance::get_projects(int documentTag)
{
    std::vector<Obj::Project*> result = whole_project_entries();
    result.erase(std::remove_if(result.begin(), result.end(),
                                [documentTag](const Obj::Project* p) { return p->kind != documentTag; }),
                 result.end());
    return result;
}

bool SelectionInstance::set_pre_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                                          float x, float y, float z)
{
    return pre_select(project_name, object_id, sub_name, x, y, z, test_of(gate.get()), "%i");
}

void SelectionInstance::remove_pre_selection()
{
    pre_remove(static_cast<bool>(gate));
}

void SelectionInstance::set_coord_to_pre_selection(float x, float y, float z)
{
    pre_set_coord(x, y, z, "%i");
}

void SelectionInstance::add_selectionable(CSelectionable* newGate)
{
    if (gate)
        remove_selectable();
    gate.reset(newGate);
}

void SelectionInstance::remove_selectable()
{
    if (!gate)
        return;
    gate.reset();
    restore_cursor();
}

void SelectionInstance::slot_select_object(const Obj::ProjectObject& object)
{
    if (Obj::Project* project = object.get_project())
        add_selection(project->get_name(), object.getObjectId(), nullptr);
}

void SelectionInstance::slot_deselect_object(const Obj::ProjectObject& object)
{
    if (Obj::Project* project = object.get_project())
        remove_selection(project->get_name(), object.getObjectId(), nullptr);
}

void SelectionInstance::slot_clear_selection(const Obj::Project& project)
{
    clear_selection(project.get_name());
}
