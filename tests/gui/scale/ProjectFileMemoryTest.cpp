// A project file taken in while the address space is capped: twenty thousand empty
// projects open within 2 GiB, and a file that does not fit is refused like any other:
// nothing of it stays, the window stays whole and usable, and a hidden start ends with
// status 1 and the reason.

#include <support/CostLimits.h>
#include <support/HangGuard.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/OwnMemory.h>
#include <support/ProjectFileSeal.h>

#include <commands/Command.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeWidget.h>

#include <obj/Application.h>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTabBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>

namespace {

QByteArray emptyProjects(int count, const char* stem = "P")
{
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (int i = 0; i < count; ++i)
        body += "project\t" + QByteArray(stem) + QByteArray::number(i) + "\t1\tFemGui::ViewFeederProjectFem\n";
    return PelmoraTest::sealedProjectFile(body);
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    EXPECT_EQ(out.write(bytes), bytes.size());
    return path;
}

struct HiddenRun
{
    bool ended = false;
    int exitCode = -1;
    QString errors;
};

// The host started hidden on `file` with its address space capped at `bytes`, as
// `prlimit --as` caps it.
HiddenRun runCapped(const QString& file, qint64 bytes)
{
    QProcess host;
    host.start(QStringLiteral("prlimit"), {QStringLiteral("--as=%1").arg(bytes), QStringLiteral(PELMORA_HOST),
                                           QStringLiteral("--hidden"), file});
    HiddenRun run;
    run.ended = host.waitForFinished(PelmoraTest::HangGuardMs);
    if (!run.ended) {
        host.kill();
        host.waitForFinished();
        return run;
    }
    run.exitCode = host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1;
    run.errors = QString::fromUtf8(host.readAllStandardError());
    return run;
}

} // namespace

TEST(ProjectFileMemory, TwentyThousandEmptyProjectsFitInTwoGiBAndAFileThatDoesNotIsRefusedByAHiddenStart)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    QTemporaryDir dir;
    const QString file = write(dir, QStringLiteral("twenty thousand..v1.pmdb"), emptyProjects(20000));

    // Each thread's heap reserved 64 MiB of address space: under the cap the first
    // projects' colour tables met the end of it, and the start never ended.
    const HiddenRun fits = runCapped(file, qint64(2) << 30);
    ASSERT_TRUE(fits.ended) << "a hidden start within 2 GiB did not end";
    EXPECT_EQ(fits.exitCode, 0) << fits.errors.toStdString();

    // Within 1 GiB the same file does not fit: refused with the reason, and the run ends.
    const HiddenRun refused = runCapped(file, qint64(1) << 30);
    ASSERT_TRUE(refused.ended) << "a hidden start that ran out of memory did not end";
    EXPECT_EQ(refused.exitCode, 1) << refused.errors.toStdString();
    EXPECT_TRUE(refused.errors.contains(file + QStringLiteral(" cannot be opened"))) << refused.errors.toStdString();
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("there is not enough memory for what it holds")))
        << refused.errors.toStdString();
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("of its 20000 projects were made, and closed again")))
        << refused.errors.toStdString();
    EXPECT_FALSE(refused.errors.contains(QStringLiteral("bad_alloc"))) << refused.errors.toStdString();
}

class ProjectFileMemoryWindow : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        // As the host does: threads share two heaps, so that a thread that starts while
        // memory is short does not reserve a heap of its own past the cap.
        mallopt(M_ARENA_MAX, 2);
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
        if (QWidget* dock = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView"))
            tree = dock->findChild<Gui::TreeWidget*>();
    }
    void TearDown() override { closeSession(); }

    // Opens `file` as the user does: File, Open, the file chosen in the dialog.
    void open(const QString& file)
    {
        Gui::FileDialog::Backend backend;
        backend.openFileNames = [file](QWidget*, const QString&, const QString&, const QString&, QString*,
                                       QFileDialog::Options) { return QStringList{file}; };
        const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
        command("Std_OpenPMDB")->invoke(0);
        Gui::FileDialog::setBackend(previous);
        QCoreApplication::processEvents();
    }

    // Caps the address space at 300 MiB above what this process holds now; `saved` gets
    // the limit it had.
    static void capAddressSpace(rlimit& saved)
    {
        ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
        rlimit capped = saved;
        capped.rlim_cur = static_cast<rlim_t>(PelmoraTest::statusKiB("VmSize") + 300 * 1024) * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_AS, &capped), 0);
    }

    int projectItems() const { return tree ? tree->getRootItem()->childCount() : -1; }
    // Tabs on the document area's bar once the event loop has turned.
    int tabs() const
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QTabBar* bar = window->mdiArea()->tabBar();
        return bar->isVisible() ? bar->count() : 0;
    }

    QTemporaryDir dir;
    Gui::TreeWidget* tree = nullptr;
};

