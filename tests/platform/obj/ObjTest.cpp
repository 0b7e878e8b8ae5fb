// The application logic stand-in: types, projects, objects, properties, paths,
// preference groups and filter tables.

#include "support/ConsoleCapture.h"
#include "support/TestEnvironment.h"
#include "support/ThreadCpuTimer.h"

#include <obj/Application.h>
#include <obj/ObjectTable.h>
#include <pmmat/MaterialManager.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/TypeInfo.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using PelmoraTest::ScopedLogic;

namespace {

// The group's members as a plain list, for comparing with the expected one.
std::vector<Obj::ProjectObject*> membersOf(const Obj::ProjectObjectGroup* group)
{
    const auto& members = group->get_objects();
    return {members.begin(), members.end()};
}

// Collects signal names with the key of their argument, in arrival order.
struct Recorder
{
    std::vector<std::string> events;
    void watch(Obj::Application& app)
    {
        app.signal_new_project.connect([this](const Obj::Project& p) { add("new", p.get_name()); });
        app.signal_remove_project.connect([this](const Obj::Project& p) { add("remove", p.get_name()); });
        app.signal_current_project.connect([this](const Obj::Project& p) { add("current", p.get_name()); });
        app.signal_rename_project.connect([this](const Obj::Project& p) { add("rename", p.get_name()); });
        app.signal_relabel_project.connect([this](const Obj::Project& p) { add("relabel", p.getProjectName()); });
        app.signal_object_removed.connect([this](const Obj::ProjectObject& o) { add("app-removed", o.get_name()); });
        app.signal_object_renamed.connect([this](const Obj::ProjectObject& o) { add("app-renamed", o.get_label()); });
    }
    void watch(Obj::Project& p)
    {
        p.signal_create_object.connect([this](const Obj::ProjectObject& o) { add("create", o.get_name()); });
        p.signal_remove_object.connect([this](const Obj::ProjectObject& o) { add("remove-object", o.get_name()); });
        p.signal_change_object.connect([this](const Obj::ProjectObject& o, const Obj::Property& prop) {
            add("change", std::string(o.get_name()) + "." + prop.get_name());
        });
        p.signal_rename_object.connect([this](const Obj::ProjectObject& o) { add("rename-object", o.get_label()); });
        p.signal_activate_object.connect([this](const Obj::ProjectObject& o) { add("activate", o.get_name()); });
    }
    void add(const char* what, const std::string& key) { events.push_back(std::string(what) + ":" + key); }
};

using Events = std::vector<std::string>;

} // namespace

TEST(ObjTypes, RegisteredOnceAndBuiltByName)
{
    ScopedLogic logic;
    const int types = Vexil::TypeInfo::get_num_types();
    {
        ScopedLogic second;   // a second construction registers nothing new
        EXPECT_EQ(types, Vexil::TypeInfo::get_num_types());
    }
    const Vexil::TypeInfo base = Vexil::TypeInfo::get_type_from_name("Obj::ProjectObject");
    ASSERT_FALSE(base.is_sick());
    for (const char* name : {"Obj::AnnotationFiducial", "Obj::AnnotationRuler", "Obj::AnnotationROI",
                             "Obj::ProjectObjectGroup", "Obj::AnnotationsGroup"}) {
        EXPECT_TRUE(Vexil::TypeInfo::get_type_from_name(name).is_inherited_from(base)) << name;
    }
    EXPECT_TRUE(Vexil::TypeInfo::get_type_from_name("Obj::PropertyDecimal")
                    .is_inherited_from(Vexil::TypeInfo::get_type_from_name("Obj::Property")));
    EXPECT_FALSE(Vexil::TypeInfo::get_type_from_name("Obj::Project").is_inherited_from(base));
}

