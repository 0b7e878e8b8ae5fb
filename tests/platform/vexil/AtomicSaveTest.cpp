#include <support/ConsoleCapture.h>
#include <support/SmallDisk.h>
#include <vexil/AtomicSave.h>
#include <vexil/IniFile.h>

#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>

#include <string>

#include <cstdio>
#include <functional>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using PelmoraTest::ConsoleCapture;
using PelmoraTest::SmallDisk;

namespace {

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Runs around the rename of a save, standing in for another program that acts on the files
// at that moment.
std::function<void(const char* from, const char* to, bool after)> aroundRename;
// Runs before a file is cut to a length: the moment a file written in place loses its content.
std::function<void()> aroundTruncate;

} // namespace

extern "C" int ftruncate(int fd, off_t length)
{
    using Truncate = int (*)(int, off_t);
    static const Truncate real = reinterpret_cast<Truncate>(::dlsym(RTLD_NEXT, "ftruncate"));
    if (aroundTruncate)
        aroundTruncate();
    return real(fd, length);
}

extern "C" int rename(const char* from, const char* to)
{
    using Rename = int (*)(const char*, const char*);
    static const Rename real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    if (aroundRename)
        aroundRename(from, to, false);
    const int result = real(from, to);
    if (aroundRename)
        aroundRename(from, to, true);
    return result;
}

TEST(AtomicSave, FullDiskFailsWithTheReasonAndKeepsTheOldFileWhole)
{
    SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const QString path = disk.filePath("settings.cfg");
    writeRaw(path, "old content\n");
    disk.fill();

    // Small writes that a buffered writer would only fail to flush later, and a large one.
    for (const std::string& data : {std::string(100, 'n'), std::string(200 * 1024, 'n')}) {
        std::string error;
        EXPECT_FALSE(Vexil::saveFileAtomically(local(path), data, error));
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
        EXPECT_EQ(readRaw(path), QByteArray("old content\n"));
    }
    // No temporary file is left behind to take the space.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    disk.release();
    std::string error;
    EXPECT_TRUE(Vexil::saveFileAtomically(local(path), "new", error)) << error;
    EXPECT_EQ(readRaw(path), QByteArray("new"));
}

TEST(AtomicSave, WritesThroughSymbolicLinksAndKeepsPermissions)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real/data.cfg");
    QDir().mkpath(dir.filePath("real"));
    writeRaw(real, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("real/data.cfg"), dir.filePath("relative.cfg")));
    ASSERT_TRUE(QFile::link(dir.filePath("relative.cfg"), dir.filePath("chain.cfg")));

    std::string error;
    ASSERT_TRUE(Vexil::saveFileAtomically(local(dir.filePath("chain.cfg")), "through the links", error)) << error;
    EXPECT_TRUE(QFileInfo(dir.filePath("chain.cfg")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.filePath("relative.cfg")).isSymLink());
    EXPECT_EQ(readRaw(real), QByteArray("through the links"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A link to a file not there yet creates it.
    ASSERT_TRUE(QFile::link(dir.filePath("real/new.cfg"), dir.filePath("dangling.cfg")));
    ASSERT_TRUE(Vexil::saveFileAtomically(local(dir.filePath("dangling.cfg")), "made", error)) << error;
    EXPECT_EQ(readRaw(dir.filePath("real/new.cfg")), QByteArray("made"));
    EXPECT_TRUE(QFileInfo(dir.filePath("dangling.cfg")).isSymLink());
}

// A file written in place: whether a copy of its old content can be kept in this user's
// private temporary folder, what that folder holds when the file is cut, and what is left.
TEST(AtomicSave, ReadOnlyFolderIsWrittenInPlaceAndTheConsoleSaysSo)
{
    enum class Copy { Kept, NoPrivateFolder };
    for (const Copy copy : {Copy::Kept, Copy::NoPrivateFolder}) {
        // Outside the test's private temporary folder, which an unprivileged user cannot enter.
        QTemporaryDir dir(QStringLiteral("/tmp/pelmora-locked-XXXXXX"));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        const QString folder = dir.filePath("locked");
        const QString temp = dir.filePath("tmp");
        QDir().mkpath(folder);
        QDir().mkpath(temp);
        ASSERT_EQ(::chmod(QFile::encodeName(temp).constData(), copy == Copy::Kept ? 0777 : 0555), 0);
        const QString path = folder + "/data.cfg";
        writeRaw(path, "old");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

        QStringList keptWhileCut;
        aroundTruncate = [&] {
            for (QDirIterator it(temp, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
                keptWhileCut << QString::fromLatin1(readRaw(it.next()));
            aroundTruncate = nullptr;
        };
        ConsoleCapture console;
        bool saved = false;
        bool created = true;
        std::string error;
        std::string createError;
        PelmoraTest::asUnprivilegedUser([&] {
            const QByteArray usualTemp = qgetenv("TMPDIR");
            qputenv("TMPDIR", QFile::encodeName(temp));
            saved = Vexil::saveFileAtomically(local(path), "written in place", error);
            qputenv("TMPDIR", usualTemp);
            created = Vexil::saveFileAtomically(local(folder + "/other.cfg"), "x", createError);
        });
        aroundTruncate = nullptr;
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        const std::string label = copy == Copy::Kept ? "kept" : "no private folder";
        if (copy == Copy::Kept) {
            EXPECT_TRUE(saved) << error;
            EXPECT_EQ(readRaw(path), QByteArray("written in place"));
            EXPECT_EQ(keptWhileCut, QStringList{QStringLiteral("old")});
            EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "written in place"));
            EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, local(path)));
            EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, local(temp) + "/Pelmora21-"));
        } else {
            EXPECT_FALSE(saved);
            EXPECT_NE(error.find("copy of its old content"), std::string::npos) << error;
            EXPECT_EQ(readRaw(path), QByteArray("old"));
        }
        // The copy is gone once the save is over.
        EXPECT_FALSE(QDirIterator(temp, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories).hasNext()) << label;
        // A new file cannot be made in place.
        EXPECT_FALSE(created) << label;
        EXPECT_NE(createError.find("Permission denied"), std::string::npos) << createError;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1) << label;
    }
}

