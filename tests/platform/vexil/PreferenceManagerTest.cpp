#include <support/ConsoleCapture.h>
#include <support/LockHolder.h>
#include <support/NamedPipe.h>
#include <support/SmallDisk.h>
#include <vexil/PreferenceManager.h>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSettings>
#include <QTemporaryDir>

#include <iterator>
#include <limits>
#include <memory>
#include <vector>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <pwd.h>
#include <spawn.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using Vexil::PreferenceManager;

namespace {
struct PreferenceFixture : ::testing::Test
{
    QTemporaryDir dir;
    QString file() const { return dir.filePath("config/preferences.ini"); }
};
} // namespace

TEST_F(PreferenceFixture, DefaultsAndTypedValuesPersistAcrossManagers)
{
    {
        PreferenceManager pm(file());
        EXPECT_EQ(pm.getString(Vexil::PM_DEFAULT_FOLDER), "Undefined");
        pm.set(Vexil::PM_DEFAULT_FOLDER, QString::fromUtf8("/home/ü ser/a=b;c"), false);
        pm.set(Vexil::PM_SIGNIFICANT_DIGITS, -7, false);
        pm.set(Vexil::PM_COLOR_WARNING, 0x80fedcbau, false);
        pm.set(Vexil::PM_PICK_RADIUS, 0.1 + 0.2, false);
        pm.set(Vexil::PM_BETA_OPTIONS, true, false);
        pm.set(Vexil::PM_DISPLAY_LOG, false, false);
        pm.setBool("Toolbar", "Console", true);
    }
    PreferenceManager again(file());
    EXPECT_EQ(again.getString(Vexil::PM_DEFAULT_FOLDER), QString::fromUtf8("/home/ü ser/a=b;c"));
    EXPECT_EQ(again.getInt(Vexil::PM_SIGNIFICANT_DIGITS), -7);
    EXPECT_EQ(again.getUInt(Vexil::PM_COLOR_WARNING), 0x80fedcbau);
    EXPECT_EQ(again.getDouble(Vexil::PM_PICK_RADIUS), 0.1 + 0.2);
    EXPECT_TRUE(again.isOn(Vexil::PM_BETA_OPTIONS));
    EXPECT_FALSE(again.isOn(Vexil::PM_DISPLAY_LOG));
    EXPECT_TRUE(again.getBool("Toolbar", "Console", false));
    EXPECT_FALSE(again.getBool("Toolbar", "Other", false));
    EXPECT_TRUE(again.getBool("Toolbar", "Other", true));
    // Flags and settings do not collide.
    EXPECT_EQ(again.getString(Vexil::PM_UNIT_SYSTEM), "MKS");
}

TEST_F(PreferenceFixture, ReadsConvertAcrossTypes)
{
    PreferenceManager pm(file());
    pm.set(Vexil::PM_DISPLAY_ERRORS, true, false);
    EXPECT_EQ(pm.getInt(Vexil::PM_DISPLAY_ERRORS), 1);
    pm.set(Vexil::PM_DISPLAY_ERRORS, false, false);
    EXPECT_EQ(pm.getInt(Vexil::PM_DISPLAY_ERRORS), 0);
    pm.set(Vexil::PM_AUTO_SCROLL, true, false);
    {
        PreferenceManager reread(file());   // now coming back as text from the file
        EXPECT_EQ(reread.getInt(Vexil::PM_AUTO_SCROLL), 1);
        EXPECT_EQ(reread.getInt(Vexil::PM_DISPLAY_ERRORS), 0);
        EXPECT_FALSE(reread.isOn(Vexil::PM_DISPLAY_ERRORS));
    }
    pm.set(Vexil::PM_AXES_SIZE, QStringLiteral("42"), false);
    EXPECT_EQ(pm.getInt(Vexil::PM_AXES_SIZE), 42);
    pm.set(Vexil::PM_MAX_RANGE, 12.75, false);
    EXPECT_EQ(pm.getInt(Vexil::PM_MAX_RANGE), 12);
    pm.set(Vexil::PM_COLOR_LOG_MESSAGE, 0xff0000ffu, false);
    EXPECT_EQ(pm.getString(Vexil::PM_COLOR_LOG_MESSAGE), QString::number(0xff0000ffu));
    pm.set(Vexil::PM_SHOW_RULER, 1, false);
    EXPECT_TRUE(pm.isOn(Vexil::PM_SHOW_RULER));
}

