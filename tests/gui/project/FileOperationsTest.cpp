// The application object's file operations: what reaches the logic as script lines and
// records, what the user is asked and told, and what ends up on disk.

#include "ProjectTestTypes.h"

#include <core/GuiProject.h>
#include <core/MergeProjects.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/ConsoleCapture.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/PreferenceManager.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <sstream>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using PelmoraTest::ConsoleCapture;
using PelmoraTest::ModalCloser;

namespace {

const char* const triangle =
    "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n   vertex 0 1 0\n"
    "  endloop\n endfacet\nendsolid t\n";

// The script lines and records sent since the last call.
std::vector<std::string> sent()
{
    std::vector<std::string> lines;
    for (const std::string& line : pmMsg::Journal::lines()) {
        if (line.rfind("runString ", 0) == 0 || line.rfind("doCommand ", 0) == 0)
            lines.push_back(line);
    }
    pmMsg::Journal::clear();
    return lines;
}

class FileOperations : public ::testing::Test
{
protected:
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app{true};
    QTemporaryDir dir;
    QStringList proposals;   // where each save dialog started
    QString answer;          // what the save dialog answers
    Gui::FileDialog::Backend previous;

    void SetUp() override
    {
        ProjectTest::registerTypes();   // the project view feeder that project files name
        Gui::FileDialog::Backend backend;
        backend.saveFileName = [this](QWidget*, const QString&, const QString& start, const QString&, QString*,
                                      QFileDialog::Options) {
            proposals << start;
            return answer;
        };
        previous = Gui::FileDialog::setBackend(backend);
        pmMsg::Journal::clear();
    }
    void TearDown() override
    {
        Gui::FileDialog::setBackend(previous);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The file the last fallback save wrote, as the console named it.
    static QString lastFallbackCopy(const ConsoleCapture& console)
    {
        const std::string said = "The projects were saved to the temporary file ";
        QString copy;
        for (const ConsoleCapture::Line& line : console.lines())
            if (line.level == ConsoleCapture::Level::Warning && line.text.rfind(said, 0) == 0) {
                const std::string rest = line.text.substr(said.size());
                copy = QString::fromStdString(rest.substr(0, rest.find_first_of(":\n")));
            }
        return copy;
    }
    Obj::Project* newProject()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        return logic.app().get_current_project();
    }
};

} // namespace

TEST_F(FileOperations, OpenClosesAnEmptyCleanProjectFirstAndEscapesOnlyTheScriptLine)
{
    newProject();
    const QString model = write("it's.stl", triangle);
    pmMsg::Journal::clear();
    app.open(model.toUtf8().constData(), "Geometry");
    const std::string path = model.toUtf8().toStdString();
    EXPECT_EQ(sent(), (std::vector<std::string>{"runString App.close_project('Unnamed_Project')", "runString import Geometry",
                                                "runString Geometry.open(u\"" + path.substr(0, path.size() - 8)
                                                    + "it\\'s.stl\")"}));
    ASSERT_EQ(1u, logic.app().get_projects().size());
    Obj::Project* opened = logic.app().get_projects().front();
    EXPECT_EQ(1u, opened->get_num_objects());

    // A model just opened is not a change: closing it asks nothing.
    Gui::GuiProject* gui = app.get_project(opened);
    ASSERT_TRUE(gui);
    EXPECT_FALSE(gui->getDirty());
    EXPECT_FALSE(opened->is_modified());
    ModalCloser closer(QMessageBox::Cancel);
    EXPECT_TRUE(gui->canClose());
    EXPECT_EQ(0, closer.count());

    // A project that holds objects stays open; so does an empty one with changes.
    app.open(write("second.stl", triangle).toUtf8().constData(), "Geometry");
    EXPECT_EQ(2u, logic.app().get_projects().size());
    Obj::Project* empty = newProject();
    app.get_project(empty)->setDirty(true);
    app.open(write("third.stl", triangle).toUtf8().constData(), "Geometry");
    EXPECT_EQ(4u, logic.app().get_projects().size());

    // Without a module nothing is sent and the user is told.
    sent();
    app.open(dir.filePath("x.xyz").toUtf8().constData(), nullptr);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(closer.titles(), QStringList{"Unknown filetype"});
    EXPECT_EQ(closer.texts(), QStringList{"Cannot open unknown filetype: xyz"});
}

