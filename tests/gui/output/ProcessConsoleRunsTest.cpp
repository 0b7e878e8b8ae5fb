// The process console run twice: what the second run gives back (exec()'s result,
// hasErrors(), the dialog's finished, accepted and rejected signals) depends on that run
// alone, whatever the first did; a run the user killed with Close is a failed run; and
// each close is told once.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <support/ProcessConsoleRun.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using PelmoraTest::endReported;
using PelmoraTest::shell;

enum class First { None, Clean, Error, Crash };
enum class Second { Clean, Error, KilledByClose, KilledAfterAnError, CloseRefusedThenEnds };
enum class Moment { AfterTheEnd, WhileTheEndIsShown, WhileRunning };

const char* name(First f)
{
    switch (f) {
    case First::None: return "no first run";
    case First::Clean: return "a clean first run";
    case First::Error: return "a first run that said error";
    case First::Crash: return "a first run that crashed";
    }
    return "";
}

const char* name(Second s)
{
    switch (s) {
    case Second::Clean: return "clean";
    case Second::Error: return "says error";
    case Second::KilledByClose: return "killed by Close and Yes";
    case Second::KilledAfterAnError: return "says error, then killed by Close and Yes";
    case Second::CloseRefusedThenEnds: return "Close answered No, then ends cleanly";
    }
    return "";
}

const char* name(Moment m)
{
    switch (m) {
    case Moment::AfterTheEnd: return "closed after the end was shown";
    case Moment::WhileTheEndIsShown: return "closed while the end is still shown";
    case Moment::WhileRunning: return "closed while running";
    }
    return "";
}

struct Signals
{
    int finished = 0;
    int accepted = 0;
    int rejected = 0;
};

struct Outcome
{
    int result = -2;
    bool errorsAtReturn = false;
    bool errorsLater = false;
    Signals signalsSeen;
    QStringList questions;
    bool closedAsPlanned = false;
};

class Bench
{
public:
    Bench() { go.setFileName(dir.filePath("go")); }

    QString script(Second second, Moment moment) const
    {
        // A talkative run: more lines than the console shows at once, so its end is still
        // being shown when the program has ended.
        const QString talk = moment == Moment::WhileTheEndIsShown ? QStringLiteral("seq 1 30000 | sed 's/^/step /'; ")
                                                                  : QStringLiteral("echo step; ");
        // Runs until the test lets it go on: the Close click meets a running program.
        const QString wait = QStringLiteral("while [ ! -e '%1' ]; do sleep 0.02; done; ").arg(go.fileName());
        switch (second) {
        case Second::Clean: return talk + QStringLiteral("echo all done");
        case Second::Error: return talk + QStringLiteral("echo 'error: solver diverged'");
        case Second::KilledByClose: return QStringLiteral("echo $((6*7)) ready; ") + wait + QStringLiteral("echo all done");
        case Second::KilledAfterAnError:
            return QStringLiteral("echo 'error: '$((6*7)) ready; ") + wait + QStringLiteral("echo all done");
        case Second::CloseRefusedThenEnds:
            return QStringLiteral("echo $((6*7)) ready; ") + wait + QStringLiteral("echo all done");
        }
        return QString();
    }

