#include "EntitySelectionData.h"

namespace pmFwm {

EntitySelectionData::EntitySelectionData() = default;
EntitySelectionData::~EntitySelectionData() = default;

void EntitySelectionData::notify(const SelectionModification2& change)
{
    signal_selection_changed(change);
}

} // namespace pmFwm
