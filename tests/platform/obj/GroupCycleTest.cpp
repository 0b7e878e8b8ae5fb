// Groups that would contain themselves: refused by the logic, by a project file and a
// paste (whole, before anything is created) and by a script line, each saying which
// groups are involved.

#include <support/ConsoleCapture.h>
#include <support/ProjectFileSeal.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

using PelmoraTest::ConsoleCapture;
using PelmoraTest::ScopedLogic;

namespace {

// The group's members as a plain list, for comparing with the expected one.
std::vector<Obj::ProjectObject*> membersOf(const Obj::ProjectObjectGroup* group)
{
    const auto& members = group->get_objects();
    return {members.begin(), members.end()};
}

// A complete project file with one project "P" whose objects are the lines given, each
// "id<TAB>name<TAB>member list" of a group.
QByteArray projectFile(const std::vector<std::string>& groups)
{
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\ncurrent\tP\nproject\tP\t1\tGui::ViewFeederProject\n";
    for (const std::string& group : groups) {
        const QList<QByteArray> f = QByteArray::fromStdString(group).split('\t');
        body += "object\t" + f[0] + "\tObj::ProjectObjectGroup\t" + f[1] + "\t0\n";
        body += "prop\tLabel\tObj::PropertyString\t" + f[1] + "\n";
        body += "prop\tMember\tObj::PropertyCoupleArray\t" + f[2] + "\n";
    }
    return PelmoraTest::sealedProjectFile(body);
}

struct CycleCase
{
    const char* what;
    std::vector<std::string> groups;
    const char* chain;
};

const std::vector<CycleCase>& cycleCases()
{
    static const std::vector<CycleCase> cases = {
        {"two groups listing each other", {"1\tA\t[2,]", "2\tB\t[1,]"}, "A > B > A"},
        {"a group listing itself", {"1\tA\t[1,]"}, "A > A"},
        {"three groups in a ring", {"1\tA\t[2,]", "2\tB\t[3,]", "3\tC\t[1,]"}, "A > B > C > A"},
        {"a ring below a sound group, with a spaced name",
         {"1\tOuter\t[2,]", "2\tinner group\t[3,]", "3\tC\t[2,]", "4\tFree\t[]"}, "inner group > C > inner group"},
    };
    return cases;
}

} // namespace

