// The host given project files that name their length unit oddly, in a start without a
// window: a file naming it a hundred thousand times is refused as damaged at once, and so
// is a unit that is not known, named whole (a NUL in it included) in the reason.

#include <support/ProjectFileSeal.h>
#include <support/HangGuard.h>
#include <support/WorkCount.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct HostRun
{
    int status = -1;
    double seconds = 0.0;
    PelmoraTest::Work work;   // of the host's main thread
    QString log;
};

// A hidden start of the host with the file `body` (sealed) named on its command line.
HostRun openWithHost(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
{
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(PelmoraTest::sealedProjectFile(body));
    }
    const QString log = dir.filePath(name + ".log");
    QProcess host;
    host.setWorkingDirectory(dir.path());
    const std::string workFile = PelmoraTest::childWorkFileName();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Its steps: the records its reader stepped over, Obj::ProjectFile::recordsVisited().
    for (const auto& v : PelmoraTest::childWorkVariables(PELMORA_HOST, workFile, {},
                                                         {"_ZN3Obj11ProjectFile14recordsVisitedEv"}))
        env.insert(QString::fromStdString(v.first), QString::fromStdString(v.second));
    host.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    host.start(PELMORA_HOST, {"--hidden", "--log", log, name});
    EXPECT_TRUE(host.waitForStarted());
    const bool ended = host.waitForFinished(PelmoraTest::HangGuardMs);
    HostRun run;
    run.seconds = clock.elapsed() / 1000.0;
    if (!ended) {
        host.kill();
        host.waitForFinished();
    }
    EXPECT_TRUE(ended) << "the host was still running after " << run.seconds << " s";
    run.work = PelmoraTest::childWorkWritten(workFile);
    run.status = host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1;
    QFile f(log);
    if (f.open(QIODevice::ReadOnly))
        run.log = QString::fromUtf8(f.readAll());
    return run;
}

const QByteArray Head = "PELMORA PROJECT FILE\nversion\t1\ncurrent\tP\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n"
                        "pprop\tLabel\tObj::PropertyString\tP\n";

} // namespace

TEST(HostCommandLine, RefusesAsDamagedAProjectThatNamesItsLengthUnitManyTimes)
{
    QTemporaryDir dir;
    QByteArray body = Head;
    const int records = 100000;
    for (int i = 0; i < records; ++i)
        body += "pprop\tLength Unit\tObj::PropertyString\tfurlong\n";
    const QString name = QStringLiteral("units..v2 many.pmdb");
    const HostRun run = openWithHost(dir, name, body);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.log.contains(QStringLiteral("is damaged: project P names the length unit of its placements 100000 times")))
        << run.log.left(2000).toStdString();
    // Refused before any record is taken: no warning per record.
    EXPECT_EQ(run.log.count(QStringLiteral("which is none of")), 0);
    EXPECT_LT(run.log.size(), 10000);
    // Reading 4 MB is linear work: one record at a time took 34.6 s.  Counted against a
    // start on a file of a thousand such records, refused alike, as the host's
    // allocations and records stepped over (which see a check per record that walks the
    // others, allocating nothing) per further record.
    QByteArray fewer = Head;
    for (int i = 0; i < 1000; ++i)
        fewer += "pprop\tLength Unit\tObj::PropertyString\tfurlong\n";
    const HostRun one = openWithHost(dir, QStringLiteral("units fewer.pmdb"), fewer);
    EXPECT_EQ(one.status, 1);
    const PelmoraTest::Work extra = run.work - one.work;
    std::printf("host refusing %d length-unit records (%.1f MB): %.2f s, %s more than for 1,000\n", records,
                body.size() / 1e6, run.seconds, PelmoraTest::describe(extra).c_str());
    if (PelmoraTest::workCounted()) {
        ASSERT_GT(one.work.allocations, 0u) << "the host wrote no count of its work";
        ASSERT_GT(run.work.allocations, one.work.allocations);
        EXPECT_LT(extra.allocations, 20u * records) << PelmoraTest::describe(extra);
        EXPECT_LT(extra.bytes, 2000u * records) << PelmoraTest::describe(extra);
        EXPECT_GE(extra.steps, std::uint64_t(records)) << "records stepped over";
        EXPECT_LT(extra.steps, 4u * records) << "records stepped over";
    }
}

TEST(HostCommandLine, RefusesAnUnknownLengthUnitNamingItWhole)
{
    QTemporaryDir dir;
    const QByteArray body = Head + "pprop\tLength Unit\tObj::PropertyString\tm%00m\n";
    const HostRun run = openWithHost(dir, QStringLiteral("nul unit v2.pmdb"), body);
    EXPECT_EQ(run.status, 1) << run.log.toStdString();
    EXPECT_EQ(run.log.count(QStringLiteral("names 'm\\x00m' as the length unit of its placements")), 1)
        << run.log.toStdString();
    EXPECT_FALSE(run.log.contains(QStringLiteral("names 'm' "))) << run.log.toStdString();
}
