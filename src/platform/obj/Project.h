#pragma once
// A project of the application logic: a named set of objects with its own signals.

#include "ObjectNameIndex.h"
#include "ObjectTable.h"
#include "ProjectObject.h"

#include <pmunit/Units.h>

#include "LogicSignal.h"

namespace Vexil { class Hdf5FileWriter; class Hdf5FileReader; }

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Obj {

class Application;

class Project : public PropertyContainer
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Project();
    ~Project() override;

    // The key of the project everywhere.
    const char* get_name() const { return name.c_str(); }
    // The label shown to the user.
    const char* getProjectName() const;
    unsigned int getProjectId() const { return projectId; }

    // Kind code: 1 a project with a 3D scene; 2 and 3 are kinds without views.
    int kind = 1;
    // The project's annotations group; null until one exists, and cleared when it goes.
    AnnotationsGroup* annotationsGroup = nullptr;
    // Registered type name of the GUI view feeder of the project.
    virtual const char* get_feeder_type_name() const { return feederType; }
    void set_feeder_type_name(const std::string& type) { feederType = internedText(type.c_str()); }

    ProjectObject* get_object(unsigned int id) const;
    ProjectObject* get_object(const char* name) const;
    std::vector<ProjectObject*> get_objects() const;   // in id order
    std::vector<ProjectObject*> get_objects(const Vexil::TypeInfo& type) const;
    ProjectObject* get_current_object() const { return currentObject; }
    unsigned int get_num_objects() const { return static_cast<unsigned int>(objects.size()); }

    // Creates an object of the registered type; null for an unknown type.
    ProjectObject* add_object(const char* typeName, const char* name = nullptr);
    // Takes in an object built and filled beforehand, so that it is complete when its
    // creation is announced; null for no object, one that belongs to a project, or when
    // the project has given its last id.
    ProjectObject* add_object(std::unique_ptr<ProjectObject> object, const char* name = nullptr);
    bool remove_object(unsigned int id);
    void rename_object(unsigned int id, const char* newLabel);
    void activate_object(unsigned int id);
    std::string get_unique_object_name(const char* base) const;
    bool can_close() const { return true; }
    bool is_modified() const { return modified; }
    // Set while the project's objects are being read back; feeders then skip their
    // property pass on creation.
    bool isRestoring() const { return restoring; }
    void setRestoring(bool on) { restoring = on; }
    void set_modified(bool on) { modified = on; }
    void refresh();
    void OnUpdateLabel(const char* text);
    // The units the project's values are shown in changed: every quantity of its objects
    // is named in the new units, each the same amount as before.  Placements and the
    // scene keep their length unit (get_length_unit).  When a value would be beyond the
    // largest number in its new unit, the console is told which one, nothing changes and
    // the result is false.
    bool onUnitChanged(const pmUnit::UnitsData& units);
    // Why the project's values cannot be named in `units` (the first value that would be
    // beyond the largest number, with its object and property); empty when they can.
    std::string units_problem(const pmUnit::UnitsData& units) const;
    const pmUnit::UnitsData& get_units() const { return unitsData; }
    // The unit of length of the project's placements and of its scene's coordinates: that
    // of the unit system when the project was made, or the one its project file names.  It
    // does not follow a change of unit system, so that the models stay where they are.
    pmUnit::UnitType get_length_unit() const { return lengthUnit; }
    void set_length_unit(pmUnit::UnitType unit) { lengthUnit = unit; }
    // Every change of a property of a project taken in is an edit: the project counts as
    // modified. A new "Label" is also announced as a relabel by the owning application.
    void on_changed(const Property* p) override;

    // Signals, raised synchronously; the project is changed on the GUI thread only.
    LogicSignal<void(const ProjectObject&)> signal_create_object;
    LogicSignal<void(const ProjectObject&)> signal_remove_object;
    LogicSignal<void(const ProjectObject&, const Property&)> signal_change_object;
    LogicSignal<void(const ProjectObject&)> signal_rename_object;
    LogicSignal<void(const ProjectObject&)> signal_activate_object;
    LogicSignal<void(const Project&)> signal_refresh;
    // Raised while the project is written to or read from a project file, and when some
    // of its objects are exported or imported; listeners add or read their own parts.
    LogicSignal<void(Vexil::Hdf5FileWriter&, const std::string&)> signal_save;
    LogicSignal<void(Vexil::Hdf5FileReader&, const std::string&)> signal_restore;
    LogicSignal<void(const std::vector<ProjectObject*>&, Vexil::Hdf5FileWriter&)>
        signal_export_objects;
    LogicSignal<void(const std::vector<ProjectObject*>&, Vexil::Hdf5FileReader&,
                                 const std::map<std::string, std::string>&)>
        signal_import_objects;

    // The objects that `objects` need to be complete: each object, then those it links to
    // (through its links and member lists), and theirs, each once, in that order.
    std::vector<ProjectObject*> get_dependency_graph(const std::vector<ProjectObject*>& objects) const;
    // Writes copies of `objects` (those of this project) to `out`, in the project-file
    // layout; import_objects creates such copies here and returns them.  A stream that is
    // not such a copy throws Vexil::ExceptionHandler and creates nothing.
    void export_objects(const std::vector<ProjectObject*>& objects, std::ostream& out) const;
    std::vector<ProjectObject*> import_objects(std::istream& in);

private:
    friend class Application;
    friend class ProjectFile;
    friend class ProjectObject;
    void object_changed(const ProjectObject& object, const Property& property);

    Application* owner = nullptr;   // relays object signals; null for a free project
    std::string name;
    const char* feederType = "";   // interned: shared by every object of a kind
    mutable std::map<std::string, unsigned int> nameSuffixHint;   // keeps naming linear
    unsigned int projectId = 0;
    unsigned int nextObjectId = 1;
    ObjectTable objects;
    ObjectNameIndex objectsByName;
    ProjectObject* currentObject = nullptr;
    bool modified = false;
    bool restoring = false;
    pmUnit::UnitsData unitsData;
    pmUnit::UnitType lengthUnit = pmUnit::Meter;
};

} // namespace Obj
