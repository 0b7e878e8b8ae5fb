// The property family of the logic: values, texts, ranges, status bits, the container's
// queries and change notifications, and saving and resuming through project files.

#include <obj/Application.h>
#include <obj/Property.h>
#include <obj/ProjectObject.h>
#include <vexil/Persistence.h>

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <string>
#include <vector>

namespace {

// A container that declares a few properties and journals what it is told.
class Holder : public Obj::PropertyContainer
{
public:
    Holder()
    {
        auto* flag = new Obj::PropertyBoolean;
        flag->set_value(true);
        flag->set_object_status(Obj::Property::Hidden, true);
        Flag = static_cast<Obj::PropertyBoolean*>(
            table.add_property(this, flag, "Flag", "Definition", 8, "A flag."));
        Mode = static_cast<Obj::PropertyEnumType*>(table.add_property(this, new Obj::PropertyEnumType, "Mode"));
        Mode->set_enums(modes);
        Level = static_cast<Obj::PropertyRangeSlider*>(table.add_property(this, new Obj::PropertyRangeSlider, "Level"));
        Level->set_ranges(0, 100);
        Tint = static_cast<Obj::PropertyColor*>(table.add_property(this, new Obj::PropertyColor, "Tint"));
        Place = static_cast<Obj::PropertySpaceLocation*>(
            table.add_property(this, new Obj::PropertySpaceLocation, "Spatial Parameters"));
        Colors = static_cast<Obj::PropertyColorArray*>(table.add_property(this, new Obj::PropertyColorArray, "Colors"));
        Level->set_read_only(true);
        events.clear();
    }
    void on_change_before(const Obj::Property* p) override { events.push_back(std::string("before ") + p->get_name()); }
    void on_changed(const Obj::Property* p) override { events.push_back(std::string("after ") + p->get_name()); }

    static const char* modes[];
    Obj::PropertyCoreData table;
    Obj::PropertyBoolean* Flag;
    Obj::PropertyEnumType* Mode;
    Obj::PropertyRangeSlider* Level;
    Obj::PropertyColor* Tint;
    Obj::PropertySpaceLocation* Place;
    Obj::PropertyColorArray* Colors;
    std::vector<std::string> events;
};
const char* Holder::modes[] = {"Shaded + Wireframe", "Shaded", "Wireframe", nullptr};

} // namespace

TEST(Properties, ContainerAnswersByNameAndByPropertyAndTellsBeforeAndAfter)
{
    Holder h;
    EXPECT_STREQ(h.get_property_group("Flag"), "Definition");
    EXPECT_STREQ(h.get_property_description(h.Flag), "A flag.");
    EXPECT_EQ(h.get_property_type("Flag"), 8);
    EXPECT_TRUE(h.is_hidden("Flag"));
    EXPECT_FALSE(h.is_hidden(h.Mode));
    EXPECT_TRUE(h.is_read_only("Level"));
    EXPECT_FALSE(h.is_read_only("Nothing"));
    EXPECT_EQ(h.get_property_name(h.Tint), std::string("Tint"));
    EXPECT_EQ(h.table.get_declared_names().size(), 6u);

    Obj::PropertyContainer::PropertyMap all;
    h.get_property_dataset(all);
    EXPECT_EQ(all.size(), 6u);
    EXPECT_EQ(all.at("Spatial Parameters"), h.Place);

    h.Flag->set_value(false);
    EXPECT_EQ(h.events, (std::vector<std::string>{"before Flag", "after Flag"}));

    // A name already in use is refused and the new property is not leaked into the list.
    EXPECT_EQ(h.table.add_property(&h, new Obj::PropertyBoolean, "Flag"), nullptr);
    EXPECT_EQ(h.get_properties().size(), 6u);
}

