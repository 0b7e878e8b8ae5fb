#include "SliderEditor.h"

#include "propertyeditor/PropertyItem.h"

#include "visualization/ViewFeeder.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/Property.h>

#include <boost/signals2/connection.hpp>

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <limits>
#include <unordered_set>
#include <utility>

using namespace Gui::PropertyOperator;

namespace {

// The object and project that a property lives and dies with.
std::pair<const void*, const void*> ownersOf(const Obj::Property* p)
{
    Obj::PropertyContainer* c = p->get_container();
    const Obj::ProjectObject* object = dynamic_cast<const Obj::ProjectObject*>(c);
    if (!object) {
        if (auto* feeder = dynamic_cast<const Gui::ViewFeederProjectObject*>(c))
            object = feeder->get_object();
    }
    const Obj::Project* project = object ? object->get_project() : dynamic_cast<const Obj::Project*>(c);
    if (!project) {
        if (auto* feeder = dynamic_cast<const Gui::ViewFeederProject*>(c))
            project = feeder->get_project();
    }
    return {object, project};
}

// A value of the logic on the slider's scale: held within it, not wrapped round.
int onSlider(long v)
{
    return static_cast<int>(qBound<long>(std::numeric_limits<int>::min(), v, std::numeric_limits<int>::max()));
}

} // namespace

std::uint64_t& SliderEditor::propertySteps()
{
    return Counted::tally<struct SliderEditorPropertySteps>();
}

void SliderEditor::writeEvery(const Properties& props, long value)
{
    // Each property is reached once (and counted): its owners are taken before any write,
    // which may remove them.  The targets count as they are reached, like the list.
    struct Target
    {
        Obj::PropertyRangeSlider* property;
        std::pair<const void*, const void*> owners;
    };
    Counted::Vector<Target, &SliderEditor::propertySteps> targets;
    targets.reserve(props.size());
    for (Obj::PropertyRangeSlider* p : props)
        targets.push_back(Target{p, ownersOf(p)});
    std::unordered_set<const void*> gone;
    boost::signals2::scoped_connection objectGone;
    boost::signals2::scoped_connection projectGone;
    if (Obj::Application* logic = Obj::Application::_pcSingleton) {
        objectGone = logic->signal_object_removed.connect([&gone](const Obj::ProjectObject& o) { gone.insert(&o); });
        projectGone = logic->signal_remove_project.connect([&gone](const Obj::Project& p) { gone.insert(&p); });
    }
    for (const Target& t : targets) {
        if (!gone.empty() && (gone.count(t.owners.first) || gone.count(t.owners.second)))
            continue;
        if (isWritableProperty(t.property))
            t.property->set_value(value);
    }
}

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
    propertySteps() += props.size();
    // The same list again changes nothing; the comparison reaches each property held.
    bool same = props.size() == properties.size();
    for (std::size_t i = 0; same && i < props.size(); ++i)
        same = properties[i] == props[i];
    if (same)
        return;
    properties.clear();
    properties.reserve(props.size());
    for (Obj::PropertyRangeSlider* p : props)
        properties.push_back(p);
    Obj::PropertyRangeSlider* first = getProperty();
    if (!first)
        return;
    // Setting the range may clamp the slider and report a value that nobody chose; that
    // must not reach the properties.
    const QSignalBlocker blocker(valueSlider);
    if (const Obj::PropertyRangeSlider::Ranges* r = first->get_ranges())
        valueSlider->setRange(onSlider(r->minimum), onSlider(r->maximum));
    valueSlider->setValue(onSlider(first->get_value()));
}

void SliderEditor::onValueChanged(int v)
{
    if (properties.empty())
        return;
    // Each write refreshes the row, which would give this editor the whole selection
    // again: with many objects selected that made every step cost their square.
    writing = true;
    writeEvery(properties, static_cast<long>(v));
    writing = false;
    valueLabel->setText(QString::number(v));
}

int SliderEditor::get_value() const
{
    const Obj::PropertyRangeSlider* p = getProperty();
    return p ? onSlider(p->get_value()) : 0;
}

void SliderEditor::set_value(int v)
{
    Obj::PropertyRangeSlider* p = getProperty();
    if (p && p->get_value() != v)
        p->set_value(static_cast<long>(v));
}
