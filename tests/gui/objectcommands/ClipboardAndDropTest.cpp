// Copy, paste and drop as a user meets them through the main window: the file a large
// copy goes through, clipboard data from elsewhere (a path with a line break, groups that
// contain each other) and a drop that says it carries files but names none.

#include <commands/Command.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/ProjectFileSeal.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/ProjectFileLimits.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ClipTest {

// Reports a size that sends its copy through a file.
class BulkyObject : public Obj::ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    unsigned int get_memory_usage() const override { return 0xA00000; }
};
VEXIL_TYPESYSTEM_SOURCE(ClipTest::BulkyObject, Obj::ProjectObject)

} // namespace ClipTest

namespace {

using PelmoraTest::ConsoleCapture;

// Copied data with a valid check line whose groups A and B list each other.
QByteArray groupsInARing()
{
    const QByteArray body =
        "PELMORA PROJECT FILE\nversion\t1\nproject\tP\t1\tGui::ViewFeederProject\n"
        "object\t1\tObj::ProjectObjectGroup\tA\t0\nprop\tMember\tObj::PropertyCoupleArray\t[2,]\n"
        "object\t2\tObj::ProjectObjectGroup\tB\t0\nprop\tMember\tObj::PropertyCoupleArray\t[1,]\n";
    return PelmoraTest::sealedProjectFile(body);
}

double peakMiB()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

class ClipboardAndDrop : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerGuiTypes();
        ClipTest::BulkyObject::init();
        startApplication();
        openMainWindow();
    }
    void TearDown() override
    {
        QApplication::clipboard()->clear();
        closeSession();
    }
    Obj::Project* project(const char* name)
    {
        Obj::Project* p = logic->app().create_project(name, name);
        return p;
    }
    void select(Obj::ProjectObject* object)
    {
        Gui::TreeSelectionSingleton::instance().add_selection(object->get_project()->get_name(),
                                                              object->getObjectId(), nullptr);
    }
    QString copiedFile() const
    {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        return mime ? QFile::decodeName(mime->data("application/x-documentobject-file")) : QString();
    }
};

} // namespace

TEST_F(ClipboardAndDrop, ALargeCopyGoesThroughAPrivateFileThatGoesWithTheClipboardOrTheWindow)
{
    Obj::Project* source = project("Big");
    select(source->add_object("ClipTest::BulkyObject", "Bulk"));
    command("Std_Copy")->invoke(0);
    const QString file = copiedFile();
    ASSERT_FALSE(file.isEmpty());
    struct stat info;
    ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(info.st_uid, ::geteuid());

    // Pasted twice: the file serves every paste while the clipboard names it.
    Obj::Project* target = project("Target");
    logic->app().set_current_project(target->get_name());
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    command("Std_Paste")->invoke(0);
    command("Std_Paste")->invoke(0);
    EXPECT_EQ(target->get_num_objects(), 2u);
    EXPECT_TRUE(QFileInfo::exists(file));

    // Something else on the clipboard: the file goes.
    QApplication::clipboard()->setText(QStringLiteral("something else"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(file));

    // A new large copy makes a new private file; closing the window removes it.
    select(source->get_object("Bulk"));
    command("Std_Copy")->invoke(0);
    const QString second = copiedFile();
    ASSERT_TRUE(QFileInfo(second).isFile());
    ASSERT_EQ(::lstat(QFile::encodeName(second).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    PelmoraTest::ModalCloser closer(QMessageBox::Close);   // without saving
    window->close();
    EXPECT_FALSE(QFileInfo::exists(second));
    // Closing asked the event loop to quit; a loop run to its end takes that back, so
    // that the modal boxes of later tests in this process still wait for an answer.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

TEST_F(ClipboardAndDrop, AClipboardPathWithALineBreakStaysOnOneConsoleLine)
{
    QMimeData mime;
    mime.setData("application/x-documentobject-file", "/no/such/dir/a\nCannot paste: forged line\r\x1b[31m");
    ConsoleCapture console;
    window->insertFromMimeData(&mime);
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front().text,
              "Cannot paste: the copied objects' file /no/such/dir/a\\nCannot paste: forged line\\r\\x1b[31m "
              "does not exist\n");
    EXPECT_TRUE(logic->app().get_projects().empty());
}

TEST_F(ClipboardAndDrop, APasteOfGroupsThatContainEachOtherIsRefusedInlineAndByFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("ring..copy data");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(groupsInARing());
    }
    QMimeData inlineData;
    inlineData.setData("application/x-documentobject", groupsInARing());
    QMimeData byFile;
    byFile.setData("application/x-documentobject-file", QFile::encodeName(file));
    for (const QMimeData* mime : {&inlineData, &byFile}) {
        ConsoleCapture console;
        QElapsedTimer clock;
        clock.start();
        window->insertFromMimeData(mime);
        const double seconds = clock.elapsed() / 1000.0;
        std::printf("paste of two groups in a ring (%s): %.3f s, peak %.1f MiB\n",
                    mime == &byFile ? "by file" : "inline", seconds, peakMiB());
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                     "The copied data holds groups that contain each other: A > B > A"));
        // The project made for the paste is not left behind.
        EXPECT_TRUE(logic->app().get_projects().empty());
    }
}

