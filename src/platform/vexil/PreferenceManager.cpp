#include "PreferenceManager.h"

#include "AtomicSave.h"
#include "IniFile.h"
#include "MsgConsole.h"
#include "PrintableText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMetaType>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Vexil {

namespace {

using T = SettingType;

struct SettingInfo
{
    SettingType type;
    bool notifies;
    QVariant defaultValue;
};

QVariant u(unsigned int v) { return QVariant(v); }

// The catalogue: one row per id, in id order.
const SettingInfo& info(PM_SETTING id)
{
    static const SettingInfo table[PM_SETTING_COUNT] = {
        {T::Text, false, QStringLiteral("Undefined")},   // 0 default folder
        {T::Text, false, QStringLiteral("Undefined")},   // 1 temporary folder
        {T::Int, false, 6},                              // 2 compression level
        {T::Text, false, QStringLiteral("en")},          // 3 language
        {T::Int, false, 0},                              // 4 logo
        {T::Int, false, 6},                              // 5 significant digits
        {T::Int, false, 4},                              // 6 recent files
        {T::Bool, false, false},                         // 7 beta options
        {T::Text, true, QStringLiteral("MKS")},          // 8 unit system
        {T::Text, true, QStringLiteral("rad/s")},        // 9 angular velocity unit
        {T::Text, true, QStringLiteral("Degrees")},      // 10 angle unit
        {T::Text, true, QStringLiteral("Celsius")},      // 11 temperature unit
        {T::Bool, true, true},                           // 12 display log
        {T::Bool, true, true},                           // 13 display warnings
        {T::Bool, true, true},                           // 14 display errors
        {T::UInt, true, u(0xff000000u)},                 // 15 normal message colour
        {T::UInt, true, u(0xff0000ffu)},                 // 16 log colour
        {T::UInt, true, u(0xffffaa00u)},                 // 17 warning colour
        {T::UInt, true, u(0xffff0000u)},                 // 18 error colour
        {T::Bool, true, true},                           // 19 auto scroll
        {T::Bool, true, true},                           // 20 show axes
        {T::Int, true, 20},                              // 21 axes size
        {T::Bool, true, true},                           // 22 show logo
        {T::UInt, true, u(0xff1414a3u)},                 // 23 logo colour
        {T::UInt, true, u(0xff1414a3u)},                 // 24 ruler colour
        {T::Bool, true, true},                           // 25 show ruler
        {T::Int, true, int(AA_MSAA2X)},                  // 26 anti-aliasing
        {T::Int, false, 1},                              // 27 camera type
        {T::Bool, false, true},                          // 28 preselection
        {T::UInt, false, u(0xffe1e114u)},                // 29 preselection colour
        {T::Bool, false, true},                          // 30 selection
        {T::UInt, false, u(0xff1cad1cu)},                // 31 selection colour
        {T::Double, false, 5.0},                         // 32 pick radius
        {T::Int, true, 1},                               // 33 background mode
        {T::UInt, true, u(0xff1414a3u)},                 // 34 background colour
        {T::UInt, true, u(0xff333365u)},                 // 35 gradient start
        {T::UInt, true, u(0xff9797aau)},                 // 36 gradient end
        {T::UInt, true, u(0xff6b6b8au)},                 // 37 gradient middle
        {T::Bool, true, false},                          // 38 use middle colour
        {T::Int, false, 0},                              // 39 contact type
        {T::Int, false, 0},                              // 40 contact behaviour
        {T::Int, false, 0},                              // 41 contact formulation
        {T::Int, false, 20},                             // 42 convergence target change
        {T::Int, false, 0},                              // 43 convergence allowable change
        {T::Int, false, 6},                              // 44 max modes
        {T::Bool, false, false},                         // 45 limit search to range
        {T::Int, false, 0},                              // 46 min range
        {T::Int, false, 1000},                           // 47 max range
        {T::Int, false, 32},                             // 48 cyclic phase steps
        {T::Int, false, 10},                             // 49 max annotations
        {T::Bool, false, true},                          // 50 show min annotation
        {T::Bool, false, true},                          // 51 show max annotation
        {T::Int, false, 0},                              // 52 contour option
        {T::Int, false, 0},                              // 53 flat contour tolerance
        {T::Int, false, 0},                              // 54 edge option
        {T::Int, false, 0},                              // 55 mesh visibility
        {T::Bool, false, false},                         // 56 save before solution
        {T::Bool, false, false},                         // 57 save after solution
        {T::Int, false, 600},                            // 58 chart width
        {T::Int, false, 400},                            // 59 chart height
        {T::Int, false, 800},                            // 60 graphics width
        {T::Int, false, 600},                            // 61 graphics height
        {T::Int, false, 0},                              // 62 graphics resolution
        {T::Int, false, 10},                             // 63 max table columns
        {T::Bool, false, true},                          // 64 include figures
        {T::Text, false, QStringLiteral("Undefined")},   // 65 report generator folder
        {T::Int, false, 0},                              // 66 input file format
        {T::Int, false, 0},                              // 67 solver type
        {T::Text, false, QStringLiteral("Undefined")},   // 68 executable folder
        {T::Text, false, QStringLiteral("Undefined")},   // 69 NGSolve executable
        {T::Bool, false, true},                          // 70 stress and strain
        {T::Bool, false, false},                         // 71 nodal forces
        {T::Bool, false, true},                          // 72 calculate reactions
    };
    return table[id];
}

QString keyOf(PM_SETTING id)
{
    return QStringLiteral("Settings/%1").arg(int(id), 2, 10, QLatin1Char('0'));
}

bool isBoolText(const QString& s, bool* value)
{
    const QString t = s.trimmed().toLower();
    if (t == QLatin1String("true")) {
        *value = true;
        return true;
    }
    if (t == QLatin1String("false")) {
        *value = false;
        return true;
    }
    return false;
}

// Values come back from the INI file as text; stored under another type they are
// converted the way a reader would expect (booleans as 0/1, numbers from their text).
bool toNumber(const QVariant& v, double* out)
{
    if (v.userType() == QMetaType::Bool) {
        *out = v.toBool() ? 1.0 : 0.0;
        return true;
    }
    if (v.userType() == QMetaType::QString) {
        const QString s = v.toString();
        bool b = false;
        if (isBoolText(s, &b)) {
            *out = b ? 1.0 : 0.0;
            return true;
        }
        bool ok = false;
        *out = s.trimmed().toDouble(&ok);   // C locale
        return ok;
    }
    bool ok = false;
    *out = v.toDouble(&ok);
    return ok;
}

// A number read from the file may be anything; out-of-range values are clamped rather
// than converted with undefined results, and a NaN counts as unreadable.
template <typename Int>
bool toIntegral(double n, Int* out)
{
    if (std::isnan(n))
        return false;
    const double lo = double(std::numeric_limits<Int>::min());
    const double hi = double(std::numeric_limits<Int>::max());
    *out = n <= lo ? std::numeric_limits<Int>::min()
                   : n >= hi ? std::numeric_limits<Int>::max() : static_cast<Int>(n);
    return true;
}

void registerTypes()
{
    static const bool done = [] {
        qRegisterMetaType<Vexil::PM_SETTING>("Vexil::PM_SETTING");
        qRegisterMetaType<Vexil::PM_SETTING>("PM_SETTING");
        return true;
    }();
    (void)done;
}

// How long a write waits for the lock beside the file: tries 5 ms apart for a second and a
// half, so that a window whose write finds it held by another program (a backup, a stopped
// instance) answers again within that time, while the few milliseconds another window
// holds it for its own write are waited out.  After a write gave up, the next ones (opening
// the preferences makes a dozen) wait 20 ms each, until one has the lock again: what they
// change is kept, and the failure was said already.
struct LockWait
{
    int retries = 300;
    int retriesInARun = 4;
    std::function<void()> pause;   // empty: 5 ms
};

std::mutex& lockWaitMutex()
{
    static std::mutex mutex;
    return mutex;
}

LockWait& lockWait()
{
    static LockWait wait;
    return wait;
}

LockWait currentLockWait()
{
    std::lock_guard<std::mutex> lock(lockWaitMutex());
    return lockWait();
}

// Takes an exclusive lock on `fd`, trying `retries` more times after the first with a
// pause between; false with errno set when it is not had.
bool takeLock(int fd, int retries, const LockWait& wait)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || retries-- <= 0)
            return false;
        if (wait.pause)
            wait.pause();
        else
            ::usleep(5000);
        errno = EWOULDBLOCK;
    }
}