TEST_F(FileOperations, ImportsAndExportsSendTheirRecordsWithTheRawPath)
{
    const Obj::Project* project = newProject();
    const std::string name = project->get_name();
    const std::string file = dir.filePath("a \"quoted\" part.step").toUtf8().toStdString();
    sent();
    app.import_from(file.c_str(), name.c_str(), "Import");
    app.import_geom_from(file.c_str(), name.c_str(), "Import", 0);
    app.import_geom_from(file.c_str(), name.c_str(), "Import", 5);
    const std::string head = "doCommand 2 text1=" + file + " text2=" + name;
    EXPECT_EQ(sent(), (std::vector<std::string>{
        head + " text3= number=0 text4= text5=Import text6= real=0 ids=",
        "runString import Import",
        head + " text3=Import number=0 text4= text5= text6= real=0 ids=",
        "runString import Import",
        "doCommand 2001 text1=" + file + " text2=" + name + " text3= number=5 text4= text5=Import text6= real=0 ids="}));
    EXPECT_TRUE(app.get_project(name.c_str())->getDirty());

    app.exportStepFile(file.c_str(), name.c_str(), "STEP", std::vector<unsigned>{});
    app.exportStepFile(file.c_str(), name.c_str(), "STEP", std::vector<unsigned>{3, 4});
    app.exportStepFile(file.c_str(), name.c_str(), "STEP", 7u);
    EXPECT_EQ(sent(), (std::vector<std::string>{
        "doCommand 23 text1=" + file + " text2=" + name + " text3=STEP number=0 text4= text5= text6= real=0 ids=3,4",
        "doCommand 23 text1=" + file + " text2=" + name + " text3=STEP number=0 text4= text5= text6= real=0 ids=7"}));

    // Saving to a file type exports the objects selected in the tree, and nothing without.
    Obj::Project* mutableProject = logic.app().get_project(name.c_str());
    const unsigned a = mutableProject->add_object("Obj::ProjectObject", "A")->getObjectId();
    mutableProject->add_object("Obj::ProjectObject", "B");
    const unsigned c = mutableProject->add_object("Obj::ProjectObject", "C")->getObjectId();
    sent();
    app.save_to(file.c_str(), name.c_str(), "STEP");
    EXPECT_TRUE(sent().empty());
    Gui::TreeSelectionSingleton::instance().add_selection(name.c_str(), a, nullptr);
    Gui::TreeSelectionSingleton::instance().add_selection(name.c_str(), c, nullptr);
    sent();
    app.save_to(file.c_str(), name.c_str(), "STEP");
    EXPECT_EQ(sent(), (std::vector<std::string>{"doCommand 23 text1=" + file + " text2=" + name + " text3=STEP number=0 "
                                                "text4= text5= text6= real=0 ids=" + std::to_string(a) + ","
                                                + std::to_string(c)}));
    Gui::TreeSelectionSingleton::instance().clear_all_selections();

    ModalCloser closer(QMessageBox::Ok);
    app.exportStepFile(file.c_str(), name.c_str(), "", std::vector<unsigned>{1});
    app.exportStepFile(file.c_str(), name.c_str(), nullptr, 1u);
    app.save_to("out.igs", name.c_str(), nullptr);
    app.import_from(file.c_str(), name.c_str(), nullptr);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(closer.texts(), (QStringList{QString("Warning: Cannot save file: %1").arg(QString::fromStdString(file)),
                                           "Warning: Cannot save to unknown filetype: STEP",
                                           "Warning: Cannot save to unknown filetype: igs",
                                           "Cannot open unknown filetype: step"}));
}

