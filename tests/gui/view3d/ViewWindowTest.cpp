// The 3D view as a window of the main window: a 3D mouse moved over the main window
// reaches the current project's view once; Escape docks an undocked view; the view's
// animation timer follows the other windows' states; it takes over actions added where
// it watches, and follows the view preferences as the user changes them.

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/SpaceballEvent.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>
#include <visualization/qView3DMRML.h>
#include <commands/Command.h>

#include <vexil/PreferenceManager.h>

#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QAction>
#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

namespace {

// Writes down the 3D-mouse motions a view receives.
class MotionWatcher : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (static_cast<int>(e->type()) == Spaceball::MotionEvent::MotionEventType) {
            const auto* m = static_cast<const Spaceball::MotionEvent*>(e);
            seen.push_back({m->translationX(), m->translationY(), m->translationZ(), m->rotationX(),
                            m->rotationY(), m->rotationZ()});
        }
        return false;
    }
    std::vector<std::array<int, 6>> seen;
};

class Spaceball3D : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
    }
    Gui::MDIWindow* newProjectView()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        Gui::GuiProject* gui = app->get_project(Obj::Application::instance().get_current_project());
        return gui ? gui->getActiveView() : nullptr;
    }
    static bool send(QObject* target, int tx, int ty, int tz, int rx, int ry, int rz)
    {
        Spaceball::MotionEvent motion;
        motion.setTranslations(tx, ty, tz);
        motion.setRotations(rx, ry, rz);
        QCoreApplication::sendEvent(target, &motion);
        return motion.isHandled();
    }
};

} // namespace

TEST_F(Spaceball3D, MotionOverTheMainWindowReachesTheCurrentProjectsViewOnce)
{
    // Without a project there is no view to tell: the motion is still taken.
    EXPECT_TRUE(send(window.get(), 1, 2, 3, 4, 5, 6));

    Gui::MDIWindow* first = newProjectView();
    ASSERT_NE(first, nullptr);
    MotionWatcher firstSaw;
    first->installEventFilter(&firstSaw);
    EXPECT_TRUE(send(window.get(), 10, -20, 30, -4, 5, -6));
    ASSERT_EQ(firstSaw.seen.size(), 1u);
    EXPECT_EQ(firstSaw.seen[0], (std::array<int, 6>{10, -20, 30, -4, 5, -6}));

    // Nothing travels back up the view's parents to the window and round again.
    MotionWatcher windowSaw;
    window->installEventFilter(&windowSaw);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(windowSaw.seen.empty());
    EXPECT_EQ(firstSaw.seen.size(), 1u);

    // A second project becomes current: its view gets the motion, the first does not.
    Gui::MDIWindow* second = newProjectView();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    MotionWatcher secondSaw;
    second->installEventFilter(&secondSaw);
    send(window.get(), 0, 0, 0, 0, 0, 7);
    ASSERT_EQ(secondSaw.seen.size(), 1u);
    EXPECT_EQ(secondSaw.seen[0][5], 7);
    EXPECT_EQ(firstSaw.seen.size(), 1u);
    first->removeEventFilter(&firstSaw);
    second->removeEventFilter(&secondSaw);
    window->removeEventFilter(&windowSaw);
}

namespace {

using ViewWindow = Spaceball3D;

bool docked(Gui::MDIWindow* view)
{
    return view->currentViewMode() == Gui::MDIWindow::Child
           && qobject_cast<QMdiSubWindow*>(view->parentWidget()) != nullptr;
}

} // namespace

TEST_F(ViewWindow, EscapeDocksAnUndockedOrFullScreenViewAndLeavesADockedOneAlone)
{
    ASSERT_NE(newProjectView(), nullptr);
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode == 1 ? "undocked" : "full screen");
        command("Std_ViewWindowDocking")->invoke(mode);
        auto* view = qobject_cast<Gui::qView3DMRML*>(window->activeWindow());
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(static_cast<int>(view->currentViewMode()), mode);
        ASSERT_TRUE(view->isWindow());

        QTest::keyClick(view, Qt::Key_Escape);
        EXPECT_TRUE(docked(view));
        EXPECT_FALSE(view->isWindow());
        PelmoraTest::flushDeletes();   // the replaced view's tab goes on return to the loop
        EXPECT_EQ(window->get_windows().size(), 1);
        QWidget* area = view->parentWidget();

        // Docked already: nothing changes.
        QTest::keyClick(view, Qt::Key_Escape);
        EXPECT_TRUE(docked(view));
        EXPECT_EQ(view->parentWidget(), area);
        EXPECT_EQ(window->get_windows().size(), 1);
    }
}

