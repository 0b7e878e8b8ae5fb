#include "PropertyRangeSliderItem.h"

#include "propertyeditor/SliderEditor.h"

#include <obj/Property.h>

#include <QCoreApplication>

using namespace Gui::PropertyOperator;

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyRangeSliderItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyRangeSliderItem::createEditor(QWidget* parent, const QObject*, const char*) const
{
    // The editor writes the properties itself; the delegate is not told.
    auto* editor = new SliderEditor(parent);
    editor->setAutoFillBackground(true);
    editor->setDisabled(is_read_only());
    return editor;
}

void PropertyRangeSliderItem::setEditorData(QWidget* editor, const QVariant&) const
{
    auto* slider = qobject_cast<SliderEditor*>(editor);
    if (!slider || !getFirstProperty() || slider->isWriting())
        return;
    std::vector<Obj::PropertyRangeSlider*> props;
    for (Obj::Property* p : get_property_data()) {
        if (p->is_inherited_from(Obj::PropertyRangeSlider::getClassTypeId()))
            props.push_back(static_cast<Obj::PropertyRangeSlider*>(p));
    }
    // The first bound property sets range and value; without it nothing is shown.
    if (props.empty() || props.front() != getFirstProperty())
        return;
    slider->setProperties(props);
}

QVariant PropertyRangeSliderItem::editorData(QWidget* editor) const
{
    auto* slider = qobject_cast<SliderEditor*>(editor);
    return slider ? QVariant(slider->get_value()) : QVariant();
}

QVariant PropertyRangeSliderItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyRangeSlider*>(prop);
    return p ? wholeInteger(p->get_value()) : QVariant();
}

QVariant PropertyRangeSliderItem::toString(const QVariant& v) const
{
    return QString::number(v.toLongLong());
}

QVariant PropertyRangeSliderItem::get_tool_tip(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyRangeSlider*>(prop);
    if (!p)
        return QCoreApplication::translate("Gui::PropertyOperator::PropertyRangeSliderItem", "Unavailable tip.");
    const Obj::PropertyRangeSlider::Ranges* r = p->get_ranges();
    return QCoreApplication::translate("Gui::PropertyOperator::PropertyRangeSliderItem", "%1 between %2 and %3")
        .arg(p->get_value())
        .arg(r ? r->minimum : 0)
        .arg(r ? r->maximum : 0);
}

void PropertyRangeSliderItem::set_value(const QVariant& v)
{
    Obj::Property* first = getFirstProperty();
    if (!first || !first->is_inherited_from(Obj::PropertyRangeSlider::getClassTypeId()))
        return;
    bool ok = false;
    const int i = v.toInt(&ok);
    if (!ok)
        return;
    // Every selected object follows the slider, not just the first.
    SliderEditor::Properties sliders;
    for (Obj::Property* prop : getPropertyItems()) {
        if (prop->is_inherited_from(Obj::PropertyRangeSlider::getClassTypeId()))
            sliders.push_back(static_cast<Obj::PropertyRangeSlider*>(prop));
    }
    SliderEditor::writeEvery(sliders, static_cast<long>(i));
}
