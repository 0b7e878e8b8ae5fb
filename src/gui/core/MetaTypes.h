#pragma once
// Qt meta types of the value types that travel inside QVariant.

#include <obj/BCSelectionData.h>
#include <pmunit/Units.h>
#include <vexil/Vector3D.h>

#include <QList>
#include <QMetaType>

Q_DECLARE_METATYPE(Vexil::Vector3f)
Q_DECLARE_METATYPE(Vexil::Vector3d)
Q_DECLARE_METATYPE(pmUnit::Quantity)
Q_DECLARE_METATYPE(QList<pmUnit::Quantity>)
Q_DECLARE_METATYPE(Obj::BCSelectionData)

namespace Gui {
// Registers the types under "Vexil::Vector3f", "Vexil::Vector3d", "pmUnit::Quantity",
// "pmUnit::QuantityList" and "Obj::BCSelectionData"; harmless to call again.
void registerMetaTypes();
}
