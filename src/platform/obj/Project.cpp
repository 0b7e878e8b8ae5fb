#include "Project.h"

#include "Application.h"
#include "ProjectFile.h"
#include "PropertyCouple.h"
#include "PropertyQuantity.h"

#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <vexil/UtilityBox.h>

#include <cstring>
#include <unordered_set>

VEXIL_TYPESYSTEM_SOURCE(Obj::Project, Obj::PropertyContainer)

namespace Obj {

Project::Project()
    : feederType(internedText("FemGui::ViewFeederProjectFem"))
    , unitsData(pmUnit::UnitsManager::instance()->getUnitsData())
    , lengthUnit(pmUnit::UnitsManager::instance()->getDefaultUnitType(pmUnit::Length))
{
    adopt_property(new PropertyString, "Label");
}

Project::~Project()
{
    // Objects go without signals; group links are dropped first so that no object
    // reaches into one already deleted.
    currentObject = nullptr;
    objects.for_each([](ProjectObject* object) {
        if (auto* group = dynamic_cast<ProjectObjectGroup*>(object))
            group->clear_members();
    });
    objectsByName.clear();
    objects.clear();
}

const char* Project::getProjectName() const
{
    const auto* label = static_cast<const PropertyString*>(get_property_by_name("Label"));
    return label ? label->get_value() : "";
}

ProjectObject* Project::get_object(unsigned int id) const
{
    return objects.find(id);
}

ProjectObject* Project::get_object(const char* objectName) const
{
    if (!objectName)
        return nullptr;
    return objectsByName.find(objectName);
}

std::vector<ProjectObject*> Project::get_objects() const
{
    std::vector<ProjectObject*> result;
    result.reserve(objects.size());
    objects.for_each([&result](ProjectObject* object) { result.push_back(object); });
    return result;
}

std::vector<ProjectObject*> Project::get_objects(const Vexil::TypeInfo& type) const
{
    std::vector<ProjectObject*> result;
    objects.for_each([&](ProjectObject* object) {
        if (object->is_inherited_from(type))
            result.push_back(object);
    });
    return result;
}

std::string Project::get_unique_object_name(const char* base) const
{
    std::string stem = (base && *base) ? base : "Object";
    if (!objectsByName.contains(stem))
        return stem;
    // A numbered name stays one that a project file takes.
    ProjectFile::fitForNumber(stem);
    return Vexil::UtilityBox::numbered_name(stem, nameSuffixHint[stem],
                                            [this](const std::string& c) { return objectsByName.contains(c); });
}

ProjectObject* Project::add_object(const char* typeName, const char* objectName)
{
    if (!typeName)
        return nullptr;
    Vexil::RootClass* instance = Vexil::TypeInfo::build_instance_by_name(typeName);
    if (!instance)
        return nullptr;
    if (!instance->is_inherited_from(ProjectObject::getClassTypeId())) {
        delete instance;
        return nullptr;
    }
    std::unique_ptr<ProjectObject> object(static_cast<ProjectObject*>(instance));
    return add_object(std::move(object), objectName);
}

ProjectObject* Project::add_object(std::unique_ptr<ProjectObject> object, const char* objectName)
{
    // Ids are never reused: once the last one is given (a project file may name it), the
    // next would wrap around to ids that are taken.
    if (!object || object->project || nextObjectId == 0)
        return nullptr;
    if (owner) {
        const std::string refusal = owner->growth_error("Cannot add an object to " + name, 0, 1);
        if (!refusal.empty())
            throw Vexil::ExceptionHandler(refusal);
    }
    std::string base;
    if (objectName && *objectName) {
        base = objectName;
    } else {
        base = object->getTypeId().get_name();
        const auto colon = base.rfind("::");
        if (colon != std::string::npos)
            base = base.substr(colon + 2);
    }
    if (base.empty())
        base = "Object";
    object->objectId = nextObjectId++;
    // Usually the name is free: claiming it is the only look-up then.
    object->name = std::move(base);
    if (!objectsByName.insert(object.get())) {
        object->name = get_unique_object_name(object->name.c_str());
        objectsByName.insert(object.get());
    }
    object->set_label(object->name.c_str());   // before it joins: no signal yet
    object->project = this;

    ProjectObject* raw = object.get();
    // A project read back from a file gets its annotations group with it.
    if (!annotationsGroup)
        annotationsGroup = dynamic_cast<AnnotationsGroup*>(raw);
    objects.append(std::move(object));   // ids only grow
    if (owner)
        ++owner->objectCount;
    modified = true;
    signal_create_object(*raw);
    return raw;
}

bool Project::remove_object(unsigned int id)
{
    ProjectObject* object = objects.find(id);
    if (!object)
        return false;
    signal_remove_object(*object);
    if (owner)
        owner->signal_object_removed(*object);
    if (currentObject == object)
        currentObject = nullptr;
    // Looked up again: a slot may have removed it already (ids are never reused).
    std::unique_ptr<ProjectObject> doomed = objects.take(id);
    if (!doomed)
        return true;
    if (owner && owner->objectCount > 0)
        --owner->objectCount;
    objectsByName.erase(doomed.get());
    doomed->project = nullptr;
    if (annotationsGroup == doomed.get())
        annotationsGroup = nullptr;
    if (doomed->is_inherited_from(ProjectObjectGroup::getClassTypeId())) {
        // Each member read is counted by the list.
        for (ProjectObject* member : static_cast<ProjectObjectGroup*>(doomed.get())->get_objects())
            if (member->parentGroup == doomed.get())
                member->parentGroup = nullptr;
    }
    modified = true;
    return true;
}

void Project::rename_object(unsigned int id, const char* newLabel)
{
    if (ProjectObject* object = get_object(id))
        object->set_label(newLabel);
}

void Project::activate_object(unsigned int id)
{
    ProjectObject* object = get_object(id);
    if (!object)
        return;
    currentObject = object;
    signal_activate_object(*object);
}

std::vector<ProjectObject*> Project::get_dependency_graph(const std::vector<ProjectObject*>& chosen) const
{
    std::vector<ProjectObject*> result;
    std::unordered_set<const ProjectObject*> seen;
    auto visit = [&](ProjectObject* object) {
        if (object && object->get_project() == this && seen.insert(object).second)
            result.push_back(object);
    };
    for (ProjectObject* object : chosen)
        visit(object);
    // Breadth first over the links of everything listed so far.
    for (std::size_t i = 0; i < result.size(); ++i) {
        for (const Property* p : result[i]->get_properties()) {
            if (const auto* link = dynamic_cast<const PropertyCouple*>(p))
                visit(link->get_value());
            else if (const auto* list = dynamic_cast<const PropertyCoupleArray*>(p))
                for (ProjectObject* member : list->get_values())
                    visit(member);
        }
    }
    return result;
}

void Project::export_objects(const std::vector<ProjectObject*>& chosen, std::ostream& out) const
{
    ProjectFile::export_objects(out, *this, chosen);
}

std::vector<ProjectObject*> Project::import_objects(std::istream& in)
{
    try {
        return ProjectFile::import_objects(in, *this);
    }
    catch (const ProjectFile::Error& e) {
        throw Vexil::ExceptionHandler(e.what());
    }
}

void Project::refresh()
{
    signal_refresh(*this);
}

std::string Project::units_problem(const pmUnit::UnitsData& units) const
{
    if (units == unitsData)
        return {};
    std::string problem;
    auto check = [&units, &problem](const Property& p, const std::string& owner) {
        const std::string why = unitsProblem(p, units);
        if (!why.empty())
            problem = "property '" + std::string(p.get_name()) + "' of " + owner + ": " + why;
        return problem.empty();
    };
    for (const Property* p : get_properties())
        if (!check(*p, std::string("project ") + get_name()))
            return problem;
    objects.for_each([&check, &problem](ProjectObject* object) {
        for (const Property* p : object->get_properties())
            if (problem.empty())
                check(*p, std::string("object ") + object->get_name());
    });
    return problem;
}

bool Project::onUnitChanged(const pmUnit::UnitsData& units)
{
    // Announced also when only the number of digits changed: then nothing is to be done.
    if (units == unitsData)
        return true;
    // All or nothing: a value that would leave the finite numbers keeps every amount of
    // the project in the units it has.
    const std::string problem = units_problem(units);
    if (!problem.empty()) {
        Vexil::MsgConsoleSingleton::Instance().Error("The values of project %s stay in the units they were in: %s\n",
                                                     get_name(), problem.c_str());
        return false;
    }
    // Each quantity converts from the unit it is in, whatever the units were before.
    for (Property* p : get_properties())
        convertToUnits(*p, units);
    objects.for_each([&units](ProjectObject* object) {
        for (Property* p : object->get_properties())
            convertToUnits(*p, units);
    });
    unitsData = units;
    return true;
}

void Project::OnUpdateLabel(const char* text)
{
    if (auto* label = static_cast<PropertyString*>(get_property_by_name("Label")))
        label->set_value(text ? text : "");
}

void Project::on_changed(const Property* p)
{
    // A project not yet taken in is still being set up: that is not an edit.
    if (!owner || !p)
        return;
    modified = true;
    if (std::strcmp(p->get_name(), "Label") == 0)
        owner->signal_relabel_project(*this);
}

void Project::object_changed(const ProjectObject& object, const Property& property)
{
    modified = true;
    signal_change_object(object, property);
    if (owner)
        owner->signal_change_property(object, property);
    if (&property == &object.labelProperty) {   // the only property named "Label"
        signal_rename_object(object);
        if (owner)
            owner->signal_object_renamed(object);
    }
}

} // namespace Obj
