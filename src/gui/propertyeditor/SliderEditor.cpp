#include "SliderEditor.h"

#include "propertyeditor/PropertyItem.h"

#include <obj/Property.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

using namespace Gui::PropertyOperator;

SliderEditor::SliderEditor(QWidget* parent)
    : QWidget(parent)
    , valueLabel(new QLabel(this))
    , valueSlider(new QSlider(Qt::Horizontal, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(valueLabel);
    layout->addWidget(valueSlider);
    valueSlider->setFocusPolicy(Qt::StrongFocus);
    valueSlider->setTickInterval(1);
    valueSlider->setSingleStep(1);
    connect(valueSlider, SIGNAL(valueChanged(int)), this, SLOT(onValueChanged(int)));
}

SliderEditor::~SliderEditor()
{
    disconnect(valueSlider, SIGNAL(valueChanged(int)), this, SLOT(onValueChanged(int)));
    delete valueLabel;
    delete valueSlider;
    properties.clear();
}

void SliderEditor::setProperty(Obj::PropertyRangeSlider* prop)
{
    setProperties(prop ? std::vector<Obj::PropertyRangeSlider*>{prop} : std::vector<Obj::PropertyRangeSlider*>{});
}

void SliderEditor::setProperties(const std::vector<Obj::PropertyRangeSlider*>& props)
{
    if (props == properties)
        return;
    properties = props;
    Obj::PropertyRangeSlider* first = getProperty();
    if (!first)
        return;
    // Setting the range may clamp the slider and report a value that nobody chose; that
    // must not reach the properties.
    const QSignalBlocker blocker(valueSlider);
    if (const Obj::PropertyRangeSlider::Ranges* r = first->get_ranges())
        valueSlider->setRange(static_cast<int>(r->minimum), static_cast<int>(r->maximum));
    valueSlider->setValue(static_cast<int>(first->get_value()));
}

void SliderEditor::onValueChanged(int v)
{
    if (properties.empty())
        return;
    for (Obj::PropertyRangeSlider* p : properties) {
        if (isWritableProperty(p))
            p->set_value(static_cast<long>(v));
    }
    valueLabel->setText(QString::number(v));
}

int SliderEditor::get_value() const
{
    const Obj::PropertyRangeSlider* p = getProperty();
    return p ? static_cast<int>(p->get_value()) : 0;
}

void SliderEditor::set_value(int v)
{
    Obj::PropertyRangeSlider* p = getProperty();
    if (p && p->get_value() != v)
        p->set_value(static_cast<long>(v));
}
