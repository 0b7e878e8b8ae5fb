// A second start hands its files to the running instance over the local socket.

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <support/CostLimits.h>
#include <support/HangGuard.h>
#include <support/InstanceMessage.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>

namespace {

// Only against a hang: no test here decides by how long anything took.
using PelmoraTest::HangGuardMs;

QString uniqueExeName()
{
    static int counter = 0;
    return QStringLiteral("pmsi_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

class SingleInstance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        exe = uniqueExeName();
        ASSERT_TRUE(files.isValid());
    }
    void TearDown() override
    {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(5000);
        }
    }
    // The socket sits in this test program's own runtime folder (see tests/support).
    QString serverName() const
    {
        return QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(exe + QStringLiteral("_server"));
    }
    QString makeFile(const QString& name)
    {
        const QString path = files.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("data");
        return path;
    }
    void startServer(const QString& mode = QStringLiteral("serve"))
    {
        if (mode == QStringLiteral("exhaust")) {
            // Without descriptors the X connection stalls; this run draws nowhere.
            QProcessEnvironment env = server.processEnvironment().isEmpty() ? QProcessEnvironment::systemEnvironment()
                                                                            : server.processEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            server.setProcessEnvironment(env);
        }
        server.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, mode});
        ASSERT_TRUE(server.waitForStarted(HangGuardMs));
        ASSERT_TRUE(waitForOutput("ready\n")) << server.readAllStandardError().constData();
    }
    bool waitForOutput(const QByteArray& text, int timeoutMs = HangGuardMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!serverOutput.contains(text) && clock.elapsed() < timeoutMs) {
            server.waitForReadyRead(100);
            serverOutput += server.readAllStandardOutput();
        }
        return serverOutput.contains(text);
    }
    // Writes a line to the driver and returns its answer, the next line starting `key`.
    QByteArray ask(const QByteArray& line, const QByteArray& key)
    {
        const int asked = serverOutput.count(key);
        server.write(line + '\n');
        if (!waitForCount(key, asked + 1))
            return QByteArray();
        const int at = serverOutput.lastIndexOf(key);
        return serverOutput.mid(at + key.size(), serverOutput.indexOf('\n', at) - at - key.size());
    }
    // Waits until the driver has printed `key` `count` times.
    bool waitForCount(const QByteArray& key, int count)
    {
        const QDeadlineTimer guard(HangGuardMs);
        while (serverOutput.count(key) < count && server.state() == QProcess::Running && !guard.hasExpired()) {
            server.waitForReadyRead(100);
            serverOutput += server.readAllStandardOutput();
        }
        serverOutput += server.readAllStandardOutput();
        return serverOutput.count(key) >= count;
    }
    // Waits for the server to report its first project and end.
    QByteArray serverResult()
    {
        server.waitForFinished(HangGuardMs);
        return serverOutput + server.readAllStandardOutput();
    }

    QString exe;
    QTemporaryDir files;
    QProcess server;
    QByteArray serverOutput;
};

} // namespace

TEST_F(SingleInstance, SecondStartHandsItsFileToTheFirstAndEnds)
{
    startServer();
    const QString file = makeFile(QStringLiteral("Bracket.step"));
    QProcess second;
    // Relative to its own working directory: the hand-over sends the absolute path.
    second.setWorkingDirectory(files.path());
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), QStringLiteral("Bracket.step")});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    EXPECT_EQ(second.exitCode(), 0);
    const QByteArray secondOut = second.readAllStandardOutput();
    // It ended through the hand-over, before opening anything itself.
    EXPECT_FALSE(secondOut.contains("projects=")) << secondOut.constData();
    EXPECT_TRUE(serverResult().contains("project=Bracket\n"));
}

