// The host given a model file on its command line: a readable one opens without a word
// of complaint and shows in the 3D view; an unreadable one says why and the application
// still starts and ends normally.

#include <support/ChildProcessCost.h>
#include <support/HangGuard.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct HostRun
{
    bool finished = false;
    int exitCode = -1;
    QString log;
};

HostRun runHost(const QStringList& args, const QString& logFile, const QString& shellPrefix = QString())
{
    QProcess p;
    if (shellPrefix.isEmpty())
        p.start(PELMORA_HOST, QStringList{"--log", logFile} + args);
    else // the shell sets a limit for the host it becomes
        p.start("/bin/sh", QStringList{"-c", shellPrefix + " && exec \"$0\" \"$@\"", PELMORA_HOST, "--log", logFile} + args);
    HostRun r;
    r.finished = p.waitForFinished(PelmoraTest::HangGuardMs);
    if (!r.finished)
        p.kill();
    r.exitCode = p.exitCode();
    QFile f(logFile);
    if (f.open(QIODevice::ReadOnly))
        r.log = QString::fromUtf8(f.readAll());
    return r;
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& content)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

// A binary STL that declares `count` triangles: four that make a wedge, the rest on one of
// its corners, written without taking the disk their zeros would.
QString largeSTL(const QTemporaryDir& dir, const char* name, std::uint32_t count)
{
    QByteArray bytes = QByteArray("large binary model").leftJustified(80, ' ');
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>((count >> (8 * i)) & 0xFF));
    const float corners[4][9] = {{0, 0, 0, 4, 0, 0, 0, 3, 0}, {0, 0, 0, 0, 3, 0, 0, 0, 2},
                                 {0, 0, 0, 0, 0, 2, 4, 0, 0}, {4, 0, 0, 0, 0, 2, 0, 3, 0}};
    for (const auto& t : corners) {
        bytes.append(QByteArray(12, '\0'));
        bytes.append(reinterpret_cast<const char*>(t), sizeof t);
        bytes.append(QByteArray(2, '\0'));
    }
    const QString path = writeFile(dir, name, bytes);
    return ::truncate(QFile::encodeName(path).constData(), static_cast<off_t>(84 + 50ull * count)) == 0 ? path
                                                                                                      : QString();
}

const char* const wedge =
    "solid wedge\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 4 0 0\n   vertex 0 3 0\n  endloop\n endfacet\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 0 3 0\n   vertex 0 0 2\n  endloop\n endfacet\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 0 0 2\n   vertex 4 0 0\n  endloop\n endfacet\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 4 0 0\n   vertex 0 0 2\n   vertex 0 3 0\n  endloop\n endfacet\n"
    "endsolid wedge\n";

} // namespace

TEST(ModelFileOnTheCommandLine, OpensQuietlyAndShowsInTheScreenshot)
{
    QTemporaryDir dir;
    const QString model = writeFile(dir, "wedge.stl", wedge);
    const QString shot = dir.filePath("shot.png");
    const HostRun r = runHost({"--screenshot", shot, model}, dir.filePath("console.log"));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("[Err]")) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("Cannot open")) << r.log.toStdString();
    QImage image(shot);
    ASSERT_FALSE(image.isNull());

    // The same start without the file shows an empty view: the model is what differs,
    // over far more of the picture than the differing names in tree and tab.
    const QString emptyShot = dir.filePath("empty.png");
    const HostRun e = runHost({"--screenshot", emptyShot}, dir.filePath("empty.log"));
    ASSERT_TRUE(e.finished);
    QImage empty(emptyShot);
    ASSERT_EQ(empty.size(), image.size());
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != empty.pixel(x, y))
                ++differing;
    EXPECT_GT(differing, 5000) << differing;
}

TEST(ModelFileOnTheCommandLine, AnUnreadableFileIsReportedAndTheApplicationRunsOn)
{
    QTemporaryDir dir;
    const QString bad = writeFile(dir, "broken.stl", QByteArray("solid broken\n facet normal 0 0 1\n  outer loop\n   vertex 0 0"));
    const HostRun r = runHost({"--hidden", bad}, dir.filePath("console.log"));
    ASSERT_TRUE(r.finished);
    // The start ends normally; its status says the file named was not opened.
    EXPECT_EQ(r.exitCode, 1) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Err] Cannot open model file")) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("broken.stl")) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Log] Finish: Event loop left")) << r.log.toStdString();
}

TEST(ModelFileOnTheCommandLine, FilesOfNoKnownKindAndUnknownOptionsAreReported)
{
    QTemporaryDir dir;
    const QString notes = writeFile(dir, "notes.txt", "shopping list\n");
    const QString bare = writeFile(dir, "wedge", wedge); // a model, but nothing says so
    const HostRun r = runHost({"--hidden", notes, "--bogus", bare, "-style", "fusion"}, dir.filePath("console.log"));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Err] Cannot open unknown file type: " + notes)) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Err] Cannot open unknown file type: " + bare)) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Err] Unknown option: --bogus")) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("Unknown option: -style")) << "Qt's own option: " << r.log.toStdString();
}

