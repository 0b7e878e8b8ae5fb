#include "MergeProjects.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"

#include <obj/Project.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <istream>

namespace Gui {

MergeProjects::MergeProjects(Obj::Project* targetProject)
    : target(targetProject)
{
    if (target) {
        exportConnection = target->signal_export_objects.connect(
            [this](const std::vector<Obj::ProjectObject*>& objects, Vexil::Hdf5FileWriter& writer) {
                export_project_object(objects, writer);
            });
        importConnection = target->signal_import_objects.connect(
            [this](const std::vector<Obj::ProjectObject*>& objects, Vexil::Hdf5FileReader& reader,
                   const std::map<std::string, std::string>&) { import_project_object(objects, reader); });
    }
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        targetGui = app->get_project(target);
}

MergeProjects::~MergeProjects()
{
    exportConnection.disconnect();
    importConnection.disconnect();
}

std::vector<Obj::ProjectObject*> MergeProjects::import_project_objects(std::istream& stream)
{
    if (!target)
        return {};
    // Told the end whichever way the paste ends.
    struct Pasting
    {
        explicit Pasting(GuiProject* g) : gui(g)
        {
            if (gui)
                gui->signal_pasting(true);
        }
        ~Pasting()
        {
            if (gui)
                gui->signal_pasting(false);
        }
        GuiProject* gui;
    } pasting(targetGui);
    try {
        merged = target->import_objects(stream);
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
        merged.clear();
    }
    return merged;
}

void MergeProjects::export_project_object(const std::vector<Obj::ProjectObject*>&, Vexil::Hdf5FileWriter&)
{
}

void MergeProjects::import_project_object(const std::vector<Obj::ProjectObject*>&, Vexil::Hdf5FileReader&)
{
}

} // namespace Gui
