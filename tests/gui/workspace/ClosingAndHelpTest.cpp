// The main window's last steps when it closes, and What's-This help asked for inside a
// menu, as a user meets them: the window closed with its unsaved question answered, a
// menu entry clicked or chosen with Return while What's-This mode is on.

#include "WorkspaceFixture.h"

#include <support/HangGuard.h>
#include <support/ModalCloser.h>

#include <pmmsg/Message.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWhatsThis>

namespace {

class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// The application with its logic connected, so that projects have GUI sides.
class ConnectedWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WorkspaceTest::registerTypesOnce();
        logic = std::make_unique<PelmoraTest::ScopedLogic>();
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        window = std::make_unique<Gui::MainWindow>();
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void TearDown() override
    {
        Gui::SimModuleController::destruct();
        window.reset();
        app.reset();
        logic.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A project with a change not yet saved.
    void unsavedProject()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unsaved"});
        logic->app().get_current_project()->add_object("Obj::ProjectObject", "Change");
    }
    // Closes the window inside a running event loop; true when closing ended the loop.
    // A close that went ahead must end the loop itself: only the guard against a hang ends
    // it otherwise.  A refused close leaves it running: once what the close queued has
    // run (a quit it posted comes first), the loop is ended with 7.
    bool closeEndsTheLoop()
    {
        // The guard ends with this call: a loop that closing ended leaves no exit pending
        // for whatever test comes next in this process.
        QObject guard;
        QMetaObject::invokeMethod(&guard, [this, &guard] {
            if (!window->close())
                exitAfterTheQueue(&guard, 2);
        }, Qt::QueuedConnection);
        QTimer::singleShot(PelmoraTest::HangGuardMs, &guard, [] { QCoreApplication::exit(7); });
        return QCoreApplication::exec() == 0;
    }
    // Each pass of the loop runs the events posted before it began; the loop looks whether
    // it was asked to end between passes.  So exit(7) comes one pass after everything
    // queued by now, and never in the pass of a quit posted meanwhile.
    static void exitAfterTheQueue(QObject* context, int passes)
    {
        QMetaObject::invokeMethod(context, [context, passes] {
            if (passes > 1)
                exitAfterTheQueue(context, passes - 1);
            else
                QCoreApplication::exit(7);
        }, Qt::QueuedConnection);
    }

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
    QTemporaryDir dir;
};

} // namespace

TEST_F(ConnectedWindow, ClosingEndsWithDialogsClosedTheCopyFileRemovedAndTheLoopLeft)
{
    unsavedProject();
    // Two tool dialogs; closing the first deletes the second before its turn comes.
    QPointer<QDialog> first = new QDialog(window.get());
    QPointer<QDialog> second = new QDialog(window.get());
    QObject::connect(first, &QDialog::finished, [second] { delete second; });
    first->show();
    second->show();
    // The file that large copies went to, under a name from the wild.
    const QString copy = dir.filePath(QString::fromUtf8("copied objects \xc3\xa9.v2.tmp"));
    QFile(copy).open(QIODevice::WriteOnly);
    window->setProperty("x-projectobject-file", QFile::encodeName(copy));
    int closed = 0;
    QObject::connect(window.get(), &Gui::MainWindow::mainWindowClosed, [&closed] { ++closed; });

    // Cancel: nothing of the last steps happens.
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
        EXPECT_FALSE(closeEndsTheLoop());
        EXPECT_EQ(closer.titles(), QStringList{"Close Project"});
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(first && first->isVisible());
    EXPECT_TRUE(second && second->isVisible());
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_EQ(closed, 0);

    // Close without saving: dialogs closed, the file gone, the window announced closed
    // once, and the event loop left.
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Close);
        EXPECT_TRUE(closeEndsTheLoop());
        EXPECT_EQ(closer.titles(), QStringList{"Close Project"});
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(first && !first->isVisible());
    EXPECT_FALSE(second);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(logic->app().get_projects().empty());
}

TEST_F(ConnectedWindow, WhatsThisInAMenuOpensTheEntrysHelpInsteadOfRunningIt)
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("pmtest"), &catcher, "open");
    QMenu* menu = new QMenu(window.get());
    menu->setWhatsThis(QStringLiteral("pmtest://help/menu"));
    int runs = 0;
    QAction* documented = menu->addAction(QStringLiteral("Documented"), [&runs] { ++runs; });
    documented->setWhatsThis(QStringLiteral("pmtest://help/documented"));
    QAction* plain = menu->addAction(QStringLiteral("Plain"), [&runs] { ++runs; });
    auto* button = new QPushButton(QStringLiteral("Later"), window.get());
    button->setGeometry(10, 10, 80, 30);
    button->show();
    int pressed = 0;
    QObject::connect(button, &QPushButton::clicked, [&pressed] { ++pressed; });

    const auto openMenu = [&] {
        menu->popup(window->mapToGlobal(QPoint(100, 100)));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu, PelmoraTest::HangGuardMs));
    };

    // A click on an entry with help of its own.
    QWhatsThis::enterWhatsThisMode();
    openMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(documented).center());
    QCoreApplication::processEvents();
    // Return on an entry without help: the menu's help.
    QWhatsThis::enterWhatsThisMode();
    openMenu();
    menu->setActiveAction(plain);
    QTest::keyClick(menu, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl("pmtest://help/documented"), QUrl("pmtest://help/menu")}));
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup, nullptr) << popup->metaObject()->className();

    // The help shown, the next click is the user's again: it reaches the button, and a
    // menu entry then runs as usual without opening help.
    // Through the window system, as a click of the user comes.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    QCoreApplication::processEvents();
    EXPECT_EQ(pressed, 1);
    openMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(documented).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(catcher.opened.size(), 2);
    QDesktopServices::unsetUrlHandler(QStringLiteral("pmtest"));
}

#include "ClosingAndHelpTest.moc"
