#pragma once
// The scoping of a boundary condition or load: the picked entities, one owning object per
// sub-element name ("Face3", "Edge2", "Vert7", "Body1").

#include <cstddef>
#include <string>
#include <vector>

namespace Obj {

class ProjectObject;

struct BCSelectionData
{
    std::vector<ProjectObject*> objects;
    std::vector<std::string> names;

    std::size_t size() const { return names.size(); }
    bool empty() const { return names.empty(); }
    bool operator==(const BCSelectionData& other) const { return objects == other.objects && names == other.names; }
    bool operator!=(const BCSelectionData& other) const { return !(*this == other); }
};

} // namespace Obj
