#include "DialogTestHelpers.h"

#include <dialogs/widgets/ProgressBar.h>

#include <support/ModalCloser.h>
#include <vexil/Exception.h>
#include <vexil/Progress.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

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

class Presses : public QWidget
{
public:
    int count = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++count; }
};

class ProgressBarTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(bar(), nullptr); }
};

} // namespace

TEST_F(ProgressBarTest, BarIsCreatedOnceHiddenAndFixed)
{
    QProgressBar* b = bar();
    EXPECT_EQ(ProgressQueue::instance()->get_progress_bar(nullptr), b);
    EXPECT_EQ(b->parentWidget(), barHolder());
    EXPECT_FALSE(b->isVisible());
    EXPECT_EQ(b->width(), 120);
    EXPECT_EQ(b->minimumWidth(), 120);
    EXPECT_EQ(b->maximumWidth(), 120);
    EXPECT_TRUE(b->alignment() & Qt::AlignHCenter);
}

TEST_F(ProgressBarTest, ShortOperationNeverShowsTheBar)
{
    {
        Vexil::ProgressPassingLauncher op("Quick", 3);
        op.next();
        op.next();
    }
    QTest::qWait(2200);
    EXPECT_FALSE(bar()->isVisible());
}

TEST_F(ProgressBarTest, WorkerProgressReachesTheBarOnTheGuiThread)
{
    DialogTest::FakeMainWindow mw;
    QList<int> values;
    bool offGuiThread = false;
    auto connection = QObject::connect(bar(), &QProgressBar::valueChanged, [&](int v) {
        values << v;
        offGuiThread |= QThread::currentThread() != qApp->thread();
    });
    int maximumSeen = -1;
    auto rangeConnection = QObject::connect(bar(), &QProgressBar::valueChanged,
                                            [&](int) { maximumSeen = bar()->maximum(); });
    std::atomic<bool> sawBlocking{true};

    runOnWorker([&] {
        Vexil::ProgressPassingLauncher op("Meshing", 100);
        sawBlocking = ProgressQueue::instance()->is_blocking();
        op.set_progress(1);
        QThread::msleep(1200);
        for (int i = 0; i < 10; ++i)
            op.next();
        QThread::msleep(100);
    });
    QObject::disconnect(connection);
    QObject::disconnect(rangeConnection);

    EXPECT_FALSE(sawBlocking.load());
    EXPECT_FALSE(offGuiThread);
    ASSERT_FALSE(values.isEmpty());
    EXPECT_TRUE(values.contains(10));
    EXPECT_EQ(maximumSeen, 100);
    // The operation ended: the bar is reset and hidden, the status texts cleared.
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(mw.messages.contains(QStringLiteral("Meshing")));
    EXPECT_EQ(mw.messages.last(), QString());
    EXPECT_TRUE(mw.statusTexts.contains(QStringLiteral("1:")));

    const QRegularExpression estimate(QStringLiteral("^Meshing\\t\\[Remaining: \\d\\d:\\d\\d:\\d\\d\\]$"));
    bool found = false;
    for (const QString& m : mw.messages)
        found |= estimate.match(m).hasMatch();
    EXPECT_TRUE(found) << mw.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(ProgressBarTest, NoEstimateWithoutProgress)
{
    // After five seconds with the value still 0 there is nothing to extrapolate from.
    DialogTest::FakeMainWindow mw;
    runOnWorker([&] {
        Vexil::ProgressPassingLauncher op("Waiting", 50);
        op.set_progress(1);
        QThread::msleep(5100);
        op.set_progress(0);
        QThread::msleep(50);
    });
    for (const QString& m : mw.messages)
        EXPECT_FALSE(m.contains(QStringLiteral("Remaining"))) << m.toStdString();
}

TEST_F(ProgressBarTest, EscapeAsksAndYesAborts)
{
    DialogTest::FakeMainWindow mw;
    Presses target;
    target.show();
    bool aborted = false;
    PelmoraTest::ModalCloser closer(QMessageBox::Yes);
    try {
        Vexil::ProgressPassingLauncher op("Solving", 10);
        EXPECT_TRUE(ProgressQueue::instance()->is_blocking());
        op.next();

        // While the operation runs, clicks are swallowed and the main window cannot close.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &press);
        EXPECT_EQ(target.count, 0);
        QCloseEvent close;
        QApplication::sendEvent(&mw, &close);
        EXPECT_EQ(mw.closeEvents, 0);

        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&target, &escape);
        EXPECT_TRUE(ProgressQueue::instance()->is_canceled());

        op.next();
    } catch (const Vexil::ExceptionAbortion& e) {
        aborted = true;
        EXPECT_STREQ(e.what(), "Aborting...");
    }
    EXPECT_TRUE(aborted);
    EXPECT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().value(0), QStringLiteral("Aborting"));
    EXPECT_EQ(closer.texts().value(0), QStringLiteral("Do you want to abort the operation?"));
    EXPECT_FALSE(ProgressQueue::instance()->is_working());
    EXPECT_FALSE(bar()->isVisible());

    // With the operation over, input flows again.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    EXPECT_EQ(target.count, 1);
}

