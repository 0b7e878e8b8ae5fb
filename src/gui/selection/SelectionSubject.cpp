#include "SelectionSubject.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QString>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>

using namespace Gui;

std::string Gui::format_text(const char* format, ...)
{
    if (!format)
        return {};
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(static_cast<std::size_t>(needed));
    }
    va_end(again);
    return text;
}

SelectionSubject::SelectionSubject(int src, bool withSignals)
    : source(src), signals(withSignals)
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    if (!logic)
        return;
    logicConnections.emplace_back(logic->signal_object_removed.connect(
        [this](const Obj::ProjectObject& o) { slot_remove_object(o); }));
    logicConnections.emplace_back(logic->signal_object_renamed.connect(
        [this](const Obj::ProjectObject& o) { slot_rename_object(o); }));
    logicConnections.emplace_back(logic->signal_select_object.connect(
        [this](const Obj::ProjectObject& o) { slot_select_object(o); }));
    logicConnections.emplace_back(logic->signal_deselect_object.connect(
        [this](const Obj::ProjectObject& o) { slot_deselect_object(o); }));
    logicConnections.emplace_back(logic->signal_clear_selection.connect(
        [this](const Obj::Project& p) { slot_clear_selection(p); }));
    logicConnections.emplace_back(logic->signal_remove_project.connect(
        [this](const Obj::Project& p) { slot_remove_project(p); }));
}

SelectionSubject::~SelectionSubject()
{
    logicConnections.clear();
    if (count_observers() != 0)
        std::printf("Not detached all observers yet\n");
}

Obj::Project* SelectionSubject::find_project(const char* name) const
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    if (!logic)
        return nullptr;
    return name ? logic->get_project(name) : logic->get_current_project();
}

std::string SelectionSubject::name_for(const char* name, const Obj::Project* project)
{
    if (name)
        return name;
    return project ? project->get_name() : std::string();
}

void SelectionSubject::tell(int kind, const char* project, unsigned int id, const char* sub,
                            float x, float y, float z, bool withSignal)
{
    const SelectionModification record(kind, source, project, id, sub, x, y, z);
    notify(record);
    if (withSignal && signals)
        selection_signal(record);
}

void SelectionSubject::append(const std::string& name, unsigned int id, const std::string& sub,
                              Obj::Project* project, Obj::ProjectObject* object, float x, float y, float z)
{
    SelectionEntry entry;
    entry.project_name = name;
    entry.object_id = id;
    entry.sub_name = sub;
    if (object)
        entry.type_name = object->getTypeId().get_name();
    else if (project && id == 0)
        entry.type_name = project->getTypeId().get_name();
    entry.project = project;
    entry.object = object;
    entry.x = x;
    entry.y = y;
    entry.z = z;
    entries.append(std::move(entry));
}

void SelectionSubject::remove_entries(const char* name, unsigned int id, const std::string* sub,
                                      const std::function<void(const SelectionEntry&)>& afterEach)
{
    if (!name)
        return;
    const std::string key = name;
    // Entries an observer adds meanwhile are not ours to remove.
    const auto limit = entries.next_rank();
    SelectionEntryList::Handle h;
    while (entries.first_of_object(key, id, sub, limit, h)) {
        const SelectionEntry gone = entries.take(h);
        tell(SelectionModification::RemoveSelection, gone.project_name.c_str(), id, gone.sub_name.c_str());
        if (afterEach)
            afterEach(gone);
    }
}

void SelectionSubject::clear_named(const std::string& name)
{
    for (auto h : entries.with_project_name(name))
        entries.take(h);
    tell(SelectionModification::ClearSelection, name.c_str(), 0, "");
}

void SelectionSubject::clear_everything()
{
    entries.clear();
    tell(SelectionModification::ClearSelection, "", 0, "");
}

