// Every file handed to the program is opened, asked about, or refused with its reason
// where the user looks and a true exit status; nothing the user had is lost or saved
// unseen.  One table over the ways in, the kinds of file and the window's state.

#include <support/InstanceMessage.h>
#include <support/ProjectFileSeal.h>
#include <support/HangGuard.h>
#include <support/RunningInstance.h>

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The kinds of file, each made in `dir` under a name of its own; the name's bytes.
struct Kind
{
    const char* name;
    QByteArray (*make)(const QByteArray& dir);
};

QByteArray write(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    if (fd >= 0) {
        (void)!::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
        ::close(fd);
    }
    return path;
}

// A name of `bytes` bytes under `dir` that ends in "last.pmdb".
QByteArray longName(const QByteArray& dir, int bytes)
{
    QByteArray name = dir + '/';
    const QByteArray last = "last.pmdb";
    while (name.size() + 201 + last.size() <= bytes)
        name += QByteArray(200, 'a') + '/';
    return name + QByteArray(bytes - name.size() - last.size(), 'b') + last;
}

QByteArray projectBytes()
{
    return PelmoraTest::sealedProjectFile(
        "PELMORA PROJECT FILE\nversion\t1\ncurrent\tStudy\nproject\tStudy\t1\tGui::ViewFeederProject\n");
}

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> all = {
        {"project file", [](const QByteArray& d) { return write(d + "/study.pmdb", projectBytes()); }},
        {"annotation list",
         [](const QByteArray& d) { return write(d + "/marks.fcsv", "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n"); }},
        {"model file",
         [](const QByteArray& d) {
             return write(d + "/cube.stl",
                          "solid cube\n facet normal 0 0 -1\n  outer loop\n   vertex 0 0 0\n   vertex 1 1 0\n"
                          "   vertex 1 0 0\n  endloop\n endfacet\nendsolid cube\n");
         }},
        {"project file without .pmdb", [](const QByteArray& d) { return write(d + "/study.dat", projectBytes()); }},
        {"unknown kind", [](const QByteArray& d) { return write(d + "/notes.xyz", "some notes\n"); }},
        {"missing", [](const QByteArray& d) { return d + "/gone.pmdb"; }},
        {"damaged", [](const QByteArray& d) { return write(d + "/broken.pmdb", "PELMORA PROJECT FILE\ngarbage\n"); }},
        {"folder", [](const QByteArray& d) {
             QDir().mkpath(QFile::decodeName(d + "/folder.pmdb"));
             return d + "/folder.pmdb";
         }},
        {"name not UTF-8", [](const QByteArray& d) { return write(d + "/caf\xe9.pmdb", projectBytes()); }},
        {"annotation list named not UTF-8",
         [](const QByteArray& d) { return write(d + "/caf\xe9.fcsv", "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n"); }},
        // The part before the NUL names a file that opens.
        {"name holding a NUL",
         [](const QByteArray& d) { return write(d + "/study.pmdb", projectBytes()) + QByteArray("\0.xyz", 5); }},
        // Missing files named at the system's limit and beyond (in folders of 200 bytes).
        {"name of 4096 bytes", [](const QByteArray& d) { return longName(d, 4096); }},
        {"name of 4097 bytes", [](const QByteArray& d) { return longName(d, 4097); }},
        {"name of 1 MB", [](const QByteArray& d) { return longName(d, 1 << 20); }},
    };
    return all;
}

// What became of a file: opened; asked about and kept out by the user's answer; refused
// with a reason (a box in the window, or, for what a second start sees itself, its own
// standard error); or not taken by a closing window, and opened by the second start.
// (Closed: what Close All does with what is open.  Unanswered: the window still asks
// about it when the second start stops waiting, which then cannot say it was opened.)
// (Dropped: a message no start sends, not acknowledged; the window shows nothing.)
enum class Outcome { Opened, Closed, Kept, Refused, OpenedBySecondStart, Unanswered, Dropped };

