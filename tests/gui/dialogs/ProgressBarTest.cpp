#include "DialogTestHelpers.h"
#include <support/SettleEvents.h>
#include <support/HangGuard.h>

#include <dialogs/widgets/ProgressBar.h>

#include <support/ModalCloser.h>
#include <vexil/Exception.h>
#include <vexil/Progress.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

using Gui::ProgressQueue;

namespace {

// The status-bar stand-in that holds the bar for the whole test program.
QWidget* barHolder()
{
    static QWidget* holder = [] {
        auto* w = new QWidget;
        w->resize(300, 40);
        w->show();
        return w;
    }();
    return holder;
}

QProgressBar* bar()
{
    return ProgressQueue::instance()->get_progress_bar(barHolder());
}

// Runs `work` on a worker thread while the GUI thread keeps processing events.
void runOnWorker(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread t([&] {
        work();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    t.join();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// From a worker: returns once the GUI thread has handled what the worker posted so far
// (the bar's show, after which estimates are made).
void awaitGuiThread()
{
    std::atomic<bool> reached{false};
    QMetaObject::invokeMethod(qApp, [&] { reached = true; }, Qt::QueuedConnection);
    while (!reached)
        QThread::msleep(1);
}

class Presses : public QWidget
{
public:
    int count = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++count; }
};

void press(QWidget* target)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void escape(QWidget* target, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, modifiers);
    QApplication::sendEvent(target, &e);
}

// The time the bar sees, moved by hand.
std::atomic<qint64> fakeNow{0};
qint64 fakeClock()
{
    return fakeNow;
}

// Puts the bar on the hand-moved clock for its lifetime, starting at `start` ms.
class HandClock
{
public:
    explicit HandClock(qint64 start) : previous((fakeNow = start, ProgressQueue::setClock(&fakeClock))) {}
    ~HandClock() { ProgressQueue::setClock(previous); }
    HandClock(const HandClock&) = delete;
    HandClock& operator=(const HandClock&) = delete;

private:
    ProgressQueue::Clock previous;
};

class ProgressBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(bar(), nullptr);
        target.show();
    }
    ProgressQueue* queue() { return ProgressQueue::instance(); }
    Presses target;
};

} // namespace

TEST_F(ProgressBarTest, OnlyLongOperationsShowTheBar)
{
    // The bar waits two seconds before it shows; an operation over by then never shows it.
    auto* wait = bar()->findChild<QTimer*>(QStringLiteral("ShowDelay"));
    ASSERT_NE(wait, nullptr);
    {
        Vexil::ProgressPassingLauncher op("Quick", 3);
        op.next();
        op.next();
        EXPECT_TRUE(wait->isActive());
        EXPECT_EQ(wait->interval(), 2000);
    }
    if (wait->isActive())
        wait->start(0);   // its time comes after the end
    PelmoraTest::settleQueuedEvents();
    EXPECT_FALSE(bar()->isVisible());

    Vexil::ProgressPassingLauncher op("Long", 10);
    EXPECT_FALSE(bar()->isVisible());
    ASSERT_TRUE(wait->isActive());
    EXPECT_EQ(wait->interval(), 2000);
    wait->start(0);
    QTRY_VERIFY_WITH_TIMEOUT(bar()->isVisible(), PelmoraTest::HangGuardMs);
}

TEST_F(ProgressBarTest, MoreStepsThanTheBarCountsAreShownInProportion)
{
    for (const unsigned long long steps : {5000000000ULL, (1ULL << 32) + 100, 3000000000ULL}) {
        Vexil::ProgressPassingLauncher op("Reading", steps);
        EXPECT_GT(bar()->maximum(), 1000000) << steps;
        op.next();
        op.set_progress(steps / 2);
        EXPECT_NEAR(double(bar()->value()) / bar()->maximum(), 0.5, 0.001) << steps;
        op.set_progress(steps);
        EXPECT_EQ(bar()->value(), bar()->maximum()) << steps;
    }
    // The next operation counts one to one again.
    Vexil::ProgressPassingLauncher op("Small", 10);
    op.set_progress(4);
    EXPECT_EQ(bar()->maximum(), 10);
    EXPECT_EQ(bar()->value(), 4);
}

