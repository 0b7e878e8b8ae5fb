// The process console's whole life as one rule, over every way of closing it, every state
// of its run, both answers to its question and both ways of ending (kept open or closing
// by itself): it asks exactly when a program of the run still runs; it closes once per
// exec(), accepted only after a run that ended by itself, cleanly and without an error
// word; and when it has closed no process of the run is left (what it may not signal is
// named in its output) and nothing more comes.  When exec() returns, however it was left,
// the run is over and its end reported.  Return is Close while no run goes on, and nothing
// while one does; a refused start says why.  A host killed with SIGKILL takes the run's
// first program with it.

#include <dialogs/DlgIPCImp.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <support/ProcessConsoleRun.h>
#include <gtest/gtest.h>

#include <string>

#include <signal.h>

namespace {

using PelmoraTest::endReported;
using PelmoraTest::groupRuns;
using PelmoraTest::shell;

enum class Way { Close, Stop, Escape, WindowClose, ParentClose, StartAgain, AppQuits, Return, HostKilled };
const char* const wayNames[] = {"Close", "Stop", "Escape", "the window's close", "the parent window's close",
                                "startRunning again", "the application quits", "Return on the focused Save button",
                                "the host is killed"};
bool asks(Way w)
{
    return w < Way::StartAgain && w != Way::Stop;
}

// %1: the file that lets a waiting program go on; %2: the file a program makes when the
// state is reached; %3: the threaded program below.  `runs`: a program of the run still
// runs when the way is taken; `clean`: the run, left to end by itself, ends cleanly;
// `ignoresTerm`: only SIGKILL ends it, once the test lets the grace run out; `refuses`: the
// console's signals are refused, and it gives up on the run once the test has run its
// watch after SIGKILL out; `missing`: the program does not exist, and the start is refused;
// `shows`: what the program wrote as the view shows it and Save writes it (UTF-8).  %4 is
// a program that waits until the console has read what was written before it.
struct State
{
    const char* name;
    const char* script;
    bool runs;
    bool clean;
    bool ignoresTerm = false;
    bool refuses = false;
    bool missing = false;
    const char* shows = nullptr;
};

QString drainedProgram;

// A program whose main thread exits while a worker thread runs on, ignoring SIGTERM:
// "threaded REACHED GO [close]" makes REACHED once the main thread is gone (closing the
// output first if asked) and ends when GO exists, or when REACHED is removed.
const char* const threadedSource = R"(
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
static char** arg;
static int closes;
static int mainThreadGone(void)
{
    char line[512] = {0};
    FILE* f = fopen("/proc/self/stat", "r");
    if (!f)
        return 0;
    fread(line, 1, sizeof line - 1, f);
    fclose(f);
    const char* end = strrchr(line, ')');
    return end && end[2] == 'Z';
}
static void* work(void* unused)
{
    (void)unused;
    while (!mainThreadGone())
        usleep(10000);
    FILE* made = fopen(arg[1], "w");
    if (made)
        fclose(made);
    while (access(arg[2], F_OK) != 0 && access(arg[1], F_OK) == 0)
        usleep(20000);
    if (!closes) {
        printf("all done\n");
        fflush(stdout);
    }
    return 0;
}
int
main(int argc, char** argv)
{
    arg = argv;
    closes = argc > 3;
    signal(SIGTERM, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    printf("worker starts\n");
    fflush(stdout);
    pthread_t t;
    pthread_create(&t, 0, work, 0);
    if (closes) {
        fclose(stdout);
        fclose(stderr);
    }
    pthread_exit(0);
}
)";
QString threadedProgram;

#define WAIT "while [ ! -e '%1' ]; do sleep 0.02; done; "
const State states[] = {
    {"not started", nullptr, false, false},
    {"running", "echo ready; : > '%2'; " WAIT "echo all done", true, true},
    {"running, ends by itself while asked", "echo ready; : > '%2'; " WAIT "echo all done", true, true},
    {"ended, its end still shown", "seq 1 30000 | sed 's/^/step /'; echo all done", false, true},
    {"ended long ago, its last line without a line feed", "printf 'all done'", false, true},
    {"ended with error", "echo 'error: mesh too coarse'", false, false},
    {"crashed", "echo dying; kill -SEGV $$", false, false},
    {"killed from outside", ": > '%2'; " WAIT "echo all done", false, false},
    {"a launcher that leaves a child", "( exec >/dev/null 2>&1; : > '%2'; " WAIT ") & echo launched", true, true},
    {"a child that prints after the launcher ended",
     "( while kill -0 $$ 2>/dev/null; do sleep 0.01; done; : > '%2'; " WAIT "echo 'error: solver diverged'; exit 1 ) & "
     "exit 0",
     true, false},
    {"ignores SIGTERM", "trap '' TERM; : > '%2'; " WAIT "echo all done", true, true, true},
    {"prints 100 MB", ": > '%2'; yes step | head -c 100000000; " WAIT "echo all done", true, true},
    {"the launcher's main thread exits while a worker thread runs on", "echo launcher; '%3' '%2' '%1' & exit 0", true,
     true, true},
    {"... and its output is closed", "echo launcher; '%3' '%2' '%1' close & exit 0", true, true, true},
    {"read its standard input to the end", "cat; echo 'warning: no more input'", false, true},
    {"an error word after a UTF-8 character whose last byte the decoding joins to it",
     "printf 'Temp\\303\\251rature\\n'; printf 'Solving\\342\\200\\246error: singular matrix\\n'", false, false,
     false, false, false, u8"Temp\u00e9rature\nSolving\u2026error: singular matrix\n"},
    {"GBK, and UTF-8 with a character cut between two reads",
     "printf '\\326\\320\\316\\304 GBK\\n'; printf 'Gr\\303\\266\\303\\237e \\342\\200\\236Ma\\303\\237\\342\\200\\234 \\346\\270\\251\\345'; "
     "'%4'; printf '\\272\\246 \\320\\242\\320\\265\\320\\274\\320\\277 \\342\\200\\234error\\342\\200\\235\\n'; "
     // A line read in two parts is GBK as a whole when its second part is no UTF-8, and
     // a character cut off by the end of the output shows as a replacement mark.
     "printf '\\320\\241'; '%4'; printf '\\326\\320\\n'; printf 'abc\\344'",
     false, false, false, false, false,
     u8"\u4e2d\u6587 GBK\nGr\u00f6\u00dfe \u201eMa\u00df\u201c \u6e29\u5ea6 \u0422\u0435\u043c\u043f \u201cerror\u201d\n"
     u8"\u5c0f\u4e2d\nabc\ufffd\n"},
    // Once a GBK line was shown, on either channel, a line that is also UTF-8 is GBK
    // ("\u72b6\u6001: 0", "\u6a21\u6001 3", "\u5f55"); one that is only UTF-8 stays UTF-8,
    // also when its first read was GBK.
    {"GBK whose characters are also UTF-8, after a GBK line, on both channels",
     "printf '\\326\\320\\316\\304\\n'; '%4'; printf '\\327\\264\\314\\254: 0\\n' >&2; '%4' >&2; "
     "printf '\\304\\243\\314\\254 3\\n\\302\\274\\n\\344\\270'; '%4'; printf '\\255 x\\n'; "
     "echo 'warning: coarse mesh'",
     false, true, false, false, false,
     u8"\u4e2d\u6587\n\u72b6\u6001: 0\n\u6a21\u6001 3\n\u5f55\n\u4e2d x\n"},
    // A line is kept only up to its bound: past it, the part that is no UTF-8 is GBK from
    // there on, and an error word after it is judged.
    {"a progress line rewritten with CR, GBK past its kept start, an error, a last line never ended",
     "yes 'progress 50 %' | head -n 3000 | tr '\\n' '\\r'; printf 'solved \\326\\320\\316\\304\\n'; "
     "echo 'error: solver diverged'; yes 'progress 50 %' | head -n 3000 | tr '\\n' '\\r'",
     false, false, false, false, false, u8"solved \u4e2d\u6587\nerror: solver diverged\nprogress 50 %"},
    {"a program that left the group holds the output",
     ": > '%2'; setsid sh -c \"while [ -e '%2' ] && [ ! -e '%1' ]; do sleep 0.02; done\" & "
     "echo 'warning: a server runs on'",
     false, true},
    {"cannot be signalled", "echo ready; : > '%2'; " WAIT "echo all done", true, true, true, true},
    {"a program that does not exist", nullptr, false, false, false, false, true},
};
enum StateIndex { NotStarted, Running, EndsWhileAsked, EndShown, EndedLongAgo, KilledFromOutside = 7, IgnoresTerm = 10,
                  Floods = 11 };

// The answer to the question; the parent window's close may come first, while it is up.
// The application's quit leaves the question unanswered, and ends the run.
enum class Answer { Yes, No, ParentClosesFirst, AppQuits };
const char* const answerNames[] = {", Yes", ", No", ", the parent's close, then Yes", ", the application quits"};

struct Cell
{
    Way way;
    int state;
    Answer answer;
    bool keepOpen;
    bool yes() const { return answer != Answer::No; }
};

struct Seen
{
    bool headerOnItsLine = true;
    int result = -2, questions = 0, questionsWithoutRun = 0, finished = 0, accepted = 0, rejected = 0;
    int startedAgain = -1;
    bool errors = false, groupLeft = false, wayTaken = false, wayTakenOpen = false;
    bool refusalChangedNothing = true, parentVisible = false, quietAfter = true;
    bool questionOutlivedRun = false, parentClosedWhileAsked = false;
    bool namedUnended = false, childOutlivedHost = false;
    // At the moment exec() returned.
    bool runningAtReturn = true;
    int finishedAtReturn = -1;
    bool closedByWay = false, saidWhyRefused = false, saidRunGoesOn = false;
    int saveAsked = 0;
    bool shownAsWritten = false, savedAsShown = false;
    QString shown;
    qint64 lineBytesKept = 0;
};

// Counts the file dialogs that Save would open, and opens none.
class Console : public PelmoraTest::RefusedConsole
{
public:
    using PelmoraTest::RefusedConsole::RefusedConsole;
    int saveAsked = 0;
    // Where the test's own Save writes.
    QString saveTo;

protected:
    QString askSaveFileName() override
    {
        if (!saveTo.isEmpty())
            return saveTo;
        ++saveAsked;
        return {};
    }
};

QPushButton* button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// The console has nothing left to do: no program, no output to show, no timer.
bool idle(const Gui::DlgIPCImp& console)
{
    if (console.isRunning())
        return false;
    for (const QTimer* t : console.findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (t->isActive())
            return false;
    }
    return true;
}

class Life
{
public:
    explicit Life(const Cell& cell)
        : cell(cell)
        , row(states[cell.state])
        , console(QStringLiteral("Solver"), cell.keepOpen, &parent)
    {
        parent.show();
        go = dir.filePath(QStringLiteral("go"));
        reached = dir.filePath(QStringLiteral("reached"));
        // The grace before SIGKILL is driven by the test (the program that ignores SIGTERM);
        // every other program must end on SIGTERM, or the cell waits for its guard.
        grace = console.findChild<QTimer*>(QStringLiteral("stopGrace"));
        grace->setInterval(2 * PelmoraTest::HangGuardMs);
        watch = console.findChild<QTimer*>(QStringLiteral("runWatch"));
        console.refuseSignals = row.refuses;
        // A talkative run's output is shown only once the way is taken, so that its end is
        // still to be shown then on any machine.
        if (cell.state == EndShown)
            PelmoraTest::holdShowing(console);
        QObject::connect(&console, &QDialog::finished, [this] { ++seen.finished; });
        QObject::connect(&console, &QDialog::accepted, [this] { ++seen.accepted; });
        QObject::connect(&console, &QDialog::rejected, [this] { ++seen.rejected; });
    }

