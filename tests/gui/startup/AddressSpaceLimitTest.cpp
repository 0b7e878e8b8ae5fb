// The host under a cap on its address space that leaves too little room to start, or for
// the OpenGL driver to start: every way of starting it, with or without a model file,
// ends with status 1 and says why on standard error, instead of dying on the way.  A cap
// with room enough opens the same file.

#include <support/CostLimits.h>
#include <support/HangGuard.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

struct CappedRun
{
    bool finished = false;
    bool normalExit = false;
    int exitCode = -1;
    QString errors;
};

CappedRun runCapped(const QTemporaryDir& home, qint64 bytes, const QStringList& args)
{
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        environment.insert(QString::fromLatin1(name), home.path());
    // The software renderer starts one drawing thread per processor: eight of them on any
    // machine, so that what the driver needs is the same whatever this machine's processors.
    environment.insert(QStringLiteral("LP_NUM_THREADS"), QStringLiteral("8"));
    host.setProcessEnvironment(environment);
    host.start(QStringLiteral("prlimit"), QStringList{QStringLiteral("--as=%1").arg(bytes), PELMORA_HOST} + args);
    CappedRun run;
    // Only a guard against a hang: a start ends in about a second.
    run.finished = host.waitForFinished(PelmoraTest::HangGuardMs);
    if (!run.finished) {
        host.kill();
        host.waitForFinished(5000);
    }
    run.normalExit = host.exitStatus() == QProcess::NormalExit;
    run.exitCode = host.exitCode();
    run.errors = QString::fromUtf8(host.readAllStandardError());
    return run;
}

// A one-triangle STL under a name with spaces and dots.
QString writeModel(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("small model..v2 (copy).stl"));
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("solid t\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n   vertex 0 1 0\n"
              "  endloop\n endfacet\nendsolid t\n");
    return path;
}

} // namespace

TEST(AddressSpaceLimit, EveryStartUnderACapTooSmallToStartEndsWithStatusOneAndSaysWhy)
{
    // A sanitizer reserves address space far beyond any such cap.
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString model = writeModel(home);
    const QString picture = home.filePath(QStringLiteral("view.png"));

    // 160 MiB: Qt's platform plugin could not start and aborted, or a thread that could not
    // start was waited for.  500 MiB: the software renderer's drawing threads did not all
    // start, and it freed memory twice or followed a null pointer.
    const std::pair<int, QString> caps[] = {{160, QStringLiteral("starting needs about ")},
                                            {500, QStringLiteral(" for OpenGL: its driver needs about ")}};
    // Each way in, with what the driver is said to need room for: a start that shows the
    // window draws it as well.
    const std::pair<QStringList, QString> ways[] = {
        {{QStringLiteral("--hidden")}, QStringLiteral("to start, and")},
        {{QStringLiteral("--screenshot"), picture}, QStringLiteral("to start and draw the window, and")},
        {{QStringLiteral("--hidden"), QStringLiteral("--screenshot"), picture}, QStringLiteral("to start, and")},
        {{}, QStringLiteral("to start and draw the window, and")}};
    for (const auto& [mib, what] : caps) {
        for (const auto& [way, need] : ways) {
            for (const QStringList& files : {QStringList{}, QStringList{model}}) {
                const QStringList args = way + files;
                SCOPED_TRACE(QString::number(mib).toStdString() + " MiB: " + args.join(QLatin1Char(' ')).toStdString());
                const CappedRun run = runCapped(home, qint64(mib) << 20, args);
                ASSERT_TRUE(run.finished);
                EXPECT_TRUE(run.normalExit) << "ended by a signal\n" << run.errors.toStdString();
                EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
                EXPECT_TRUE(run.errors.startsWith(QStringLiteral("pelmora: cannot start: there is not enough memory")))
                    << run.errors.toStdString();
                EXPECT_TRUE(run.errors.contains(what)) << run.errors.toStdString();
                EXPECT_TRUE(run.errors.contains(QStringLiteral(" the limit of %1 MiB on this process leaves ").arg(mib)))
                    << run.errors.toStdString();
                if (mib == 500) {
                    EXPECT_TRUE(run.errors.contains(QStringLiteral(" MiB of address space ") + need))
                        << run.errors.toStdString();
                }
                EXPECT_FALSE(QFileInfo::exists(picture));
            }
        }
    }

    // With room for the driver the same file opens.
    const CappedRun fits = runCapped(home, qint64(2) << 30, {QStringLiteral("--hidden"), model});
    ASSERT_TRUE(fits.finished);
    EXPECT_TRUE(fits.normalExit) << fits.errors.toStdString();
    EXPECT_EQ(fits.exitCode, 0) << fits.errors.toStdString();
    EXPECT_FALSE(fits.errors.contains(QStringLiteral("cannot start"))) << fits.errors.toStdString();
}
