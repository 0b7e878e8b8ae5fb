#pragma once
// Qt meta types of the value types that travel inside QVariant.

#include <obj/BCSelectionData.h>
#include <obj/Vector3b.h>
#include <pmunit/Units.h>
#include <vexil/SpaceLocation.h>
#include <vexil/Vector3D.h>

#include <QList>
#include <QMetaType>

Q_DECLARE_METATYPE(Vexil::Vector3f)
Q_DECLARE_METATYPE(Vexil::Vector3d)
Q_DECLARE_METATYPE(pmUnit::Quantity)
Q_DECLARE_METATYPE(QList<pmUnit::Quantity>)
Q_DECLARE_METATYPE(Obj::BCSelectionData)
Q_DECLARE_METATYPE(Obj::Vector3b)
Q_DECLARE_METATYPE(Vexil::SpaceLocation)

namespace Gui {
// Registers the types under "Vexil::Vector3f", "Vexil::Vector3d", "pmUnit::Quantity",
// "pmUnit::QuantityList", "Obj::BCSelectionData", "Obj::Vector3b" and "Vexil::SpaceLocation"
// (quantities and flag vectors compare by value); harmless to call again.
void registerMetaTypes();
}
