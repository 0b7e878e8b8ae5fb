// The main window at scale: document views added to the tabbed document area (opening
// many files from the command line), and console lines reaching the status bar while
// the event loop runs.  Baselines: a plain QMdiArea in tabbed mode, and a plain QLabel
// set to every line.

#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>
#include <string>

namespace {

// A logic, the GUI application object and a shown main window, as after start-up.
class Session
{
public:
    Session()
    {
        std::map<std::string, std::string> config;
        config["UserAppData"] = dir.path().toStdString() + "/";
        config["AppHomePath"] = dir.path().toStdString() + "/";
        logic = std::make_unique<Obj::Application>(1, argv, std::move(config));
        app = std::make_unique<Gui::qPelmoraApplication>(false);
        window = std::make_unique<Gui::MainWindow>();
        window->resize(1200, 800);
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
    }
    ~Session()
    {
        window.reset();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
    }
    Gui::MainWindow& mainWindow() { return *window; }

private:
    QTemporaryDir dir;
    char name[8] = "pelmora";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<Obj::Application> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
};

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void BM_DocumentAreaAddViews(benchmark::State& state)
{
    Session session;
    Gui::MainWindow& mw = session.mainWindow();
    for (auto _ : state) {
        for (int i = 0; i < state.range(0); ++i) {
            auto* view = new Gui::MDIWindow(nullptr, nullptr);
            view->setWindowTitle(QStringLiteral("File %1").arg(i));
            mw.addWindow(view);
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        for (QMdiSubWindow* sub : mw.mdiArea()->subWindowList())
            delete sub;
        settle();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DocumentAreaAddViews_Baseline(benchmark::State& state)
{
    QMainWindow window;
    auto* area = new QMdiArea(&window);
    area->setViewMode(QMdiArea::TabbedView);
    area->setTabPosition(QTabWidget::South);
    window.setCentralWidget(area);
    window.resize(1200, 800);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    for (auto _ : state) {
        for (int i = 0; i < state.range(0); ++i) {
            auto* view = new QWidget;
            view->setWindowTitle(QStringLiteral("File %1").arg(i));
            QMdiSubWindow* sub = area->addSubWindow(view);
            sub->show();
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        for (QMdiSubWindow* sub : area->subWindowList())
            delete sub;
        settle();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Console lines with the event loop running between them; the time until the last line
// shows is not counted (it waits for the next delivery).  Only the status bar listens:
// the Output panel's own cost is another figure.
void BM_StatusBarConsoleLines(benchmark::State& state)
{
    Session session;
    auto* label = session.mainWindow().statusBar()->findChild<QLabel*>(QStringLiteral("MessageLabel"));
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    const unsigned int allKinds = Vexil::MsgType_Txt | Vexil::MsgType_Log | Vexil::MsgType_Wrn | Vexil::MsgType_Err;
    console.SetEnabledMsgType("ReportOutput", allKinds, false);
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < state.range(0); ++i) {
            console.Message(("Line " + std::to_string(i) + " of round " + std::to_string(round)).c_str());
            QCoreApplication::processEvents();
        }
        state.PauseTiming();
        const QString last = QStringLiteral("of round %1").arg(round);
        while (!label->text().contains(last))
            QTest::qWait(5);
        state.ResumeTiming();
    }
    console.SetEnabledMsgType("ReportOutput", allKinds, true);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_StatusBarConsoleLines_Baseline(benchmark::State& state)
{
    QMainWindow window;
    auto* label = new QLabel(window.statusBar());
    window.statusBar()->addWidget(label);
    window.resize(1200, 800);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < state.range(0); ++i) {
            const QString line = QString::fromStdString("Line " + std::to_string(i) + " of round " + std::to_string(round));
            label->setText(QStringLiteral("<font color=\"#000000\">%1</font>").arg(line.toHtmlEscaped()));
            QCoreApplication::processEvents();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_DocumentAreaAddViews)->Arg(100)->Arg(400)->Arg(800)->Arg(1600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DocumentAreaAddViews_Baseline)->Arg(100)->Arg(400)->Arg(800)->Arg(1600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StatusBarConsoleLines)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StatusBarConsoleLines_Baseline)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