struct Cell
{
    std::string way;      // "hand-over", "hand-over --hidden", "hand-over --screenshot", "drop", "Ctrl+O",
                          // "command line --hidden"
    std::string kind;
    std::string state;    // the window's state (FilesInDriver.cpp)
    Outcome outcome;
    const char* reason;   // part of the reason shown (refusals)
    bool windowShowsIt;   // the refusal is shown in the window (a box), not only to the second start
};

// The cells.  The whole cross product would be ten minutes of starts; these are the
// cells that differ in code path:
// - idle: every kind by every way in (the drop on the view and on the tree reach the
//   window's drop the same way: neither view takes drops);
// - the other states: the kinds whose path the state changes (a project file replaces
//   what is open and asks; a model file opens beside), by a hand-over, where the window
//   can be anywhere in its own work when the file arrives.
std::vector<Cell> cells()
{
    using O = Outcome;
    std::vector<Cell> rows;
    struct Expect { const char* kind; O outcome; const char* reason; bool inWindow; };
    // A hand-over: what the second start can tell itself it refuses at once.
    const std::vector<Expect> handOver = {
        {"project file", O::Opened, "", false},
        {"annotation list", O::Opened, "", false},
        {"model file", O::Opened, "", false},
        // Refused by the second start itself, and shown in the window all the same.
        {"project file without .pmdb", O::Refused, "unknown file type", true},
        {"unknown kind", O::Refused, "unknown file type", true},
        {"missing", O::Refused, "does not exist", true},
        {"damaged", O::Refused, "broken.pmdb", true},
        {"folder", O::Refused, "it is a folder", true},
        {"name not UTF-8", O::Opened, "", false},
        {"annotation list named not UTF-8", O::Opened, "", false},
    };
    for (const char* way : {"hand-over", "hand-over --hidden", "command line --hidden"})
        for (const Expect& e : handOver)
            rows.push_back({way, e.kind, "idle", e.outcome, e.reason,
                            e.inWindow && std::string(way) != "command line --hidden"});
    // In the window: a drag the window refuses drops nothing.
    const std::vector<Expect> drop = {
        {"project file", O::Opened, "", true},
        {"annotation list", O::Opened, "", true},
        {"model file", O::Refused, "drag refused", true},
        {"project file without .pmdb", O::Refused, "drag refused", true},
        {"unknown kind", O::Refused, "drag refused", true},
        {"missing", O::Refused, "does not exist", true},
        {"damaged", O::Refused, "broken.pmdb", true},
        {"folder", O::Refused, "folder", true},
        {"name not UTF-8", O::Refused, "does not exist", true},
    };
    for (const Expect& e : drop)
        rows.push_back({"drop", e.kind, "idle", e.outcome, e.reason, true});
    const std::vector<Expect> open = {
        {"project file", O::Opened, "", true},
        {"annotation list", O::Opened, "", true},
        {"model file", O::Opened, "", true},
        {"project file without .pmdb", O::Refused, "not supported", true},
        {"unknown kind", O::Refused, "not supported", true},
        {"missing", O::Refused, "does not exist", true},
        {"damaged", O::Refused, "broken.pmdb", true},
        {"folder", O::Refused, "folder", true},
        {"name not UTF-8", O::Refused, "does not exist", true},
    };
    for (const Expect& e : open)
        rows.push_back({"Ctrl+O", e.kind, "idle", e.outcome, e.reason, true});

    // The other states, by a hand-over.
    rows.push_back({"hand-over", "project file", "modified", O::Kept, "open projects were kept", false});
    rows.push_back({"hand-over", "model file", "modified", O::Opened, "", false});
    rows.push_back({"hand-over --hidden", "project file", "close-question", O::OpenedBySecondStart, "", false});
    rows.push_back({"hand-over --hidden", "model file", "close-question", O::OpenedBySecondStart, "", false});
    rows.push_back({"hand-over --hidden", "project file", "quitting", O::OpenedBySecondStart, "", false});
    // A save's dialog is open: what it asks about stays as it is.
    rows.push_back({"hand-over --hidden", "project file", "save-as", O::OpenedBySecondStart, "", false});
    rows.push_back({"hand-over --hidden", "model file", "save-as", O::OpenedBySecondStart, "", false});
    // So are the questions before a project file replaces what is open: their answer
    // would save or close the file taken unseen.
    rows.push_back({"hand-over --hidden", "model file", "resume-question", O::OpenedBySecondStart, "", false});
    rows.push_back({"hand-over --hidden", "model file", "resume-save-question", O::OpenedBySecondStart, "", false});
    rows.push_back({"hand-over --hidden", "model file", "tab-close-question", O::OpenedBySecondStart, "", false});
    rows.push_back({"hand-over", "project file", "undocked", O::Opened, "", false});
    // Nobody is at a screenshot start: the window says its refusal on the console only.
    rows.push_back({"hand-over --screenshot", "damaged", "idle", O::Refused, "broken.pmdb", false});
    // Opened in the running window: no picture, and the start says why, truly.
    rows.push_back({"hand-over --screenshot", "model file", "idle", O::Opened,
                    "handed over to the running instance and opened in its window", false});
    rows.push_back({"hand-over --hidden", "project file", "answer-held", O::Unanswered,
                    "no answer from the running instance within 1 s", false});
    rows.push_back({"Ctrl+O", "project file", "undocked", O::Opened, "", true});
    rows.push_back({"drop", "project file", "modified", O::Kept, "", true});
    // A message naming a file with a NUL: no second start sends one, anyone may.
    rows.push_back({"message", "name holding a NUL", "idle", O::Refused, "NUL", true});
    // A refusal another program (an older build's start) says: its name bounded as a file's.
    rows.push_back({"refusal message", "name of 4096 bytes", "idle", O::Refused, "last.pmdb", true});
    rows.push_back({"unattended refusal message", "name of 4096 bytes", "idle", O::Refused, "last.pmdb", false});
    for (const char* way : {"message", "refusal message", "unattended refusal message"})
        for (const char* kind : {"name of 4097 bytes", "name of 1 MB"})
            rows.push_back({way, kind, "idle", O::Dropped, "", false});
    // A start of the build before says its refusal before the file that opens: the file
    // is opened and answered while the refusal's box is up.
    rows.push_back({"refusal, then the file", "model file", "refusal-held", O::Opened, "does not exist", true});
    // Close All reaches undocked projects as docked ones, with the same question.
    rows.push_back({"Close All", "project file", "undocked", O::Closed, "", true});
    rows.push_back({"Close All", "project file", "undocked-modified", O::Kept, "", true});
    return rows;
}