    Seen live()
    {
        if (cell.way == Way::HostKilled)
            return killHost();
        if (row.script) {
            EXPECT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), script()}));
            intake.watchReads();
            group = PelmoraTest::runGroup(console);
        }
        if (row.missing) {
            EXPECT_FALSE(console.startRunning(dir.filePath(QStringLiteral("missing")), {}));
        }
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [this] { answer(); });
        answerer.start(5);
        QTimer second;
        QObject::connect(&second, &QTimer::timeout, [this] { turnDownSecondQuestion(); });
        second.start(5);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [this] { drive(); });
        poll.start(2);
        // Only a guard against a hang: a talkative run takes as long as the machine needs,
        // while the console goes on taking it in.
        PelmoraTest::StallGuard guard([this] { return intake.count(); }, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->reject();
            console.done(-1);
        });
        guard.start();
        const auto returned = [this](int result) {
            seen.result = result;
            seen.errors = console.hasErrors();
            seen.runningAtReturn = console.isRunning();
            seen.finishedAtReturn = seen.finished;
            seen.groupLeft = !groupRuns(group) && !groupRuns(secondGroup);
        };
        if (cell.way == Way::AppQuits) {
            // The dialog runs inside the application's loop, which the way quits.
            QTimer::singleShot(0, &console, [this, returned] {
                returned(console.exec());
                if (!seen.wayTaken)
                    QCoreApplication::quit();
            });
            inMainLoop = true;
            QCoreApplication::exec();
            inMainLoop = false;
        } else {
            returned(console.exec());
        }
        poll.stop();
        if (cell.answer == Answer::AppQuits) {
            // No loop of the thread runs until the application's own has run and returned.
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
            QCoreApplication::exec();
        }

        const int closes = seen.finished;
        // A dialog that closed by itself before the state was reached meets the way now;
        // a way of closing taken once more closes nothing.
        seen.wayTakenOpen = seen.wayTaken;
        if (!seen.wayTaken)
            takeWay();
        seen.parentVisible = parent.isVisible();
        if (seen.wayTakenOpen && (asks(cell.way) || cell.way == Way::AppQuits))
            takeWay();
        EXPECT_TRUE(QTest::qWaitFor([this] { return idle(console); }, PelmoraTest::HangGuardMs));
        QCoreApplication::processEvents();
        seen.quietAfter = seen.finished == closes && !console.isVisible();
        const QString text = console.output()->toPlainText();
        seen.saidWhyRefused = text.contains(
            QStringLiteral("could not be started: %1 does not exist").arg(dir.filePath(QStringLiteral("missing"))));
        seen.saidRunGoesOn = text.contains(QStringLiteral("the current run is not over yet"));
        seen.saveAsked = console.saveAsked;
        seen.headerOnItsLine = !text.contains(QRegularExpression(QStringLiteral("[^\n]Executable: ")));
        seen.lineBytesKept = console.mostLineBytesKept();
        if (row.shows) {
            const QString shows = QString::fromUtf8(row.shows);
            seen.shownAsWritten = text.contains(shows);
            seen.shown = text;
            console.saveTo = dir.filePath(QStringLiteral("saved.log"));
            button(&console, "pb_save")->click();
            QFile saved(console.saveTo);
            seen.savedAsShown = saved.open(QIODevice::ReadOnly) && saved.readAll().contains(row.shows);
        }
        const int named = text.indexOf(QStringLiteral("could not be ended: "));
        seen.namedUnended = named >= 0
                            && text.mid(named, text.indexOf(QLatin1Char('\n'), named) - named)
                                   .contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(group)));
        // What the console gave up on ends when let go on.
        QFile(go).open(QIODevice::WriteOnly);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !groupRuns(group) && !groupRuns(secondGroup); },
                                    PelmoraTest::HangGuardMs));
        return seen;
    }

