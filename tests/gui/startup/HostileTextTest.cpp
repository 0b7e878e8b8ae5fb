// Texts that someone else chose reach standard error and the log only escaped: names and
// types of properties, group names and an annotation's label in a project file, names of
// lock files in a shared temporary folder, the path of the preference file, and (through
// the program's own functions) group names, model file names, dropped files and the
// lines of a colour file.  Every site is tried with every text of HostileTexts.h: nothing
// that acts on a terminal, starts a line or turns the line around gets through, and
// letters of every script pass unchanged.

#include "HostileTexts.h"
#include <support/HangGuard.h>

#include <support/ProjectFileSeal.h>

#include <QChar>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using PelmoraTest::HostileText;
using PelmoraTest::hostileTexts;

struct Said
{
    bool finished = false;
    int exitCode = -1;
    QByteArray err;
    QByteArray log;
};

Said run(const QString& program, const QStringList& args, const QString& logFile,
         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    Said said;
    // Only a guard against a hung start, far above any normal one.
    said.finished = p.waitForFinished(PelmoraTest::HangGuardMs);
    if (!said.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    said.exitCode = p.exitCode();
    said.err = p.readAllStandardError();
    QFile f(logFile);
    if (f.open(QIODevice::ReadOnly))
        said.log = f.readAll();
    return said;
}

// Every line begins as `start`, and nothing in it is a control, format or separator
// character (a line feed ends each line), nor a byte that is not UTF-8.
void expectClean(const QByteArray& said, const QByteArray& start, const char* where)
{
    SCOPED_TRACE(where);
    const QString decoded = QString::fromUtf8(said);
    EXPECT_EQ(decoded.toUtf8(), said) << "not UTF-8";
    for (const uint c : decoded.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (c == '\n')
            continue;
        ASSERT_FALSE(category == QChar::Other_Control || category == QChar::Other_Format
                     || category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            << "U+" << std::hex << c << " in\n" << said.constData();
    }
    for (const QByteArray& line : said.split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith(start)) << line.constData();
    EXPECT_FALSE(said.contains("\n\n")) << said.constData();
}

// How many lines of `said` hold both pieces.
int linesWith(const QByteArray& said, const QByteArray& a, const QByteArray& b = QByteArray())
{
    int n = 0;
    for (const QByteArray& line : said.split('\n'))
        n += line.contains(a) && line.contains(b);
    return n;
}

// A field of a project file: bytes other than plain ones written as %XX.
QByteArray field(const QByteArray& text)
{
    QByteArray out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == ' ' || b == '_'
            || b == '.' || b == ':')
            out += c;
        else
            out += '%' + QByteArray::number(b, 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

QByteArray framed(const HostileText& text)
{
    return "x" + text.raw + "y";
}

QByteArray framedShown(const HostileText& text)
{
    return "x" + text.shown + "y";
}

class HostileTextSites : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString logFile() const { return dir.filePath("console.log"); }

    QString writeProject(const QString& name, const QByteArray& body)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(PelmoraTest::sealedProjectFile("PELMORA PROJECT FILE\nversion\t1\ncurrent\tP\n"
                                               "project\tP\t1\tFemGui::ViewFeederProjectFem\n"
                                               + body));
        return path;
    }
    Said host(const QStringList& args, const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QFile::remove(logFile());
        return run(PELMORA_HOST, QStringList{"--hidden", "--log", logFile()} + args, logFile(), environment);
    }
};

} // namespace

