#include "ProjectObject.h"

#include "Project.h"

#include <algorithm>

VEXIL_TYPESYSTEM_SOURCE(Obj::ProjectObject, Obj::PropertyContainer)
VEXIL_TYPESYSTEM_SOURCE(Obj::ProjectObjectGroup, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationsGroup, Obj::ProjectObjectGroup)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationFiducial, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationRuler, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationROI, Obj::ProjectObject)

namespace Obj {

ProjectObject::ProjectObject()
    : feederType("Gui::ViewFeederProjectObject")
{
    // The label must stay the first property: the GUI reads it as the object's name.
    adopt_property(new PropertyString, "Label");
    auto* visibility = new PropertyBoolean;
    adopt_property(visibility, "Visibility");
    visibility->set_value(true);
}

ProjectObject::~ProjectObject()
{
    const auto groups = memberOf;
    for (ProjectObjectGroup* group : groups)
        group->remove_member(this);
}

const char* ProjectObject::get_label() const
{
    const auto* label = static_cast<const PropertyString*>(get_property_by_name("Label"));
    return label ? label->get_value() : "";
}

void ProjectObject::set_label(const char* label)
{
    if (auto* p = static_cast<PropertyString*>(get_property_by_name("Label")))
        p->set_value(label ? label : "");
}

void ProjectObject::set_error(bool on, const std::string& message)
{
    error = on;
    statusMessage = message;
}

void ProjectObject::suppress()
{
    suppressed = true;
}

void ProjectObject::unsuppress()
{
    suppressed = false;
}

void ProjectObject::set_object_status(int status, bool on)
{
    if (status < 0 || status >= 32)
        return;
    if (on)
        statusBits |= (1u << status);
    else
        statusBits &= ~(1u << status);
}

void ProjectObject::on_changed(const Property* p)
{
    if (project && p)
        project->object_changed(*this, *p);
}

ProjectObjectGroup::ProjectObjectGroup()
{
    set_feeder_type_name("Gui::ViewFeederProjectObjectGroup");
}

ProjectObjectGroup::~ProjectObjectGroup()
{
    for (ProjectObject* member : members)
        member->memberOf.erase(this);
}

void ProjectObjectGroup::add_object(ProjectObject* object)
{
    if (!object || object == this || object->memberOf.count(this))
        return;
    members.push_back(object);
    object->memberOf.insert(this);
}

void ProjectObjectGroup::remove_member(const ProjectObject* object)
{
    const auto it = std::find(members.begin(), members.end(), object);
    if (it == members.end())
        return;
    (*it)->memberOf.erase(this);
    members.erase(it);
}

void ProjectObjectGroup::clear_members()
{
    for (ProjectObject* member : members)
        member->memberOf.erase(this);
    members.clear();
}

AnnotationsGroup::AnnotationsGroup()
{
    set_feeder_type_name("Gui::ViewFeederAnnotationsGroup");
}

AnnotationFiducial::AnnotationFiducial()
{
    set_feeder_type_name("Gui::ViewFeederAnnotationFiducial");
}

AnnotationRuler::AnnotationRuler()
{
    set_feeder_type_name("Gui::ViewFeederAnnotationRuler");
}

AnnotationROI::AnnotationROI()
{
    set_feeder_type_name("Gui::ViewFeederAnnotationROI");
}

} // namespace Obj
