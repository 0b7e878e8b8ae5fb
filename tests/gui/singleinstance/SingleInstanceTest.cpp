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
#include <signal.h>

namespace {

// Only against a hang: no test here decides by how long anything took.
constexpr int HangGuardMs = 300000;

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
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
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
    startServer();
    // A client that connects and says nothing must not hold the server up.
    QLocalSocket silent;
    silent.connectToServer(serverName());
    ASSERT_TRUE(silent.waitForConnected(5000));

    const QString file = makeFile(QStringLiteral("Housing.step"));
    const QByteArray payload = PelmoraTest::serializedMessage(QByteArrayLiteral("OpenFile:") + file.toUtf8());
    QLocalSocket slow;
    slow.connectToServer(serverName());
    ASSERT_TRUE(slow.waitForConnected(5000));
    for (int i = 0; i < payload.size(); i += 7) {
        slow.write(payload.mid(i, 7));
        slow.waitForBytesWritten(1000);
        QThread::msleep(30);
    }
    slow.disconnectFromServer();
    EXPECT_TRUE(serverResult().contains("project=Housing\n"));
    silent.abort();
}

namespace {
// One message per connection, as a second start sends it.
bool send(const QString& server, const QByteArray& message)
{
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(5000))
        return false;
    socket.write(PelmoraTest::serializedMessage(message));
    const bool written = socket.waitForBytesWritten(5000);
    socket.disconnectFromServer();
    return written;
}
} // namespace

TEST_F(SingleInstance, MessagesCloseTogetherArriveAsOneBatch)
{
    startServer(QStringLiteral("batches"));
    // The first two arrive together whatever the machine's load: the running instance is
    // held still while both are sent (the system queues the connections and their bytes),
    // so it finds them at once when it goes on.
    ASSERT_EQ(::kill(static_cast<pid_t>(server.processId()), SIGSTOP), 0);
    const bool firstSent = send(serverName(), "first");
    const bool secondSent = send(serverName(), "second");
    ASSERT_EQ(::kill(static_cast<pid_t>(server.processId()), SIGCONT), 0);
    ASSERT_TRUE(firstSent);
    ASSERT_TRUE(secondSent);
    // Each of the next two is sent after the batch before it was handed on, so it starts
    // a batch of its own.
    ASSERT_TRUE(waitForOutput("batch=2\n"));
    ASSERT_TRUE(send(serverName(), "third"));
    ASSERT_TRUE(waitForOutput("batch=2\nbatch=1\n"));
    ASSERT_TRUE(send(serverName(), "fourth"));
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
    startServer();
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (int i = 0; i < 70; ++i) {
        clients.push_back(std::make_unique<QLocalSocket>());
        clients.back()->connectToServer(serverName());
        ASSERT_TRUE(clients.back()->waitForConnected(5000)) << i;
        pump(5);
    }
    QElapsedTimer clock;
    clock.start();
    while (unconnected(clients) < 6 && clock.elapsed() < HangGuardMs)
        pump(50);
    pump(300);
    EXPECT_EQ(unconnected(clients), 6);

    // Once they are gone, a second start gets through again.
    clients.clear();
    const QString file = makeFile(QStringLiteral("Cover.step"));
    QProcess second;
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(second.waitForFinished(HangGuardMs));
    EXPECT_TRUE(serverResult().contains("project=Cover\n"));
}

TEST_F(SingleInstance, BytesHeldForAllClientsTogetherAreCapped)
{
    startServer();
    // Each announces a message just under the 16 MiB limit and sends 12 MiB of it.
    QByteArray start;
    {
        QDataStream out(&start, QIODevice::WriteOnly);
        out << quint32(16u * 1024u * 1024u - 1u);
    }
    const QByteArray body(12 * 1024 * 1024, 'x');
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<QLocalSocket>());
        clients.back()->connectToServer(serverName());
        ASSERT_TRUE(clients.back()->waitForConnected(5000));
        clients.back()->write(start);
        clients.back()->write(body);
    }
    QElapsedTimer clock;
    clock.start();
    auto settled = [&clients] {
        for (const auto& c : clients)
            if (c->state() == QLocalSocket::ConnectedState && c->bytesToWrite() > 0)
                return false;
        return true;
    };
    while (!settled() && clock.elapsed() < HangGuardMs)
        pump(50);
    // 48 MiB together: the server keeps no more than 32 MiB of it.  It drops the clients
    // beyond that when it reads them, however late that is on a loaded machine; the
    // minute is a guard against a hang only.
    clock.restart();
    while (unconnected(clients) < 2 && clock.elapsed() < HangGuardMs)
        pump(50);
    EXPECT_GE(unconnected(clients), 2);
}