TEST_F(ProjectFileMemoryWindow, AFileMemoryCannotHoldLeavesNothingAndTheWindowKeepsWorking)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    ASSERT_NE(tree, nullptr);
    const QString big = write(dir, QStringLiteral("many projects..v2.pmdb"), emptyProjects(20000));
    const QString small = write(dir, QStringLiteral("three projects.pmdb"), emptyProjects(3, "Small "));

    // Views drawn first: the graphics set themselves up before memory runs short, as they
    // do at a start on screen.
    PelmoraTest::ModalCloser closer(QMessageBox::Yes);
    open(small);
    ASSERT_EQ(window->get_windows().size(), 3);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    {
        // A few hundred megabytes above what this process holds now: a few thousand of
        // the file's projects fit, not all.
        rlimit saved{};
        ASSERT_NO_FATAL_FAILURE(capAddressSpace(saved));
        open(big);
        setrlimit(RLIMIT_AS, &saved);
    }
    // The open projects were closed as the user agreed; none of the file's stays.
    EXPECT_EQ(closer.titles(), (QStringList{"Remove existing projects", "Failed to open"}));
    EXPECT_EQ(closer.texts().back(), "Cannot open the project file: " + big);
    EXPECT_TRUE(Obj::Application::instance().get_projects().empty());
    EXPECT_TRUE(window->get_windows().isEmpty());
    EXPECT_EQ(projectItems(), 0);
    EXPECT_EQ(tabs(), 0);
    EXPECT_TRUE(window->isVisible());

    // The window opens the next file as ever.
    open(small);
    EXPECT_EQ(closer.count(), 2);
    EXPECT_EQ(Obj::Application::instance().get_projects().size(), 3u);
    EXPECT_EQ(window->get_windows().size(), 3);
    EXPECT_EQ(projectItems(), 3);
    EXPECT_EQ(tabs(), 3);
}

// A file far beyond what memory holds is refused while it has taken little, and leaves
// the window as able to open files as before: a file that opened whole under the cap opens
// whole again after the refusal, and the tab bar holds a tab for each project and no more.
TEST_F(ProjectFileMemoryWindow, ARefusedFileLeavesRoomForAFileThatOpenedBefore)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    ASSERT_NE(tree, nullptr);
    const QString big = write(dir, QStringLiteral("twenty thousand..v3.pmdb"), emptyProjects(20000));
    const QString fits = write(dir, QStringLiteral("one thousand..v1.pmdb"), emptyProjects(1000, "M"));
    PelmoraTest::ModalCloser closer(QMessageBox::Yes);
    Obj::Application& logic = Obj::Application::instance();
    // Closed as the event loop would close them: their views deleted.
    const auto closeAll = [&logic] {
        logic.close_all_projects();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };
    // Views drawn first, as in the test above.
    open(write(dir, QStringLiteral("three projects.pmdb"), emptyProjects(3, "Small ")));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    closeAll();
    rlimit saved{};
    ASSERT_NO_FATAL_FAILURE(capAddressSpace(saved));

    open(fits);
    EXPECT_EQ(logic.get_projects().size(), 1000u) << logic.last_file_error();
    EXPECT_EQ(tabs(), 1000);
    closeAll();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        open(big);
        EXPECT_NE(logic.last_file_error().find("of its 20000 projects were made, and closed again"), std::string::npos)
            << logic.last_file_error();
        EXPECT_TRUE(logic.get_projects().empty());
        EXPECT_EQ(projectItems(), 0);
        EXPECT_EQ(tabs(), 0);

        open(fits);
        EXPECT_EQ(logic.get_projects().size(), 1000u) << logic.last_file_error();
        EXPECT_EQ(projectItems(), 1000);
        EXPECT_EQ(tabs(), 1000);
        closeAll();
    }
    setrlimit(RLIMIT_AS, &saved);
    EXPECT_EQ(closer.count(), 2) << "only the refusals were said";
}
