// The host given a project file whose groups contain each other, as a user starts it:
// the file is refused with a message naming the groups, and the program stays idle
// instead of spinning for good.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

#include <unistd.h>

namespace {

quint32 crc32(const QByteArray& bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

} // namespace

TEST(HostCommandLine, RefusesAProjectFileWhoseGroupsContainEachOther)
{
    QTemporaryDir dir;
    // Eleven lines: group A lists B as a member and B lists A.
    const QByteArray body =
        "PELMORA PROJECT FILE\nversion\t1\ncurrent\tP\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n"
        "object\t1\tObj::ProjectObjectGroup\tA\t0\nprop\tLabel\tObj::PropertyString\tA\n"
        "prop\tMember\tObj::PropertyCoupleArray\t[2,]\n"
        "object\t2\tObj::ProjectObjectGroup\tB\t0\nprop\tLabel\tObj::PropertyString\tB\n"
        "prop\tMember\tObj::PropertyCoupleArray\t[1,]\n";
    const QString name = QStringLiteral("ring..v2 copy.pmdb");
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body + "end\t" + QByteArray::number(crc32(body), 16).toUpper().rightJustified(8, '0') + "\n");
    }
    const QString log = dir.filePath("console.log");

    // The host reports the refusal and then waits, idle, for the user to close its
    // "Failed to open" box; it is ended here once that is seen.
    QProcess host;
    host.setWorkingDirectory(dir.path());
    QElapsedTimer clock;
    clock.start();
    host.start(PELMORA_HOST, {"--hidden", "--log", log, name});
    ASSERT_TRUE(host.waitForStarted());
    const QString expected = name + " holds groups that contain each other: A > B > A";
    QString text;
    while (clock.elapsed() < 60000 && !text.contains(expected) && host.state() == QProcess::Running) {
        host.waitForFinished(200);
        QFile f(log);
        if (f.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(f.readAll());
    }
    const double seconds = clock.elapsed() / 1000.0;
    EXPECT_TRUE(text.contains(expected)) << text.toStdString();

    // Idle now: the processor time it takes over half a second.
    auto cpuTicks = [&] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(host.processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1LL;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1LL;
    };
    auto peakMiB = [&] {
        QFile status(QStringLiteral("/proc/%1/status").arg(host.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return 0.0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        return 0.0;
    };
    if (host.state() == QProcess::Running) {
        const long long before = cpuTicks();
        host.waitForFinished(500);
        const long long after = cpuTicks();
        const double ticksPerSecond = static_cast<double>(::sysconf(_SC_CLK_TCK));
        EXPECT_LT((after - before) / ticksPerSecond, 0.25) << "the host kept the processor busy";
        std::printf("host refusing a two-group ring: message after %.2f s, peak %.1f MiB\n", seconds, peakMiB());
        host.kill();
        host.waitForFinished();
    }
}