TEST_F(FileOperations, SaveAsProposesTheNextFreeNameAndRefusesNonAsciiNames)
{
    logic.app().getPrefMgr()->set(Vexil::PM_DEFAULT_FOLDER, dir.path(), false);
    write("Untitled.pmdb", "x");
    write("Untitled-1.pmdb", "x");
    Obj::Project* project = newProject();
    project->add_object("Obj::ProjectObject", "Thing");

    ConsoleCapture console;
    answer = dir.filePath(QString::fromUtf8("Caf\xc3\xa9.pmdb"));
    EXPECT_FALSE(app.save());
    EXPECT_EQ(proposals, QStringList{dir.filePath("Untitled-2.pmdb")});
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                 "Error: Non-ASCII file name (" + answer.toUtf8().toStdString()
                                     + ") is not supported. Please change the file name or path.\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(logic.app().getApplicationFile().empty());
    EXPECT_TRUE(project->is_modified());

    // An empty answer saves nothing; a good one saves, and then Save asks no more.
    answer.clear();
    EXPECT_FALSE(app.save_as());
    answer = dir.filePath("chosen.pmdb");
    EXPECT_TRUE(app.save());
    EXPECT_FALSE(project->is_modified());
    EXPECT_FALSE(app.getDirty());
    project->add_object("Obj::ProjectObject", "More");
    answer = dir.filePath("never-asked.pmdb");
    EXPECT_TRUE(app.save());
    EXPECT_EQ(3, proposals.size());
    EXPECT_FALSE(QFileInfo::exists(answer));
    logic.app().close_all_projects();
    ASSERT_TRUE(logic.app().resume_from_file(1, dir.filePath("chosen.pmdb").toUtf8().constData()));
    EXPECT_TRUE(logic.app().get_projects().front()->get_object("More"));

    // Without a default folder, Save As starts beside the file the projects were last saved to.
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    answer = dir.filePath("sub/moved.pmdb");
    EXPECT_TRUE(app.save_as());
    answer.clear();
    EXPECT_FALSE(app.save_as());
    EXPECT_EQ(proposals.back(), dir.filePath("Untitled-2.pmdb"));
    logic.app().getPrefMgr()->set(Vexil::PM_DEFAULT_FOLDER, QString(), false);
    EXPECT_FALSE(app.save_as());
    EXPECT_EQ(proposals.back(), dir.filePath("sub/Untitled.pmdb"));
}

