// The host given annotation files on its command line, as a user starts it: relative
// names, one fiducial list and one file that is no annotation list.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(HostCommandLine, OpensAFiducialListAndReportsAFileThatIsNoAnnotationList)
{
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("marks.fcsv", "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n");
    write("notes.acsv", "hello\n");
    const QString log = dir.filePath("console.log");

    QProcess host;
    host.setWorkingDirectory(dir.path());
    host.start(PELMORA_HOST, {"--hidden", "--log", log, "marks.fcsv", "notes.acsv"});
    ASSERT_TRUE(host.waitForFinished(90000));
    // One of the files named was not opened.
    EXPECT_EQ(host.exitCode(), 1);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("[Err] Cannot open notes.acsv: it is not an annotation list file")) << text.toStdString();
    EXPECT_FALSE(text.contains("marks.fcsv")) << text.toStdString();
}

// What the program could not write back to a project file is refused when it is opened,
// with the reason; what it can is opened.
TEST(HostCommandLine, RefusesAnAnnotationThatNoProjectFileCouldHold)
{
    QTemporaryDir dir;
    const struct { int textBytes; int exitCode; } cases[] = {{5, 0}, {(16 << 20) + (1 << 19), 1}};
    for (const auto& c : cases) {
        const QString file = dir.filePath("notes.fcsv");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("# pointColumns = type|x|y|z|sel|vis\n# textColumns = type|annotation|sel|vis\ntext|");
        f.write(QByteArray(c.textBytes, 'a'));
        f.write("|1|1\npoint|1|2|3|1|1\n");
        f.close();
        const QString log = dir.filePath("console.log");
        QFile::remove(log);
        QProcess host;
        host.start(PELMORA_HOST, {"--hidden", "--log", log, file});
        ASSERT_TRUE(host.waitForFinished(300000));
        EXPECT_EQ(host.exitCode(), c.exitCode) << c.textBytes;
        QFile l(log);
        ASSERT_TRUE(l.open(QIODevice::ReadOnly));
        const QString said = QString::fromUtf8(l.readAll());
        EXPECT_EQ(said.contains("[Err] Cannot open " + file + ": it holds "), c.exitCode == 1) << said.toStdString();
        EXPECT_EQ(said.contains("MiB a project file can hold in one value"), c.exitCode == 1);
    }
}
