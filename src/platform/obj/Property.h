#pragma once
// Properties of projects, project objects and view feeders.  A property belongs to a
// container, which is told after every change of its value.

#include "Color.h"

#include <vexil/Persistence.h>
#include <vexil/RootClass.h>
#include <vexil/SpaceLocation.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include <counted/SeededHash.h>
#include <vector>

namespace Obj {

class PropertyContainer;

// A copy of `text` that lives as long as the process, one per distinct text: for the
// descriptions, groups and type names that thousands of objects share.  Null gives "".
const char* internedText(const char* text);

class Property : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // Status bits with a meaning everywhere; the others are free for the owner's use.
    enum StatusBit { ReadOnly = 2, Hidden = 3 };

    Property();
    ~Property() override;

    const char* get_name() const { return name.c_str(); }
    const char* get_description() const { return description; }
    // Empty: the property belongs to no group.
    const char* get_associated_group() const { return group; }
    // The container's flags for the property (8: shown in the graphics window).
    short get_type_flags() const { return typeFlags; }
    bool isInValid() const { return invalid; }
    void setInValid(bool on) { invalid = on; }

    bool test_object_status(int bit) const { return bit >= 0 && bit < 32 && ((status >> bit) & 1u); }
    void set_object_status(int bit, bool on);

    // A component of a compound property belongs to the compound's container.
    PropertyContainer* get_container() const { return compound ? compound->get_container() : container; }
    void set_container(PropertyContainer* owner) { container = owner; }

    // Registered name of the property-editor item class that edits this property; empty:
    // no row.
    virtual const char* get_editor_name() const { return ""; }
    bool isExpanded() const { return expanded; }
    void setExpanded(bool on) { expanded = on; }

    // The value as text, parsed back by set_value_text (C locale for numbers).
    virtual std::string get_value_text() const { return {}; }
    virtual bool set_value_text(const std::string&) { return false; }
    // A component is read-only with its compound.
    bool is_read_only() const { return test_object_status(ReadOnly) || (compound && compound->is_read_only()); }
    void set_read_only(bool on) { set_object_status(ReadOnly, on); }

protected:
    void about_to_set_value();   // tells the container before a change
    void has_set_value();        // tells the container after it
    // Makes `part` a component of this property; the container reaches it by the name
    // "<this name>.<suffix>" and is told about its changes as about its own.
    void add_component(Property& part, const char* suffix);

private:
    friend class PropertyContainer;
    friend class PropertyCoreData;
    void set_name(std::string_view n);
    Property* find_component(const std::string& fullName) const;
    // A component's suffix and a compound's components: made only for those, so that the
    // plain properties that thousands of objects hold stay small.
    struct Parts
    {
        std::string suffix;
        std::vector<Property*> components;
    };
    Parts& parts();
    std::string name;
    const Property* compound = nullptr;
    std::unique_ptr<Parts> partsData;
    const char* group = "";         // interned
    const char* description = "";   // interned
    PropertyContainer* container = nullptr;
    unsigned int status = 0;
    short typeFlags = 0;
    bool invalid = false;
    bool expanded = false;
};

class PropertyString : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_value() const { return value.c_str(); }
    bool isEmpty() const { return value.empty(); }
    void set_value(const char* v);
    void set_value(const std::string& v) { set_value(v.c_str()); }
    std::string get_value_text() const override { return value; }
    bool set_value_text(const std::string& v) override { set_value(v); return true; }
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyStringItem"; }
private:
    std::string value;
};

class PropertyBoolean : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    bool get_value() const { return value; }
    void set_value(bool v);
    std::string get_value_text() const override { return value ? "True" : "False"; }
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyBooleanItem"; }
private:
    bool value = false;
};

class PropertyInteger : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    long get_value() const { return value; }
    void set_value(long v);
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyIntegerItem"; }
protected:
    // Stores without range checks and tells the container.
    void store(long v);
private:
    long value = 0;
};

// An integer held inside a range, edited with a slider.
class PropertyRangeSlider : public PropertyInteger
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    struct Ranges
    {
        long minimum;
        long maximum;
        long step;
    };
    // Values outside the range are clamped into it.
    void set_value(long v);
    bool set_value_text(const std::string& v) override;
    // Null until a range is set.
    const Ranges* get_ranges() const { return hasRanges ? &ranges : nullptr; }
    void set_ranges(long minimum, long maximum, long step = 1);
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyRangeSliderItem"; }
private:
    Ranges ranges{0, 0, 1};
    bool hasRanges = false;
};

