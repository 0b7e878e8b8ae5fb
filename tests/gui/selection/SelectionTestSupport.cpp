#include "SelectionTestSupport.h"

#include <selection/EntitySelectionSingleton.h>
#include <selection/SelectionInstance.h>
#include <selection/TreeSelectionSingleton.h>

namespace SelectionTest {

std::string describe(const std::string& tag, const Gui::SelectionModification& m)
{
    static const char* const kinds[] = {"add", "remove", "set", "clear", "preselect", "unpreselect"};
    const char* kind = (m.kind >= 0 && m.kind <= 5) ? kinds[m.kind] : "?";
    std::string line = tag + ":" + kind + " " + (m.project_name ? m.project_name : "<null>");
    line += "." + std::to_string(m.object_id);
    if (m.sub_name && *m.sub_name)
        line += std::string(".") + m.sub_name;
    if (m.source)
        line += " src1";
    return line;
}

void destructSingletons()
{
    Gui::SelectionInstance::destruct();
    Gui::TreeSelectionSingleton::destruct();
    Gui::EntitySelectionSingleton::destruct();
}

LogicFixture::LogicFixture()
{
    destructSingletons();
    project = logic.app().create_project("P");
    box = project->add_object("Obj::ProjectObject", "Box");
    disk = project->add_object("Obj::ProjectObject", "Disk");
    group = project->add_object("Obj::ProjectObjectGroup", "Grp");
}

LogicFixture::~LogicFixture()
{
    destructSingletons();
}

} // namespace SelectionTest
