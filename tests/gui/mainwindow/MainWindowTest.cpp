// The main window as built: docks, document area, status bar fed by the console from
// any thread, the activation timer and the window menu.

#include <commands/Command.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/GUIApplication.h>
#include <core/GfxDatabase.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/StatusBarObserver.h>
#include <selection/EntitySelectionSingleton.h>
#include <visualization/qVizViewersToolBar.h>

#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>
#include <support/CostLimits.h>

#include <mrml/vtkMRMLThreeDViewDisplayableManagerFactory.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <pmfwm/EntitySelectionData.h>
#include <pmmsg/Message.h>
#include <pmunit/Units.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QTextDocument>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QSplashScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <core/MonotonicClock.h>

#include <map>
#include <memory>
#include <string>
#include <thread>

namespace {

// Polls the event loop until `done` holds or `timeoutMs` passed; timers on a loaded
// machine fire late, never early, so waits for an expiry are generous.
template <typename Pred>
bool waitFor(Pred done, int timeoutMs = PelmoraTest::HangGuardMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A clock the test moves itself, for the window's pacing rules.
qint64 testNowMs = 0;
qint64 testClock() { return testNowMs; }
struct TestClock
{
    TestClock() { previous = Gui::MonotonicClock::setSource(&testClock); testNowMs = 1000000; }
    ~TestClock() { Gui::MonotonicClock::setSource(previous); }
    Gui::MonotonicClock::Source previous;
};

// Counts the console lines of each kind the window is handed.
struct HandedLines : QObject
{
    int kinds[4] = {0, 0, 0, 0};
    int all() const { return kinds[0] + kinds[1] + kinds[2] + kinds[3]; }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == Gui::CustomMessageEvent::EventType)
            ++kinds[static_cast<Gui::CustomMessageEvent*>(e)->type() & 3];
        return false;
    }
};

// Ends a timer of the program's now, as if its time had come.
void expire(QTimer* timer)
{
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive());
    timer->start(0);
}

// Module and project classes, registered once per process.
void registerTypes()
{
    Obj::Application::init_types();
    if (!Gui::qPelmoraApplication::types_initialized())
        Gui::qPelmoraApplication::initialize_application();
    Gui::GfxDatabase::init();
}

class CountingCommand : public Gui::Command
{
public:
    explicit CountingCommand(const char* name) : Gui::Command(name) { sMenuText = name; }
    const char* get_class_name() const override { return "CountingCommand"; }
    void activated(int) override {}
    bool is_applicable() override { ++checks; return true; }
    int checks = 0;
};

