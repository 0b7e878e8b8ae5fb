#include "PropertyFloatSciItem.h"

#include "dialogs/widgets/QScienceSpinBox.h"

#include <obj/PropertyFloatScientific.h>

#include <QLocale>
#include <QRegularExpression>

using namespace Gui::PropertyOperator;

namespace {
constexpr double floatMax = 3.4028234663852886e38;
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyFloatSciItem, Gui::PropertyOperator::PropertyItem)

QString PropertyFloatSciItem::scientificText(double number, const QLocale& locale)
{
    QString text = locale.toString(number, 'g', 6);
    text.remove(QLatin1Char('+'));
    static const QRegularExpression trailingPoint(QStringLiteral("\\.$"));
    text.remove(trailingPoint);
    text.replace(QLatin1String("e0"), QLatin1String("e"));
    text.replace(QLatin1String("e-0"), QLatin1String("e-"));
    return text;
}

QWidget* PropertyFloatSciItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* sb = new QScienceSpinBox(parent);
    sb->setFrame(false);
    // Only the digits shown: the box's own decimals stay wide so that 1e-12 is not rounded to 0.
    sb->setDisplayPrecision(decimals());
    sb->setReadOnly(is_read_only());
    QObject::connect(sb, SIGNAL(valueChanged(double)), receiver, method);
    return sb;
}

void PropertyFloatSciItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    const Obj::Property* first = getFirstProperty();
    if (!first)
        return;
    auto* sb = static_cast<QDoubleSpinBox*>(editor);
    auto* sci = dynamic_cast<const Obj::PropertyFloatScientific*>(first);
    if (const Obj::PropertyFloatScientific::Ranges* r = sci ? sci->get_ranges() : nullptr) {
        sb->setRange(r->minimum, r->maximum);
        sb->setSingleStep(r->step);
    } else {
        sb->setRange(-floatMax, floatMax);
        sb->setSingleStep(1.0);
    }
    const double v = data.toDouble();
    sb->setValue(isNoValue(v) ? 0.0 : v);
}

QVariant PropertyFloatSciItem::editorData(QWidget* editor) const
{
    return static_cast<QDoubleSpinBox*>(editor)->value();
}

QVariant PropertyFloatSciItem::toString(const QVariant& v) const
{
    const double d = v.toDouble();
    if (isNoValue(d))
        return QString();
    return scientificText(d, QLocale());
}

QVariant PropertyFloatSciItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyDecimal*>(prop);
    return p ? QVariant(p->get_value()) : QVariant();
}

QVariant PropertyFloatSciItem::backgroundcolor(const Obj::Property* prop) const
{
    return numberBackground(prop);
}

QVariant PropertyFloatSciItem::textalignment(const Obj::Property*) const
{
    return int(Qt::AlignVCenter);
}

void PropertyFloatSciItem::set_value(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        return;
    // The editor opens a missing value at 0: committing that keeps the value missing.
    const QVariant current = value(getFirstProperty());
    if (d == 0.0 && current.isValid() && isNoValue(current.toDouble()))
        return;
    setPropertyValue(scientificText(d, QLocale::c()));
}