TEST_F(SingleInstance, MessageInSeveralPacketsArrivesWholeWhileASilentClientWaits)
{
    // No client is dropped for taking long, so the slow sender's message comes whole
    // however slowly the machine sends it, and the silent client stays throughout.
    startServer(QStringLiteral("crowd"));
    // A client that connects and says nothing must not hold the server up.
    QLocalSocket silent;
    silent.connectToServer(serverName());
    ASSERT_TRUE(silent.waitForConnected(HangGuardMs));

    const QString file = makeFile(QStringLiteral("Housing.step"));
    const QByteArray payload = PelmoraTest::serializedMessage(QByteArrayLiteral("OpenFile:") + file.toUtf8());
    QLocalSocket slow;
    slow.connectToServer(serverName());
    ASSERT_TRUE(slow.waitForConnected(HangGuardMs));
    for (int i = 0; i < payload.size(); i += 7) {
        slow.write(payload.mid(i, 7));
        slow.waitForBytesWritten(HangGuardMs);
        QThread::msleep(30);
    }
    slow.disconnectFromServer();
    EXPECT_TRUE(serverResult().contains("project=Housing\n"));
    silent.abort();
}

TEST_F(SingleInstance, MessagesCloseTogetherArriveAsOneBatch)
{
    // The driver's batch timer is the test's: a batch is handed on when the test says,
    // as the timer would once it ran out, whatever the machine's speed.
    startServer(QStringLiteral("batches"));
    // The first two are with the instance (acknowledged) before the timer runs out, so
    // they are handed on together; each of the next two comes after the batch before it
    // was handed on, so it starts a batch of its own.
    const std::vector<std::vector<const char*>> batches = {{"first", "second"}, {"third"}, {"fourth"}};
    int handedOn = 0;
    for (const auto& batch : batches) {
        std::vector<std::unique_ptr<QLocalSocket>> senders;
        for (const char* message : batch) {
            senders.push_back(std::make_unique<QLocalSocket>());
            ASSERT_TRUE(PelmoraTest::sendUntilAcknowledged(*senders.back(), serverName(), message)) << message;
        }
        server.write("handon\n");
        ASSERT_TRUE(waitForCount("batch=", ++handedOn)) << serverOutput.constData();
    }
    const QByteArray out = serverResult();
    EXPECT_TRUE(out.contains("ready\nbatch=2\nbatch=1\nbatch=1\n")) << out.constData();
}

TEST_F(SingleInstance, StaleServerNameIsTakenOver)
{
    // A socket file left behind by a crashed instance: it exists, nobody listens.
    const QByteArray path = QFile::encodeName(serverName());
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));

    startServer();
    const QString file = makeFile(QStringLiteral("Shaft.step"));
    QProcess second;
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    EXPECT_TRUE(serverResult().contains("project=Shaft\n"));
}

TEST_F(SingleInstance, AFirstStartOpensItsFilesItself)
{
    const QString file = makeFile(QStringLiteral("Plate.step"));
    QProcess only;
    only.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(only.waitForFinished(HangGuardMs));
    EXPECT_TRUE(only.readAllStandardOutput().contains("projects=1"));
}

namespace {
// Lets queued socket events run for `ms`.
void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

int unconnected(const std::vector<std::unique_ptr<QLocalSocket>>& clients)
{
    int n = 0;
    for (const auto& c : clients)
        n += c->state() == QLocalSocket::UnconnectedState ? 1 : 0;
    return n;
}
} // namespace

TEST_F(SingleInstance, NobodyElseCanListenUnderTheNameFirst)
{
    // Another user's listener under the name in the shared temporary folder.
    QLocalServer impostor;
    const QString shared = QDir(QDir::tempPath()).filePath(exe + QStringLiteral("_server"));
    ASSERT_TRUE(impostor.listen(shared));

    startServer();
    const QFileInfo socket(serverName());
    ASSERT_TRUE(socket.exists());
    EXPECT_EQ(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());

    const QString file = makeFile(QStringLiteral("Secret.step"));
    QProcess second;
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    EXPECT_TRUE(serverResult().contains("project=Secret\n"));
    EXPECT_FALSE(impostor.hasPendingConnections());
}