TEST_F(SingleInstance, ABatchIsHandedOnAtMostASecondAfterItsFirstMessage)
{
    startServer(QStringLiteral("batches"));
    // The instance tells when its pending batch is due, on the monotonic clock this test
    // reads too: the rule is checked on clock readings, whatever the machine's speed.
    // A message that starts a batch makes it due a second after it arrived; one that
    // joins a pending batch leaves the batch as due as it was.
    const qint64 second = 1000LL * 1000 * 1000;
    qint64 pendingDue = 0;   // none
    int batchesSeen = 0;
    for (const char* message : {"first", "second", "third", "fourth"}) {
        const qint64 before = QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
        // Acknowledged: the message is with the instance (its answer comes when the batch
        // is handed on).
        QLocalSocket socket;
        socket.connectToServer(serverName());
        ASSERT_TRUE(socket.waitForConnected(HangGuardMs)) << message;
        socket.write(PelmoraTest::serializedMessage(message));
        QByteArray reply;
        QDeadlineTimer ackGuard(HangGuardMs);
        while (!reply.startsWith("OK") && socket.state() == QLocalSocket::ConnectedState && !ackGuard.hasExpired()) {
            socket.waitForReadyRead(100);
            reply += socket.readAll();
        }
        ASSERT_TRUE(reply.startsWith("OK")) << message;
        const qint64 after = QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
        server.write("deadline\n");
        const int asked = serverOutput.count("deadline=");
        QDeadlineTimer guard(HangGuardMs);
        while (serverOutput.count("deadline=") == asked && !guard.hasExpired()) {
            server.waitForReadyRead(100);
            serverOutput += server.readAllStandardOutput();
        }
        const int at = serverOutput.lastIndexOf("deadline=");
        ASSERT_GE(at, 0) << serverOutput.constData();
        const QByteArray answer = serverOutput.mid(at + 9, serverOutput.indexOf('\n', at) - at - 9);
        const int batches = serverOutput.left(at).count("batch=");
        const bool handedOnSince = batches > batchesSeen;
        batchesSeen = batches;
        if (answer == "none") {
            // Its batch was already handed on.
            EXPECT_GT(serverOutput.count("batch="), 0) << message;
            pendingDue = 0;
            continue;
        }
        const qint64 due = answer.toLongLong();
        if (pendingDue != 0 && !handedOnSince)
            EXPECT_EQ(due, pendingDue) << message << ": a message that joined the batch put it off";
        else {
            EXPECT_GE(due, before + second) << message;
            EXPECT_LE(due, after + second) << message;
        }
        pendingDue = due;
    }
    const QByteArray out = serverResult();
    EXPECT_TRUE(out.contains("batch=")) << out.constData();
}

TEST_F(SingleInstance, ServerClosedByAFailedAcceptListensAgain)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    startServer(QStringLiteral("exhaust"));
    ASSERT_TRUE(waitForOutput("exhausted\n"));
    // Accepting this client fails: no descriptor is left.
    QLocalSocket client;
    client.connectToServer(serverName());
    ASSERT_TRUE(client.waitForConnected(HangGuardMs));
    // The failed accept closes the server, and its socket file goes with it.
    QDeadlineTimer closed(HangGuardMs);
    while (QFileInfo::exists(serverName()) && !closed.hasExpired())
        QThread::msleep(20);
    ASSERT_FALSE(QFileInfo::exists(serverName())) << "the accept did not fail";
    server.write("release\n");
    ASSERT_TRUE(waitForOutput("released\n"));
    client.abort();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < HangGuardMs) {
        QLocalSocket probe;
        probe.connectToServer(serverName());
        if (probe.waitForConnected(200))
            break;
        QThread::msleep(100);
    }
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
    startServer();

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
    bool refused = false;
    for (const QByteArray& line : lines)
        refused = refused || (line.startsWith("[Err]") && line.contains("refused"));
    EXPECT_TRUE(refused);
}