private:
    QString script() const
    {
        return QString::fromLatin1(row.script)
            .replace(QLatin1String("%1"), go)
            .replace(QLatin1String("%2"), reached)
            .replace(QLatin1String("%3"), threadedProgram)
            .replace(QLatin1String("%4"), drainedProgram);
    }

    // The run goes on in a host of its own, which the test kills with SIGKILL once the
    // state is reached; the run's first program must end with it.
    Seen killHost()
    {
        QProcess host;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        host.setProcessEnvironment(environment);
        host.start(QStringLiteral(PROCESSCONSOLE_HOST_DRIVER), {shell(), script()});
        EXPECT_TRUE(QTest::qWaitFor([&host] { return host.canReadLine() || host.state() == QProcess::NotRunning; },
                                    PelmoraTest::HangGuardMs));
        group = host.readLine().trimmed().toLongLong();
        EXPECT_GT(group, 1) << host.readAllStandardError().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([this] { return QFile::exists(reached); }, PelmoraTest::HangGuardMs));
        ::kill(static_cast<pid_t>(host.processId()), SIGKILL);
        EXPECT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
        seen.childOutlivedHost =
            !QTest::qWaitFor([this] { return !PelmoraTest::processRuns(group); }, PelmoraTest::HangGuardMs);
        // A program the first one started may outlive the host: the test ends it.
        QFile(go).open(QIODevice::WriteOnly);
        if (group > 1)
            ::kill(static_cast<pid_t>(-group), SIGKILL);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !groupRuns(group); }, PelmoraTest::HangGuardMs));
        return seen;
    }

    bool reachedState()
    {
        if (cell.state == NotStarted)
            return console.isVisible();
        if (cell.state == EndShown)
            return !console.isRunning() && console.progressBar()->maximum() == 0;
        if (cell.state == KilledFromOutside && QFile::exists(reached) && !killed) {
            killed = true;
            ::kill(static_cast<pid_t>(group), SIGKILL);
        }
        if (!row.runs)
            return endReported(console);
        return QFile::exists(reached);
    }

    void takeWay()
    {
        seen.wayTaken = true;
        switch (cell.way) {
        case Way::Close: button(&console, "pb_close")->click(); break;
        case Way::Stop: button(&console, "pb_stop")->click(); break;
        case Way::Escape: QTest::keyClick(&console, Qt::Key_Escape); break;
        case Way::WindowClose: console.close(); break;
        case Way::ParentClose: parent.close(); break;
        case Way::AppQuits:
            if (!inMainLoop) {
                QTimer::singleShot(0, [] { QCoreApplication::quit(); });
                QCoreApplication::exec();
            } else {
                QCoreApplication::quit();
            }
            break;
        case Way::Return: QTest::keyClick(button(&console, "pb_save"), Qt::Key_Return); break;
        case Way::HostKilled: break;
        case Way::StartAgain: {
            const bool errors = console.hasErrors();
            const bool running = console.isRunning();
            const qint64 before = PelmoraTest::runGroup(console);
            const auto starts = [this] { return console.output()->toPlainText().count(QStringLiteral("Executable: ")); };
            const int startsBefore = starts();
            const bool started = console.startRunning(shell(), {QStringLiteral("-c"), QStringLiteral("echo second run")});
            seen.startedAgain = started;
            if (started)
                secondGroup = PelmoraTest::runGroup(console);
            else
                seen.refusalChangedNothing = console.hasErrors() == errors && console.isRunning() == running
                                             && PelmoraTest::runGroup(console) == before && starts() <= startsBefore;
            break;
        }
        }
        PelmoraTest::releaseShowing(console);
    }

    bool userStops() const
    {
        return row.runs
               && (cell.way == Way::Stop || cell.way == Way::AppQuits
                   || (asks(cell.way) && cell.yes() && (cell.state != EndsWhileAsked || cell.answer == Answer::AppQuits)));
    }

    // The grace runs out, and the watch over a run the console may not signal, when the
    // test says so.  Both timers look: a timer does not fire again while its own handler
    // waits (the parent window's close waits for the run).
    void endGrace()
    {
        if (row.ignoresTerm && grace->isActive()) {
            grace->stop();
            EXPECT_TRUE(QMetaObject::invokeMethod(grace, "timeout"));
        }
        if (row.refuses && watch->isActive()) {
            EXPECT_TRUE(QMetaObject::invokeMethod(watch, "timeout"));
        }
    }

    // A second question over the first one that is being answered: counted and turned
    // down, by a timer of its own: the other two may be waiting in their handlers.
    void turnDownSecondQuestion()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!answering || !box || box == asked || box == turnedDown)
            return;
        turnedDown = box;
        ++seen.questions;
        box->button(QMessageBox::No)->click();
    }

    void drive()
    {
        endGrace();
        if (!console.isVisible() || QApplication::activeModalWidget() != &console || taking)
            return;
        if (!seen.wayTaken) {
            if (!reachedState())
                return;
            taking = true;
            takeWay();
            taking = false;
            seen.closedByWay = !console.isVisible();
            return;
        }
        // After the way: a run the user did not stop is let go on to its end, and the
        // dialog, if still open, is closed once that end is told.
        if (!userStops())
            QFile(go).open(QIODevice::WriteOnly);
        // A dialog that never ran shows the busy bar it was made with.
        const bool settled = endReported(console) || (!console.isRunning() && !row.script && seen.startedAgain != 1);
        if (settled && !closing) {
            closing = true;
            button(&console, "pb_close")->click();
        }
    }

    void answer()
    {
        endGrace();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || answering)
            return;
        ++seen.questions;
        if (!groupRuns(group))
            ++seen.questionsWithoutRun;
        answering = true;
        asked = box;
        if (cell.answer == Answer::AppQuits) {
            QCoreApplication::quit();
        } else if (cell.answer == Answer::ParentClosesFirst) {
            parent.close();
            seen.parentClosedWhileAsked = !parent.isVisible();
        }
        if (cell.state == EndsWhileAsked && cell.answer != Answer::AppQuits) {
            // The run ends by itself while the question is up: it goes with the run.
            QFile(go).open(QIODevice::WriteOnly);
            EXPECT_TRUE(QTest::qWaitFor([this] { return endReported(console); }, PelmoraTest::HangGuardMs));
            seen.questionOutlivedRun = box->isVisible();
        }
        if (box->isVisible() && cell.answer != Answer::AppQuits)
            box->button(cell.yes() ? QMessageBox::Yes : QMessageBox::No)->click();
        asked = nullptr;
        answering = false;
    }

    Cell cell;
    State row;
    QTemporaryDir dir;
    QString go, reached;
    QWidget parent;
    Console console;
    PelmoraTest::ConsoleIntake intake{console};
    QTimer* grace = nullptr;
    QTimer* watch = nullptr;
    bool inMainLoop = false;
    qint64 group = 0, secondGroup = 0;
    Seen seen;
    bool killed = false, taking = false, closing = false, answering = false;
    QMessageBox* asked = nullptr;
    QMessageBox* turnedDown = nullptr;
};