    void firstRun(Gui::DlgIPCImp& console, First first)
    {
        const char* scripts[] = {"", "echo all done", "echo 'error: mesh too coarse'", "echo dying; kill -SEGV $$"};
        if (first == First::None)
            return;
        ASSERT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), QString::fromLatin1(scripts[int(first)])}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return endReported(console); }, PelmoraTest::HangGuardMs));
        ASSERT_EQ(console.hasErrors(), first == First::Error || first == First::Crash);
    }

    Outcome secondRun(Gui::DlgIPCImp& console, Second second, Moment moment)
    {
        Outcome outcome;
        QFile::remove(go.fileName());
        QObject::connect(&console, &QDialog::finished, [&] { ++outcome.signalsSeen.finished; });
        QObject::connect(&console, &QDialog::accepted, [&] { ++outcome.signalsSeen.accepted; });
        QObject::connect(&console, &QDialog::rejected, [&] { ++outcome.signalsSeen.rejected; });
        const bool killing = second == Second::KilledByClose || second == Second::KilledAfterAnError;
        const bool refusing = second == Second::CloseRefusedThenEnds;
        QMessageBox::StandardButton answer = killing ? QMessageBox::Yes : QMessageBox::No;
        bool askedWhileRunning = false;
        bool clicked = false;

        // The question of the Close button, answered as a user would.  A timer of its own:
        // the one that clicked Close is still in its handler while the question waits.
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                outcome.questions << box->text();
                askedWhileRunning = askedWhileRunning || console.isRunning();
                box->button(answer)->click();
            }
        });
        answerer.start(5);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!console.isVisible() || QApplication::activeModalWidget() != &console)
                return;
            // What the program printed, not the command line shown before it.
            const bool started = console.output()->toPlainText().contains(QStringLiteral("42 ready"));
            if ((killing || (refusing && !clicked)) && console.isRunning() && started) {
                clicked = true;
                QTest::mouseClick(console.findChild<QPushButton*>(QStringLiteral("pb_close")), Qt::LeftButton);
                if (refusing) {
                    // Let the program end now.
                    QFile f(go.fileName());
                    f.open(QIODevice::WriteOnly);
                }
                return;
            }
            if (killing || console.isRunning())
                return;
            if (moment == Moment::WhileTheEndIsShown && !clicked) {
                clicked = true;
                outcome.closedAsPlanned = console.progressBar()->maximum() == 0;
                QTest::mouseClick(console.findChild<QPushButton*>(QStringLiteral("pb_close")), Qt::LeftButton);
            } else if (moment == Moment::AfterTheEnd && endReported(console)) {
                outcome.closedAsPlanned = true;
                QTest::mouseClick(console.findChild<QPushButton*>(QStringLiteral("pb_close")), Qt::LeftButton);
            }
        });
        poll.start(2);
        // Only a guard against a hang, while the console takes nothing in.
        PelmoraTest::ConsoleIntake intake(console);
        PelmoraTest::StallGuard guard([&] { return intake.count(); }, [&] { console.done(-1); });
        guard.start();

        // A talkative run's output is shown only after the click, so that its end is still
        // to be shown then on any machine.
        if (moment == Moment::WhileTheEndIsShown)
            PelmoraTest::holdShowing(console);
        EXPECT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), script(second, moment)}));
        intake.watchReads();
        outcome.result = console.exec();
        outcome.errorsAtReturn = console.hasErrors();
        poll.stop();
        answerer.stop();
        PelmoraTest::releaseShowing(console);
        // Whatever comes after the dialog went (the killed program's end, the rest of the
        // output) is handled before the signals are counted.
        EXPECT_TRUE(QTest::qWaitFor([&] { return endReported(console); }, PelmoraTest::HangGuardMs));
        auto* flush = console.findChild<QTimer*>(QStringLiteral("outputFlush"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !flush->isActive(); }, PelmoraTest::HangGuardMs));
        outcome.errorsLater = console.hasErrors();
        if (killing)
            outcome.closedAsPlanned = askedWhileRunning && clicked;
        if (refusing)
            outcome.closedAsPlanned = askedWhileRunning && outcome.questions.size() == 1;
        QFile::remove(go.fileName());
        return outcome;
    }

private:
    QTemporaryDir dir;
    QFile go;
};

} // namespace

TEST(ProcessConsoleRuns, TheSecondRunAloneDecidesAndEachCloseIsToldOnce)
{
    const struct
    {
        Second second;
        Moment moment;
        bool failed;
    } seconds[] = {
        {Second::Clean, Moment::AfterTheEnd, false},
        {Second::Clean, Moment::WhileTheEndIsShown, false},
        {Second::Error, Moment::AfterTheEnd, true},
        {Second::Error, Moment::WhileTheEndIsShown, true},
        {Second::KilledByClose, Moment::WhileRunning, true},
        {Second::KilledAfterAnError, Moment::WhileRunning, true},
        {Second::CloseRefusedThenEnds, Moment::AfterTheEnd, false},
    };
    int cells = 0;
    for (const bool keepOpen : {true, false}) {
        for (const First first : {First::None, First::Clean, First::Error, First::Crash}) {
            for (const auto& s : seconds) {
                // A clean run closes a dialog that is not kept open by itself: there is no
                // moment after its end to click in.
                if (!keepOpen && s.second == Second::Clean && s.moment == Moment::AfterTheEnd)
                    continue;
                SCOPED_TRACE(std::string(keepOpen ? "kept open, " : "closing by itself, ") + name(first) + ", second run "
                             + name(s.second) + ", " + name(s.moment));
                Bench bench;
                PelmoraTest::KillWaitingConsole console(QStringLiteral("Solver"), keepOpen);
                bench.firstRun(console, first);
                const Outcome outcome = bench.secondRun(console, s.second, s.moment);
                ++cells;
                EXPECT_TRUE(outcome.closedAsPlanned);
                EXPECT_EQ(outcome.result, s.failed ? QDialog::Rejected : QDialog::Accepted);
                EXPECT_EQ(outcome.errorsAtReturn, s.failed);
                EXPECT_EQ(outcome.errorsLater, s.failed);
                EXPECT_EQ(outcome.signalsSeen.finished, 1);
                EXPECT_EQ(outcome.signalsSeen.accepted, s.failed ? 0 : 1);
                EXPECT_EQ(outcome.signalsSeen.rejected, s.failed ? 1 : 0);
                const bool asked = s.second == Second::KilledByClose || s.second == Second::KilledAfterAnError
                                   || s.second == Second::CloseRefusedThenEnds;
                ASSERT_EQ(outcome.questions.size(), asked ? 1 : 0);
                if (asked) {
                    EXPECT_EQ(outcome.questions.front(),
                              QStringLiteral("Closing this dialog (Solver) will terminate the currently running "
                                             "process, do you want to continue?"));
                }
            }
        }
    }
    EXPECT_EQ(cells, 2 * 4 * 7 - 4);
}
