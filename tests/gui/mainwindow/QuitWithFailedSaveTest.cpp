// Quitting with unsaved changes whose save fails, then Yes to saving to the system
// temporary path: before the window goes, the user is told in a box, and on standard
// error, which file now holds the work.

#include <commands/Command.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>

#include <support/BoxAnswerer.h>
#include <support/GuiSession.h>
#include <support/SaveDialogAnswer.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>
#include <vexil/PrintableText.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

// Standard error goes to a file while it lives.
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        file.open();
        std::fflush(stderr);
        saved = ::dup(2);
        ::dup2(file.handle(), 2);
    }
    ~StandardErrorCapture() { restore(); }
    QByteArray text()
    {
        restore();
        file.seek(0);
        return file.readAll();
    }

private:
    void restore()
    {
        if (saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        saved = -1;
    }
    QTemporaryFile file;
    int saved = -1;
};

class QuitWithFailedSave : public PelmoraTest::MainWindowSession
{
protected:
    QTemporaryDir dir;
    PelmoraTest::SaveDialogAnswer saveDialog;
};

} // namespace

TEST_F(QuitWithFailedSave, TheBoxAndStandardErrorNameTheTemporaryFileBeforeTheWindowGoes)
{
    Obj::Application& logic = Obj::Application::instance();
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Gears"});
    Obj::Project* project = logic.get_current_project();
    ASSERT_NE(project, nullptr);
    ASSERT_NE(project->add_object("Obj::ProjectObject", "Spur"), nullptr);
    // A name that would act on a terminal, as the user may have chosen it.
    const QString chosen = dir.filePath(QString::fromUtf8("work \x1b[31mred v2.pmdb"));
    saveDialog.answer = chosen;
    ASSERT_TRUE(app->save_as());
    ASSERT_NE(project->add_object("Obj::ProjectObject", "Helical"), nullptr);
    // The file cannot be written any more: a folder took its place.
    ASSERT_TRUE(QFile::remove(chosen));
    ASSERT_TRUE(QDir().mkpath(chosen));

    PelmoraTest::BoxAnswerer boxes({{QStringLiteral("Close Project"), QMessageBox::Save},
                                    {QStringLiteral("Invalid path"), QMessageBox::Yes},
                                    {QStringLiteral("Saved to the temporary folder"), QMessageBox::Ok}});
    bool closed = false;
    QObject::connect(window.get(), &Gui::MainWindow::mainWindowClosed, [&closed] { closed = true; });
    QByteArray printed;
    {
        StandardErrorCapture standardError;
        command("Std_Quit")->invoke(0);
        printed = standardError.text();
    }
    EXPECT_TRUE(closed);
    // Closing asked the event loop to quit; a loop run to its end takes that back.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();

    ASSERT_EQ(boxes.titles, (QStringList{"Close Project", "Invalid path", "Saved to the temporary folder"}));
    const QString folder = QDir(QString::fromStdString(logic.getTempAppFolder())).absolutePath();
    const QString temporary = QDir(folder).filePath(QString::fromUtf8("work \x1b[31mred v2.pmdb"));
    ASSERT_TRUE(QFile::exists(temporary));
    const std::string escaped = Vexil::printableText(temporary.toStdString());
    ASSERT_NE(escaped, temporary.toStdString()) << "the name has something to escape";
    EXPECT_EQ(boxes.texts.at(2).toStdString(), "The projects were saved to the temporary file\n" + escaped);
    EXPECT_TRUE(printed.contains(
        QByteArray::fromStdString("pelmora: The projects were saved to the temporary file " + escaped + "\n")))
        << printed.toStdString();
    EXPECT_FALSE(printed.contains('\x1b')) << "nothing raw reaches the terminal";

    // The file holds the projects with the change the user made last.
    QFile saved(temporary);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray content = saved.readAll();
    saved.close();
    EXPECT_TRUE(content.startsWith("PELMORA PROJECT FILE\n"));
    for (const char* name : {"Gears", "Spur", "Helical"})
        EXPECT_TRUE(content.contains(name)) << name;
    EXPECT_TRUE(QFile::remove(temporary));
}
