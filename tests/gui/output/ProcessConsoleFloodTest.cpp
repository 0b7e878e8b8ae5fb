// The process console under a program that writes without pause: the window stays
// responsive, the view keeps only the last lines and says how many went, and the
// memory stays bounded.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <support/ProcessConsoleRun.h>
#include <support/CostLimits.h>
#include <support/WorkCount.h>
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
    PelmoraTest::KillWaitingConsole console(QStringLiteral("Talker"), true);
    console.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&console, PelmoraTest::HangGuardMs));

    // A timer due every 10 ms: the most work (allocations) the window did between two of
    // its calls is how much it takes on at a time, before the loop turns to other events;
    // the longest gap between them says whether the loop stood still for good.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worstGap = 0;
    PelmoraTest::Work lastWork;
    PelmoraTest::Work worstWork;
    int calls = 0;
    double peak = 0;
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worstGap = std::max(worstGap, now - last);
        last = now;
        const PelmoraTest::Work work = PelmoraTest::threadWork();
        if (calls++ > 0) {
            const PelmoraTest::Work between = work - lastWork;
            worstWork.allocations = std::max(worstWork.allocations, between.allocations);
            worstWork.bytes = std::max(worstWork.bytes, between.bytes);
        }
        lastWork = work;
        peak = std::max(peak, residentMiB());
    });
    const double before = residentMiB();
    ASSERT_TRUE(console.startRunning(yes, {}));
    clock.start();
    lastWork = PelmoraTest::threadWork();
    ping.start(10);
    // The loop goes on turning while the output streams: four hundred calls of the timer,
    // however long the machine takes for them, as long as each comes in time.
    EXPECT_TRUE(PelmoraTest::waitWhileMoving([&] { return calls >= 400; }, [&] { return calls; }))
        << "the window's loop stood still while the output streamed";
    ping.stop();
    std::printf("yes as a child for %d timer calls: longest stall %lld ms, at most %s between two timer calls, "
                "memory %.1f MiB before, peak %.1f MiB\n",
                calls, static_cast<long long>(worstGap), PelmoraTest::describe(worstWork).c_str(), before, peak);
    if (PelmoraTest::workCounted()) {
        EXPECT_GT(calls, 1);
        EXPECT_LT(worstWork.bytes, 64u * 1024 * 1024) << PelmoraTest::describe(worstWork);
    }
    EXPECT_LT(peak - before, 150.0);

    console.slot_pb_stop_clicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return PelmoraTest::endReported(console); }, PelmoraTest::HangGuardMs));
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
    // they arrive split between two reads (the second part is written once the first is
    // shown).
    console.slot_btnClear_clicked();
    const PelmoraTest::ScriptSteps steps;
    ASSERT_TRUE(console.startRunning(QStandardPaths::findExecutable(QStringLiteral("sh")),
                                     {QStringLiteral("-c"), QStringLiteral("printf 'solver ERR'; ") + steps.waitFor(1)
                                                                + QStringLiteral("printf 'OR in step 3\\n'")}));
    ASSERT_TRUE(steps.goOnceShown(console, QStringLiteral("solver ERR"), 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return PelmoraTest::endReported(console); }, PelmoraTest::HangGuardMs));
    EXPECT_TRUE(doc->firstBlock().text().startsWith(QLatin1String("Executable: ")));
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("\nsolver ERROR in step 3\n")));
    EXPECT_EQ(console.progressBar()->value(), 90);
    EXPECT_TRUE(console.hasErrors());
}