TEST_F(FileOperations, AFailedSaveKeepsTheOldFileAndOffersTheTemporaryFolder)
{
    Obj::Project* project = newProject();
    project->add_object("Obj::ProjectObject", "Thing");
    answer = dir.filePath("kept.pmdb");
    ASSERT_TRUE(app.save_as());
    const QByteArray before = read(answer);
    project->add_object("Obj::ProjectObject", "Unsaved");

    // A folder that cannot be made: said on the console, nothing asked.
    ConsoleCapture console;
    ModalCloser closer(QMessageBox::No);
    write("plain-file", "x");
    answer = dir.filePath("plain-file/sub/x.pmdb");
    EXPECT_FALSE(app.save_as());
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                 "Error: Cannot create directory at: " + dir.filePath("plain-file/sub").toStdString()));
    EXPECT_EQ(0, closer.count());

    // The target is a folder: the write fails, the user is offered the temporary folder.
    QDir(dir.path()).mkpath("taken.pmdb");
    answer = dir.filePath("taken.pmdb");
    EXPECT_FALSE(app.save_as());
    EXPECT_EQ(closer.titles(), QStringList{"Invalid path"});
    EXPECT_EQ(closer.texts(), QStringList{"Failed to save the application file to your designated path. "
                                          "Do you want to save projects to the system temporary path instead?"});
    EXPECT_EQ(before, read(dir.filePath("kept.pmdb")));
    EXPECT_TRUE(app.getDirty() || project->is_modified());
    EXPECT_EQ(dir.filePath("kept.pmdb").toStdString(), logic.app().getApplicationFile());

    // Yes: a copy goes to this user's private folder in the temporary folder, under the
    // name chosen, and the console says where.  The chosen file stays the one the next
    // save goes to, and the projects stay unsaved until one reaches it.
    closer.setAnswer(QMessageBox::Yes);
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("Pelmora21-%1").arg(::geteuid()));
    QDir(folder).removeRecursively();
    EXPECT_TRUE(app.save_as());
    const QString fallback = QDir(folder).filePath("taken.pmdb");
    EXPECT_TRUE(QFileInfo::exists(fallback));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "The projects were saved to the temporary file " + fallback.toStdString() + "\n"));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 dir.filePath("taken.pmdb").toStdString()
                                     + " was not saved: its projects stay unsaved until a save reaches it\n"));
    EXPECT_EQ(before, read(dir.filePath("kept.pmdb")));
    EXPECT_TRUE(app.getDirty());
    EXPECT_EQ(dir.filePath("taken.pmdb").toStdString(), logic.app().getApplicationFile());
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    ASSERT_EQ(::stat(QFile::encodeName(fallback).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // A second fallback save never replaces the first: it takes the next free name.
    const QByteArray first = read(fallback);
    project->add_object("Obj::ProjectObject", "Later");
    answer = dir.filePath("taken.pmdb");
    EXPECT_TRUE(app.save_as());
    EXPECT_EQ(first, read(fallback));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath("taken-1.pmdb")));

    // Something of that name that is no folder of this user (a link another user planted,
    // to a file or to a folder) is not used: the projects go to a fresh private folder
    // beside it, and the console names it.
    QDir(folder).removeRecursively();
    write("elsewhere", "x");
    QDir(dir.path()).mkdir("elsewhere folder");
    for (const QString& target : {dir.filePath("elsewhere"), dir.filePath("elsewhere folder")}) {
        ASSERT_TRUE(QFile::link(target, folder));
        console.clear();
        answer = dir.filePath("taken.pmdb");
        EXPECT_TRUE(app.save_as());
        const QString saved = lastFallbackCopy(console);
        const QString fresh = QFileInfo(saved).absolutePath();
        EXPECT_TRUE(fresh.startsWith(folder + "-")) << saved.toStdString();
        EXPECT_TRUE(read(saved).startsWith("PELMORA PROJECT FILE\n"));
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                     "The projects were saved to the temporary file " + saved.toStdString() + ": "
                                         + folder.toStdString() + " is not a folder of this user, so they went to "
                                         "the private folder " + fresh.toStdString() + "\n"));
        ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u);
        QDir(fresh).removeRecursively();
        QFile::remove(folder);
    }
    EXPECT_EQ(read(dir.filePath("elsewhere")), QByteArray("x"));
    EXPECT_TRUE(QDir(dir.filePath("elsewhere folder")).isEmpty());

    // Another user's link in a shared folder, on the way to folders still to be made: the
    // save refuses it with its reason, and no folder is made where it points.
    if (::geteuid() == 0) {
        const QString shared = dir.filePath("shared");
        QDir(dir.path()).mkdir("shared");
        QDir(dir.path()).mkdir("victim");
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        const QByteArray link = QFile::encodeName(shared + "/evil");
        ASSERT_EQ(::symlink(QFile::encodeName(dir.filePath("victim")).constData(), link.constData()), 0);
        ASSERT_EQ(::lchown(link.constData(), 4242, static_cast<gid_t>(-1)), 0);
        closer.setAnswer(QMessageBox::No);
        const int seen = closer.count();
        answer = shared + "/evil/sub/x.pmdb";
        EXPECT_FALSE(app.save_as());
        EXPECT_EQ(closer.titles().mid(seen), QStringList{"Invalid path"});
        EXPECT_TRUE(closer.informativeTexts().value(seen).contains("will not follow the symbolic link"))
            << closer.informativeTexts().value(seen).toStdString();
        EXPECT_TRUE(QDir(dir.filePath("victim")).isEmpty());
    }
}