// An index into a table of names.  The table is the owner's: a null-terminated array of
// C strings that must outlive its use here (set_enums(nullptr) before it goes).
class PropertyEnumType : public PropertyInteger
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void set_enums(const char** names);
    const char** get_enums() const { return enums; }
    std::vector<std::string> get_enum_list() const;
    // The current name, or null without a table or with an index outside it.
    const char* get_value_as_string() const;
    bool has_name(const char* name) const { return index_of(name) >= 0; }
    using PropertyInteger::set_value;
    // Selects by name; an unknown name changes nothing.
    void set_value(const char* name);
    // The name when there is one, else the index.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyEnumItem"; }
private:
    long index_of(const char* name) const;
    const char** enums = nullptr;
};

class PropertyDecimal : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    double get_value() const { return value; }
    void set_value(double v);
    std::string get_value_text() const override;   // round-trips exactly
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyDecimalItem"; }
private:
    double value = 0.0;
};

class PropertyColor : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const Color& get_value() const { return value; }
    void set_value(const Color& v);
    void set_value(float r, float g, float b, float a = 0.0f) { set_value(Color(r, g, b, a)); }
    std::string get_value_text() const override { return value.toText(); }
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyColorItem"; }
private:
    Color value;
};

class PropertyColorArray : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const std::vector<Color>& get_values() const { return values; }
    std::size_t get_size() const { return values.size(); }
    void set_values(const std::vector<Color>& v);
    void set_value(const Color& v) { set_values({v}); }
    // The colours' texts separated by ';'.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
private:
    std::vector<Color> values;
};

// A placement: position and rotation.
class PropertySpaceLocation : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const Vexil::SpaceLocation& get_value() const { return value; }
    void set_value(const Vexil::SpaceLocation& v);
    // "x,y,z,angle,ax,ay,az"; "Position(x,y,z)" is read as well.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertySpaceLocationItem"; }
    // The unit (a pmUnit::UnitType) of the position: the length unit of the project the
    // property belongs to, or of the current unit system for a property of no project.
    int get_length_unit() const;
private:
    Vexil::SpaceLocation value;
};

// The topology of a shape, held by the logic; the GUI only tells it apart by its kind.
class PropertyAdvancedTopoData : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // Marks the shape as changed and tells the container.
    void touch() { about_to_set_value(); has_set_value(); }
};

// The table of the properties a class declares, linked to its parent class's table.
// `add_property` puts a member property into a container with its name and group.
class PropertyCoreData
{
public:
    explicit PropertyCoreData(const PropertyCoreData* parent = nullptr) : parentData(parent) {}
    const PropertyCoreData* get_parent() const { return parentData; }
    void set_parent(const PropertyCoreData* parent) { parentData = parent; }

    // Takes ownership of `property` under `name` in `container`; null (and the property
    // deleted) when the name is empty or already in use there.
    Property* add_property(PropertyContainer* container, Property* property, const char* name,
                           const char* group = nullptr, short typeFlags = 0, const char* description = nullptr);
    // The same for a property that is a member of the container's object: listed like any
    // other, never deleted by the container.  Null when the name is empty or in use.
    Property* add_member_property(PropertyContainer* container, Property& property, const char* name,
                                  const char* group = nullptr, short typeFlags = 0,
                                  const char* description = nullptr);
    // The names this class declared, in declaration order (without the parent's).
    const std::vector<std::string>& get_declared_names() const { return declared; }

private:
    Property* declare(Property* added, const char* group, short typeFlags, const char* description);
    const PropertyCoreData* parentData;
    std::vector<std::string> declared;
    // The interned group and description last given for each declared name.
    std::vector<std::pair<const char*, const char*>> declaredTexts;
};

// A container's properties in the order they were added.  The first few are held in
// place: most objects have two or three, and their list then costs no allocation.
class PropertyList
{
public:
    using value_type = Property*;
    using const_iterator = Property* const*;
    using iterator = const_iterator;

    PropertyList() = default;
    PropertyList(const PropertyList&) = delete;
    PropertyList& operator=(const PropertyList&) = delete;

    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    Property* operator[](std::size_t i) const { return data()[i]; }
    Property* front() const { return data()[0]; }
    Property* back() const { return data()[count - 1]; }

private:
    friend class PropertyContainer;
    static constexpr std::uint32_t InPlace = 4;
    Property* const* data() const { return spilled ? spilled.get() : inPlace; }
    void push_back(Property* property);
    Property* inPlace[InPlace] = {};
    std::unique_ptr<Property*[]> spilled;
    std::uint32_t count = 0;
    std::uint32_t capacity = InPlace;
};

