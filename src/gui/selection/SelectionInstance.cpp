#include "SelectionInstance.h"

#include "selection/SelectionGate.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>
#include <vexil/MsgConsole.h>

#include <QApplication>

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

SelectionSubject::GateTest SelectionInstance::gate_test() const
{
    if (!gate)
        return {};
    CSelectionable* g = gate.get();
    return [g](Obj::Project* p, Obj::ProjectObject* o, const char* s) { return g->allow(p, o, s); };
}

bool SelectionInstance::add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
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
        show_message(QObject::tr("Selection not allowed by filter"), 5000);
        forbid_cursor();
        QApplication::beep();
        return false;
    }
    const std::string name = name_for(project_name, project);
    const std::string sub = sub_name ? sub_name : "";
    append(name, object_id, sub, project, object, x, y, z);
    tell(SelectionModification::AddSelection, name.c_str(), object_id, sub.c_str(), x, y, z, false);
    Vexil::MsgConsoleSingleton::Instance().Log("GUI : Added selection \"%s.%i.%s(%f,%f,%f)\"\n", name.c_str(),
                                               static_cast<int>(object_id), sub.c_str(), double(x), double(y),
                                               double(z));
    return true;
}

bool SelectionInstance::add_selection(const char* project_name, unsigned int object_id,
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

void SelectionInstance::clear_all_selections()
{
    clear_everything();
}

void SelectionInstance::set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects)
{
    std::string name;
    if (replace_project_selection(project_name, objects, name))
        tell(SelectionModification::SetSelection, name.c_str(), 0, "");
}

void SelectionInstance::set_project_selection(const char* project_name, const Obj::Project*)
{
    Obj::Project* project = find_project(project_name);
    if (!project)
        return;
    const std::string name = name_for(project_name, project);
    append(name, 0, std::string(), project, nullptr);
    tell(SelectionModification::SetSelection, name.c_str(), 0, "");
}

std::vector<Obj::Project*> SelectionInstance::get_projects()
{
    std::vector<Obj::Project*> result;
    for (const SelectionEntry& e : entries) {
        if (e.project && !e.object)
            result.push_back(e.project);
    }
    return result;
}

bool SelectionInstance::set_pre_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                                          float x, float y, float z)
{
    return pre_select(project_name, object_id, sub_name, x, y, z, gate_test(), "%i");
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
