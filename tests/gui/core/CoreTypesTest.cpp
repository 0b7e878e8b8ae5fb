// Types built by name after start-up, the active-object list of a document view, action
// callbacks and entity names.

#include <core/ActionFunction.h>
#include <core/ActiveObjectList.h>
#include <core/GfxDatabase.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <propertyeditor/PropertyItem.h>
#include <visualization/ViewFeeder.h>

#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QAction>

#include <gtest/gtest.h>

#include <memory>

namespace {

void registerAll()
{
    static bool done = false;
    if (!done) {
        Obj::Application::init_types();
        Gui::qPelmoraApplication::initialize_application();
        Gui::GfxDatabase::init();
        done = true;
    }
}

std::vector<std::string> derivedNames(const char* base)
{
    std::vector<std::string> names;
    for (const Vexil::TypeInfo& t : Vexil::TypeInfo::get_all_derived_from(Vexil::TypeInfo::get_type_from_name(base)))
        names.push_back(t.get_name());
    return names;
}

} // namespace

TEST(CoreTypes, StartupRegistersTheFifteenClassesInOrder)
{
    registerAll();
    const std::vector<std::string> order = {
        "Gui::BaseView", "Gui::MDIWindow", "Gui::qView3DMRML", "Gui::ViewFeeder", "Gui::ViewFeederExtern",
        "Gui::ViewFeederProject", "Gui::ViewFeederProjectObject", "Gui::ViewFeederFeature",
        "Gui::ViewFeederProjectObjectGroup", "Gui::ViewFeederTopoObject", "Gui::SimModule",
        "Gui::StdSimModule", "Gui::BlankSimModule", "Gui::NoneSimModule", "Gui::TestSimModule"};
    unsigned int previous = 0;
    for (const std::string& name : order) {
        SCOPED_TRACE(name);
        const Vexil::TypeInfo t = Vexil::TypeInfo::get_type_from_name(name.c_str());
        ASSERT_FALSE(t.is_sick());
        EXPECT_GT(t.get_key(), previous);
        previous = t.get_key();
    }
    // Feeders hang below the logic's property container.
    EXPECT_STREQ(Vexil::TypeInfo::get_type_from_name("Gui::ViewFeeder").get_parent().get_name(),
                 "Obj::PropertyContainer");
}

