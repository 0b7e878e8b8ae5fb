#pragma once
// A map from a pointer or an integer to a small value, in one open-addressed table
// (linear probing, entries shifted back on erasure, so no tombstones).  A look-up reads a
// slot and usually its neighbours in the same cache line, where a node-based map reads a
// bucket and then a node allocated on its own: with thousands of project objects each
// node is an allocation on creation and a cache miss on every look-up.
//
// Any insertion or erasure may move entries: iterators and references to entries hold
// only until the next change.  A null pointer is not a key (its slot marks "free").
//
// Given a step counter (a function giving a per-thread count by reference), the map counts
// every entry it reaches: each entry an iterator gives or steps over, each free slot it
// passes, each entry a look-up, an insert or an erase compares or moves, each entry a
// growth moves, a copy copies or a clearing drops.  A walk
// over the map written anywhere (a look-up rewritten as a loop, a count by stepping) is
// then seen by the path's count; a look-up costs the few entries of its probe run.

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include <counted/SeededHash.h>

namespace Gui {

namespace OpenHashDetail {

// An integer key can take any value, so its slot carries a mark of its own; the members
// are ordered so that a 32-bit key and its mark share the padding after a pointer value.
template <class Key, class Value, bool = std::is_pointer<Key>::value>
struct Slot
{
    Value second{};
    Key first{};
    bool used = false;
    bool occupied() const { return used; }
    void occupy() { used = true; }
};

template <class Key, class Value>
struct Slot<Key, Value, true>
{
    Key first = nullptr;
    Value second{};
    bool occupied() const { return first != nullptr; }
    void occupy() {}
};

} // namespace OpenHashDetail

using OpenHashSteps = std::uint64_t& (*)();

template <class Key, class Value, OpenHashSteps steps = nullptr>
class OpenHashMap
{
    static_assert(std::is_integral<Key>::value || std::is_pointer<Key>::value,
                  "keys are pointers or integers");

public:
    using Entry = OpenHashDetail::Slot<Key, Value>;

    template <bool Const>
    class Iter
    {
    public:
        using EntryRef = std::conditional_t<Const, const Entry&, Entry&>;
        using EntryPtr = std::conditional_t<Const, const Entry*, Entry*>;
        Iter() = default;
        Iter(EntryPtr from, EntryPtr last) : at(from), stop(last) { skipFree(); }
        template <bool C = Const, class = std::enable_if_t<C>>
        Iter(const Iter<false>& other) : at(other.at), stop(other.stop) {}
        EntryRef operator*() const
        {
            reach();
            return *at;
        }
        EntryPtr operator->() const
        {
            reach();
            return at;
        }
        // Stepping on past an entry not yet read reaches it.
        Iter& operator++()
        {
            reach();
            ++at;
            skipFree();
            return *this;
        }
        bool operator==(const Iter& other) const { return at == other.at; }
        bool operator!=(const Iter& other) const { return at != other.at; }

    private:
        friend class OpenHashMap;
        friend class Iter<!Const>;
        // The table never shrinks while it holds entries: a slot passed is work done.
        void skipFree()
        {
            while (at != stop && !at->occupied()) {
                step();
                ++at;
            }
        }
        // An entry read again before any other is reached is not counted again.
        void reach() const
        {
            if constexpr (steps != nullptr) {
                static thread_local const void* last = nullptr;
                if (last != at) {
                    ++steps();
                    last = at;
                }
            }
        }
        EntryPtr at = nullptr;
        EntryPtr stop = nullptr;
    };
    using iterator = Iter<false>;
    using const_iterator = Iter<true>;

    OpenHashMap() = default;
    OpenHashMap(const OpenHashMap& other) : slots(other.slots), count(other.count), tableBits(other.tableBits)
    {
        stepBy(slots.size());
    }
    OpenHashMap& operator=(const OpenHashMap& other)
    {
        if (this != &other) {
            stepBy(slots.size() + other.slots.size());
            slots = other.slots;
            count = other.count;
            tableBits = other.tableBits;
        }
        return *this;
    }
    OpenHashMap(OpenHashMap&& other) noexcept { swap(other); }
    OpenHashMap& operator=(OpenHashMap&& other) noexcept
    {
        swap(other);
        return *this;
    }

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }

    iterator begin() { return iterator(slots.data(), slots.data() + slots.size()); }
    iterator end() { return iterator(slots.data() + slots.size(), slots.data() + slots.size()); }
    const_iterator begin() const { return const_iterator(slots.data(), slots.data() + slots.size()); }
    const_iterator end() const { return const_iterator(slots.data() + slots.size(), slots.data() + slots.size()); }

