// What is open stays within what one project file may hold, since a save writes every open
// project to one file: for every limit a reader keeps (projects, objects, name length,
// record length) every way of making projects and objects is refused with the reason and
// makes nothing when it would pass the limit, takes what stays within it, and what is
// saved reopens.  The object and project limits are lowered for the test, so that a few
// objects reach them.

#include "support/ConsoleCapture.h"
#include "support/ProjectFileSeal.h"
#include "support/TestEnvironment.h"

#include <obj/Application.h>
#include <obj/ProjectFile.h>
#include <obj/ProjectFileLimits.h>
#include <obj/ProjectObject.h>
#include <vexil/Exception.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>

using PelmoraTest::ScopedLogic;
using Obj::ProjectFileLimits::TestLimits;

namespace {

constexpr std::size_t ProjectLimit = 3;
constexpr std::size_t ObjectLimit = 8;

class OpenLimits : public ::testing::Test
{
protected:
    Obj::Application& app() { return logic.app(); }

    std::string file(const char* name) const { return QFile::encodeName(dir.filePath(QString::fromUtf8(name))).toStdString(); }

    void writeFile(const std::string& path, const QByteArray& bytes)
    {
        QFile out(QFile::decodeName(path.c_str()));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    // `projects` projects with `objects` objects between them, the first project the fullest.
    void fill(std::size_t projects, std::size_t objects)
    {
        for (std::size_t i = 0; i < projects; ++i)
            app().create_project(("P" + std::to_string(i + 1)).c_str());
        for (std::size_t k = 0; k < objects; ++k)
            app().get_projects()[k % projects]->add_object("Obj::ProjectObject", "Box");
    }

    // Projects and objects open, the object count checked against the projects' own.
    std::pair<std::size_t, std::size_t> open()
    {
        std::size_t objects = 0;
        for (Obj::Project* project : app().get_projects())
            objects += project->get_num_objects();
        EXPECT_EQ(app().get_num_objects(), objects);
        return {app().get_projects().size(), objects};
    }

    // A copy of the first `count` objects of project `from`.
    std::string copyOf(const char* from, std::size_t count)
    {
        Obj::Project* project = app().get_project(from);
        std::vector<Obj::ProjectObject*> objects = project->get_objects();
        objects.resize(std::min(count, objects.size()));
        std::ostringstream out;
        project->export_objects(objects, out);
        return out.str();
    }

    // A sealed project file of one project with `objects` objects.
    std::string projectFile(const char* name, std::size_t objects, const std::string& projectName = "F")
    {
        QByteArray body = "PELMORA PROJECT FILE\nversion\t1\nproject\t" + QByteArray::fromStdString(projectName)
            + "\t1\tFemGui::ViewFeederProjectFem\n";
        for (std::size_t k = 1; k <= objects; ++k)
            body += "object\t" + QByteArray::number(qulonglong(k)) + "\tObj::ProjectObject\tB" + QByteArray::number(qulonglong(k)) + "\t0\n";
        const std::string path = file(name);
        writeFile(path, PelmoraTest::sealedProjectFile(body));
        return path;
    }

    std::string modelFile()
    {
        const std::string path = file("tri angle.stl");
        writeFile(path, "solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\n"
                        "endfacet\nendsolid t\n");
        return path;
    }

    // A save of what is open is refused for `reason` and writes no file.
    void savesNothing(const std::string& reason)
    {
        const std::string path = file("beyond.pmdb");
        EXPECT_FALSE(app().save_as_file(1, path.c_str()));
        EXPECT_NE(app().last_file_error().find(reason), std::string::npos) << app().last_file_error();
        EXPECT_FALSE(QFile::exists(QFile::decodeName(path.c_str())));
    }

    // What is open, saved, closed and opened again: the same counts.
    void savesAndReopens(const char* name)
    {
        const auto before = open();
        const std::string path = file(name);
        ASSERT_TRUE(app().save_as_file(1, path.c_str())) << app().last_file_error();
        app().close_all_projects();
        ASSERT_TRUE(app().resume_from_file(1, path.c_str())) << app().last_file_error();
        EXPECT_EQ(open(), before);
        QFile::remove(QFile::decodeName(path.c_str()));
    }

    // One cell: `action` is refused with a reason holding `reason`, and nothing is made.
    void refused(const char* cell, const std::function<std::string()>& action, const std::string& reason)
    {
        SCOPED_TRACE(cell);
        const auto before = open();
        const std::string said = action();
        EXPECT_NE(said.find(reason), std::string::npos) << "said: " << said.substr(0, 300);
        EXPECT_EQ(open(), before);
    }

    // Runs a step that throws its refusal; the text thrown, or empty.
    static std::string thrown(const std::function<void()>& step)
    {
        try {
            step();
        }
        catch (const Vexil::ExceptionHandler& e) {
            return e.what();
        }
        return {};
    }

    ScopedLogic logic;
    QTemporaryDir dir;
    TestLimits limits{ProjectLimit, ObjectLimit};
};

} // namespace

TEST_F(OpenLimits, EveryWayOfMakingObjectsIsRefusedAtTheObjectLimitAndWhatIsSavedReopens)
{
    TestLimits projects(10, ObjectLimit);
    fill(2, ObjectLimit);
    const std::string full = "8 objects are open, and 1 more would be more than the 8 one project file may hold";
    const std::string copy = copyOf("P1", 1);
    const std::string whole = copyOf("P1", ObjectLimit);
    refused("new object", [&] { return thrown([&] { app().get_project("P1")->add_object("Obj::ProjectObject"); }); },
            "Cannot add an object to P1: " + full);
    refused("new group", [&] { return thrown([&] { app().get_project("P2")->add_object("Obj::ProjectObjectGroup"); }); },
            "Cannot add an object to P2: " + full);
    refused("paste", [&] {
        std::istringstream in(copy);
        return thrown([&] { app().get_project("P2")->import_objects(in); });
    }, "The copied data cannot be pasted: " + full);
    refused("paste into itself", [&] {
        std::istringstream in(whole);
        return thrown([&] { app().get_project("P1")->import_objects(in); });
    }, "The copied data cannot be pasted: 8 objects are open, and 4 more would be more than the 8");
    const std::string model = modelFile();
    refused("open a model", [&] { return thrown([&] { app().open_model_file(model); }); },
            "Cannot open model file ");
    EXPECT_TRUE(thrown([&] { app().open_model_file(model); }).find(full) != std::string::npos);
    const std::string one = projectFile("one object.pmdb", 1);
    refused("open a project file", [&] {
        EXPECT_TRUE(app().check_project_file(1, one.c_str())) << "a file that replaces what is open is taken";
        EXPECT_FALSE(app().resume_from_file(1, one.c_str()));
        return app().last_file_error();
    }, " cannot be opened: " + full);
    refused("open files", [&] {
        EXPECT_TRUE(app().processFiles({one, model}).empty());
        return app().last_file_error();
    }, "cannot be opened");

    // A new project makes no object; a file without objects makes only its project.
    ASSERT_NE(app().create_project("Empty"), nullptr);
    EXPECT_TRUE(app().resume_from_file(1, projectFile("no objects.pmdb", 0).c_str())) << app().last_file_error();
    EXPECT_EQ(open(), std::make_pair(std::size_t(4), ObjectLimit));
    app().close_project("Empty");
    app().close_project("F");
    savesAndReopens("at the object limit.pmdb");

    // Below the limit each way takes what stays within it, up to the limit.
    app().close_all_projects();
    fill(1, 4);
    std::istringstream itself(copyOf("P1", 4));
    EXPECT_EQ(app().get_project("P1")->import_objects(itself).size(), 4u);
    ASSERT_TRUE(app().get_project("P1")->remove_object(1));
    EXPECT_NE(app().open_model_file(model), nullptr);
    EXPECT_EQ(open(), std::make_pair(std::size_t(2), ObjectLimit));
    savesAndReopens("pasted up to the limit.pmdb");

    // A save of more than the limit (set lower meanwhile) writes nothing.
    {
        TestLimits lower(ProjectLimit, ObjectLimit - 1);
        savesNothing(": it would hold 8 objects, more than the 7 a project file may hold");
    }
}

TEST_F(OpenLimits, EveryWayOfMakingProjectsIsRefusedAtTheProjectLimitAndWhatIsSavedReopens)
{
    fill(ProjectLimit, 2);
    const std::string full = "3 projects are open, and 1 more would be more than the 3 one project file may hold";
    refused("new project", [&] { return thrown([&] { app().create_project("Unnamed Project"); }); },
            "Cannot create the project Unnamed Project: " + full);
    const std::string model = modelFile();
    refused("open a model", [&] { return thrown([&] { app().open_model_file(model); }); },
            full);
    EXPECT_EQ(thrown([&] { app().open_model_file(model); }).rfind("Cannot open model file ", 0), 0u);
    const std::string one = projectFile("one project.pmdb", 0);
    refused("open a project file", [&] {
        EXPECT_FALSE(app().resume_from_file(1, one.c_str()));
        return app().last_file_error();
    }, " cannot be opened: " + full);
    const std::string text = file("notes.step");
    writeFile(text, "ISO-10303-21;\n");
    refused("open a file a module reads", [&] {
        PelmoraTest::ConsoleCapture console;
        EXPECT_TRUE(app().processFiles({text}).empty());
        std::string said;
        for (const auto& line : console.lines())
            said += line.text;
        return said;
    }, "Cannot create the project notes: " + full);

    // Objects still join the projects open, and a paste into one of them.
    std::istringstream in(copyOf("P1", 1));
    EXPECT_EQ(app().get_project("P3")->import_objects(in).size(), 1u);
    EXPECT_NE(app().get_project("P2")->add_object("Obj::ProjectObject"), nullptr);
    savesAndReopens("at the project limit.pmdb");

    {
        TestLimits lower(ProjectLimit - 1, ObjectLimit);
        savesNothing(": it would hold 3 projects, more than the 2 a project file may hold");
    }
}

TEST_F(OpenLimits, NumberedNamesStayWithinTheLongestNameAndOverlongRecordsAreNotSaved)
{
    TestLimits roomy(100, 100);
    const std::string longest(Obj::ProjectFile::MaxNameBytes - 1, 'x');
    const std::string wide = longest.substr(0, longest.size() - 2) + "\xc3\xa4";   // ends in a two-byte character
    // New projects, each numbered after the first.
    for (int i = 0; i < 3; ++i) {
        Obj::Project* project = app().create_project(longest.c_str());
        ASSERT_NE(project, nullptr);
        EXPECT_LE(std::strlen(project->get_name()), Obj::ProjectFile::MaxNameBytes);
    }
    // Objects, and pastes of them into their own project.
    Obj::Project* p = app().get_projects().front();
    p->add_object("Obj::ProjectObject", wide.c_str());
    p->add_object("Obj::ProjectObject", wide.c_str());
    std::istringstream in(copyOf(p->get_name(), 2));
    ASSERT_EQ(p->import_objects(in).size(), 2u);
    for (Obj::ProjectObject* object : p->get_objects()) {
        EXPECT_LE(std::strlen(object->get_name()), Obj::ProjectFile::MaxNameBytes);
        EXPECT_TRUE(QString::fromUtf8(object->get_name()).toUtf8() == QByteArray(object->get_name()))
            << "cut inside a character";
    }
    // A project file opened twice: its project is numbered.
    const std::string twice = projectFile("long name.pmdb", 1, longest);
    ASSERT_TRUE(app().resume_from_file(1, twice.c_str())) << app().last_file_error();
    ASSERT_TRUE(app().resume_from_file(1, twice.c_str())) << app().last_file_error();
    savesAndReopens("long names.pmdb");

    // A value longer than a reader takes in one record is not written.
    auto* note = dynamic_cast<Obj::PropertyString*>(
        app().get_projects().front()->get_objects().front()->add_property("Obj::PropertyString", "Note"));
    ASSERT_NE(note, nullptr);
    note->set_value(std::string((std::size_t(16) << 20) + 1, 'n').c_str());
    const std::string path = file("long record.pmdb");
    EXPECT_FALSE(app().save_as_file(1, path.c_str()));
    EXPECT_NE(app().last_file_error().find("would be longer than the 16 MiB a project file may hold in one record"),
              std::string::npos) << app().last_file_error();
    EXPECT_FALSE(QFile::exists(QFile::decodeName(path.c_str())));
    note->set_value("short");
    savesAndReopens("short record.pmdb");
}