// What lies beside the target under the names of its temporary files, and whether the
// next save removes it: only what an interrupted save of this target left.
TEST(AtomicSave, ANameAsLongAsTheFolderTakesIsSavedAndOnlyLeftoversOfItsOwnSavesAreRemoved)
{
    // EverySlotTaken: what no save of ours left under every usual name (another user's).
    enum class Beside { Nothing, Leftover, LeftoverInALaterSlot, BeingWritten, OtherTargets, Link, Folder,
                        EverySlotTaken };
    const struct { Beside beside; bool removed; } cases[] = {
        {Beside::Nothing, false},     {Beside::Leftover, true}, {Beside::LeftoverInALaterSlot, true},
        {Beside::BeingWritten, false}, {Beside::OtherTargets, false}, {Beside::Link, false},
        {Beside::Folder, false},      {Beside::EverySlotTaken, false},
    };
    for (const int length : {1, 20, 243, 250, 255}) {
        for (const auto& c : cases) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QString(length, QLatin1Char('n')));
            const unsigned slot = c.beside == Beside::LeftoverInALaterSlot ? 5 : 0;
            const QString other = dir.filePath(QStringLiteral("other.pmdb"));
            const QString beside = QFile::decodeName(Vexil::temporaryFileName(
                local(c.beside == Beside::OtherTargets ? other : path), slot).c_str());
            int held = -1;
            switch (c.beside) {
            case Beside::Nothing: break;
            case Beside::Leftover: case Beside::LeftoverInALaterSlot: case Beside::OtherTargets:
                writeRaw(beside, "half a save");
                break;
            case Beside::BeingWritten:
                writeRaw(beside, "a save going on");
                held = ::open(QFile::encodeName(beside).constData(), O_RDONLY | O_CLOEXEC);
                ASSERT_EQ(::flock(held, LOCK_EX), 0);
                break;
            case Beside::Link: ASSERT_TRUE(QFile::link(other, beside)); break;
            case Beside::Folder: ASSERT_TRUE(QDir().mkdir(beside)); break;
            case Beside::EverySlotTaken:
                for (unsigned s = 0; s < Vexil::temporaryFileSlots; ++s)
                    ASSERT_TRUE(QFile::link(other, QFile::decodeName(Vexil::temporaryFileName(local(path), s).c_str())));
                break;
            }
            const std::string label = std::to_string(length) + " bytes, case " + std::to_string(int(c.beside));
            for (const char* content : {"first", "second"}) {
                std::string error;
                EXPECT_TRUE(Vexil::saveFileAtomically(local(path), content, error)) << label << ": " << error;
                EXPECT_EQ(readRaw(path), QByteArray(content)) << label;
            }
            const bool present = c.beside != Beside::Nothing && (QFileInfo(beside).exists() || QFileInfo(beside).isSymLink());
            EXPECT_EQ(present, c.beside != Beside::Nothing && !c.removed) << label;
            // Nothing else is left: the target, and what the case put beside it.
            const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                                | QDir::NoDotAndDotDot);
            const int planted = c.beside == Beside::EverySlotTaken ? int(Vexil::temporaryFileSlots) : present;
            EXPECT_EQ(left.size(), 1 + planted) << label << ": " << left.join(' ').toStdString();
            if (held >= 0)
                ::close(held);
        }
    }
    // The names fit wherever the target's does.
    EXPECT_LE(QFileInfo(QFile::decodeName(Vexil::temporaryFileName(std::string(255, 'n'), 15).c_str()))
                  .fileName().size(), 30);
}