// Owns named properties in the order they were added.  The virtual operations keep the
// order that classes built separately against this one rely on.
class PropertyContainer : public Vexil::DataPersistence
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    using PropertyMap = std::unordered_map<std::string, Property*>;

    PropertyContainer();
    ~PropertyContainer() override;

    // Bytes held by the properties themselves.
    unsigned int get_memory_usage() const override;
    // Writes every property's value text under "group/name", and reads them back;
    // entries that are missing or do not parse leave the property as it is.
    void save(Vexil::Hdf5FileWriter& writer, const std::string& group) override;
    void resume(Vexil::Hdf5FileReader& reader, const std::string& group) override;
    void save_to_file(Vexil::Hdf5FileWriter& writer) const override;
    void load_from_file(Vexil::Hdf5FileReader& reader) override;

    virtual Property* get_property_by_name(const char* name) const;
    virtual const char* get_property_name(const Property* p) const;
    virtual void get_property_dataset(PropertyMap& map) const;
    virtual void get_property_array(std::vector<Property*>& list) const;
    virtual short get_property_type(const char* name) const;
    virtual short get_property_type(const Property* p) const;
    virtual const char* get_property_group(const char* name) const;
    virtual const char* get_property_group(const Property* p) const;
    virtual const char* get_property_description(const char* name) const;
    virtual const char* get_property_description(const Property* p) const;
    virtual bool is_read_only(const char* name) const;
    virtual bool is_read_only(const Property* p) const;
    virtual bool is_hidden(const char* name) const;
    virtual bool is_hidden(const Property* p) const;
    // Called after a property's value changed, and just before.
    virtual void on_changed(const Property*) {}
    virtual void on_change_before(const Property*) {}
    virtual const PropertyCoreData& get_property_data() const;

    static const PropertyCoreData& get_property_data_ref();

    // Adds a property of the registered type `typeName`; null for an unknown type or
    // a name already in use.
    Property* add_property(const char* typeName, const char* name);
    const PropertyList& get_properties() const { return properties; }

protected:
    // Takes ownership of `property` under `name`; deletes it and returns null when the
    // name is empty or already in use.
    Property* adopt_property(Property* property, const char* name);
    // Lists `property`, a member of this object, under `name`; the container never deletes
    // it.  Null, and nothing listed, when the name is empty or already in use.
    Property* adopt_member_property(Property& property, const char* name);

private:
    friend class PropertyCoreData;
    static PropertyCoreData propertyData;
    Property* find_property(std::string_view name) const;
    Property* list_property(Property* property, const char* name, bool member);
    bool is_member(std::size_t index) const;
    PropertyList properties;
    // Which entries are members of the object rather than owned.  The container's
    // destructor runs after the members are gone, so it must know them without asking.
    std::uint32_t memberBits = 0;                         // entries 0 to 31
    std::unique_ptr<std::vector<bool>> laterMembers;      // entries from 32 on
    // Names to properties, made once a container holds more than a few: most hold two or
    // three, where a walk over the list is quicker than a map and allocates nothing.
    std::unique_ptr<std::unordered_map<std::string_view, Property*, Counted::SeededHash<std::string_view>>> propertiesByName;
};

// The name the product's code uses for the container base.
using PropertyDS = PropertyContainer;

} // namespace Obj

// A container class's own property table, linked to its parent's.
#define OBJ_PROPERTY_HEADER()                                                       \
public:                                                                            \
    const Obj::PropertyCoreData& get_property_data() const override;               \
    static const Obj::PropertyCoreData& get_property_data_ref();                   \
protected:                                                                         \
    static Obj::PropertyCoreData& property_data_table();                            \
private:

#define OBJ_PROPERTY_SOURCE(_class_, _parent_)                                     \
    Obj::PropertyCoreData& _class_::property_data_table()                          \
    {                                                                              \
        static Obj::PropertyCoreData data(&_parent_::get_property_data_ref());     \
        return data;                                                               \
    }                                                                              \
    const Obj::PropertyCoreData& _class_::get_property_data_ref() { return property_data_table(); } \
    const Obj::PropertyCoreData& _class_::get_property_data() const { return property_data_table(); }
