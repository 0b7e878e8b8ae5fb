#include "LoadObject.h"

#include "PropertyCouple.h"

VEXIL_TYPESYSTEM_SOURCE(Obj::LoadObject, Obj::ProjectObject)
OBJ_PROPERTY_SOURCE(Obj::LoadObject, Obj::ProjectObject)

namespace Obj {

namespace {

template <class T>
T* addTo(PropertyCoreData& table, PropertyContainer* owner, const char* name, const char* group,
         const char* description = nullptr)
{
    return static_cast<T*>(table.add_property(owner, new T, name, group, 0, description));
}

// A quantity property in the unit its kind has in the current unit system.
template <class T>
T* addQuantity(PropertyCoreData& table, PropertyContainer* owner, const char* name, const char* group,
               pmUnit::pmQuantity kind)
{
    T* p = addTo<T>(table, owner, name, group);
    p->setQuantityKind(kind, pmUnit::UnitsManager::instance()->getDefaultUnitType(kind));
    return p;
}

} // namespace

LoadObject::LoadObject()
{
    static const char* const feeder = internedText("Gui::ViewFeederProjectObject");
    set_interned_feeder_type_name(feeder);
    PropertyCoreData& table = property_data_table();
    Geometry = addTo<PropertyCouple>(table, this, "Geometry", "Scoping", "The geometry the load acts on.");
    Magnitude = addQuantity<PropertyBCQuantity>(table, this, "Magnitude", "Definition", pmUnit::Force);
    PressureLimit = addQuantity<PropertyBCQuantityConstraint>(table, this, "Pressure Limit", "Definition", pmUnit::Pressure);
    // The limits are pascals, named in the unit shown: the same limits under every system.
    PressureLimit->setConstraints(0.0, 1e12, 1.0, pmUnit::Pascal);
    Components = addQuantity<PropertyBCQuantityVector>(table, this, "Components", "Definition", pmUnit::Force);
    Displacement = addQuantity<PropertyInputBC>(table, this, "Displacement", "Definition", pmUnit::Length);
    Thickness = addQuantity<PropertyQuantity>(table, this, "Thickness", "Geometry", pmUnit::Length);
    ScaleFactor = addQuantity<PropertyQuantityConstraint>(table, this, "Scale Factor", "Definition", pmUnit::Dimensionless);
    ScaleFactor->setConstraints(0.0, 10.0, 0.5);
    ScaleFactor->set_value(1.0);
    Offset = addQuantity<PropertyQuantityVector>(table, this, "Offset", "Geometry", pmUnit::Length);
    Direction = addQuantity<PropertyVector3D>(table, this, "Direction", "Vector", pmUnit::Length);
    ActiveDirections = addTo<PropertyVectorBool>(table, this, "Active Directions", "Definition");
    ActiveDirections->set_value({true, true, true});
    Weights = addTo<PropertyVectorRange>(table, this, "Weights", "Definition");
    Weights->set_ranges(0.0, 1.0, 0.1);
    Steps = addTo<PropertyIntegerRange>(table, this, "Steps", "Step Controls");
    Steps->set_ranges(1, 100, 1);
    Steps->set_value(1);
    Damping = addTo<PropertyDecimalRange>(table, this, "Damping", "Solver Controls");
    Damping->set_ranges(0.0, 1.0, 0.05);
    SpatialParameters = addTo<PropertySpaceLocation>(table, this, "Spatial Parameters", "Geometry", "Placement of the load.");
}

} // namespace Obj
