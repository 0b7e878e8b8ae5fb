#pragma once
// Containers that count every element they hand out: each element reached through an
// iterator, an index, front() or back(), each element a find or an erase steps over or
// moves.  A path's work counter that lives in its container sees any walk over what is
// already there (a lookup rewritten as a loop, a duplicate check before an insert),
// whether or not the walk allocates; a counter bumped by a few helper functions sees only
// the walks that go through them.
//
// The counter is a function giving a per-thread count by reference, so each container
// kind has its own (a test reads it through the function) and threads never share one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "SeededHash.h"

namespace Counted {

using Counter = std::uint64_t& (*)();

// A per-thread count of its own for each tag type: `&Counted::tally<Tag>` is a Counter.  A
// library gives its count out through a function of its own (defined where the tag is, so
// that one copy of the count exists however the library is linked):
//     std::uint64_t& Holder::steps() { return Counted::tally<struct HolderSteps>(); }
template <class Tag>
std::uint64_t& tally()
{
    static thread_local std::uint64_t count = 0;
    return count;
}

// The element a counter counted last, per thread: reading it again before any other is
// reached (through the same iterator or a copy an algorithm made) counts nothing more.
template <Counter steps>
const void*& lastReached()
{
    static thread_local const void* last = nullptr;
    return last;
}

// Counts `element` unless it is the one counted last.
template <Counter steps>
void reach(const void* element)
{
    const void*& last = lastReached<steps>();
    if (element != last) {
        ++steps();
        last = element;
    }
}

template <class, Counter>
class Sequence;
template <class, Counter>
class Vector;
template <class, Counter>
class List;
template <class, class, Counter>
class Table;

// An iterator that counts each element it reaches: the element it gives, or the one it
// steps over unread.  A walk counts one step an element whether it reads each one (a
// range loop, an algorithm), only steps (std::distance or std::next over a list or a map)
// or goes backwards.  A jump of a random-access iterator (std::next over a vector) counts
// one move whatever its length, and reaches no element between.  The plain iterator
// inside is the containers' own: nothing else can walk around the count.
template <class It, Counter steps>
class Iterator
{
    template <class, Counter>
    friend class Iterator;
    template <class, Counter>
    friend class Sequence;
    template <class, Counter>
    friend class Vector;
    template <class, Counter>
    friend class List;
    template <class, class, Counter>
    friend class Table;

public:
    using traits = std::iterator_traits<It>;
    using iterator_category = typename traits::iterator_category;
    using value_type = typename traits::value_type;
    using difference_type = typename traits::difference_type;
    using pointer = typename traits::pointer;
    using reference = typename traits::reference;

    Iterator() = default;
    explicit Iterator(It it) : it(it) {}
    // A const iterator from a plain one.
    template <class Other>
    Iterator(const Iterator<Other, steps>& other) : it(other.it) {}

    reference operator*() const
    {
        reach();
        return *it;
    }
    pointer operator->() const
    {
        reach();
        return &*it;
    }
    reference operator[](difference_type n) const
    {
        ++steps();
        return it[n];
    }
    // Stepping on past an element not yet read reaches it.
    Iterator& operator++()
    {
        reach();
        ++it;
        return *this;
    }
    Iterator operator++(int)
    {
        Iterator was = *this;
        ++*this;
        return was;
    }
    // Stepping back reaches the element stepped onto.
    Iterator& operator--()
    {
        --it;
        reach();
        return *this;
    }
    Iterator operator--(int)
    {
        Iterator was = *this;
        --*this;
        return was;
    }
    // A jump is one move, whatever its length: a walk made of jumps of one counts each.
    Iterator& operator+=(difference_type n)
    {
        ++steps();
        it += n;
        return *this;
    }
    Iterator& operator-=(difference_type n)
    {
        ++steps();
        it -= n;
        return *this;
    }
    friend Iterator operator+(Iterator a, difference_type n) { return a += n; }
    friend Iterator operator+(difference_type n, Iterator a) { return a += n; }
    friend Iterator operator-(Iterator a, difference_type n) { return a -= n; }
    template <class Other>
    difference_type operator-(const Iterator<Other, steps>& o) const
    {
        return it - o.it;
    }
    template <class Other>
    bool operator==(const Iterator<Other, steps>& o) const
    {
        return it == o.it;
    }
    template <class Other>
    bool operator!=(const Iterator<Other, steps>& o) const
    {
        return it != o.it;
    }
    template <class Other>
    bool operator<(const Iterator<Other, steps>& o) const
    {
        return it < o.it;
    }
    template <class Other>
    bool operator>(const Iterator<Other, steps>& o) const
    {
        return it > o.it;
    }
    template <class Other>
    bool operator<=(const Iterator<Other, steps>& o) const
    {
        return it <= o.it;
    }
    template <class Other>
    bool operator>=(const Iterator<Other, steps>& o) const
    {
        return it >= o.it;
    }

private:
    It base() const { return it; }
    void reach() const { Counted::reach<steps>(std::addressof(*it)); }

