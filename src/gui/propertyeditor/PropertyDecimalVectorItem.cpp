#include "PropertyDecimalVectorItem.h"
#include "VectorRowSupport.h"

#include "PropertyFloatSciItem.h"
#include "core/MetaTypes.h"

#include <obj/PropertyDecimalVector.h>
#include <vexil/MsgConsole.h>

#include <QLocale>

using namespace Gui::PropertyOperator;

namespace {

bool isZero(const Vexil::Vector3d& v)
{
    // Component-wise: squaring tiny components would underflow to a length of 0.
    return v.x == 0.0 && v.y == 0.0 && v.z == 0.0;
}

} // namespace

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalVectorItem, Gui::PropertyOperator::PropertyItem)

PropertyDecimalVectorItem::PropertyDecimalVectorItem()
{
    VectorRow::addComponentRows(this, PropertyFloatSciItem::getClassTypeId());
}

void PropertyDecimalVectorItem::setChildPropertyData(Obj::Property* x, Obj::Property* y, Obj::Property* z)
{
    auto one = [](Obj::Property* p) { return p ? std::vector<Obj::Property*>{p} : std::vector<Obj::Property*>{}; };
    setChildPropertyData(one(x), one(y), one(z));
}

void PropertyDecimalVectorItem::setChildPropertyData(const std::vector<Obj::Property*>& xs,
                                                     const std::vector<Obj::Property*>& ys,
                                                     const std::vector<Obj::Property*>& zs)
{
    if (!xs.empty() && !xs.front()->get_container()) {
        Vexil::MsgConsoleSingleton::Instance().Warning(
            "Cannot find the container for this property \"%s\", please contact customer support.\n",
            xs.front()->get_name());
    }
    const std::vector<Obj::Property*>* parts[] = {&xs, &ys, &zs};
    for (int i = 0; i < 3 && i < childCount(); ++i)
        child(i)->setPropertyData(*parts[i]);
}

QVariant PropertyDecimalVectorItem::property(const char* name) const
{
    return VectorRow::componentOf(value(getFirstProperty()), name);
}

bool PropertyDecimalVectorItem::setProperty(const char* name, const QVariant& component)
{
    QVariant v = value(getFirstProperty());
    if (!VectorRow::replaceComponent(v, name, component))
        return false;
    setData(v);
    return true;
}

QVariant PropertyDecimalVectorItem::toString(const QVariant& v) const
{
    if (!v.canConvert<Vexil::Vector3d>())
        return QString();
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    const QLocale locale;
    const bool zero = isZero(vec);
    const char format = zero ? 'f' : 'e';
    const int digits = zero ? 1 : decimals();
    return QStringLiteral("[%1 %2 %3]")
        .arg(locale.toString(vec.x, format, digits), locale.toString(vec.y, format, digits),
             locale.toString(vec.z, format, digits));
}

QVariant PropertyDecimalVectorItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyDecimalVector*>(prop);
    return p ? QVariant::fromValue(p->get_value()) : QVariant();
}

void PropertyDecimalVectorItem::set_value(const QVariant& v)
{
    if (!v.canConvert<Vexil::Vector3d>())
        return;
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    const bool zero = isZero(vec);
    const char format = zero ? 'f' : 'e';
    const int digits = zero ? 1 : decimals();
    setPropertyValue(QStringLiteral("(%1, %2, %3)")
                         .arg(numberForLogic(vec.x, format, digits), numberForLogic(vec.y, format, digits),
                              numberForLogic(vec.z, format, digits)));
}