// A window list command: twelve alternatives, the last one a "Windows..." entry.
class WindowsMenuCommand : public Gui::Command
{
public:
    WindowsMenuCommand() : Gui::Command("Std_WindowsMenu") {}
    const char* get_class_name() const override { return "StdCmdWindowsMenu"; }
    void activated(int) override {}
    Gui::CommandAction* new_action() override
    {
        auto* group = new Gui::CmdActionGroup(this, Gui::MainWindow::get_main_window_inst());
        for (int i = 0; i < 12; ++i)
            group->new_action(QString())->setCheckable(true);
        return group;
    }
};

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        logic = std::make_unique<PelmoraTest::ScopedLogic>();
        app = std::make_unique<Gui::qPelmoraApplication>(false);
    }
    void TearDown() override
    {
        window.reset();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
    }
    Gui::MainWindow& build()
    {
        window = std::make_unique<Gui::MainWindow>();
        return *window;
    }
    QLabel* messageLabel() { return window->statusBar()->findChild<QLabel*>(QStringLiteral("MessageLabel")); }

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, BuildsItsDocumentAreaToolbarAndRegisteredPanels)
{
    EXPECT_EQ(Gui::MainWindow::get_main_window_inst(), nullptr);
    Gui::MainWindow& mw = build();
    EXPECT_EQ(Gui::MainWindow::get_main_window_inst(), &mw);

    auto* area = qobject_cast<Gui::DocumentArea*>(mw.centralWidget());
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->viewMode(), QMdiArea::TabbedView);
    EXPECT_EQ(area->tabPosition(), QTabWidget::South);
    EXPECT_EQ(area->activationOrder(), QMdiArea::ActivationHistoryOrder);
    EXPECT_EQ(area->background().color(), QColor(160, 160, 160));

    auto* viewers = mw.findChild<qVizViewersToolBar*>(QStringLiteral("ViewersToolBar"));
    ASSERT_NE(viewers, nullptr);
    EXPECT_EQ(viewers->windowTitle(), QStringLiteral("Crosshair Selection"));
    EXPECT_EQ(mw.toolBarArea(viewers), Qt::TopToolBarArea);

    const std::pair<const char*, const char*> panels[] = {
        {"Std_TreeView", "Project Explorer"}, {"Std_PropertyView", "Properties"},
        {"Std_TableView", "Tabular Data"},    {"Std_GraphView", "Chart"},
        {"Std_SelectionView3", "Selection View"}, {"Std_ReportView", "Output"}};
    auto* docks = Gui::DockingWindowMediator::instance();
    for (const auto& p : panels) {
        QWidget* panel = docks->getDockingWindow(p.first);
        ASSERT_NE(panel, nullptr) << p.first;
        EXPECT_EQ(panel->objectName(), QString::fromLatin1(p.second));
        EXPECT_EQ(panel->minimumWidth(), 150);
        EXPECT_TRUE(panel->isHidden());   // until a module's layout names it
    }
    EXPECT_EQ(docks->getDockingWindow("Std_SelectionView"), nullptr);

    auto* factory = vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance();
    EXPECT_TRUE(factory->IsDisplayableManagerRegistered("vtkMRMLAnnotationRulerDisplayableManager"));
    EXPECT_TRUE(factory->IsDisplayableManagerRegistered("vtkMRMLAnnotationFemDisplayableManager"));

    window.reset();
    EXPECT_EQ(Gui::MainWindow::get_main_window_inst(), nullptr);
    EXPECT_EQ(docks->getDockingWindow("Std_TreeView"), nullptr);
}

TEST_F(MainWindowTest, OldSelectionViewIsRegisteredOnlyWhenTheLogicAsksForIt)
{
    logic->app().useOldSelectionView = true;
    build();
    QWidget* old = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_SelectionView");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->objectName(), QStringLiteral("Selection View Old"));
}