TEST_F(SingleInstance, ClientsBeyondSixtyFourAtOnceAreRefused)
{
    // Silent clients are kept until they leave (the driver holds their time-out), so
    // however long the 70 take to connect, the first 64 are all still there.
    startServer(QStringLiteral("crowd"));
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (int i = 0; i < 70; ++i) {
        clients.push_back(std::make_unique<QLocalSocket>());
        clients.back()->connectToServer(serverName());
        ASSERT_TRUE(clients.back()->waitForConnected(HangGuardMs)) << i;
        pump(5);
    }
    // The server takes them in the order they came: once six are refused, it has taken
    // all 70, and the 64 it keeps are the ones it counts.
    QDeadlineTimer guard(HangGuardMs);
    while (unconnected(clients) < 6 && !guard.hasExpired())
        pump(50);
    EXPECT_EQ(ask("clients", "clients="), "64");
    EXPECT_EQ(unconnected(clients), 6);

    // Once they are gone, a second start gets through again.
    clients.clear();
    guard = QDeadlineTimer(HangGuardMs);
    while (ask("clients", "clients=") != "0" && !guard.hasExpired())
        pump(50);
    const QString file = makeFile(QStringLiteral("Cover.step"));
    QProcess second;
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    EXPECT_TRUE(serverResult().contains("project=Cover\n"));
}

TEST_F(SingleInstance, BytesHeldForAllClientsTogetherAreCapped)
{
    // No client is dropped for taking long: a client dropped here was dropped by the cap.
    const QString log = files.filePath(QStringLiteral("server.log"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SINGLEINSTANCE_LOG"), log);
    server.setProcessEnvironment(env);
    startServer(QStringLiteral("crowd"));
    // Each announces a message just under the 16 MiB limit and sends 12 MiB of it: 48 MiB
    // together, and any three of them are more than the 32 MiB cap.
    QByteArray start;
    {
        QDataStream out(&start, QIODevice::WriteOnly);
        out << quint32(16u * 1024u * 1024u - 1u);
    }
    const QByteArray body(12 * 1024 * 1024, 'x');
    const qint64 sentByEach = start.size() + body.size();
    const int count = 4;
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<QLocalSocket>());
        clients.back()->connectToServer(serverName());
        ASSERT_TRUE(clients.back()->waitForConnected(HangGuardMs));
        clients.back()->write(start);
        clients.back()->write(body);
    }
    // Until the server has read all it will: every client it keeps has brought all it sent,
    // and every other one is gone.  With or without the cap this comes, at whatever speed.
    qint64 held = -1;
    int kept = -1;
    const QDeadlineTimer guard(HangGuardMs);
    while (!(kept >= 0 && held == kept * sentByEach && kept + unconnected(clients) == count)
           && server.state() == QProcess::Running && !guard.hasExpired()) {
        pump(50);
        const QList<QByteArray> reading = ask("held", "held=").split(' ');
        if (reading.size() == 2) {
            held = reading[0].toLongLong();
            kept = reading[1].toInt();
        }
    }
    EXPECT_LE(held, 32ll * 1024 * 1024);
    EXPECT_EQ(kept, 2) << "held " << held;
    EXPECT_EQ(unconnected(clients), 2);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("Local server: a client was dropped, too much data is waiting\n"), 2);
}