    iterator find(Key key) { return iterAt(indexOf(key)); }
    const_iterator find(Key key) const { return iterAt(indexOf(key)); }
    // The value under `key`, or a default one.
    Value value(Key key) const
    {
        const std::size_t i = indexOf(key);
        return i == slots.size() ? Value() : slots[i].second;
    }
    bool contains(Key key) const { return indexOf(key) != slots.size(); }

    // Adds the entry unless `key` is there already; the iterator points at the entry that
    // stands under `key` (end() for a null pointer, which is never added).
    std::pair<iterator, bool> insert(Key key, Value value)
    {
        if (isNull(key))
            return {end(), false};
        if ((count + 1) * 4 > slots.size() * 3)
            grow();
        const std::size_t mask = slots.size() - 1;
        std::size_t i = home(key);
        for (; slots[i].occupied(); i = (i + 1) & mask) {
            step();
            if (slots[i].first == key)
                return {iterAt(i), false};
        }
        slots[i].first = key;
        slots[i].second = std::move(value);
        slots[i].occupy();
        ++count;
        return {iterAt(i), true};
    }

    bool erase(Key key)
    {
        const std::size_t i = indexOf(key);
        if (i == slots.size())
            return false;
        eraseAt(i);
        return true;
    }
    void erase(const_iterator it)
    {
        if (it.at != it.stop)
            eraseAt(static_cast<std::size_t>(it.at - slots.data()));
    }

    void clear()
    {
        stepBy(count);
        slots.clear();
        slots.shrink_to_fit();
        count = 0;
        tableBits = 0;
    }
    void swap(OpenHashMap& other) noexcept
    {
        slots.swap(other.slots);
        std::swap(count, other.count);
        std::swap(tableBits, other.tableBits);
    }

private:
    // One entry reached, compared or moved.
    static void step() { stepBy(1); }
    static void stepBy(std::size_t n)
    {
        if constexpr (steps != nullptr)
            steps() += n;
    }
    static bool isNull(Key key)
    {
        if constexpr (std::is_pointer<Key>::value)
            return key == nullptr;
        else
            return false;
    }
    static std::uint64_t bitsOf(Key key)
    {
        if constexpr (std::is_pointer<Key>::value)
            return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key));
        else
            return static_cast<std::uint64_t>(key);
    }
    // Every bit of the key reaches the top bits taken, so aligned pointers and runs of ids
    // spread evenly; ids come from project files, and the process's seed keeps a file from
    // choosing ids that share a slot.
    std::size_t home(Key key) const
    {
        return static_cast<std::size_t>(Counted::seededHash(bitsOf(key)) >> (64 - tableBits));
    }
    std::size_t indexOf(Key key) const
    {
        if (count == 0 || isNull(key))
            return slots.size();
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = home(key); slots[i].occupied(); i = (i + 1) & mask) {
            step();
            if (slots[i].first == key)
                return i;
        }
        return slots.size();
    }
    iterator iterAt(std::size_t i) { return iterator(slots.data() + i, slots.data() + slots.size()); }
    const_iterator iterAt(std::size_t i) const { return const_iterator(slots.data() + i, slots.data() + slots.size()); }

    void eraseAt(std::size_t gap)
    {
        // Move back every later entry of the run that may stand in the gap, so that no
        // probe sequence is broken.  An entry stays where it is when its home lies
        // (cyclically) after the gap and not after the entry itself.
        const std::size_t mask = slots.size() - 1;
        for (std::size_t j = (gap + 1) & mask; slots[j].occupied(); j = (j + 1) & mask) {
            step();
            const std::size_t h = home(slots[j].first);
            const bool staysPut = gap < j ? (gap < h && h <= j) : (gap < h || h <= j);
            if (staysPut)
                continue;
            slots[gap] = std::move(slots[j]);
            gap = j;
        }
        slots[gap] = Entry();
        --count;
    }

    void grow()
    {
        std::vector<Entry> old(slots.empty() ? 16 : slots.size() * 2);
        old.swap(slots);
        tableBits = slots.size() == 16 ? 4 : tableBits + 1;
        const std::size_t mask = slots.size() - 1;
        for (Entry& entry : old) {
            if (!entry.occupied())
                continue;
            step();
            std::size_t i = home(entry.first);
            while (slots[i].occupied())
                i = (i + 1) & mask;
            slots[i] = std::move(entry);
        }
    }

    std::vector<Entry> slots;   // a power of two long, at most three quarters full
    std::size_t count = 0;
    unsigned tableBits = 0;     // log2(slots.size())
};

} // namespace Gui