// One project file that holds, for every text, a property whose name and type are that
// text, and an annotation labelled with it whose saved content is damaged: each is said
// once, escaped, on standard error and in the log; the damaged content is said in a
// sentence of ours, not in VTK's form with its source file, class and address.
TEST_F(HostileTextSites, NamesTypesAndLabelsFromAProjectFile)
{
    QByteArray body;
    int id = 1;
    for (const HostileText& text : hostileTexts) {
        body += "object\t" + QByteArray::number(id) + "\tObj::ProjectObject\tHolder" + QByteArray::number(id)
                + "\t0\nprop\tLabel\tObj::PropertyString\tHolder\n"
                "prop\t" + field("n" + framed(text)) + "\t" + field("t" + framed(text)) + "\t1\n";
        ++id;
        body += "object\t" + QByteArray::number(id) + "\tObj::AnnotationFiducial\tFiducial" + QByteArray::number(id)
                + "\t0\n"
                "prop\tLabel\tObj::PropertyString\t" + field("a" + framed(text)) + "\n"
                "prop\tAnnotationText\tObj::PropertyString\tthese are my notes%0A\n";
        ++id;
    }
    const QString project = writeProject("hostile names.pmdb", body);
    const Said said = host({project});
    ASSERT_TRUE(said.finished);
    expectClean(said.err, "pelmora: ", "standard error");
    expectClean(said.log, "[", "log");
    for (const HostileText& text : hostileTexts) {
        SCOPED_TRACE(text.what);
        for (const QByteArray* out : {&said.err, &said.log}) {
            EXPECT_EQ(linesWith(*out, "Property 'n" + framedShown(text) + "' of ",
                                "is not restored: its type t" + framedShown(text) + " is not known here"),
                      1)
                << out->constData();
            EXPECT_EQ(linesWith(*out, "The annotation a" + framedShown(text) + " cannot be shown: its saved content "
                                      "cannot be read: "),
                      1)
                << out->constData();
        }
    }
    for (const QByteArray& raw : {QByteArray("ERROR: In "), QByteArray(", line "), QByteArray("vtkMRML"),
                                  QByteArray(" (0x")})
        EXPECT_FALSE(said.log.contains(raw)) << raw.constData() << "\n" << said.log.constData();
}

// A project file whose two groups hold each other, named with each text: the refusal
// names them escaped, and the start fails.
TEST_F(HostileTextSites, GroupNamesOfARingInAProjectFile)
{
    for (const HostileText& text : hostileTexts) {
        SCOPED_TRACE(text.what);
        const QByteArray a = field("A" + framed(text));
        const QByteArray b = field("B" + framed(text));
        const QString project = writeProject(
            "ring.pmdb", "object\t1\tObj::ProjectObjectGroup\t" + a + "\t0\nprop\tLabel\tObj::PropertyString\t" + a
                             + "\nprop\tMember\tObj::PropertyCoupleArray\t[2,]\n"
                               "object\t2\tObj::ProjectObjectGroup\t" + b + "\t0\nprop\tLabel\tObj::PropertyString\t" + b
                             + "\nprop\tMember\tObj::PropertyCoupleArray\t[1,]\n");
        const Said said = host({project});
        ASSERT_TRUE(said.finished);
        EXPECT_EQ(said.exitCode, 1);
        expectClean(said.err, "pelmora: ", "standard error");
        expectClean(said.log, "[", "log");
        const QByteArray ring = "holds groups that contain each other: A" + framedShown(text) + " > B"
                                + framedShown(text) + " > A" + framedShown(text);
        EXPECT_EQ(linesWith(said.err, ring), 1) << said.err.constData();
        EXPECT_EQ(linesWith(said.log, ring), 1) << said.log.constData();
    }
}

// Lock files of earlier runs in a shared temporary folder, named by another user with
// every text: each is listed in the log, escaped.  (A start with a window lists them;
// one for a screenshot is such a start.)
TEST_F(HostileTextSites, LockFileNamesInASharedTemporaryFolder)
{
    const QString tmp = dir.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(tmp));
    ASSERT_EQ(::chmod(QFile::encodeName(tmp).constData(), 01777), 0);
    for (const HostileText& text : hostileTexts) {
        const QByteArray path = QFile::encodeName(tmp) + "/pelmora_" + framed(text) + ".pmloc";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << text.what;
        ::close(fd);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp);
    const Said said = run(PELMORA_HOST, {"--screenshot", dir.filePath("shot.png"), "--log", logFile()}, logFile(),
                          environment);
    ASSERT_TRUE(said.finished);
    EXPECT_EQ(said.exitCode, 0) << said.err.constData();
    expectClean(said.err, "pelmora: ", "standard error");
    expectClean(said.log, "[", "log");
    for (const HostileText& text : hostileTexts)
        EXPECT_EQ(linesWith(said.log, "[Log] Lock file of an earlier run: pelmora_" + framedShown(text) + ".pmloc"), 1)
            << text.what << "\n" << said.log.constData();
    QDir(tmp).removeRecursively();
}

