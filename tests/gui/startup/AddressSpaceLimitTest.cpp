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
#include <vector>

#include <sched.h>

namespace {

struct CappedRun
{
    bool finished = false;
    bool normalExit = false;
    int exitCode = -1;
    QString errors;
};

// How the software renderer is told its drawing threads: eight of them on any machine (so
// that what the driver needs is the same whatever this machine's processors), two, or one
// per processor of the process, pinned to one of this one's.
enum class Threads { Eight, Two, PinnedToOne };

// `asked`, when given, is LP_NUM_THREADS as written (instead of the count of `threads`).
// `stackMib`, when given, is the default stack size of the process's threads (`ulimit -s`).
CappedRun runCapped(const QTemporaryDir& home, qint64 bytes, const QStringList& args, Threads threads = Threads::Eight,
                    const QString& asked = QString(), int stackMib = 0)
{
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        environment.insert(QString::fromLatin1(name), home.path());
    environment.remove(QStringLiteral("LP_NUM_THREADS"));
    if (threads != Threads::PinnedToOne)
        environment.insert(QStringLiteral("LP_NUM_THREADS"), threads == Threads::Eight ? QStringLiteral("8") : QStringLiteral("2"));
    if (!asked.isNull())
        environment.insert(QStringLiteral("LP_NUM_THREADS"), asked);
    host.setProcessEnvironment(environment);
    QStringList command{QStringLiteral("prlimit"), QStringLiteral("--as=%1").arg(bytes), PELMORA_HOST};
    if (stackMib > 0)
        command.insert(2, QStringLiteral("--stack=%1").arg(qint64(stackMib) << 20));
    if (threads == Threads::PinnedToOne) {
        cpu_set_t mask;
        int first = 0;
        if (sched_getaffinity(0, sizeof mask, &mask) == 0)
            while (first < CPU_SETSIZE - 1 && !CPU_ISSET(first, &mask))
                ++first;
        command = QStringList{QStringLiteral("taskset"), QStringLiteral("-c"), QString::number(first)} + command;
    }
    const QString program = command.takeFirst();
    host.start(program, command + args);
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

    // What the process has taken before it starts anything: the libraries it is linked to.
    const CappedRun probe = runCapped(home, qint64(160) << 20, {QStringLiteral("--hidden")});
    const int leftAt160 = probe.errors.section(QStringLiteral(" MiB on this process leaves "), 1).section(QLatin1Char(' '), 0, 0).toInt();
    ASSERT_GT(leftAt160, 0) << probe.errors.toStdString();
    const int linked = 160 - leftAt160;

    // 160 MiB: Qt's platform plugin could not start and aborted, or a thread that could not
    // start was waited for.  400 MiB: the software renderer could not load or start, and
    // it freed memory twice or followed a null pointer.  460 MiB with two drawing threads:
    // the driver started, and crashed in most starts while it made its first context.
    // Within a thread's stack of what the linked libraries take, and under the caps of
    // 200 to 400 MiB where a thread's stack is 256 MiB: the display's check could not start
    // its thread, and the start aborted.
    struct Cap
    {
        int mib;
        Threads threads;
        QString what;
        int stackMib = 0;
    };
    std::vector<Cap> caps{{160, Threads::Eight, QStringLiteral("starting needs about ")},
                          {400, Threads::Eight, QStringLiteral(" for OpenGL: its driver needs about ")},
                          {460, Threads::Two, QStringLiteral(" for OpenGL: its driver needs about ")}};
    // The measure is taken where the start checks its room, so that it may include what
    // came before: the caps run from a thread's stack and more below it.
    for (int mib = linked - 12; mib <= linked + 12; ++mib)
        caps.push_back({mib, Threads::Eight, QStringLiteral("starting needs about ")});
    for (int mib : {200, 300, 400})
        caps.push_back({mib, Threads::Eight, QStringLiteral("starting needs about "), 256});
    // From 800 to 1600 MiB with such stacks on one processor a thread of Qt's own or of the
    // OpenGL driver could not start, and the start waited for it for ever.
    for (int mib : {800, 900, 1300, 1600})
        caps.push_back({mib, Threads::PinnedToOne, QStringLiteral("starting needs about "), 256});
    // Each way in, with what the driver is said to need room for: a start that shows the
    // window draws it as well.
    const std::pair<QStringList, QString> ways[] = {
        {{QStringLiteral("--hidden")}, QStringLiteral("to start, and")},
        {{QStringLiteral("--screenshot"), picture}, QStringLiteral("to start and draw the window, and")},
        {{QStringLiteral("--hidden"), QStringLiteral("--screenshot"), picture}, QStringLiteral("to start, and")},
        {{}, QStringLiteral("to start and draw the window, and")}};
    for (const auto& [mib, threads, what, stackMib] : caps) {
        for (const auto& [way, need] : ways) {
            for (const QStringList& files : {QStringList{}, QStringList{model}}) {
                const QStringList args = way + files;
                SCOPED_TRACE(QString::number(mib).toStdString() + " MiB, stack " + std::to_string(stackMib) +
                             " MiB: " + args.join(QLatin1Char(' ')).toStdString());
                const CappedRun run = runCapped(home, qint64(mib) << 20, args, threads, QString(), stackMib);
                // Below what its libraries take the program is not started at all.
                if (run.exitCode == 127 && run.errors.contains(QStringLiteral("error while loading shared libraries")))
                    continue;
                ASSERT_TRUE(run.finished);
                EXPECT_TRUE(run.normalExit) << "ended by a signal\n" << run.errors.toStdString();
                EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
                EXPECT_TRUE(run.errors.startsWith(QStringLiteral("pelmora: cannot start: there is not enough memory")))
                    << run.errors.toStdString();
                EXPECT_TRUE(run.errors.contains(what)) << run.errors.toStdString();
                EXPECT_TRUE(run.errors.contains(QStringLiteral(" the limit of %1 MiB on this process leaves ").arg(mib)))
                    << run.errors.toStdString();
                if (what.contains(QStringLiteral("OpenGL"))) {
                    EXPECT_TRUE(run.errors.contains(QStringLiteral(" MiB of address space ") + need))
                        << run.errors.toStdString();
                }
                EXPECT_FALSE(QFileInfo::exists(picture));
            }
        }
    }

    // Starts that run are not refused: what a start takes was measured, and the drawing
    // threads are those the renderer starts, one per processor the process may use.  With
    // room for the driver the same file opens.
    const struct
    {
        int mib;
        Threads threads;
        QStringList args;
    } runs[] = {{2048, Threads::Eight, {QStringLiteral("--hidden"), model}},
                {640, Threads::Eight, {QStringLiteral("--hidden"), model}},
                {560, Threads::Two, {QStringLiteral("--hidden"), model}},
                {560, Threads::PinnedToOne, {QStringLiteral("--hidden"), model}},
                // Drawing takes more, and more on a busy machine (when the renderer's
                // threads start differs): room to spare for that.
                {640, Threads::Two, {QStringLiteral("--screenshot"), picture, model}},
                {640, Threads::PinnedToOne, {QStringLiteral("--screenshot"), picture, model}}};
    for (const auto& r : runs) {
        SCOPED_TRACE(QString::number(r.mib).toStdString() + " MiB, threads " + std::to_string(int(r.threads)) + ": " +
                     r.args.join(QLatin1Char(' ')).toStdString());
        QFile::remove(picture);
        const CappedRun fits = runCapped(home, qint64(r.mib) << 20, r.args, r.threads);
        ASSERT_TRUE(fits.finished);
        EXPECT_TRUE(fits.normalExit) << fits.errors.toStdString();
        EXPECT_EQ(fits.exitCode, 0) << fits.errors.toStdString();
        EXPECT_FALSE(fits.errors.contains(QStringLiteral("cannot start"))) << fits.errors.toStdString();
        EXPECT_EQ(QFileInfo::exists(picture), r.args.contains(picture));
    }
    QFile::remove(picture);
}

// LP_NUM_THREADS as the software renderer reads it (a C number: hexadecimal after "0x",
// octal after "0", blanks before it and anything after its digits passed over, a negative
// one wrapped round, at most 32): the room the start is said to need is that for the
// threads the renderer will start, the same as for the count written plainly.
TEST(AddressSpaceLimit, TheDrawingThreadsAreCountedAsTheRendererReadsThem)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString picture = home.filePath(QStringLiteral("view.png"));
    // Under this cap every start is refused with what its driver needs.
    const auto needed = [&](const QString& asked) {
        const CappedRun run = runCapped(home, qint64(400) << 20, {QStringLiteral("--screenshot"), picture}, Threads::Eight, asked);
        EXPECT_TRUE(run.finished && run.normalExit && run.exitCode == 1) << run.errors.toStdString();
        const int at = run.errors.indexOf(QStringLiteral("its driver needs about "));
        EXPECT_GE(at, 0) << run.errors.toStdString();
        return run.errors.mid(at).section(QLatin1Char(' '), 4, 4).toInt();
    };
    const std::pair<const char*, const char*> values[] = {
        {"0x10", "16"}, {"010", "8"}, {"4x", "4"}, {" 4", "4"}, {"16 ", "16"}, {"\t5", "5"},
        {"+3", "3"}, {"-1", "32"}, {"64", "32"}, {"99999999999999999999", "32"}, {"4294967298", "2"}};
    for (const auto& [asked, plain] : values) {
        SCOPED_TRACE(std::string("LP_NUM_THREADS=\"") + asked + "\", as " + plain);
        EXPECT_EQ(needed(QString::fromLatin1(asked)), needed(QString::fromLatin1(plain)));
    }
    // Each thread takes room of its own: the two sides of each row differ in what they say
    // when the count is misread.
    EXPECT_LT(needed(QStringLiteral("4")), needed(QStringLiteral("16")));
    EXPECT_FALSE(QFileInfo::exists(picture));
}
