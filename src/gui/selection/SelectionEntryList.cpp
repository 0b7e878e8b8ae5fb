#include "SelectionEntryList.h"

#include <stdexcept>

using namespace Gui;

namespace {

std::string objectKey(const std::string& project, unsigned int id)
{
    std::string key = project;
    key += '\0';
    key += std::to_string(id);
    return key;
}

std::string fullKey(const std::string& project, unsigned int id, const std::string& sub)
{
    std::string key = objectKey(project, id);
    key += '\0';
    key += sub;
    return key;
}

} // namespace

std::uint64_t& SelectionEntryList::entrySteps()
{
    return Counted::tally<struct SelectionEntrySteps>();
}

SelectionEntryList::SelectionEntryList() = default;
SelectionEntryList::~SelectionEntryList() = default;

template <class K>
void SelectionEntryList::add(Index<K>& idx, int which, const K& key, Handle h)
{
    Bucket& bucket = idx[key];
    // Appends come last in list order; only a renamed entry may have to go further in.
    auto at = bucket.end();
    ++entrySteps();
    while (at != bucket.begin() && (*std::prev(at))->seq > h->seq) {
        --at;
        ++entrySteps();
    }
    h->pos[which] = bucket.insert(at, h);
}

template <class K>
void SelectionEntryList::drop(Index<K>& idx, int which, const K& key, Handle h)
{
    ++entrySteps();
    const auto it = idx.find(key);
    if (it == idx.end())
        return;
    it->second.erase(h->pos[which]);
    if (it->second.empty())
        idx.erase(it);
}

template <class K>
std::vector<SelectionEntryList::Handle> SelectionEntryList::find(const Index<K>& idx, const K& key)
{
    std::vector<Handle> result;
    ++entrySteps();
    const auto it = idx.find(key);
    if (it == idx.end())
        return result;
    entrySteps() += it->second.size();
    result.reserve(it->second.size());
    result.assign(it->second.begin(), it->second.end());
    return result;
}

void SelectionEntryList::index_names(Handle h)
{
    const SelectionEntry& e = h->entry;
    add(byKey, KeyIndex, fullKey(e.project_name, e.object_id, e.sub_name), h);
    add(byObjectKey, ObjectKeyIndex, objectKey(e.project_name, e.object_id), h);
    add(byProjectName, ProjectNameIndex, e.project_name, h);
}

void SelectionEntryList::unindex_names(Handle h)
{
    const SelectionEntry& e = h->entry;
    drop(byKey, KeyIndex, fullKey(e.project_name, e.object_id, e.sub_name), h);
    drop(byObjectKey, ObjectKeyIndex, objectKey(e.project_name, e.object_id), h);
    drop(byProjectName, ProjectNameIndex, e.project_name, h);
}

void SelectionEntryList::index(Handle h)
{
    index_names(h);
    add(byProject, ProjectIndex, static_cast<const Obj::Project*>(h->entry.project), h);
    if (h->entry.object)
        add(byObject, ObjectIndex, static_cast<const Obj::ProjectObject*>(h->entry.object), h);
}

void SelectionEntryList::unindex(Handle h)
{
    unindex_names(h);
    drop(byProject, ProjectIndex, static_cast<const Obj::Project*>(h->entry.project), h);
    if (h->entry.object)
        drop(byObject, ObjectIndex, static_cast<const Obj::ProjectObject*>(h->entry.object), h);
}

void SelectionEntryList::append(SelectionEntry entry)
{
    if (nodes.size() >= nodes.max_size())
        throw std::length_error("selection list is full");
    nodes.push_back(Node{std::move(entry), nextSeq++, {}});
    index(std::prev(nodes.end()));
}

SelectionEntry SelectionEntryList::take(Handle h)
{
    unindex(h);
    SelectionEntry e = std::move(h->entry);
    nodes.erase(h);
    return e;
}

void SelectionEntryList::clear()
{
    nodes.clear();
    byKey.clear();
    byObjectKey.clear();
    byProjectName.clear();
    byProject.clear();
    byObject.clear();
}

bool SelectionEntryList::contains(const std::string& project, unsigned int id, const std::string& sub) const
{
    ++entrySteps();
    return byKey.count(fullKey(project, id, sub)) != 0;
}

std::vector<SelectionEntryList::Handle>
SelectionEntryList::with_key(const std::string& project, unsigned int id, const std::string& sub) const
{
    return find(byKey, fullKey(project, id, sub));
}

std::vector<SelectionEntryList::Handle> SelectionEntryList::with_object_key(const std::string& project, unsigned int id) const
{
    return find(byObjectKey, objectKey(project, id));
}

std::vector<SelectionEntryList::Handle> SelectionEntryList::with_project_name(const std::string& project) const
{
    return find(byProjectName, project);
}

std::vector<SelectionEntryList::Handle> SelectionEntryList::with_project(const Obj::Project* project) const
{
    return find(byProject, project);
}

std::vector<SelectionEntryList::Handle> SelectionEntryList::with_object(const Obj::ProjectObject* object) const
{
    return find(byObject, object);
}

bool SelectionEntryList::has_project(const Obj::Project* project) const
{
    ++entrySteps();
    return byProject.count(project) != 0;
}

bool SelectionEntryList::has_object(const Obj::ProjectObject* object) const
{
    ++entrySteps();
    return object && byObject.count(object) != 0;
}

bool SelectionEntryList::has_object_with_sub(const Obj::ProjectObject* object, const std::string& sub) const
{
    const auto it = byObject.find(object);
    if (it == byObject.end())
        return false;
    for (Handle h : it->second) {
        ++entrySteps();
        if (h->entry.sub_name == sub)
            return true;
    }
    return false;
}

void SelectionEntryList::rename_project(const Obj::Project* project, const std::string& name)
{
    for (Handle h : find(byProject, project)) {
        if (h->entry.project_name == name)
            continue;
        unindex_names(h);
        h->entry.project_name = name;
        index_names(h);
    }
}

bool SelectionEntryList::first_of_object(const std::string& project, unsigned int id, const std::string* sub,
                                         std::uint64_t limit, Handle& found) const
{
    ++entrySteps();
    const auto it = sub ? byKey.find(fullKey(project, id, *sub)) : byObjectKey.find(objectKey(project, id));
    const auto end = sub ? byKey.end() : byObjectKey.end();
    if (it == end || it->second.front()->seq >= limit)
        return false;
    found = it->second.front();
    return true;
}

bool SelectionEntryList::first_of_object(const Obj::ProjectObject* object, std::uint64_t limit, Handle& found) const
{
    ++entrySteps();
    const auto it = byObject.find(object);
    if (it == byObject.end() || it->second.front()->seq >= limit)
        return false;
    found = it->second.front();
    return true;
}