// Opens the lock at `path`, made if missing.  A lock needs no write access: one that
// another user made and this one cannot open to write (left by a start as root with this
// user's configuration) is opened to read, and one this user cannot open at all is made
// anew in its place, under a lock on the folder so that two windows meeting it do not each
// put their own there.  Only a regular file is a lock: whatever else stands there (a FIFO,
// a socket, a device) is opened without waiting for a peer and refused.  -1 with errno
// set when none can be had, NotALockFile for what is no regular file.
constexpr int NotALockFile = -2;

bool isSpecialFile(mode_t mode)
{
    return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode);
}

int openLockFile(const char* path, int flags)
{
    // O_NONBLOCK: opening a FIFO waits for its other end otherwise, and a device may wait
    // for its line; it changes nothing for a regular file's lock.
    const int fd = ::open(path, flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat entry;
    if (fd < 0) {
        // A socket, or a device without its driver, cannot be opened at all.
        const int error = errno;
        if (::lstat(path, &entry) == 0 && isSpecialFile(entry.st_mode))
            return NotALockFile;
        errno = error;
        return fd;
    }
    if (::fstat(fd, &entry) == 0 && S_ISREG(entry.st_mode))
        return fd;
    ::close(fd);
    return NotALockFile;
}

int openLock(const QByteArray& path, const LockWait& wait)
{
    int fd = openLockFile(path.constData(), O_RDWR | O_CREAT);
    if (fd != -1 || errno != EACCES)
        return fd;
    fd = openLockFile(path.constData(), O_RDONLY);
    struct stat entry;
    if (fd != -1 || errno != EACCES || ::lstat(path.constData(), &entry) != 0 || !S_ISREG(entry.st_mode)) {
        if (fd == -1)
            errno = EACCES;
        return fd;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        errno = EACCES;
        return -1;
    }
    if (takeLock(folderFd, wait.retries, wait)) {
        // Another window may have made it anew meanwhile.
        fd = openLockFile(path.constData(), O_RDWR | O_CREAT);
        if (fd == -1 && errno == EACCES && ::unlink(path.constData()) == 0)
            fd = openLockFile(path.constData(), O_RDWR | O_CREAT);
    }
    ::close(folderFd);   // and with it the folder's lock
    if (fd == -1)
        errno = EACCES;
    return fd;
}

// Holds the lock beside a preferences file while it lives: every store of the file (in
// this process or another) re-reads, changes and replaces it under this lock, so that no
// write is made on top of a reading another write has overtaken.  A folder where the lock
// cannot be made is one where the file cannot be replaced either: the save says why.  A
// lock another program holds is waited for only a short while (shorter still when not
// `patient`), so that the window stays answering.
class FileLock
{
public:
    FileLock(const QString& fileName, bool patient)
    {
        const LockWait wait = currentLockWait();
        const QByteArray path = QFile::encodeName(fileName + QStringLiteral(".lock"));
        const std::string shown = "its lock file '" + printableText(path.toStdString()) + "'";
        fd = openLock(path, wait);
        if (fd == NotALockFile) {
            why = shown + " is not a regular file";
            fd = -1;
            return;
        }
        if (fd < 0) {
            why = shown + " cannot be opened: " + std::strerror(errno);
            return;
        }
        if (!takeLock(fd, patient ? wait.retries : wait.retriesInARun, wait)) {
            busy = errno == EWOULDBLOCK;
            why = busy ? shown + " is held by another program" : shown + " cannot be locked: " + std::strerror(errno);
            ::close(fd);
            fd = -1;
        }
    }
    // Whether the lock is held; when not, why not, and whether another holds it.
    bool held() const { return fd >= 0; }
    bool heldByAnother() const { return busy; }
    const std::string& failure() const { return why; }
    ~FileLock()
    {
        if (fd >= 0)
            ::close(fd);   // and with it the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd = -1;
    bool busy = false;
    std::string why;
};

// A change of one entry: a new value, or its removal.
struct Edit
{
    QVariant value;
    bool remove = false;
};
using Edits = QMap<QString, Edit>;

void apply(QVariantMap& values, const QString& key, const Edit& edit)
{
    if (edit.remove)
        values.remove(key);
    else
        values.insert(key, edit.value);
}

// A change not written yet, with what the file held for its entry when the change was
// made.  A file that holds something else for it by the time the change can be written
// had it written by another window after this change was made: that later value stands.
struct Pending
{
    Edit edit;
    bool wasAbsent = true;
    QVariant was;

    bool stillHolds(const QVariantMap& onDisk, const QString& key) const
    {
        const auto it = onDisk.constFind(key);
        return it == onDisk.constEnd() ? wasAbsent : !wasAbsent && *it == was;
    }
};

} // namespace

struct PreferenceManager::Private
{
    PreferenceManager* q = nullptr;
    QString fileName;
    QVariantMap values;
    // Changes not written yet, by entry: each is made on top of a later write that holds
    // the lock, unless another window wrote its entry after it was made.
    QMap<QString, Pending> pending;
    // The last write found the lock held by another program for the whole wait: until one
    // takes it, writes wait only briefly, so that the window waits once, not at every change.
    bool lockHeldElsewhere = false;
    // A file that is no regular file or cannot be opened is never written over.
    bool unreadable = false;
    // Lines that could not be read are dropped when the file is rewritten: the original
    // is copied aside before the first write.
    bool backupNeeded = false;
    bool saveFailureReported = false;

    void read();
    // Re-reads the file, makes the edits `editsOf` gives for what it holds, and replaces
    // it, all under the lock beside it.
    void write(const std::function<Edits(const QVariantMap&)>& editsOf);
    void keep(const Edits& edits, const QVariantMap& onDisk);
    void beforeWrite();
    bool save();
    void reportSaveFailure(const std::string& reason);
};

void PreferenceManager::Private::read()
{
    switch (readIniFile(fileName, values)) {
    case IniReadStatus::Ok:
        break;
    case IniReadStatus::FormatError:
        backupNeeded = true;
        break;
    case IniReadStatus::NotReadable:
        unreadable = true;
        MsgConsoleSingleton::Instance().Warning(
            "Preference file '%s' is not a regular file or cannot be read; the defaults are used and "
            "changes are not saved to it\n",
            printableText(QFile::encodeName(fileName).toStdString()).c_str());
        break;
    }
}

void PreferenceManager::Private::write(const std::function<Edits(const QVariantMap&)>& editsOf)
{
    const FileLock lock(fileName, !lockHeldElsewhere);
    if (!lock.held()) {
        lockHeldElsewhere = lock.heldByAnother();
        // Written without the lock, another window's write could be lost: not written, and
        // made on top of a later write that holds it.  What the file holds now is noted
        // with each change; it is only ever replaced whole, so it reads without the lock.
        QVariantMap onDisk;
        if (unreadable || readIniFile(fileName, onDisk) == IniReadStatus::NotReadable)
            onDisk = values;
        Edits edits = editsOf(values);
        const Edits onDiskEdits = editsOf(onDisk);
        for (auto it = onDiskEdits.cbegin(); it != onDiskEdits.cend(); ++it)
            edits.insert(it.key(), it.value());
        keep(edits, onDisk);
        for (auto it = edits.cbegin(); it != edits.cend(); ++it)
            apply(values, it.key(), it.value());
        reportSaveFailure(lock.failure());
        return;
    }
    lockHeldElsewhere = false;
    beforeWrite();
    const QVariantMap onDisk = values;
    // Only the entries this store changed are made over what the file holds, and of those
    // only the ones no other window has written since.
    for (auto it = pending.begin(); it != pending.end();) {
        if (it->stillHolds(onDisk, it.key())) {
            apply(values, it.key(), it->edit);
            ++it;
        } else {
            it = pending.erase(it);
        }
    }
    const Edits edits = editsOf(values);
    for (auto it = edits.cbegin(); it != edits.cend(); ++it)
        apply(values, it.key(), it.value());
    if (save())
        pending.clear();
    else
        keep(edits, onDisk);
}

void PreferenceManager::Private::keep(const Edits& edits, const QVariantMap& onDisk)
{
    for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
        const auto there = onDisk.constFind(it.key());
        Pending& change = pending[it.key()];
        change.edit = it.value();
        change.wasAbsent = there == onDisk.constEnd();
        change.was = change.wasAbsent ? QVariant() : *there;
    }
}