TEST(CoreTypes, PropertyItemsAndFeedersAreBuiltByNameParentFirst)
{
    registerAll();
    const std::vector<std::string> items = derivedNames("Gui::PropertyOperator::PropertyItem");
    ASSERT_EQ(items.size(), 36u);
    EXPECT_EQ(items.front(), "Gui::PropertyOperator::PropertyItem");
    EXPECT_EQ(items[1], "Gui::PropertyOperator::PropertySeparatorItem");
    EXPECT_EQ(items[26], "Gui::PropertyOperator::PropertyAdvEnumItem2");
    EXPECT_EQ(items.back(), "Gui::PropertyOperator::PropertyRangeSliderItem");

    std::unique_ptr<Vexil::RootClass> item(
        Vexil::TypeInfo::build_instance_by_name("Gui::PropertyOperator::PropertyBCQuantityConstraintItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->is_inherited_from(
        Vexil::TypeInfo::get_type_from_name("Gui::PropertyOperator::PropertyBCQuantityItem")));
    EXPECT_TRUE(item->is_inherited_from(Gui::PropertyOperator::PropertyItem::getClassTypeId()));

    const std::vector<std::string> annotations = derivedNames("Gui::ViewFeederAnnotationBase");
    EXPECT_EQ(annotations, (std::vector<std::string>{"Gui::ViewFeederAnnotationBase", "Gui::ViewFeederAnnotationRuler",
                                                     "Gui::ViewFeederAnnotationROI", "Gui::ViewFeederAnnotationFiducial"}));
    for (const char* name : {"Gui::ViewFeederAnnotationsGroup", "Gui::ViewFeederMRMLModel",
                             "Gui::ViewFeederAnnotationFiducial"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<Vexil::RootClass> feeder(Vexil::TypeInfo::build_instance_by_name(name));
        ASSERT_NE(feeder, nullptr);
        EXPECT_TRUE(feeder->is_inherited_from(Gui::ViewFeederProjectObject::getClassTypeId()));
    }
    // The logic's annotations group is shown by its own feeder.
    Obj::AnnotationsGroup group;
    EXPECT_STREQ(group.get_feeder_type_name(), "Gui::ViewFeederAnnotationsGroup");
}

TEST(CoreTypes, ActiveObjectsHighlightInTheTreeAndDeletionForgetsEveryRole)
{
    registerAll();
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    Obj::Project* project = logic.app().get_current_project();
    Gui::GuiProject* gui = app.get_project(project);
    ASSERT_NE(gui, nullptr);
    Obj::ProjectObject* body = project->add_object("Obj::ProjectObject", "Body");
    Obj::ProjectObject* part = project->add_object("Obj::ProjectObject", "Part");

    std::vector<std::string> seen;
    auto label = [](const Gui::ViewFeederProjectObject& f) { return std::string(f.get_object()->get_name()); };
    boost::signals2::scoped_connection h = gui->signal_highlight_object.connect(
        [&](const Gui::ViewFeederProjectObject& f, const Gui::HighlightMode&, bool on) {
            seen.push_back((on ? "on " : "off ") + label(f));
        });
    boost::signals2::scoped_connection e = gui->signal_expand_object.connect(
        [&](const Gui::ViewFeederProjectObject& f, const Gui::TreeItemMode& m) {
            seen.push_back("expand" + std::to_string(int(m)) + " " + label(f));
        });

    Gui::ActiveObjectList list;
    list.setObject(nullptr, "pdbody", Gui::UserDefined);
    EXPECT_TRUE(seen.empty());
    list.setObject(body, "pdbody", Gui::UserDefined);
    list.setObject(body, "pdbody", Gui::UserDefined);
    EXPECT_EQ(seen, (std::vector<std::string>{"on Body", "expand1 Body", "off Body", "expand2 Body", "on Body",
                                              "expand1 Body"}));
    list.setObject(body, "part", Gui::UserDefined);
    list.setObject(part, "zpart", Gui::UserDefined);
    EXPECT_EQ(list.size(), 3u);

    // Every role of the deleted object goes, not just the first.
    const auto* feeder = static_cast<const Gui::ViewFeederProjectObject*>(gui->get_view_feeder(body));
    list.objectDeleted(*feeder);
    EXPECT_FALSE(list.hasObject("pdbody"));
    EXPECT_FALSE(list.hasObject("part"));
    EXPECT_TRUE(list.hasObject("zpart"));
    EXPECT_EQ(list.getObject("zpart"), part);
}

TEST(CoreTypes, ActionCallbacksAndEntityNames)
{
    Gui::ActionFunction functions(nullptr);
    QAction action(nullptr);
    action.setCheckable(true);
    int first = 0, second = 0, hovered = 0;
    std::vector<bool> toggles;
    functions.trigger(&action, [&] { ++first; });
    functions.trigger(&action, [&] { ++second; });   // replaces the first
    functions.toggle(&action, [&](bool on) { toggles.push_back(on); });
    functions.toggle(&action, [&](bool on) { toggles.push_back(on); });
    functions.hover(&action, [&] { ++hovered; });
    functions.hover(&action, [&] { ++hovered; });
    // One click runs the callback once, however often it was given.
    action.trigger();
    action.hover();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(toggles, std::vector<bool>{true});
    EXPECT_EQ(hovered, 1);

    EXPECT_EQ(Gui::entity_subelement_name(1, 7), "Vert7");
    EXPECT_EQ(Gui::entity_type_name(1), "Vertex");
    EXPECT_EQ(Gui::entity_subelement_name(4, 12), "Body1");
    EXPECT_EQ(Gui::entity_subelement_name(3, -2), "Face-2");
    EXPECT_EQ(Gui::entity_subelement_name(9, 1), "");
    EXPECT_EQ(Gui::entity_type_name(0), "Undefined");
}
