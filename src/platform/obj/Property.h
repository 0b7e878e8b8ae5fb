#pragma once
// Properties of projects and project objects.  A property belongs to a container,
// which is told after every change of its value.

#include <vexil/RootClass.h>

#include <map>
#include <string>
#include <vector>

namespace Obj {

class PropertyContainer;

class Property : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Property();
    ~Property() override;

    const char* get_name() const { return name.c_str(); }
    PropertyContainer* get_container() const { return container; }
    // The value as text, parsed back by set_value_text (C locale for numbers).
    virtual std::string get_value_text() const { return {}; }
    virtual bool set_value_text(const std::string&) { return false; }
    bool is_read_only() const { return readOnly; }
    void set_read_only(bool on) { readOnly = on; }

protected:
    void has_set_value();   // tells the container

private:
    friend class PropertyContainer;
    std::string name;
    PropertyContainer* container = nullptr;
    bool readOnly = false;
};

class PropertyString : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_value() const { return value.c_str(); }
    void set_value(const char* v);
    void set_value(const std::string& v) { set_value(v.c_str()); }
    std::string get_value_text() const override { return value; }
    bool set_value_text(const std::string& v) override { set_value(v); return true; }
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
private:
    long value = 0;
};

class PropertyDecimal : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    double get_value() const { return value; }
    void set_value(double v);
    std::string get_value_text() const override;   // round-trips exactly
    bool set_value_text(const std::string& v) override;
private:
    double value = 0.0;
};

// Owns named properties in the order they were added.
class PropertyContainer : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyContainer();
    ~PropertyContainer() override;

    // Adds a property of the registered type `typeName`; null for an unknown type or
    // a name already in use.
    Property* add_property(const char* typeName, const char* name);
    Property* get_property_by_name(const char* name) const;
    const std::vector<Property*>& get_properties() const { return properties; }
    const char* get_property_name(const Property* p) const { return p ? p->get_name() : nullptr; }
    virtual bool is_read_only(const Property* p) const { return p && p->is_read_only(); }

    // Called after a property's value changed.
    virtual void on_changed(const Property*) {}
    // Bytes held by the properties themselves.
    virtual unsigned int get_memory_usage() const;

protected:
    // Takes ownership of `property` under `name`; deletes it and returns null when the
    // name is empty or already in use.
    Property* adopt_property(Property* property, const char* name);

private:
    std::vector<Property*> properties;
    std::map<std::string, Property*> propertiesByName;
};

// The name the product's code uses for the container base.
using PropertyDS = PropertyContainer;

} // namespace Obj