void PreferenceManager::Private::beforeWrite()
{
    // Each change is written at once; what the file holds now (another window's changes
    // too) is read first so that the change is made on top of it, not over it.
    if (!unreadable)
        read();
    if (!backupNeeded)
        return;
    backupNeeded = false;
    const QString backup = fileName + QStringLiteral(".bak");
    QFile original(fileName);
    std::string error;
    const bool opened = original.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? original.readAll() : QByteArray();
    if (!opened || original.error() != QFileDevice::NoError
        || !saveFileAtomically(QFile::encodeName(backup).toStdString(),
                               std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), error)) {
        MsgConsoleSingleton::Instance().Error("Cannot keep a copy of the preference file '%s' as '%s'\n",
                                              printableText(QFile::encodeName(fileName).toStdString()).c_str(),
                                              printableText(QFile::encodeName(backup).toStdString()).c_str());
        return;
    }
    MsgConsoleSingleton::Instance().Warning(
        "Preference file '%s' has lines that cannot be read; the original is kept as '%s'\n",
        printableText(QFile::encodeName(fileName).toStdString()).c_str(),
        printableText(QFile::encodeName(backup).toStdString()).c_str());
}

bool PreferenceManager::Private::save()
{
    if (unreadable) {
        reportSaveFailure("the file on disk could not be read and is left untouched");
        return false;
    }
    std::string error;
    if (!saveIniFile(fileName, values, error)) {
        reportSaveFailure(error);
        return false;
    }
    saveFailureReported = false;
    return true;
}

