// Files named on the host's command line: a start without a window ends by itself
// whatever the files are, says on the console what it did not open and why, and the
// files named together are opened together.

#include <support/TestEnvironment.h>

#include <obj/Application.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

struct HostRun
{
    bool finished = false;
    int exitCode = -1;
    qint64 ms = 0;
    QString out;
    QString err;
    QString log;
    QString value(const QString& key) const
    {
        for (const QString& line : out.split('\n'))
            if (line.startsWith(key + '='))
                return line.mid(key.size() + 1);
        return QStringLiteral("<missing>");
    }
};

// Runs `program`; a run still going after `timeoutMs` is killed and counts as unfinished.
HostRun runBounded(const QString& program, const QStringList& args, const QString& logFile, int timeoutMs = 60000,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    HostRun r;
    r.finished = p.waitForFinished(timeoutMs);
    r.ms = clock.elapsed();
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    QFile f(logFile);
    if (f.open(QIODevice::ReadOnly))
        r.log = QString::fromUtf8(f.readAll());
    return r;
}

const char* const cube =
    "solid cube\n"
    " facet normal 0 0 -1\n  outer loop\n   vertex 0 0 0\n   vertex 1 1 0\n   vertex 1 0 0\n  endloop\n endfacet\n"
    " facet normal 0 0 -1\n  outer loop\n   vertex 0 0 0\n   vertex 0 1 0\n   vertex 1 1 0\n  endloop\n endfacet\n"
    " facet normal 0 -1 0\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n   vertex 1 0 1\n  endloop\n endfacet\n"
    "endsolid cube\n";

class CommandLineFiles : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString log() const { return dir.filePath("console.log"); }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A project file holding one empty project labelled `label`, as the program saves it.
    QString saveProject(const QString& name, const char* label)
    {
        const QString path = dir.filePath(name);
        PelmoraTest::ScopedLogic logic;
        logic.app().create_project("Plant", label);
        EXPECT_TRUE(logic.app().save_as_file(1, QFile::encodeName(path).constData()));
        return path;
    }
    HostRun host(const QStringList& files)
    {
        return runBounded(PELMORA_HOST, QStringList{"--hidden", "--log", log()} + files, log());
    }
};

} // namespace

TEST_F(CommandLineFiles, AModelAndAProjectFileBothOpenWithoutAQuestion)
{
    const QString model = write(QString::fromUtf8("w\xc3\xbcrfel part.stl"), cube);
    const QString saved = saveProject("my plant v2.1.pmdb", "Saved Plant");

    // Hidden: ends by itself, with nothing left out.
    const HostRun hidden = host({model, saved});
    ASSERT_TRUE(hidden.finished) << "still running after " << hidden.ms << " ms";
    EXPECT_EQ(hidden.exitCode, 0) << hidden.log.toStdString();
    EXPECT_FALSE(hidden.log.contains("[Err]")) << hidden.log.toStdString();
    EXPECT_FALSE(hidden.log.contains("Not opened")) << hidden.log.toStdString();
    EXPECT_TRUE(hidden.log.contains("[Log] Finish: Event loop left")) << hidden.log.toStdString();

    // A start with its window asks nothing either, and keeps the model beside the
    // project the file brought back, named in either order.
    for (const QStringList& files : {QStringList{model, saved}, QStringList{saved, model}}) {
        const HostRun shown = runBounded(STARTUP_DRIVER, QStringList{"files", "--log", log(), "--files"} + files, log());
        ASSERT_TRUE(shown.finished);
        EXPECT_EQ(shown.exitCode, 0) << shown.out.toStdString();
        EXPECT_EQ(shown.value("questions"), "") << files.join(' ').toStdString();
        EXPECT_EQ(shown.value("projects"), QString::fromUtf8("Saved Plant|w\xc3\xbcrfel part"))
            << files.join(' ').toStdString();
    }
}

TEST_F(CommandLineFiles, ARefusedProjectFileIsReportedWithItsReasonOnStandardErrorAndTheStartFails)
{
    const QByteArray good = read(saveProject("good.pmdb", "Saved Plant"));
    ASSERT_FALSE(good.isEmpty());
    QByteArray flipped = good;
    flipped[flipped.size() / 2] = flipped[flipped.size() / 2] ^ 0x20;
    QByteArray picture("\x89PNG\r\n\x1a\n", 8);
    picture.append(QByteArray(200, 'x'));
    const struct { const char* name; QByteArray bytes; } damaged[] = {
        {"cut short.pmdb", good.left(good.size() - 10)},
        {"one byte changed.pmdb", flipped},
        {"header only.pmdb", good.left(good.indexOf('\n') + 1)},
        // Another program's file under the project file's extension.
        {"pl\xc3\xa4n v2.1.pmdb", picture},
    };
    for (const auto& d : damaged) {
        const QString file = write(QString::fromUtf8(d.name), d.bytes);
        QFile::remove(log());
        const HostRun r = host({file});
        ASSERT_TRUE(r.finished) << d.name << ": still running after " << r.ms << " ms";
        // A script tells the refusal from success by the exit status, and reads why on
        // standard error without asking for a log.
        EXPECT_EQ(r.exitCode, 1) << d.name << "\n" << r.log.toStdString();
        // The file and why, in one line, in the log and on standard error.
        QString said;
        for (const QString& line : r.log.split('\n'))
            if (line.startsWith("[Err] ") && line.contains(file))
                said = line.mid(6);
        ASSERT_FALSE(said.isEmpty()) << r.log.toStdString();
        EXPECT_GT(said.size(), file.size() + 20) << said.toStdString();
        EXPECT_TRUE(r.err.contains("pelmora: " + said + "\n")) << d.name << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.log.contains("[Log] Finish: Event loop left")) << r.log.toStdString();
    }

    // The same file whole, beside a model: opened, exit status 0, and nothing on standard
    // error about either.
    const QString whole = write(QString::fromUtf8("pl\xc3\xa4n v2.1.pmdb"), good);
    const QString model = write("part 1..2.stl", cube);
    const HostRun fine = host({model, whole});
    ASSERT_TRUE(fine.finished);
    EXPECT_EQ(fine.exitCode, 0) << fine.err.toStdString();
    EXPECT_FALSE(fine.err.contains(whole)) << fine.err.toStdString();
    EXPECT_FALSE(fine.err.contains(model)) << fine.err.toStdString();

    // A model that cannot be read fails the start too.
    const QString broken = write(QString::fromUtf8("b\xc3\xb6se teil..stl"), QByteArray("not a model"));
    const HostRun refused = host({whole, broken});
    ASSERT_TRUE(refused.finished);
    EXPECT_EQ(refused.exitCode, 1) << refused.log.toStdString();
    EXPECT_TRUE(refused.err.contains(QString::fromUtf8("b\xc3\xb6se teil..stl"))) << refused.err.toStdString();
}

