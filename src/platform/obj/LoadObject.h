#pragma once
// A load on a geometry object: a force given as a constant, by a table or left free,
// with its components, a support whose directions may each be left free, and the
// placement, limits and flags that go with it.

#include "ProjectObject.h"
#include "PropertyQuantity.h"
#include "PropertyRange.h"

namespace Obj {

class PropertyCouple;

class LoadObject : public ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    LoadObject();

    PropertyCouple* Geometry = nullptr;
    PropertyBCQuantity* Magnitude = nullptr;
    PropertyBCQuantityConstraint* PressureLimit = nullptr;
    PropertyBCQuantityVector* Components = nullptr;
    PropertyInputBC* Displacement = nullptr;
    PropertyQuantity* Thickness = nullptr;
    PropertyQuantityConstraint* ScaleFactor = nullptr;
    PropertyQuantityVector* Offset = nullptr;
    PropertyVector3D* Direction = nullptr;
    PropertyVectorBool* ActiveDirections = nullptr;
    PropertyVectorRange* Weights = nullptr;
    PropertyIntegerRange* Steps = nullptr;
    PropertyDecimalRange* Damping = nullptr;
    PropertySpaceLocation* SpatialParameters = nullptr;
};

} // namespace Obj
