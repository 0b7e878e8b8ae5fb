#include "MetaTypes.h"

namespace Gui {

void registerMetaTypes()
{
    qRegisterMetaType<Vexil::Vector3f>("Vexil::Vector3f");
    qRegisterMetaType<Vexil::Vector3d>("Vexil::Vector3d");
    qRegisterMetaType<pmUnit::Quantity>("pmUnit::Quantity");
    // Q_DECLARE_METATYPE gives the list its sequential-iterable converter.
    qRegisterMetaType<QList<pmUnit::Quantity>>("pmUnit::QuantityList");
    qRegisterMetaType<Obj::BCSelectionData>("Obj::BCSelectionData");
    qRegisterMetaType<Obj::Vector3b>("Obj::Vector3b");
    qRegisterMetaType<Vexil::SpaceLocation>("Vexil::SpaceLocation");
    if (!QMetaType::hasRegisteredComparators<pmUnit::Quantity>())
        QMetaType::registerEqualsComparator<pmUnit::Quantity>();
    if (!QMetaType::hasRegisteredComparators<Obj::Vector3b>())
        QMetaType::registerEqualsComparator<Obj::Vector3b>();
}

} // namespace Gui
