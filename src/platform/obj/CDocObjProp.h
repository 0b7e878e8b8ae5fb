#pragma once
// Names one object of one project; carried by the property-modified signal of the
// selection so that listeners refresh the object's rows.

#include <string>

namespace Obj {

struct CDocObjProp
{
    CDocObjProp() = default;
    CDocObjProp(std::string project, unsigned int id) : project_name(std::move(project)), object_id(id) {}
    std::string project_name;
    unsigned int object_id = 0;
};

} // namespace Obj