TEST_F(FileOperations, FallbackSavesBesideATakenFolderNameShareOnePrivateFolder)
{
    Obj::Project* project = newProject();
    project->add_object("Obj::ProjectObject", "Thing");
    // The usual folder's name is taken by a link to somewhere else.
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("Pelmora21-%1").arg(::geteuid()));
    QDir(folder).removeRecursively();
    QFile::remove(folder);
    QDir(dir.path()).mkdir("elsewhere folder");
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere folder"), folder));
    const QString pattern = QFileInfo(folder).fileName() + "-*";
    const QStringList before = QDir(QDir::tempPath()).entryList({pattern}, QDir::Dirs);

    ConsoleCapture console;
    ModalCloser closer(QMessageBox::Yes);
    QDir(dir.path()).mkpath("taken.pmdb");
    QStringList saved;
    for (int i = 0; i < 3; ++i) {
        project->add_object("Obj::ProjectObject", ("Later " + std::to_string(i)).c_str());
        answer = dir.filePath("taken.pmdb");
        console.clear();
        ASSERT_TRUE(app.save_as());
        saved << lastFallbackCopy(console);
    }
    // Three saves, one private folder, each save under a name of its own.
    QStringList made = QDir(QDir::tempPath()).entryList({pattern}, QDir::Dirs);
    for (const QString& old : before)
        made.removeAll(old);
    EXPECT_LE(made.size(), 1) << made.join(' ').toStdString();
    const QString fresh = QFileInfo(saved.front()).absolutePath();
    EXPECT_TRUE(fresh.startsWith(folder + "-")) << fresh.toStdString();
    EXPECT_EQ(saved.removeDuplicates(), 0);
    for (const QString& file : saved) {
        EXPECT_EQ(QFileInfo(file).absolutePath(), fresh) << file.toStdString();
        EXPECT_TRUE(read(file).startsWith("PELMORA PROJECT FILE\n"));
    }
    // Each save asked, and then said where the projects went.
    EXPECT_EQ(closer.titles(), (QStringList{"Invalid path", "Saved to the temporary folder", "Invalid path",
                                            "Saved to the temporary folder", "Invalid path",
                                            "Saved to the temporary folder"}));
    EXPECT_EQ(closer.texts().at(1), "The projects were saved to the temporary file\n" + saved.at(0));
    EXPECT_TRUE(QDir(dir.filePath("elsewhere folder")).isEmpty());
    QDir(fresh).removeRecursively();
    QFile::remove(folder);
}

TEST_F(FileOperations, ASaveThatFailsForWhatTheProjectsHoldOffersNoOtherFolder)
{
    // A label no project file can hold, given by a module through the logic: the typed
    // paths refuse it where it is typed.
    Obj::Project* project = newProject();
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Thing");
    object->set_label(std::string(5000, 'L').c_str());
    answer = dir.filePath("plant v2.1.pmdb");

    ConsoleCapture console;
    ModalCloser closer(QMessageBox::Yes);
    EXPECT_FALSE(app.save_as());
    // Told why, once; never asked about the temporary folder, where it would fail again.
    EXPECT_EQ(closer.titles(), QStringList{"Failed to save"});
    ASSERT_EQ(closer.texts().size(), 1);
    EXPECT_TRUE(closer.texts()[0].startsWith("The projects were not saved: the name or label of an object of "))
        << closer.texts()[0].toStdString();
    EXPECT_TRUE(closer.texts()[0].endsWith(" is longer than 4096 bytes")) << closer.texts()[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(answer));
    EXPECT_TRUE(project->is_modified());
    EXPECT_TRUE(app.getDirty() || project->is_modified());

    // A value longer than a project file holds: the box gives that cause, not the path's.
    object->set_label("Thing");
    Obj::Property* note = object->add_property("Obj::PropertyString", "Note");
    ASSERT_TRUE(note);
    ASSERT_TRUE(note->set_value_text(std::string((16 << 20) + 100, 'n')));
    EXPECT_FALSE(app.save_as());
    EXPECT_EQ(closer.titles(), (QStringList{"Failed to save", "Failed to save"}));
    EXPECT_TRUE(closer.informativeTexts().value(1).contains("16 MiB")) << closer.informativeTexts().value(1).toStdString();
    EXPECT_FALSE(QFileInfo::exists(answer));

    // Mended, the same save goes through.
    ASSERT_TRUE(note->set_value_text("short"));
    closer.setAnswer(QMessageBox::No);
    EXPECT_TRUE(app.save_as());
    EXPECT_TRUE(read(answer).startsWith("PELMORA PROJECT FILE\n"));
    EXPECT_EQ(closer.count(), 2);
}

TEST_F(FileOperations, AFallbackCopyKeepsTheNameChosenBesideOthers)
{
    newProject()->add_object("Obj::ProjectObject", "Fresh");
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("Pelmora21-%1").arg(::geteuid()));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    write("other", "another project's fallback");
    ASSERT_TRUE(QFile::copy(dir.filePath("other"), QDir(folder).filePath("taken.pmdb")));

    ConsoleCapture console;
    ModalCloser closer(QMessageBox::Yes);
    QDir(dir.path()).mkpath("taken.pmdb");
    answer = dir.filePath("taken.pmdb");
    EXPECT_TRUE(app.save_as());
    const QString saved = QDir(folder).filePath("taken-1.pmdb");
    EXPECT_EQ(read(QDir(folder).filePath("taken.pmdb")), QByteArray("another project's fallback"));
    EXPECT_TRUE(read(saved).startsWith("PELMORA PROJECT FILE\n"));
    EXPECT_EQ(answer.toStdString(), logic.app().getApplicationFile());
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "The projects were saved to the temporary file " + saved.toStdString() + "\n"));
    // The folder made by an earlier run with looser permissions is made private again.
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    QDir(folder).removeRecursively();
}

