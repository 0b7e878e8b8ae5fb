// Starting and handing over: a start runs, or ends with status 1 and its reason, never in
// an abort or a silent wait; a file is opened once, in one window; a refusal is shown in
// the running window.  One table over the ways of starting x the display x the file.

#include <support/HangGuard.h>
#include <support/InstanceMessage.h>
#include <support/ListeningDisplay.h>
#include <support/ProjectFileSeal.h>
#include <support/RunningInstance.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace {

using Kind = PelmoraTest::ListeningDisplay::Kind;

// The display a start is given.  "bare" is a server with no other client, which resets
// when its last client leaves (ListeningDisplay models it in front of the test's display).
const char* const displays[] = {"bare", "drops the second connection", "never answers", "none", "unreachable"};
// The files named.  "refused itself": what the second start tells itself (it is missing);
// "refused by the instance": what only reading it tells (a damaged project file).  With
// several, the refusals must hold up neither the file that opens nor the start, and the
// window shows them in one box; "then opened" has the window hold that box open.
const char* const files[] = {"opened", "refused itself", "refused by the instance", "instance busy", "instance stopped",
                             "refused itself, then opened", "refused by the instance, then opened",
                             "twenty refused itself around one opened"};

struct Way
{
    const char* name;
    bool second;       // beside a running instance
    const char* option;  // "", "--hidden", "--screenshot"
};
const Way ways[] = {{"first", false, ""},          {"first --hidden", false, "--hidden"},
                    {"first --screenshot", false, "--screenshot"}, {"second", true, ""},
                    {"second --hidden", true, "--hidden"},         {"second --screenshot", true, "--screenshot"}};

struct Expected
{
    bool run = true;          // false: a cell left out (see cells())
    int status = 0;
    QByteArray said;          // part of standard error
    QByteArray windowShows;   // part of the running window's boxes; empty: no box
    bool openedInWindow = false;
};

// What each cell does.  Left out: a start that would keep its own window open (a first
// start with a file, a second start that opens its file itself), and, on a display that
// fails, every file but one: the start ends before any file is looked at.
Expected expected(const Way& way, const std::string& display, const std::string& file)
{
    Expected e;
    if (display != "bare") {
        e.run = file == "opened";
        e.status = 1;
        e.said = display == "none"          ? "DISPLAY is not set"
                 : display == "unreachable" ? "no X server answers there"
                 : display == "never answers" ? "does not answer"
                                              : "did not start";
        return e;
    }
    const bool screenshot = std::string(way.option) == "--screenshot";
    const bool opensItself = !way.second || file == "instance busy" || file == "instance stopped";
    if (opensItself && !*way.option)
        e.run = false;
    if (!way.second && file != "opened" && file != "refused by the instance")
        e.run = false;
    if (file == "opened") {
        e.openedInWindow = way.second;
        // A picture is of this start's window, which a handed-over file never opens.
        e.status = way.second && screenshot ? 1 : 0;
        e.said = e.status ? "opened in its window" : "";
    } else if (file == "refused itself" || file == "refused by the instance") {
        e.status = 1;
        e.said = file == "refused itself" ? "does not exist" : "broken.pmdb";
        // Nobody is at a screenshot start, nor at a first start's refusal in its own window.
        e.windowShows = way.second && !screenshot ? e.said : "";
    } else if (file.find("then opened") != std::string::npos || file.find("around one opened") != std::string::npos) {
        e.openedInWindow = true;
        e.status = 1;
        e.said = file.find("by the instance") != std::string::npos ? "broken.pmdb" : "does not exist";
        const bool twenty = file.find("twenty") != std::string::npos;
        e.windowShows = screenshot ? "" : twenty ? "Cannot open 20 files" : e.said;
    }
    return e;
}

QByteArray write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return bytes;
}

QByteArray contents(const QByteArray& report)
{
    return report.left(report.indexOf(" boxes="));
}

} // namespace

