#pragma once
// Values with limits or flags: an integer and a decimal held to a range, three decimals
// held to one range, and three on/off flags.

#include "Property.h"
#include "Vector3b.h"

#include <vexil/Vector3D.h>

namespace Obj {

class PropertyIntegerRange : public PropertyInteger
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    struct Ranges
    {
        long minimum;
        long maximum;
        long step;
    };
    const Ranges* get_ranges() const { return hasRanges ? &ranges : nullptr; }
    void set_ranges(long minimum, long maximum, long step = 1);
    // A number outside the range is refused.
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyIntegerConstraintItem"; }
private:
    Ranges ranges{0, 0, 1};
    bool hasRanges = false;
};

class PropertyDecimalRange : public PropertyDecimal
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    struct Ranges
    {
        double minimum;
        double maximum;
        double step;
    };
    const Ranges* get_ranges() const { return hasRanges ? &ranges : nullptr; }
    void set_ranges(double minimum, double maximum, double step = 1.0);
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyDecimalRangeItem"; }
private:
    Ranges ranges{0.0, 0.0, 1.0};
    bool hasRanges = false;
};

// Three decimals, each held to the same range.
class PropertyVectorRange : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const Vexil::Vector3d& get_value() const { return value; }
    void set_value(const Vexil::Vector3d& v);
    const PropertyDecimalRange::Ranges* get_ranges() const { return hasRanges ? &ranges : nullptr; }
    void set_ranges(double minimum, double maximum, double step = 1.0);
    std::string get_value_text() const override;
    // A component outside the range refuses the whole text.
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyVectorRangeItem"; }
private:
    Vexil::Vector3d value;
    PropertyDecimalRange::Ranges ranges{0.0, 0.0, 1.0};
    bool hasRanges = false;
};

class PropertyVectorBool : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const Vector3b& get_value() const { return value; }
    void set_value(const Vector3b& v);
    // "[True, False, True]"; parentheses are read as well.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyVectorBoolItem"; }
private:
    Vector3b value;
};

} // namespace Obj
