#pragma once
// What the three selection singletons share: the entry list, the two notification
// channels (observers first, then the signal), the queries, and the connections to the
// application logic's object and selection signals, kept and released with the singleton.

#include "PelmoraGuiExport.h"
#include "selection/CSelectionType.h"
#include "selection/SelectionEntryList.h"
#include "selection/SelectionModification.h"

#include <vexil/Observer.h>

#include <boost/signals2/connection.hpp>
#include "core/GuiSignal.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QString;
namespace Obj { class Project; class ProjectObject; }

namespace Gui {

class PELMORAGUI_EXPORT SelectionSubject : public Vexil::Subject<const SelectionModification&>
{
public:
    ~SelectionSubject() override;
    SelectionSubject(const SelectionSubject&) = delete;
    SelectionSubject& operator=(const SelectionSubject&) = delete;

    GuiSignal<void(const SelectionModification&)> selection_signal;

    // A null project name means the application logic's current project.
    std::vector<SelObj> get_selection(const char* project_name = nullptr) const;
    std::vector<SelObj> get_all_selections() const;
    std::vector<CSelectionType> get_selection2(const char* project_name, Vexil::TypeInfo type) const;
    std::vector<Obj::ProjectObject*> get_objects_of_type(const Vexil::TypeInfo& type,
                                                         const char* project_name = nullptr) const;
    std::vector<Obj::ProjectObject*> get_objects_of_type(const char* type_name,
                                                         const char* project_name = nullptr) const;
    unsigned int get_num_objects_of_type(const Vexil::TypeInfo& type, const char* project_name = nullptr) const;
    unsigned int get_num_objects_of_type(const char* type_name, const char* project_name = nullptr) const;
    bool has_selection() const { return !entries.empty(); }
    bool has_selection(const char* project_name) const;
    // Exact comparison of name, id and sub-element name (null compares as empty).
    bool is_selected(const char* project_name, unsigned int object_id, const char* sub_name = nullptr) const;
    bool is_selected(const Obj::ProjectObject* object, const char* sub_name = nullptr) const;
    // Whether any entry of (name, id) is left, whatever its sub-element name.
    bool has_object_entries(const char* project_name, unsigned int object_id) const;

protected:
    // `signals`: whether removals, clears and sets are told through selection_signal too.
    SelectionSubject(int source, bool signals);

    Obj::Project* find_project(const char* name) const;
    // The name stored and sent for a caller's name: the caller's, else the project's.
    static std::string name_for(const char* name, const Obj::Project* project);
    void tell(int kind, const char* project, unsigned int id, const char* sub,
              float x = 0.f, float y = 0.f, float z = 0.f, bool withSignal = true);
    void append(const std::string& name, unsigned int id, const std::string& sub,
                Obj::Project* project, Obj::ProjectObject* object, float x = 0.f, float y = 0.f, float z = 0.f);
    // Removes the entries of (name, id), or only those with `sub` when it is non-null,
    // telling each removal as it happens; `afterEach` runs after each notification.
    void remove_entries(const char* name, unsigned int id, const std::string* sub,
                        const std::function<void(const SelectionEntry&)>& afterEach = {});
    // Drops the project's entries (by name) and tells one clear.
    void clear_named(const std::string& name);
    void clear_everything();
    // Makes `objects` the selection of the project; false (and nothing changed) when
    // the project is unknown or the objects are exactly those selected already.
    bool replace_project_selection(const char* name, const std::vector<Obj::ProjectObject*>& objects,
                                   std::string& storedName);

    // The selection calls whose behaviour the singletons share.
    // Adds one entry unless it is there already; the gate may refuse it (then `refusal`
    // is shown); `afterAdd` runs only when an entry was really added.
    using GateTest = std::function<bool(Obj::Project*, Obj::ProjectObject*, const char*)>;
    bool add_one(const char* name, unsigned int id, const char* sub, float x, float y, float z,
                 const GateTest& gate, const QString& refusal,
                 const std::function<void(const std::string& name, const std::string& sub)>& afterAdd = {});
    // Adds an entry per sub-element name and tells one addition; null when the project is
    // unknown, else the project (and `object` the object, null for id 0).
    Obj::Project* add_many(const char* name, unsigned int id, const std::vector<std::string>& subs,
                           bool withSignal, Obj::ProjectObject*& object);
    // A null name clears the current project's entries, or everything without one.
    void clear_project_or_current(const char* name);
    void select_objects(const char* name, const std::vector<Obj::ProjectObject*>& objects);
    void select_whole_project(const char* name);
    std::vector<Obj::Project*> whole_project_entries() const;
    template<class Gate>
    static GateTest test_of(Gate* g)
    {
        if (!g)
            return {};
        return [g](Obj::Project* p, Obj::ProjectObject* o, const char* s) { return g->allow(p, o, s); };
    }

    // The application logic's signals.
    virtual void slot_remove_object(const Obj::ProjectObject& object);
    void slot_rename_object(const Obj::ProjectObject& object);
    virtual void slot_select_object(const Obj::ProjectObject& object);
    virtual void slot_deselect_object(const Obj::ProjectObject& object);
    virtual void slot_clear_selection(const Obj::Project& project);
    void slot_remove_project(const Obj::Project& project);
    // Every entry of the object, whatever its sub-element name.
    void remove_object_entries(const Obj::ProjectObject& object);

    // Pre-selection (the selection instance and the entity selection).  `gate` is null
    // when none is installed; `idFormat` is "%u" or "%i" for the messages.
    bool pre_select(const char* name, unsigned int id, const char* sub, float x, float y, float z,
                    const GateTest& gate, const char* idFormat);
    void pre_remove(bool hasGate);
    void pre_set_coord(float x, float y, float z, const char* idFormat);
    const SelectionModification& pre_record() const { return pre.record; }

    // Feedback in the main window, when there is one.
    static void show_message(const QString& text, int timeout);
    static void forbid_cursor();
    static void restore_cursor();

    SelectionEntryList entries;
    const int source;
    const bool signals;

private:
    struct PreSelection
    {
        std::string project;
        unsigned int id = 0;
        std::string sub;
        float x = 0.f, y = 0.f, z = 0.f;
        SelectionModification record;
    } pre;
    std::vector<boost::signals2::scoped_connection> logicConnections;
};

// printf-style formatting into a string of the needed length.
PELMORAGUI_EXPORT std::string format_text(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace Gui