bool SelectionSubject::replace_project_selection(const char* name, const std::vector<Obj::ProjectObject*>& objects,
                                                 std::string& storedName)
{
    Obj::Project* project = find_project(name);
    if (!project)
        return false;
    storedName = name_for(name, project);
    // Sorted sets in vectors: one allocation each rather than one per object.
    const auto asSet = [](std::vector<Obj::ProjectObject*>& v) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    const auto has = [](const std::vector<Obj::ProjectObject*>& v, Obj::ProjectObject* o) {
        return std::binary_search(v.begin(), v.end(), o);
    };
    std::vector<Obj::ProjectObject*> wanted;
    wanted.reserve(objects.size());
    for (Obj::ProjectObject* o : objects) {
        if (o)
            wanted.push_back(o);
    }
    asSet(wanted);
    const auto mine = entries.with_project(project);
    std::vector<Obj::ProjectObject*> current;
    current.reserve(mine.size());
    for (auto h : mine)
        current.push_back(SelectionEntryList::entry(h).object);
    asSet(current);
    if (current == wanted)
        return false;
    for (auto h : mine) {
        if (!has(wanted, SelectionEntryList::entry(h).object))
            entries.take(h);
    }
    for (Obj::ProjectObject* o : wanted) {
        if (!has(current, o))
            append(storedName, o->getObjectId(), std::string(), project, o);
    }
    return true;
}

bool SelectionSubject::add_one(const char* name, unsigned int id, const char* sub, float x, float y, float z,
                               const GateTest& gate, const QString& refusal,
                               const std::function<void(const std::string&, const std::string&)>& afterAdd)
{
    if (is_selected(name, id, sub))
        return true;
    Obj::Project* project = find_project(name);
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot add to selection: no document '%s' found.\n",
                                                     name ? name : "");
        return false;
    }
    Obj::ProjectObject* object = id ? project->get_object(id) : nullptr;
    if (gate && !gate(project, object, sub)) {
        show_message(refusal, 5000);
        forbid_cursor();
        QApplication::beep();
        return false;
    }
    const std::string stored = name_for(name, project);
    const std::string subName = sub ? sub : "";
    append(stored, id, subName, project, object, x, y, z);
    tell(SelectionModification::AddSelection, stored.c_str(), id, subName.c_str(), x, y, z, false);
    if (afterAdd)
        afterAdd(stored, subName);
    return true;
}

Obj::Project* SelectionSubject::add_many(const char* name, unsigned int id, const std::vector<std::string>& subs,
                                         bool withSignal, Obj::ProjectObject*& object)
{
    Obj::Project* project = find_project(name);
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot add to selection: no project '%s' found.\n",
                                                     name ? name : "");
        return nullptr;
    }
    object = id ? project->get_object(id) : nullptr;
    const std::string stored = name_for(name, project);
    for (const std::string& sub : subs)
        append(stored, id, sub, project, object);
    tell(SelectionModification::AddSelection, stored.c_str(), id, "", 0.f, 0.f, 0.f, withSignal);
    return project;
}

void SelectionSubject::clear_project_or_current(const char* name)
{
    if (name) {
        clear_named(name);
        return;
    }
    if (Obj::Project* current = find_project(nullptr))
        clear_named(current->get_name());
    else
        clear_everything();
}

void SelectionSubject::select_objects(const char* name, const std::vector<Obj::ProjectObject*>& objects)
{
    std::string stored;
    if (replace_project_selection(name, objects, stored))
        tell(SelectionModification::SetSelection, stored.c_str(), 0, "");
}

void SelectionSubject::select_whole_project(const char* name)
{
    Obj::Project* project = find_project(name);
    if (!project)
        return;
    const std::string stored = name_for(name, project);
    append(stored, 0, std::string(), project, nullptr);
    tell(SelectionModification::SetSelection, stored.c_str(), 0, "");
}

std::vector<Obj::Project*> SelectionSubject::whole_project_entries() const
{
    std::vector<Obj::Project*> result;
    for (const SelectionEntry& e : entries) {
        if (e.project && !e.object)
            result.push_back(e.project);
    }
    return result;
}