TEST(ObjProjects, CreateNamesAndSignals)
{
    Recorder rec;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    rec.watch(app);

    Obj::Project* a = app.create_project("Part", "My part");
    Obj::Project* b = app.create_project("Part", nullptr);
    Obj::Project* c = app.create_project("Unnamed Project", "Unnamed Project");
    ASSERT_TRUE(a && b && c);
    EXPECT_STREQ("Part", a->get_name());
    EXPECT_STREQ("My part", a->getProjectName());
    EXPECT_STREQ("Part001", b->get_name());
    EXPECT_STREQ("Part001", b->getProjectName());   // the label defaults to the name
    EXPECT_STREQ("Unnamed_Project", c->get_name());
    EXPECT_EQ("Part002", app.get_unique_project_name("Part"));
    EXPECT_STREQ("FemGui::ViewFeederProjectFem", a->get_feeder_type_name());
    EXPECT_STREQ("Label", a->get_properties().front()->get_name());
    EXPECT_EQ(c, app.get_current_project());
    EXPECT_EQ((std::vector<Obj::Project*>{a, b, c}), app.get_projects());
    EXPECT_EQ((Events{"new:Part", "current:Part", "new:Part001", "current:Part001",
                      "new:Unnamed_Project", "current:Unnamed_Project"}),
              rec.events);
    EXPECT_LT(a->getProjectId(), b->getProjectId());

    rec.events.clear();
    app.rename_project("Part001", "Unnamed Project");   // taken: gets a unique name
    EXPECT_EQ(nullptr, app.get_project("Part001"));
    EXPECT_EQ(b, app.get_project("Unnamed_Project001"));
    app.relabel_project("Part", "Shown");
    EXPECT_STREQ("Shown", a->getProjectName());
    EXPECT_EQ((Events{"rename:Unnamed_Project001", "relabel:Shown"}), rec.events);
    EXPECT_THROW(app.rename_project("Nope", "X"), Vexil::ExceptionHandler);
    EXPECT_THROW(app.relabel_project("Nope", "X"), Vexil::ExceptionHandler);
}

TEST(ObjProjects, CloseRaisesRemoveBeforeDeleteAndMovesCurrent)
{
    Recorder rec;
    bool aliveInSlot = false;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    app.create_project("A");
    app.create_project("B");
    rec.watch(app);
    app.signal_remove_project.connect([&](const Obj::Project& p) {
        aliveInSlot = app.get_project(p.get_name()) == &p && std::string(p.getProjectName()) == "B";
    });

    EXPECT_TRUE(app.close_project("B"));
    EXPECT_TRUE(aliveInSlot);
    EXPECT_EQ((Events{"remove:B", "current:A"}), rec.events);
    EXPECT_EQ(app.get_project("A"), app.get_current_project());

    rec.events.clear();
    EXPECT_FALSE(app.close_project("B"));
    EXPECT_FALSE(app.close_project(nullptr));
    EXPECT_TRUE(rec.events.empty());

    EXPECT_TRUE(app.close_project("A"));
    EXPECT_EQ(nullptr, app.get_current_project());
    EXPECT_TRUE(app.get_projects().empty());
}

TEST(ObjProjects, DestructorClosesEveryProjectWithSignals)
{
    Recorder rec;
    {
        ScopedLogic logic;
        logic.app().create_project("A");
        logic.app().create_project("B");
        rec.watch(logic.app());
    }
    EXPECT_EQ((Events{"remove:A", "remove:B"}), rec.events);
    EXPECT_EQ(nullptr, Obj::Application::_pcSingleton);
}

TEST(ObjObjects, AddByTypeNameWithIdsNamesAndFeeders)
{
    Recorder rec;
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    rec.watch(*p);

    Obj::ProjectObject* f1 = p->add_object("Obj::AnnotationFiducial");
    Obj::ProjectObject* f2 = p->add_object("Obj::AnnotationFiducial");
    Obj::ProjectObject* g = p->add_object("Obj::ProjectObjectGroup", "Group");
    Obj::ProjectObject* plain = p->add_object("Obj::ProjectObject", "Thing");
    ASSERT_TRUE(f1 && f2 && g && plain);
    EXPECT_EQ(nullptr, p->add_object("Obj::Project"));           // not a project object
    EXPECT_EQ(nullptr, p->add_object("Obj::PropertyString"));
    EXPECT_EQ(nullptr, p->add_object("No::SuchType"));
    EXPECT_EQ(nullptr, p->add_object(nullptr));

    EXPECT_STREQ("AnnotationFiducial", f1->get_name());
    EXPECT_STREQ("AnnotationFiducial001", f2->get_name());
    EXPECT_STREQ("AnnotationFiducial001", f2->get_label());
    EXPECT_EQ(f1->getObjectId() + 1, f2->getObjectId());
    EXPECT_EQ(p, f1->get_project());
    EXPECT_STREQ("Gui::ViewFeederAnnotationFiducial", f1->get_feeder_type_name());
    EXPECT_STREQ("Gui::ViewFeederProjectObjectGroup", g->get_feeder_type_name());
    EXPECT_STREQ("Gui::ViewFeederProjectObject", plain->get_feeder_type_name());
    EXPECT_STREQ("Label", plain->get_properties().front()->get_name());
    auto* vis = dynamic_cast<Obj::PropertyBoolean*>(plain->get_property_by_name("Visibility"));
    ASSERT_NE(nullptr, vis);
    EXPECT_TRUE(vis->get_value());

    EXPECT_EQ(4u, p->get_num_objects());
    EXPECT_EQ(f2, p->get_object(f2->getObjectId()));
    EXPECT_EQ(g, p->get_object("Group"));
    EXPECT_EQ(nullptr, p->get_object(999u));
    EXPECT_EQ(2u, p->get_objects(Vexil::TypeInfo::get_type_from_name("Obj::AnnotationFiducial")).size());
    EXPECT_EQ((Events{"create:AnnotationFiducial", "create:AnnotationFiducial001", "create:Group",
                      "create:Thing"}),
              rec.events);
}

