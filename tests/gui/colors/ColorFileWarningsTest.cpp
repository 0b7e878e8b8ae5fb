// Colour files the application cannot read, found in its colour folder at a hidden start:
// each is warned about once, with the reader's reason, on standard error and in the log,
// without a source path or an object address; the start itself goes on.

#include <support/ProjectFileSeal.h>
#include <support/HangGuard.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray repeated(const QByteArray& line, int count)
{
    QByteArray bytes;
    bytes.reserve(line.size() * count);
    for (int i = 0; i < count; ++i)
        bytes += line;
    return bytes;
}

} // namespace

TEST(ColorFileWarnings, EachRefusedFileOfTheColourFolderSaysWhyOnceAndNothingElse)
{
    // The host takes its home from where it lies: a copy of it gets a colour folder of
    // the test's own.
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("bin")));
    const QString host = home.filePath(QStringLiteral("bin/pelmora"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELMORA_HOST), host));
    QFile::setPermissions(host, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString folder = home.filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
    ASSERT_TRUE(QDir().mkpath(folder));

    QByteArray tooManyPoints;
    for (int i = 0; i <= 4096; ++i)
        tooManyPoints += QByteArray::number(i) + " 0.5 0.5 0.5\n";
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } refused[] = {
        {"below zero.txt", "-1 a 1 2 3 255\n", "line 1: index -1 is below 0"},
        {"ten to the twenty.txt", "# big\n100000000000000000000 a 1 2 3\n",
         "line 2: index 100000000000000000000 is beyond 1000000"},
        {"one past..txt", "0 a 1 2 3\n1000001 b 1 2 3\n", "line 2: index 1000001 is beyond 1000000"},
        {"not a number.ctbl", "0 a nan 2 3 255\n", "line 1: component nan is not a finite number"},
        {"endless.txt", "\n\n0 a 1 inf 3\n", "line 3: component inf is not a finite number"},
        {"just above.txt", "0 a 1 2 255.0000001\n", "line 1: component 255.0000001 is outside 0 to 255"},
        {"five.txt", "0 a 1 2 3 4 5\n", "line 1: more than four colour components (\"index name r g b a\")"},
        {"two.ctbl", "0 a 1 2\n", "line 1: index 0 has 2 colour components, not three or four"},
        {"nameless.ctbl", "7\n", "line 1: index 7 has no name"},
        {"large.txt", "# \n" + QByteArray((64 << 20) + 1 - 3, ' '), "it is larger than 64 MiB"},
        {"many lines.txt", repeated("0 a 1 2 3\n", 1000002), "it holds more than 1000001 lines of colours"},
        {"comments only.txt", "# one\n\n   # two\n", "it holds no colours, only blank lines and comments"},
        {"too many points.pcf", tooManyPoints, "a procedural file holds at most 4096 points"},
        {"ramp with nan.txt", "0 0 0 0\n0.5 nan 0 0\n", "line 2: \"nan\" is not a finite number"},
        {"bright.pcf", "0 0.5 0.5 2\n", "line 1: component 2 is outside 0 to 1"},
        {"damaged.txt", QByteArray("0 a 1 2 3\n\x01\x1b[2J\x00\xff 1 2 3\n", 24),
         "line 2: \"\\x01\\x1b[2J\\x00\\xff\" is no index"},
    };
    for (const auto& file : refused) {
        QFile out(QDir(folder).filePath(QString::fromUtf8(file.name)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(file.bytes), file.bytes.size());
    }
    // A system file put there by name.
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/passwd"), QDir(folder).filePath(QStringLiteral("passwd.txt"))));
    // Read well: no warning.
    QFile good(QDir(folder).filePath(QStringLiteral("Good one.txt")));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write("0 zero 0 0 0 255\n1 one 255 255 255\n");
    good.close();

    // Colour nodes go into a project's scene: a file of two projects reads the folder for
    // each, and warns once.
    const QString project = home.filePath(QStringLiteral("two projects.pmdb"));
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(PelmoraTest::sealedProjectFile("PELMORA PROJECT FILE\nversion\t1\n"
                                              "project\tA\t1\tFemGui::ViewFeederProjectFem\n"
                                              "project\tB\t1\tFemGui::ViewFeederProjectFem\n"));
    file.close();

    const QString log = home.filePath(QStringLiteral("start.log"));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    run.setProcessEnvironment(env);
    run.start(host, {QStringLiteral("--hidden"), QStringLiteral("--log"), log, project});
    ASSERT_TRUE(run.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(run.exitCode(), 0);
    // The folder is named as found: the home (ending in a slash) joined with its path.
    const QString errors = QString::fromUtf8(run.readAllStandardError()).replace(QStringLiteral("//"), QStringLiteral("/"));
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(logFile.readAll()).replace(QStringLiteral("//"), QStringLiteral("/"));

    for (const auto& file : refused) {
        const QString expected = QStringLiteral("Colour file \"%1/%2\" is not read: %3")
                                     .arg(folder, QString::fromUtf8(file.name), QString::fromUtf8(file.reason));
        EXPECT_EQ(errors.count(expected), 1) << file.name << "\n" << errors.toStdString();
        EXPECT_EQ(logged.count(expected), 1) << file.name;
    }
    EXPECT_EQ(errors.count(QRegularExpression(QStringLiteral("passwd.txt\" is not read: line 1: \"[^\"]*\" is no index"))),
              1)
        << errors.toStdString();
    // One warning for each refused file and nothing else about colours: no source path,
    // no object address, nothing said twice.
    const QStringList lines = errors.split(QLatin1Char('\n'));
    const int colourLines = int(std::count_if(lines.begin(), lines.end(), [](const QString& line) {
        return line.contains(QStringLiteral("olour")) || line.contains(QStringLiteral("Color"));
    }));
    EXPECT_EQ(colourLines, int(std::size(refused)) + 1) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral(".cpp"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral(".cxx"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QRegularExpression(QStringLiteral("\\(0x[0-9a-f]+\\)")))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("Good one"))) << errors.toStdString();
}
