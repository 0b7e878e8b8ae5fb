#pragma once
// One selected object with the sub-elements picked on it and where they were picked,
// as the selection hands it to commands and editors.

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>
#include <vexil/Vector3D.h>

#include <string>
#include <vector>

namespace Obj { class ProjectObject; }

namespace Gui {

class PELMORAGUI_EXPORT CSelectionType : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    CSelectionType() = default;
    CSelectionType(const char* projectName, unsigned int objectId, const char* typeName);
    ~CSelectionType() override;

    void add_subname(const std::string& name) { sub_names.push_back(name); }
    void add_selection_location(const Vexil::Vector3<double>& point) { locations.push_back(point); }

    const std::vector<std::string>& get_subnames() const { return sub_names; }
    bool has_subnames() const { return !sub_names.empty(); }
    const char* get_project_name() const { return project_name.c_str(); }
    const char* get_type_name() const { return type_name.c_str(); }
    unsigned int get_object_id() const { return object_id; }
    const std::vector<Vexil::Vector3<double>>& get_locations() const { return locations; }
    // Looked up in the application logic each time; null when the project or the
    // object is gone.
    Obj::ProjectObject* get_object() const;

private:
    std::vector<std::string> sub_names;
    std::string project_name;
    unsigned int object_id = 0;
    std::string type_name;
    std::vector<Vexil::Vector3<double>> locations;
};

} // namespace Gui