TEST_F(FileOperations, ResumingAsksFirstAndADamagedFileChangesNothing)
{
    Obj::Project* project = newProject();
    project->add_object("Obj::ProjectObject", "Saved");
    const QString file = dir.filePath("resume.pmdb");
    ASSERT_TRUE(logic.app().save_as_file(1, file.toUtf8().constData()));
    project->add_object("Obj::ProjectObject", "Later");

    ModalCloser closer(QMessageBox::No);
    app.openPMDB(file.toUtf8().constData(), "Pelmora");
    EXPECT_EQ(closer.titles(), QStringList{"Remove existing projects"});
    EXPECT_EQ(closer.texts(), QStringList{"Resuming a PELMORA project will delete all existing projects, will you continue?"});
    ASSERT_EQ(1u, logic.app().get_projects().size());
    EXPECT_TRUE(project->get_object("Later"));

    // A project without views is closed by its kind; the file's projects come back clean.
    // (Its unsaved change is given up here; the question about it has its own test.)
    closer.setAnswer(QMessageBox::Yes);
    project->kind = 2;
    app.setDirty(false);
    app.openPMDB(file.toUtf8().constData(), "Pelmora");
    ASSERT_EQ(1u, logic.app().get_projects().size());
    Obj::Project* resumed = logic.app().get_projects().front();
    EXPECT_TRUE(resumed->get_object("Saved"));
    EXPECT_FALSE(resumed->get_object("Later"));
    EXPECT_FALSE(app.getDirty());
    ASSERT_TRUE(app.get_project(resumed));
    EXPECT_FALSE(app.get_project(resumed)->getDirty());

    // A damaged file: the user is told, the console says why, nothing is added.
    QByteArray bytes = read(file);
    bytes.chop(10);
    const QString broken = write("broken.pmdb", bytes);
    ConsoleCapture console;
    closer.setAnswer(QMessageBox::Yes);
    resumed->kind = 1;
    app.openPMDB(broken.toUtf8().constData(), "Pelmora");
    EXPECT_EQ(closer.titles().back(), "Failed to open");
    EXPECT_EQ(closer.texts().back(), "Cannot open the project file: " + broken);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "is incomplete"));
    EXPECT_EQ(1u, logic.app().get_projects().size());
}

TEST_F(FileOperations, ADamagedFileIsRefusedBeforeAnyOpenProjectIsClosed)
{
    Obj::Project* project = newProject();
    project->add_object("Obj::ProjectObject", "Unsaved");
    // Closed by its kind when a file is resumed, as a project with views is with them.
    project->kind = 2;
    const QString broken = write("broken.pmdb", "PELMORA PROJECT FILE\nversion\t1\n");
    const QString pipe = dir.filePath("pipe.pmdb");
    ASSERT_EQ(0, ::mkfifo(QFile::encodeName(pipe).constData(), 0600));

    for (const QString& file : {broken, pipe}) {
        ModalCloser closer(QMessageBox::Yes);
        app.openPMDB(file.toUtf8().constData(), "Pelmora");
        EXPECT_EQ(closer.titles(), QStringList{"Failed to open"}) << file.toStdString();
        ASSERT_EQ(1u, logic.app().get_projects().size());
        EXPECT_TRUE(logic.app().get_projects().front()->get_object("Unsaved"));
    }
}

