// What a test program leaves in the temporary folder: nothing once it ends, whatever the
// names of the files its tests made; and what a run killed before its end left goes with
// the next run, while the folders of runs still going, of other programs and of other
// users stay.

#include <support/TempFolders.h>
#include <support/HangGuard.h>
#include <support/TestEnvironment.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* childVariable = "PELMORA_TEMP_FOLDERS_CHILD";

// The names in `folder`, as bytes.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void makeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
}

// A process number that no process has now: a child's, once it has ended.
pid_t endedPid()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

// A name that is no text in UTF-8 (nor in any encoding Qt would take for the locale's).
const std::string oddName = "odd \xff\xfe name \xc3.txt";

// This test program started again, as its own child, to run TempFolderChild.Acts in the
// part `role`, with `tmp` as its temporary folder.
struct Child
{
    QProcess process;
    Child(const QString& role, const QString& tmp)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(childVariable), role);
        env.insert(QStringLiteral("TMPDIR"), tmp);
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_filter=TempFolderChild.Acts")});
    }
};

} // namespace

// The child's part; skipped in a run of its own.
TEST(TempFolderChild, Acts)
{
    const QByteArray role = qgetenv(childVariable);
    if (role.isEmpty())
        GTEST_SKIP() << "run by the tests of the temporary folders";
    const std::string home = QFile::encodeName(PelmoraTest::homeDir()).toStdString();
    std::printf("home=%s\n", home.c_str());
    std::fflush(stdout);
    // Files with names that are no text, in the home and in a temporary folder of a
    // test inside it, which Qt's own removal cannot remove.
    makeFile(home + "/" + oddName);
    QTemporaryDir inner(PelmoraTest::homeDir() + QStringLiteral("/inner-XXXXXX"));
    ASSERT_TRUE(inner.isValid());
    const std::string innerPath = QFile::encodeName(inner.path()).toStdString();
    ASSERT_EQ(::mkdir((innerPath + "/" + oddName + " folder").c_str(), 0700), 0);
    makeFile(innerPath + "/" + oddName + " folder/" + oddName);
    if (role == "killed") {
        std::printf("ready\n");
        std::fflush(stdout);
        ::pause();   // until killed
    }
}

TEST(TempFolders, ATestProgramLeavesNothingBehindWhateverItsFilesAreNamed)
{
    QTemporaryDir tmp(PelmoraTest::homeDir() + QStringLiteral("/tmp-XXXXXX"));
    ASSERT_TRUE(tmp.isValid());
    Child child(QStringLiteral("ends"), tmp.path());
    ASSERT_TRUE(child.process.waitForFinished(PelmoraTest::HangGuardMs));   // a guard against a hang only
    const QByteArray output = child.process.readAllStandardOutput();
    EXPECT_EQ(child.process.exitCode(), 0) << output.toStdString() << child.process.readAllStandardError().toStdString();
    // It had a home of its own, named for its process.
    const QString pid = QString::number(child.process.processId());
    EXPECT_TRUE(output.contains(QFile::encodeName(tmp.path() + "/pelmora-test-")) && !output.contains("home=\n"))
        << output.toStdString();
    EXPECT_EQ(namesIn(QFile::encodeName(tmp.path()).toStdString()), std::vector<std::string>{});
}

TEST(TempFolders, WhatAKilledRunLeftGoesWithTheNextRun)
{
    QTemporaryDir tmp(PelmoraTest::homeDir() + QStringLiteral("/tmp-XXXXXX"));
    ASSERT_TRUE(tmp.isValid());
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    {
        Child killed(QStringLiteral("killed"), tmp.path());
        ASSERT_TRUE(killed.process.waitForStarted());
        QByteArray output;
        while (!output.contains("ready\n") && killed.process.waitForReadyRead(120000))
            output += killed.process.readAllStandardOutput();
        ASSERT_TRUE(output.contains("ready\n")) << output.toStdString();
        const qint64 pid = killed.process.processId();
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        ASSERT_TRUE(killed.process.waitForFinished(PelmoraTest::HangGuardMs));
        // Killed, it could not remove its home.
        const std::vector<std::string> left = namesIn(folder);
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left.front().rfind("pelmora-test-" + std::to_string(pid) + "-", 0), 0u)
            << left.front();
    }
    Child next(QStringLiteral("ends"), tmp.path());
    ASSERT_TRUE(next.process.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(next.process.exitCode(), 0) << next.process.readAllStandardError().toStdString();
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{});
}

