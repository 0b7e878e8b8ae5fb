#pragma once
// Chooses one object among the owner's project's objects of a type, by name.  The
// integer value is the index of the chosen name in the current list of names.

#include "Property.h"

#include <counted/CountedSteps.h>

#include <cstdint>

namespace Obj {

class Project;

class PropertyAdvEnum : public PropertyInteger
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // Registered type name of the objects offered (derived types included); empty or
    // unknown: none.
    void set_object_type(const char* typeName) { objectType = typeName ? typeName : ""; }
    const std::string& get_object_type() const { return objectType; }

    // The count namesVisited() reads: every offered name reached in a list of names.
    static std::uint64_t& nameSteps();
    // How many offered names this thread has reached since it started: a plain count of
    // the work, the same on every run, by which a test sees that a list of n names costs
    // about n steps.
    static std::uint64_t namesVisited() { return nameSteps(); }
    // The offered names, each counted as it is reached.
    using Names = Counted::Vector<std::string, &PropertyAdvEnum::nameSteps>;

    // Names of the offered objects, in object-id order.
    Names get_objects_of_type_name() const;
    std::vector<std::string> get_enum_list() const;
    long get_num_of_objects() const { return static_cast<long>(get_objects_of_type_name().size()); }
    // The names as a null-terminated array, null when there are none; valid until the
    // next call.
    const char** get_enums() const;

    // The chosen name, or empty when the index names no object.
    std::string get_value_as_string() const;
    using PropertyInteger::set_value;
    // Chooses by name; false (nothing changed) for a name not offered.
    bool set_value(const char* name);

    // The chosen name when there is one, else the index.
    std::string get_value_text() const override;
    // A name on offer, or an index within the list.
    bool set_value_text(const std::string& text) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyAdvEnumItem"; }

protected:
    Project* owning_project() const;

private:
    std::string objectType;
    mutable Names enumNames;
    mutable std::vector<const char*> enumPointers;
};

} // namespace Obj