TEST_F(MainWindowTest, ALayoutWrapsRegisteredPanelsIntoDocksOnce)
{
    Gui::MainWindow& mw = build();
    Gui::DockingWindowItems layout;
    layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
    layout.add_docking_widget("Std_NotThere", Qt::LeftDockWidgetArea, true, false);
    layout.add_docking_widget("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    auto* docks = Gui::DockingWindowMediator::instance();
    docks->setup(&layout);
    docks->setup(&layout);
    const auto list = mw.findChildren<QDockWidget*>();
    ASSERT_EQ(list.size(), 2);
    mw.show();
    EXPECT_TRUE(docks->getDockingWindow("Std_TreeView")->isVisible());
    EXPECT_EQ(mw.dockWidgetArea(list.at(1)), Qt::BottomDockWidgetArea);
}

TEST_F(MainWindowTest, ConsoleTextFromAWorkerThreadReachesTheStatusBarEscapedAndColoured)
{
    Gui::MainWindow& mw = build();
    HandedLines handed;
    mw.installEventFilter(&handed);
    std::thread worker([] {
        Vexil::MsgConsoleSingleton::Instance().Error("a < b & c\n");
    });
    worker.join();
    QLabel* label = messageLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().isEmpty());   // nothing touched the widget off the GUI thread
    EXPECT_TRUE(waitFor([&] { return !label->text().isEmpty(); }));
    EXPECT_EQ(label->text(), QStringLiteral("<font color=\"#ff0000\">a &lt; b &amp; c\n</font>"));
    // The colour is drawn, not shown as markup; the line's own text stays as written.
    QTextDocument drawn;
    drawn.setHtml(label->text());
    EXPECT_TRUE(label->textFormat() != Qt::PlainText && drawn.toPlainText().trimmed() == QStringLiteral("a < b & c"));

    auto shows = [&](const QString& text) { return waitFor([&] { return label->text() == text; }); };
    std::thread([] { Vexil::MsgConsoleSingleton::Instance().Warning("careful"); }).join();
    EXPECT_TRUE(shows(QStringLiteral("<font color=\"#ffaa00\">careful</font>")));
    std::thread([] { Vexil::MsgConsoleSingleton::Instance().Message("done"); }).join();
    EXPECT_TRUE(shows(QStringLiteral("<font color=\"#000000\">done</font>")));
    std::thread([] { Vexil::MsgConsoleSingleton::Instance().Log("log only"); }).join();
    // The log line reaches the window, which leaves the label as it was.
    EXPECT_TRUE(waitFor([&] { return handed.kinds[3] > 0; }));
    EXPECT_EQ(label->text(), QStringLiteral("<font color=\"#000000\">done</font>"));

    // A changed warning colour takes the three top bytes.
    logic->app().get_user_preference().get_parameter_group("BaseApp/Preferences/OutputWindow")
        ->set_unsigned_value("colorWarning", 0x112233ffUL);
    Vexil::MsgConsoleSingleton::Instance().Warning("again");
    EXPECT_TRUE(shows(QStringLiteral("<font color=\"#112233\">again</font>")));
    // It stays its full five seconds: the clearing waits that long, on a precise timer.
    auto* clear = mw.findChild<QTimer*>(QStringLiteral("StatusMessageClear"));
    ASSERT_NE(clear, nullptr);
    EXPECT_TRUE(clear->isActive());
    EXPECT_EQ(clear->interval(), 5000);
    EXPECT_EQ(clear->timerType(), Qt::PreciseTimer);
    expire(clear);
    EXPECT_TRUE(waitFor([&] { return label->text().isEmpty(); })) << label->text().toStdString();
    mw.removeEventFilter(&handed);
}

TEST_F(MainWindowTest, StartUpMessageIsNotPaintedOverTheConsoleLabel)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    Gui::MainWindow& mw = build();
    Vexil::MsgConsoleSingleton::Instance().Message("console line");
    QLabel* label = messageLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(waitFor([&] { return !label->text().isEmpty(); }));
    mw.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mw, PelmoraTest::HangGuardMs));
    // The "Ready" message from construction is still up: the label must not show under it.
    ASSERT_FALSE(mw.statusBar()->currentMessage().isEmpty());
    EXPECT_FALSE(label->isVisible());
    // Once the message goes, the label is back.
    mw.statusBar()->clearMessage();
    EXPECT_TRUE(label->isVisible());
}

TEST_F(MainWindowTest, AFloodOfConsoleLinesReachesTheStatusBarAFewTimesASecond)
{
    Gui::MainWindow& mw = build();
    QLabel* label = messageLabel();
    // Counts what the window is handed, and what is queued for the GUI thread.
    struct Counter : QObject
    {
        int messages = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == Gui::CustomMessageEvent::EventType)
                ++messages;
            return false;
        }
    } counter;
    mw.installEventFilter(&counter);

    // Writers on two threads while the GUI thread is busy elsewhere: nothing piles up.
    auto write = [](const char* prefix) {
        for (int i = 0; i < 20000; ++i)
            Vexil::MsgConsoleSingleton::Instance().Message((prefix + std::to_string(i)).c_str());
    };
    std::thread a(write, "a");
    std::thread b(write, "b");
    a.join();
    b.join();
    Vexil::MsgConsoleSingleton::Instance().Message("last line");
    EXPECT_TRUE(waitFor([&] { return label->text().contains(QStringLiteral("last line")); }));
    EXPECT_LE(counter.messages, 2);

    // With the event loop running, lines written within one delivery interval are held
    // until it has passed, and then the newest is the one shown.
    TestClock clock;
    counter.messages = 0;
    int written = 0;
    for (; written < 400; ++written) {
        Vexil::MsgConsoleSingleton::Instance().Warning(("w" + std::to_string(written)).c_str());
        QCoreApplication::processEvents();
    }
    // The first went at once (the last delivery was long ago); the rest wait.
    EXPECT_EQ(counter.messages, 1);
    EXPECT_EQ(label->text(), QStringLiteral("<font color=\"#ffaa00\">w0</font>"));
    testNowMs += Gui::StatusBarObserver::DeliveryIntervalMs - 1;
    for (int i = 0; i < 20; ++i)
        QTest::qWait(Gui::StatusBarObserver::DeliveryIntervalMs / 10);
    EXPECT_EQ(counter.messages, 1) << "delivered before the interval had passed";
    testNowMs += 1;
    const QString newest = QStringLiteral("<font color=\"#ffaa00\">w%1</font>").arg(written - 1);
    EXPECT_TRUE(waitFor([&] { return label->text() == newest; })) << label->text().toStdString();
    EXPECT_EQ(counter.messages, 2);
    mw.removeEventFilter(&counter);
}

