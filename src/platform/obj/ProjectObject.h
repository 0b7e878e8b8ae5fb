#pragma once
// One object of a project: an id unique within its project, a label (its first string
// property, "Label") and a feeder-type name that tells the GUI how to show it.

#include "Property.h"

#include <counted/CountedSteps.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pmGph { struct EditorCoreData; }

namespace Obj {

class Project;
class ProjectObjectGroup;

// The count ProjectObjectGroup::memberEntriesVisited() reads, this thread's: every entry of
// a group's member list reached, placed or taken out, and every read of an object's
// parentGroup, are counted in it.
std::uint64_t& memberEntrySteps();

class ProjectObject : public PropertyContainer
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    ProjectObject();
    ~ProjectObject() override;

    unsigned int getObjectId() const { return objectId; }
    Project* get_project() const { return project; }
    const char* get_name() const { return name.c_str(); }
    const char* get_label() const;
    void set_label(const char* label);

    // Registered type name of the GUI view feeder that shows this object.
    virtual const char* get_feeder_type_name() const { return feederType; }
    void set_feeder_type_name(const std::string& type) { feederType = internedText(type.c_str()); }

    // The object's tabular data for the table and chart: its own for property kind 0 and
    // no name, else that of the named property of the kind.  Null when it has none.
    virtual std::shared_ptr<const pmGph::EditorCoreData> get_editor_core_data(int propertyType,
                                                                              const char* name) const;

    bool is_valid() const { return !error; }
    bool isError() const { return error; }
    void set_error(bool on, const std::string& message = {});
    const char* get_status_message() const { return statusMessage.c_str(); }
    bool isSuppressed() const { return suppressed; }
    void suppress();
    void unsuppress();
    // The objects that refer to this one: the groups that list it, then the objects of its
    // project whose links point at it, each once.  Costs as much as the project's links.
    std::vector<ProjectObject*> get_linked_objects() const;
    // get_linked_objects() of each of `objects`, in one pass over the links of their
    // projects: finding those of many objects costs no more than of one.
    static std::vector<std::vector<ProjectObject*>> get_linked_objects(const std::vector<const ProjectObject*>& objects);
    // A group that lists this object; null when none does.
    ProjectObjectGroup* get_group() const;
    void set_object_status(int status, bool on);
    bool test_object_status(int status) const { return (statusBits >> status) & 1u; }

    // State code read by the GUI for the object's status overlay.
    int state = 0;
    // The group that holds this object as a member of its "Member" list (an annotation in
    // its project's annotations group); null when none, and cleared when the group goes.
    Counted::Link<ProjectObjectGroup, &memberEntrySteps> parentGroup;

    // Takes over `source`'s content: every property value but the label (so that a copy
    // keeps its own name) and its suppressed state.  Each amount keeps the number and unit
    // it was given in; one the copy refuses (beyond its limits) throws Vexil::ExceptionHandler
    // with the reason.
    virtual void copy_content(const ProjectObject& source);

    void on_changed(const Property* p) override;

protected:
    // For constructors: `type` must come from internedText, made once per class (a static),
    // so that building an object neither copies nor looks up the name.
    void set_interned_feeder_type_name(const char* type) { feederType = type; }

private:
    friend class Project;
    friend class ProjectObjectGroup;
    friend class ObjectNameIndex;
    // Groups that list this object, with its place in each group's list; made when the
    // object first joins a group, since most never do.  Each entry reached is counted as a
    // member entry, so that a climb from group to holding group shows in the count.
    using Members = Counted::List<ProjectObject*, &memberEntrySteps>;
    using Memberships = Counted::Map<ProjectObjectGroup*, Members::iterator, &memberEntrySteps>;
    Memberships& memberships();
    std::unique_ptr<Memberships> memberOf;
    unsigned int objectId = 0;
    Project* project = nullptr;
    std::string name;
    std::size_t nameHash = 0;   // kept by the project's name index while filed there
    const char* feederType = "";   // interned: shared by every object of a kind
    std::string statusMessage;
    // Every object has these two: held in place rather than each on the heap.  The label
    // is also read for every tree item and label edit, so it is kept rather than looked up.
    PropertyString labelProperty;
    PropertyBoolean visibilityProperty;
    bool error = false;
    bool suppressed = false;
    unsigned int statusBits = 0;
};

