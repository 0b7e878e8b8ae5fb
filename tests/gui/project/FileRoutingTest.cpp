// Routes of the application object's file operations that the user meets less often:
// a project file given to an import, lock files of earlier runs, and every question and
// refusal of a start without a window.

#include "ProjectTestTypes.h"

#include <core/CloseProjectQuestion.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>

#include <support/ConsoleCapture.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <string>
#include <vector>

using PelmoraTest::ConsoleCapture;
using PelmoraTest::ModalCloser;

namespace {

std::vector<std::string> scriptLinesAndRecords()
{
    std::vector<std::string> lines;
    for (const std::string& line : pmMsg::Journal::lines())
        if (line.rfind("runString ", 0) == 0 || line.rfind("doCommand ", 0) == 0)
            lines.push_back(line);
    pmMsg::Journal::clear();
    return lines;
}

class FileRouting : public ::testing::Test
{
protected:
    explicit FileRouting(std::map<std::string, std::string> config = {}) : logic(std::move(config)) {}
    void SetUp() override { ProjectTest::registerTypes(); }

    // A file holding one project labelled `label` with one object; no project stays open.
    QString projectFile(const QString& name, const char* label)
    {
        const QString path = dir.filePath(name);
        Obj::Project* p = logic.app().create_project("Plant", label);
        p->add_object("Obj::ProjectObject", "Kept");
        EXPECT_TRUE(logic.app().save_as_file(1, QFile::encodeName(path).constData()));
        logic.app().close_project(p->get_name());
        return path;
    }
    Obj::Project* changedProject()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Target"});
        Obj::Project* p = logic.app().get_current_project();
        p->add_object("Obj::ProjectObject", "Unsaved");
        app.set_current_project(app.get_project(p));
        app.get_project(p)->setDirty(true);
        return p;
    }

    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app{true};
    QTemporaryDir dir;
};

class HiddenFileRouting : public FileRouting
{
protected:
    HiddenFileRouting() : FileRouting({{"StartHidden", "1"}}) {}
};

} // namespace

TEST_F(FileRouting, AProjectFileImportedComesInBesideAndTheTargetKeepsItsChanges)
{
    const QString file = projectFile(QStringLiteral("it's plant v2.1.pmdb"), "From File");
    Obj::Project* target = changedProject();
    const std::string script = "Pelmora.open(u\"" + QDir(dir.path()).filePath("it\\'s plant v2.1.pmdb").toStdString() + "\")";

    pmMsg::Journal::clear();
    app.import_from(file.toUtf8().constData(), target->get_name(), "Pelmora");
    app.import_geom_from(file.toUtf8().constData(), target->get_name(), "Pelmora", 5);
    // Opened through the module, never sent as an import record.
    EXPECT_EQ(scriptLinesAndRecords(),
              (std::vector<std::string>{"runString " + script, "runString import Pelmora", "runString " + script}));

    ASSERT_EQ(3u, logic.app().get_projects().size());
    for (Obj::Project* p : logic.app().get_projects()) {
        Gui::GuiProject* gui = app.get_project(p);
        ASSERT_TRUE(gui);
        if (p == target) {
            EXPECT_TRUE(p->is_modified());
            EXPECT_TRUE(gui->getDirty());
            continue;
        }
        EXPECT_STREQ("From File", p->getProjectName());
        EXPECT_TRUE(p->get_object("Kept"));
        EXPECT_FALSE(p->is_modified());
        EXPECT_FALSE(gui->getDirty());
    }
}

TEST_F(FileRouting, LockFilesOfEarlierRunsAreListedAndThisRunsAreNot)
{
    QTemporaryDir temp;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString pid = QString::number(::getpid());
    const QStringList earlier{"pelmora_" + pid + "0.pmloc", "pelmora_1" + pid + ".pmloc", "pelmora.pmloc"};
    const QStringList ignored{"pelmora_" + pid + ".pmloc", "pelmora-" + pid + "-2.pmloc", "other_77.pmloc",
                              "pelmora_77.pmloc.txt", "apelmora_77.pmloc"};
    for (const QString& name : earlier + ignored) {
        QFile f(QDir(temp.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ConsoleCapture console;
    app.checkForPreviousCrashes();
    previous.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", previous);

    QStringList listed;
    for (const ConsoleCapture::Line& line : console.lines())
        if (line.level == ConsoleCapture::Level::Log)
            listed << QString::fromStdString(line.text).remove("Lock file of an earlier run: ").trimmed();
    listed.sort();
    QStringList expected = earlier;
    expected.sort();
    EXPECT_EQ(listed, expected);
    // They are only listed.
    for (const QString& name : earlier + ignored)
        EXPECT_TRUE(QFile::exists(QDir(temp.path()).filePath(name))) << name.toStdString();
}

TEST_F(FileRouting, ARefusedProjectFileIsShownWithTheReason)
{
    const QString file = projectFile(QStringLiteral("cut short.pmdb"), "From File");
    QFile::resize(file, QFile(file).size() - 10);
    QStringList seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen << box->windowTitle() << box->text() << box->informativeText();
            box->reject();
        }
    });
    poll.start(20);
    app.openPMDB(file.toUtf8().constData(), "Pelmora");
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0], "Failed to open");
    EXPECT_EQ(seen[1], "Cannot open the project file: " + file);
    EXPECT_FALSE(logic.app().last_file_error().empty());
    EXPECT_EQ(seen[2], QString::fromStdString(logic.app().last_file_error()));
}

TEST_F(HiddenFileRouting, NoBoxIsShownQuestionsKeepWhatIsOpenAndRefusalsSayWhy)
{
    const QString file = projectFile(QStringLiteral("saved.pmdb"), "From File");
    Obj::Project* target = changedProject();
    ModalCloser closer(QMessageBox::Yes);
    ConsoleCapture console;

    // Resuming would close the open project: not done unasked, and said.
    app.openPMDB(file.toUtf8().constData(), "Pelmora");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "Not opened: " + file.toStdString()
                                     + ": resuming a project file closes every open project"));
    ASSERT_EQ(1u, logic.app().get_projects().size());
    EXPECT_TRUE(target->is_modified());

    // A refused file: the file and the reason, on the console, once.
    QFile::resize(file, QFile(file).size() - 10);
    console.clear();
    app.openPMDB(file.toUtf8().constData(), "Pelmora");
    const std::string said = file.toStdString() + " is incomplete: the file ends before its last record\n";
    int withReason = 0;
    for (const ConsoleCapture::Line& line : console.lines())
        withReason += line.level == ConsoleCapture::Level::Error && line.text.find(said) != std::string::npos ? 1 : 0;
    EXPECT_EQ(withReason, 1);
    EXPECT_EQ(console.lines().size(), 1u);

    // Unsaved changes are not given up.
    EXPECT_EQ(QMessageBox::Cancel, Gui::askCloseProject(nullptr, "unsaved", QMessageBox::Save));
    app.open(dir.filePath("x.xyz").toUtf8().constData(), nullptr);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "Cannot open unknown filetype: xyz"));
    EXPECT_EQ(0, closer.count()) << closer.titles().join('|').toStdString();
}