// A configuration folder named with each text, in which the preference file is a folder:
// the warning and the failed save name the path escaped.
TEST_F(HostileTextSites, ThePreferenceFilePath)
{
    int round = 0;
    for (const HostileText& text : hostileTexts) {
        SCOPED_TRACE(text.what);
        const QByteArray config = QFile::encodeName(dir.path()) + "/" + QByteArray::number(round++) + framed(text);
        ASSERT_TRUE(QDir().mkpath(QFile::decodeName(config + "/Pelmora/preferences.ini")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QFile::decodeName(config));
        const Said said = host({}, environment);
        ASSERT_TRUE(said.finished);
        expectClean(said.err, "pelmora: ", "standard error");
        expectClean(said.log, "[", "log");
        const QByteArray shown = QByteArray::number(round - 1) + framedShown(text) + "/Pelmora/preferences.ini'";
        for (const QByteArray* out : {&said.err, &said.log})
            EXPECT_EQ(linesWith(*out, "Preference file '", shown + " is not a regular file"), 1) << out->constData();
    }
}

// The program's own functions given every text: group membership refused, the Model
// button's loader, a dropped file and a colour file's line.
TEST_F(HostileTextSites, GroupsModelsDropsAndColourFiles)
{
    const Said said = run(HOSTILE_TEXT_DRIVER, {dir.path(), logFile()}, logFile());
    ASSERT_TRUE(said.finished);
    EXPECT_EQ(said.exitCode, 0) << said.err.constData();
    expectClean(said.err, "pelmora: ", "standard error");
    expectClean(said.log, "[", "log");
    for (const HostileText& text : hostileTexts) {
        SCOPED_TRACE(text.what);
        const QByteArray name = framedShown(text);
        const QByteArray path = QFile::encodeName(dir.path()) + "/" + name;
        const struct
        {
            const char* site;
            QByteArray a;
            QByteArray b;
            bool onStandardError;
        } cells[] = {
            {"a group in itself", "[Wrn] The group '" + name + "' cannot be a member of itself", {}, true},
            {"a ring of groups", "[Wrn] The group '" + name + "' cannot be a member of the group '" + name + "inner'",
             ", which it already contains", true},
            {"a model of an unknown kind", "[Err] Cannot open model file: model file \"" + path + ".e" + text.shown
                                               + "\" has an unknown kind \".e" + text.shown + "\"",
             {}, true},
            {"a remote model", "[Err] Cannot open model file: ", "http://example.invalid/" + name + ".vtk", true},
            {"a dropped file", "[Log] Drop file: " + path + ".pmdb", {}, false},
        };
        for (const auto& cell : cells) {
            SCOPED_TRACE(cell.site);
            EXPECT_EQ(linesWith(said.log, cell.a, cell.b), 1) << said.log.constData();
            if (cell.onStandardError) {
                EXPECT_EQ(linesWith(said.err, "pelmora: " + cell.a.mid(6), cell.b), 1) << said.err.constData();
            }
        }
        // A colour file's line is split into words at blanks and line ends.
        const QByteArray word = text.raw.contains('\n')  ? QByteArray("x")
                                : text.raw.contains(' ') ? name.left(name.indexOf(' '))
                                                         : name;
        EXPECT_EQ(linesWith(said.log, "[Wrn] Colour file \"", "\" is not read: line 3: \"" + word + "\" is no index"), 1)
            << said.log.constData();
    }
}
