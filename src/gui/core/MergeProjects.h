#pragma once
// Reads pasted project objects into an open project: one merge object per paste, made on
// the target project, used once and destroyed.

#include "PelmoraGuiExport.h"

#include <vexil/Persistence.h>

#include <boost/signals2/connection.hpp>

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace Obj { class Project; class ProjectObject; }

namespace Gui {

class GuiProject;

class PELMORAGUI_EXPORT MergeProjects : public Vexil::DataPersistence
{
public:
    explicit MergeProjects(Obj::Project* target);
    // A copy shares the source's connections to the target project.
    MergeProjects(const MergeProjects&) = default;
    MergeProjects& operator=(const MergeProjects&) = default;
    ~MergeProjects() override;

    unsigned int get_memory_usage() const override { return 0; }
    void save(Vexil::Hdf5FileWriter&, const std::string&) override {}
    void resume(Vexil::Hdf5FileReader&, const std::string&) override {}

    // Creates the objects that `stream` holds in the target and returns them, in the
    // order written; none when the stream holds no copied objects (reported).
    std::vector<Obj::ProjectObject*> import_project_objects(std::istream& stream);

    void export_project_object(const std::vector<Obj::ProjectObject*>& objects, Vexil::Hdf5FileWriter& writer);
    void import_project_object(const std::vector<Obj::ProjectObject*>& objects, Vexil::Hdf5FileReader& reader);
    void load_project_file(Vexil::Hdf5FileReader&) {}
    void save_project_file(Vexil::Hdf5FileWriter&) const {}

    Obj::Project* target_project() const { return target; }
    GuiProject* target_gui_project() const { return targetGui; }

private:
    Obj::Project* target;
    GuiProject* targetGui = nullptr;
    std::vector<Obj::ProjectObject*> merged;
    std::map<std::string, std::string> names;
    boost::signals2::connection exportConnection;
    boost::signals2::connection importConnection;
};

} // namespace Gui