TEST_F(FileOperations, AProjectOfAViewTypeThisBuildCannotShowRefusesTheWholeFile)
{
    // A type nobody registered, and a registered type that is no project view feeder.
    for (const char* viewType : {"NoSuch::ViewFeederProject", "Obj::ProjectObject"}) {
        Obj::Project* shown = newProject();
        shown->add_object("Obj::ProjectObject", "Shown");
        Obj::Project* unknown = logic.app().create_project("Foreign", "Foreign");
        unknown->set_feeder_type_name(viewType);
        unknown->add_object("Obj::ProjectObject", "Hidden");
        const QString file = dir.filePath("foreign.pmdb");
        ASSERT_TRUE(logic.app().save_as_file(1, file.toUtf8().constData()));
        logic.app().close_project(unknown->get_name());

        // Refused before the open project is offered for closing, and with nothing open.
        for (int open : {1, 0}) {
            ModalCloser closer(QMessageBox::Yes);
            ConsoleCapture console;
            app.openPMDB(file.toUtf8().constData(), "Pelmora");
            EXPECT_EQ(closer.titles(), QStringList{"Failed to open"}) << viewType;
            EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                         std::string("holds the project Foreign of a view type this build does not know: ")
                                             + viewType))
                << viewType;
            ASSERT_EQ(static_cast<std::size_t>(open), logic.app().get_projects().size()) << viewType;
            EXPECT_FALSE(open && !logic.app().get_projects().front()->get_object("Shown"));
            logic.app().close_all_projects();
        }
    }
}

TEST_F(FileOperations, SavingToTheTemporaryFolderSaysWhenTheFolderCannotBeMade)
{
    newProject()->add_object("Obj::ProjectObject", "Thing");
    write("not-a-folder", "x");
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.filePath("not-a-folder/tmp").toLocal8Bit());
    ConsoleCapture console;
    ModalCloser closer(QMessageBox::No);
    const bool saved = app.saveToTmp();
    qputenv("TMPDIR", previous);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "Temp folder cannot be created at " + dir.filePath("not-a-folder/tmp").toStdString()
                                     + "!\n"));
    EXPECT_TRUE(logic.app().getApplicationFile().empty());

    // With a temporary folder the projects go to "unsaved_project.pmdb" there.
    EXPECT_TRUE(app.saveToTmp());
    EXPECT_EQ(QDir(QString::fromStdString(logic.app().getTempAppFolder())).filePath("unsaved_project.pmdb").toStdString(),
              logic.app().getApplicationFile());
    QFile::remove(QString::fromStdString(logic.app().getApplicationFile()));

    // That folder is this user's alone; one of the same name that is not a private folder
    // of this user (here a file planted there) is passed over for a fresh private one.
    const QString own = QString::fromStdString(logic.app().getTempAppFolder());
    EXPECT_EQ(QFileInfo(own).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
              QFile::Permissions());
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    write(QStringLiteral("Pelmora21-%1").arg(::geteuid()), "planted");
    const QString fresh = QString::fromStdString(logic.app().getTempAppFolder());
    qputenv("TMPDIR", previous);
    EXPECT_TRUE(QFileInfo(fresh).isDir());
    EXPECT_TRUE(fresh.startsWith(dir.filePath(QStringLiteral("Pelmora21-%1-").arg(::geteuid())))) << fresh.toStdString();
}

TEST_F(FileOperations, AMergeReadsCopiedObjectsAndLetsGoOfItsTarget)
{
    Obj::Project* source = newProject();
    source->add_object("Obj::ProjectObject", "Copied");
    std::stringstream copy;
    source->export_objects(source->get_objects(), copy);

    Obj::Project free;   // a project of no application: it has no GUI project
    {
        Gui::MergeProjects merge(&free);
        EXPECT_EQ(nullptr, merge.target_gui_project());
        EXPECT_EQ(1u, free.signal_export_objects.num_slots());
        EXPECT_EQ(1u, free.signal_import_objects.num_slots());
        const std::vector<Obj::ProjectObject*> objects = merge.import_project_objects(copy);
        ASSERT_EQ(1u, objects.size());
        EXPECT_STREQ("Copied", objects.front()->get_name());
    }
    EXPECT_EQ(0u, free.signal_export_objects.num_slots());
    EXPECT_EQ(0u, free.signal_import_objects.num_slots());

    // A stream that holds no copy: reported, nothing created.
    ConsoleCapture console;
    Gui::MergeProjects merge(source);
    EXPECT_EQ(app.get_project(source), merge.target_gui_project());
    std::stringstream garbage("PELMORA PROJECT FILE\nversion\t1\n");
    EXPECT_TRUE(merge.import_project_objects(garbage).empty());
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "incomplete"));
    EXPECT_EQ(1u, source->get_num_objects());
}