TEST_F(MainWindowTest, SplashEndsAtOnceWhileTheWindowIsNotShownYet)
{
    logic.reset();
    logic = std::make_unique<PelmoraTest::ScopedLogic>(std::map<std::string, std::string>{{"RunMode", "Gui"}});
    Gui::MainWindow& mw = build();
    mw.winId();   // a native window that is not shown, as during start-up
    auto visibleSplash = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QSplashScreen*>(w) && w->isVisible())
                return true;
        return false;
    };
    mw.begin_splash_window();
    ASSERT_TRUE(visibleSplash());
    // Waiting for the window would spin the event loop for a second: an event posted
    // before must still be pending afterwards, however slow the machine is.
    bool loopRan = false;
    QTimer::singleShot(0, &mw, [&] { loopRan = true; });
    mw.end_splash_window();
    EXPECT_FALSE(loopRan);
    EXPECT_FALSE(visibleSplash());

    // Shown first, the window takes over from the splash as usual, without waiting either.
    mw.begin_splash_window();
    mw.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mw, PelmoraTest::HangGuardMs));
    loopRan = false;
    QTimer::singleShot(0, &mw, [&] { loopRan = true; });
    mw.end_splash_window();
    EXPECT_FALSE(loopRan);
    EXPECT_FALSE(visibleSplash());
}

TEST_F(MainWindowTest, StatusTextKindsAndTheFiveSecondRestart)
{
    Gui::MainWindow& mw = build();
    QLabel* label = messageLabel();
    auto* small = mw.statusBar()->findChild<QLabel*>(QStringLiteral("StatusLabel"));
    mw.set_statusbar_text(2, QStringLiteral("Graphics Size"));
    mw.set_statusbar_text(3, QStringLiteral("ignored"));
    EXPECT_EQ(small->text(), QStringLiteral("Graphics Size"));
    EXPECT_TRUE(label->text().isEmpty());

    auto* clear = mw.findChild<QTimer*>(QStringLiteral("StatusMessageClear"));
    ASSERT_NE(clear, nullptr);
    mw.set_statusbar_text(1, QStringLiteral("first"));
    EXPECT_EQ(label->text(), QStringLiteral("first"));
    EXPECT_TRUE(clear->isActive());
    // Say the first text's time is partly gone: a second text gets five full seconds.
    clear->start(3000);
    mw.set_statusbar_text(1, QStringLiteral("second"));
    EXPECT_EQ(label->text(), QStringLiteral("second"));
    EXPECT_TRUE(clear->isActive());
    EXPECT_EQ(clear->interval(), 5000);
    expire(clear);
    EXPECT_TRUE(waitFor([&] { return label->text().isEmpty(); }));
    EXPECT_EQ(small->text(), QStringLiteral("Graphics Size"));
}

