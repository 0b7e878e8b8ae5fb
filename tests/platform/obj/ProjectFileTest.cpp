// Project files of the logic: what a save gives back on resume, what is refused, and
// what a failed save leaves; copies of objects for the clipboard.

#include "support/ConsoleCapture.h"
#include <support/HangGuard.h>
#include "support/ProjectFileSeal.h"
#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"

#include <support/ConsoleCapture.h>
#include <support/NamedPipe.h>

#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/PropertyCouple.h>
#include <vexil/Exception.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <vtkPolyData.h>

#include <gtest/gtest.h>

#include <cstdio>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

using PelmoraTest::ConsoleCapture;
using PelmoraTest::ScopedLogic;

namespace ProjectFileTest {

// Counts its constructions: a project file that names it as a property type must not
// make one.
class Counted : public Obj::ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    static int built;
    Counted() { ++built; }
};
int Counted::built = 0;
VEXIL_TYPESYSTEM_SOURCE(ProjectFileTest::Counted, Obj::ProjectObject)

} // namespace ProjectFileTest

namespace {

const char* const wedge =
    "solid wedge\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 4 0 0\n   vertex 0 3 0\n  endloop\n endfacet\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 0 3 0\n   vertex 0 0 2\n  endloop\n endfacet\n"
    "endsolid wedge\n";

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The checksum the closing line of a project file carries.
// A project file's bytes, changed after it was written, with a closing line that fits.
QByteArray resealed(QByteArray bytes)
{
    bytes.chop(bytes.size() - bytes.lastIndexOf("end\t"));
    return PelmoraTest::sealedProjectFile(bytes);
}

std::string path(const QString& p)
{
    return QFile::encodeName(p).toStdString();
}

// Two projects: a model read from a file, a group with members, a link, a suppressed
// object, a property added at run time and a gap in the ids.
void buildSample(Obj::Application& app, const QTemporaryDir& dir)
{
    const QString model = dir.filePath("wedge.stl");
    writeBytes(model, wedge);
    Obj::Project* first = app.open_model_file(path(model));
    ASSERT_TRUE(first);
    Obj::Project* second = app.create_project("Second", "Second \"label\"\twith tab");
    Obj::ProjectObject* doomed = second->add_object("Obj::ProjectObject", "Doomed");
    auto* group = static_cast<Obj::ProjectObjectGroup*>(second->add_object("Obj::ProjectObjectGroup", "Group"));
    Obj::ProjectObject* a = second->add_object("Obj::AnnotationRuler", "Ruler");
    Obj::ProjectObject* b = second->add_object("Obj::ProjectObject", "Plain");
    second->remove_object(doomed->getObjectId());
    a->set_label("Ruler, 100% sure\nsecond line");
    b->suppress();
    group->add_object(a);
    group->add_object(b);
    auto* value = static_cast<Obj::PropertyDecimal*>(b->add_property("Obj::PropertyDecimal", "Thickness"));
    value->set_value(0.1 + 0.2);
    auto* link = static_cast<Obj::PropertyCouple*>(b->add_property("Obj::PropertyCouple", "Target"));
    link->set_value(a);
    app.set_current_project(first->get_name());
}

// Project name, then per object: id, type, name, label, suppressed, every property text.
std::vector<std::string> describe(Obj::Application& app)
{
    std::vector<std::string> lines;
    for (Obj::Project* project : app.get_projects()) {
        lines.push_back(std::string("project ") + project->get_name() + " | " + project->getProjectName());
        for (Obj::ProjectObject* object : project->get_objects()) {
            std::string line = std::to_string(object->getObjectId()) + " " + object->getTypeId().get_name() + " "
                + object->get_name() + " '" + object->get_label() + "'" + (object->isSuppressed() ? " suppressed" : "");
            for (Obj::Property* p : object->get_properties())
                line += std::string(" ") + p->get_name() + "=" + p->get_value_text();
            lines.push_back(line);
        }
    }
    return lines;
}

} // namespace

