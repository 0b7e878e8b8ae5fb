#include "ObjectTable.h"

#include "ProjectObject.h"

#include <counted/SeededHash.h>

namespace Obj {

namespace {

// Ids come from project files: mixed under the process's seed, no file can choose ids
// that share a slot, and consecutive ones spread over the whole table.
std::size_t homeOf(unsigned int id, std::size_t mask)
{
    return static_cast<std::size_t>(Counted::seededHash(std::uint64_t(id))) & mask;
}

} // namespace

// Out of line: a child process's test looks the reader up by its symbol.
std::uint64_t ObjectTable::slotsVisited()
{
    return slotSteps();
}

// Per thread, so no lock and no race.
std::uint64_t& ObjectTable::slotSteps()
{
    return Counted::tally<struct SlotSteps>();
}

std::size_t ObjectTable::findEntry(unsigned int id) const
{
    if (entries.empty())
        return 0;
    const std::size_t mask = entries.size() - 1;
    for (std::size_t i = homeOf(id, mask);; i = (i + 1) & mask) {
        const Entry& entry = entries[i];
        if (!entry.object)
            return entries.size();
        if (entry.id == id)
            return i;
    }
}

ProjectObject* ObjectTable::find(unsigned int id) const
{
    const std::size_t at = findEntry(id);
    return at < entries.size() ? entries[at].object : nullptr;
}

void ObjectTable::append(std::unique_ptr<ProjectObject> object)
{
    if (!object)
        return;
    if ((live + 1) * 2 > entries.size())
        grow();
    const std::size_t mask = entries.size() - 1;
    std::size_t i = homeOf(object->getObjectId(), mask);
    while (entries[i].object)
        i = (i + 1) & mask;
    entries[i] = Entry{object->getObjectId(), static_cast<std::uint32_t>(base + order.size()), object.get()};
    order.push_back(object.release());
    ++live;
}

std::unique_ptr<ProjectObject> ObjectTable::take(unsigned int id)
{
    const std::size_t at = findEntry(id);
    if (at >= entries.size())
        return nullptr;
    const Entry& entry = entries[at];
    std::unique_ptr<ProjectObject> object(entry.object);
    order[static_cast<std::uint32_t>(entry.slot - base)] = nullptr;
    eraseEntry(at);
    --live;
    if (live == 0) {
        order.clear();
        lead = 0;
        base = 0;
        return object;
    }
    // Empty slots at either end go at once; those between objects wait for a compaction.
    while (!order.back())
        order.pop_back();
    while (!order[lead])
        ++lead;
    const std::size_t empty = order.size() - live;
    if (empty > 64 && empty > live)
        compact();
    return object;
}

void ObjectTable::eraseEntry(std::size_t at)
{
    const std::size_t mask = entries.size() - 1;
    std::size_t i = at;
    // Shift the entries after the gap back, so that no probe sequence is broken.
    for (std::size_t j = (i + 1) & mask; entries[j].object; j = (j + 1) & mask) {
        const std::size_t home = homeOf(entries[j].id, mask);
        const bool staysPut = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (staysPut)
            continue;
        entries[i] = entries[j];
        i = j;
    }
    entries[i] = Entry{};
}

void ObjectTable::grow()
{
    Entries old(entries.empty() ? 16 : entries.size() * 2);
    old.swap(entries);
    const std::size_t mask = entries.size() - 1;
    for (const Entry& entry : old) {
        if (!entry.object)
            continue;
        std::size_t i = homeOf(entry.id, mask);
        while (entries[i].object)
            i = (i + 1) & mask;
        entries[i] = entry;
    }
}

// The leading empty slots go by moving `base`; only the objects behind an empty slot in
// the middle get new slot numbers.
void ObjectTable::compact()
{
    const std::uint32_t newBase = static_cast<std::uint32_t>(base + lead);
    std::size_t out = 0;
    bool shifted = false;
    for (std::size_t i = lead; i < order.size(); ++i) {
        ProjectObject* object = order[i];
        if (!object) {
            shifted = true;
            continue;
        }
        if (shifted)
            entries[findEntry(object->getObjectId())].slot = static_cast<std::uint32_t>(newBase + out);
        order[out++] = object;
    }
    order.resize(out);
    base = newBase;
    lead = 0;
}

void ObjectTable::clear()
{
    // Taken out of the table first: an object's destructor may still ask the table.
    Order doomed;
    doomed.swap(order);
    entries.clear();
    live = 0;
    const std::size_t first = lead;
    lead = 0;
    base = 0;
    for (std::size_t i = first; i < doomed.size(); ++i)
        delete doomed[i];
}

} // namespace Obj
