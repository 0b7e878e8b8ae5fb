#include "Property.h"

#include "Application.h"
#include "ValueText.h"

#include <vexil/TypeInfo.h>
#include <vexil/UtilityBox.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <locale>
#include <mutex>
#include <sstream>
#include <set>

VEXIL_TYPESYSTEM_SOURCE(Obj::Property, Vexil::RootClass)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyString, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBoolean, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyInteger, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyRangeSlider, Obj::PropertyInteger)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyEnumType, Obj::PropertyInteger)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDecimal, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyColor, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyColorArray, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertySpaceLocation, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyAdvancedTopoData, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyContainer, Vexil::RootClass)

namespace Obj {

namespace {

// Whole text as one number in the C locale.
bool parseNumber(const std::string& text, double& out)
{
    return ValueText::parseNumber(text, out);
}

bool parseNumber(const std::string& text, long& out)
{
    return ValueText::parseInteger(text, out);
}

// Comma-separated numbers; false unless every item parses.
bool parseNumberList(const std::string& text, std::vector<double>& out)
{
    out.clear();
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        double v = 0.0;
        if (!parseNumber(part, v))
            return false;
        out.push_back(v);
    }
    return true;
}

// Containers with more properties than this look names up in a hash.
constexpr std::size_t IndexFrom = 8;

} // namespace

const char* internedText(const char* text)
{
    if (!text || !*text)
        return "";
    static std::mutex mutex;
    static auto* texts = new std::set<std::string, std::less<>>;   // outlives static objects
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = texts->find(std::string_view(text));
    return (it != texts->end() ? it : texts->emplace(text).first)->c_str();
}

Property::Property() = default;
Property::~Property() = default;

void Property::set_object_status(int bit, bool on)
{
    if (bit < 0 || bit >= 32)
        return;
    const unsigned int before = status;
    if (on)
        status |= (1u << bit);
    else
        status &= ~(1u << bit);
    // Only the bits that every viewer of the property cares about are announced, and only
    // once the property is in a container where a viewer can show it.
    if (status != before && (bit == ReadOnly || bit == Hidden) && get_container() && Application::_pcSingleton)
        Application::_pcSingleton->signal_property_status(*this);
}

void Property::about_to_set_value()
{
    if (PropertyContainer* c = get_container())
        c->on_change_before(this);
}

void Property::has_set_value()
{
    if (PropertyContainer* c = get_container())
        c->on_changed(this);
}

Property::Parts& Property::parts()
{
    if (!partsData)
        partsData = std::make_unique<Parts>();
    return *partsData;
}

void Property::add_component(Property& part, const char* partSuffix)
{
    part.compound = this;
    std::string& suffix = part.parts().suffix;
    suffix = partSuffix ? partSuffix : "";
    part.name = name + "." + suffix;
    parts().components.push_back(&part);
}

void Property::set_name(std::string_view n)
{
    name.assign(n.data(), n.size());
    if (!partsData)
        return;
    for (Property* part : partsData->components)
        part->set_name(name + "." + part->parts().suffix);
}

Property* Property::find_component(const std::string& fullName) const
{
    if (!partsData)
        return nullptr;
    for (Property* part : partsData->components) {
        if (part->name == fullName)
            return part;
        if (Property* inner = part->find_component(fullName))
            return inner;
    }
    return nullptr;
}

void PropertyString::set_value(const char* v)
{
    about_to_set_value();
    value = v ? v : "";
    has_set_value();
}

void PropertyBoolean::set_value(bool v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

bool PropertyBoolean::set_value_text(const std::string& text)
{
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v == "True" || v == "true" || v == "1") {
        set_value(true);
        return true;
    }
    if (v == "False" || v == "false" || v == "0") {
        set_value(false);
        return true;
    }
    return false;
}

void PropertyInteger::set_value(long v)
{
    store(v);
}

