#pragma once
// A project's objects by name, in one open-addressed table.  A look-up reads one slot and
// then the object's own name, where a node-based map reads a bucket, the node before and
// the node: in a project of thousands of objects each of those is a cache miss, paid on
// every object created or removed.

#include "ObjectTable.h"

#include <cstddef>
#include <string_view>

namespace Obj {

class ProjectObject;

class ObjectNameIndex
{
public:
    ProjectObject* find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }
    // Files `object` under its name; false, and nothing filed, when the name is taken.
    // The name must not change while the object is filed.
    bool insert(ProjectObject* object);
    // Takes out `object` (found by identity); nothing happens for one not filed.
    void erase(const ProjectObject* object);
    std::size_t size() const { return count; }
    void clear();

private:
    struct Slot
    {
        std::size_t hash = 0;
        ProjectObject* object = nullptr;
    };
    void grow();
    // A power of two long, at most half full.  Each slot reached is counted with the object
    // tables' slots, so that a walk over it shows in what adding or removing objects costs.
    using Slots = Counted::Vector<Slot, &ObjectTable::slotSteps>;
    Slots slots;
    std::size_t count = 0;
};

} // namespace Obj
