#pragma once
// Sub-elements picked in the 3D view (faces, edges, vertices, whole bodies) and the
// pre-selection under the mouse.  Tells its observers only; it has no signal listeners.

#include "selection/SelectionSubject.h"

namespace pmFwm { struct SelectionModification2; }

namespace Gui {

class EntitySelectionGate;

// "Face3", "Edge2", "Vert7", "Body1"; empty for an unknown kind.
PELMORAGUI_EXPORT std::string entity_subelement_name(const pmFwm::SelectionModification2& pick);

// A pick that the entity selection took also selects its object in the tree selection,
// which the project tree, the property editor and the commands follow: a set replaces
// the tree selection, an add adds to it.
PELMORAGUI_EXPORT void select_picked_object(const pmFwm::SelectionModification2& pick);

class PELMORAGUI_EXPORT EntitySelectionSingleton : public SelectionSubject
{
public:
    static EntitySelectionSingleton& instance();
    static void destruct();
    static EntitySelectionSingleton* existing() { return _instance; }

    bool add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                       float x = 0.f, float y = 0.f, float z = 0.f);
    bool add_selection(const char* project_name, unsigned int object_id, const std::vector<std::string>& sub_names);
    // Removes the entries with exactly this sub-element name.
    void remove_selection(const char* project_name, unsigned int object_id, const std::string& sub_name);
    void clear_selection(const char* project_name = nullptr);
    void clear_all_selections();
    void set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects);
    // Makes the one pick the whole selection (of every project).
    bool set_selection(const char* project_name, unsigned int object_id, const std::string& sub_name,
                       float x = 0.f, float y = 0.f, float z = 0.f);

    bool set_pre_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                           float x = 0.f, float y = 0.f, float z = 0.f);
    void remove_pre_selection();
    void set_coord_to_pre_selection(float x, float y, float z);
    const SelectionModification& get_pre_selection() const { return pre_record(); }

    void add_selectionable(EntitySelectionGate* gate);
    void remove_selectable();

    // A change reported by the picking library: 0 add, 1 remove, 2 set, 3 clear.
    void on_selection_modified(const pmFwm::SelectionModification2& change);

protected:
    // A deselect request drops every pick of the object; a clear request is for the
    // object selections and leaves the picks alone.
    void slot_deselect_object(const Obj::ProjectObject& object) override;

private:
    EntitySelectionSingleton();
    ~EntitySelectionSingleton() override;
    void show_selected(const Obj::Project* project, const Obj::ProjectObject* object, const std::string& sub);

    std::unique_ptr<EntitySelectionGate> gate;
    static EntitySelectionSingleton* _instance;
};

} // namespace Gui