TEST(AtomicSave, TheTemporaryFileStaysClaimedUntilRenamedAndAReplacedTargetIsNoSuccess)
{
    enum class Meanwhile { OtherCleanUpTriesToTakeIt, OtherSaveRenamesItsFileInPlace };
    for (const Meanwhile meanwhile : {Meanwhile::OtherCleanUpTriesToTakeIt, Meanwhile::OtherSaveRenamesItsFileInPlace}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.pmdb"));
        writeRaw(path, "old");
        bool takenByOther = false;
        aroundRename = [&](const char* from, const char* to, bool after) {
            if (meanwhile == Meanwhile::OtherCleanUpTriesToTakeIt && !after) {
                const int fd = ::open(from, O_RDONLY | O_CLOEXEC);
                takenByOther = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
                if (fd >= 0)
                    ::close(fd);
            } else if (meanwhile == Meanwhile::OtherSaveRenamesItsFileInPlace && after) {
                ::unlink(to);
                writeRaw(QFile::decodeName(to), "the other save");
            }
        };
        std::string error;
        const bool saved = Vexil::saveFileAtomically(local(path), "mine", error);
        aroundRename = nullptr;
        const int row = static_cast<int>(meanwhile);
        if (meanwhile == Meanwhile::OtherCleanUpTriesToTakeIt) {
            EXPECT_FALSE(takenByOther) << row;
            EXPECT_TRUE(saved) << row << ": " << error;
            EXPECT_EQ(readRaw(path), QByteArray("mine")) << row;
        } else {
            EXPECT_FALSE(saved) << row;
            EXPECT_NE(error.find("replaced"), std::string::npos) << error;
            EXPECT_NE(error.find("p.pmdb"), std::string::npos) << error;
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << row;
    }
}

TEST(AtomicSave, RefusesWhatIsNoRegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.cfg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::string error;
    EXPECT_FALSE(Vexil::saveFileAtomically(local(fifo), "x", error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_FALSE(Vexil::saveFileAtomically(local(dir.path()), "x", error));
    EXPECT_FALSE(Vexil::saveFileAtomically(std::string(), "x", error));
}

TEST(IniFile, WhatIsSavedReadsBackThroughQSettingsUnchanged)
{
    QTemporaryDir dir;
    QVariantMap values;
    values["Settings/00"] = QString::fromUtf8("C:\\new\\run1 \"quoted\" ü 😀 a=b;c,d");
    values["Settings/01"] = QStringLiteral(" padded ");
    values["Settings/02"] = QStringLiteral("@not a variant");
    values["Settings/03"] = QString(QChar(0)) + QStringLiteral("1\x01" "f\ttab\nline");
    values["Settings/04"] = QStringList{"a", "b,c"};
    values["Settings/05"] = QByteArray("\0\xff bytes", 8);
    values["Settings/06"] = QSize(640, 480);
    values["Settings/07"] = 4278190080u;
    values["Settings/08"] = -7;
    values["Settings/09"] = true;
    values["Settings/10"] = QVariant();
    values["Flags/Tool bar/Console"] = false;
    values["root key"] = QStringLiteral("no group");
    values["General/x"] = QStringLiteral("a group named General");
    values[QString::fromUtf8("Grüße/Schlüssel%/\\")] = QStringLiteral("odd names");

    const QString path = dir.filePath("values.ini");
    std::string error;
    ASSERT_TRUE(Vexil::saveIniFile(path, values, error)) << error;
    QSettings settings(path, QSettings::IniFormat);
    EXPECT_EQ(settings.status(), QSettings::NoError);
    EXPECT_EQ(settings.allKeys().size(), values.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QVariant read = settings.value(it.key(), QStringLiteral("<missing>"));
        if (it.value().userType() == QMetaType::QString || !it.value().isValid() || it.value().userType() == QMetaType::QStringList
            || it.value().userType() == QMetaType::QByteArray || it.value().userType() == QMetaType::QSize)
            EXPECT_EQ(read, it.value()) << it.key().toStdString();
        else
            EXPECT_EQ(read.toString(), it.value().toString()) << it.key().toStdString();
    }

    QVariantMap again;
    EXPECT_EQ(Vexil::readIniFile(path, again), Vexil::IniReadStatus::Ok);
    EXPECT_EQ(again.value("Settings/00"), values.value("Settings/00"));
    EXPECT_EQ(again.size(), values.size());
}