TEST(GroupCycles, AProjectFileWithGroupsThatContainEachOtherIsRefusedWhole)
{
    QTemporaryDir dir;
    for (const CycleCase& c : cycleCases()) {
        SCOPED_TRACE(c.what);
        ScopedLogic logic;
        Obj::Application& app = logic.app();
        const QString file = dir.filePath("cycle..v2 \xc3\xa9.pmdb");
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(projectFile(c.groups));
        }
        const std::string path = QFile::encodeName(file).toStdString();
        const std::string expected = path + " holds groups that contain each other: " + c.chain;

        ConsoleCapture console;
        EXPECT_FALSE(app.check_project_file(1, path.c_str()));
        EXPECT_EQ(app.last_file_error(), expected);
        EXPECT_FALSE(app.resume_from_file(1, path.c_str()));
        EXPECT_EQ(app.last_file_error(), expected);
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, expected));
        EXPECT_TRUE(app.get_projects().empty());
        EXPECT_TRUE(app.getApplicationFile().empty());
    }

    // Groups nested without a ring, two holding the same member, still read.
    ScopedLogic logic;
    QFile f(dir.filePath("nested.pmdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(projectFile({"1\tTop\t[2,3,]", "2\tLeft\t[4,]", "3\tRight\t[4,]", "4\tShared\t[]"}));
    f.close();
    ASSERT_TRUE(logic.app().resume_from_file(1, QFile::encodeName(f.fileName()).constData())) << logic.app().last_file_error();
    Obj::Project* project = logic.app().get_project("P");
    ASSERT_TRUE(project);
    EXPECT_EQ(static_cast<Obj::ProjectObjectGroup*>(project->get_object(1u))->get_objects().size(), 2u);
    EXPECT_EQ(static_cast<Obj::ProjectObjectGroup*>(project->get_object(3u))->get_objects().front(), project->get_object(4u));
}

TEST(GroupCycles, APasteOfGroupsThatContainEachOtherCreatesNothing)
{
    ScopedLogic logic;
    Obj::Project* target = logic.app().create_project("Target", "Target");
    target->add_object("Obj::ProjectObject", "Kept");
    for (const CycleCase& c : cycleCases()) {
        SCOPED_TRACE(c.what);
        std::istringstream stream(projectFile(c.groups).toStdString());
        try {
            target->import_objects(stream);
            ADD_FAILURE() << "the paste was taken";
        }
        catch (const Vexil::ExceptionHandler& e) {
            EXPECT_EQ(std::string(e.what()), std::string("The copied data holds groups that contain each other: ") + c.chain);
        }
        EXPECT_EQ(target->get_num_objects(), 1u);
    }
}

TEST(GroupCycles, TheLogicAndScriptLinesRefuseAMemberThatHoldsTheGroup)
{
    ScopedLogic logic;
    Obj::Project* project = logic.app().create_project("P", "P");
    auto group = [&](const char* name) {
        return static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", name));
    };
    Obj::ProjectObjectGroup* a = group("A");
    Obj::ProjectObjectGroup* b = group("B");
    Obj::ProjectObjectGroup* c = group("C");
    Obj::ProjectObject* plain = project->add_object("Obj::ProjectObject", "Plain");
    a->add_object(b);
    b->add_object(c);
    c->add_object(plain);

    ConsoleCapture console;
    c->add_object(a);   // A holds B, which holds C
    c->add_object(c);
    EXPECT_EQ(membersOf(c), std::vector<Obj::ProjectObject*>{plain});
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "The group 'A' cannot be a member of the group 'C', which it already contains\n"));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "The group 'C' cannot be a member of itself\n"));

    // The "Member" list as a property: one entry that would close a ring refuses the list.
    Obj::Property* members = c->get_property_by_name("Member");
    ASSERT_TRUE(members);
    EXPECT_FALSE(members->set_value_text("[4,2,]"));
    EXPECT_EQ(membersOf(c), std::vector<Obj::ProjectObject*>{plain});

    // A script line that writes the list back fails and says why.
    console.clear();
    const std::string cId = std::to_string(c->getObjectId());
    EXPECT_THROW(pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", cId, "Member", "[1,]"}),
                 Vexil::ExceptionHandler);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "The group 'A' cannot be a member of the group 'C', which it already contains\n"));
    EXPECT_EQ(membersOf(c), std::vector<Obj::ProjectObject*>{plain});

    // Sound changes still go through: a member held twice, a group moved elsewhere.
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", std::to_string(a->getObjectId()), "Member", "[2,3,]"});
    EXPECT_EQ(membersOf(a), (std::vector<Obj::ProjectObject*>{b, c}));
    b->remove_member(c);
    c->add_object(b);   // B no longer holds C
    EXPECT_EQ(membersOf(c), (std::vector<Obj::ProjectObject*>{plain, b}));
}

// A member list read from a file keeps every entry that names an object of the project,
// in order; each entry that names none is left out and named in a warning.
TEST(GroupMembers, EntriesThatNameNoObjectAreLeftOutAndNamedAndTheOthersKept)
{
    const struct { const char* list; std::vector<unsigned> kept; std::vector<const char*> dropped; } cases[] = {
        {"[2,3,]", {2, 3}, {}},
        {"[2,7,3,]", {2, 3}, {"7"}},
        {"[7,]", {}, {"7"}},
        {"[2,abc,3,]", {2, 3}, {"abc"}},
        {"[0,2,]", {2}, {"0"}},
        {"[-3,2,]", {2}, {"-3"}},
        {"[99999999999,2,]", {2}, {"99999999999"}},
        {"[2,,3,]", {2, 3}, {""}},
        {"[2,3x,]", {2}, {"3x"}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        ScopedLogic logic;
        const QString path = dir.filePath("members.pmdb");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(projectFile({std::string("1\tG\t") + c.list, "2\tA\t[]", "3\tB\t[]"}));
        f.close();
        ConsoleCapture console;
        ASSERT_TRUE(logic.app().resume_from_file(1, QFile::encodeName(path).constData()));
        auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(logic.app().get_project("P")->get_object(1u));
        ASSERT_TRUE(group);
        std::vector<unsigned> members;
        for (const Obj::ProjectObject* member : group->get_objects())
            members.push_back(member->getObjectId());
        EXPECT_EQ(members, c.kept);
        for (const char* entry : c.dropped)
            EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                         std::string("Property 'Member' of object G: the entry '") + entry
                                             + "' names no object of the project and is left out"));
        EXPECT_EQ(console.count(ConsoleCapture::Level::Warning, "names no object"), int(c.dropped.size()));
        EXPECT_FALSE(console.contains(ConsoleCapture::Level::Warning, "keeps its value"));
    }
}
