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
}

} // namespace Gui