TEST_F(SingleInstance, ABatchIsHandedOnAtMostASecondAfterItsFirstMessage)
{
    // The driver's batch timer is the test's (it hands a batch on when told), and the
    // instance tells when the timer would hand the pending batch on, on the monotonic clock
    // this test reads too: the rule is checked on clock readings, whatever the machine's
    // speed.  A message that starts a batch makes it due a second after it arrived; one
    // that joins a pending batch leaves the batch as due as it was; a batch handed on
    // leaves none due.
    startServer(QStringLiteral("batches"));
    const qint64 second = 1000LL * 1000 * 1000;
    enum Step { Starts, Joins, HandOn };
    const std::vector<std::pair<const char*, Step>> steps = {
        {"first", Starts}, {"second", Joins}, {"", HandOn}, {"third", Starts}, {"", HandOn},
        {"fourth", Starts}, {"", HandOn}};
    std::vector<std::unique_ptr<QLocalSocket>> senders;
    qint64 pendingDue = 0;
    int handedOn = 0;
    for (const auto& step : steps) {
        const char* message = step.first;
        SCOPED_TRACE(message);
        if (step.second == HandOn) {
            EXPECT_EQ(ask("deadline", "deadline="), QByteArray::number(pendingDue));
            server.write("handon\n");
            ASSERT_TRUE(waitForCount("batch=", ++handedOn)) << serverOutput.constData();
            senders.clear();
            if (handedOn < 3) {   // after the last one the driver has quit
                EXPECT_EQ(ask("deadline", "deadline="), "none");
            }
            pendingDue = 0;
            continue;
        }
        const qint64 before = QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
        // Acknowledged: the message is with the instance.
        senders.push_back(std::make_unique<QLocalSocket>());
        ASSERT_TRUE(PelmoraTest::sendUntilAcknowledged(*senders.back(), serverName(), message));
        const qint64 after = QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
        const QByteArray answer = ask("deadline", "deadline=");
        ASSERT_NE(answer, "none") << serverOutput.constData();
        ASSERT_FALSE(answer.isEmpty()) << serverOutput.constData();
        const qint64 due = answer.toLongLong();
        if (step.second == Joins) {
            EXPECT_EQ(due, pendingDue) << "a message that joined the batch put it off";
        }
        else {
            EXPECT_GE(due, before + second);
            EXPECT_LE(due, after + second);
        }
        pendingDue = due;
    }
    const QByteArray out = serverResult();
    EXPECT_TRUE(out.contains("batch=2\n")) << out.constData();
}

