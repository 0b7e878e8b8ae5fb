#pragma once
// Lists of strings, decimals and integers.  Their texts are "[a,b,]" lists whose
// entries may be escaped or wrapped in unicode('...', 'utf-8').

#include "Property.h"

#include <string>
#include <vector>

namespace Obj {

class PropertyStringList : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const std::vector<std::string>& get_values() const { return values; }
    void set_values(const std::vector<std::string>& v);
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyStringArrayItem"; }
private:
    std::vector<std::string> values;
};

class PropertyDecimalList : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const std::vector<double>& get_values() const { return values; }
    void set_values(const std::vector<double>& v);
    std::string get_value_text() const override;
    // Every entry must be a number; blank entries are skipped.
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyDecimalArrayItem"; }
private:
    std::vector<double> values;
};

class PropertyIntegerList : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const std::vector<long>& get_values() const { return values; }
    void set_values(const std::vector<long>& v);
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyIntegerArrayItem"; }
private:
    std::vector<long> values;
};

} // namespace Obj