TEST_F(PreferenceFixture, NotifyOnlyWhenAskedAndOnEveryCall)
{
    qRegisterMetaType<Vexil::PM_SETTING>();
    PreferenceManager pm(file());
    QSignalSpy spy(&pm, &PreferenceManager::optionChanged);
    pm.set(Vexil::PM_ANGLE_UNIT, "Radians", false);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(pm.getString(Vexil::PM_ANGLE_UNIT), "Radians");

    pm.set(Vexil::PM_UNIT_SYSTEM, "BFT", true);
    pm.set(Vexil::PM_UNIT_SYSTEM, "BFT", true);   // same value: still announced
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).value<Vexil::PM_SETTING>(), Vexil::PM_UNIT_SYSTEM);
    EXPECT_EQ(spy.at(1).at(0).value<Vexil::PM_SETTING>(), Vexil::PM_UNIT_SYSTEM);

    pm.set(Vexil::PM_SETTING(-1), 5, true);
    pm.set(Vexil::PM_SETTING_COUNT, "x", true);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(pm.getInt(Vexil::PM_SETTING(500)), 0);
    EXPECT_EQ(pm.getString(Vexil::PM_SETTING_COUNT), QString());
}

TEST_F(PreferenceFixture, ResetRestoresDefaultsSilentlyAndKeepsFlags)
{
    PreferenceManager pm(file());
    pm.set(Vexil::PM_UNIT_SYSTEM, "BIN", false);
    pm.setBool("G", "N", true);
    QSignalSpy spy(&pm, &PreferenceManager::optionChanged);
    pm.reset();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(pm.getString(Vexil::PM_UNIT_SYSTEM), "MKS");
    EXPECT_TRUE(pm.getBool("G", "N", false));
    PreferenceManager reread(file());
    EXPECT_EQ(reread.getString(Vexil::PM_UNIT_SYSTEM), "MKS");
}

TEST_F(PreferenceFixture, ShortcutsFileAndSampleCounts)
{
    PreferenceManager pm(file());
    std::string shortcuts;
    QSettings::Format format = QSettings::NativeFormat;
    pm.getFileAndType(shortcuts, format);
    EXPECT_EQ(format, QSettings::IniFormat);
    EXPECT_EQ(QFileInfo(QString::fromStdString(shortcuts)).absolutePath(), QFileInfo(file()).absolutePath());
    EXPECT_NE(QString::fromStdString(shortcuts), file());

    std::vector<int> samples;
    for (auto type : {Vexil::AA_NONE, Vexil::AA_AUTO, Vexil::AA_MSAA2X, Vexil::AA_MSAA4X, Vexil::AA_MSAA8X,
                      Vexil::AA_MSAA16X})
        samples.push_back(pm.getNumSamplesByType(type));
    EXPECT_EQ(samples, (std::vector<int>{0, 0, 2, 4, 8, 16}));
    // "Auto" is the largest count the graphics offers, as far as anyone can tell.
    PreferenceManager::setMultiSampleLimitQuery([] { return 32; });
    EXPECT_EQ(pm.getNumSamplesByType(Vexil::AA_AUTO), 32);
    PreferenceManager::setMultiSampleLimitQuery([] { return -1; });
    EXPECT_EQ(pm.getNumSamplesByType(Vexil::AA_AUTO), 0);
    PreferenceManager::setMultiSampleLimitQuery(nullptr);
}

