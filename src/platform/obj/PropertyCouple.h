#pragma once
// A link to another project object.  The link is kept as the object's project name (or,
// within the owner's project, that project) and id, so that a removed object reads back
// as no link instead of a dangling pointer.

#include "Property.h"

#include <string>
#include <vector>

namespace Obj {

class Project;
class ProjectObject;

class PropertyCouple : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // The linked object, or null when there is none or it is gone.
    ProjectObject* get_value() const;
    void set_value(const ProjectObject* object);
    // "[project,id,]" ("[]" without a link); "[project,Null,]" clears the link too.
    // A text naming an unknown project or object is refused.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyCoupleItem"; }
private:
    // The owner's project, when the owner is (in) one.
    Project* ownersProject() const;
    std::string projectName;
    unsigned int objectId = 0;
    // A link within the owner's project is found through that project, so that renaming
    // the project keeps it.
    bool inOwnersProject = false;
};


// Links to objects of the owner's project, in order, each at most once (a group's
// "Member" list is one).  Kept as ids, so that a removed object drops out of the list.
class PropertyCoupleArray : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // The linked objects that still exist.
    virtual std::vector<ProjectObject*> get_values() const;
    virtual void add_value(ProjectObject* object);
    virtual void set_values(const std::vector<ProjectObject*>& objects);
    std::size_t get_size() const { return get_values().size(); }
    // "[id,id,]"; an id that names no object of the owner's project is refused.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
protected:
    Project* ownersProject() const;
private:
    std::vector<unsigned int> ids;
};

} // namespace Obj
