// The host given annotation files on its command line, as a user starts it: relative
// names, one fiducial list and one file that is no annotation list.

#include <QDir>
#include <support/HangGuard.h>
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
    ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
    // One of the files named was not opened.
    EXPECT_EQ(host.exitCode(), 1);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("[Err] Cannot open notes.acsv: it is not an annotation list file")) << text.toStdString();
    EXPECT_FALSE(text.contains("marks.fcsv")) << text.toStdString();
}