// The cells of one way: every state of the run, every answer where a question comes, the
// dialog kept open or closing by itself.  The answer matters only where there is a
// question; a clean run closes a dialog not kept open before a start can meet it.  A host
// is killed while a run goes on, and its dialog has no say: a first program that ignores
// SIGTERM outlives it, as the README says.
std::vector<Cell> cellsOf(Way way)
{
    std::vector<Cell> cells;
    const int stateCount = int(sizeof states / sizeof states[0]);
    for (const bool keepOpen : {true, false}) {
        for (int s = 0; s < stateCount; ++s) {
            for (const Answer answer : {Answer::Yes, Answer::No, Answer::ParentClosesFirst, Answer::AppQuits}) {
                const State& row = states[s];
                const bool asked = asks(way) && row.runs;
                if ((!asked && answer != Answer::Yes) || (way == Way::StartAgain && s == EndedLongAgo && !keepOpen)
                    || (way == Way::HostKilled && (!row.runs || s == IgnoresTerm || !keepOpen)))
                    continue;
                cells.push_back(Cell{way, s, answer, keepOpen});
            }
        }
    }
    return cells;
}

constexpr int wayCount = int(Way::HostKilled) + 1;

std::string wayOfParam(const ::testing::TestParamInfo<int>& info)
{
    static const char* const names[] = {"Close",       "Stop",       "Escape", "WindowClose", "ParentClose",
                                        "StartAgain", "AppQuits", "Return", "HostKilled"};
    return names[info.param];
}

} // namespace