// Output without line breaks: progress dots, a long base64 line, a binary file sent to
// the terminal.  The window keeps reacting while it streams, and what the user copies is
// the text as the program wrote it.
TEST(ProcessConsoleFlood, OutputWithoutLineBreaksLeavesTheWindowResponsiveAndArrivesWhole)
{
    const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
    ASSERT_FALSE(sh.isEmpty());
    PelmoraTest::KillWaitingConsole console(QStringLiteral("Dots"), true);
    console.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&console, PelmoraTest::HangGuardMs));
    QTextDocument* doc = console.output()->document();
    const auto finished = [&] { return PelmoraTest::endReported(console); };
    PelmoraTest::ConsoleIntake intake(console);
    const auto taken = [&] { return intake.count(); };

    // An endless line: the user's click on Stop is taken while it streams, once the view
    // has taken in more than it keeps (the note above it is there), however fast the
    // program runs beside the window.  The clock ticks only while the event loop runs.
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    ASSERT_TRUE(console.startRunning(sh, {QStringLiteral("-c"), QStringLiteral("yes x | tr -d '\\n'")}));
    intake.watchReads();
    clock.start(10);
    // A view that has taken in several times what it keeps must have cut its start by then:
    // the wait ends there too, so a missing note fails instead of waiting on an endless run.
    const auto noted = [&] { return doc->firstBlock().text().startsWith(QLatin1Char('[')); };
    const auto pastTheCut = [&] { return intake.charactersAdded() > 4 * qint64(Gui::DlgIPCImp::MaxKeptChars); };
    ASSERT_TRUE(PelmoraTest::waitWhileMoving([&] { return (ticks >= 100 && noted()) || pastTheCut(); }, taken))
        << ticks << " ticks";
    ASSERT_TRUE(noted()) << "no note after " << intake.charactersAdded() << " characters: "
                         << doc->firstBlock().text().left(120).toStdString();
    const int ticksBeforeClick = ticks;
    auto* stop = console.findChild<QPushButton*>(QStringLiteral("pb_stop"));
    ASSERT_NE(stop, nullptr);
    QTest::mouseClick(stop, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(finished, PelmoraTest::HangGuardMs));
    clock.stop();
    EXPECT_GE(ticksBeforeClick, 100);
    const QString shown = console.output()->toPlainText();
    EXPECT_LE(doc->characterCount(), Gui::DlgIPCImp::MaxKeptChars + 1024);
    // However often its start was cut, the long line counts once among the removed
    // ones, after the two lines that named the program.
    EXPECT_EQ(doc->firstBlock().text().toStdString(),
              QStringLiteral("[3 earlier lines of output were removed: the console keeps the last %1 lines]")
                  .arg(Gui::DlgIPCImp::MaxKeptLines).toStdString());
    EXPECT_TRUE(doc->firstBlock().next().text().startsWith(QLatin1String("xxxx")));
    EXPECT_TRUE(shown.contains(QStringLiteral("xxxx\nUser interrupted the child process.\n")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("xxxx\nChild process returns an error.\n"))) << shown.right(200).toStdString();

    // A run of two million characters, then two short lines: copied with the button,
    // and selected and copied with the keyboard, it is one line.
    console.slot_btnClear_clicked();
    const int length = 2000000;
    ASSERT_TRUE(console.startRunning(
        sh, {QStringLiteral("-c"), QStringLiteral("head -c %1 /dev/zero | tr '\\0' y; printf ' end\\nnext line\\n'").arg(length)}));
    intake.watchReads();
    ticks = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    clock.start(10);
    ASSERT_TRUE(PelmoraTest::waitWhileMoving(finished, taken));
    clock.stop();
    std::printf("%d characters in one line: shown in %lld ms, %d ticks of a 10 ms timer meanwhile\n", length,
                static_cast<long long>(elapsed.elapsed()), ticks);
    EXPECT_GT(ticks, 0);
    const QString expected = QStringLiteral("Executable: %1\nArguments: -c ").arg(sh);
    const QString written = QString(length, QLatin1Char('y')) + QStringLiteral(" end\nnext line\n");
    auto* copy = console.findChild<QPushButton*>(QStringLiteral("pb_copy"));
    ASSERT_NE(copy, nullptr);
    QApplication::clipboard()->clear();
    QTest::mouseClick(copy, Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    ASSERT_TRUE(copied.startsWith(expected));
    const int at = copied.indexOf(QLatin1Char('\n'), expected.size()) + 1;
    EXPECT_EQ(copied.mid(at), written) << "copied text differs";
    EXPECT_GT(doc->blockCount(), length / Gui::DlgIPCImp::MaxBlockChars) << "the long line is laid out in pieces";

    QApplication::clipboard()->clear();
    console.output()->setFocus();
    QTest::keyClick(console.output(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(console.output(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), copied);
}