TEST(ObjObjects, FreedNamesAreReusedAndStatusIsAnnouncedOnlyInAContainer)
{
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    Obj::ProjectObject* first = p->add_object("Obj::ProjectObject", "Thing");
    Obj::ProjectObject* second = p->add_object("Obj::ProjectObject", "Thing");
    ASSERT_TRUE(first && second);
    EXPECT_STREQ("Thing001", second->get_name());
    p->remove_object(first->getObjectId());
    EXPECT_EQ(nullptr, p->get_object("Thing"));
    Obj::ProjectObject* again = p->add_object("Obj::ProjectObject", "Thing");
    EXPECT_STREQ("Thing", again->get_name());
    EXPECT_EQ(again, p->get_object("Thing"));
    EXPECT_EQ(second, p->get_object("Thing001"));
    EXPECT_STREQ("Thing002", p->add_object("Obj::ProjectObject", "Thing")->get_name());

    std::vector<std::string> announced;
    logic.app().signal_property_status.connect(
        [&announced](const Obj::Property& prop) { announced.push_back(prop.get_name()); });
    Obj::PropertyBoolean loose;
    loose.set_read_only(true);
    again->get_property_by_name("Visibility")->set_object_status(Obj::Property::Hidden, true);
    EXPECT_EQ((std::vector<std::string>{"Visibility"}), announced);
}

// Thousands of names, with many removed from the middle of runs of colliding ones: every
// name still present is found, every removed one is gone and is handed out again.
TEST(ObjObjects, NamesStayFoundThroughManyRemovals)
{
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    std::vector<Obj::ProjectObject*> made;
    for (int i = 0; i < 3000; ++i)
        made.push_back(p->add_object("Obj::ProjectObject", i % 2 ? "Odd" : ("N" + std::to_string(i)).c_str()));
    for (std::size_t i = 0; i < made.size(); i += 3)
        p->remove_object(made[i]->getObjectId());
    for (std::size_t i = 0; i < made.size(); ++i) {
        if (i % 3 == 0)
            continue;
        EXPECT_EQ(made[i], p->get_object(made[i]->get_name())) << made[i]->get_name();
    }
    EXPECT_EQ(nullptr, p->get_object("N0"));
    EXPECT_EQ(nullptr, p->get_object("Odd001"));
    EXPECT_STREQ("N0", p->add_object("Obj::ProjectObject", "N0")->get_name());
    EXPECT_EQ(2001u, p->get_num_objects());

    // A slot that removes another object and adds one while an object goes.
    Obj::ProjectObject* partner = p->get_object("N2");
    bool once = false;
    p->signal_remove_object.connect([&](const Obj::ProjectObject& o) {
        if (once || std::string(o.get_name()) != "N4")
            return;
        once = true;
        p->remove_object(partner->getObjectId());
        p->add_object("Obj::ProjectObject", "Late");
    });
    EXPECT_TRUE(p->remove_object(p->get_object("N4")->getObjectId()));
    EXPECT_EQ(nullptr, p->get_object("N4"));
    EXPECT_EQ(nullptr, p->get_object("N2"));
    ASSERT_NE(nullptr, p->get_object("Late"));
    EXPECT_EQ(2000u, p->get_num_objects());
}

