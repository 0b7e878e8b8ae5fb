#pragma once
// The ordered entry list of a selection singleton, with hashed indexes so that every
// look-up (by name and id, by project, by object) costs in proportion to what it finds,
// not to the size of the whole selection.  The entries themselves are counted as they are
// reached (see entriesVisited()), so a walk over all of them shows in the count.

#include "PelmoraGuiExport.h"

#include <counted/CountedSteps.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace Obj { class Project; class ProjectObject; }

namespace Gui {

struct SelectionEntry
{
    std::string project_name;
    unsigned int object_id = 0;
    std::string sub_name;
    std::string type_name;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* object = nullptr;
    float x = 0.f;
    float y = 0.f;
    float z = 0.f;
};

class PELMORAGUI_EXPORT SelectionEntryList
{
    // The count entriesVisited() reads: every entry reached through the list or a handle.
    static std::uint64_t& entrySteps();
    struct Node;
    using List = Counted::List<Node, &SelectionEntryList::entrySteps>;
    // An index's entries for one key, in list order: counted too, so a walk over a bucket
    // (a search of it before an insert) shows in entriesVisited() like one over the list.
    using Bucket = Counted::List<List::iterator, &SelectionEntryList::entrySteps>;
    enum { KeyIndex, ObjectKeyIndex, ProjectNameIndex, ProjectIndex, ObjectIndex, IndexCount };
    struct Node
    {
        SelectionEntry entry;
        std::uint64_t seq = 0;   // insertion rank: buckets keep their entries in list order
        Bucket::iterator pos[IndexCount];
    };

public:
    class const_iterator
    {
    public:
        explicit const_iterator(List::const_iterator i) : it(i) {}
        const SelectionEntry& operator*() const { return it->entry; }
        const SelectionEntry* operator->() const { return &it->entry; }
        const_iterator& operator++() { ++it; return *this; }
        bool operator!=(const const_iterator& o) const { return it != o.it; }
        bool operator==(const const_iterator& o) const { return it == o.it; }
    private:
        List::const_iterator it;
    };
    using Handle = List::iterator;

    SelectionEntryList();
    ~SelectionEntryList();
    SelectionEntryList(const SelectionEntryList&) = delete;
    SelectionEntryList& operator=(const SelectionEntryList&) = delete;

    const_iterator begin() const { return const_iterator(nodes.begin()); }
    const_iterator end() const { return const_iterator(nodes.end()); }
    std::size_t size() const { return nodes.size(); }
    bool empty() const { return nodes.empty(); }

    // Appends at the end; throws std::length_error past the list's maximum size.
    void append(SelectionEntry entry);
    // Unlinks the entry and hands it back, so that a notification can still point into it.
    SelectionEntry take(Handle h);
    void clear();

    static const SelectionEntry& entry(Handle h) { return h->entry; }

    // Matches, in list order.
    bool contains(const std::string& project, unsigned int id, const std::string& sub) const;
    std::vector<Handle> with_key(const std::string& project, unsigned int id, const std::string& sub) const;
    std::vector<Handle> with_object_key(const std::string& project, unsigned int id) const;
    std::vector<Handle> with_project_name(const std::string& project) const;
    std::vector<Handle> with_project(const Obj::Project* project) const;
    std::vector<Handle> with_object(const Obj::ProjectObject* object) const;
    // The oldest entry of an object (with that sub-element name, when one is given) that
    // was appended before `limit` (a value of next_rank()); false when there is none.
    bool first_of_object(const std::string& project, unsigned int id, const std::string* sub,
                         std::uint64_t limit, Handle& found) const;
    bool first_of_object(const Obj::ProjectObject* object, std::uint64_t limit, Handle& found) const;
    std::uint64_t next_rank() const { return nextSeq; }
    bool has_project(const Obj::Project* project) const;
    bool has_object(const Obj::ProjectObject* object) const;
    bool has_object_with_sub(const Obj::ProjectObject* object, const std::string& sub) const;

    // Writes `name` into every entry of the project.
    void rename_project(const Obj::Project* project, const std::string& name);

    // How many entries the lists of this thread have stepped over (appended, indexed,
    // found, matched, reached through the list or a handle) since it started: a plain
    // count of the work, the same on every run, by which a test sees that selecting n
    // objects costs about n steps.
    static std::uint64_t entriesVisited() { return entrySteps(); }

private:
    // Each index entry reached (a look-up's bucket, a walk over the index) is counted with
    // the entries.
    template <class K> using Index = Counted::HashMap<K, Bucket, &SelectionEntryList::entrySteps>;
    template <class K> static void add(Index<K>& index, int which, const K& key, Handle h);
    template <class K> static void drop(Index<K>& index, int which, const K& key, Handle h);
    template <class K> static std::vector<Handle> find(const Index<K>& index, const K& key);
    void index(Handle h);
    void unindex(Handle h);
    void index_names(Handle h);
    void unindex_names(Handle h);

    List nodes;
    std::uint64_t nextSeq = 0;
    Index<std::string> byKey;         // name, id and sub-element name
    Index<std::string> byObjectKey;   // name and id
    Index<std::string> byProjectName;
    Index<const Obj::Project*> byProject;
    Index<const Obj::ProjectObject*> byObject;
};

} // namespace Gui