// Each way of closing is an entry of its own, so that a slow machine meets the hang guard
// of one way's cells, not of the whole table's.
class ProcessConsoleLife : public ::testing::TestWithParam<int>
{
};

TEST(ProcessConsoleLifeTable, EveryWayMeetsEveryStateAndEveryAnswer)
{
    int cells = 0;
    for (int w = 0; w < wayCount; ++w)
        cells += int(cellsOf(Way(w)).size());
    EXPECT_EQ(cells, 2 * (8 * 22 + 4 * 9 * 3) - 1 + 8);
}

TEST_P(ProcessConsoleLife, EveryStateOfTheRunClosedThisWay)
{
    const bool quitOnLast = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir programDir;
    threadedProgram = PelmoraTest::buildProgram(programDir.path(), QStringLiteral("threaded"), threadedSource);
    ASSERT_FALSE(threadedProgram.isEmpty()) << "the threaded program could not be built with cc";
    drainedProgram = PelmoraTest::buildDrainedProgram(programDir.path());
    ASSERT_FALSE(drainedProgram.isEmpty()) << "the drained program could not be built with cc";
    for (const Cell& cell : cellsOf(Way(GetParam()))) {
        const Way way = cell.way;
        const int s = cell.state;
        const Answer answer = cell.answer;
        const bool keepOpen = cell.keepOpen;
        const State& row = states[s];
        const bool asked = asks(way) && row.runs;
        SCOPED_TRACE(std::string(wayNames[int(way)]) + ", " + row.name + (asked ? answerNames[int(answer)] : "")
                     + (keepOpen ? ", kept open" : ", closing by itself"));
        const bool yes = cell.yes();
        const Seen seen = Life(cell).live();
        if (way == Way::HostKilled) {
            EXPECT_FALSE(seen.childOutlivedHost) << "the run's first program outlived its host";
            continue;
        }

        const bool userEnded = row.runs
                               && (way == Way::Stop || way == Way::AppQuits
                                   || (asked && yes && (s != EndsWhileAsked || answer == Answer::AppQuits)));
        const bool givenUp = row.refuses && userEnded;
        // Also while the end of the last run is still being shown.
        const bool startedAgain = way == Way::StartAgain && !row.runs;
        const bool accepted = startedAgain || (s != NotStarted && row.clean && !userEnded);
        EXPECT_EQ(seen.questions, asked ? 1 : 0);
        EXPECT_EQ(seen.questionsWithoutRun, 0);
        EXPECT_EQ(seen.result, accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(seen.errors, !accepted && s != NotStarted);
        EXPECT_EQ(seen.finished, 1);
        EXPECT_EQ(seen.finishedAtReturn, 1) << "exec() returned before the end was reported";
        EXPECT_FALSE(seen.runningAtReturn) << "exec() returned while the run went on";
        EXPECT_EQ(seen.saveAsked, 0);
        EXPECT_EQ(seen.saidWhyRefused, row.missing);
        EXPECT_LE(seen.lineBytesKept, 4 * Gui::DlgIPCImp::MaxReshownChars) << "a line being read is kept whole";
        if (row.shows) {
            EXPECT_TRUE(seen.shownAsWritten) << "the output is not shown as written: " << seen.shown.toStdString();
            EXPECT_TRUE(seen.savedAsShown) << "Save does not write what is shown";
        }
        if (s != Floods) {
            EXPECT_EQ(seen.saidRunGoesOn, way == Way::StartAgain && !startedAgain);
        }
        if (way == Way::Return && seen.wayTakenOpen) {
            EXPECT_EQ(seen.closedByWay, !row.runs) << "Return closes only while no run goes on";
        }
        EXPECT_EQ(seen.accepted, accepted ? 1 : 0);
        EXPECT_EQ(seen.rejected, accepted ? 0 : 1);
        EXPECT_EQ(seen.groupLeft, !givenUp) << "a process of the run outlived the dialog";
        EXPECT_EQ(seen.namedUnended, givenUp) << "what could not be ended is named";
        EXPECT_TRUE(seen.quietAfter);
        EXPECT_FALSE(seen.questionOutlivedRun) << "the question stayed up after the run ended";
        EXPECT_FALSE(seen.parentClosedWhileAsked) << "the parent closed under an open question";
        EXPECT_EQ(seen.wayTakenOpen, s != EndedLongAgo || keepOpen) << "the state was not met open";
        if (way == Way::StartAgain) {
            EXPECT_EQ(seen.startedAgain, startedAgain ? 1 : 0);
            EXPECT_TRUE(seen.headerOnItsLine) << "a run's header is glued to the last run's output";
            EXPECT_TRUE(seen.refusalChangedNothing);
        }
        if (way == Way::ParentClose) {
            // A question that the run's end took away kept nothing.
            EXPECT_EQ(seen.parentVisible,
                      asked && (answer == Answer::AppQuits || (!yes && s != EndsWhileAsked)))
                << "the parent closes unless the user keeps the run";
        }
    }
    QApplication::setQuitOnLastWindowClosed(quitOnLast);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ProcessConsoleLife, ::testing::Range(0, wayCount), wayOfParam);