TEST(Properties, LargeContainersFindEveryNameAndRefuseDuplicates)
{
    Obj::PropertyCoreData table;
    Obj::PropertyContainer c;
    std::vector<Obj::Property*> added;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "P" + std::to_string(i);
        added.push_back(table.add_property(&c, new Obj::PropertyInteger, name.c_str()));
        ASSERT_NE(added.back(), nullptr) << name;
        // Every name so far is found, before and after the container grows large.
        for (int j = 0; j <= i; ++j)
            ASSERT_EQ(c.get_property_by_name(("P" + std::to_string(j)).c_str()), added[j]) << i << " " << j;
        EXPECT_EQ(table.add_property(&c, new Obj::PropertyString, name.c_str()), nullptr);
    }
    EXPECT_EQ(std::vector<Obj::Property*>(c.get_properties().begin(), c.get_properties().end()), added);
    EXPECT_EQ(c.get_property_by_name("P40"), nullptr);
    EXPECT_EQ(c.get_property_by_name(nullptr), nullptr);
}

// Properties that are members of their object sit in the list among owned ones, early
// and past the first 32, and the container (destroyed after them) never deletes them.
TEST(Properties, MemberPropertiesAreListedInOrderAndNeverDeletedByTheContainer)
{
    struct Mixed : Obj::PropertyContainer
    {
        Mixed()
        {
            EXPECT_EQ(table.add_member_property(this, first, "First", "Base", 8, "Held in place."), &first);
            for (int i = 0; i < 34; ++i)
                table.add_property(this, new Obj::PropertyInteger, ("P" + std::to_string(i)).c_str());
            EXPECT_EQ(table.add_member_property(this, late, "Late"), &late);
            table.add_property(this, new Obj::PropertyString, "Tail");
            // A taken name lists nothing and leaves the property alone.
            EXPECT_EQ(table.add_member_property(this, spare, "First"), nullptr);
        }
        void on_changed(const Obj::Property* p) override { changed.push_back(p->get_name()); }
        Obj::PropertyCoreData table;
        Obj::PropertyString first;
        Obj::PropertyInteger late;
        Obj::PropertyString spare;
        std::vector<std::string> changed;
    };
    auto mixed = std::make_unique<Mixed>();
    const Obj::PropertyList& list = mixed->get_properties();
    ASSERT_EQ(list.size(), 37u);
    EXPECT_EQ(list.front(), &mixed->first);
    EXPECT_EQ(list[35], &mixed->late);
    EXPECT_STREQ(list.back()->get_name(), "Tail");
    EXPECT_EQ(mixed->get_property_by_name("Late"), &mixed->late);
    EXPECT_STREQ(mixed->get_property_group("First"), "Base");
    EXPECT_STREQ(mixed->get_property_description(&mixed->first), "Held in place.");
    EXPECT_EQ(mixed->get_property_type("First"), 8);
    EXPECT_EQ(mixed->spare.get_container(), nullptr);
    mixed->late.set_value(5);
    mixed->spare.set_value("x");
    EXPECT_EQ(mixed->changed, std::vector<std::string>{"Late"});
    mixed.reset();   // a member deleted by the container would abort here

    // An object's own label and visibility come first and go with it.
    auto object = std::make_unique<Obj::ProjectObject>();
    ASSERT_EQ(object->get_properties().size(), 2u);
    EXPECT_STREQ(object->get_properties()[1]->get_name(), "Visibility");
    EXPECT_EQ(object->get_properties()[1]->get_value_text(), "True");
    object->add_property("Obj::PropertyDecimal", "Extra");
    object.reset();
}

TEST(Properties, GroupsAndDescriptionsOutliveTheCallersTextAndStayPerDeclaration)
{
    Obj::PropertyCoreData table;
    Obj::PropertyContainer first;
    Obj::PropertyContainer second;
    std::string group = "Display";
    std::string description = "How it is drawn.";
    Obj::Property* p1 = table.add_property(&first, new Obj::PropertyBoolean, "Shown", group.c_str(), 0,
                                           description.c_str());
    group.assign("XXXXXXX");
    description.assign("overwritten overwritten");
    Obj::Property* p2 = table.add_property(&second, new Obj::PropertyBoolean, "Shown", "Other", 0, nullptr);
    ASSERT_TRUE(p1 && p2);
    EXPECT_STREQ(p1->get_associated_group(), "Display");
    EXPECT_STREQ(p1->get_description(), "How it is drawn.");
    EXPECT_STREQ(p2->get_associated_group(), "Other");
    EXPECT_STREQ(p2->get_description(), "");
    EXPECT_EQ(table.get_declared_names(), (std::vector<std::string>{"Shown"}));

    // A feeder type given as a temporary text stays readable.
    Obj::ProjectObject object;
    object.set_feeder_type_name(std::string("Gui::ViewFeeder") + "Somewhere");
    EXPECT_STREQ(object.get_feeder_type_name(), "Gui::ViewFeederSomewhere");
}

