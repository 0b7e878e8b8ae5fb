#include "TypeInfo.h"

#include <deque>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace Vexil {

namespace {

struct TypeRecord
{
    std::string name;
    unsigned int parent;
    TypeInfo::instantiationMethod method;
};

// One table for the process.  A deque keeps names at fixed addresses while it grows, so
// get_name() can hand out pointers that stay valid.
struct Registry
{
    std::mutex mutex;
    std::deque<TypeRecord> types;
    // Keyed by the names in `types`, which stay put: a look-up by a C string copies nothing.
    std::unordered_map<std::string_view, unsigned int> byName;

    Registry() { types.push_back({"Vexil::BadType", 0, nullptr}); }
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
        index = r.types[index].parent;
    }
}

} // namespace

TypeInfo TypeInfo::create_type(const TypeInfo& parent, const char* name, instantiationMethod method)
{
    if (!name || !*name)
        return TypeInfo();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(name);
    if (it != r.byName.end())
        return TypeInfo(it->second);
    if (parent.index >= r.types.size())
        return TypeInfo();
    const auto index = static_cast<unsigned int>(r.types.size());
    r.types.push_back({name, parent.index, method});
    r.byName.emplace(r.types.back().name, index);
    return TypeInfo(index);
}

TypeInfo TypeInfo::get_type_from_name(const char* name)
{
    if (!name)
        return TypeInfo();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(name);
    return it == r.byName.end() ? TypeInfo() : TypeInfo(it->second);
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
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.types.size());
}

std::vector<TypeInfo> TypeInfo::get_all_derived_from(const TypeInfo& base)
{
    std::vector<TypeInfo> result;
    if (base.is_sick())
        return result;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (unsigned int i = 1; i < r.types.size(); ++i)
        if (inherits(r, i, base.index))
            result.push_back(TypeInfo(i));
    return result;
}

RootClass* TypeInfo::build_instance() const
{
    instantiationMethod method = nullptr;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        if (index != 0 && index < r.types.size())
            method = r.types[index].method;
    }
    // Built outside the lock: a constructor may look types up itself.
    return method ? method() : nullptr;
}

const char* TypeInfo::get_name() const
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return index < r.types.size() ? r.types[index].name.c_str() : r.types[0].name.c_str();
}

TypeInfo TypeInfo::get_parent() const
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return index < r.types.size() ? TypeInfo(r.types[index].parent) : TypeInfo();
}

bool TypeInfo::is_inherited_from(const TypeInfo& type) const
{
    if (is_sick() || type.is_sick())
        return false;
    if (index == type.index)   // the usual question; a type's index never changes
        return true;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (index >= r.types.size())
        return false;
    return inherits(r, index, type.index);
}

} // namespace Vexil