// The bytes of `name` as octal escapes for the shell's printf: a name that is not UTF-8
// does not survive a QString, so the shell puts it on the command line.
QString shellEscaped(const QByteArray& name)
{
    QString escaped;
    for (const char c : name)
        escaped += QStringLiteral("\\%1").arg(static_cast<unsigned char>(c), 3, 8, QLatin1Char('0'));
    return escaped;
}

// A report without the boxes: what the window holds.
QByteArray contents(const QByteArray& report)
{
    return report.left(report.indexOf(" boxes="));
}

} // namespace

TEST(FilesComingIn, EachFileIsOpenedAskedAboutOrRefusedWithItsReasonAndATrueStatus)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    // FILESIN_ONLY=<part of a cell's name> runs only the cells it names, when looking into one.
    const QByteArray only = qgetenv("FILESIN_ONLY");
    for (const Cell& cell : cells()) {
        const std::string name = cell.way + " / " + cell.kind + " / " + cell.state;
        if (!only.isEmpty() && name.find(only.toStdString()) == std::string::npos)
            continue;
        SCOPED_TRACE(name);
        // Fresh files, and a fresh instance per cell: a cell leaves what it opened.
        QTemporaryDir runtime;
        const Kind* kind = nullptr;
        for (const Kind& k : kinds())
            if (cell.kind == k.name)
                kind = &k;
        ASSERT_NE(kind, nullptr);
        const QByteArray cellDir = folder + "/" + QByteArray::number(qHash(QByteArray::fromStdString(cell.way + cell.kind + cell.state)));
        QDir().mkpath(QFile::decodeName(cellDir));
        const QByteArray file = kind->make(cellDir);
        const QString log = QFile::decodeName(cellDir + "/second.log");
        const QString server = QDir(runtime.path()).filePath(QStringLiteral("pelmora_server"));

        const bool commandLine = cell.way == "command line --hidden";
        std::unique_ptr<PelmoraTest::RunningInstance> running;
        if (!commandLine) {
            running = std::make_unique<PelmoraTest::RunningInstance>(QStringLiteral(FILESIN_DRIVER), runtime.path(), cell.state);
            ASSERT_TRUE(running->started) << running->process.readAllStandardError().constData();
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("FILE"), shellEscaped(file));
        // A window slowed by a loaded machine acknowledges late; only one that never does
        // counts as hung.
        env.insert(QStringLiteral("PELMORA_TEST_HANDOVER_ACK_MS"), QString::number(PelmoraTest::HangGuardMs));

        // What the window holds before, without the boxes of setting up its state.
        const QByteArray before = running ? contents(running->ask("report", "report")) : QByteArray();
        int status = 0;
        QByteArray err;
        if (cell.way == "drop" || cell.way == "Ctrl+O") {
            running->ask((cell.way == "drop" ? "drop " : "open ") + file.toHex());
        }
        else if (cell.way == "Close All") {
            running->ask("closeall");
        }
        else if (cell.way.find("message") != std::string::npos) {
            const QByteArray prefix = cell.way == "message"            ? "OpenFile:"
                                      : cell.way == "refusal message" ? "RefusedFile:"
                                                                      : "RefusedFileUnattended:";
            const QByteArray reason =
                cell.way == "message" ? QByteArray() : QByteArray(1, '\0') + "Cannot open " + file.right(9) + ": it does not exist";
            err = PelmoraTest::sendForReply(server, prefix + file + reason);
            status = err.startsWith("OK\nREFUSED ") ? 1 : 0;
        }
        else if (cell.way == "refusal, then the file") {
            QLocalSocket refusal;
            EXPECT_TRUE(PelmoraTest::sendUntilAcknowledged(refusal, server,
                                                           "RefusedFile:" + cellDir + "/gone.stl" +
                                                               QByteArray("\0the file does not exist", 24)));
            err = PelmoraTest::sendForReply(server, "OpenFile:" + file);
            EXPECT_FALSE(running->waitFor("held").isEmpty());
            // Its answer came before the box, as the file's did.
            const QDeadlineTimer guard(PelmoraTest::HangGuardMs);   // a guard against a hang only
            while (refusal.state() == QLocalSocket::ConnectedState && !guard.hasExpired())
                refusal.waitForReadyRead(100);
            err += refusal.readAll();
            status = err.startsWith("OK\nREFUSED ") ? 1 : 0;
        }
        else {
            QProcess host;
            QStringList args{QStringLiteral(PELMORA_HOST), QStringLiteral("--log"), log};
            if (cell.way == "hand-over --screenshot")
                args << QStringLiteral("--screenshot") << QFile::decodeName(cellDir + "/shot.png");
            else if (cell.way != "hand-over")
                args << QStringLiteral("--hidden");
            // The instance cannot answer before the test lets its question go, after this
            // start ended: how long the start waits changes nothing but the test's length.
            // Any other answer comes, however late on a loaded machine.
            env.insert(QStringLiteral("PELMORA_TEST_HANDOVER_ANSWER_MS"),
                       cell.outcome == Outcome::Unanswered ? QStringLiteral("1")
                                                          : QString::number(PelmoraTest::HangGuardMs));
            host.setProcessEnvironment(env);
            host.start(QStringLiteral("/bin/sh"),
                       QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$@\" \"$(printf \"$FILE\")\""),
                                   QStringLiteral("sh")} + args);
            ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
            status = host.exitCode();
            err = host.readAllStandardError();
        }
        // The question comes once the instance takes the file, maybe after the start ended.
        if (cell.outcome == Outcome::Unanswered) {
            EXPECT_FALSE(running->waitFor("held").isEmpty());
        }
        // A refusal the second start made itself reaches the window after the start ended:
        // answered once it is dealt with, as it was read before this.
        if (running && cell.outcome == Outcome::Refused && cell.way.rfind("hand-over", 0) == 0)
            PelmoraTest::sendForReply(server, "Ping");
        const QByteArray report = running ? running->ask("report", "report") : QByteArray();
        const QByteArray boxes = report.mid(report.indexOf(" boxes=") + 7);
        const bool unchanged = contents(report) == before;

        switch (cell.outcome) {
        case Outcome::Opened:
        case Outcome::Closed:
            // A start for a picture took none: the file went to the window already there.
            EXPECT_EQ(status, cell.way == "hand-over --screenshot" ? 1 : 0) << err.constData();
            EXPECT_TRUE(err.contains(cell.reason)) << err.constData();
            if (running) {
                EXPECT_FALSE(unchanged) << report.constData();
                // Asked at most whether to replace what is open (answered Yes); nothing refused
                // but what the start said it refused.
                if (*cell.reason && cell.windowShowsIt)
                    EXPECT_TRUE(boxes.startsWith("Failed to open:") && boxes.contains(cell.reason)) << report.constData();
                else
                    EXPECT_TRUE(boxes.isEmpty() || boxes.startsWith("Remove existing projects:")) << report.constData();
                EXPECT_FALSE(boxes.contains("|")) << report.constData();
                EXPECT_TRUE(report.contains(" undocked=0 ")) << report.constData();
            }
            if (cell.state == "refusal-held")
                running->ask("release");
            break;
        case Outcome::Dropped:
            // Not acknowledged: the sender takes it as not handed over.
            EXPECT_TRUE(err.isEmpty()) << err.left(200).constData();
            EXPECT_TRUE(unchanged) << before.constData() << "\n" << report.constData();
            EXPECT_TRUE(boxes.isEmpty()) << report.left(300).constData();
            break;
        case Outcome::Kept:
            if (!cell.windowShowsIt) {
                EXPECT_EQ(status, 1);
                EXPECT_TRUE(err.contains(cell.reason)) << err.constData();
            }
            // Asked, and what was open is still open, changed as it was.
            EXPECT_TRUE(boxes.contains(cell.way == "Close All" ? "Close Project" : "Remove existing projects"))
                << report.constData();
            if (cell.way == "Close All")   // the unchanged docked project goes
                EXPECT_TRUE(report.contains(" modified=1 undocked=1 ")) << report.constData();
            else
                EXPECT_TRUE(unchanged) << before.constData() << "\n" << report.constData();
            break;
        case Outcome::Refused:
            if (!(cell.way == "drop" || cell.way == "Ctrl+O")) {
                EXPECT_EQ(status, 1);
                EXPECT_TRUE(err.contains(cell.reason)) << err.constData();
            }
            if (running) {
                EXPECT_EQ(boxes.contains(cell.reason), cell.windowShowsIt) << report.constData();
                EXPECT_EQ(!boxes.isEmpty(), cell.windowShowsIt) << report.constData();
                EXPECT_TRUE(unchanged) << before.constData() << "\n" << report.constData();
            }
            break;
        case Outcome::Unanswered:
            EXPECT_EQ(status, 1);
            EXPECT_TRUE(err.contains(cell.reason)) << err.constData();
            EXPECT_TRUE(err.contains("may or may not have been opened")) << err.constData();
            EXPECT_TRUE(boxes.contains("Remove existing projects")) << report.constData();
            running->ask("release");
            break;
        case Outcome::OpenedBySecondStart:
            EXPECT_EQ(status, 0) << err.constData();
            // The window took nothing and asked nothing more; its own question stays the only one.
            EXPECT_TRUE(unchanged) << before.constData() << "\n" << report.constData();
            EXPECT_TRUE(boxes.isEmpty()) << report.constData();
            {
                QFile f(log);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                EXPECT_TRUE(f.readAll().contains("this instance opens it"));
            }
            running->ask("release");
            break;
        }
        if (running && (cell.state == "close-question" || cell.state == "save-as") && cell.outcome != Outcome::OpenedBySecondStart)
            running->ask("release");
        running.reset();
        ::unlink((cellDir + "/caf\xe9.pmdb").constData());
        ::unlink((cellDir + "/caf\xe9.fcsv").constData());
    }
}