TEST(ProjectFile, SaveThenResumeGivesBackTheSameProjects)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    const std::vector<std::string> before = describe(app);
    const vtkIdType points = static_cast<Obj::GeometryObject*>(app.get_project("wedge")->get_objects().front())
                                 ->get_poly_data()->GetNumberOfPoints();
    const std::string file = path(dir.filePath("sample.pmdb"));
    ASSERT_TRUE(app.save_as_file(1, file.c_str())) << app.last_file_error();
    EXPECT_EQ(file, app.getApplicationFile());
    for (Obj::Project* project : app.get_projects())
        EXPECT_FALSE(project->is_modified());

    // The model file itself is gone: the surface lives in the project file.
    ASSERT_TRUE(QFile::remove(dir.filePath("wedge.stl")));
    app.close_all_projects();
    ASSERT_TRUE(app.resume_from_file(1, file.c_str())) << app.last_file_error();
    EXPECT_EQ(before, describe(app));
    EXPECT_STREQ("wedge", app.get_current_project()->get_name());
    for (Obj::Project* project : app.get_projects())
        EXPECT_FALSE(project->is_modified()) << project->get_name();

    auto* geometry = dynamic_cast<Obj::GeometryObject*>(app.get_project("wedge")->get_objects().front());
    ASSERT_TRUE(geometry && geometry->get_poly_data());
    EXPECT_EQ(points, geometry->get_poly_data()->GetNumberOfPoints());
    EXPECT_EQ(2, geometry->get_poly_data()->GetNumberOfCells());
    EXPECT_EQ(path(dir.filePath("wedge.stl")), geometry->get_file_name());

    Obj::Project* second = app.get_project("Second");
    auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(second->get_object("Group"));
    ASSERT_TRUE(group);
    ASSERT_EQ(2u, group->get_objects().size());
    EXPECT_STREQ("Ruler", group->get_objects()[0]->get_name());
    auto* link = dynamic_cast<Obj::PropertyCouple*>(second->get_object("Plain")->get_property_by_name("Target"));
    ASSERT_TRUE(link);
    EXPECT_EQ(second->get_object("Ruler"), link->get_value());

    // A model file whose name is not UTF-8 (Latin-1 "lat\xe4") is labelled with that byte
    // escaped, not replaced.
    const std::string latin = path(dir.path()) + "/lat\xe4.stl";
    if (std::FILE* f = std::fopen(latin.c_str(), "wb")) {
        std::fputs(wedge, f);
        std::fclose(f);
    }
    Obj::Project* named = app.open_model_file(latin);
    std::remove(latin.c_str()); // Qt 5 cannot name it to remove it with the folder
    ASSERT_TRUE(named);
    EXPECT_STREQ(named->getProjectName(), "lat\\xe4");
}

TEST(ProjectFile, ResumingNextToOpenProjectsRenamesAndKeepsLinks)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    const std::string file = path(dir.filePath("twice.pmdb"));
    ASSERT_TRUE(app.save_as_file(1, file.c_str()));
    ASSERT_TRUE(app.resume_from_file(1, file.c_str()));
    ASSERT_EQ(4u, app.get_projects().size());
    Obj::Project* copy = app.get_projects().back();
    EXPECT_STRNE("Second", copy->get_name());
    auto* link = dynamic_cast<Obj::PropertyCouple*>(copy->get_object("Plain")->get_property_by_name("Target"));
    ASSERT_TRUE(link);
    EXPECT_EQ(copy->get_object("Ruler"), link->get_value());
}

