#pragma once
// Helpers for maps that own their values through raw pointers.

#include <utility>

namespace Gui {

// Deletes every value of the map.  The map is emptied first, so that code run by the
// destructors never meets a half-deleted entry.
template <class Map>
void deleteOwnedValues(Map& map)
{
    Map taken(std::move(map));
    map.clear();
    for (auto& entry : taken)
        delete entry.second;
}

} // namespace Gui