TEST(ObjObjects, ChangeRenameRemoveAndActivateSignals)
{
    Recorder rec;
    std::string labelDuringRemove;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    Obj::Project* p = app.create_project("P");
    Obj::ProjectObject* o = p->add_object("Obj::AnnotationRuler", "Ruler");
    rec.watch(app);
    rec.watch(*p);

    static_cast<Obj::PropertyBoolean*>(o->get_property_by_name("Visibility"))->set_value(false);
    o->set_label("Length");
    p->activate_object(o->getObjectId());
    EXPECT_EQ(o, p->get_current_object());
    EXPECT_EQ((Events{"change:Ruler.Visibility", "change:Ruler.Label", "rename-object:Length",
                      "app-renamed:Length", "activate:Ruler"}),
              rec.events);

    rec.events.clear();
    p->signal_remove_object.connect([&](const Obj::ProjectObject& obj) { labelDuringRemove = obj.get_label(); });
    EXPECT_TRUE(p->remove_object(o->getObjectId()));
    EXPECT_EQ("Length", labelDuringRemove);
    EXPECT_EQ((Events{"remove-object:Ruler", "app-removed:Ruler"}), rec.events);
    EXPECT_EQ(nullptr, p->get_current_object());
    EXPECT_EQ(nullptr, p->get_object("Ruler"));
    EXPECT_FALSE(p->remove_object(12345));
}

// Objects stay listed in id order and found by id while most go from the front, from the
// back and from inside their own removal signal, with holes left between them.
TEST(ObjObjects, IdOrderAndLookUpSurviveRemovalsFromEitherEnd)
{
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    std::vector<unsigned int> ids;
    for (int i = 0; i < 600; ++i)
        ids.push_back(p->add_object("Obj::ProjectObject")->getObjectId());
    std::vector<unsigned int> kept;
    auto check = [&](const char* when) {
        std::vector<unsigned int> listed;
        for (Obj::ProjectObject* o : p->get_objects())
            listed.push_back(o->getObjectId());
        EXPECT_EQ(kept, listed) << when;
        EXPECT_EQ(kept.size(), p->get_num_objects()) << when;
        for (unsigned int id : ids) {
            Obj::ProjectObject* o = p->get_object(id);
            const bool present = std::find(kept.begin(), kept.end(), id) != kept.end();
            ASSERT_EQ(present, o != nullptr) << when << " " << id;
            if (o) {
                ASSERT_EQ(id, o->getObjectId()) << when;
            }
        }
    };
    // The first half from the front and the last third from the back, every seventh kept.
    for (std::size_t i = 0; i < 300; ++i)
        if (i % 7 != 0)
            p->remove_object(ids[i]);
    for (std::size_t i = 599; i >= 400; --i)
        if (i % 7 != 0)
            p->remove_object(ids[i]);
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (i % 7 == 0 || (i >= 300 && i < 400))
            kept.push_back(ids[i]);
    check("after removals");
    ids.push_back(p->add_object("Obj::ProjectObject")->getObjectId());
    kept.push_back(ids.back());
    check("after adding");

    // An object removed again from inside its own removal signal, with another one.
    const unsigned int self = ids[350];
    const unsigned int other = kept.front();
    int raised = 0;
    p->signal_remove_object.connect([&](const Obj::ProjectObject& o) {
        if (o.getObjectId() != self || raised++)
            return;
        EXPECT_TRUE(p->remove_object(self));
        EXPECT_TRUE(p->remove_object(other));
    });
    EXPECT_TRUE(p->remove_object(self));
    EXPECT_FALSE(p->remove_object(self));
    kept.erase(std::find(kept.begin(), kept.end(), self));
    kept.erase(kept.begin());
    check("after removal from a slot");

    // Oldest first: the empty slots are all at the front.
    while (kept.size() > 20) {
        p->remove_object(kept.front());
        kept.erase(kept.begin());
    }
    check("after removals oldest first");
    for (unsigned int id : std::vector<unsigned int>(kept))
        p->remove_object(id);
    kept.clear();
    check("emptied");
    ids.push_back(p->add_object("Obj::ProjectObject")->getObjectId());
    kept.push_back(ids.back());
    check("refilled");
}

