#pragma once
// A three-component vector of decimals.

#include "Property.h"

#include <vexil/Vector3D.h>

namespace Obj {

class PropertyVector : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const Vexil::Vector3d& get_value() const { return value; }
    void set_value(const Vexil::Vector3d& v);
    void set_value(double x, double y, double z) { set_value(Vexil::Vector3d(x, y, z)); }
    // "(x, y, z)", read back exactly; "x y z" and "[x y z]" are read as well.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyVectorItem"; }
private:
    Vexil::Vector3d value;
};

} // namespace Obj