TEST_F(MainWindowTest, ActivationCheckRunsEvery300msOnlyWhileVisible)
{
    Gui::MainWindow& mw = build();
    auto* cmd = new CountingCommand("Std_Count");
    app->get_command_manager().new_command(cmd);
    QMenu menu;
    cmd->add_to(&menu);

    TestClock clock;
    auto* timer = mw.findChild<QTimer*>(QStringLiteral("ActionCheck"));
    ASSERT_NE(timer, nullptr);
    int fired = 0;
    QObject::connect(timer, &QTimer::timeout, [&fired] { ++fired; });
    auto tick = [&] {
        const int before = fired;
        expire(timer);
        EXPECT_TRUE(waitFor([&] { return fired > before; }));
        // It always arms itself again, for the next check 300 ms on.
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 300);
    };

    tick();
    EXPECT_EQ(cmd->checks, 0);   // hidden: the timer re-arms but checks nothing

    mw.show();
    testNowMs += 1000;
    tick();
    const int afterFirst = cmd->checks;
    EXPECT_EQ(afterFirst, 1);
    // At most one check per 251 ms, however the timer and other callers come.
    testNowMs += 250;
    mw.update_all_actions();
    tick();
    EXPECT_EQ(cmd->checks, afterFirst);
    testNowMs += 1;
    tick();
    EXPECT_EQ(cmd->checks, afterFirst + 1);
    mw.update_all_actions();
    EXPECT_EQ(cmd->checks, afterFirst + 1);

    mw.hide();
    testNowMs += 1000;
    const int whenHidden = cmd->checks;
    tick();
    EXPECT_EQ(cmd->checks, whenHidden);
}

TEST_F(MainWindowTest, WindowMenuListsTheDocumentViewsWithAccelerators)
{
    Gui::MainWindow& mw = build();
    mw.before_display_window_menu();   // no "Std_WindowsMenu": nothing happens

    auto* cmd = new WindowsMenuCommand();
    app->get_command_manager().new_command(cmd);
    QMenu menu;
    cmd->add_to(&menu);
    for (int i = 0; i < 11; ++i) {
        auto* view = new Gui::MDIWindow(nullptr, nullptr);
        view->setWindowTitle(i == 0 ? QStringLiteral("Part[*]") : QStringLiteral("View %1").arg(i));
        mw.addWindow(view);
        if (i == 0)
            view->parentWidget()->setWindowModified(true);
    }
    mw.before_display_window_menu();
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 12);
    EXPECT_EQ(actions.at(0)->text(), QStringLiteral("&1 Part*"));
    EXPECT_EQ(actions.at(8)->text(), QStringLiteral("&9 View 8"));
    EXPECT_EQ(actions.at(9)->text(), QStringLiteral("10 View 9"));
    EXPECT_EQ(actions.at(10)->text(), QStringLiteral("11 View 10"));
    EXPECT_TRUE(actions.at(10)->isVisible());
    EXPECT_TRUE(actions.at(11)->isVisible());

    // Choosing an entry activates its view.
    actions.at(2)->trigger();
    EXPECT_EQ(mw.mdiArea()->activeSubWindow(), mw.mdiArea()->subWindowList().at(2));
    EXPECT_EQ(mw.activeWindow(), mw.mdiArea()->subWindowList().at(2)->widget());
}

TEST_F(MainWindowTest, FirstDocumentViewIsMaximizedAndLaterOnesNormal)
{
    Gui::MainWindow& mw = build();
    auto* first = new Gui::MDIWindow(nullptr, nullptr);
    auto* second = new Gui::MDIWindow(nullptr, nullptr);
    mw.addWindow(first);
    mw.addWindow(second);
    EXPECT_TRUE(first->isMaximized());
    EXPECT_FALSE(second->isMaximized());
    EXPECT_TRUE(mw.hasWindow(first));
    mw.removeWindow(second);
    EXPECT_FALSE(mw.hasWindow(second));
    delete second;
}