std::vector<SelObj> SelectionSubject::get_selection(const char* project_name) const
{
    std::vector<SelObj> result;
    Obj::Project* project = find_project(project_name);
    if (!project)
        return result;
    const auto mine = entries.with_project(project);
    result.reserve(mine.size());
    for (auto h : mine) {
        const SelectionEntry& e = SelectionEntryList::entry(h);
        result.push_back(SelObj{e.project_name.c_str(), e.object_id, e.sub_name.c_str(), e.type_name.c_str(),
                                e.project, e.object, e.x, e.y, e.z});
    }
    return result;
}

std::vector<SelObj> SelectionSubject::get_all_selections() const
{
    std::vector<SelObj> result;
    result.reserve(entries.size());
    for (const SelectionEntry& e : entries) {
        result.push_back(SelObj{e.project_name.c_str(), e.object_id, e.sub_name.c_str(), e.type_name.c_str(),
                                e.project, e.object, e.x, e.y, e.z});
    }
    return result;
}

std::vector<CSelectionType> SelectionSubject::get_selection2(const char* project_name, Vexil::TypeInfo type) const
{
    std::vector<CSelectionType> result;
    if (type.is_sick())
        return result;
    Obj::Project* project = find_project(project_name);
    if (!project)
        return result;
    std::map<const Obj::ProjectObject*, std::size_t> slot;
    for (auto h : entries.with_project(project)) {
        const SelectionEntry& e = SelectionEntryList::entry(h);
        if (!e.object || !e.object->getTypeId().is_inherited_from(type))
            continue;
        auto found = slot.find(e.object);
        if (found == slot.end()) {
            found = slot.emplace(e.object, result.size()).first;
            result.emplace_back(e.project_name.c_str(), e.object_id, e.type_name.c_str());
        }
        if (!e.sub_name.empty()) {
            CSelectionType& record = result[found->second];
            record.add_subname(e.sub_name);
            record.add_selection_location(Vexil::Vector3<double>(e.x, e.y, e.z));
        }
    }
    return result;
}

std::vector<Obj::ProjectObject*> SelectionSubject::get_objects_of_type(const Vexil::TypeInfo& type,
                                                                       const char* project_name) const
{
    std::vector<Obj::ProjectObject*> result;
    Obj::Project* project = find_project(project_name);
    if (!project || type.is_sick())
        return result;
    for (auto h : entries.with_project(project)) {
        const SelectionEntry& e = SelectionEntryList::entry(h);
        if (e.object && e.object->getTypeId().is_inherited_from(type))
            result.push_back(e.object);
    }
    return result;
}

std::vector<Obj::ProjectObject*> SelectionSubject::get_objects_of_type(const char* type_name,
                                                                       const char* project_name) const
{
    const Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(type_name ? type_name : "");
    if (type.is_sick())
        return {};
    return get_objects_of_type(type, project_name);
}

unsigned int SelectionSubject::get_num_objects_of_type(const Vexil::TypeInfo& type, const char* project_name) const
{
    return static_cast<unsigned int>(get_objects_of_type(type, project_name).size());
}

unsigned int SelectionSubject::get_num_objects_of_type(const char* type_name, const char* project_name) const
{
    return static_cast<unsigned int>(get_objects_of_type(type_name, project_name).size());
}

bool SelectionSubject::has_selection(const char* project_name) const
{
    Obj::Project* project = find_project(project_name);
    return project && entries.has_project(project);
}

bool SelectionSubject::is_selected(const char* project_name, unsigned int object_id, const char* sub_name) const
{
    return entries.contains(project_name ? project_name : "", object_id, sub_name ? sub_name : "");
}

bool SelectionSubject::is_selected(const Obj::ProjectObject* object, const char* sub_name) const
{
    if (!object)
        return false;
    return sub_name ? entries.has_object_with_sub(object, sub_name) : entries.has_object(object);
}

bool SelectionSubject::has_object_entries(const char* project_name, unsigned int object_id) const
{
    SelectionEntryList::Handle h;
    return entries.first_of_object(project_name ? project_name : "", object_id, nullptr, entries.next_rank(), h);
}

