#pragma once
// Runtime type registry: classes register by name under their parent and can be
// built by name.  Types are small value handles into one process-wide table.

#include <string>
#include <vector>

namespace Vexil {

class RootClass;

class TypeInfo
{
public:
    using instantiationMethod = RootClass* (*)();

    // The invalid ("sick") type; constexpr so that static TypeInfo members are set
    // before any static initializer registers a class.
    constexpr TypeInfo() : index(0) {}
    TypeInfo(const TypeInfo&) = default;
    TypeInfo& operator=(const TypeInfo&) = default;

    // Registers a class.  The parent must be registered already (or be the sick type for
    // the root).  Registering a name twice returns the existing type unchanged.
    static TypeInfo create_type(const TypeInfo& parent, const char* name,
                                instantiationMethod method = nullptr);

    static TypeInfo get_type_from_name(const char* name);
    static TypeInfo sick_type();
    // A new instance of the registered class, or null when the name is unknown or the
    // class has no create function (abstract).  The second argument (load the module that
    // defines the class) is accepted for callers' sake; every class here is linked in.
    static RootClass* build_instance_by_name(const char* name, bool loadModule = false);
    static int get_num_types();
    // Every registered type that is or derives from `base`, in registration order.
    static std::vector<TypeInfo> get_all_derived_from(const TypeInfo& base);

    RootClass* build_instance() const;
    const char* get_name() const;
    TypeInfo get_parent() const;
    bool is_inherited_from(const TypeInfo& type) const;
    bool is_sick() const { return index == 0; }
    unsigned int get_key() const { return index; }

    bool operator==(const TypeInfo& other) const { return index == other.index; }
    bool operator!=(const TypeInfo& other) const { return index != other.index; }
    bool operator<(const TypeInfo& other) const { return index < other.index; }

private:
    explicit TypeInfo(unsigned int i) : index(i) {}
    unsigned int index;
};

} // namespace Vexil
