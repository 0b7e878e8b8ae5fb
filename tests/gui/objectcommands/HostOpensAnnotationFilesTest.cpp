// The host given annotation files on its command line, as a user starts it: relative
// names, one fiducial list, one file that is no annotation list and one whose columns
// header is damaged; each start alone, so that its status is its file's.

#include <QDir>
#include <support/HangGuard.h>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(HostCommandLine, OpensAFiducialListAndReportsAFileItCannotReadOnceWithTheReason)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray text;
        const char* refusal;   // null: opened
    } files[] = {
        {"marks.fcsv", "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n", nullptr},
        {"notes.acsv", "hello\n", "Cannot open notes.acsv: it is not an annotation list file"},
        {"damaged.acsv",
         "# Annotation file damaged.acsv\n# textColumns = annotation|type|sel|vis\ntext|hello|1|1\n"
         "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n",
         "Cannot read the annotation list file damaged.acsv: line 2: the textColumns header "
         "\"annotation|type|sel|vis\" does not begin with the type column\n"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        QFile f(dir.filePath(file.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file.text);
        f.close();
        const QString log = dir.filePath("console.log");
        QFile::remove(log);

        QProcess host;
        host.setWorkingDirectory(dir.path());
        host.start(PELMORA_HOST, {"--hidden", "--log", log, file.name});
        ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
        // A file named that was not opened fails the start.
        EXPECT_EQ(host.exitCode(), file.refusal ? 1 : 0);
        QFile logFile(log);
        ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(logFile.readAll());
        if (file.refusal) {
            EXPECT_EQ(text.count(QStringLiteral("[Err] ") + file.refusal), 1) << text.toStdString();
            // Said once, and nothing else about the file.
            EXPECT_EQ(text.count(file.name), 1) << text.toStdString();
        } else {
            EXPECT_FALSE(text.contains(file.name)) << text.toStdString();
        }
        EXPECT_FALSE(text.contains("Type column")) << text.toStdString();
    }
}

// What the program could not write back to a project file is refused when it is opened,
// with the reason; what it can is opened.
TEST(HostCommandLine, RefusesAnAnnotationThatNoProjectFileCouldHold)
{
    QTemporaryDir dir;
    // A '%' takes three bytes once encoded: the size compared with the limit is that one.
    const struct { int textBytes; char letter; int exitCode; } cases[] = {
        {5, 'a', 0}, {(16 << 20) + (1 << 19), 'a', 1}, {6 << 20, '%', 1}};
    for (const auto& c : cases) {
        const QString file = dir.filePath("notes.fcsv");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("# pointColumns = type|x|y|z|sel|vis\n# textColumns = type|annotation|sel|vis\ntext|");
        f.write(QByteArray(c.textBytes, c.letter));
        f.write("|1|1\npoint|1|2|3|1|1\n");
        f.close();
        const QString log = dir.filePath("console.log");
        QFile::remove(log);
        QProcess host;
        host.start(PELMORA_HOST, {"--hidden", "--log", log, file});
        ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
        EXPECT_EQ(host.exitCode(), c.exitCode) << c.textBytes;
        QFile l(log);
        ASSERT_TRUE(l.open(QIODevice::ReadOnly));
        const QString said = QString::fromUtf8(l.readAll());
        EXPECT_EQ(said.contains("[Err] Cannot open " + file + ": it holds "), c.exitCode == 1) << said.toStdString();
        EXPECT_EQ(said.contains("MiB a project file can hold in one value"), c.exitCode == 1);
        // The size stated is the one compared with the limit, and reaches it.
        const QRegularExpressionMatch stated = QRegularExpression(" (\\d+) bytes once encoded").match(said);
        EXPECT_EQ(stated.hasMatch(), c.exitCode == 1) << said.toStdString();
        if (stated.hasMatch()) {
            EXPECT_GE(stated.captured(1).toLongLong(), (c.letter == '%' ? 3LL : 1LL) * c.textBytes) << said.toStdString();
            EXPECT_GT(stated.captured(1).toLongLong(), (16 << 20) - 4096) << said.toStdString();
        }
    }
}