TEST(ProjectFile, DamagedTruncatedAndForeignFilesAreRefusedAndChangeNothing)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    const QString good = dir.filePath("good.pmdb");
    ASSERT_TRUE(app.save_as_file(1, path(good).c_str()));
    const QByteArray bytes = readBytes(good);
    ASSERT_GT(bytes.size(), 200);
    app.close_all_projects();
    app.create_project("Keep", "Keep");
    const std::vector<std::string> before = describe(app);

    QByteArray flipped = bytes;
    flipped[bytes.size() / 2] = static_cast<char>(flipped[bytes.size() / 2] ^ 0x20);
    QByteArray random;
    for (int i = 0; i < 4096; ++i)
        random.append(static_cast<char>((i * 7919 + 13) % 251));
    // A sealed file whose object type is not known, with a control character that must be
    // shown escaped, never as itself.
    QByteArray foreignType = bytes.left(bytes.lastIndexOf("end\t"));
    foreignType.replace("Obj::AnnotationRuler", "Obj::Load\xe2\x80\xaeObject");
    foreignType = PelmoraTest::sealedProjectFile(foreignType);
    const struct { const char* name; QByteArray content; const char* says; } cases[] = {
        {"truncated.pmdb", bytes.left(bytes.size() - 40), "incomplete"},
        {"cut-at-end-line.pmdb", bytes.left(bytes.size() - 3), "incomplete"},
        {"flipped.pmdb", flipped, "damaged"},
        {"random.pmdb", random, "not a Pelmora project file"},
        {"empty.pmdb", QByteArray(), "not a Pelmora project file"},
        {"text.pmdb", QByteArray("PELMORA PROJECT FILE\nversion\t1\nend\t00000000\n"), "damaged"},
        {"type.pmdb", foreignType, "holds an object of an unknown type: Obj::Load\\xe2\\x80\\xaeObject"},
    };
    for (const auto& c : cases) {
        const QString file = dir.filePath(c.name);
        writeBytes(file, c.content);
        EXPECT_FALSE(app.resume_from_file(1, path(file).c_str())) << c.name;
        EXPECT_NE(std::string::npos, app.last_file_error().find(c.says)) << c.name << ": " << app.last_file_error();
        EXPECT_NE(std::string::npos, app.last_file_error().find(c.name)) << app.last_file_error();
        EXPECT_EQ(before, describe(app)) << c.name;
    }
    EXPECT_FALSE(app.resume_from_file(1, path(dir.filePath("missing.pmdb")).c_str()));
    EXPECT_EQ(path(good), app.getApplicationFile());
    EXPECT_EQ(before, describe(app));
}

TEST(ProjectFile, AProjectFileNamedOnTheCommandLineGivesBackItsProjects)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    const std::vector<std::string> before = describe(app);
    const std::string file = path(dir.filePath("started.pmdb"));
    ASSERT_TRUE(app.save_as_file(1, file.c_str()));
    app.close_all_projects();

    EXPECT_EQ(std::vector<std::string>{file}, app.processFiles({file}));
    EXPECT_EQ(before, describe(app));

    // A damaged one is reported and makes no project, not even an empty one named after it.
    app.close_all_projects();
    const QString damaged = dir.filePath("damaged.pmdb");
    writeBytes(damaged, readBytes(QString::fromStdString(file)).left(100));
    PelmoraTest::ConsoleCapture console;
    EXPECT_TRUE(app.processFiles({path(damaged)}).empty());
    EXPECT_TRUE(app.get_projects().empty());
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "damaged.pmdb"));
}

TEST(ProjectFile, APipeOrAFolderNamedLikeAProjectFileIsRefusedWithoutWaiting)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    PelmoraTest::NamedPipe pipe(dir.filePath("pipe.pmdb"));
    ASSERT_TRUE(pipe.created());
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.pmdb"));

    bool readPipe = true;
    EXPECT_TRUE(pipe.runsWithoutWaiting([&] { readPipe = app.resume_from_file(1, path(pipe.path()).c_str()); }))
        << "the reader waited for a writer";
    EXPECT_FALSE(readPipe);
    EXPECT_NE(std::string::npos, app.last_file_error().find("not a regular file")) << app.last_file_error();

    EXPECT_FALSE(app.resume_from_file(1, path(dir.filePath("folder.pmdb")).c_str()));
    EXPECT_NE(std::string::npos, app.last_file_error().find("not a regular file")) << app.last_file_error();
    EXPECT_TRUE(app.get_projects().empty());
}

TEST(ProjectFile, AFileThatUsesTheLastObjectIdStaysReadableAfterMoreObjectsAreAdded)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    Obj::Project* project = app.create_project("Ids", "Ids");
    project->add_object("Obj::ProjectObject", "First");
    project->add_object("Obj::ProjectObject", "Last");
    const QString file = dir.filePath("ids.pmdb");
    ASSERT_TRUE(app.save_as_file(1, path(file).c_str()));

    // The second object's id becomes the largest there is, with the checksum made anew.
    writeBytes(file, resealed(readBytes(file).replace("object\t2\t", "object\t4294967295\t")));
    app.close_all_projects();
    ASSERT_TRUE(app.resume_from_file(1, path(file).c_str())) << app.last_file_error();
    Obj::Project* resumed = app.get_project("Ids");
    ASSERT_TRUE(resumed);
    ASSERT_TRUE(resumed->get_object(4294967295u));

    // No id after the last: taking a used one would mix two objects up and give a file
    // that cannot be read back.
    EXPECT_EQ(nullptr, resumed->add_object("Obj::ProjectObject", "Another"));
    EXPECT_EQ(2u, resumed->get_num_objects());
    ASSERT_TRUE(app.save_as_file(1, path(file).c_str()));
    app.close_all_projects();
    EXPECT_TRUE(app.resume_from_file(1, path(file).c_str())) << app.last_file_error();
}

