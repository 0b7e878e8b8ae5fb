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
#include <iterator>
#include <list>
#include <map>
#include <utility>
#include <vector>

namespace Counted {

using Counter = std::uint64_t& (*)();

// An iterator that counts one step each time it gives an element.
template <class It, Counter steps>
class Iterator
{
    template <class, Counter>
    friend class Iterator;

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
        ++steps();
        return *it;
    }
    pointer operator->() const
    {
        ++steps();
        return &*it;
    }
    reference operator[](difference_type n) const
    {
        ++steps();
        return it[n];
    }
    Iterator& operator++()
    {
        ++it;
        return *this;
    }
    Iterator operator++(int) { return Iterator(it++); }
    Iterator& operator--()
    {
        --it;
        return *this;
    }
    Iterator operator--(int) { return Iterator(it--); }
    Iterator& operator+=(difference_type n)
    {
        it += n;
        return *this;
    }
    Iterator& operator-=(difference_type n)
    {
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

    // The container's own iterator, for the container's own use.
    It base() const { return it; }

private:
    It it{};
};

// A vector whose elements are counted as they are reached, and as an insert or erase
// moves them.
template <class T, Counter steps>
class Vector
{
    using Items = std::vector<T>;

public:
    using value_type = T;
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
    void reserve(size_type n) { items.reserve(n); }
    void clear() { items.clear(); }

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
    iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
    iterator erase(const_iterator first, const_iterator last)
    {
        steps() += static_cast<std::uint64_t>(items.cend() - first.base());
        return iterator(items.erase(first.base(), last.base()));
    }

private:
    Items items;
};

// An ordered map whose look-ups count the probes of the tree's descent (its depth, at
// most) and whose walks count each entry reached.
template <class Key, class T, Counter steps, class Compare = std::less<Key>>
class Map
{
    using Items = std::map<Key, T, Compare>;

public:
    using key_type = Key;
    using mapped_type = T;
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
    void clear() { items.clear(); }

    template <class K>
    iterator find(const K& key)
    {
        probe();
        return iterator(items.find(key));
    }
    template <class K>
    const_iterator find(const K& key) const
    {
        probe();
        return const_iterator(items.find(key));
    }
    template <class K>
    size_type count(const K& key) const
    {
        probe();
        return items.count(key);
    }
    template <class K>
    iterator lower_bound(const K& key)
    {
        probe();
        return iterator(items.lower_bound(key));
    }
    template <class K>
    const_iterator lower_bound(const K& key) const
    {
        probe();
        return const_iterator(items.lower_bound(key));
    }
    T& operator[](const Key& key)
    {
        probe();
        return items[key];
    }
    template <class... Args>
    std::pair<iterator, bool> emplace(Args&&... args)
    {
        probe();
        auto done = items.emplace(std::forward<Args>(args)...);
        return {iterator(done.first), done.second};
    }
    std::pair<iterator, bool> insert(const value_type& v)
    {
        probe();
        auto done = items.insert(v);
        return {iterator(done.first), done.second};
    }
    iterator erase(const_iterator pos) { return iterator(items.erase(pos.base())); }
    template <class K>
    size_type erase(const K& key)
    {
        probe();
        return items.erase(key);
    }

private:
    // One step per level of the descent: about log2 of the entries.
    void probe() const
    {
        std::uint64_t depth = 1;
        for (std::size_t n = items.size(); n > 1; n >>= 1)
            ++depth;
        steps() += depth;
    }

    Items items;
};

// A linked list whose elements are counted as they are reached: through an iterator,
// front() or back().  An insert or an erase at an iterator moves no other element, so it
// counts nothing; a find of the place to do it does.  A handle kept to an element is a
// counted iterator: each read through it counts.
template <class T, Counter steps>
class List
{
    using Items = std::list<T>;

public:
    using value_type = T;
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
    size_type max_size() const { return items.max_size(); }
    bool empty() const { return items.empty(); }
    void clear() { items.clear(); }

    T& front() { return *begin(); }
    const T& front() const { return *begin(); }
    T& back() { return *std::prev(end()); }
    const T& back() const { return *std::prev(end()); }

    void push_back(const T& v) { items.push_back(v); }
    void push_back(T&& v) { items.push_back(std::move(v)); }
    void push_front(const T& v) { items.push_front(v); }
    void push_front(T&& v) { items.push_front(std::move(v)); }
    template <class... Args>
    T& emplace_back(Args&&... args) { return items.emplace_back(std::forward<Args>(args)...); }
    void pop_back() { items.pop_back(); }
    void pop_front() { items.pop_front(); }
    iterator insert(const_iterator pos, const T& v) { return iterator(items.insert(pos.base(), v)); }
    iterator insert(const_iterator pos, T&& v) { return iterator(items.insert(pos.base(), std::move(v))); }
    iterator erase(const_iterator pos) { return iterator(items.erase(pos.base())); }
    iterator erase(const_iterator first, const_iterator last)
    {
        return iterator(items.erase(first.base(), last.base()));
    }

private:
    Items items;
};

} // namespace Counted