TEST(ObjObjects, GroupsForgetRemovedMembers)
{
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(p->add_object("Obj::AnnotationsGroup"));
    ASSERT_NE(nullptr, group);
    Obj::ProjectObject* a = p->add_object("Obj::AnnotationFiducial");
    Obj::ProjectObject* b = p->add_object("Obj::AnnotationROI");
    group->add_object(a);
    group->add_object(b);
    group->add_object(a);   // once only
    EXPECT_EQ(2u, group->get_objects().size());
    p->remove_object(a->getObjectId());
    ASSERT_EQ(1u, group->get_objects().size());
    EXPECT_EQ(b, group->get_objects().front());
    // Removing the group first, then its former member, touches nothing freed.
    p->remove_object(group->getObjectId());
    EXPECT_TRUE(p->remove_object(b->getObjectId()));
}

namespace {

// The member-list entries the groups step over while closing a project that holds one
// group of n members.
std::uint64_t entriesToCloseABigGroup(int n)
{
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("Big");
    auto* group = static_cast<Obj::ProjectObjectGroup*>(p->add_object("Obj::ProjectObjectGroup", "G"));
    for (int i = 0; i < n; ++i)
        group->add_object(p->add_object("Obj::ProjectObject", "O"));
    EXPECT_EQ(std::size_t(n), group->get_objects().size());
    const std::uint64_t before = Obj::ProjectObjectGroup::memberEntriesVisited();
    EXPECT_TRUE(logic.app().close_project("Big"));
    return Obj::ProjectObjectGroup::memberEntriesVisited() - before;
}

// The entries stepped over while deleting the members of a group of n points, from the
// last one back (the worst order for a list searched from its front), all but those
// whose index modulo 20,000 is 7; what is left is checked for its order.
struct Deleted
{
    std::uint64_t visited = 0;
    std::uint64_t slots = 0;   // the object table's slots and entries reached
    Obj::ProjectObjectGroup* group = nullptr;
    std::vector<Obj::ProjectObject*> kept;
};
Deleted entriesToDeleteTheMembers(ScopedLogic& logic, int n)
{
    Obj::Project* p = logic.app().create_project("Big");
    auto* group = static_cast<Obj::ProjectObjectGroup*>(p->add_object("Obj::AnnotationsGroup", "G"));
    std::vector<Obj::ProjectObject*> points;
    for (int i = 0; i < n; ++i) {
        points.push_back(p->add_object("Obj::AnnotationFiducial", "P"));
        group->add_object(points.back());
    }
    std::vector<Obj::ProjectObject*> kept;
    const std::uint64_t before = Obj::ProjectObjectGroup::memberEntriesVisited();
    const std::uint64_t slotsBefore = Obj::ObjectTable::slotsVisited();
    for (int i = n - 1; i >= 0; --i) {
        if (i % 20000 == 7)
            kept.insert(kept.begin(), points[std::size_t(i)]);
        else
            p->remove_object(points[std::size_t(i)]->getObjectId());
    }
    const std::uint64_t visited = Obj::ProjectObjectGroup::memberEntriesVisited() - before;
    const std::uint64_t slots = Obj::ObjectTable::slotsVisited() - slotsBefore;
    EXPECT_EQ(kept, membersOf(group)) << n;
    return {visited, slots, group, kept};
}

} // namespace

TEST(ObjObjects, ClosingAProjectWithABigGroupIsLinear)
{
    // Unlinking the members one by one from the back of the list, or listing the group
    // again after each, costs n^2/2 steps: for 160,000 members over ten billion.  Counted
    // as entries stepped over, closing four times the members costs about four times as
    // much, on every run and every machine.
    const int n = 10000;
    const std::uint64_t small = entriesToCloseABigGroup(n);
    const std::uint64_t big = entriesToCloseABigGroup(4 * n);
    std::printf("closing a project with a group of %d members: %llu entries, of %d: %llu\n", n,
                static_cast<unsigned long long>(small), 4 * n, static_cast<unsigned long long>(big));
    EXPECT_GE(small, std::uint64_t(n));   // each member is let go once
    // ...and read, dropped from the list and from the cached list a few times over.
    EXPECT_LE(small, std::uint64_t(6 * n));
    EXPECT_LE(double(big), 4.5 * double(small)) << small << " for " << n << ", " << big << " for " << 4 * n;
}