TEST(Starting, EachStartRunsOrSaysWhyAndEachFileOpensOnceInOneWindow)
{
    const QByteArray ownDisplay = qgetenv("DISPLAY");
    ASSERT_FALSE(ownDisplay.isEmpty());
    const QByteArray only = qgetenv("STARTING_ONLY");
    for (const Way& way : ways)
        for (const char* display : displays)
            for (const char* file : files) {
                const Expected e = expected(way, display, file);
                const std::string name = std::string(way.name) + " / " + display + " / " + file;
                if (!e.run || (!only.isEmpty() && name.find(only.toStdString()) == std::string::npos))
                    continue;
                SCOPED_TRACE(name);
                QTemporaryDir dir;
                QTemporaryDir runtime;
                const QString model = dir.filePath("cube.stl");
                write(model, "solid c\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n"
                             "   vertex 0 1 0\n  endloop\n endfacet\nendsolid c\n");
                const QString damaged = dir.filePath("broken.pmdb");
                write(damaged, "PELMORA PROJECT FILE\ngarbage\n");
                const std::string f = file;
                QStringList named;
                if (f == "refused itself")
                    named << dir.filePath("gone.stl");
                else if (f == "refused by the instance")
                    named << damaged;
                else if (f == "refused itself, then opened")
                    named << dir.filePath("gone.pmdb") << model;
                else if (f == "refused by the instance, then opened")
                    named << damaged << model;
                else if (f == "twenty refused itself around one opened") {
                    // Shown as plain printable text, in one box with the others.
                    named << dir.filePath("<b>bold</b>\x1b[31m\tred.stl");
                    for (int n = 1; n < 20; ++n) {
                        if (n == 10)
                            named << model;
                        // One name longer than any file's: said in the box all the same.
                        named << dir.filePath(QStringLiteral("gone%1.stl").arg(n).repeated(n == 5 ? 600 : 1));
                    }
                }
                else
                    named << model;
                const bool holdsRefusal = way.second && f.find(", then opened") != std::string::npos && !e.windowShows.isEmpty();

                std::unique_ptr<PelmoraTest::RunningInstance> running;
                QByteArray before;
                if (way.second) {
                    running = std::make_unique<PelmoraTest::RunningInstance>(
                        QStringLiteral(FILESIN_DRIVER), runtime.path(), holdsRefusal ? "refusal-held" : "idle");
                    ASSERT_TRUE(running->started);
                    before = contents(running->ask("report", "report"));
                    if (std::string(file) == "instance busy")
                        ::kill(static_cast<pid_t>(running->process.processId()), SIGSTOP);
                    if (std::string(file) == "instance stopped") {
                        running->process.kill();
                        running->process.waitForFinished(PelmoraTest::HangGuardMs);
                    }
                }

                std::unique_ptr<PelmoraTest::ListeningDisplay> listener;
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert("XDG_RUNTIME_DIR", runtime.path());
                env.insert("PELMORA_TEST_SCREENSHOT_GIVE_UP_MS", "0");   // a wait is a hang, caught
                env.insert("PELMORA_TEST_HANDOVER_ACK_MS",
                           std::string(file) == "instance busy" ? "1000" : QString::number(PelmoraTest::HangGuardMs));
                env.insert("PELMORA_TEST_HANDOVER_ANSWER_MS", QString::number(PelmoraTest::HangGuardMs));
                const std::string d = display;
                if (d == "none") {
                    env.remove("DISPLAY");
                } else if (d == "unreachable") {
                    env.insert("DISPLAY", ":59999");
                } else {
                    listener = std::make_unique<PelmoraTest::ListeningDisplay>(
                        d == "bare" ? Kind::Resetting : d == "never answers" ? Kind::NeverAnswers : Kind::DropsSecond,
                        ownDisplay);
                    ASSERT_FALSE(listener->name().isEmpty());
                    env.insert("DISPLAY", listener->name());
                }
                QStringList args{"--log", dir.filePath("start.log")};
                if (std::string(way.option) == "--screenshot")
                    args << "--screenshot" << dir.filePath("shot.png");
                else if (*way.option)
                    args << way.option;
                QProcess start;
                start.setProcessEnvironment(env);
                start.start(PELMORA_HOST, args << named);
                const QString server = QDir(runtime.path()).filePath("pelmora_server");
                if (holdsRefusal) {
                    // The start ends while the box is up, and the window answers.
                    EXPECT_FALSE(running->waitFor("held").isEmpty());
                    EXPECT_EQ(PelmoraTest::sendForReply(server, "Ping"), QByteArray("OK"));
                }
                ASSERT_TRUE(start.waitForFinished(PelmoraTest::HangGuardMs));
                const QByteArray err = start.readAllStandardError();
                EXPECT_EQ(start.exitStatus(), QProcess::NormalExit) << err.constData();
                EXPECT_EQ(start.exitCode(), e.status) << err.constData();
                EXPECT_TRUE(err.contains(e.said)) << err.constData();
                EXPECT_FALSE(err.contains("Reinstalling")) << err.constData();
                EXPECT_FALSE(err.contains("did not appear")) << err.constData();
                EXPECT_FALSE(err.contains("may or may not")) << err.constData();
                if (std::string(way.option) == "--screenshot") {
                    EXPECT_EQ(QFileInfo::exists(dir.filePath("shot.png")), e.status == 0);
                }

                if (running && std::string(file) != "instance stopped") {
                    if (std::string(file) == "instance busy")
                        ::kill(static_cast<pid_t>(running->process.processId()), SIGCONT);
                    // Answered once what the start sent is dealt with: it was read before this.
                    PelmoraTest::sendForReply(server, "Ping");
                    const QByteArray report = running->ask("report", "report");
                    const QByteArray boxes = report.mid(report.indexOf(" boxes=") + 7);
                    EXPECT_EQ(contents(report) != before, e.openedInWindow) << report.constData();
                    if (e.windowShows.isEmpty())
                        EXPECT_TRUE(boxes.isEmpty()) << report.constData();
                    else
                        EXPECT_TRUE(boxes.contains(e.windowShows)) << report.constData();
                    EXPECT_LE(boxes.count("Failed to open"), 1) << report.constData();
                    EXPECT_FALSE(boxes.contains("[markup]")) << report.constData();
                    EXPECT_FALSE(boxes.contains('\t') || boxes.contains('\x1b')) << report.constData();
                    if (holdsRefusal)
                        running->ask("release");
                }
            }
}