TEST_F(PreferenceFixture, OutOfRangeNumbersInTheFileAreClamped)
{
    {
        QSettings raw(file(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/05"), QStringLiteral("1e300"));
        raw.setValue(QStringLiteral("Settings/21"), QStringLiteral("-1e300"));
        raw.setValue(QStringLiteral("Settings/06"), QStringLiteral("nan"));
        raw.setValue(QStringLiteral("Settings/15"), QStringLiteral("1e300"));
    }
    PreferenceManager pm(file());
    EXPECT_EQ(pm.getInt(Vexil::PM_SIGNIFICANT_DIGITS), std::numeric_limits<int>::max());
    EXPECT_EQ(pm.getInt(Vexil::PM_AXES_SIZE), std::numeric_limits<int>::min());
    EXPECT_EQ(pm.getInt(Vexil::PM_RECENT_FILES), 4); // unreadable: the default
    EXPECT_EQ(pm.getUInt(Vexil::PM_COLOR_NORMAL_MESSAGE), 0xffffffffu);
}

TEST_F(PreferenceFixture, NonFiniteNumbersAndUndecodableEntriesReadAsTheDefault)
{
    {
        QFile raw(file());
        QDir().mkpath(QFileInfo(file()).absolutePath());
        ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
        raw.write("[Settings]\n32=nan\n70=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x10)\n");
    }
    PreferenceManager pm(file());
    EXPECT_EQ(pm.getDouble(Vexil::PM_PICK_RADIUS), 5.0);
    EXPECT_TRUE(pm.isOn(Vexil::PM_STRESS_AND_STRAIN));
    pm.set(Vexil::PM_PICK_RADIUS, QStringLiteral("-inf"), false);
    EXPECT_EQ(pm.getDouble(Vexil::PM_PICK_RADIUS), 5.0);
    pm.set(Vexil::PM_PICK_RADIUS, 2.5, false);
    EXPECT_EQ(pm.getDouble(Vexil::PM_PICK_RADIUS), 2.5);
}

TEST_F(PreferenceFixture, LinesTheStoreCannotParseAreKeptInACopyBeforeTheFirstWrite)
{
    const QByteArray original("[Settings]\n03=de\na line the store cannot read\n05=9\n");
    QDir().mkpath(dir.filePath("config"));
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(original);
    }
    PelmoraTest::ConsoleCapture console;
    PreferenceManager pm(file());
    EXPECT_EQ(pm.getString(Vexil::PM_LANGUAGE), "de");
    EXPECT_FALSE(QFile::exists(file() + ".bak"));
    pm.set(Vexil::PM_SIGNIFICANT_DIGITS, 7, false);
    QFile copy(file() + ".bak");
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, ".bak"));
    pm.set(Vexil::PM_SIGNIFICANT_DIGITS, 8, false);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Warning, ".bak"), 1);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, ""), 0);

    PreferenceManager again(file());
    EXPECT_EQ(again.getInt(Vexil::PM_SIGNIFICANT_DIGITS), 8);
    EXPECT_EQ(again.getString(Vexil::PM_LANGUAGE), "de");
}

TEST_F(PreferenceFixture, FailedSaveIsReportedOnce)
{
    // A regular file where the folder should be: no write can succeed, not even as root.
    {
        QFile blocker(dir.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const QString path = dir.filePath("blocker/preferences.ini");
    PelmoraTest::ConsoleCapture console;
    PreferenceManager pm(path);
    pm.set(Vexil::PM_LANGUAGE, QStringLiteral("fr"), false);
    pm.setBool("Toolbar", "Console", true);
    EXPECT_EQ(pm.getString(Vexil::PM_LANGUAGE), "fr");
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, path.toStdString()), 1);
}

TEST_F(PreferenceFixture, FullDiskKeepsTheFileAndReportsTheFailure)
{
    PelmoraTest::SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const QString path = disk.filePath("preferences.ini");
    {
        PreferenceManager first(path);
        first.set(Vexil::PM_LANGUAGE, QStringLiteral("de"), false);
        first.set(Vexil::PM_SIGNIFICANT_DIGITS, 9, false);
    }
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray original = before.readAll();
    ASSERT_FALSE(original.isEmpty());
    disk.fill();

    PelmoraTest::ConsoleCapture console;
    PreferenceManager pm(path);
    QSignalSpy failed(&pm, &PreferenceManager::saveFailed);
    pm.set(Vexil::PM_LANGUAGE, QStringLiteral("fr"), false);
    pm.setBool("Toolbar", "Console", true);
    EXPECT_EQ(pm.getString(Vexil::PM_LANGUAGE), "fr");
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "No space left on device"));
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), original);

    disk.release();
    pm.set(Vexil::PM_SIGNIFICANT_DIGITS, 10, false);
    PreferenceManager again(path);
    EXPECT_EQ(again.getString(Vexil::PM_LANGUAGE), "fr");
    EXPECT_EQ(again.getInt(Vexil::PM_SIGNIFICANT_DIGITS), 10);
    EXPECT_TRUE(again.getBool("Toolbar", "Console", false));
}

TEST_F(PreferenceFixture, AWriteThatCannotTakeTheLockIsNotMadeAndSaysWhy)
{
    // A folder, or another user's link, where the lock belongs: a write made without the
    // lock could lose another window's; it waits, said, for a write that holds it.
    const QString path = file();
    {
        PreferenceManager first(path);
        first.set(Vexil::PM_LANGUAGE, QStringLiteral("de"), false);
    }
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray original = before.readAll();
    ASSERT_TRUE(QFile::remove(path + QStringLiteral(".lock")));
    ASSERT_TRUE(QDir().mkdir(path + QStringLiteral(".lock")));

    PelmoraTest::ConsoleCapture console;
    PreferenceManager pm(path);
    QSignalSpy failed(&pm, &PreferenceManager::saveFailed);
    pm.set(Vexil::PM_LANGUAGE, QStringLiteral("fr"), false);
    EXPECT_EQ(pm.getString(Vexil::PM_LANGUAGE), "fr");
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "lock file"));
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), original);

    ASSERT_TRUE(QDir().rmdir(path + QStringLiteral(".lock")));
    pm.set(Vexil::PM_SIGNIFICANT_DIGITS, 10, false);
    PreferenceManager again(path);
    EXPECT_EQ(again.getString(Vexil::PM_LANGUAGE), "fr");
    EXPECT_EQ(again.getInt(Vexil::PM_SIGNIFICANT_DIGITS), 10);
}