class ProjectObjectGroup : public ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    ProjectObjectGroup();
    ~ProjectObjectGroup() override;
    // Refuses, with a console warning, an object that would make the group contain
    // itself: the group itself or a group that holds it, directly or through others.
    void add_object(ProjectObject* object);
    // Whether `object` as a member would make this group contain itself.  Costs as much as
    // the groups that hold this one.
    bool would_contain_itself(const ProjectObject* object) const;
    // While one lives, the groups of `project` take members without that check: for the
    // member lists of a file or a copy, whose groups were checked as a whole before any
    // joined the project.  Checked one member at a time, a chain of groups each holding
    // the next would cost the square of its depth.
    class CheckedMembership
    {
    public:
        explicit CheckedMembership(const Project& project);
        ~CheckedMembership();
        CheckedMembership(const CheckedMembership&) = delete;
        CheckedMembership& operator=(const CheckedMembership&) = delete;
    private:
        const Project* previous;
    };
    // The members in the order they were added; each one read is counted as a member entry.
    using Listed = Counted::Vector<ProjectObject*, &memberEntrySteps>;
    const Listed& get_objects() const;
    // Constant time: deleting the members of a large group one by one stays linear.
    void remove_member(const ProjectObject* object);
    // Drops every member at once; linear in the group's size.
    void clear_members();
    // How many member-list entries the groups of this thread have stepped over (added,
    // removed, cleared, listed) since it started: a plain count of the work, the same on every
    // run, by which a test sees that removing n members costs about n steps.
    static std::uint64_t memberEntriesVisited();
    // Adds `entries` to that count (the project's own walks over a group's members).
    static void countMemberEntries(std::uint64_t entries);
private:
    friend class ProjectObject;
    class MemberList;
    // Takes `member`, whose entry is at `place`, out of the list; its own record of the
    // group is left to the caller.
    void unlink(ProjectObject* member, Members::iterator place);
    // Whether `object` must be refused as a member: would_contain_itself, unless this
    // group's project is under a CheckedMembership.
    bool refuses(const ProjectObject* object) const;
    // Says on the console why `object` does not join the group.
    void refuse(const ProjectObject& object) const;
    ProjectObject::Members members;
    // get_objects()'s answer, rebuilt on the first call after a change.
    mutable Listed listed;
    mutable bool listedValid = true;
};

class PropertyCoupleArray;

// The annotations of a project.  Its "Member" list names them; every object listed there
// is a member of the group.
class AnnotationsGroup : public ProjectObjectGroup
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    AnnotationsGroup();
    // The group's "Member" list.
    PropertyCoupleArray& get_member_list();
};

// Annotation objects of the logic; the GUI shows each through its own feeder type.  An
// annotation keeps what the GUI shows of it (position, name, display state) as the text
// of an annotation list file in a hidden property, so that the project file, copies and
// duplicates carry it.
class AnnotationObject : public ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    AnnotationObject();
    const char* get_annotation_text() const { return annotationText.get_value(); }
    // Changes the property (and raises its signal) only when the text differs.
    void set_annotation_text(const std::string& text);
    const PropertyString& annotation_text_property() const { return annotationText; }
private:
    PropertyString annotationText;
};

class AnnotationFiducial : public AnnotationObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    AnnotationFiducial();
};

class AnnotationRuler : public AnnotationObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    AnnotationRuler();
};

class AnnotationROI : public AnnotationObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    AnnotationROI();
};

} // namespace Obj