TEST(TempFolders, OnlyFoldersOfThisUsersEndedRunsAreCleared)
{
    QTemporaryDir tmp(PelmoraTest::homeDir() + QStringLiteral("/tmp-XXXXXX"));
    ASSERT_TRUE(tmp.isValid());
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    const std::string ended = std::to_string(endedPid());
    const std::string running = std::to_string(::getppid());
    const std::string self = std::to_string(::getpid());
    struct Case
    {
        std::string name;
        bool folder;
        bool cleared;
    };
    const std::vector<Case> cases = {
        {"pelmora-test-" + ended + "-aB3xYz", true, true},
        {"pelmora-fuzz-" + ended + "-Qw12Er", true, true},
        {"pelmora-test-" + running + "-aB3xYz", true, false},   // its run goes on
        {"pelmora-fuzz-" + self + "-aB3xYz", true, false},      // this very run's
        {"pelmora-test-aB3xYz", true, false},                   // names no process
        {"pelmora-test-" + ended, true, false},                 // not the form made here
        {"pelmora-test-" + ended + "x-aB3xYz", true, false},
        {"pelmora-other-" + ended + "-aB3xYz", true, false},    // another program's
        {"pelmora-test-" + ended + "-file", false, false},      // not a folder
    };
    // Another user's folder of an ended run (made so where this runs as root).
    const std::string othersName = "pelmora-test-" + ended + "-0thEr1";
    for (const Case& c : cases) {
        const std::string path = folder + "/" + c.name;
        if (c.folder) {
            ASSERT_EQ(::mkdir(path.c_str(), 0700), 0) << path;
            makeFile(path + "/" + oddName);
            ASSERT_EQ(::mkdir((path + "/locked").c_str(), 0700), 0);
            makeFile(path + "/locked/inside");
            ::chmod((path + "/locked").c_str(), 0500);
        } else {
            makeFile(path);
        }
    }
    // A folder of an ended run that a link points into from outside: the link goes, what
    // it points to stays.
    const std::string outside = folder + "/outside";
    ASSERT_EQ(::mkdir(outside.c_str(), 0700), 0);
    makeFile(outside + "/kept");
    ASSERT_EQ(::symlink(outside.c_str(), (folder + "/pelmora-test-" + ended + "-aB3xYz/link").c_str()), 0);
    const bool others = ::getuid() == 0;
    if (others) {
        ASSERT_EQ(::mkdir((folder + "/" + othersName).c_str(), 0700), 0);
        ASSERT_EQ(::chown((folder + "/" + othersName).c_str(), 65534, 65534), 0);
    }

    EXPECT_EQ(PelmoraTest::clearFoldersOfEndedRuns(folder), 2);
    for (const Case& c : cases)
        EXPECT_EQ(exists(folder + "/" + c.name), !c.cleared) << c.name;
    EXPECT_TRUE(exists(outside + "/kept"));
    if (others) {
        EXPECT_TRUE(exists(folder + "/" + othersName));
        EXPECT_TRUE(PelmoraTest::removeTree(folder + "/" + othersName));
    }
    for (const Case& c : cases) {
        if (exists(folder + "/" + c.name)) {
            EXPECT_TRUE(PelmoraTest::removeTree(folder + "/" + c.name)) << c.name;
        }
    }
    EXPECT_TRUE(PelmoraTest::removeTree(outside));
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{});
}
