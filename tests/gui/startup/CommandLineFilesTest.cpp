// Files named on the host's command line: a start without a window ends by itself
// whatever the files are, says on the console what it did not open and why, and the
// files named together are opened together.

#include <support/TestEnvironment.h>
#include <support/HangGuard.h>

#include <obj/Application.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
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
HostRun runBounded(const QString& program, const QStringList& args, const QString& logFile, int timeoutMs = PelmoraTest::HangGuardMs,
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
    ASSERT_TRUE(ended.waitForFinished(PelmoraTest::HangGuardMs));
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

TEST_F(CommandLineFiles, TheLogIsAppendedToOnlyWhenItIsALogOfThisProgram)
{
    // Named by mistake: a project file and a model file are left as they were.
    const QString project = saveProject("thick_mm.pmdb", "Thick");
    const QByteArray projectBytes = read(project);
    const QString model = write(QString::fromUtf8("w\xc3\xbcrfel..stl"), cube);
    // Not a file: a named pipe would hold up the start until someone read it.
    const QString pipe = dir.filePath("pipe.log");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Another user's link in a shared sticky folder, to a file of this user's.
    QDir(dir.path()).mkdir("shared");
    const QString shared = dir.filePath("shared");
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString victim = write("victim notes.txt", "mine\n");
    const QString planted = QDir(shared).filePath("planted.log");
    ASSERT_TRUE(QFile::link(victim, planted));
    ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), 12345, 12345), 0);

    // Another user's link to a folder of this user's, there and one folder down.
    QDir(dir.path()).mkdir("notes");
    const QString folderLink = QDir(shared).filePath("sub");
    ASSERT_TRUE(QFile::link(dir.filePath("notes"), folderLink));
    ASSERT_EQ(::lchown(QFile::encodeName(folderLink).constData(), 12345, 12345), 0);
    QDir(shared).mkdir("real");
    ASSERT_EQ(::chmod(QFile::encodeName(QDir(shared).filePath("real")).constData(), 0777), 0);
    const QString deeperLink = QDir(shared).filePath("real/sub");
    ASSERT_TRUE(QFile::link(dir.filePath("notes"), deeperLink));
    ASSERT_EQ(::lchown(QFile::encodeName(deeperLink).constData(), 12345, 12345), 0);

    const struct { QString log; const char* reason; } refused[] = {
        {project, "it is not a log file"},
        {model, "it is not a log file"},
        {pipe, "it is not a regular file"},
        {planted, "will not follow the symbolic link"},
        {folderLink + "/run.log", "will not follow the symbolic link"},
        {deeperLink + "/run.log", "will not follow the symbolic link"},
    };
    for (const auto& r : refused) {
        const HostRun run = runBounded(PELMORA_HOST, {"--hidden", "--log", r.log}, QString(), 30000);
        ASSERT_TRUE(run.finished) << r.log.toStdString() << ": still running after " << run.ms << " ms";
        EXPECT_EQ(run.exitCode, 1) << r.log.toStdString();
        EXPECT_TRUE(run.err.startsWith("pelmora: cannot write the log file " + r.log + ": " + r.reason))
            << run.err.toStdString();
    }
    EXPECT_EQ(read(project), projectBytes);
    EXPECT_EQ(read(model), QByteArray(cube));
    EXPECT_EQ(read(victim), QByteArray("mine\n"));
    EXPECT_TRUE(QDir(dir.filePath("notes")).isEmpty());
    // The project file still opens.
    const HostRun reopened = host({project});
    EXPECT_EQ(reopened.exitCode, 0) << reopened.err.toStdString();

    // A new log, and the same log again: appended to.
    const QString log = dir.filePath("run log..txt");
    const HostRun first = runBounded(PELMORA_HOST, {"--hidden", "--log", log}, log);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QByteArray once = read(log);
    ASSERT_TRUE(once.startsWith("[")) << once.constData();
    const HostRun second = runBounded(PELMORA_HOST, {"--hidden", "--log", log}, log);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(read(log).startsWith(once));
    EXPECT_GT(read(log).size(), once.size());
    // This user's own link to it in the shared folder is followed.
    const QString ownLink = QDir(shared).filePath("own.log");
    ASSERT_TRUE(QFile::link(log, ownLink));
    const HostRun linked = runBounded(PELMORA_HOST, {"--hidden", "--log", ownLink}, log);
    EXPECT_EQ(linked.exitCode, 0) << linked.err.toStdString();
    EXPECT_GT(read(log).size(), once.size() * 3 / 2);
}