TEST_F(ViewWindow, AnimationStopsWhenAnotherWindowChangesUnlessItIsMaximisedInside)
{
    auto* first = qobject_cast<Gui::qView3DMRML*>(newProjectView());
    auto* second = qobject_cast<Gui::qView3DMRML*>(newProjectView());
    ASSERT_TRUE(first && second);
    // The document area shows a new view when the loop turns.
    QCoreApplication::processEvents();
    auto* timer = first->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);

    // Another docked window maximised: the animation goes on.
    second->showNormal();
    timer->start(60000);
    second->showMaximized();
    EXPECT_TRUE(timer->isActive());

    // This view minimised: it goes on too.  The document area may put the view back
    // at once, so the timer is read as each change is told, after the views heard it.
    std::vector<std::pair<bool, bool>> told;   // minimised, still running
    QObject::connect(window.get(), &Gui::MainWindow::windowStateChanged, first,
                     [&](Gui::MDIWindow* w) {
                         if (w == first)
                             told.emplace_back(first->isMinimized(), timer->isActive());
                     });
    first->showMinimized();
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front(), std::make_pair(true, true));
    // Once the view is neither minimised nor is the change another's maximising, it stops.
    first->showNormal();
    EXPECT_FALSE(timer->isActive());

    // Another window brought back to normal: it stops.
    timer->start(60000);
    second->showNormal();
    EXPECT_FALSE(timer->isActive());
}

TEST_F(ViewWindow, TakesOverActionsAddedWhereItWatchesButNoSeparators)
{
    auto* view = qobject_cast<Gui::qView3DMRML*>(newProjectView());
    ASSERT_NE(view, nullptr);
    QWidget panel;
    panel.installEventFilter(view);
    QAction fit(QStringLiteral("Fit"), nullptr);
    QAction line(nullptr);
    line.setSeparator(true);
    const int before = view->actions().size();

    panel.addAction(&fit);
    panel.addAction(&line);
    EXPECT_EQ(view->actions().size(), before + 1);
    EXPECT_TRUE(view->actions().contains(&fit));
    EXPECT_FALSE(view->actions().contains(&line));
    EXPECT_EQ(panel.actions(), (QList<QAction*>{&fit, &line})) << "the panel keeps what it was given";

    // Added again elsewhere: the view holds it once.
    QWidget other;
    other.installEventFilter(view);
    other.addAction(&fit);
    EXPECT_EQ(view->actions().count(&fit), 1);
    panel.removeEventFilter(view);
    other.removeEventFilter(view);
    view->removeAction(&fit);
}

TEST_F(ViewWindow, FollowsTheViewPreferencesAsTheUserChangesThem)
{
    auto* view = qobject_cast<Gui::qView3DMRML*>(newProjectView());
    ASSERT_NE(view, nullptr);
    Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr();
    ASSERT_NE(prefs, nullptr);
    ASSERT_EQ(view->viewSettings().size(), 6u);

    // The gradient's second colour (the third of the six view settings).
    prefs->set(static_cast<Vexil::PM_SETTING>(Vexil::PM_BACKGROUND_MODE + 2), "#123456", true);
    EXPECT_EQ(view->viewSettings()[2], QStringLiteral("#123456"));

    // The last setting alone does not make the view read them again.
    prefs->set(static_cast<Vexil::PM_SETTING>(Vexil::PM_BACKGROUND_MODE + 3), "#654321", false);
    prefs->set(Vexil::PM_GRADIENT_USE_MIDDLE, true, true);
    EXPECT_NE(view->viewSettings()[3], QStringLiteral("#654321"));
    prefs->set(Vexil::PM_BACKGROUND_MODE, prefs->getString(Vexil::PM_BACKGROUND_MODE), true);
    EXPECT_EQ(view->viewSettings()[3], QStringLiteral("#654321"));
}
