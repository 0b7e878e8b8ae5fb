// The logic's geometry scoping and object-choice properties: values, texts and the
// change notifications their owners raise.

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/PropertyAdvEnum2.h>
#include <obj/PropertySelection.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ChoiceProject : ::testing::Test
{
    ChoiceProject()
    {
        Obj::Application::init_types();
        shaft = project.add_object("Obj::GeometryObject", "Shaft");
        hub = project.add_object("Obj::GeometryObject", "Hub");
        holder = project.add_object("Obj::ProjectObject", "Holder");
        watch = project.signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { changed.push_back(p.get_name()); });
    }
    Obj::Project project;
    Obj::ProjectObject* shaft = nullptr;
    Obj::ProjectObject* hub = nullptr;
    Obj::ProjectObject* holder = nullptr;
    std::vector<std::string> changed;
    boost::signals2::scoped_connection watch;
};

} // namespace

TEST_F(ChoiceProject, ScopingKeepsOneObjectPerNameAndReadsBackItsText)
{
    auto* scope = static_cast<Obj::PropertySelection*>(holder->add_property("Obj::PropertySelection", "Scope"));
    ASSERT_TRUE(scope);
    EXPECT_STREQ(scope->get_editor_name(), "Gui::PropertyOperator::PropertySelectionItem");
    EXPECT_FALSE(scope->isValidSelection());
    EXPECT_FALSE(scope->set_values({shaft}, {"Face1", "Face2"}));
    EXPECT_TRUE(changed.empty());
    EXPECT_TRUE(scope->set_values({shaft, hub}, {"Face1", "Edge2"}));
    EXPECT_EQ(changed, std::vector<std::string>{"Scope"});
    EXPECT_TRUE(scope->isValidSelection());
    const std::string text = scope->get_value_text();
    EXPECT_EQ(text, std::to_string(shaft->getObjectId()) + ":Face1;" + std::to_string(hub->getObjectId()) + ":Edge2");

    auto* copy = static_cast<Obj::PropertySelection*>(holder->add_property("Obj::PropertySelection", "Copy"));
    ASSERT_TRUE(copy->set_value_text(text));
    EXPECT_EQ(copy->get_values(), scope->get_values());
    EXPECT_EQ(copy->get_sub_values(), scope->get_sub_values());
    // An id wider than ids are must not wrap round onto another object.
    const std::string wrapped = std::to_string(shaft->getObjectId() + (1ull << 32)) + ":Face1";
    for (const std::string bad : {"x:Face1", "999:Face1", "1:", "Face1", "1x:Face1", "-1:Face1", wrapped.c_str()})
        EXPECT_FALSE(copy->set_value_text(bad)) << bad;
    EXPECT_EQ(copy->size(), 2u);
    EXPECT_TRUE(copy->set_value_text(""));
    EXPECT_EQ(copy->size(), 0u);
}

TEST_F(ChoiceProject, ObjectChoiceOffersTheProjectsObjectsOfItsTypeByName)
{
    auto* target = static_cast<Obj::PropertyAdvEnum*>(holder->add_property("Obj::PropertyAdvEnum", "Target"));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->get_enums(), nullptr) << "no type: nothing on offer";
    target->set_object_type("Obj::GeometryObject");
    EXPECT_EQ(target->get_enum_list(), (std::vector<std::string>{"Shaft", "Hub"}));
    EXPECT_EQ(target->get_num_of_objects(), 2);
    const char** names = target->get_enums();
    ASSERT_TRUE(names);
    EXPECT_STREQ(names[1], "Hub");
    EXPECT_EQ(names[2], nullptr);

    EXPECT_TRUE(target->set_value_text("Hub"));
    EXPECT_EQ(target->get_value(), 1);
    EXPECT_EQ(target->get_value_text(), "Hub");
    EXPECT_EQ(changed, std::vector<std::string>{"Target"});
    for (const char* bad : {"Nope", "2", "-1", ""})
        EXPECT_FALSE(target->set_value_text(bad)) << bad;
    EXPECT_EQ(target->get_value(), 1);
    EXPECT_TRUE(target->set_value_text("0"));
    EXPECT_EQ(target->get_value_as_string(), "Shaft");

    auto* twin = holder->add_property("Obj::PropertyAdvEnum2", "Twin");
    ASSERT_TRUE(twin);
    EXPECT_STREQ(twin->get_editor_name(), "Gui::PropertyOperator::PropertyAdvEnumItem2");
}