TEST(ProjectFile, APropertyTypeThatIsNoPropertyBuildsNothing)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    ProjectFileTest::Counted::init();
    Obj::Project* project = app.create_project("Types", "Types");
    project->add_object("Obj::ProjectObject", "Plain");
    const QString file = dir.filePath("types.pmdb");
    ASSERT_TRUE(app.save_as_file(1, path(file).c_str()));

    QByteArray bytes = readBytes(file);
    bytes.insert(bytes.lastIndexOf("end\t"), "prop\tOdd\tProjectFileTest::Counted\t1\n");
    writeBytes(file, resealed(bytes));
    app.close_all_projects();
    const int before = ProjectFileTest::Counted::built;
    ASSERT_TRUE(app.resume_from_file(1, path(file).c_str())) << app.last_file_error();
    EXPECT_EQ(before, ProjectFileTest::Counted::built);
    EXPECT_EQ(nullptr, app.get_project("Types")->get_object("Plain")->get_property_by_name("Odd"));
}

TEST(ProjectFile, AFailedSaveKeepsTheEarlierFile)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    const QString file = dir.filePath("kept.pmdb");
    ASSERT_TRUE(app.save_as_file(1, path(file).c_str()));
    const QByteArray saved = readBytes(file);

    // A folder that does not exist.
    EXPECT_FALSE(app.save_as_file(1, path(dir.filePath("no/such/folder/x.pmdb")).c_str()));
    EXPECT_FALSE(app.last_file_error().empty());
    EXPECT_EQ(path(file), app.getApplicationFile());

    // A disk that fills up while the file is written: a file size limit fails the write
    // part-way, as a full disk does.
    for (int i = 0; i < 200; ++i)
        app.get_project("Second")->add_object("Obj::ProjectObject", "Filler");
    struct rlimit old {};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(saved.size());
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    const bool ok = app.save_as_file(1, path(file).c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(ok);
    EXPECT_NE(std::string::npos, app.last_file_error().find("kept.pmdb")) << app.last_file_error();
    EXPECT_EQ(saved, readBytes(file));
    EXPECT_TRUE(app.get_project("Second")->is_modified());
    // No temporary file is left beside it.
    EXPECT_EQ(QStringList{QStringLiteral("kept.pmdb")},
              QDir(dir.path()).entryList({QStringLiteral("kept*")}, QDir::Files | QDir::Hidden));
}

TEST(ProjectFile, AFolderThatAllowsNoNewFileGetsTheProjectFileWrittenInPlace)
{
    // Outside the test's private temporary folder, which an unprivileged user cannot enter.
    QTemporaryDir dir(QStringLiteral("/tmp/pelmora-project-XXXXXX"));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString folder = dir.filePath("locked");
    QDir().mkpath(folder);
    const QString file = folder + "/shared.pmdb";
    writeBytes(file, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    const std::vector<std::string> before = describe(app);
    ConsoleCapture console;
    bool saved = false;
    PelmoraTest::asUnprivilegedUser([&] { saved = app.save_as_file(1, path(file).c_str()); });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ASSERT_TRUE(saved) << app.last_file_error();
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "written in place"));
    EXPECT_EQ(QStringList{QStringLiteral("shared.pmdb")}, QDir(folder).entryList(QDir::Files | QDir::Hidden));

    app.close_all_projects();
    ASSERT_TRUE(app.resume_from_file(1, path(file).c_str())) << app.last_file_error();
    EXPECT_EQ(before, describe(app));
}

