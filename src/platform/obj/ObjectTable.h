#pragma once
// A project's objects by id, in id order, owned.  Two flat arrays and no node per object:
// the objects in id order, with an empty slot where one was taken out, and an
// open-addressed table from id to object and slot.  Finding, adding and taking out take
// constant time; the empty slots are dropped once they outnumber the objects, so taking
// objects out in any order stays constant time on average.

#include <counted/CountedSteps.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Obj {

class ProjectObject;

class ObjectTable
{
public:
    ObjectTable() = default;
    ObjectTable(const ObjectTable&) = delete;
    ObjectTable& operator=(const ObjectTable&) = delete;
    ~ObjectTable() { clear(); }

    ProjectObject* find(unsigned int id) const;
    // Takes `object`, whose id must be greater than that of every object in the table.
    void append(std::unique_ptr<ProjectObject> object);
    // Takes out the object with `id`; null when there is none.
    std::unique_ptr<ProjectObject> take(unsigned int id);
    std::size_t size() const { return live; }
    bool empty() const { return live == 0; }
    // Calls `f(ProjectObject*)` for every object in id order; `f` must not change the table.
    template <typename F>
    void for_each(F&& f) const
    {
        for (std::size_t i = lead; i < order.size(); ++i)
            if (ProjectObject* object = order[i])
                f(object);
    }
    // Deletes the objects in id order.
    void clear();

    // How many slots and table entries the object tables of this thread have reached (each
    // object a walk passes, each probe of a look-up, each entry a growth moves) since it
    // started: a plain count of the work, the same on every run, by which a test sees that
    // opening n objects costs about n steps.  The tables' own count, and the name indexes'
    // slots', so that any walk over them is in it.
    static std::uint64_t slotsVisited();
    static std::uint64_t& slotSteps();

private:
    struct Entry
    {
        unsigned int id = 0;
        std::uint32_t slot = 0;   // the object's place in `order`, counted from `base`
        ProjectObject* object = nullptr;
    };
    // The index of the entry of `id` in `entries`; entries.size() when there is none.
    std::size_t findEntry(unsigned int id) const;
    void eraseEntry(std::size_t at);
    void grow();
    void compact();

    using Order = Counted::Vector<ProjectObject*, &ObjectTable::slotSteps>;
    using Entries = Counted::Vector<Entry, &ObjectTable::slotSteps>;

    Order order;                         // id order; null where an object was taken out
    std::size_t lead = 0;                // empty slots at the front of `order`
    // The slot number of order[0].  Dropping the empty slots at the front moves it, so that
    // objects taken out oldest first, the usual order, renumber nothing; it wraps around.
    std::uint32_t base = 0;
    std::size_t live = 0;
    Entries entries;                     // a power of two long, at most half full
};

} // namespace Obj