void PropertyInteger::store(long v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

std::string PropertyInteger::get_value_text() const
{
    return std::to_string(value);
}

bool PropertyInteger::set_value_text(const std::string& text)
{
    long parsed = 0;
    if (!parseNumber(text, parsed))
        return false;
    set_value(parsed);
    return true;
}

void PropertyRangeSlider::set_value(long v)
{
    if (hasRanges) {
        if (v < ranges.minimum)
            v = ranges.minimum;
        if (v > ranges.maximum)
            v = ranges.maximum;
    }
    store(v);
}

bool PropertyRangeSlider::set_value_text(const std::string& text)
{
    long parsed = 0;
    if (!parseNumber(text, parsed))
        return false;
    set_value(parsed);
    return true;
}

void PropertyRangeSlider::set_ranges(long minimum, long maximum, long step)
{
    if (maximum < minimum)
        std::swap(minimum, maximum);
    ranges = {minimum, maximum, step > 0 ? step : 1};
    hasRanges = true;
}

void PropertyEnumType::set_enums(const char** names)
{
    enums = names;
}

std::vector<std::string> PropertyEnumType::get_enum_list() const
{
    std::vector<std::string> list;
    if (enums)
        for (const char** p = enums; *p; ++p)
            list.emplace_back(*p);
    return list;
}

long PropertyEnumType::index_of(const char* name) const
{
    if (!enums || !name)
        return -1;
    for (long i = 0; enums[i]; ++i)
        if (std::strcmp(enums[i], name) == 0)
            return i;
    return -1;
}

const char* PropertyEnumType::get_value_as_string() const
{
    if (!enums || get_value() < 0)
        return nullptr;
    for (long i = 0; enums[i]; ++i)
        if (i == get_value())
            return enums[i];
    return nullptr;
}

void PropertyEnumType::set_value(const char* name)
{
    const long index = index_of(name);
    if (index >= 0)
        PropertyInteger::set_value(index);
}

std::string PropertyEnumType::get_value_text() const
{
    const char* name = get_value_as_string();
    return name ? std::string(name) : PropertyInteger::get_value_text();
}

bool PropertyEnumType::set_value_text(const std::string& text)
{
    const long index = index_of(text.c_str());
    if (index >= 0) {
        PropertyInteger::set_value(index);
        return true;
    }
    long parsed = 0;
    if (!parseNumber(text, parsed) || parsed < 0)
        return false;
    if (enums && parsed >= static_cast<long>(get_enum_list().size()))
        return false;
    PropertyInteger::set_value(parsed);
    return true;
}

void PropertyDecimal::set_value(double v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

std::string PropertyDecimal::get_value_text() const
{
    return Vexil::UtilityBox::exact_number_text(value);
}

bool PropertyDecimal::set_value_text(const std::string& text)
{
    double parsed = 0.0;
    if (!parseNumber(text, parsed))
        return false;
    set_value(parsed);
    return true;
}

void PropertyColor::set_value(const Color& v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

bool PropertyColor::set_value_text(const std::string& text)
{
    Color parsed;
    if (!parsed.fromText(text))
        return false;
    set_value(parsed);
    return true;
}

void PropertyColorArray::set_values(const std::vector<Color>& v)
{
    about_to_set_value();
    values = v;
    has_set_value();
}

std::string PropertyColorArray::get_value_text() const
{
    std::string text;
    for (const Color& c : values) {
        if (!text.empty())
            text += ';';
        text += c.toText();
    }
    return text;
}

bool PropertyColorArray::set_value_text(const std::string& text)
{
    std::vector<Color> parsed;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ';')) {
        Color c;
        if (!c.fromText(part))
            return false;
        parsed.push_back(c);
    }
    set_values(parsed);
    return true;
}

void PropertySpaceLocation::set_value(const Vexil::SpaceLocation& v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

int PropertySpaceLocation::get_length_unit() const
{
    PropertyContainer* owner = get_container();
    const Project* project = dynamic_cast<const Project*>(owner);
    if (const auto* object = dynamic_cast<const ProjectObject*>(owner))
        project = object->get_project();
    return project ? project->get_length_unit()
                   : pmUnit::UnitsManager::instance()->getDefaultUnitType(pmUnit::Length);
}

std::string PropertySpaceLocation::get_value_text() const
{
    using Vexil::UtilityBox;
    double angle = 0, ax = 0, ay = 0, az = 0;
    value.getRotation().getValue(angle, ax, ay, az);
    const Vexil::Vector3d& p = value.getPosition();
    std::string text;
    for (double v : {p.x, p.y, p.z, angle, ax, ay, az}) {
        if (!text.empty())
            text += ',';
        text += UtilityBox::exact_number_text(v);
    }
    return text;
}

bool PropertySpaceLocation::set_value_text(const std::string& text)
{
    // "Position(x,y,z)" moves the placement and keeps its rotation.
    const std::string position = "Position(";
    if (text.compare(0, position.size(), position) == 0 && text.size() > position.size() && text.back() == ')') {
        std::vector<double> p;
        if (!parseNumberList(text.substr(position.size(), text.size() - position.size() - 1), p) || p.size() != 3)
            return false;
        set_value(Vexil::SpaceLocation(Vexil::Vector3d(p[0], p[1], p[2]), value.getRotation()));
        return true;
    }
    std::vector<double> v;
    if (!parseNumberList(text, v) || v.size() != 7)
        return false;
    set_value(Vexil::SpaceLocation(Vexil::Vector3d(v[0], v[1], v[2]), Vexil::SpaceRotation(v[3], v[4], v[5], v[6])));
    return true;
}

// ---------------------------------------------------------------------------------------

Property* PropertyCoreData::add_property(PropertyContainer* container, Property* property, const char* name,
                                         const char* group, short typeFlags, const char* description)
{
    if (!container) {
        delete property;
        return nullptr;
    }
    return declare(container->adopt_property(property, name), group, typeFlags, description);
}

Property* PropertyCoreData::add_member_property(PropertyContainer* container, Property& property, const char* name,
                                                const char* group, short typeFlags, const char* description)
{
    if (!container)
        return nullptr;
    return declare(container->adopt_member_property(property, name), group, typeFlags, description);
}

Property* PropertyCoreData::declare(Property* added, const char* group, short typeFlags, const char* description)
{
    if (!added)
        return nullptr;
    added->typeFlags = typeFlags;
    // The table lists each name once, whichever instance declared it first.  Every
    // instance of a class declares the same texts, so the table's copies serve them all.
    std::size_t i = 0;
    while (i < declared.size() && declared[i] != added->name)
        ++i;
    if (i == declared.size()) {
        declared.push_back(added->name);
        declaredTexts.emplace_back(internedText(group), internedText(description));
    }
    auto& texts = declaredTexts[i];
    if (std::strcmp(texts.first, group ? group : "") != 0)
        texts.first = internedText(group);
    if (std::strcmp(texts.second, description ? description : "") != 0)
        texts.second = internedText(description);
    added->group = texts.first;
    added->description = texts.second;
    return added;
}

void PropertyList::push_back(Property* property)
{
    if (count == capacity) {
        const std::uint32_t grown = capacity * 2;
        std::unique_ptr<Property*[]> bigger(new Property*[grown]);
        std::copy(begin(), end(), bigger.get());
        spilled = std::move(bigger);
        capacity = grown;
    }
    (spilled ? spilled.get() : inPlace)[count++] = property;
}

PropertyCoreData PropertyContainer::propertyData(nullptr);

PropertyContainer::PropertyContainer() = default;

PropertyContainer::~PropertyContainer()
{
    // Member properties are destroyed already: only the owned ones are touched.
    for (std::size_t i = 0; i < properties.size(); ++i) {
        if (is_member(i))
            continue;
        Property* p = properties[i];
        p->container = nullptr;
        delete p;
    }
}

bool PropertyContainer::is_member(std::size_t index) const
{
    if (index < 32)
        return (memberBits >> index) & 1u;
    return laterMembers && index - 32 < laterMembers->size() && (*laterMembers)[index - 32];
}

const PropertyCoreData& PropertyContainer::get_property_data_ref()
{
    return propertyData;
}

const PropertyCoreData& PropertyContainer::get_property_data() const
{
    return propertyData;
}

Property* PropertyContainer::add_property(const char* typeName, const char* name)
{
    if (!typeName || !name || !*name || find_property(name))
        return nullptr;
    // The name may come from a file: only a property type is built, never some other
    // registered class whose construction would do who knows what.
    const Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(typeName);
    if (type.is_sick() || !type.is_inherited_from(Property::getClassTypeId()))
        return nullptr;
    Vexil::RootClass* instance = Vexil::TypeInfo::build_instance_by_name(typeName);
    if (!instance)
        return nullptr;
    if (!instance->is_inherited_from(Property::getClassTypeId())) {
        delete instance;
        return nullptr;
    }
    return adopt_property(static_cast<Property*>(instance), name);
}

Property* PropertyContainer::adopt_property(Property* property, const char* name)
{
    if (!property)
        return nullptr;
    Property* listed = list_property(property, name, false);
    if (!listed)
        delete property;
    return listed;
}

Property* PropertyContainer::adopt_member_property(Property& property, const char* name)
{
    return list_property(&property, name, true);
}

Property* PropertyContainer::list_property(Property* property, const char* name, bool member)
{
    if (!name || !*name)
        return nullptr;
    const std::string_view key(name);
    if (find_property(key))
        return nullptr;
    property->set_name(key);
    property->container = this;
    const std::size_t index = properties.size();
    properties.push_back(property);
    if (member && index < 32) {
        memberBits |= 1u << index;
    } else if (member) {
        if (!laterMembers)
            laterMembers = std::make_unique<std::vector<bool>>();
        if (laterMembers->size() <= index - 32)
            laterMembers->resize(index - 32 + 1, false);
        (*laterMembers)[index - 32] = true;
    }
    if (propertiesByName) {
        propertiesByName->emplace(property->name, property);
    } else if (properties.size() > IndexFrom) {
        propertiesByName = std::make_unique<std::unordered_map<std::string_view, Property*, Counted::SeededHash<std::string_view>>>();
        propertiesByName->reserve(properties.size() * 2);
        for (Property* p : properties)
            propertiesByName->emplace(p->name, p);
    }
    return property;
}

Property* PropertyContainer::find_property(std::string_view name) const
{
    if (propertiesByName) {
        const auto it = propertiesByName->find(name);
        return it == propertiesByName->end() ? nullptr : it->second;
    }
    for (Property* p : properties)
        if (p->name == name)
            return p;
    return nullptr;
}

unsigned int PropertyContainer::get_memory_usage() const
{
    std::size_t bytes = 0;
    for (const Property* p : properties)
        bytes += sizeof(*p) + p->name.size();
    return static_cast<unsigned int>(bytes);
}

void PropertyContainer::save(Vexil::Hdf5FileWriter& writer, const std::string& group)
{
    for (const Property* p : properties)
        writer.write(group + "/" + p->name, p->get_value_text());
}

void PropertyContainer::resume(Vexil::Hdf5FileReader& reader, const std::string& group)
{
    for (Property* p : properties) {
        std::string text;
        if (reader.read(group + "/" + p->name, text) && text != p->get_value_text())
            p->set_value_text(text);
    }
}

void PropertyContainer::save_to_file(Vexil::Hdf5FileWriter& writer) const
{
    const_cast<PropertyContainer*>(this)->save(writer, getTypeId().get_name());
}

void PropertyContainer::load_from_file(Vexil::Hdf5FileReader& reader)
{
    resume(reader, getTypeId().get_name());
}

Property* PropertyContainer::get_property_by_name(const char* name) const
{
    if (!name)
        return nullptr;
    if (Property* p = find_property(name))
        return p;
    // "Origin.x": a component of the property "Origin".
    const char* dot = std::strchr(name, '.');
    if (!dot)
        return nullptr;
    Property* whole = find_property(std::string_view(name, static_cast<std::size_t>(dot - name)));
    return whole ? whole->find_component(name) : nullptr;
}

const char* PropertyContainer::get_property_name(const Property* p) const
{
    return p && p->get_container() == this ? p->get_name() : nullptr;
}

void PropertyContainer::get_property_dataset(PropertyMap& map) const
{
    map.reserve(map.size() + properties.size());
    for (Property* p : properties)
        map[p->name] = p;
}

void PropertyContainer::get_property_array(std::vector<Property*>& list) const
{
    list.insert(list.end(), properties.begin(), properties.end());
}

short PropertyContainer::get_property_type(const char* name) const
{
    return get_property_type(get_property_by_name(name));
}

short PropertyContainer::get_property_type(const Property* p) const
{
    return p ? p->get_type_flags() : 0;
}

const char* PropertyContainer::get_property_group(const char* name) const
{
    return get_property_group(get_property_by_name(name));
}

const char* PropertyContainer::get_property_group(const Property* p) const
{
    return p ? p->get_associated_group() : nullptr;
}

const char* PropertyContainer::get_property_description(const char* name) const
{
    return get_property_description(get_property_by_name(name));
}

const char* PropertyContainer::get_property_description(const Property* p) const
{
    return p ? p->get_description() : nullptr;
}

bool PropertyContainer::is_read_only(const char* name) const
{
    return is_read_only(get_property_by_name(name));
}

bool PropertyContainer::is_read_only(const Property* p) const
{
    return p && p->is_read_only();
}

bool PropertyContainer::is_hidden(const char* name) const
{
    return is_hidden(get_property_by_name(name));
}

bool PropertyContainer::is_hidden(const Property* p) const
{
    return p && p->test_object_status(Property::Hidden);
}

} // namespace Obj