TEST_F(PreferenceFixture, NamedPipeInPlaceOfTheFileIsNeitherReadNorWritten)
{
    QDir().mkpath(QFileInfo(file()).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(file()).constData(), 0600), 0);
    PelmoraTest::ConsoleCapture console;
    PreferenceManager pm(file());   // must not wait for a writer
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "not a regular file"));
    EXPECT_EQ(pm.getString(Vexil::PM_UNIT_SYSTEM), "MKS");
    pm.set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("BFT"), false);
    EXPECT_EQ(pm.getString(Vexil::PM_UNIT_SYSTEM), "BFT");
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "Cannot save the preferences"), 1);
    EXPECT_FALSE(QFileInfo(file()).isFile());
}

TEST_F(PreferenceFixture, ChangesMadeMeanwhileByAnotherStoreAreKept)
{
    PreferenceManager first(file());
    PreferenceManager second(file());
    first.set(Vexil::PM_LANGUAGE, QStringLiteral("de"), false);
    second.set(Vexil::PM_SIGNIFICANT_DIGITS, 9, false);
    first.setBool("Toolbar", "Console", true);
    PreferenceManager again(file());
    EXPECT_EQ(again.getString(Vexil::PM_LANGUAGE), "de");
    EXPECT_EQ(again.getInt(Vexil::PM_SIGNIFICANT_DIGITS), 9);
    EXPECT_TRUE(again.getBool("Toolbar", "Console", false));
}

namespace {

// This test program started again as one of two writers of one preferences file: it
// stores its keys and ends before the tests start.
constexpr char writerVariable[] = "PELMORA_TEST_PREFERENCE_WRITER";   // "<side> <file>"
constexpr int keysPerWriter = 100;
// The writers start together: each waits until this descriptor reaches its end.
constexpr int startGate = 100;

QString writerKey(char side, int n)
{
    return QStringLiteral("%1%2").arg(QLatin1Char(side)).arg(n);
}

const bool writerChild = [] {
    const QByteArray role = qgetenv(writerVariable);
    if (role.size() < 3)
        return false;
    const char side = role[0];
    char c = 0;
    while (::read(startGate, &c, 1) > 0 || errno == EINTR) {
    }
    {
        PreferenceManager pm(QString::fromLocal8Bit(role.mid(2)));
        // Each key is written twice, the second time with its last value: a write lost in
        // the other's leaves a key missing or holding its older value.
        for (int n = 0; n < keysPerWriter; ++n) {
            pm.setBool(QStringLiteral("Writers"), writerKey(side, n), false);
            pm.setBool(QStringLiteral("Writers"), writerKey(side, n), true);
        }
    }
    std::_Exit(0);
}();

// Starts this test program again with `role` ("NAME=VALUE") added to its environment;
// -1 when it cannot.
pid_t spawnSelf(const QByteArray& role, const posix_spawn_file_actions_t* actions = nullptr)
{
    char self[PATH_MAX] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return -1;
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(const_cast<char*>(role.constData()));
    env.push_back(nullptr);
    char* argv[] = {self, nullptr};
    pid_t pid = 0;
    return ::posix_spawn(&pid, self, actions, nullptr, argv, env.data()) == 0 ? pid : -1;
}

} // namespace

