#include "ObjectNameIndex.h"

#include "ProjectObject.h"

#include <counted/SeededHash.h>

namespace Obj {

namespace {

// Names come from project files and pastes: hashed under the process's seed, no input
// can choose names that share a slot.
std::size_t hashOf(std::string_view name)
{
    return static_cast<std::size_t>(Counted::seededHash(name));
}

} // namespace

ProjectObject* ObjectNameIndex::find(std::string_view name) const
{
    if (slots.empty())
        return nullptr;
    const std::size_t mask = slots.size() - 1;
    const std::size_t hash = hashOf(name);
    for (std::size_t i = hash & mask; slots[i].object; i = (i + 1) & mask) {
        if (slots[i].hash == hash && name == slots[i].object->get_name())
            return slots[i].object;
    }
    return nullptr;
}

bool ObjectNameIndex::insert(ProjectObject* object)
{
    if (!object)
        return false;
    if ((count + 1) * 2 > slots.size())
        grow();
    const std::string_view name = object->name;
    const std::size_t mask = slots.size() - 1;
    const std::size_t hash = hashOf(name);
    std::size_t i = hash & mask;
    for (; slots[i].object; i = (i + 1) & mask) {
        if (slots[i].hash == hash && name == slots[i].object->get_name())
            return false;
    }
    slots[i] = Slot{hash, object};
    object->nameHash = hash;
    ++count;
    return true;
}

void ObjectNameIndex::erase(const ProjectObject* object)
{
    if (!object || slots.empty())
        return;
    const std::size_t mask = slots.size() - 1;
    std::size_t i = object->nameHash & mask;   // the hash it was filed with
    while (slots[i].object && slots[i].object != object)
        i = (i + 1) & mask;
    if (!slots[i].object)
        return;
    // Shift the entries after the gap back, so that no probe sequence is broken.
    for (std::size_t j = (i + 1) & mask; slots[j].object; j = (j + 1) & mask) {
        const std::size_t home = slots[j].hash & mask;
        const bool staysPut = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (staysPut)
            continue;
        slots[i] = slots[j];
        i = j;
    }
    slots[i] = Slot{};
    --count;
}

void ObjectNameIndex::clear()
{
    slots.clear();
    count = 0;
}

void ObjectNameIndex::grow()
{
    Slots old(slots.empty() ? 16 : slots.size() * 2);
    old.swap(slots);
    const std::size_t mask = slots.size() - 1;
    for (const Slot& slot : old) {
        if (!slot.object)
            continue;
        std::size_t i = slot.hash & mask;
        while (slots[i].object)
            i = (i + 1) & mask;
        slots[i] = slot;
    }
}

} // namespace Obj