TEST_F(ProgressBarTest, WorkerProgressReachesTheBarOnTheGuiThread)
{
    DialogTest::FakeMainWindow mw;
    QList<int> values;
    bool offGuiThread = false;
    int maximumSeen = -1;
    auto connection = QObject::connect(bar(), &QProgressBar::valueChanged, [&](int v) {
        values << v;
        maximumSeen = bar()->maximum();
        offGuiThread |= QThread::currentThread() != qApp->thread();
    });
    std::atomic<bool> sawBlocking{true};

    HandClock clock(20000);
    runOnWorker([&] {
        Vexil::ProgressPassingLauncher op("Meshing", 100);
        sawBlocking = ProgressQueue::instance()->is_blocking();
        op.set_progress(1);
        awaitGuiThread();
        fakeNow += 1200;   // past the first second, when an estimate may show
        for (int i = 0; i < 10; ++i)
            op.next();
    });
    QObject::disconnect(connection);

    EXPECT_FALSE(sawBlocking.load());
    EXPECT_FALSE(offGuiThread);
    EXPECT_TRUE(values.contains(10));
    EXPECT_EQ(maximumSeen, 100);
    // The operation ended: the bar is reset and hidden, the status texts cleared.
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(mw.messages.contains(QStringLiteral("Meshing")));
    EXPECT_EQ(mw.messages.last(), QString());
    EXPECT_TRUE(mw.statusTexts.contains(QStringLiteral("1:")));

    const QRegularExpression estimate(QStringLiteral("^Meshing\\t\\[Remaining: \\d\\d:\\d\\d:\\d\\d\\]$"));
    EXPECT_FALSE(mw.messages.filter(estimate).isEmpty()) << mw.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(ProgressBarTest, NoEstimateWithoutProgress)
{
    // After five seconds with the value still 0 there is nothing to extrapolate from.
    DialogTest::FakeMainWindow mw;
    HandClock clock(30000);
    runOnWorker([&] {
        Vexil::ProgressPassingLauncher op("Waiting", 50);
        op.set_progress(1);
        awaitGuiThread();
        fakeNow += 5100;
        op.set_progress(0);
    });
    EXPECT_TRUE(mw.messages.filter(QStringLiteral("Remaining")).isEmpty());
}

TEST_F(ProgressBarTest, EstimateNeedsMoreThanFivePercentWithinFiveSeconds)
{
    // An estimate shows after the first second, once more than a twentieth is done or
    // five seconds have passed; one cell per time and value, each on a fresh operation.
    const QRegularExpression estimate(QStringLiteral("^Estimating\\t\\[Remaining: "));
    struct Cell
    {
        qint64 after;   // ms since the operation began
        unsigned long long value;   // of 100
        bool shown;
    };
    const Cell cells[] = {
        {900, 50, false},    // within the first second: nothing yet, however far along
        {1000, 50, false},   // the first second not yet over
        {1100, 5, false},    // 5 * 20 is not more than 100
        {1100, 6, true},
        {5000, 5, false},    // five seconds not yet over
        {5001, 1, true},     // past five seconds, any progress will do
        {5001, 0, false},    // without progress there is nothing to extrapolate from
    };
    for (const Cell& cell : cells) {
        DialogTest::FakeMainWindow mw;
        HandClock clock(40000);
        Vexil::ProgressPassingLauncher op("Estimating", 100);
        fakeNow += cell.after;
        op.set_progress(cell.value);
        EXPECT_EQ(mw.messages.filter(estimate).size(), cell.shown ? 1 : 0)
            << cell.after << " ms, " << cell.value << ": " << mw.messages.join(QStringLiteral(" | ")).toStdString();
    }
}

TEST_F(ProgressBarTest, EscapeAsksNoContinuesYesAborts)
{
    DialogTest::FakeMainWindow mw;
    bool aborted = false;
    {
        Vexil::ProgressPassingLauncher op("Solving", 10);
        EXPECT_TRUE(queue()->is_blocking());
        op.next();

        // While the operation runs, clicks are swallowed and the main window cannot close.
        press(&target);
        EXPECT_EQ(target.count, 0);
        QCloseEvent close;
        QApplication::sendEvent(&mw, &close);
        EXPECT_EQ(mw.closeEvents, 0);

        escape(&target);
        EXPECT_TRUE(queue()->is_canceled());
        {
            PelmoraTest::ModalCloser closer(QMessageBox::No);
            EXPECT_NO_THROW(op.next());
            EXPECT_EQ(closer.count(), 1);
            EXPECT_FALSE(queue()->is_canceled());
            EXPECT_EQ(bar()->value(), 2);
        }

        escape(&target);
        PelmoraTest::ModalCloser closer(QMessageBox::Yes);
        try {
            op.next();
        } catch (const Vexil::ExceptionAbortion& e) {
            aborted = true;
            EXPECT_STREQ(e.what(), "Aborting...");
        }
        EXPECT_EQ(closer.titles(), QStringList{QStringLiteral("Aborting")});
        EXPECT_EQ(closer.texts(), QStringList{QStringLiteral("Do you want to abort the operation?")});
    }
    EXPECT_TRUE(aborted);
    EXPECT_FALSE(queue()->is_working());
    EXPECT_FALSE(bar()->isVisible());

    // With the operation over, input flows again.
    press(&target);
    EXPECT_EQ(target.count, 1);
}

TEST_F(ProgressBarTest, WorkerOperationDoesNotBlockInput)
{
    std::atomic<bool> started{false}, release{false};
    std::thread t([&] {
        Vexil::ProgressPassingLauncher op("Background", 10);
        started = true;
        while (!release)
            QThread::msleep(5);
    });
    while (!started)
        QThread::msleep(5);
    press(&target);
    escape(&target);
    EXPECT_EQ(target.count, 1);
    EXPECT_FALSE(queue()->is_canceled());
    release = true;
    t.join();
    QCoreApplication::processEvents();
}

TEST_F(ProgressBarTest, SendTextOfNullStoresEmptyText)
{
    DialogTest::FakeMainWindow mw;
    queue()->send_text("Step \xc3\xa4");
    queue()->send_text(nullptr);
    EXPECT_EQ(mw.messages, (QStringList{QStringLiteral("Step \u00e4"), QString()}));
}

TEST_F(ProgressBarTest, BusyBarAdvancesAtMostTwiceASecond)
{
    {
        HandClock clock(10000);
        Vexil::ProgressPassingLauncher op("Busy", 0);
        const int start = bar()->value();
        fakeNow += 400;
        op.next(); // within 500 ms of the start: dropped
        EXPECT_EQ(bar()->value(), start);
        fakeNow += 101;
        op.next();
        EXPECT_EQ(bar()->value(), start + 1);
        fakeNow += 500;
        op.next(); // exactly 500 ms after the last change: still dropped
        EXPECT_EQ(bar()->value(), start + 1);
        // Steps 100 ms apart for ten seconds: every sixth one advances it, 17 in all.
        for (int i = 0; i < 100; ++i) {
            fakeNow += 100;
            op.next();
        }
        EXPECT_EQ(bar()->value(), start + 1 + 17);
    }
}

TEST_F(ProgressBarTest, AnEstimateBeyondADayKeepsCountingHours)
{
    DialogTest::FakeMainWindow mw;
    {
        HandClock clock(50000);
        Vexil::ProgressPassingLauncher op("Solving", 100);
        fakeNow += 3 * 3600 * 1000;   // a tenth done after three hours
        op.set_progress(10);
    }
    EXPECT_TRUE(mw.messages.contains(QStringLiteral("Solving\t[Remaining: 27:00:00]")))
        << mw.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(ProgressBarTest, ControlEscapeEndsAStuckOperation)
{
    DialogTest::FakeMainWindow mw;
    Vexil::ProgressPassingLauncher op("Stuck", 10);
    op.set_progress(1);
    ASSERT_TRUE(bar()->isVisible());
    // Events that the filter lets through count as signs of life of the event loop.
    for (int i = 0; i < 60; ++i) {
        QEvent e(QEvent::User);
        QApplication::sendEvent(&target, &e);
    }
    // Plain Escape only asks for cancellation, however many events were seen.
    escape(&target);
    EXPECT_TRUE(queue()->is_canceled());
    EXPECT_TRUE(queue()->is_working());

    escape(&target, Qt::ControlModifier);
    EXPECT_FALSE(queue()->is_working());
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(mw.statusTexts.value(mw.statusTexts.size() - 1), QStringLiteral("1:"));
    EXPECT_EQ(mw.messages.value(mw.messages.size() - 1), QString());
    // The filter is gone: input flows again.
    press(&target);
    EXPECT_EQ(target.count, 1);
}

TEST_F(ProgressBarTest, ModalMessageBoxesStayUsable)
{
    QMessageBox modal;
    modal.setWindowModality(Qt::ApplicationModal);
    auto* inModal = new Presses;
    inModal->setParent(&modal);
    QMessageBox modeless;
    modeless.setWindowModality(Qt::NonModal);
    auto* inModeless = new Presses;
    inModeless->setParent(&modeless);

    Vexil::ProgressPassingLauncher op("Working", 10);
    press(inModal);
    press(inModeless);
    EXPECT_EQ(inModal->count, 1);
    EXPECT_EQ(inModeless->count, 0);
}

TEST_F(ProgressBarTest, BusyModeFromAWorkerReachesTheBarQueued)
{
    QProgressBar* b = bar();
    b->setRange(0, 100);
    std::thread t([] { ProgressQueue::instance()->SetDyanmicRunning(true); });
    t.join();
    // The worker must not have touched the widget itself.
    EXPECT_EQ(b->maximum(), 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(b->maximum(), 0);
    ProgressQueue::instance()->SetDyanmicRunning(false);
    EXPECT_EQ(b->maximum(), 100);
}