void PreferenceManager::Private::reportSaveFailure(const std::string& reason)
{
    if (saveFailureReported)
        return;
    saveFailureReported = true;
    MsgConsoleSingleton::Instance().Error("Cannot save the preferences to '%s': %s; the change is kept and saved "
                                          "with the next change that can be saved\n",
                                          printableText(QFile::encodeName(fileName).toStdString()).c_str(),
                                          reason.c_str());
    Q_EMIT q->saveFailed(fileName);
}

PreferenceManager::PreferenceManager(const QString& fileName, QObject* parent)
    : QObject(parent), d(new Private)
{
    registerTypes();
    d->q = this;
    d->fileName = fileName;
    const QFileInfo fi(fileName);
    QDir().mkpath(fi.absolutePath());
    d->read();
}

PreferenceManager::~PreferenceManager()
{
    // A change that no later change has written yet gets one more try, with the whole wait.
    if (d->pending.isEmpty())
        return;
    d->lockHeldElsewhere = false;
    d->write([](const QVariantMap&) { return Edits(); });
}

SettingType PreferenceManager::typeOf(PM_SETTING id)
{
    return isValid(id) ? info(id).type : SettingType::Text;
}

bool PreferenceManager::notifies(PM_SETTING id)
{
    return isValid(id) && info(id).notifies;
}