TEST_F(CommandLineFiles, EveryFileNameInAMessageIsEscaped)
{
    // Names as bytes: some are not UTF-8, so they reach the host through the shell's printf.
    const QByteArray names[] = {
        "esc\x1b[31mRED\x1b[0m\x1b]0;TITLE\x07.stl",     // colour, window title, bell
        "two\npelmora: forged line.stl",                   // a second line of its own
        "bare\rcarriage.stl",                              // overwrites the line so far
        "bad \xff\xfe utf..stl",                           // not UTF-8
        "c1 \xc2\x9b" "31m.stl",                           // a C1 control in UTF-8
        "plan\x1b]0;x\x07 v2.pmdb",                        // a damaged project file
        "k\xc3\xa4se t\xc3\xa9st.stl",                     // names in any script are kept
    };
    QString script = QStringLiteral("cd \"$1\" && exec \"$0\" --hidden --log console.log");
    for (const QByteArray& name : names) {
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0) << name.constData();
        const QByteArray content = name.endsWith(".pmdb") ? QByteArray("PELMORA PROJECT FILE\n")
                                                          : QByteArray("solid broken\n facet normal 0 0 1\n  outer loop\n");
        ASSERT_EQ(::write(fd, content.constData(), static_cast<size_t>(content.size())), content.size());
        ::close(fd);
        QString octal;
        for (const char c : name)
            octal += QStringLiteral("\\%1").arg(static_cast<unsigned char>(c), 3, 8, QLatin1Char('0'));
        script += QStringLiteral(" \"$(printf '%1')\"").arg(octal);
    }
    // And one that is missing.
    script += QStringLiteral(" \"$(printf 'gone\\033[2J.stl')\"");
    const HostRun r = runBounded("/bin/sh", {"-c", script, PELMORA_HOST, dir.path()}, log());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    const QByteArray err = r.err.toUtf8();
    const QByteArray logged = r.log.toUtf8();
    for (const QByteArray& said : {err, logged}) {
        // Nothing a terminal acts on, and every line begins as the host begins it.
        for (const char c : said)
            EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << said.constData();
        EXPECT_FALSE(said.contains("\xc2\x9b")) << said.constData();
        EXPECT_FALSE(said.contains("\xef\xbf\xbd")) << said.constData();
        for (const QByteArray& line : said.split('\n'))
            EXPECT_TRUE(line.isEmpty() || line.startsWith("pelmora: ") || line.startsWith("["))
                << line.constData();
    }
    for (const QByteArray& expected :
         {QByteArray("\"esc\\x1b[31mRED\\x1b[0m\\x1b]0;TITLE\\x07.stl\""), QByteArray("\"two\\npelmora: forged line.stl\""),
          QByteArray("\"bare\\rcarriage.stl\""), QByteArray("\"bad \\xff\\xfe utf..stl\""),
          QByteArray("\"c1 \\xc2\\x9b31m.stl\""), QByteArray(" plan\\x1b]0;x\\x07 v2.pmdb is"),
          QByteArray("Cannot open file gone\\x1b[2J.stl: it does not exist"), QByteArray("\"k\xc3\xa4se t\xc3\xa9st.stl\"")}) {
        EXPECT_TRUE(err.contains(expected)) << expected.constData() << "\n" << err.constData();
        EXPECT_TRUE(logged.contains(expected)) << expected.constData() << "\n" << logged.constData();
    }
}

