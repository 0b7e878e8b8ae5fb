// The host given a project file whose groups contain each other, in a start without a
// window: the file is refused with a message naming the groups, and the host ends on its
// own instead of spinning for good.

#include <support/ProjectFileSeal.h>
#include <support/HangGuard.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

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
        f.write(PelmoraTest::sealedProjectFile(body));
    }
    const QString log = dir.filePath("console.log");

    // A hidden start opens the file, reports the refusal and ends; a ring followed for
    // good would keep it running, so one still running after a minute has failed.
    QProcess host;
    host.setWorkingDirectory(dir.path());
    QElapsedTimer clock;
    clock.start();
    host.start(PELMORA_HOST, {"--hidden", "--log", log, name});
    ASSERT_TRUE(host.waitForStarted());
    // The peak memory, read while it runs.
    double peakMiB = 0.0;
    while (clock.elapsed() < PelmoraTest::HangGuardMs && host.state() == QProcess::Running) {
        QFile status(QStringLiteral("/proc/%1/status").arg(host.processId()));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmHWM:"))
                    peakMiB = line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        host.waitForFinished(100);
    }
    const double seconds = clock.elapsed() / 1000.0;
    const bool ended = host.state() == QProcess::NotRunning;
    if (!ended) {
        host.kill();
        host.waitForFinished();
    }
    EXPECT_TRUE(ended) << "the host was still running after " << seconds << " s";
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);

    QString text;
    QFile f(log);
    if (f.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(name + " holds groups that contain each other: A > B > A")) << text.toStdString();
    std::printf("host refusing a two-group ring: ended after %.2f s, peak %.1f MiB\n", seconds, peakMiB);
}