TEST(ObjObjects, DeletingTheMembersOfABigGroupIsLinearAndKeepsTheOrder)
{
    const int n = 15000;
    ScopedLogic logic;
    const Deleted few = entriesToDeleteTheMembers(logic, n);
    const std::uint64_t small = few.visited;
    EXPECT_TRUE(logic.app().close_project("Big"));
    const Deleted big = entriesToDeleteTheMembers(logic, 4 * n);
    // Searched from the front, the list takes n^2/2 steps (1.8 billion for 60,000); in
    // one pass about one step per deleted member.
    std::printf("deleting the members of a group: %llu entries for %d, %llu for %d\n",
                static_cast<unsigned long long>(small), n, static_cast<unsigned long long>(big.visited), 4 * n);
    EXPECT_GE(small, std::uint64_t(n - 1));
    EXPECT_LE(small, std::uint64_t(6 * n));
    EXPECT_LE(double(big.visited), 4.5 * double(small)) << small << " for " << n << ", " << big.visited << " for "
                                                        << 4 * n;
    // Each object is found in the project's table before it goes: a look-up that walks the
    // objects instead of probing the table costs n^2/2 slots, sixteen times as many for four
    // times the members.  Linear here: 17.7 slots a member for 15,000 and 21.8 for 60,000,
    // whose members kept in the middle (20,007 and 40,007) make the table drop its empty
    // slots in one linear pass, which the smaller group, kept only at its front, never does.
    std::printf("deleting the members of a group: %llu table slots for %d, %llu for %d\n",
                static_cast<unsigned long long>(few.slots), n, static_cast<unsigned long long>(big.slots), 4 * n);
    EXPECT_GE(few.slots, std::uint64_t(n - 1));
    EXPECT_LE(double(big.slots), 6 * double(few.slots)) << few.slots << " for " << n << ", " << big.slots << " for "
                                                          << 4 * n;

    Obj::ProjectObjectGroup* group = big.group;
    std::vector<Obj::ProjectObject*> kept = big.kept;
    ASSERT_EQ(3u, kept.size());
    // Members removed from the group itself, and added again, go to the end.
    group->remove_member(kept.front());
    group->remove_member(kept.front());   // no longer a member: nothing happens
    group->remove_member(nullptr);
    group->add_object(kept.front());
    EXPECT_EQ((std::vector<Obj::ProjectObject*>{kept[1], kept[2], kept[0]}), membersOf(group));
}

TEST(ObjProperties, TextRoundTripsAndRefusals)
{
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    Obj::ProjectObject* o = p->add_object("Obj::ProjectObject");
    auto* d = dynamic_cast<Obj::PropertyDecimal*>(o->add_property("Obj::PropertyDecimal", "Size"));
    auto* i = dynamic_cast<Obj::PropertyInteger*>(o->add_property("Obj::PropertyInteger", "Count"));
    auto* b = dynamic_cast<Obj::PropertyBoolean*>(o->add_property("Obj::PropertyBoolean", "On"));
    ASSERT_TRUE(d && i && b);
    EXPECT_EQ(nullptr, o->add_property("Obj::PropertyInteger", "Count"));   // name in use
    EXPECT_EQ(nullptr, o->add_property("Obj::ProjectObject", "Other"));     // not a property
    EXPECT_EQ(nullptr, o->add_property("Obj::Nothing", "Other"));

    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");   // a comma locale where installed
    for (double v : {0.1, 1.0 / 3.0, -2.5e-300, 12345678.901234567}) {
        Obj::PropertyDecimal copy;
        d->set_value(v);
        ASSERT_TRUE(copy.set_value_text(d->get_value_text()));
        EXPECT_EQ(v, copy.get_value()) << d->get_value_text();
    }
    EXPECT_EQ("0.1", (d->set_value(0.1), d->get_value_text()));
    std::setlocale(LC_NUMERIC, previous.c_str());

    EXPECT_FALSE(d->set_value_text("1,5"));
    EXPECT_FALSE(d->set_value_text("abc"));
    EXPECT_FALSE(i->set_value_text("12x"));
    EXPECT_FALSE(i->set_value_text(""));
    EXPECT_TRUE(i->set_value_text(" -42 "));
    EXPECT_EQ(-42, i->get_value());
    EXPECT_TRUE(b->set_value_text("True"));
    EXPECT_TRUE(b->get_value());
    EXPECT_FALSE(b->set_value_text("maybe"));
    EXPECT_TRUE(b->get_value());
    EXPECT_EQ("True", b->get_value_text());
}

