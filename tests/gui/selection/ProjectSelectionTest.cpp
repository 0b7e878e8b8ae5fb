// Whole-project entries asked for by document tag: a caller that handles one kind of
// project (material projects, say) sees only the selected projects of that kind.

#include "SelectionTestSupport.h"

#include <selection/SelectionInstance.h>
#include <selection/TreeSelectionSingleton.h>

#include <vector>

using namespace SelectionTest;

namespace {

using ProjectsByTag = LogicFixture;

// The same calls on both singletons that keep whole-project entries.
template <class Singleton>
void checkProjectsByTag(Singleton& selection, PelmoraTest::ScopedLogic& logic, Obj::Project* scene,
                        Obj::ProjectObject* box)
{
    using Projects = std::vector<Obj::Project*>;
    Obj::Project* material = logic.app().create_project("Steel 1.4301 (Ø 2)");
    material->kind = 2;
    Obj::Project* table = logic.app().create_project("T");
    table->kind = 3;
    EXPECT_TRUE(selection.get_projects(1).empty());

    selection.set_project_selection(material->get_name(), nullptr);
    selection.add_selection("P", box->getObjectId(), nullptr);   // an object entry: no project
    selection.set_project_selection("P", nullptr);
    selection.set_project_selection(table->get_name(), nullptr);
    selection.set_project_selection(material->get_name(), nullptr);   // kept twice, as asked

    EXPECT_EQ(selection.get_projects(2), (Projects{material, material}));
    EXPECT_EQ(selection.get_projects(1), (Projects{scene}));
    EXPECT_EQ(selection.get_projects(3), (Projects{table}));
    EXPECT_TRUE(selection.get_projects(4).empty());
    EXPECT_EQ(selection.get_projects(), (Projects{material, scene, table, material}));

    // A project whose kind changes is filed by its kind at the time of asking.
    table->kind = 2;
    EXPECT_EQ(selection.get_projects(2), (Projects{material, table, material}));
    EXPECT_TRUE(selection.get_projects(3).empty());

    // A closed project leaves no entry to report.
    logic.app().close_project(material->get_name());
    EXPECT_EQ(selection.get_projects(2), (Projects{table}));
    selection.clear_all_selections();
}

} // namespace

TEST_F(ProjectsByTag, TreeSelectionListsTheSelectedProjectsOfOneTag)
{
    checkProjectsByTag(Gui::TreeSelectionSingleton::instance(), logic, project, box);
}

TEST_F(ProjectsByTag, SelectionInstanceListsTheSelectedProjectsOfOneTag)
{
    checkProjectsByTag(Gui::SelectionInstance::instance(), logic, project, box);
}