    It it{};
};

// What every counted container holds: its items, whose copy counts each element it copies
// (and an assignment each one it drops), whose move counts none.
template <class Items, Counter steps>
class Held
{
protected:
    Held() = default;
    // `n` elements made with their default value, each counted.
    explicit Held(std::size_t n) : items(n) { steps() += n; }
    Held(const Held& other) : items(other.items) { steps() += items.size(); }
    Held& operator=(const Held& other)
    {
        if (this != &other) {
            steps() += items.size() + other.items.size();
            items = other.items;
        }
        return *this;
    }
    Held(Held&&) = default;
    Held& operator=(Held&&) = default;
    ~Held() = default;

    Items items;
};

// What a counted vector and a counted list share: their iterators count each element they
// give; clearing counts each element it drops; size and emptiness reach none.
template <class Items, Counter steps>
class Sequence : public Held<Items, steps>
{
    using Base = Held<Items, steps>;

public:
    using value_type = typename Items::value_type;
    using size_type = std::size_t;
    using iterator = Iterator<typename Items::iterator, steps>;
    using const_iterator = Iterator<typename Items::const_iterator, steps>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    iterator begin() { return iterator(items.begin()); }
    iterator end() { return iterator(items.end()); }
    const_iterator begin() const { return const_iterator(items.begin()); }
    const_iterator end() const { return const_iterator(items.end()); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    size_type size() const { return items.size(); }
    bool empty() const { return items.empty(); }
    void clear()
    {
        steps() += items.size();
        items.clear();
    }

protected:
    Sequence() = default;
    explicit Sequence(size_type n) : Base(n) {}

    using Base::items;
};

// A vector whose elements are counted as they are reached, and as an insert or erase
// moves them.
template <class T, Counter steps>
class Vector : public Sequence<std::vector<T>, steps>
{
    using Base = Sequence<std::vector<T>, steps>;
    using Base::items;

public:
    using typename Base::const_iterator;
    using typename Base::iterator;
    using typename Base::size_type;

    Vector() = default;
    // `n` elements made with their default value, each counted.
    explicit Vector(size_type n) : Base(n) {}

    // Growing the room moves every element there: each is counted.
    void reserve(size_type n)
    {
        if (n > items.capacity())
            steps() += items.size();
        items.reserve(n);
    }
    // Each element dropped from the end or made there is counted, and each one moved when
    // the room grows.
    void resize(size_type n)
    {
        if (n > items.capacity())
            steps() += items.size();
        steps() += n > items.size() ? n - items.size() : items.size() - n;
        items.resize(n);
    }
    // Takes the other's elements and gives it these: no element is reached or moved.
    void swap(Vector& other) noexcept { items.swap(other.items); }

    T& operator[](size_type i)
    {
        ++steps();
        return items[i];
    }
    const T& operator[](size_type i) const
    {
        ++steps();
        return items[i];
    }
    T& front() { return (*this)[0]; }
    const T& front() const { return (*this)[0]; }
    T& back() { return (*this)[items.size() - 1]; }
    const T& back() const { return (*this)[items.size() - 1]; }

    void push_back(const T& v) { items.push_back(v); }
    void push_back(T&& v) { items.push_back(std::move(v)); }
    template <class... Args>
    T& emplace_back(Args&&... args)
    {
        return items.emplace_back(std::forward<Args>(args)...);
    }
    void pop_back() { items.pop_back(); }

    // Each element after `pos` is moved, and counted.
    iterator insert(const_iterator pos, const T& v)
    {
        steps() += static_cast<std::uint64_t>(items.cend() - pos.base());
        return iterator(items.insert(pos.base(), v));
    }
    iterator erase(const_iterator pos) { return erase(pos, const_iterator(std::next(pos.base()))); }
    iterator erase(const_iterator first, const_iterator last)
    {
        steps() += static_cast<std::uint64_t>(items.cend() - first.base());
        return iterator(items.erase(first.base(), last.base()));
    }
};

// A list whose elements are counted as they are reached; an insert or an erase moves no
// other element and counts the one it places or takes out.  Its iterators stay valid as
// std::list's do, so a holder may keep one to take its element out later; each read
// through a kept one counts.
template <class T, Counter steps>
class List : public Sequence<std::list<T>, steps>
{
    using Base = Sequence<std::list<T>, steps>;
    using Base::items;

public:
    using typename Base::const_iterator;
    using typename Base::iterator;
    using typename Base::size_type;

