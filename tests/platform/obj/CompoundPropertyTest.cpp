// Vectors, component properties, paths, links and lists of the logic: the texts the
// property editor sends are read back exactly, and bad texts are refused unchanged.

#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/PropertyCouple.h>
#include <obj/PropertyDecimalVector.h>
#include <obj/PropertyPath.h>
#include <obj/PropertyStringList.h>
#include <obj/PropertyVector.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

class CompoundProperties : public ::testing::Test
{
protected:
    CompoundProperties()
    {
        project = logic.app().create_project("P");
        a = project->add_object("Obj::ProjectObject", "A");
        b = project->add_object("Obj::ProjectObject", "B");
        project->signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { changed.push_back(p.get_name()); });
    }
    template <class T>
    T* add(const char* name)
    {
        return static_cast<T*>(table.add_property(a, new T(), name, "Definition"));
    }

    PelmoraTest::ScopedLogic logic;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* a = nullptr;
    Obj::ProjectObject* b = nullptr;
    Obj::PropertyCoreData table;
    std::vector<std::string> changed;
};

} // namespace

TEST_F(CompoundProperties, DecimalVectorComponentsAreReachedByDottedNameAndAnnouncedOnChange)
{
    auto* v = add<Obj::PropertyDecimalVector>("Origin");
    Obj::Property* x = a->get_property_by_name("Origin.x");
    ASSERT_EQ(x, v->getXPtr());
    EXPECT_EQ(a->get_property_by_name("Origin.w"), nullptr);
    EXPECT_EQ(a->get_property_by_name("Label.x"), nullptr);
    EXPECT_STREQ(a->get_property_name(v->getZPtr()), "Origin.z");
    EXPECT_EQ(v->getYPtr()->get_container(), a);

    ASSERT_TRUE(x->set_value_text("1.23457e8"));
    EXPECT_EQ(changed, std::vector<std::string>{"Origin.x"});
    ASSERT_TRUE(v->set_value_text("(1.5, -2, 3e-7)"));
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(1.5, -2, 3e-7));
    const std::string text = v->get_value_text();
    v->getXPtr()->set_value(0.0);
    ASSERT_TRUE(v->set_value_text(text));
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(1.5, -2, 3e-7));

    // A component is read-only with its vector.
    v->set_read_only(true);
    EXPECT_TRUE(a->is_read_only(v->getXPtr()));
}

TEST_F(CompoundProperties, VectorTextsReadBackAndBadOnesAreRefusedUnchanged)
{
    auto* v = add<Obj::PropertyVector>("Direction");
    ASSERT_TRUE(v->set_value_text("(1.00, 5.00, 3.00)"));
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(1, 5, 3));
    ASSERT_TRUE(v->set_value_text(v->get_value_text()));
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(1, 5, 3));
    for (const char* bad : {"(1, 2)", "(1, 2, 3, 4)", "(1,5, 2, 3)x", "(a, b, c)", ""})
        EXPECT_FALSE(v->set_value_text(bad)) << bad;
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(1, 5, 3));

    // The largest doubles are written so that they read back: 15 digits round them beyond.
    const double most = std::numeric_limits<double>::max();
    v->set_value(most, -most, 4.9e-324);
    ASSERT_TRUE(v->set_value_text(v->get_value_text())) << v->get_value_text();
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(most, -most, 4.9e-324));
}

TEST_F(CompoundProperties, QuotedPathsAndEscapedListEntriesSurviveTheirTexts)
{
    auto* dir = add<Obj::PropertyDirectory>("Folder");
    ASSERT_TRUE(dir->set_value_text("\"/tmp/a\\\"b\\,c\\\\d e\""));
    EXPECT_EQ(dir->get_value(), "/tmp/a\"b,c\\d e");
    ASSERT_TRUE(dir->set_value_text(dir->get_value_text()));
    EXPECT_EQ(dir->get_value(), "/tmp/a\"b,c\\d e");

    auto* names = add<Obj::PropertyStringList>("Names");
    ASSERT_TRUE(names->set_value_text("[unicode('it\\'s', 'utf-8'),unicode('a\\,b', 'utf-8'),unicode('c\\\\d', 'utf-8'),]"));
    EXPECT_EQ(names->get_values(), (std::vector<std::string>{"it's", "a,b", "c\\d"}));
    ASSERT_TRUE(names->set_value_text(names->get_value_text()));
    EXPECT_EQ(names->get_values(), (std::vector<std::string>{"it's", "a,b", "c\\d"}));
    EXPECT_FALSE(names->set_value_text("[unicode('open, 'utf-8'),]"));
    EXPECT_FALSE(names->set_value_text("no brackets"));
    // Blanks that start an entry, or make it up, are kept as well.
    const std::vector<std::string> blanks{" lead", " ", "\tx", "", "tail "};
    names->set_values(blanks);
    ASSERT_TRUE(names->set_value_text(names->get_value_text()));
    EXPECT_EQ(names->get_values(), blanks) << names->get_value_text();

    auto* numbers = add<Obj::PropertyDecimalList>("Numbers");
    ASSERT_TRUE(numbers->set_value_text("[1,2.5,]"));
    EXPECT_EQ(numbers->get_values(), (std::vector<double>{1, 2.5}));
    EXPECT_FALSE(numbers->set_value_text("[1,x,]"));
    EXPECT_EQ(numbers->get_values(), (std::vector<double>{1, 2.5}));
}

TEST_F(CompoundProperties, LinkFollowsItsObjectAndRefusesUnknownOnes)
{
    auto* link = add<Obj::PropertyCouple>("Target");
    EXPECT_EQ(link->get_value(), nullptr);
    const std::string idB = std::to_string(b->getObjectId());
    ASSERT_TRUE(link->set_value_text("[P," + idB + ",]"));
    EXPECT_EQ(link->get_value(), b);
    EXPECT_EQ(link->get_value_text(), "[P," + idB + ",]");

    EXPECT_FALSE(link->set_value_text("[P,999,]"));
    EXPECT_FALSE(link->set_value_text("[Nowhere," + idB + ",]"));
    EXPECT_FALSE(link->set_value_text("[P,-1,]"));
    EXPECT_EQ(link->get_value(), b);

    // Renaming the project keeps a link within it, under the new name.
    logic.app().rename_project("P", "Renamed");
    EXPECT_EQ(link->get_value(), b);
    EXPECT_EQ(link->get_value_text(), "[Renamed," + idB + ",]");
    ASSERT_TRUE(link->set_value_text(link->get_value_text()));
    EXPECT_EQ(link->get_value(), b);

    // A removed object reads back as no link, never as a dangling pointer.
    project->remove_object(b->getObjectId());
    EXPECT_EQ(link->get_value(), nullptr);
    EXPECT_EQ(link->get_value_text(), "[]");
    ASSERT_TRUE(link->set_value_text("[Renamed,Null,]"));
    EXPECT_EQ(link->get_value(), nullptr);
}
