// A deleted item's children go to another item that claims them, not to the project
// item: an object listed by two groups stays under the group that still holds it.

#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>

#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyCouple.h>

#include <gtest/gtest.h>

namespace {

class TreeAdoption : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
        project = logic->app().create_project("P", "P");
        gui = app->get_project(project);
        app->set_current_project(gui);
        // The project tree of the tree dock (the window may hold other trees).
        if (QWidget* dock = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView"))
            tree = dock->findChild<Gui::TreeWidget*>();
    }
    void TearDown() override { closeSession(); }

    Obj::ProjectObjectGroup* group(const char* name)
    {
        return dynamic_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", name));
    }
    // As the logic lists a member: through the group's "Member" list, which announces it.
    static void list(Obj::ProjectObject* holder, Obj::ProjectObject* member)
    {
        static_cast<Obj::PropertyCoupleArray*>(holder->get_property_by_name("Member"))->add_value(member);
    }
    QTreeWidgetItem* itemOf(const Obj::ProjectObject* o) const
    {
        return tree->getProjectItem(gui)->object_item(o->getObjectId());
    }

    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    Gui::TreeWidget* tree = nullptr;
};

} // namespace

TEST_F(TreeAdoption, DeletingAGroupsHolderHandsItsSharedMemberToTheOtherGroup)
{
    ASSERT_NE(tree, nullptr);
    Obj::ProjectObjectGroup* outer = group("Outer");
    Obj::ProjectObjectGroup* inner = group("Inner");
    Obj::ProjectObjectGroup* keeper = group("Keeper");
    Obj::ProjectObject* shared = project->add_object("Obj::ProjectObject", "Shared");
    Obj::ProjectObject* alone = project->add_object("Obj::ProjectObject", "Alone");
    ASSERT_TRUE(outer && inner && keeper && shared && alone);
    list(keeper, shared);
    list(inner, shared);   // the last claim moves the item: under Inner
    list(inner, alone);
    list(outer, inner);
    ASSERT_EQ(itemOf(shared)->parent(), itemOf(inner));
    ASSERT_EQ(itemOf(inner)->parent(), itemOf(outer));

    // The user deletes Outer: its members leave the project, then Outer itself.
    Gui::TreeSelectionSingleton::instance().add_selection("P", outer->getObjectId(), nullptr);
    command("Std_Delete")->invoke(0);
    ASSERT_EQ(project->get_object("Outer"), nullptr);
    ASSERT_EQ(project->get_object("Inner"), nullptr);

    // Keeper still lists Shared and takes it; nobody else claims Alone.
    EXPECT_EQ(itemOf(shared)->parent(), itemOf(keeper));
    EXPECT_EQ(itemOf(alone)->parent(), tree->getProjectItem(gui));
    EXPECT_EQ(itemOf(keeper)->childCount(), 1);
}

TEST_F(TreeAdoption, DeletingAGroupThatHoldsALargeGroupHandsEachObjectToItsRightParent)
{
    ASSERT_NE(tree, nullptr);
    const int count = 10000;
    Obj::ProjectObjectGroup* outer = group("Outer");
    Obj::ProjectObjectGroup* inner = group("Inner");
    Obj::ProjectObjectGroup* keeper = group("Keeper");
    std::vector<Obj::ProjectObject*> parts, kept;
    for (int i = 0; i < count; ++i)
        parts.push_back(project->add_object("Obj::ProjectObject", "Part"));
    for (int i = 0; i < count; i += 1000)
        kept.push_back(parts[static_cast<std::size_t>(i)]);
    // A load's link points at one part: a link that claims nothing takes no item.
    Obj::ProjectObject* load = project->add_object("Obj::LoadObject", "Force");
    ASSERT_TRUE(load && static_cast<Obj::PropertyCouple*>(load->get_property_by_name("Geometry")));
    static_cast<Obj::PropertyCouple*>(load->get_property_by_name("Geometry"))->set_value(parts[1]);
    static_cast<Obj::PropertyCoupleArray*>(keeper->get_property_by_name("Member"))->set_values(kept);
    static_cast<Obj::PropertyCoupleArray*>(inner->get_property_by_name("Member"))->set_values(parts);
    list(outer, inner);
    ASSERT_EQ(itemOf(inner)->childCount(), count);
    ASSERT_EQ(itemOf(keeper)->childCount(), 0);

    Gui::TreeSelectionSingleton::instance().add_selection("P", outer->getObjectId(), nullptr);
    command("Std_Delete")->invoke(0);
    ASSERT_EQ(project->get_object("Outer"), nullptr);
    ASSERT_EQ(project->get_object("Inner"), nullptr);
    ASSERT_EQ(project->get_num_objects(), unsigned(count) + 2);

    // Keeper takes the parts it lists, in its own order; the rest go to the project.
    QTreeWidgetItem* projectItem = tree->getProjectItem(gui);
    ASSERT_EQ(itemOf(keeper)->childCount(), int(kept.size()));
    for (std::size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(itemOf(keeper)->child(int(i)), itemOf(kept[i]));
    int underProject = 0;
    for (Obj::ProjectObject* part : parts) {
        if (part->get_group() != keeper)
            underProject += itemOf(part)->parent() == projectItem;
    }
    EXPECT_EQ(underProject, count - int(kept.size()));
    EXPECT_EQ(projectItem->childCount(), count - int(kept.size()) + 2);
}

TEST_F(TreeAdoption, ObjectsNameTheGroupsAndLinksThatReferToThem)
{
    Obj::ProjectObjectGroup* first = group("First");
    Obj::ProjectObjectGroup* second = group("Second");
    Obj::ProjectObject* target = project->add_object("Obj::ProjectObject", "Target");
    Obj::ProjectObject* linker = project->add_object("Obj::ProjectObject", "Linker");
    Obj::ProjectObject* lister = project->add_object("Obj::ProjectObject", "Lister");
    ASSERT_TRUE(first && second && target && linker && lister);
    EXPECT_TRUE(target->get_linked_objects().empty());

    list(first, target);
    list(second, target);
    list(second, target);   // listed once however often it is added
    static_cast<Obj::PropertyCouple*>(linker->add_property("Obj::PropertyCouple", "Link"))->set_value(target);
    auto* links = static_cast<Obj::PropertyCoupleArray*>(lister->add_property("Obj::PropertyCoupleArray", "Links"));
    links->set_values({linker, target});

    std::vector<Obj::ProjectObject*> linked = target->get_linked_objects();
    ASSERT_EQ(linked.size(), 4u);
    // The groups first, then the linking objects in id order.
    EXPECT_TRUE((linked[0] == first && linked[1] == second) || (linked[0] == second && linked[1] == first));
    EXPECT_EQ(linked[2], linker);
    EXPECT_EQ(linked[3], lister);
    // Linker is referred to by Lister only; a group refers to nothing by being a group.
    EXPECT_EQ(linker->get_linked_objects(), std::vector<Obj::ProjectObject*>{lister});
    EXPECT_TRUE(first->get_linked_objects().empty());

    // Links that go stop counting.
    project->remove_object(second->getObjectId());
    links->set_values({linker});
    EXPECT_EQ(target->get_linked_objects(), (std::vector<Obj::ProjectObject*>{first, linker}));
}
