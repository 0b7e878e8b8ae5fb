// The project tree never takes an item's own ancestor as its child, whatever the feeders
// claim: such a move would turn the tree into a loop that every walk over it follows
// for good.

#include "TreeTestSupport.h"

#include <core/GuiProject.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>

#include <support/ConsoleCapture.h>

#include <obj/Project.h>

#include <gtest/gtest.h>

#include <functional>

using namespace TreeTest;
using PelmoraTest::ConsoleCapture;

TEST_F(TreeFixture, AnItemNeverTakesItsOwnAncestorAsAChild)
{
    Gui::TreeWidget tree;
    Obj::Project* project = newProject("P");
    Gui::GuiProject* gui = app->get_project(project);
    Obj::ProjectObject* outer = project->add_object("TreeTest::OrderedObject", "Outer");
    Obj::ProjectObject* middle = project->add_object("TreeTest::OrderedObject", "Middle");
    Obj::ProjectObject* inner = project->add_object("TreeTest::OrderedObject", "Inner");
    auto feeder = [&](Obj::ProjectObject* o) { return dynamic_cast<OrderedFeeder*>(gui->get_view_feeder(o)); };
    auto item = [&](Obj::ProjectObject* o) { return tree.getProjectItem(gui)->object_item(o->getObjectId()); };
    ASSERT_TRUE(feeder(outer) && feeder(middle) && feeder(inner));

    feeder(outer)->claimed = {middle};
    outer->set_label("Outer 1");
    feeder(middle)->claimed = {inner};
    middle->set_label("Middle 1");
    ASSERT_EQ(item(inner)->parent(), item(middle));
    ASSERT_EQ(item(middle)->parent(), item(outer));

    // The innermost item claims the outermost, then its own parent: both refused.
    ConsoleCapture console;
    feeder(inner)->claimed = {outer, middle};
    inner->set_label("Inner 1");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "Gui::ProjectItem::slot_change_object(): Outer 1 already contains Inner 1.\n"));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "Gui::ProjectItem::slot_change_object(): Middle 1 already contains Inner 1.\n"));
    EXPECT_EQ(item(outer)->parent(), tree.getProjectItem(gui));
    EXPECT_EQ(item(middle)->parent(), item(outer));
    EXPECT_EQ(item(inner)->parent(), item(middle));
    EXPECT_EQ(item(inner)->childCount(), 0);

    // The tree can still be walked to its end, and a sound move still goes through.
    std::function<int(QTreeWidgetItem*)> count = [&](QTreeWidgetItem* parent) {
        int n = parent->childCount();
        for (int i = 0; i < parent->childCount(); ++i)
            n += count(parent->child(i));
        return n;
    };
    EXPECT_EQ(count(tree.getProjectItem(gui)), 3);
    feeder(middle)->claimed = {};
    middle->set_label("Middle 2");
    feeder(inner)->claimed = {middle};
    inner->set_label("Inner 2");
    EXPECT_EQ(item(middle)->parent(), item(inner));
}
