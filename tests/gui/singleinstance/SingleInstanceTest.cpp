// A second start hands its files to the running instance over the local socket.

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

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
    QString serverName() const { return exe + QStringLiteral("_server"); }
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
        server.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, mode});
        ASSERT_TRUE(server.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("ready\n") && server.waitForReadyRead(20000))
            out += server.readAllStandardOutput();
        serverOutput = out;
        ASSERT_TRUE(out.contains("ready\n")) << server.readAllStandardError().constData();
    }
    // Waits for the server to report its first project and end.
    QByteArray serverResult()
    {
        server.waitForFinished(30000);
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
    const QString file = makeFile(QStringLiteral("Bracket.pmdb"));
    QProcess second;
    // Relative to its own working directory: the hand-over sends the absolute path.
    second.setWorkingDirectory(files.path());
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), QStringLiteral("Bracket.pmdb")});
    ASSERT_TRUE(second.waitForFinished(30000));
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

    const QString file = makeFile(QStringLiteral("Housing.pmdb"));
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << (QByteArrayLiteral("OpenFile:") + file.toUtf8());
    }
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
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << message;
    }
    socket.write(payload);
    const bool written = socket.waitForBytesWritten(5000);
    socket.disconnectFromServer();
    return written;
}
} // namespace

TEST_F(SingleInstance, MessagesCloseTogetherArriveAsOneBatch)
{
    startServer(QStringLiteral("batches"));
    ASSERT_TRUE(send(serverName(), "first"));
    QThread::msleep(200);
    ASSERT_TRUE(send(serverName(), "second"));
    // Well past the 1000 ms batching delay: each of these is a batch of its own.
    QThread::msleep(3000);
    ASSERT_TRUE(send(serverName(), "third"));
    QThread::msleep(3000);
    ASSERT_TRUE(send(serverName(), "fourth"));
    const QByteArray out = serverResult();
    EXPECT_TRUE(out.contains("ready\nbatch=2\nbatch=1\nbatch=1\n")) << out.constData();
}

TEST_F(SingleInstance, StaleServerNameIsTakenOver)
{
    // A socket file left behind by a crashed instance: it exists, nobody listens.
    const QByteArray path = QDir(QDir::tempPath()).filePath(serverName()).toLocal8Bit();
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));

    startServer();
    const QString file = makeFile(QStringLiteral("Shaft.pmdb"));
    QProcess second;
    second.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_TRUE(serverResult().contains("project=Shaft\n"));
}

TEST_F(SingleInstance, AFirstStartOpensItsFilesItself)
{
    const QString file = makeFile(QStringLiteral("Plate.pmdb"));
    QProcess only;
    only.start(QStringLiteral(SINGLEINSTANCE_DRIVER), {exe, QStringLiteral("open"), file});
    ASSERT_TRUE(only.waitForFinished(30000));
    EXPECT_TRUE(only.readAllStandardOutput().contains("projects=1"));
}