    size_type max_size() const { return items.max_size(); }

    T& front()
    {
        ++steps();
        return items.front();
    }
    const T& front() const
    {
        ++steps();
        return items.front();
    }
    T& back()
    {
        ++steps();
        return items.back();
    }
    const T& back() const
    {
        ++steps();
        return items.back();
    }

    void push_back(const T& v)
    {
        ++steps();
        items.push_back(v);
    }
    void push_back(T&& v)
    {
        ++steps();
        items.push_back(std::move(v));
    }
    template <class... Args>
    T& emplace_back(Args&&... args)
    {
        ++steps();
        return items.emplace_back(std::forward<Args>(args)...);
    }
    void push_front(const T& v)
    {
        ++steps();
        items.push_front(v);
    }
    void push_front(T&& v)
    {
        ++steps();
        items.push_front(std::move(v));
    }
    void pop_back()
    {
        ++steps();
        items.pop_back();
    }
    void pop_front()
    {
        ++steps();
        items.pop_front();
    }
    iterator insert(const_iterator pos, const T& v)
    {
        ++steps();
        return iterator(items.insert(pos.base(), v));
    }
    iterator insert(const_iterator pos, T&& v)
    {
        ++steps();
        return iterator(items.insert(pos.base(), std::move(v)));
    }
    iterator erase(const_iterator pos)
    {
        ++steps();
        return iterator(items.erase(pos.base()));
    }
    // Each element between `first` and `last` is taken out, and counted.
    iterator erase(const_iterator first, const_iterator last)
    {
        steps() += static_cast<std::uint64_t>(std::distance(first.base(), last.base()));
        return iterator(items.erase(first.base(), last.base()));
    }
    // Compares every element with `v`: each is counted.
    void remove(const T& v)
    {
        steps() += items.size();
        items.remove(v);
    }
};

// A pointer whose every read is counted: a walk from holder to holder along such links (a
// climb up a chain of parents) counts one step a link, as a walk over a container does.
template <class T, Counter steps>
class Link
{
public:
    Link() = default;
    Link(T* to) : to(to) {}
    Link& operator=(T* other)
    {
        to = other;
        return *this;
    }
    Link(const Link&) = default;
    Link& operator=(const Link&) = default;

    operator T*() const
    {
        ++steps();
        return to;
    }
    T* operator->() const
    {
        ++steps();
        return to;
    }
    T& operator*() const
    {
        ++steps();
        return *to;
    }

private:
    T* to = nullptr;
};

// What the ordered and the hashed map share: walks that count each entry reached, and
// look-ups that count what `Derived::probe(key)` says the look-up probes.
template <class Derived, class Items, Counter steps>
class Table : public Held<Items, steps>
{
    using Base = Held<Items, steps>;

public:
    using key_type = typename Items::key_type;
    using mapped_type = typename Items::mapped_type;
    using value_type = typename Items::value_type;
    using size_type = std::size_t;
    using iterator = Iterator<typename Items::iterator, steps>;
    using const_iterator = Iterator<typename Items::const_iterator, steps>;

    iterator begin() { return iterator(items.begin()); }
    iterator end() { return iterator(items.end()); }
    const_iterator begin() const { return const_iterator(items.begin()); }
    const_iterator end() const { return const_iterator(items.end()); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    size_type size() const { return items.size(); }
    bool empty() const { return items.empty(); }
    // Each entry dropped is counted.
    void clear()
    {
        steps() += items.size();
        items.clear();
    }

    template <class K>
    iterator find(const K& key)
    {
        probe(key);
        return iterator(items.find(key));
    }
    template <class K>
    const_iterator find(const K& key) const
    {
        probe(key);
        return const_iterator(items.find(key));
    }
    template <class K>
    size_type count(const K& key) const
    {
        probe(key);
        return items.count(key);
    }
    mapped_type& operator[](const key_type& key)
    {
        probe(key);
        return items[key];
    }
    std::pair<iterator, bool> insert(const value_type& v)
    {
        probe(v.first);
        auto done = items.insert(v);
        return {iterator(done.first), done.second};
    }
    iterator erase(const_iterator pos) { return iterator(items.erase(pos.base())); }
    // A plain iterator is a position too, not a key.
    iterator erase(iterator pos) { return iterator(items.erase(pos.base())); }
    template <class K>
    size_type erase(const K& key)
    {
        probe(key);
        return items.erase(key);
    }

protected:
    template <class K>
    void probe(const K& key) const
    {
        steps() += static_cast<const Derived&>(*this).probes(key);
    }

    using Base::items;
};

// An ordered map whose look-ups count the probes of the tree's descent (its depth, at
// most) and whose walks count each entry reached.
template <class Key, class T, Counter steps, class Compare = std::less<Key>>
class Map : public Table<Map<Key, T, steps, Compare>, std::map<Key, T, Compare>, steps>
{
    using Base = Table<Map, std::map<Key, T, Compare>, steps>;
    friend Base;
    using Base::items;
    using Base::probe;

public:
    using typename Base::const_iterator;
    using typename Base::iterator;