TEST_F(CommandLineFiles, OnlyTheFirstProjectFileNamedIsOpenedAndTheConsoleSaysWhyNotTheOthers)
{
    const QString first = saveProject("first.pmdb", "First");
    const QString second = saveProject("second.pmdb", "Second");
    const QString model = write("cube.stl", cube);
    QDir(dir.path()).mkdir("sub");
    // The same file named twice, the second time by another path.
    const QString again = dir.filePath("sub/../first.pmdb");

    // A project file named first that is not there takes no other's place.
    const QString missing = dir.filePath("never saved.pmdb");

    const HostRun hidden = host({missing, first, model, again, second});
    ASSERT_TRUE(hidden.finished) << "still running after " << hidden.ms << " ms";
    // Two files named were not opened; the same file named twice was.
    EXPECT_EQ(hidden.exitCode, 1) << hidden.log.toStdString();
    EXPECT_TRUE(hidden.err.contains("pelmora: Not opened: " + second + ": ")) << hidden.err.toStdString();
    EXPECT_TRUE(hidden.err.contains("pelmora: Cannot open file " + missing)) << hidden.err.toStdString();
    EXPECT_TRUE(hidden.log.contains("[Wrn] Not opened again: " + again + ": the same project file was named twice"))
        << hidden.log.toStdString();
    EXPECT_TRUE(hidden.log.contains("[Wrn] Not opened: " + second + ": a project file replaces every open project, "
                                    "so only one is opened at a time, and " + first + " was named first"))
        << hidden.log.toStdString();
    EXPECT_TRUE(hidden.log.contains("[Err] Cannot open file " + missing)) << hidden.log.toStdString();
    EXPECT_EQ(hidden.log.count("[Err]"), 1) << hidden.log.toStdString();

    const HostRun shown = runBounded(STARTUP_DRIVER, {"files", "--log", log(), "--files", first, model, again, second}, log());
    ASSERT_TRUE(shown.finished);
    EXPECT_EQ(shown.value("questions"), "");
    EXPECT_EQ(shown.value("projects"), "First|cube");
}

TEST_F(CommandLineFiles, AStartRemovesTheCopyFilesThatNoRunningInstanceHolds)
{
    // A temporary folder of its own, as TMPDIR names it.
    QDir(dir.path()).mkdir("tmp");
    const QString tmp = dir.filePath("tmp");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp);

    // A process that has ended: its copy file was left by a kill.
    QProcess ended;
    ended.start("true", QStringList());
    ASSERT_TRUE(ended.waitForFinished(10000));
    const QString gone = QString::number(ended.processId());
    const QString self = QString::number(::getpid());
    const auto make = [&](const QString& name) {
        const QString path = QDir(tmp).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("copied objects");
        return path;
    };
    const QString killed = make("pelmora-copy-" + gone + "-a1B2c3");
    // This test runs, but it is no instance of the program, and holds no lock on it.
    const QString unheld = make("pelmora-copy-" + self + "-d4E5f6");
    // Held by a running process (this one) as an instance holds its own.
    const QString held = make("pelmora-copy-" + self + "-g7H8i9");
    const int lock = ::open(QFile::encodeName(held).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    // Not copy files: another name, and a link named like one.
    const QString other = make("pelmora-copy-notes.txt");
    const QString target = make("kept target");
    const QString link = QDir(tmp).filePath("pelmora-copy-" + gone + "-j0K1l2");
    ASSERT_TRUE(QFile::link(target, link));

    const HostRun r = runBounded(PELMORA_HOST, QStringList{"--hidden", "--log", log()}, log(), 60000, environment);
    ::close(lock);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_FALSE(QFileInfo::exists(unheld));
    EXPECT_TRUE(QFileInfo::exists(held));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(target), QByteArray("copied objects"));
    EXPECT_TRUE(r.log.contains("[Log] Removed the copy file " + QFileInfo(killed).fileName())) << r.log.toStdString();
}