TEST_F(ClipboardAndDrop, ADropThatNamesNoFileIsRefusedWithoutHarm)
{
    for (const QByteArray& list : {QByteArray(""), QByteArray("\r\n")}) {
        QMimeData mime;
        mime.setData("text/uri-list", list);
        ASSERT_TRUE(mime.hasUrls());
        ASSERT_TRUE(mime.urls().isEmpty());
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.accept();
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_FALSE(enter.isAccepted());

        ConsoleCapture console;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        EXPECT_FALSE(console.contains(ConsoleCapture::Level::Log, "Drop file:"));
        EXPECT_TRUE(logic->app().get_projects().empty());
    }
}

// At the limits of what one project file holds (lowered for the test), a paste, a
// duplicate and a new project are refused with the reason and make nothing; below them
// they make what they make, and what is open saves.
TEST_F(ClipboardAndDrop, PasteDuplicateAndNewProjectStopAtWhatAProjectFileHolds)
{
    Obj::ProjectFileLimits::TestLimits limits(2, 4);
    Obj::Application& logicApp = logic->app();
    Obj::Project* a = project("A");
    Obj::ProjectObject* box = a->add_object("Obj::ProjectObject", "Box");
    a->add_object("Obj::ProjectObject", "Ball");
    Obj::Project* b = project("B");
    b->add_object("Obj::ProjectObject", "Cone");
    b->add_object("Obj::ProjectObject", "Cube");
    logicApp.set_current_project("A");
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    select(box);
    command("Std_Copy")->invoke(0);
    const auto open = [&] { return std::make_pair(logicApp.get_projects().size(), logicApp.get_num_objects()); };
    const auto full = open();
    ASSERT_EQ(full, std::make_pair(std::size_t(2), std::size_t(4)));

    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    {
        ConsoleCapture console;
        command("Std_Paste")->invoke(0);
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                     "The copied data cannot be pasted: 4 objects are open, and 1 more would be more "
                                     "than the 4 one project file may hold"));
        EXPECT_EQ(open(), full);
    }
    command("Std_DuplicateSelection")->invoke(0);
    EXPECT_EQ(open(), full);
    command("Std_New")->invoke(0);
    EXPECT_EQ(open(), full);
    EXPECT_EQ(closer.texts(),
              (QStringList{"Cannot duplicate the selection: 4 objects are open, and 1 more would be more than the 4 "
                           "one project file may hold",
                           "Cannot create the project Unnamed Project: 2 projects are open, and 1 more would be more "
                           "than the 2 one project file may hold"}));

    // Room for one project and two objects: each makes its own.
    ASSERT_TRUE(logicApp.close_project("B"));
    command("Std_DuplicateSelection")->invoke(0);
    logicApp.set_current_project("A");
    command("Std_Paste")->invoke(0);
    command("Std_New")->invoke(0);
    EXPECT_EQ(open(), full);
    EXPECT_EQ(closer.count(), 2);
    QTemporaryDir dir;
    const std::string saved = QFile::encodeName(dir.filePath("at the limits.pmdb")).toStdString();
    ASSERT_TRUE(logicApp.save_as_file(1, saved.c_str())) << logicApp.last_file_error();
}