TEST_F(MainWindowTest, EntityPicksReachTheEntitySelection)
{
    Gui::MainWindow& mw = build();
    logic->app().create_project("P1");
    pmFwm::SelectionModification2 pick;
    pick.type = 0;
    pick.project_name = "P1";
    pick.object_id = 12;
    pick.entity_kind = pmFwm::ENTITY_FACE;
    pick.entity_index = 3;
    mw.getEntitySelData()->notify(pick);
    const auto entries = Gui::EntitySelectionSingleton::instance().get_selection("P1");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_STREQ(entries.front().sub_name, "Face3");
    pick.type = 3;
    mw.getEntitySelData()->notify(pick);
    EXPECT_TRUE(Gui::EntitySelectionSingleton::instance().get_selection("P1").empty());
}

TEST_F(MainWindowTest, LogOffAsksTheMainWindowAndClosesEverythingWithoutInteraction)
{
    registerTypes();
    app.reset();
    app = std::make_unique<Gui::qPelmoraApplication>(true);   // GUI projects follow the logic
    Gui::MainWindow& mw = build();
    mw.show();
    logic->app().create_project("Part1", "Part1")->set_modified(true);
    {
        // The user cancels the question about the unsaved project: the log-off stops.
        PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
        EXPECT_FALSE(Gui::GUIApplication::closeForLogOff(true));
        EXPECT_EQ(closer.count(), 1);
    }
    EXPECT_TRUE(mw.isVisible());
    EXPECT_EQ(logic->app().get_projects().size(), 1u);

    // Without interaction nothing is asked: the projects are closed, then the window.
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    EXPECT_TRUE(Gui::GUIApplication::closeForLogOff(false));
    EXPECT_EQ(closer.count(), 0);
    EXPECT_TRUE(logic->app().get_projects().empty());
    EXPECT_FALSE(mw.isVisible());
}

TEST_F(MainWindowTest, BlankModuleHidesTheStatusBarUntilAnotherModuleTakesOver)
{
    registerTypes();
    Gui::MainWindow& mw = build();
    mw.show();
    auto* modules = Gui::SimModuleController::instance();
    ASSERT_TRUE(modules->activate("Std", "Gui::StdSimModule"));
    Gui::SimModule* standard = modules->active_simmodule();
    standard->activated();
    const auto docks = mw.findChildren<QDockWidget*>();
    ASSERT_FALSE(docks.isEmpty());

    ASSERT_TRUE(modules->activate("Blank", "Gui::BlankSimModule"));
    standard->deactivated();
    modules->active_simmodule()->activated();
    EXPECT_FALSE(mw.statusBar()->isVisible());
    for (QDockWidget* dock : docks)
        EXPECT_FALSE(dock->toggleViewAction()->isVisible()) << dock->objectName().toStdString();

    Gui::SimModule* blank = modules->active_simmodule();
    ASSERT_TRUE(modules->activate("Std", "Gui::StdSimModule"));
    blank->deactivated();
    modules->active_simmodule()->activated();
    EXPECT_TRUE(mw.statusBar()->isVisible());
    // The standard layout names every dock again, so their toggles are back.
    for (QDockWidget* dock : docks)
        EXPECT_TRUE(dock->toggleViewAction()->isVisible()) << dock->objectName().toStdString();
}

