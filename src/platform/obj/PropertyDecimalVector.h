#pragma once
// Three scientific decimals x, y, z.  Each is a property of its own, named
// "<name>.x" and so on in the container, so that it can be shown and written alone.

#include "PropertyFloatScientific.h"

#include <vexil/Vector3D.h>

namespace Obj {

class PropertyDecimalVector : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyDecimalVector();
    PropertyDecimalVector(const PropertyDecimalVector&) = delete;
    PropertyDecimalVector& operator=(const PropertyDecimalVector&) = delete;

    PropertyFloatScientific* getXPtr() { return &x; }
    PropertyFloatScientific* getYPtr() { return &y; }
    PropertyFloatScientific* getZPtr() { return &z; }
    Vexil::Vector3d get_value() const;
    // Sets the three components; each one's change is announced.
    void set_value(const Vexil::Vector3d& v);
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyDecimalVectorItem"; }
private:
    PropertyFloatScientific x, y, z;
};

} // namespace Obj