QVariant PreferenceManager::value(PM_SETTING id) const
{
    if (!isValid(id))
        return QVariant();
    return d->values.value(keyOf(id), info(id).defaultValue);
}

QString PreferenceManager::getString(PM_SETTING id) const
{
    const QVariant v = value(id);
    if (v.userType() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}

int PreferenceManager::getInt(PM_SETTING id) const
{
    double n = 0;
    int result = 0;
    if (toNumber(value(id), &n) && toIntegral(n, &result))
        return result;
    double fallback = 0;
    return isValid(id) && toNumber(info(id).defaultValue, &fallback) ? static_cast<int>(fallback) : 0;
}

unsigned int PreferenceManager::getUInt(PM_SETTING id) const
{
    const QVariant v = value(id);
    bool ok = false;
    // Colours do not fit an int, so read the text as an unsigned number first.
    if (v.userType() == QMetaType::QString) {
        const unsigned int n = v.toString().trimmed().toUInt(&ok);
        if (ok)
            return n;
    } else if (v.userType() == QMetaType::UInt) {
        return v.toUInt();
    }
    // A negative number keeps its two's-complement image (-1 reads as 0xffffffff).
    double n = 0;
    long long wide = 0;
    if (toNumber(v, &n) && toIntegral(n, &wide))
        return static_cast<unsigned int>(wide);
    return isValid(id) ? info(id).defaultValue.toUInt() : 0u;
}

double PreferenceManager::getDouble(PM_SETTING id) const
{
    // "nan" and "inf" parse as numbers, but no setting can use them: a pick radius of
    // NaN would make every pick fail.  They read as the default, like any garbage.
    double n = 0;
    if (toNumber(value(id), &n) && std::isfinite(n))
        return n;
    return isValid(id) ? info(id).defaultValue.toDouble() : 0.0;
}

bool PreferenceManager::isOn(PM_SETTING id) const
{
    const QVariant v = value(id);
    // An entry QSettings cannot decode ("@Variant(" garbage) comes back invalid.
    if (!v.isValid())
        return isValid(id) && info(id).defaultValue.toBool();
    if (v.userType() == QMetaType::QString) {
        bool b = false;
        if (isBoolText(v.toString(), &b))
            return b;
        double n = 0;
        if (toNumber(v, &n))
            return n != 0.0;
        return isValid(id) && info(id).defaultValue.toBool();
    }
    return v.toBool();
}

void PreferenceManager::store(PM_SETTING id, const QVariant& v, bool notify)
{
    if (!isValid(id))
        return;
    const QString key = keyOf(id);
    d->write([key, v](const QVariantMap&) { return Edits{{key, Edit{v, false}}}; });
    if (notify)
        Q_EMIT optionChanged(id);
}

void PreferenceManager::set(PM_SETTING id, const QString& v, bool notify)
{
    store(id, v, notify);
}

void PreferenceManager::set(PM_SETTING id, double v, bool notify)
{
    // Written as text with 17 digits so that it reads back to the same double.
    store(id, QString::number(v, 'g', 17), notify);
}

void PreferenceManager::set(PM_SETTING id, unsigned int v, bool notify)
{
    store(id, v, notify);
}

void PreferenceManager::set(PM_SETTING id, int v, bool notify)
{
    store(id, v, notify);
}

void PreferenceManager::set(PM_SETTING id, bool v, bool notify)
{
    store(id, v, notify);
}

void PreferenceManager::reset()
{
    d->write([](const QVariantMap& values) {
        Edits edits;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            if (it.key().startsWith(QLatin1String("Settings/")))
                edits.insert(it.key(), Edit{QVariant(), true});
        }
        return edits;
    });
}