TEST_F(CommandLineFiles, RefusalsSayWhatIsWrong)
{
    const QByteArray good = read(saveProject("good.pmdb", "Saved Plant"));
    const QString truncated = write("cut short.pmdb", good.left(good.size() - 10));
    const QString fake = write("fake..pmdb", "just some text\n");
    // A text STL whose name after "solid" holds control characters.
    QByteArray controls = cube;
    controls.replace("solid cube", "solid \x01\x02\x03\x04\x05\x06\x07\x08\x0e\x0f\x10\x11\x12\x13\x14\x15 cube");
    const QString controlled = write(QString::fromUtf8("exp\xc3\xb6rt 1..stl"), controls);
    // The same, cut short: VTK's complaint names the file as the user named it.
    const QString controlledCut = write("cut..stl", controls.left(controls.indexOf("vertex 1 1 0") + 10));
    // An OBJ whose lines end in a carriage return alone.
    const QString oldMac = write("old mac.v1.obj", "v 0 0 0\rv 1 0 0\rv 0 1 0\rf 1 2 3\r");
    // A legacy VTK file whose normals are cut short: VTK's own complaint.
    const QString shortNormals = write("short normals.vtk",
                                       "# vtk DataFile Version 3.0\nx\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n"
                                       "0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 2\nPOINT_DATA 3\nNORMALS n float\n1 0 0 1 0\n");
    QDir(dir.path()).mkdir("sub folder");
    const QString missing = dir.filePath("m/missing.pmdb");
    const QString shot = dir.filePath("shot.png");

    struct Case
    {
        QStringList args;
        int status;
        QStringList said;      // each once on standard error
        QStringList notSaid;
    };
    const Case cases[] = {
        {{"--hidden", missing}, 1, {"pelmora: Cannot open file " + missing + ": it does not exist\n"}, {}},
        {{"--hidden", dir.filePath("sub folder")}, 1, {"pelmora: Cannot open file " + dir.filePath("sub folder") + ": it is a folder\n"}, {}},
        {{"--hidden", truncated}, 1, {"is incomplete: the file ends before its last record\n"}, {}},
        {{"--screenshot", shot, fake}, 1, {"pelmora: " + fake + " is not a Pelmora project file\n"}, {}},
        {{"--hidden", "--screenshot", dir.filePath("no folder/shot.png")}, 1,
         {"pelmora: no screenshot was written to " + dir.filePath("no folder/shot.png") + ": "}, {}},
        {{"--hidden", controlled, oldMac}, 0, {}, {"Cannot open"}},
        {{"--hidden", controlledCut}, 1,
         {"pelmora: Cannot open model file: model file \"" + controlledCut + "\" could not be read: STLReader: error "
          "while reading file " + controlledCut + " at line "}, {"pelmora-model-"}},
        {{"--hidden", shortNormals}, 1,
         {"pelmora: Cannot open model file: model file \"" + shortNormals + "\" could not be read: Error reading ascii "
          "data. Possible mismatch of datasize with declaration.\n"},
         {"vtkDataReader.cxx", "In ./", "line 1537?"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const HostRun r = runBounded(PELMORA_HOST, c.args, QString());
        ASSERT_TRUE(r.finished) << "still running after " << r.ms << " ms";
        EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
        for (const QString& text : c.said)
            EXPECT_EQ(r.err.count(text), 1) << text.toStdString() << "\n" << r.err.toStdString();
        for (const QString& text : c.notSaid)
            EXPECT_FALSE(r.err.contains(text)) << text.toStdString() << "\n" << r.err.toStdString();
    }
}

TEST_F(CommandLineFiles, TheCopyFileCleanUpOpensNoOtherUsersFiles)
{
    // A shared sticky temporary folder of the test's own, as TMPDIR names it.
    QDir(dir.path()).mkdir("tmp");
    const QString tmp = dir.filePath("tmp");
    ASSERT_EQ(::chmod(QFile::encodeName(tmp).constData(), 01777), 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp);
    QProcess ended;
    ended.start("true", QStringList());
    ASSERT_TRUE(ended.waitForFinished(PelmoraTest::HangGuardMs));
    const QString gone = QString::number(ended.processId());

    // Another user's look-alikes of copy files, empty and abandoned, and one of this user's.
    for (int i = 0; i < 2000; ++i) {
        const QString path = QDir(tmp).filePath(QStringLiteral("pelmora-copy-%1-o%2").arg(gone).arg(i, 5, 10, QLatin1Char('0')));
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::fchown(fd, 12345, 12345), 0);
        ::close(fd);
    }
    const QString own = QDir(tmp).filePath("pelmora-copy-" + gone + "-mY0wn1");
    {
        QFile f(own);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("copied objects");
    }

    // Every open of an entry in the folder is seen.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(tmp).constData(), IN_OPEN), 0);
    const HostRun r = runBounded(PELMORA_HOST, QStringList{"--hidden", "--log", log()}, log(), 60000, environment);
    QStringList opened;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->len > 0)
                opened << QFile::decodeName(event->name);
            p += sizeof(inotify_event) + event->len;
        }
    ::close(watch);

    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(own));
    EXPECT_TRUE(r.log.contains("[Log] Removed the copy file " + QFileInfo(own).fileName())) << r.log.toStdString();
    EXPECT_EQ(QDir(tmp).entryList({"pelmora-copy-*"}, QDir::Files).size(), 2000);
    const QStringList others = opened.filter("-o");
    EXPECT_TRUE(others.isEmpty()) << others.size() << " of another user's files opened, such as "
                                  << others.value(0).toStdString();
}
