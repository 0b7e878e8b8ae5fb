#include "ProjectObject.h"

#include <pmgph/EditorCoreData.h>

#include "Project.h"
#include "PropertyCouple.h"
#include "PropertyQuantity.h"
#include "ValueText.h"

#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>


VEXIL_TYPESYSTEM_SOURCE(Obj::ProjectObject, Obj::PropertyContainer)
VEXIL_TYPESYSTEM_SOURCE(Obj::ProjectObjectGroup, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationsGroup, Obj::ProjectObjectGroup)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationObject, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationFiducial, Obj::AnnotationObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationRuler, Obj::AnnotationObject)
VEXIL_TYPESYSTEM_SOURCE(Obj::AnnotationROI, Obj::AnnotationObject)

namespace Obj {

namespace {

// The project whose groups' member lists are being set from checked content, if any.
const Project* checkedProject = nullptr;

} // namespace

// Per thread, so no lock and no race.
std::uint64_t& memberEntrySteps()
{
    return Counted::tally<struct MemberEntrySteps>();
}

ProjectObject::ProjectObject()
{
    static const char* const defaultFeeder = internedText("Gui::ViewFeederProjectObject");
    feederType = defaultFeeder;
    // The label must stay the first property: the GUI reads it as the object's name.
    adopt_member_property(labelProperty, "Label");
    adopt_member_property(visibilityProperty, "Visibility");
    visibilityProperty.set_value(true);
}

ProjectObject::~ProjectObject()
{
    // Each holding group lets go of the place the entry names: no look-up by group.
    while (memberOf && !memberOf->empty()) {
        const auto it = memberOf->begin();
        const auto& [group, place] = *it;
        group->unlink(this, place);
        memberOf->erase(it);
    }
}

ProjectObject::Memberships& ProjectObject::memberships()
{
    if (!memberOf)
        memberOf = std::make_unique<Memberships>();
    return *memberOf;
}

const char* ProjectObject::get_label() const
{
    return labelProperty.get_value();
}

void ProjectObject::set_label(const char* label)
{
    labelProperty.set_value(label ? label : "");
}

void ProjectObject::set_error(bool on, const std::string& message)
{
    error = on;
    statusMessage = message;
}

ProjectObjectGroup* ProjectObject::get_group() const
{
    return memberOf && !memberOf->empty() ? memberOf->begin()->first : nullptr;
}

std::vector<ProjectObject*> ProjectObject::get_linked_objects() const
{
    return std::move(get_linked_objects(std::vector<const ProjectObject*>{this}).front());
}

std::vector<std::vector<ProjectObject*>> ProjectObject::get_linked_objects(const std::vector<const ProjectObject*>& objects)
{
    std::vector<std::vector<ProjectObject*>> result(objects.size());
    // Per object asked about: the objects already answered, itself among them.
    std::vector<std::unordered_set<const ProjectObject*>> seen(objects.size());
    // Per project: the objects asked about, and where in `objects` each is.
    std::map<const Project*, std::unordered_map<const ProjectObject*, std::vector<std::size_t>>> asked;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const ProjectObject* object = objects[i];
        if (!object)
            continue;
        seen[i].insert(object);
        if (object->memberOf) {
            for (const auto& membership : *object->memberOf) {
                if (seen[i].insert(membership.first).second)
                    result[i].push_back(membership.first);
            }
        }
        if (object->project)
            asked[object->project][object].push_back(i);
    }
    for (const auto& [project, targets] : asked) {
        const auto note = [&](ProjectObject* other, const ProjectObject* target) {
            const auto found = targets.find(target);
            if (found == targets.end())
                return;
            for (const std::size_t i : found->second) {
                if (seen[i].insert(other).second)
                    result[i].push_back(other);
            }
        };
        for (ProjectObject* other : project->get_objects()) {
            const bool group = dynamic_cast<const ProjectObjectGroup*>(other) != nullptr;
            for (const Property* p : other->get_properties()) {
                if (const auto* link = dynamic_cast<const PropertyCouple*>(p)) {
                    if (const ProjectObject* target = link->get_value())
                        note(other, target);
                } else if (const auto* links = dynamic_cast<const PropertyCoupleArray*>(p)) {
                    // A group's member list was answered by the memberships above.
                    if (group && p->get_name() && std::strcmp(p->get_name(), "Member") == 0)
                        continue;
                    for (const ProjectObject* target : links->get_values())
                        note(other, target);
                }
            }
        }
    }
    return result;
}