TEST(Properties, EnumerationsRangesAndColoursKeepTheirValuesSound)
{
    Holder h;
    h.Mode->set_value("Wireframe");
    EXPECT_EQ(h.Mode->get_value(), 2);
    EXPECT_STREQ(h.Mode->get_value_as_string(), "Wireframe");
    h.Mode->set_value("Hidden line");   // unknown name: unchanged, and nobody told
    EXPECT_EQ(h.Mode->get_value(), 2);
    EXPECT_FALSE(h.Mode->set_value_text("7"));
    EXPECT_TRUE(h.Mode->set_value_text("1"));
    EXPECT_EQ(h.Mode->get_value_text(), "Shaded");
    EXPECT_EQ(h.Mode->get_enum_list().size(), 3u);

    h.Level->set_value(150);
    EXPECT_EQ(h.Level->get_value(), 100);
    h.Level->set_value(-3);
    EXPECT_EQ(h.Level->get_value(), 0);
    ASSERT_NE(h.Level->get_ranges(), nullptr);
    EXPECT_EQ(h.Level->get_ranges()->maximum, 100);
    Obj::PropertyRangeSlider unranged;
    EXPECT_EQ(unranged.get_ranges(), nullptr);

    // Colour texts read back exactly, also where the C library's locale uses commas.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    h.Tint->set_value(0.1f, 0.2f, 1.0f / 3.0f, 0.5f);
    Obj::Color back;
    EXPECT_TRUE(back.fromText(h.Tint->get_value_text()));
    EXPECT_EQ(back, h.Tint->get_value());
    EXPECT_TRUE(back.fromText("(1, 0, 0)"));
    EXPECT_EQ(back, Obj::Color(1, 0, 0, 0));
    for (const char* bad : {"", "1,2", "red,green,blue", "1,2,3,4,5", "1,,3"})
        EXPECT_FALSE(h.Tint->set_value_text(bad)) << bad;
    std::setlocale(LC_NUMERIC, saved.c_str());

    Obj::Color random;
    random.setRandomType();
    EXPECT_GT(random.r + random.g + random.b, 0.5f);
    for (float c : {random.r, random.g, random.b}) {
        EXPECT_GE(c, 0.0f);
        EXPECT_LE(c, 1.0f);
    }
}

TEST(Properties, SavedValuesResumeIntoAFreshContainerAndBadEntriesAreSkipped)
{
    Holder a;
    a.Flag->set_value(false);
    a.Mode->set_value("Shaded");
    a.Tint->set_value(0.25f, 0.5f, 0.75f, 0.0f);
    a.Place->set_value(Vexil::SpaceLocation(Vexil::Vector3d(1.5, -2, 1e-9), Vexil::SpaceRotation(90, 0, 0, 1)));
    a.Colors->set_values({Obj::Color(1, 0, 0), Obj::Color(0, 1, 0)});
    Vexil::Hdf5FileWriter writer("unused.pmdb");
    a.save(writer, "Feeder7");
    writer.write("Feeder7/Tint", "not a colour");

    Holder b;
    const Obj::Color before = b.Tint->get_value();
    Vexil::Hdf5FileReader reader(writer);
    b.resume(reader, "Feeder7");
    EXPECT_FALSE(b.Flag->get_value());
    EXPECT_EQ(b.Mode->get_value(), 1);
    EXPECT_EQ(b.Tint->get_value(), before);
    EXPECT_EQ(b.Place->get_value(), a.Place->get_value());
    EXPECT_EQ(b.Colors->get_values(), a.Colors->get_values());
    // Another group reads nothing.
    Holder c;
    c.resume(reader, "Feeder8");
    EXPECT_TRUE(c.events.empty());
}