    template <class K>
    iterator lower_bound(const K& key)
    {
        probe(key);
        return iterator(items.lower_bound(key));
    }
    template <class K>
    const_iterator lower_bound(const K& key) const
    {
        probe(key);
        return const_iterator(items.lower_bound(key));
    }
    template <class... Args>
    std::pair<iterator, bool> emplace(Args&&... args)
    {
        steps() += probes(0);
        auto done = items.emplace(std::forward<Args>(args)...);
        return {iterator(done.first), done.second};
    }

private:
    // One step per level of the descent: about log2 of the entries.
    template <class K>
    std::uint64_t probes(const K&) const
    {
        std::uint64_t depth = 1;
        for (std::size_t n = items.size(); n > 1; n >>= 1)
            ++depth;
        return depth;
    }
};

// A hashed map whose look-ups count the entries of the key's bucket (each compared with
// the key) and one for the hash, and whose walks count each entry reached.  Integer and
// text keys are hashed under the process's seed: no input chooses keys that share a bucket.
template <class Key, class T, Counter steps, class Hash = SeededHash<Key>, class Equal = std::equal_to<Key>>
class HashMap : public Table<HashMap<Key, T, steps, Hash, Equal>, std::unordered_map<Key, T, Hash, Equal>, steps>
{
    using Base = Table<HashMap, std::unordered_map<Key, T, Hash, Equal>, steps>;
    friend Base;
    using Base::items;
    using Base::probe;

public:
    using typename Base::iterator;
    using typename Base::size_type;

    // Making room for more rehashes every entry there: each is counted.
    void reserve(size_type n)
    {
        if (static_cast<float>(n) > static_cast<float>(items.bucket_count()) * items.max_load_factor())
            steps() += items.size();
        items.reserve(n);
    }
    template <class V>
    std::pair<iterator, bool> emplace(const Key& key, V&& value)
    {
        probe(key);
        auto done = items.emplace(key, std::forward<V>(value));
        return {iterator(done.first), done.second};
    }

private:
    // One step for the hash, one for each entry of the key's bucket.
    std::uint64_t probes(const Key& key) const
    {
        return 1 + (items.bucket_count() ? items.bucket_size(items.bucket(key)) : 0);
    }
};

// A view of a cell array (VTK's vtkCellArray, say) that counts each cell it reads or
// writes: a cell read whole or by its size, a cell replaced, a cell appended.  The
// array's own walks (its traversal, its raw connectivity) are not offered, so that
// every loop over the cells of a path that keeps its cells this way goes through the
// count.  Taking the count of cells, clearing them and marking them modified read none.
template <class CellArray, Counter steps>
class Cells
{
public:
    Cells() = default;
    explicit Cells(CellArray* cells) : cells(cells) {}

    auto GetNumberOfCells() const { return cells->GetNumberOfCells(); }
    template <class Id, class... Out>
    auto GetCellAtId(Id cell, Out&&... out) const
    {
        ++steps();
        return cells->GetCellAtId(cell, std::forward<Out>(out)...);
    }
    template <class Id>
    auto GetCellSize(Id cell) const
    {
        ++steps();
        return cells->GetCellSize(cell);
    }
    template <class Id, class... In>
    auto ReplaceCellAtId(Id cell, In&&... in)
    {
        ++steps();
        return cells->ReplaceCellAtId(cell, std::forward<In>(in)...);
    }
    template <class... In>
    auto InsertNextCell(In&&... in)
    {
        ++steps();
        return cells->InsertNextCell(std::forward<In>(in)...);
    }
    void Reset() { cells->Reset(); }
    void Modified() { cells->Modified(); }
    auto GetMTime() const { return cells->GetMTime(); }

    // The array itself, for handing to the VTK pipeline (not for walking its cells).
    CellArray* ForPipeline() const { return cells; }

private:
    CellArray* cells = nullptr;
};

} // namespace Counted