// An object that shows its state as a "Suppressed" property keeps the two in step, so
// that the change reaches the object's listeners.
void ProjectObject::suppress()
{
    if (suppressed)
        return;
    suppressed = true;
    if (auto* p = dynamic_cast<PropertyBoolean*>(get_property_by_name("Suppressed")))
        p->set_value(true);
}

void ProjectObject::unsuppress()
{
    if (!suppressed)
        return;
    suppressed = false;
    if (auto* p = dynamic_cast<PropertyBoolean*>(get_property_by_name("Suppressed")))
        p->set_value(false);
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

void ProjectObject::copy_content(const ProjectObject& source)
{
    if (&source == this)
        return;
    for (const Property* from : source.get_properties()) {
        if (from == &source.labelProperty || dynamic_cast<const PropertyCoupleArray*>(from))
            continue;
        Property* to = get_property_by_name(from->get_name());
        if (!to)
            to = add_property(from->getTypeId().get_name(), from->get_name());
        if (!to || to->getTypeId() != from->getTypeId())
            continue;
        // Each amount as it was given (its number and unit), not its number in the unit
        // shown: that would be given anew, rounded.  One the copy cannot hold (beyond its
        // limits) refuses the copy with the reason.
        const std::string text = valueTextWithUnits(*from);
        if (!to->set_value_text(text)) {
            const std::string why = quantityTextProblem(*to, text);
            if (!why.empty())
                throw Vexil::ExceptionHandler("Cannot copy " + ValueText::printable(source.get_label())
                                              + ": property '" + from->get_name() + "' holds '"
                                              + ValueText::printable(text) + "': " + why);
        }
    }
    if (source.isSuppressed())
        suppress();
    else
        unsuppress();
}

// A group's "Member" property: a view of the group's own member list.
class ProjectObjectGroup::MemberList : public PropertyCoupleArray
{
public:
    explicit MemberList(ProjectObjectGroup& owner) : group(owner) {}
    std::vector<ProjectObject*> get_values() const override
    {
        const Listed& members = group.get_objects();
        return {members.begin(), members.end()};
    }
    void add_value(ProjectObject* object) override
    {
        if (!object || object->get_project() != group.get_project() || object == &group)
            return;
        if (group.refuses(object)) {
            group.refuse(*object);
            return;
        }
        about_to_set_value();
        group.add_object(object);
        has_set_value();
    }
    void set_values(const std::vector<ProjectObject*>& objects) override
    {
        about_to_set_value();
        group.clear_members();
        for (ProjectObject* object : objects) {
            if (object && object->get_project() == group.get_project())
                group.add_object(object);
        }
        has_set_value();
    }
    // A list that would make the group contain itself is refused whole, so that a script
    // line that sets it fails and says why.
    bool set_value_text(const std::string& text) override
    {
        std::vector<std::string> entries;
        const Project* project = group.get_project();
        if (!project || project == checkedProject || !ValueText::parseList(text, entries))
            return PropertyCoupleArray::set_value_text(text);
        for (const std::string& entry : entries) {
            long id = 0;
            if (!ValueText::parseInteger(entry, id) || id <= 0
                || static_cast<unsigned long>(id) > std::numeric_limits<unsigned int>::max())
                continue;
            const ProjectObject* object = project->get_object(static_cast<unsigned int>(id));
            if (object && group.would_contain_itself(object)) {
                group.refuse(*object);
                return false;
            }
        }
        return PropertyCoupleArray::set_value_text(text);
    }
private:
    ProjectObjectGroup& group;
};

ProjectObjectGroup::ProjectObjectGroup()
{
    static const char* const feeder = internedText("Gui::ViewFeederProjectObjectGroup");
    set_interned_feeder_type_name(feeder);
    Property* member = adopt_property(new MemberList(*this), "Member");
    if (member)
        member->set_object_status(Property::Hidden, true);
}

ProjectObjectGroup::~ProjectObjectGroup()
{
    clear_members();
}

void ProjectObjectGroup::add_object(ProjectObject* object)
{
    if (!object || (object->memberOf && object->memberOf->count(this)))
        return;
    if (refuses(object)) {
        refuse(*object);
        return;
    }
    // The list counts the entry placed.
    object->memberships().emplace(this, members.insert(members.end(), object));
    // A group read back from a file lists its members again: they know it as theirs.
    if (!object->parentGroup)
        object->parentGroup = this;
    if (listedValid)
        listed.push_back(object);
}

bool ProjectObjectGroup::would_contain_itself(const ProjectObject* object) const
{
    if (object == this)
        return true;
    // Only a group holds members; and a group that holds nothing yet is not held by one.
    if (!object || !dynamic_cast<const ProjectObjectGroup*>(object) || !memberOf)
        return false;
    // Up through the groups that hold this one: the holders of a group are few, its
    // members may be many.
    std::vector<const ProjectObject*> todo{this};
    std::unordered_set<const ProjectObject*> seen{this};
    while (!todo.empty()) {
        const ProjectObject* held = todo.back();
        todo.pop_back();
        if (!held->memberOf)
            continue;
        for (const auto& holder : *held->memberOf) {
            if (holder.first == object)
                return true;
            if (seen.insert(holder.first).second)
                todo.push_back(holder.first);
        }
    }
    return false;
}

bool ProjectObjectGroup::refuses(const ProjectObject* object) const
{
    if (object == this)
        return true;
    if (checkedProject && checkedProject == get_project())
        return false;
    return would_contain_itself(object);
}

ProjectObjectGroup::CheckedMembership::CheckedMembership(const Project& project) : previous(checkedProject)
{
    checkedProject = &project;
}

ProjectObjectGroup::CheckedMembership::~CheckedMembership()
{
    checkedProject = previous;
}

void ProjectObjectGroup::refuse(const ProjectObject& object) const
{
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    if (&object == this)
        console.Warning("The group '%s' cannot be a member of itself\n", ValueText::printable(get_name()).c_str());
    else
        console.Warning("The group '%s' cannot be a member of the group '%s', which it already contains\n",
                        ValueText::printable(object.get_name()).c_str(), ValueText::printable(get_name()).c_str());
}

const ProjectObjectGroup::Listed& ProjectObjectGroup::get_objects() const
{
    if (!listedValid) {
        listed.clear();
        listed.reserve(members.size());
        for (ProjectObject* member : members)   // each entry counted as read
            listed.push_back(member);
        listedValid = true;
    }
    return listed;
}

void ProjectObjectGroup::remove_member(const ProjectObject* object)
{
    if (!object)
        return;
    // The group holds the object as non-const; the object's own record says where.
    auto* member = const_cast<ProjectObject*>(object);
    if (!member->memberOf)
        return;
    const auto it = member->memberOf->find(this);
    if (it == member->memberOf->end())
        return;
    unlink(member, it->second);
    member->memberOf->erase(it);
}

void ProjectObjectGroup::unlink(ProjectObject* member, Members::iterator place)
{
    members.erase(place);   // counted by the list
    if (member->parentGroup == this)
        member->parentGroup = nullptr;
    listed.clear();
    listedValid = false;
}

void ProjectObjectGroup::clear_members()
{
    for (ProjectObject* member : members) {   // each entry counted as read
        member->memberships().erase(this);
        if (member->parentGroup == this)
            member->parentGroup = nullptr;
    }
    members.clear();
    listed.clear();
    listedValid = true;
}

// Out of line: a child process's test looks the reader up by its symbol.
std::uint64_t ProjectObjectGroup::memberEntriesVisited()
{
    return memberEntrySteps();
}

void ProjectObjectGroup::countMemberEntries(std::uint64_t entries)
{
    memberEntrySteps() += entries;
}

AnnotationsGroup::AnnotationsGroup()
{
    static const char* const feeder = internedText("Gui::ViewFeederAnnotationsGroup");
    set_interned_feeder_type_name(feeder);
}

PropertyCoupleArray& AnnotationsGroup::get_member_list()
{
    return *static_cast<PropertyCoupleArray*>(get_property_by_name("Member"));
}

AnnotationObject::AnnotationObject()
{
    adopt_member_property(annotationText, "AnnotationText");
    annotationText.set_object_status(Property::Hidden, true);
}

void AnnotationObject::set_annotation_text(const std::string& text)
{
    if (text != annotationText.get_value())
        annotationText.set_value(text);
}

AnnotationFiducial::AnnotationFiducial()
{
    static const char* const feeder = internedText("Gui::ViewFeederAnnotationFiducial");
    set_interned_feeder_type_name(feeder);
}

AnnotationRuler::AnnotationRuler()
{
    static const char* const feeder = internedText("Gui::ViewFeederAnnotationRuler");
    set_interned_feeder_type_name(feeder);
}

AnnotationROI::AnnotationROI()
{
    static const char* const feeder = internedText("Gui::ViewFeederAnnotationROI");
    set_interned_feeder_type_name(feeder);
}

std::shared_ptr<const pmGph::EditorCoreData> ProjectObject::get_editor_core_data(int, const char*) const
{
    return nullptr;
}

} // namespace Obj