TEST_F(ProgressBarTest, EscapeThenNoContinues)
{
    Presses target;
    target.show();
    Vexil::ProgressPassingLauncher op("Solving", 10);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&target, &escape);
    ASSERT_TRUE(ProgressQueue::instance()->is_canceled());
    PelmoraTest::ModalCloser closer(QMessageBox::No);
    EXPECT_NO_THROW(op.next());
    EXPECT_EQ(closer.count(), 1);
    EXPECT_FALSE(ProgressQueue::instance()->is_canceled());
    EXPECT_EQ(bar()->value(), 1);
}

TEST_F(ProgressBarTest, WorkerOperationDoesNotBlockInput)
{
    Presses target;
    target.show();
    std::atomic<bool> started{false}, release{false};
    std::thread t([&] {
        Vexil::ProgressPassingLauncher op("Background", 10);
        started = true;
        while (!release)
            QThread::msleep(5);
    });
    while (!started)
        QThread::msleep(5);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&target, &escape);
    EXPECT_EQ(target.count, 1);
    EXPECT_FALSE(ProgressQueue::instance()->is_canceled());
    release = true;
    t.join();
    QCoreApplication::processEvents();
}

TEST_F(ProgressBarTest, SendTextOfNullStoresEmptyText)
{
    DialogTest::FakeMainWindow mw;
    ProgressQueue::instance()->send_text("Step \xc3\xa4");
    ProgressQueue::instance()->send_text(nullptr);
    EXPECT_EQ(mw.messages, (QStringList{QStringLiteral("Step \u00e4"), QString()}));
}

TEST_F(ProgressBarTest, EstimateNeedsMoreThanFivePercentWithinFiveSeconds)
{
    DialogTest::FakeMainWindow mw;
    auto estimates = [&] {
        int n = 0;
        for (const QString& m : mw.messages)
            n += m.startsWith(QStringLiteral("Estimating\t[Remaining: ")) ? 1 : 0;
        return n;
    };
    Vexil::ProgressPassingLauncher op("Estimating", 100);
    QThread::msleep(1100); // more than the first second, far less than five
    op.set_progress(5);    // 5 * 20 is not more than 100
    EXPECT_EQ(estimates(), 0);
    op.set_progress(6);
    EXPECT_EQ(estimates(), 1) << mw.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(ProgressBarTest, BusyBarAdvancesAtMostTwiceASecond)
{
    QElapsedTimer clock;
    clock.start();
    Vexil::ProgressPassingLauncher op("Busy", 0);
    const int start = bar()->value();
    op.next();
    // Only meaningful when the first update came within 500 ms of the start.
    if (clock.elapsed() < 400) {
        EXPECT_EQ(bar()->value(), start);
    }
    QThread::msleep(600);
    op.next();
    EXPECT_EQ(bar()->value(), start + 1);
    clock.restart();
    op.next(); // right after the last change: dropped
    if (clock.elapsed() < 400) {
        EXPECT_EQ(bar()->value(), start + 1);
    }
}

TEST_F(ProgressBarTest, ControlEscapeEndsAStuckOperation)
{
    DialogTest::FakeMainWindow mw;
    Presses target;
    target.show();
    Vexil::ProgressPassingLauncher op("Stuck", 10);
    op.set_progress(1);
    ASSERT_TRUE(bar()->isVisible());
    // Events that the filter lets through count as signs of life of the event loop.
    for (int i = 0; i < 60; ++i) {
        QEvent e(QEvent::User);
        QApplication::sendEvent(&target, &e);
    }
    // Plain Escape only asks for cancellation, however many events were seen.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&target, &escape);
    EXPECT_TRUE(ProgressQueue::instance()->is_canceled());
    EXPECT_TRUE(ProgressQueue::instance()->is_working());

    QKeyEvent forced(QEvent::KeyPress, Qt::Key_Escape, Qt::ControlModifier);
    QApplication::sendEvent(&target, &forced);
    EXPECT_FALSE(ProgressQueue::instance()->is_working());
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(mw.statusTexts.value(mw.statusTexts.size() - 1), QStringLiteral("1:"));
    EXPECT_EQ(mw.messages.value(mw.messages.size() - 1), QString());
    // The filter is gone: input flows again.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
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
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(inModal, &press);
    QApplication::sendEvent(inModeless, &press);
    EXPECT_EQ(inModal->count, 1);
    EXPECT_EQ(inModeless->count, 0);
}

TEST_F(ProgressBarTest, LongOperationShowsTheBarAfterTheMinimumDuration)
{
    auto* b = qobject_cast<Gui::PMProgressBar*>(bar());
    ASSERT_NE(b, nullptr);
    Vexil::ProgressPassingLauncher op("Long", 10);
    EXPECT_FALSE(b->isVisible());
    // Timers fire late on a loaded machine, never early.
    QTRY_VERIFY_WITH_TIMEOUT(b->isVisible(), 15000);
    EXPECT_TRUE(b->isVisible());
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
