#include "TypeInfo.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace Vexil {

namespace {

struct TypeRecord
{
    std::string name;
    unsigned int parent = 0;
    TypeInfo::instantiationMethod method = nullptr;
};

// One table for the process.  Types are looked up by name and asked about their parents
// each time an object, a property or a feeder is made, so reading takes no lock: records
// and name slots are written once, under the lock, and published with release stores;
// a reader sees either a type in full or not yet.
//
// Records live in chunks of doubling size that never move: chunk k holds the indices
// from Chunk0 * (2^k - 1) on.  The name index is an open-addressed table of record
// indices; when it fills, a larger copy replaces it and the old one is kept (a reader may
// still be probing it), which costs at most as much again as the last table.
class Registry
{
public:
    static constexpr unsigned int Chunk0 = 64;
    static constexpr int MaxChunks = 26;

    Registry()
    {
        nameIndex.store(newIndex(256), std::memory_order_relaxed);
        std::lock_guard<std::mutex> lock(mutex);
        append("Vexil::BadType", 0, nullptr);
    }

    unsigned int size() const { return count.load(std::memory_order_acquire); }

    // Null for an index not (yet) published.
    const TypeRecord* record(unsigned int index) const
    {
        if (index >= size())
            return nullptr;
        const auto [chunk, offset] = place(index);
        return &chunks[chunk].load(std::memory_order_acquire)[offset];
    }

    unsigned int find(std::string_view name) const
    {
        const Index* index = nameIndex.load(std::memory_order_acquire);
        const std::size_t mask = index->size - 1;
        for (std::size_t i = hashOf(name) & mask;; i = (i + 1) & mask) {
            const unsigned int found = index->slots[i].load(std::memory_order_acquire);
            if (found == 0)
                return 0;
            if (record(found)->name == name)
                return found;
        }
    }

    // Registers a new name; the caller holds `mutex` and has checked that the name is new.
    unsigned int append(const char* name, unsigned int parent, TypeInfo::instantiationMethod method)
    {
        const unsigned int index = count.load(std::memory_order_relaxed);
        const auto [chunk, offset] = place(index);
        if (chunk >= MaxChunks)
            return 0;
        TypeRecord* records = chunks[chunk].load(std::memory_order_relaxed);
        if (!records) {
            records = new TypeRecord[std::size_t(Chunk0) << chunk];
            chunks[chunk].store(records, std::memory_order_release);
        }
        records[offset] = TypeRecord{name, parent, method};
        count.store(index + 1, std::memory_order_release);
        if (index != 0)   // the bad type is never found by name
            addToIndex(index);
        return index;
    }

    std::mutex mutex;   // serialises registration

private:
    struct Index
    {
        std::size_t size;   // a power of two, at most half full
        std::size_t used = 0;
        std::unique_ptr<std::atomic<unsigned int>[]> slots;
    };

    static std::size_t hashOf(std::string_view name) { return std::hash<std::string_view>()(name); }

    static std::pair<int, unsigned int> place(unsigned int index)
    {
        const unsigned int group = index / Chunk0 + 1;   // chunk k: groups 2^k .. 2^(k+1) - 1
        int chunk = 0;
        while ((group >> (chunk + 1)) != 0)
            ++chunk;
        return {chunk, index - Chunk0 * ((1u << chunk) - 1)};
    }

    Index* newIndex(std::size_t size)
    {
        auto* index = new Index{size, 0, std::make_unique<std::atomic<unsigned int>[]>(size)};
        for (std::size_t i = 0; i < size; ++i)
            index->slots[i].store(0, std::memory_order_relaxed);
        retired.emplace_back(index);
        return index;
    }

    static void place_in(Index& index, unsigned int type, std::string_view name)
    {
        const std::size_t mask = index.size - 1;
        std::size_t i = hashOf(name) & mask;
        while (index.slots[i].load(std::memory_order_relaxed) != 0)
            i = (i + 1) & mask;
        index.slots[i].store(type, std::memory_order_release);
        ++index.used;
    }

    void addToIndex(unsigned int type)
    {
        Index* index = nameIndex.load(std::memory_order_relaxed);
        if ((index->used + 1) * 2 > index->size) {
            Index* bigger = newIndex(index->size * 2);
            for (unsigned int t = 1; t < type; ++t)
                place_in(*bigger, t, record(t)->name);
            nameIndex.store(bigger, std::memory_order_release);
            index = bigger;
        }
        place_in(*index, type, record(type)->name);
    }

    std::atomic<TypeRecord*> chunks[MaxChunks] = {};
    std::atomic<unsigned int> count{0};
    std::atomic<Index*> nameIndex{nullptr};
    std::vector<std::unique_ptr<Index>> retired;   // every index made, the current one too
};

Registry& registry()
{
    static Registry* r = new Registry();   // never destroyed: types outlive static objects
    return *r;
}

bool inherits(const Registry& r, unsigned int index, unsigned int base)
{
    while (true) {
        if (index == base)
            return true;
        if (index == 0)
            return false;
        const TypeRecord* record = r.record(index);
        if (!record)
            return false;
        index = record->parent;
    }
}

} // namespace

TypeInfo TypeInfo::create_type(const TypeInfo& parent, const char* name, instantiationMethod method)
{
    if (!name || !*name)
        return TypeInfo();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (const unsigned int existing = r.find(name))
        return TypeInfo(existing);
    if (parent.index >= r.size())
        return TypeInfo();
    return TypeInfo(r.append(name, parent.index, method));
}

TypeInfo TypeInfo::get_type_from_name(const char* name)
{
    if (!name)
        return TypeInfo();
    return TypeInfo(registry().find(name));
}

TypeInfo TypeInfo::sick_type()
{
    return TypeInfo();
}

RootClass* TypeInfo::build_instance_by_name(const char* name, bool /*loadModule*/)
{
    return get_type_from_name(name).build_instance();
}

int TypeInfo::get_num_types()
{
    return static_cast<int>(registry().size());
}

std::vector<TypeInfo> TypeInfo::get_all_derived_from(const TypeInfo& base)
{
    std::vector<TypeInfo> result;
    if (base.is_sick())
        return result;
    const Registry& r = registry();
    const unsigned int count = r.size();
    for (unsigned int i = 1; i < count; ++i)
        if (inherits(r, i, base.index))
            result.push_back(TypeInfo(i));
    return result;
}

RootClass* TypeInfo::build_instance() const
{
    if (index == 0)
        return nullptr;
    const TypeRecord* record = registry().record(index);
    return record && record->method ? record->method() : nullptr;
}

const char* TypeInfo::get_name() const
{
    const Registry& r = registry();
    const TypeRecord* record = r.record(index);
    return (record ? record : r.record(0))->name.c_str();
}

TypeInfo TypeInfo::get_parent() const
{
    const TypeRecord* record = registry().record(index);
    return record ? TypeInfo(record->parent) : TypeInfo();
}

bool TypeInfo::is_inherited_from(const TypeInfo& type) const
{
    if (is_sick() || type.is_sick())
        return false;
    if (index == type.index)   // the usual question; a type's index never changes
        return true;
    const Registry& r = registry();
    if (index >= r.size())
        return false;
    return inherits(r, index, type.index);
}

} // namespace Vexil
