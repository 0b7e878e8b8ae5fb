#pragma once
// A second selection of projects and objects with a pre-selection; the old selection
// list dock and the selection filters use it.

#include "selection/SelectionSubject.h"

namespace Obj { struct CDocObjProp; }

namespace Gui {

class CSelectionable;

class PELMORAGUI_EXPORT SelectionInstance : public SelectionSubject
{
public:
    static SelectionInstance& instance();
    static void destruct();
    static SelectionInstance* existing() { return _instance; }

    GuiSignal<void(const Obj::CDocObjProp&)> property_signal;

    bool add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                       float x = 0.f, float y = 0.f, float z = 0.f);
    bool add_selection(const char* project_name, unsigned int object_id, const std::vector<std::string>& sub_names);
    void remove_selection(const char* project_name, unsigned int object_id, const char* sub_name = nullptr);
    void clear_selection(const char* project_name = nullptr);
    void clear_all_selections();
    void set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects);
    void set_project_selection(const char* project_name, const Obj::Project* project);
    std::vector<Obj::Project*> get_projects();
    // Only those of projects whose document tag (kind code) is `documentTag`.
    std::vector<Obj::Project*> get_projects(int documentTag);
    unsigned int size() const { return static_cast<unsigned int>(entries.size()); }

    bool set_pre_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                           float x = 0.f, float y = 0.f, float z = 0.f);
    void remove_pre_selection();
    void set_coord_to_pre_selection(float x, float y, float z);
    const SelectionModification& get_pre_selection() const { return pre_record(); }

    // Takes ownership of the gate.
    void add_selectionable(CSelectionable* gate);
    void remove_selectable();

protected:
    Obj::Project* get_project(const char* project_name) const { return find_project(project_name); }
    void slot_select_object(const Obj::ProjectObject& object) override;
    void slot_deselect_object(const Obj::ProjectObject& object) override;
    void slot_clear_selection(const Obj::Project& project) override;

private:
    SelectionInstance();
    ~SelectionInstance() override;

    std::unique_ptr<CSelectionable> gate;
    static SelectionInstance* _instance;
};

} // namespace Gui
