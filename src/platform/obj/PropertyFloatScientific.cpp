#include "PropertyFloatScientific.h"

#include <utility>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyFloatScientific, Obj::PropertyDecimal)

namespace Obj {

void PropertyFloatScientific::set_ranges(double minimum, double maximum, double step)
{
    if (maximum < minimum)
        std::swap(minimum, maximum);
    ranges = {minimum, maximum, step > 0.0 ? step : 1.0};
    hasRanges = true;
}

} // namespace Obj