TEST(ModelFileOnTheCommandLine, GigabyteFilesOfZerosAreRefusedFromTheirHeadsWithoutTakingTheirSize)
{
    QTemporaryDir dir;
    QStringList files;
    for (const char* name : {"zero fill.v2.vtk", "zero fill.v2.vtp", "zero fill.v2.obj", "zero fill.v2.stl"}) {
        files << writeFile(dir, name, QByteArray());
        ASSERT_EQ(::truncate(QFile::encodeName(files.back()).constData(), off_t(1) << 30), 0);
    }
    const QString log = dir.filePath("console.log");
    std::vector<std::string> argv{PELMORA_HOST, "--hidden", "--log", log.toStdString()};
    for (const QString& f : files)
        argv.push_back(f.toStdString());
    const PelmoraTest::ChildProcessCost cost = PelmoraTest::runChildProcess(argv);
    ASSERT_TRUE(cost.started);
    // Every file named was refused: the start says so in its status.
    EXPECT_EQ(cost.exitCode, 1);
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QString said = QString::fromUtf8(logFile.readAll());
    for (const QString& f : files)
        EXPECT_TRUE(said.contains("[Err] Cannot open model file: model file \"" + f + "\"")) << said.toStdString();
    EXPECT_TRUE(said.contains("zero fill.v2.stl\" holds no model geometry: its header declares no triangles"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("zero fill.v2.obj\" could not be read: it is not a Wavefront OBJ file"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("[Log] Finish: Event loop left")) << said.toStdString();
    // The host itself takes about 130 MiB; a file read whole would add a gigabyte.
    EXPECT_LT(cost.peakMiB, 512) << cost.peakMiB;
}

TEST(ModelFileOnTheCommandLine, AModelTooLargeForTheMemoryLeftIsRefusedAndTheStartEnds)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves address space beyond any limit set here";
#else
    // Three million triangles under a limit of 2 GiB of address space: the reader gets
    // through, sharing their corners does not.
    QTemporaryDir dir;
    const QString model = largeSTL(dir, "large model.v3.stl", 3u << 20);
    ASSERT_FALSE(model.isEmpty());
    const HostRun r = runHost({"--hidden", model}, dir.filePath("console.log"), "ulimit -v 2097152");
    ASSERT_TRUE(r.finished) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("Unhandled")) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Log] Finish: Event loop left")) << r.log.toStdString();
    // Read or refused, the status tells which.
    EXPECT_EQ(r.exitCode, r.log.contains("Cannot open model file") ? 1 : 0) << r.log.toStdString();
    if (r.log.contains("Cannot open model file")) {
        EXPECT_TRUE(r.log.contains("large model.v3.stl\" could not be read: it asks for more memory than there is"))
            << r.log.toStdString();
    }

    // The Model button's loader, in a program of its own, under limits from a little
    // above what it uses upwards: every attempt is read or refused as too large.
    const QString small = largeSTL(dir, "loader model.v3.stl", 1u << 20);
    QProcess driver;
    driver.start(MODEL_LOADER_DRIVER, {small});
    ASSERT_TRUE(driver.waitForFinished(PelmoraTest::HangGuardMs));
    const QString output = QString::fromUtf8(driver.readAllStandardOutput() + driver.readAllStandardError());
    EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(driver.exitCode(), 0) << output.toStdString();
#endif
}

TEST(ModelFileOnTheCommandLine, ATextVtkFileWithASoundHeadIsRefusedAtItsFirstNulByte)
{
    // A valid three-point model followed by a gigabyte of zeros (a sparse file), read
    // under a 2 GiB cap on the address space.
    QTemporaryDir dir;
    const QString model = writeFile(dir, "three points..v2.vtk",
                                    "# vtk DataFile Version 3.0\nthree points\nASCII\nDATASET POLYDATA\n"
                                    "POINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 2\n");
    const QByteArray head = QFile::encodeName(model);
    const off_t sound = static_cast<off_t>(QFileInfo(model).size());
    ASSERT_EQ(::truncate(head.constData(), off_t(1) << 30), 0);
    const QString log = dir.filePath("console.log");
    std::vector<std::string> argv{PELMORA_HOST, "--hidden", "--log", log.toStdString(), model.toStdString()};
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves address space beyond any such cap.
    argv.insert(argv.begin(), {"/usr/bin/prlimit", "--as=2147483648"});
#endif
    const PelmoraTest::ChildProcessCost cost = PelmoraTest::runChildProcess(argv);
    ASSERT_TRUE(cost.started);
    EXPECT_EQ(cost.exitCode, 1);
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QString said = QString::fromUtf8(logFile.readAll());
    // The reason is the file's, and names where it goes wrong.
    EXPECT_TRUE(said.contains("[Err] Cannot open model file: model file \"" + model + "\" could not be read: it is "
                              "damaged: its header says it is text, and it holds a NUL byte at offset "
                              + QString::number(sound) + "\n"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("[Log] Finish: Event loop left")) << said.toStdString();
    // The host itself takes about 130 MiB; the file read whole takes three times its size.
    EXPECT_LT(cost.peakMiB, 1024) << cost.peakMiB;
}
