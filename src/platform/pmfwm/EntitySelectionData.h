#pragma once
// The entity-picking library: what a pick in the 3D view reports, and the selection
// data whose change signal the GUI follows.

#include <boost/signals2/signal.hpp>

#include <string>

namespace pmFwm {

// Kinds of picked entities.
enum pmShapeEntityType : int {
    ENTITY_NONE = 0,
    ENTITY_VERTEX = 1,
    ENTITY_EDGE = 2,
    ENTITY_FACE = 3,
    ENTITY_BODY = 4
};

// One change of the entity selection.  Types: 0 add, 1 remove, 2 set, 3 clear.
struct SelectionModification2
{
    int type = 0;
    std::string project_name;
    unsigned int object_id = 0;
    int entity_kind = ENTITY_NONE;
    int entity_index = 0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Held by the main window and handed to the 3D views, which report their picks here.
class EntitySelectionData
{
public:
    EntitySelectionData();
    ~EntitySelectionData();
    EntitySelectionData(const EntitySelectionData&) = delete;
    EntitySelectionData& operator=(const EntitySelectionData&) = delete;

    // Raises signal_selection_changed with the record.
    void notify(const SelectionModification2& change);

    boost::signals2::signal<void(const SelectionModification2&)> signal_selection_changed;
};

} // namespace pmFwm
