// The host given a project file whose groups contain each other, as a user starts it:
// the file is refused with a message naming the groups, and the program ends instead of
// spinning for good.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

    QProcess host;
    host.setWorkingDirectory(dir.path());
    QElapsedTimer clock;
    clock.start();
    host.start(PELMORA_HOST, {"--hidden", "--log", log, name});
    const bool ended = host.waitForFinished(60000);
    if (!ended) {
        host.kill();
        host.waitForFinished();
    }
    ASSERT_TRUE(ended) << "the host still ran after 60 s";
    std::printf("host refusing a two-group ring: %.2f s\n", clock.elapsed() / 1000.0);
    EXPECT_EQ(host.exitCode(), 0);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(name + " holds groups that contain each other: A > B > A")) << text.toStdString();
}