// The child half of the next test: runs only when the parent names a file.
TEST(ProjectFile, ChildProcessReadsAFile)
{
    const QByteArray file = qgetenv("PELMORA_TEST_PROJECT_FILE");
    if (file.isEmpty())
        GTEST_SKIP() << "run by AnotherProcessReadsWhatOneSaved";
    ScopedLogic logic;
    ASSERT_TRUE(logic.app().resume_from_file(1, file.constData())) << logic.app().last_file_error();
    QFile out(QString::fromLocal8Bit(qgetenv("PELMORA_TEST_PROJECT_DUMP")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    for (const std::string& line : describe(logic.app()))
        out.write((line + "\n").c_str());
}

TEST(ProjectFile, AnotherProcessReadsWhatOneSaved)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    buildSample(logic.app(), dir);
    const QString file = dir.filePath("shared.pmdb");
    ASSERT_TRUE(logic.app().save_as_file(1, path(file).c_str()));
    std::string expected;
    for (const std::string& line : describe(logic.app()))
        expected += line + "\n";

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELMORA_TEST_PROJECT_FILE"), file);
    env.insert(QStringLiteral("PELMORA_TEST_PROJECT_DUMP"), dir.filePath("dump.txt"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ProjectFile.ChildProcessReadsAFile")});
    ASSERT_TRUE(child.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(0, child.exitCode()) << child.readAllStandardOutput().toStdString();
    EXPECT_EQ(expected, readBytes(dir.filePath("dump.txt")).toStdString());
}

TEST(ProjectFile, CopiedObjectsArriveInAnotherProjectWithTheirLinks)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    Obj::Project* source = app.get_project("Second");
    Obj::ProjectObject* group = source->get_object("Group");

    // A group needs its members; the members' link needs the ruler.
    const std::vector<Obj::ProjectObject*> needed = source->get_dependency_graph({group});
    ASSERT_EQ(3u, needed.size());
    EXPECT_EQ(group, needed[0]);

    std::stringstream stream;
    source->export_objects(needed, stream);
    Obj::Project* target = app.create_project("Target", "Target");
    target->add_object("Obj::ProjectObject", "Ruler");   // takes the name first
    const std::vector<Obj::ProjectObject*> pasted = target->import_objects(stream);
    ASSERT_EQ(3u, pasted.size());
    EXPECT_EQ(4u, target->get_num_objects());
    auto* pastedGroup = dynamic_cast<Obj::ProjectObjectGroup*>(target->get_object("Group"));
    ASSERT_TRUE(pastedGroup);
    ASSERT_EQ(2u, pastedGroup->get_objects().size());
    for (Obj::ProjectObject* member : pastedGroup->get_objects())
        EXPECT_EQ(target, member->get_project());
    Obj::ProjectObject* plain = target->get_object("Plain");
    auto* link = dynamic_cast<Obj::PropertyCouple*>(plain->get_property_by_name("Target"));
    ASSERT_TRUE(link && link->get_value());
    EXPECT_EQ(target, link->get_value()->get_project());
    EXPECT_STREQ("Ruler, 100% sure\nsecond line", link->get_value()->get_label());
    EXPECT_TRUE(plain->isSuppressed());
    EXPECT_EQ(3u, source->get_num_objects());   // the source is untouched

    std::stringstream garbage("not a copy");
    EXPECT_THROW(target->import_objects(garbage), Vexil::ExceptionHandler);
    EXPECT_EQ(4u, target->get_num_objects());
}

TEST(ProjectFile, CopyContentTakesValuesButNotTheLabel)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    buildSample(app, dir);
    Obj::Project* project = app.get_project("wedge");
    auto* source = static_cast<Obj::GeometryObject*>(project->get_objects().front());
    auto* copy = static_cast<Obj::GeometryObject*>(project->add_object("Obj::GeometryObject", source->get_name()));
    copy->copy_content(*source);
    EXPECT_STRNE(source->get_label(), copy->get_label());
    EXPECT_STREQ(source->get_file_name(), copy->get_file_name());
    ASSERT_TRUE(copy->get_poly_data());
    EXPECT_NE(source->get_poly_data(), copy->get_poly_data());
    EXPECT_EQ(source->get_poly_data()->GetNumberOfPoints(), copy->get_poly_data()->GetNumberOfPoints());
    EXPECT_GT(copy->get_memory_usage(), project->add_object("Obj::ProjectObject")->get_memory_usage());
}
