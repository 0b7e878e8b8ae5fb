#pragma once
// Sub-elements picked in the 3D view (faces, edges, vertices, bodies).  A minimal form:
// it keeps the picked entries that the picking library reports.

#include "PelmoraGuiExport.h"

#include <string>
#include <vector>

namespace pmFwm { struct SelectionModification2; }

namespace Gui {

// "Face3", "Edge2", "Vert7", "Body1"; empty for an unknown kind.
PELMORAGUI_EXPORT std::string entity_subelement_name(const pmFwm::SelectionModification2& pick);

class PELMORAGUI_EXPORT EntitySelectionSingleton
{
public:
    struct Entry
    {
        std::string project;
        unsigned int object_id = 0;
        std::string sub_element;
    };

    static EntitySelectionSingleton& instance();
    static void destruct();

    // Types: 0 add, 1 remove, 2 set (one entry), 3 clear the project; others ignored.
    void on_selection_modified(const pmFwm::SelectionModification2& change);
    const std::vector<Entry>& get_selection() const { return entries; }

private:
    EntitySelectionSingleton() = default;
    std::vector<Entry> entries;
    static EntitySelectionSingleton* _instance;
};

} // namespace Gui
