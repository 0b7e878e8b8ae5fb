#pragma once
// The selection of projects and project objects: the selection of the system, kept in
// step with the project tree and read by commands, the property editor and the docks.

#include "selection/SelectionSubject.h"

namespace Obj { struct CDocObjProp; }

namespace Gui {

class TreeSelectionGate;

class PELMORAGUI_EXPORT TreeSelectionSingleton : public SelectionSubject
{
public:
    static TreeSelectionSingleton& instance();
    static void destruct();
    // Null when it has not been created (or was destructed).
    static TreeSelectionSingleton* existing() { return _instance; }

    GuiSignal<void(const Obj::CDocObjProp&)> property_signal;

    // True when the entry is (now or already) selected; false when the project is
    // unknown or the gate refuses.
    bool add_selection(const char* project_name, unsigned int object_id, const char* sub_name,
                       float x = 0.f, float y = 0.f, float z = 0.f);
    bool add_selection(const char* project_name, unsigned int object_id, const std::vector<std::string>& sub_names);
    // With a null sub-element name every entry of the object goes.
    void remove_selection(const char* project_name, unsigned int object_id, const char* sub_name = nullptr);
    void clear_selection(const char* project_name = nullptr);
    void clear_all_selections();
    void set_selection(const char* project_name, const std::vector<Obj::ProjectObject*>& objects);
    void set_project_selection(const char* project_name, const Obj::Project* project);
    // Whole-project entries, in selection order.
    std::vector<Obj::Project*> get_projects();
    // Only those of projects whose document tag (kind code) is `documentTag`.
    std::vector<Obj::Project*> get_projects(int documentTag);
    unsigned int size() const { return static_cast<unsigned int>(entries.size()); }

    // Takes ownership of the gate.
    void add_selectionable(TreeSelectionGate* gate);
    void remove_selectable();

protected:
    void slot_select_object(const Obj::ProjectObject& object) override;
    void slot_deselect_object(const Obj::ProjectObject& object) override;
    void slot_clear_selection(const Obj::Project& project) override;

private:
    TreeSelectionSingleton();
    ~TreeSelectionSingleton() override;

    std::unique_ptr<TreeSelectionGate> gate;
    static TreeSelectionSingleton* _instance;
};

} // namespace Gui