TEST_F(MainWindowTest, APanelDestroyedOnItsOwnTakesItsDockAlong)
{
    Gui::MainWindow& mw = build();
    Gui::DockingWindowItems layout;
    layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
    layout.add_docking_widget("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    auto* mediator = Gui::DockingWindowMediator::instance();
    mediator->setup(&layout);
    ASSERT_EQ(mw.findChildren<QDockWidget*>().size(), 2);

    delete mediator->getDockingWindow("Std_TreeView");
    EXPECT_TRUE(waitFor([&] { return mw.findChildren<QDockWidget*>().size() == 1; }));
    const QList<QWidget*> panels = mediator->get_docking_windows();
    ASSERT_EQ(panels.size(), 1);
    EXPECT_EQ(panels.front()->objectName(), QStringLiteral("Output"));
    mediator->setup(&layout);   // the gone panel is skipped
    EXPECT_EQ(mw.findChildren<QDockWidget*>().size(), 1);
}

TEST_F(MainWindowTest, UnitSettingsReachTheUnitsTheLabelAndEveryProject)
{
    Gui::MainWindow& mw = build();
    Obj::Project* first = logic->app().create_project("Part1", "Part1");
    Obj::Project* second = logic->app().create_project("Part2", "Part2");
    Vexil::PreferenceManager* prefs = logic->app().getPrefMgr();
    pmMsg::Journal::clear();

    prefs->set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("MMKS"), true);
    prefs->set(Vexil::PM_TEMPERATURE_UNIT, QStringLiteral("Kelvin"), true);
    pmUnit::UnitsManager* units = pmUnit::UnitsManager::instance();
    EXPECT_EQ(units->systemUnits(), QStringLiteral("MMKS"));
    EXPECT_EQ(units->temperatureUnits(), QStringLiteral("Kelvin"));
    EXPECT_EQ(first->get_units(), units->getUnitsData());
    EXPECT_EQ(second->get_units(), units->getUnitsData());
    auto* label = mw.statusBar()->findChild<QLabel*>(QStringLiteral("UnitLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), units->getUnitStatusLabel());
    // Only a change of the unit system concerns the geometry kernel's target unit.
    int kernelUpdates = 0;
    for (const auto& line : pmMsg::Journal::lines())
        kernelUpdates += line == "updateOCCTargetUnit";
    EXPECT_EQ(kernelUpdates, 1);

    // Settings outside the units leave everything as it was.
    prefs->set(Vexil::PM_AXES_SIZE, 7, true);
    EXPECT_EQ(units->systemUnits(), QStringLiteral("MMKS"));
}

TEST_F(MainWindowTest, TeardownDoesNotReachTheWindowThroughItsDocumentArea)
{
    Gui::MainWindow& mw = build();
    mw.addWindow(new Gui::MDIWindow(nullptr, nullptr));
    mw.addWindow(new Gui::MDIWindow(nullptr, nullptr));
    mw.show();
    QApplication::setActiveWindow(&mw);
    QMdiSubWindow* const first = mw.mdiArea()->subWindowList().first();
    mw.mdiArea()->setActiveSubWindow(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mw.mdiArea()->activeSubWindow() == first; }, PelmoraTest::HangGuardMs));
    // Activations the showing queued are over before the count starts.
    PelmoraTest::settleQueuedEvents();

    // The document area reports activations while its windows go: by then the main
    // window must no longer listen.
    QObject* const asObject = &mw;
    Gui::DocumentArea* const area = mw.mdiArea();
    int reportsToTheWindow = 0;
    int reports = 0;
    QObject::connect(area, &Gui::DocumentArea::subWindowActivated, [&](QMdiSubWindow*) {
        if (Gui::MainWindow::get_main_window_inst())
            return;
        ++reports;
        if (QObject::disconnect(area, SIGNAL(subWindowActivated(QMdiSubWindow*)), asObject, nullptr))
            ++reportsToTheWindow;
    });
    window.reset();
    EXPECT_GT(reports, 0);
    EXPECT_EQ(reportsToTheWindow, 0);
}

TEST_F(MainWindowTest, RestoredGeometryFromALargerScreenOrADamagedFileFitsTheScreen)
{
    {
        QSettings config;
        config.beginGroup(QStringLiteral("MainWindow"));
        config.setValue(QStringLiteral("Size"), QSize(40000, 30000));
        config.setValue(QStringLiteral("Position"), QPoint(-2000000000, 2000000000));
        config.setValue(QStringLiteral("MainWindowState"), QByteArray("garbage\0\xff", 9));
    }
    Gui::MainWindow& mw = build();
    mw.loadAppQtSettings();
    QSettings().remove(QStringLiteral("MainWindow"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(mw.isVisible());
    EXPECT_LE(mw.width(), screen.width());
    EXPECT_LE(mw.height(), screen.height());
    EXPECT_TRUE(screen.intersects(mw.geometry()));
}
