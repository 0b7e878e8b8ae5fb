#pragma once
// Qt meta types of the value types that travel inside QVariant.

#include <pmunit/Units.h>
#include <vexil/Vector3D.h>

#include <QList>
#include <QMetaType>

Q_DECLARE_METATYPE(Vexil::Vector3f)
Q_DECLARE_METATYPE(Vexil::Vector3d)
Q_DECLARE_METATYPE(pmUnit::Quantity)
Q_DECLARE_METATYPE(QList<pmUnit::Quantity>)

namespace Gui {
// Registers the four types under "Vexil::Vector3f", "Vexil::Vector3d",
// "pmUnit::Quantity" and "pmUnit::QuantityList"; harmless to call again.
void registerMetaTypes();
}