void PreferenceManager::getFileAndType(std::string& file, QSettings::Format& format) const
{
    const QFileInfo fi(d->fileName);
    file = QDir(fi.absolutePath()).filePath(fi.completeBaseName() + QStringLiteral("-shortcuts.ini")).toStdString();
    format = QSettings::IniFormat;
}

namespace {

std::mutex& limitQueryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<int()>& limitQuery()
{
    static std::function<int()> query;
    return query;
}

} // namespace

void PreferenceManager::setLockWait(int retries, int retriesInARun, std::function<void()> pause)
{
    std::lock_guard<std::mutex> lock(lockWaitMutex());
    lockWait().retries = std::max(0, retries);
    lockWait().retriesInARun = std::max(0, retriesInARun);
    lockWait().pause = std::move(pause);
}

void PreferenceManager::setMultiSampleLimitQuery(std::function<int()> query)
{
    std::lock_guard<std::mutex> lock(limitQueryMutex());
    limitQuery() = std::move(query);
}

int PreferenceManager::getNumSamplesByType(AntiAliasingType type) const
{
    switch (type) {
    case AA_MSAA2X:
        return 2;
    case AA_MSAA4X:
        return 4;
    case AA_MSAA8X:
        return 8;
    case AA_MSAA16X:
        return 16;
    case AA_AUTO: {
        std::function<int()> query;
        {
            std::lock_guard<std::mutex> lock(limitQueryMutex());
            query = limitQuery();
        }
        return query ? std::max(0, query()) : 0;
    }
    case AA_NONE:
        return 0;
    }
    return 0;
}

bool PreferenceManager::getBool(const QString& group, const QString& name, bool defaultValue) const
{
    const QVariant v = d->values.value(QStringLiteral("Flags/%1/%2").arg(group, name));
    if (!v.isValid())
        return defaultValue;
    bool b = false;
    if (v.userType() == QMetaType::QString && isBoolText(v.toString(), &b))
        return b;
    return v.toBool();
}

void PreferenceManager::setBool(const QString& group, const QString& name, bool v)
{
    const QString key = QStringLiteral("Flags/%1/%2").arg(group, name);
    d->write([key, v](const QVariantMap&) { return Edits{{key, Edit{v, false}}}; });
}

QString PreferenceManager::fileName() const
{
    return d->fileName;
}

} // namespace Vexil