TEST_F(SingleInstance, ServerClosedByAFailedAcceptListensAgain)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    const QString log = files.filePath(QStringLiteral("server.log"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SINGLEINSTANCE_LOG"), log);
    server.setProcessEnvironment(env);
    startServer(QStringLiteral("exhaust"));
    ASSERT_TRUE(waitForOutput("exhausted\n"));
    // Accepting this client fails: no descriptor is left.
    QLocalSocket client;
    client.connectToServer(serverName());
    ASSERT_TRUE(client.waitForConnected(HangGuardMs));
    // The failed accept closes the server; it sees that and listens again (the freed
    // listening descriptor is the one it needs), and says so.  The closed state itself
    // lasts only until its next check, so the test waits for what it said.
    const auto logged = [&log](const QByteArray& text) {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains(text);
    };
    QDeadlineTimer guard(HangGuardMs);
    while (!logged("listens again") && server.state() == QProcess::Running && !guard.hasExpired())
        QThread::msleep(20);
    ASSERT_TRUE(logged("listens again")) << "the accept did not fail, or the server did not listen again";
    server.write("release\n");
    ASSERT_TRUE(waitForOutput("released\n"));
    client.abort();
    const QString file = makeFile(QStringLiteral("Lever.step"));
    QProcess second;
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    const QByteArray secondErr = second.readAllStandardError();
    EXPECT_FALSE(second.readAllStandardOutput().contains("projects=")) << "the second start opened a window: " << secondErr.constData() << "\nserver: " << server.readAllStandardError().constData();
    EXPECT_TRUE(serverResult().contains("project=Lever\n"));
}

TEST_F(SingleInstance, FileNamesThatAreNotUtf8ReachTheLogicAsTheirBytes)
{
    // "café.step" in Latin-1: not valid UTF-8.
    const QByteArray name("caf\xe9.step");
    const QByteArray path = QFile::encodeName(files.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    // The shell puts the byte on the command line; the name is relative to its folder.
    const QString script = QStringLiteral("cd \"$1\" && exec \"$0\" \"$2\" \"$3\" \"$(printf 'caf\\351.step')\"");

    QProcess only;
    only.start("/bin/sh", {"-c", script, SINGLEINSTANCE_DRIVER, files.path(), exe, "open"});
    ASSERT_TRUE(only.waitForFinished(HangGuardMs));
    EXPECT_TRUE(only.readAllStandardOutput().contains("projects=1"));

    startServer();
    QProcess second;
    second.start("/bin/sh", {"-c", script, SINGLEINSTANCE_DRIVER, files.path(), exe, "open"});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    EXPECT_TRUE(serverResult().contains("project=caf")) << serverOutput.constData();
    ::unlink(path.constData());   // QTemporaryDir cannot name it
}


TEST_F(SingleInstance, ASecondStartThatHearsNoAcknowledgementOpensItsFilesItself)
{
    // Something listens under the name, takes the message and never answers: a hung or
    // dying first instance.
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(serverName()));
    std::vector<QLocalSocket*> taken;
    QObject::connect(&mute, &QLocalServer::newConnection, [&] {
        while (QLocalSocket* s = mute.nextPendingConnection())
            taken.push_back(s);
    });
    const QString file = makeFile(QStringLiteral("Gear.step"));
    const QString log = files.filePath(QStringLiteral("second.log"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SINGLEINSTANCE_LOG"), log);
    // The program's own wait: the listener never answers, so its length changes nothing.
    env.insert(QStringLiteral("SINGLEINSTANCE_ACK_MS"), QStringLiteral("0"));
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < HangGuardMs)
        pump(50);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(taken.empty()) << "the message went to the listener";
    EXPECT_TRUE(second.readAllStandardOutput().contains("projects=1")) << "it opened the file itself";
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("did not take")) << "and said so";
}

TEST_F(SingleInstance, HugeAndMultiLineMessagesAreLoggedShortOnOneLineAndKeepTheWindowResponsive)
{
    const QString log = files.filePath(QStringLiteral("server.log"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SINGLEINSTANCE_LOG"), log);
    server.setProcessEnvironment(env);
    // No client is dropped for taking long: an empty reply is the refusal's, never a
    // time-out's, and the log says which message it refused.
    startServer(QStringLiteral("crowd"));

    // Acknowledged, then refused with the reason on a line of its own.
    const QByteArray forged = PelmoraTest::sendForReply(serverName(), "OpenFile:/nowhere/a.step\n[Err] forged line");
    EXPECT_TRUE(forged.startsWith("OK\nREFUSED Cannot open file /nowhere/a.step\\n[Err] forged line: it does not exist"))
        << forged.constData();
    EXPECT_EQ(forged.count('\n'), 2);
    // Longer than any file name the system takes: refused, and not acknowledged.
    EXPECT_EQ(PelmoraTest::sendForReply(serverName(), "OpenFile:/" + QByteArray(5000, 'y')), QByteArray());
    EXPECT_EQ(PelmoraTest::sendForReply(serverName(), "OpenFile:/" + QByteArray(15 * 1024 * 1024, 'x')), QByteArray());
    makeFile(QStringLiteral("Final.step"));
    EXPECT_EQ(PelmoraTest::sendForReply(serverName(), "OpenFile:" + QFile::encodeName(files.filePath("Final.step"))),
              QByteArray("OK\nOPENED\n"));
    // The window took the next file after it: the huge message did not hold it up.
    EXPECT_TRUE(serverResult().contains("project=Final\n"));

    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    int longest = 0;
    for (const QByteArray& line : lines) {
        longest = std::max(longest, static_cast<int>(line.size()));
        // The line break inside the message is shown as one, not started.
        if (line.contains("forged")) {
            EXPECT_TRUE(line.contains("a.step\\n[Err] forged line")) << line.left(200).constData();
        }
    }
    EXPECT_LT(longest, 8192);
    // Each name too long was read whole and refused for its length.
    for (const int nameBytes : {1 + 5000, 1 + 15 * 1024 * 1024}) {
        const QByteArray refusal = "a file name of " + QByteArray::number(nameBytes) + " bytes was refused";
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&refusal](const QByteArray& line) {
            return line.startsWith("[Err]") && line.contains(refusal);
        })) << refusal.constData();
    }
}