TEST(ObjPaths, FromConfigurationAndDefaults)
{
    QTemporaryDir install(PelmoraTest::homeDir() + "/install-XXXXXX");
    QDir(install.path()).mkpath("bin");
    const QString exePath = install.path() + "/bin/pelmora-run";
    QFile exe(exePath);
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.close();
    std::string argv0 = exePath.toStdString();
    char* argv[] = {argv0.data(), nullptr};

    {
        Obj::Application app(1, argv, {});
        EXPECT_EQ(QFileInfo(install.path()).canonicalFilePath().toStdString() + "/", app.get_home_directory());
        EXPECT_EQ(app.get_home_directory() + "share/Pelmora-2.1/", app.get_resource_path());
        EXPECT_EQ("pelmora-run", app.get_executable_file_name());
        const std::string data = qgetenv("XDG_CONFIG_HOME").toStdString() + "/Pelmora/";
        EXPECT_EQ(data, app.get_user_appdata_path());
        EXPECT_TRUE(QFileInfo(QString::fromStdString(data)).isDir());
        EXPECT_EQ(QDir::tempPath().toStdString(), app.get_sys_temp_directory());
        // The temporary application folder is the user's own.
        const QString own = QDir::tempPath() + "/Pelmora21-" + QString::number(::geteuid());
        EXPECT_EQ(own.toStdString() + "/", app.getTempAppFolder());
        EXPECT_TRUE(QFileInfo(own).isDir());
        EXPECT_EQ(QFileInfo(own).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        EXPECT_EQ(&app, Obj::Application::_pcSingleton);
        EXPECT_EQ(1, Obj::Application::_argc);
    }
    ScopedLogic logic({{"ExeName", "named"}, {"AppHomePath", "/opt/pel"}, {"Extra", "1"}});
    EXPECT_EQ("named", logic.app().get_executable_file_name());
    EXPECT_EQ("/opt/pel/", logic.app().get_home_directory());
    EXPECT_EQ(logic.dataDir().toStdString() + "/", logic.app().get_user_appdata_path());
    EXPECT_EQ("1", Obj::Application::mConfig["Extra"]);
    EXPECT_EQ(logic.app().getPrefMgr(), Vexil::MsgConsoleSingleton::Instance().getPrefMgr());
}

TEST(ObjPaths, PreferenceGroupsByPathPersist)
{
    const std::string data = (PelmoraTest::homeDir() + "/prefs-data/").toStdString();
    {
        ScopedLogic logic(std::map<std::string, std::string>{{"UserAppData", data}});
        Obj::Application& app = logic.app();
        auto general = app.get_preference_group_by_path("User parameter:BaseApp/Preferences/General");
        ASSERT_TRUE(general.is_valid());
        general->set_ASCII_string("AutoloadModule", "FemWorkbench");
        EXPECT_EQ("FemWorkbench", app.get_user_preference()
                                      .get_parameter_group("BaseApp/Preferences/General")
                                      ->get_ASCII_string("AutoloadModule"));
        auto system = app.get_preference_group_by_path("System parameter:BaseApp/Preferences/General");
        ASSERT_TRUE(system.is_valid());
        EXPECT_EQ("", system->get_ASCII_string("AutoloadModule"));
        EXPECT_TRUE(app.get_preference_group_by_path("Other parameter:BaseApp").is_null());
        EXPECT_TRUE(app.get_preference_group_by_path("BaseApp/Preferences").is_null());
        EXPECT_TRUE(app.get_preference_group_by_path(nullptr).is_null());
        EXPECT_NE(nullptr, app.getPrefMgr());
    }
    ScopedLogic again(std::map<std::string, std::string>{{"UserAppData", data}});
    EXPECT_EQ("FemWorkbench",
              again.app().get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
                  ->get_ASCII_string("AutoloadModule"));
}

TEST(ObjFilters, WholeTablesAndByExtension)
{
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    app.add_import_type("STEP (*.step *.stp)", "ImportGui");
    app.add_import_type("Mesh step (*.STP)", "MeshGui");
    app.add_import_type("Archive (*.tar.gz)", "ArchiveGui");
    app.add_export_type("Only export (*.xyz)", "XyzGui");

    const auto whole = app.get_import_filters();
    EXPECT_EQ("ImportGui", whole.at("STEP (*.step *.stp)"));
    EXPECT_EQ(0u, whole.count("Only export (*.xyz)"));

    const auto stp = app.get_import_filters("stp");
    EXPECT_EQ((Obj::Application::FilterTable{{"Mesh step (*.STP)", "MeshGui"},
                                             {"STEP (*.step *.stp)", "ImportGui"}}),
              stp);
    EXPECT_EQ(stp, app.get_import_filters("STP"));
    EXPECT_EQ(1u, app.get_import_filters("step").size());
    EXPECT_EQ(1u, app.get_import_filters("tar.gz").size());
    EXPECT_TRUE(app.get_import_filters("gz").empty());
    EXPECT_TRUE(app.get_import_filters("st").empty());
    EXPECT_TRUE(app.get_import_filters("xyz").empty());
    EXPECT_EQ(1u, app.get_export_filters("xyz").size());
    EXPECT_EQ("Pelmora", app.get_projectDB_filters("pmdb").begin()->second);

    const auto types = app.get_imported_types();
    for (const char* ext : {"step", "stp", "tar.gz"})
        EXPECT_NE(types.end(), std::find(types.begin(), types.end(), ext)) << ext;
    EXPECT_EQ(std::vector<std::string>{"pmdb"}, app.get_projectDB_types());
}

TEST(ObjFiles, CommandLineFilesAndProcessing)
{
    QTemporaryDir dir(PelmoraTest::homeDir() + "/files-XXXXXX");
    const QString file = dir.path() + "/bracket.step";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    std::string exe = "pelmora", opt = "--flag", path = file.toStdString();
    char* argv[] = {exe.data(), opt.data(), path.data(), nullptr};
    Obj::Application app(3, argv, {{"UserAppData", dir.path().toStdString() + "/data/"}});
    EXPECT_EQ(std::vector<std::string>{path}, app.getCmdLineFiles());
    const auto done = app.processFiles({path, dir.path().toStdString() + "/missing.step"});
    EXPECT_EQ(std::vector<std::string>{path}, done);
    ASSERT_NE(nullptr, app.get_current_project());
    EXPECT_STREQ("bracket", app.get_current_project()->getProjectName());
}

TEST(ObjFiles, AFileOfNoKnownKindIsReportedAndMakesNoProject)
{
    QTemporaryDir dir(PelmoraTest::homeDir() + "/files-XXXXXX");
    const std::string notes = dir.path().toStdString() + "/notes.txt";
    const std::string bare = dir.path().toStdString() + "/wedge";
    const std::string broken = dir.path().toStdString() + "/two\nlines.txt";
    for (const std::string& name : {notes, bare, broken}) {
        QFile f(QString::fromStdString(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("solid x\nendsolid x\n");
    }
    std::string exe = "pelmora";
    char* argv[] = {exe.data(), nullptr};
    Obj::Application app(1, argv, {{"UserAppData", dir.path().toStdString() + "/data/"}});
    PelmoraTest::ConsoleCapture console;
    EXPECT_TRUE(app.processFiles({notes, bare, broken}).empty());
    EXPECT_TRUE(app.get_projects().empty());
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "Cannot open unknown file type: "), 3);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, notes));
    // A line break in a name is shown, not obeyed.
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "/two\\nlines.txt\n"));
}

TEST(PmMat, InitializeCountsAndDestructResets)
{
    pmMat::MaterialManager::destruct();
    EXPECT_FALSE(pmMat::MaterialManager::is_initialized());
    pmMat::MaterialManager::initialize(0);
    pmMat::MaterialManager::initialize(0);
    EXPECT_TRUE(pmMat::MaterialManager::is_initialized());
    EXPECT_EQ(2, pmMat::MaterialManager::initialize_count());
    pmMat::MaterialManager::destruct();
    EXPECT_EQ(0, pmMat::MaterialManager::initialize_count());
    EXPECT_FALSE(pmMat::MaterialManager::is_initialized());
}
