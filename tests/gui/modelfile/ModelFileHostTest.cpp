// The host given a model file on its command line: a readable one opens without a word
// of complaint and shows in the 3D view; an unreadable one says why and the application
// still starts and ends normally.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct HostRun
{
    bool finished = false;
    int exitCode = -1;
    QString log;
};

HostRun runHost(const QStringList& args, const QString& logFile)
{
    QProcess p;
    p.start(PELMORA_HOST, QStringList{"--log", logFile} + args);
    HostRun r;
    r.finished = p.waitForFinished(90000);
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
