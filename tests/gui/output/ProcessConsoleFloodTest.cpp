// The process console under a program that writes without pause: the window stays
// responsive, the view keeps only the last lines and says how many went, and the
// memory stays bounded.

#include <dialogs/DlgIPCImp.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <support/CostLimits.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

// Resident memory of this process now, in MiB.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

TEST(ProcessConsoleFlood, ATalkativeProgramLeavesTheWindowResponsiveAndTheOutputBounded)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    const QString yes = QStandardPaths::findExecutable(QStringLiteral("yes"));
    ASSERT_FALSE(yes.isEmpty());
    Gui::DlgIPCImp console(QStringLiteral("Talker"), true);
    console.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&console));

    // A timer due every 10 ms: the longest gap between its calls is how long the event
    // loop stood still.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worstGap = 0;
    double peak = 0;
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worstGap = std::max(worstGap, now - last);
        last = now;
        peak = std::max(peak, residentMiB());
    });
    const double before = residentMiB();
    ASSERT_TRUE(console.startRunning(yes, {}));
    clock.start();
    ping.start(10);
    QTest::qWait(4000);
    ping.stop();
    std::printf("yes as a child for 4 s: longest stall %lld ms, memory %.1f MiB before, peak %.1f MiB\n",
                static_cast<long long>(worstGap), before, peak);
    EXPECT_LT(worstGap, 500);
    EXPECT_LT(peak - before, 150.0);

    console.slot_pb_stop_clicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console.isRunning() && console.progressBar()->maximum() == 100; }, 10000));
    QTextDocument* doc = console.output()->document();
    // The kept lines, the note above them and the messages after them.
    EXPECT_LE(doc->blockCount(), Gui::DlgIPCImp::MaxKeptLines + 8);
    const QString note = doc->firstBlock().text();
    EXPECT_TRUE(note.startsWith(QLatin1String("[")) && note.endsWith(QStringLiteral(
        " earlier lines of output were removed: the console keeps the last %1 lines]").arg(Gui::DlgIPCImp::MaxKeptLines)))
        << note.toStdString();
    EXPECT_GT(note.mid(1, note.indexOf(QLatin1Char(' ')) - 1).toLongLong(), Gui::DlgIPCImp::MaxKeptLines);
    EXPECT_EQ(doc->findBlockByNumber(1).text(), QStringLiteral("y"));
    EXPECT_TRUE(console.output()->toPlainText().endsWith(QStringLiteral("\nChild process returns an error.\n")));

    // Clearing starts afresh: no note for a short run, whose words are still found when
    // they arrive split between two reads.
    console.slot_btnClear_clicked();
    ASSERT_TRUE(console.startRunning(QStandardPaths::findExecutable(QStringLiteral("sh")),
                                     {QStringLiteral("-c"), QStringLiteral("printf 'solver ERR'; sleep 0.5; printf 'OR in step 3\\n'")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console.isRunning() && console.progressBar()->maximum() == 100; }, 10000));
    EXPECT_TRUE(doc->firstBlock().text().startsWith(QLatin1String("Executable: ")));
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("\nsolver ERROR in step 3\n")));
    EXPECT_EQ(console.progressBar()->value(), 90);
    EXPECT_TRUE(console.hasErrors());
}