TEST_F(PreferenceFixture, TwoProcessesWritingTheFileAtOnceKeepEachKeysLastValue)
{
    ASSERT_FALSE(writerChild);
    const QByteArray preferences = QFile::encodeName(file());
    QDir().mkpath(QFileInfo(file()).absolutePath());
    int gate[2];
    ASSERT_EQ(::pipe2(gate, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, gate[0], startGate);
    std::vector<pid_t> writers;
    for (const char side : {'a', 'b'}) {
        const pid_t pid = spawnSelf(QByteArray(writerVariable) + '=' + side + ' ' + preferences, &actions);
        ASSERT_GT(pid, 0);
        writers.push_back(pid);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(gate[0]);
    ::close(gate[1]);   // both go
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    PreferenceManager after(file());
    std::vector<std::string> lost;
    for (const char side : {'a', 'b'})
        for (int n = 0; n < keysPerWriter; ++n)
            if (!after.getBool(QStringLiteral("Writers"), writerKey(side, n), false))
                lost.push_back(writerKey(side, n).toStdString());
    EXPECT_EQ(lost, std::vector<std::string>{});
}

namespace {

// The lock rule: a write is made only under the lock beside the file; one that has not had
// it within the wait (a few tries) is not made, is said, and is made with the next write
// that has it; and no write undoes a value another window wrote after this one's change.
enum class LockState {
    Free,
    HeldBriefly,        // another program lets go while the write waits
    HeldThenReleased,   // ... after the write gave up, before the next
    HeldForEver,
    FolderPlanted,
    LinkPlanted,
    OthersUnopenable,   // root's 0600 lock, left by a start as root with the user's configuration
    // What is no regular file stands where the lock goes: a lock that cannot be taken.
    OwnReadOnlyFifo,    // the user's own 0444 FIFO
    OthersFifo,         // root's 0644 FIFO, which the user may read but not write
    WritableFifo,
    SocketPlanted,
    DevicePlanted,      // a character device (only root can make one)
};
// The lock states met by a user other than root, whose file access a root test takes on.
bool metByAUser(LockState lock)
{
    return lock == LockState::OthersUnopenable || lock == LockState::OwnReadOnlyFifo || lock == LockState::OthersFifo;
}
bool noFile(LockState lock)
{
    return lock >= LockState::OwnReadOnlyFifo;
}
enum class Writers { OneStore, TwoStores, TwoProcesses };
enum class Action { Pick, Reset, OpenDialog };

struct LockCell
{
    LockState lock;
    Writers writers;
    Action action;
    // What this window does last: another change, or the program ends.
    bool programEnds = false;
};

std::string cellName(const LockCell& c)
{
    static const char* locks[] = {"free", "held briefly", "held then released", "held for ever",
                                  "folder planted", "link planted", "root's 0600 lock", "the user's 0444 FIFO",
                                  "root's 0644 FIFO", "a writable FIFO", "a socket", "a device"};
    static const char* writers[] = {"one store", "two stores", "two processes"};
    static const char* actions[] = {"pick", "reset", "open dialog"};
    return std::string(locks[int(c.lock)]) + " / " + writers[int(c.writers)] + " / " + actions[int(c.action)] +
           (c.programEnds ? " / the program ends" : " / another change");
}

constexpr int lockRetries = 3;
constexpr int lockRetriesInARun = 1;
const Vexil::PM_SETTING folderIds[] = {Vexil::PM_DEFAULT_FOLDER, Vexil::PM_TEMP_FOLDER,
                                       Vexil::PM_REPORT_GENERATOR_FOLDER, Vexil::PM_EXECUTABLE_FOLDER,
                                       Vexil::PM_NGSOLVE_EXECUTABLE};

// This test program started again as the other window of a cell: "<fsuid> <id> <value> <file>";
// ends with 0 when its pick was written, 3 when not.
constexpr char pickVariable[] = "PELMORA_TEST_PREFERENCE_PICK";

// File access as another user for the calling thread (root's tests meeting a lock that
// only root may open); the real ids stay, so what the process starts is root's again.
class FileUser
{
public:
    explicit FileUser(uid_t uid)
    {
        if (uid == 0)
            return;
        const passwd* entry = ::getpwuid(uid);
        ::setfsgid(entry ? entry->pw_gid : uid);
        ::setfsuid(uid);
        active = true;
    }
    ~FileUser()
    {
        if (!active)
            return;
        ::setfsuid(0);
        ::setfsgid(0);
    }
    FileUser(const FileUser&) = delete;
    FileUser& operator=(const FileUser&) = delete;

private:
    bool active = false;
};

const bool pickChild = [] {
    const QList<QByteArray> role = qgetenv(pickVariable).split(' ');
    if (role.size() != 4)
        return false;
    const FileUser user(role[0].toUInt());
    PreferenceManager::setLockWait(0, 0, {});
    int status = 0;
    {
        PreferenceManager pm(QFile::decodeName(role[3]));
        QObject::connect(&pm, &PreferenceManager::saveFailed, [&] { status = 3; });
        pm.set(Vexil::PM_SETTING(role[1].toInt()), QString::fromUtf8(role[2]), false);
    }
    std::_Exit(status);
}();

// The test's own file access for the calling thread while it lives, inside a FileUser's.
class OwnFileAccess
{
public:
    OwnFileAccess()
        : uid(::setfsuid(uid_t(-1))), gid(::setfsgid(gid_t(-1)))
    {
        ::setfsuid(::geteuid());
        ::setfsgid(::getegid());
    }
    ~OwnFileAccess()
    {
        ::setfsuid(uid);
        ::setfsgid(gid);
    }
    OwnFileAccess(const OwnFileAccess&) = delete;
    OwnFileAccess& operator=(const OwnFileAccess&) = delete;

private:
    uid_t uid;
    gid_t gid;
};

int pickInAnotherProcess(uid_t user, Vexil::PM_SETTING id, const QString& value, const QString& file)
{
    // Started with the test's own access, which can reach the test program wherever the
    // checkout lies; the other process takes on the user's itself.
    const OwnFileAccess own;
    const pid_t pid = spawnSelf(QByteArray(pickVariable) + '=' + QByteArray::number(user) + ' ' +
                                QByteArray::number(int(id)) + ' ' + value.toUtf8() + ' ' + QFile::encodeName(file));
    if (pid <= 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QByteArray contentOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

uid_t unprivilegedUser()
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

// Plants at `path` what is no regular file; false when it cannot be made here.
bool plantSpecialFile(LockState lock, const QString& path, uid_t user, std::unique_ptr<PelmoraTest::NamedPipe>& fifo)
{
    const QByteArray name = QFile::encodeName(path);
    QFile::remove(path);
    switch (lock) {
    case LockState::OwnReadOnlyFifo:
    case LockState::OthersFifo:
    case LockState::WritableFifo:
        fifo = std::make_unique<PelmoraTest::NamedPipe>(path);
        return fifo->created()
               && ::chmod(name.constData(), lock == LockState::OwnReadOnlyFifo ? 0444 : 0644) == 0
               && (lock != LockState::OwnReadOnlyFifo || ::chown(name.constData(), user, user) == 0);
    case LockState::SocketPlanted: {
        // Bound by its name in its folder, which may be longer than a socket's address.
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int here = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray base = QFile::encodeName(QFileInfo(path).fileName());
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", base.constData());
        const bool bound = socket >= 0 && here >= 0
                           && ::chdir(QFile::encodeName(QFileInfo(path).absolutePath()).constData()) == 0
                           && ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (here >= 0) {
            (void)::fchdir(here);
            ::close(here);
        }
        if (socket >= 0)
            ::close(socket);   // the socket file stays
        return bound;
    }
    case LockState::DevicePlanted:
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;   // as /dev/null
    default:
        return false;
    }
}

// Runs one cell in `folder`, as `user` for the store's own file access; says what went
// wrong, nothing when all held.
std::string runLockCell(const LockCell& c, const QString& folder, uid_t user)
{
    std::string wrong;
    const auto check = [&wrong](bool ok, const std::string& what) {
        if (!ok)
            wrong += what + "; ";
    };
    const QString file = QDir(folder).filePath(QStringLiteral("preferences.ini"));
    const QString lockFile = file + QStringLiteral(".lock");
    {
        // As root would with this user's configuration: its lock stays behind as root's.
        PreferenceManager seed(file);
        seed.set(Vexil::PM_LANGUAGE, QStringLiteral("de"), false);
        seed.set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("CMGS"), false);
    }
    if (!metByAUser(c.lock))
        user = 0;
    else if (::chown(QFile::encodeName(folder).constData(), user, user) != 0
             || ::chmod(QFile::encodeName(file).constData(), 0644) != 0)
        return "cannot give the folder to the user";
    std::unique_ptr<PelmoraTest::LockHolder> holder;
    std::unique_ptr<PelmoraTest::NamedPipe> fifo;
    if (noFile(c.lock) && !plantSpecialFile(c.lock, lockFile, user, fifo))
        return "cannot plant " + cellName(c);
    switch (c.lock) {
    case LockState::HeldBriefly:
    case LockState::HeldThenReleased:
    case LockState::HeldForEver:
        holder = std::make_unique<PelmoraTest::LockHolder>(lockFile);
        if (!holder->holding())
            return "the other program did not take the lock";
        break;
    case LockState::FolderPlanted:
        QFile::remove(lockFile);
        QDir().mkdir(lockFile);
        break;
    case LockState::LinkPlanted:
        QFile::remove(lockFile);
        QFile::link(QDir(folder).filePath(QStringLiteral("elsewhere")), lockFile);
        break;
    default:
        break;
    }
    int pauses = 0;
    PreferenceManager::setLockWait(lockRetries, lockRetriesInARun, [&] {
        ++pauses;
        if (c.lock == LockState::HeldBriefly)
            holder->release();
    });

    const FileUser as(user);
    PelmoraTest::ConsoleCapture console;
    std::optional<PreferenceManager> a(std::in_place, file);
    std::unique_ptr<PreferenceManager> b;
    if (c.writers == Writers::TwoStores)
        b = std::make_unique<PreferenceManager>(file);
    QSignalSpy aFailed(&*a, &PreferenceManager::saveFailed);

    // 1. This window's change.
    const QByteArray before = contentOf(file);
    const Vexil::PM_SETTING contested = c.action == Action::OpenDialog ? Vexil::PM_TEMP_FOLDER : Vexil::PM_UNIT_SYSTEM;
    const QString mine = c.action == Action::Pick ? QStringLiteral("MMKS")
                         : c.action == Action::Reset ? QStringLiteral("MKS") : QStringLiteral("/a/1");
    const QString theirs = c.action == Action::OpenDialog ? QStringLiteral("/b/1") : QStringLiteral("UMKS");
    const auto change = [&] {
        switch (c.action) {
        case Action::Pick:
            a->set(Vexil::PM_UNIT_SYSTEM, mine, false);
            break;
        case Action::Reset:
            a->reset();
            break;
        case Action::OpenDialog:
            for (const auto id : folderIds)
                a->set(id, QStringLiteral("/a/%1").arg(int(id)), false);
            break;
        }
    };
    // A write that waits for the other end of a FIFO is let go, and the cell fails.
    if (fifo)
        check(fifo->runsWithoutWaiting(change), "a write waited for a writer of the FIFO");
    else
        change();
    const bool heldAtFirst = c.lock == LockState::HeldThenReleased || c.lock == LockState::HeldForEver;
    const bool blocked = heldAtFirst || c.lock == LockState::FolderPlanted || c.lock == LockState::LinkPlanted
                         || noFile(c.lock);
    // The whole wait once for a run of writes, then a short one for each further write.
    const int writes = c.action == Action::OpenDialog ? int(std::size(folderIds)) : 1;
    const int expectedPauses = heldAtFirst ? lockRetries + (writes - 1) * lockRetriesInARun
                               : c.lock == LockState::HeldBriefly ? 1 : 0;
    check(pauses == expectedPauses, "waited " + std::to_string(pauses) + " pauses, not " + std::to_string(expectedPauses));
    check(a->getString(contested) == mine, "the change is not in effect in its window");
    if (blocked) {
        check(contentOf(file) == before, "written without the lock");
        check(aFailed.count() == 1, "the failed write said " + std::to_string(aFailed.count()) + " times");
        check(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "lock file"), "no reason in the Output");
    } else {
        check(aFailed.isEmpty(), "a write that had the lock failed");
        check(PreferenceManager(file).getString(contested) == mine, "the change was not written");
    }

    // 2. The lock comes free (or not), 3. another window picks the same setting later.
    if (c.lock == LockState::HeldThenReleased)
        holder->release();
    else if (c.lock == LockState::FolderPlanted)
        QDir().rmdir(lockFile);
    else if (c.lock == LockState::LinkPlanted || noFile(c.lock))
        QFile::remove(lockFile);
    fifo.reset();
    bool theirsWritten = false;
    if (c.writers == Writers::TwoStores) {
        QSignalSpy bFailed(b.get(), &PreferenceManager::saveFailed);
        b->set(contested, theirs, false);
        theirsWritten = bFailed.isEmpty();
    } else if (c.writers == Writers::TwoProcesses) {
        const int status = pickInAnotherProcess(user, contested, theirs, file);
        check(status == 0 || status == 3, "the other process ended with " + std::to_string(status));
        theirsWritten = status == 0;
    }
    check(theirsWritten == (c.writers != Writers::OneStore && c.lock != LockState::HeldForEver),
          "the other window's write was made or not made wrongly");

    // 4. This window's next write, or the program ends: what is not written yet is tried
    // once more then, with the whole wait.
    const int pausesBefore = pauses;
    if (c.programEnds) {
        a.reset();
        check(pauses == pausesBefore + (c.lock == LockState::HeldForEver ? lockRetries : 0),
              "waited " + std::to_string(pauses - pausesBefore) + " pauses at the end");
        const PreferenceManager after(file);
        check(c.lock == LockState::HeldForEver ? contentOf(file) == before
                                               : after.getString(contested) == (theirsWritten ? theirs : mine),
              "at the end the contested setting holds '" + after.getString(contested).toStdString() + "'");
        PreferenceManager::setLockWait(300, 4, {});
        if (holder)
            holder->release();
        if (!wrong.empty())
            for (const auto& line : console.lines())
                wrong += "said: " + line.text;
        return wrong;
    }
    a->set(Vexil::PM_SIGNIFICANT_DIGITS, 9, false);
    if (c.lock == LockState::HeldForEver) {
        check(pauses == pausesBefore + lockRetriesInARun, "waited the whole wait again within a run of failed writes");
        check(contentOf(file) == before, "written without the lock");
        check(aFailed.count() == 1, "said again within a run of failed writes");
        holder->release();
        a->set(Vexil::PM_SIGNIFICANT_DIGITS, 9, false);
    }

    // Each setting keeps the value last picked in any window, in the file and in this window.
    const PreferenceManager after(file);
    check(after.getString(contested) == (theirsWritten ? theirs : mine),
          "the contested setting holds '" + after.getString(contested).toStdString() + "'");
    check(a->getString(contested) == after.getString(contested), "this window shows another value than the file");
    check(after.getInt(Vexil::PM_SIGNIFICANT_DIGITS) == 9, "the next write was not made");
    check(after.getString(Vexil::PM_LANGUAGE) == (c.action == Action::Reset ? "en" : "de"),
          "the reset was lost or made where none was asked for");
    if (c.action == Action::OpenDialog)
        for (const auto id : folderIds)
            if (id != contested)
                check(after.getString(id) == QStringLiteral("/a/%1").arg(int(id)), "a folder was not written");
    PreferenceManager::setLockWait(300, 4, {});
    if (!wrong.empty())
        for (const auto& line : console.lines())
            wrong += "said: " + line.text;
    return wrong;
}

} // namespace

TEST(PreferenceLockRule, EveryLockStateWriterAndActionKeepsTheRule)
{
    ASSERT_FALSE(pickChild);
    const uid_t user = ::geteuid() == 0 ? unprivilegedUser() : ::geteuid();
    // Root's lock is met only by a user who cannot open it: one whose file access this
    // thread can take on.
    bool actsAsUser = false;
    if (::geteuid() == 0) {
        QTemporaryDir probe;
        const QByteArray rootsFile = QFile::encodeName(probe.filePath(QStringLiteral("root's")));
        const int fd = ::open(rootsFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
        const FileUser as(user);
        const int again = ::open(rootsFile.constData(), O_RDWR | O_CLOEXEC);
        actsAsUser = again < 0 && errno == EACCES;
        if (again >= 0)
            ::close(again);
    }
    if (!actsAsUser)
        std::printf("[ SKIPPED  ] the cells of root's lock and FIFO: no user whose file access this test can take on\n");
    // Only root makes a device.
    bool makesDevices = false;
    {
        QTemporaryDir probe;
        const QByteArray device = QFile::encodeName(probe.filePath(QStringLiteral("device")));
        makesDevices = ::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
        ::unlink(device.constData());
    }
    if (!makesDevices)
        std::printf("[ SKIPPED  ] the cells of a device: this test cannot make one\n");
    for (const auto lock : {LockState::Free, LockState::HeldBriefly, LockState::HeldThenReleased,
                            LockState::HeldForEver, LockState::FolderPlanted, LockState::LinkPlanted,
                            LockState::OthersUnopenable, LockState::OwnReadOnlyFifo, LockState::OthersFifo,
                            LockState::WritableFifo, LockState::SocketPlanted, LockState::DevicePlanted}) {
        for (const auto writers : {Writers::OneStore, Writers::TwoStores, Writers::TwoProcesses}) {
            for (const auto& [action, programEnds] : {std::pair{Action::Pick, false}, std::pair{Action::Reset, false},
                                                     std::pair{Action::OpenDialog, false}, std::pair{Action::Pick, true}}) {
                const LockCell cell{lock, writers, action, programEnds};
                // The user's own FIFO needs no other user where the test is not root's.
                const bool switchesUser = metByAUser(lock) && (lock != LockState::OwnReadOnlyFifo || ::geteuid() == 0);
                if ((switchesUser && !actsAsUser) || (lock == LockState::OthersFifo && ::geteuid() != 0)
                    || (lock == LockState::DevicePlanted && !makesDevices))
                    continue;
                // The test's own temporary folder is root's alone: the user's cell is in one it reaches.
                QTemporaryDir dir(switchesUser ? QStringLiteral("/tmp/pelmora-prefs-XXXXXX") : QString());
                ASSERT_TRUE(dir.isValid());
                ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
                const QString folder = dir.filePath(QStringLiteral("config"));
                ASSERT_TRUE(QDir().mkpath(folder));
                EXPECT_EQ(runLockCell(cell, folder, user), "") << cellName(cell);
            }
        }
    }
}
