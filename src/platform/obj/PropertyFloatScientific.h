#pragma once
// A decimal of any magnitude, shown in scientific notation, optionally with limits.

#include "Property.h"

namespace Obj {

class PropertyFloatScientific : public PropertyDecimal
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    struct Ranges
    {
        double minimum;
        double maximum;
        double step;
    };
    // Null until limits are set.
    const Ranges* get_ranges() const { return hasRanges ? &ranges : nullptr; }
    void set_ranges(double minimum, double maximum, double step = 1.0);
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyFloatSciItem"; }
private:
    Ranges ranges{0.0, 0.0, 1.0};
    bool hasRanges = false;
};

} // namespace Obj