void SelectionSubject::remove_object_entries(const Obj::ProjectObject& object)
{
    // Every deleted object comes here, mostly while nothing is selected.
    if (entries.empty())
        return;
    if (Obj::Project* project = object.get_project())
        remove_entries(project->get_name(), object.getObjectId(), nullptr);
    // Entries made under an earlier name of the project still point at the object.
    const auto limit = entries.next_rank();
    SelectionEntryList::Handle h;
    while (entries.first_of_object(&object, limit, h)) {
        const SelectionEntry gone = entries.take(h);
        tell(SelectionModification::RemoveSelection, gone.project_name.c_str(), gone.object_id, gone.sub_name.c_str());
    }
}

void SelectionSubject::slot_remove_object(const Obj::ProjectObject& object)
{
    remove_object_entries(object);
}

void SelectionSubject::slot_rename_object(const Obj::ProjectObject& object)
{
    if (Obj::Project* project = object.get_project())
        entries.rename_project(project, project->get_name());
}

void SelectionSubject::slot_select_object(const Obj::ProjectObject&) {}
void SelectionSubject::slot_deselect_object(const Obj::ProjectObject&) {}
void SelectionSubject::slot_clear_selection(const Obj::Project&) {}

void SelectionSubject::slot_remove_project(const Obj::Project& project)
{
    // The project's objects go without signals of their own: nothing may keep them.
    if (entries.has_project(&project))
        clear_named(project.get_name());
    for (auto h : entries.with_project(&project))
        entries.take(h);
}

bool SelectionSubject::pre_select(const char* name, unsigned int id, const char* sub, float x, float y, float z,
                                  const GateTest& gate, const char* idFormat)
{
    if (!pre.project.empty())
        pre_remove(static_cast<bool>(gate));
    Obj::Project* project = nullptr;
    if (gate) {
        project = find_project(name);
        if (!project)
            return false;
        if (id == 0)
            return gate(project, nullptr, nullptr);
        Obj::ProjectObject* object = project->get_object(id);
        if (!gate(project, object, sub)) {
            const std::string format = std::string("Not allowed: %s.") + idFormat + ".%s ";
            const std::string shownName = name_for(name, project);
            const std::string text = format_text(format.c_str(), shownName.c_str(), id, sub ? sub : "");
            show_message(QString::fromUtf8(text.c_str()), 3000);
            forbid_cursor();
            return false;
        }
    }
    pre.project = name ? std::string(name) : name_for(nullptr, find_project(nullptr));
    pre.id = id;
    pre.sub = sub ? sub : "";
    pre.x = x;
    pre.y = y;
    pre.z = z;
    pre.record = SelectionModification(SelectionModification::SetPreselect, source, pre.project.c_str(), id,
                                       pre.sub.c_str(), x, y, z);
    notify(pre.record);
    if (signals)
        selection_signal(pre.record);
    return true;
}

void SelectionSubject::pre_remove(bool hasGate)
{
    if (pre.project.empty())
        return;
    const SelectionModification record(SelectionModification::RemovePreselect, source, pre.project.c_str(), pre.id,
                                       pre.sub.c_str());
    notify(record);
    if (signals)
        selection_signal(record);
    pre = PreSelection();
    if (hasGate)
        restore_cursor();
}

void SelectionSubject::pre_set_coord(float x, float y, float z, const char* idFormat)
{
    if (pre.record.object_id == 0)
        return;
    pre.record.x = x;
    pre.record.y = y;
    pre.record.z = z;
    const std::string format = std::string("Preselected: %s.") + idFormat + ".%s (%f,%f,%f)";
    show_message(QString::fromUtf8(format_text(format.c_str(), pre.project.c_str(), pre.id, pre.sub.c_str(),
                                               double(x), double(y), double(z)).c_str()), 3000);
}

void SelectionSubject::show_message(const QString& text, int timeout)
{
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->display_message(text, timeout);
}

namespace {

MDIWindow* currentActiveView()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    GuiProject* project = app ? app->get_current_project() : nullptr;
    return project ? project->getActiveView() : nullptr;
}

} // namespace

void SelectionSubject::forbid_cursor()
{
    if (MDIWindow* view = currentActiveView())
        view->setCursor(Qt::ForbiddenCursor);
}

void SelectionSubject::restore_cursor()
{
    if (MDIWindow* view = currentActiveView())
        view->unsetCursor();
}
