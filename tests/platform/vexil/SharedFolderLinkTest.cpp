// Saving through a symbolic link in a shared folder (such as /tmp): another user's
// link there is not followed, so that it cannot make this user replace a file of theirs.

#include <vexil/AtomicSave.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t OtherUser = 4242;
constexpr uid_t FolderOwner = 4243;

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A link at `link` to `target`, owned by `owner`.
void plantLink(const QString& target, const QString& link, uid_t owner)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), owner, static_cast<gid_t>(-1)), 0);
}

class SharedFolderLinks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "giving a link to another user needs the super-user";
        ASSERT_TRUE(home.isValid() && shared.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
        secret = home.filePath("private file.pmdb");
        writeRaw(secret, "the user's own work");
        ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0600), 0);
    }

    QTemporaryDir home;     // the user's own folder
    QTemporaryDir shared;   // world-writable and sticky, as /tmp is
    QString secret;
};

} // namespace

TEST_F(SharedFolderLinks, OnlyTheUsersAndTheFolderOwnersLinksAreFollowed)
{
    const QString link = shared.filePath("report..final.pmdb");
    plantLink(secret, link, OtherUser);

    std::string error;
    EXPECT_FALSE(Vexil::saveFileAtomically(local(link), "replaced", error));
    EXPECT_NE(error.find("will not follow the symbolic link '" + local(link) + "'"), std::string::npos) << error;
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
    EXPECT_EQ(readRaw(secret), QByteArray("the user's own work"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    // Nothing was left beside the target or the link.
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);

    // The same link reached through one of the user's own links is still refused.
    const QString own = home.filePath("shortcut.pmdb");
    ASSERT_TRUE(QFile::link(link, own));
    EXPECT_FALSE(Vexil::saveFileAtomically(local(own), "replaced", error));
    EXPECT_EQ(readRaw(secret), QByteArray("the user's own work"));

    // The user's own link in the shared folder is followed.
    const QString mine = shared.filePath("mine.pmdb");
    plantLink(secret, mine, ::geteuid());
    ASSERT_TRUE(Vexil::saveFileAtomically(local(mine), "saved through my link", error)) << error;
    EXPECT_EQ(readRaw(secret), QByteArray("saved through my link"));
    EXPECT_TRUE(QFileInfo(mine).isSymLink());

    // A link of the folder's owner, in a sticky folder of theirs.
    ASSERT_EQ(::chown(QFile::encodeName(shared.path()).constData(), FolderOwner, static_cast<gid_t>(-1)), 0);
    const QString owners = shared.filePath("owners.pmdb");
    plantLink(secret, owners, FolderOwner);
    ASSERT_TRUE(Vexil::saveFileAtomically(local(owners), "through the owner's link", error)) << error;
    EXPECT_EQ(readRaw(secret), QByteArray("through the owner's link"));

    // Another user's link anywhere on the path, in a folder that others may write to,
    // sticky or not, for all or for the group: the kernel rule covers none of these but
    // the last name in a sticky folder, ours covers them all.
    ASSERT_TRUE(QDir(home.path()).mkdir("work"));
    const QString privateFolder = home.filePath("work");
    const QString inFolder = privateFolder + "/shot.png";
    const struct
    {
        const char* where;
        const char* link;     // planted in the shared folder by the other user
        QString target;       // what it names
        const char* written;  // the name saved to, under the shared folder
        QString reached;      // the file that must stay as it was
    } placements[] = {
        {"the last name", "plain.pmdb", secret, "plain.pmdb", secret},
        {"a folder", "sub", privateFolder, "sub/shot.png", inFolder},
        {"a folder below one of the folder's own", "real/sub", privateFolder, "real/sub/shot.png", inFolder},
        {"a folder left by .. (which goes back from the folder it names)", "sub", privateFolder, "sub/../work/shot.png", inFolder},
    };
    writeRaw(inFolder, "the user's picture");
    ASSERT_TRUE(QDir(shared.path()).mkdir("real"));
    for (const mode_t mode : {01777, 0777, 0770, 01770, 02770}) {
        for (const auto& placement : placements) {
            SCOPED_TRACE(std::to_string(mode) + ", another user's link at " + placement.where);
            ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), mode), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(shared.filePath("real")).constData(), mode), 0);
            const QString link = shared.filePath(placement.link);
            ::unlink(QFile::encodeName(link).constData());
            plantLink(placement.target, link, OtherUser);
            const QByteArray before = readRaw(placement.reached);
            EXPECT_FALSE(Vexil::saveFileAtomically(local(shared.filePath(placement.written)), "followed", error));
            EXPECT_NE(error.find("will not follow the symbolic link '" + local(link) + "'"), std::string::npos) << error;
            EXPECT_EQ(readRaw(placement.reached), before);
            std::string path = local(shared.filePath(placement.written));
            EXPECT_FALSE(Vexil::resolveSymbolicLinks(path, error));
            // The user's own link there is followed, to the same file.
            ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), ::geteuid(), static_cast<gid_t>(-1)), 0);
            ASSERT_TRUE(Vexil::saveFileAtomically(local(shared.filePath(placement.written)), before.toStdString(), error)) << error;
            EXPECT_EQ(readRaw(placement.reached), before);
            EXPECT_EQ(QDir(privateFolder).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
            ::unlink(QFile::encodeName(link).constData());
        }
    }
}

// The rule itself, over every kind of folder and every owner of the entry: in a folder
// that the group or others may write to, sticky or not, an entry of a third user is refused.
TEST(SharedFolderRule, OnlyAThirdUsersEntryInASharedStickyFolderIsRefused)
{
    constexpr unsigned Me = 1000;
    const struct
    {
        const char* folder;
        unsigned mode;
        bool shared;
    } folders[] = {
        {"sticky, writable by all (/tmp)", 01777, true},
        {"sticky, writable by all, not readable", 01733, true},
        {"sticky, group-writable only", 01770, true},
        {"writable by all, not sticky", 0777, true},
        {"group-writable, not sticky", 0770, true},
        {"writable by others only", 0703, true},
        {"the user's own folder", 0755, false},
        {"the user's own folder, not readable by others", 0700, false},
        {"sticky, read-only", 01555, false},
    };
    const struct
    {
        const char* entry;
        unsigned owner;
    } owners[] = {{"this user's", Me}, {"the folder owner's", FolderOwner}, {"a third user's", OtherUser},
                  {"root's, the folder being another's", 0}};
    for (const auto& folder : folders) {
        for (const auto& owner : owners) {
            SCOPED_TRACE(std::string(owner.entry) + " entry in " + folder.folder);
            const bool third = owner.owner != Me && owner.owner != FolderOwner;
            EXPECT_EQ(Vexil::sharedFolderAllows(S_IFDIR | folder.mode, FolderOwner, owner.owner, Me),
                      !(folder.shared && third));
        }
    }
    // The user may be the folder's owner too: then only the user's own entries are theirs.
    EXPECT_TRUE(Vexil::sharedFolderAllows(S_IFDIR | 01777, Me, Me, Me));
    EXPECT_FALSE(Vexil::sharedFolderAllows(S_IFDIR | 01777, Me, OtherUser, Me));
}

// Appending to an existing file in a shared folder goes by the same rule, and says why.
TEST_F(SharedFolderLinks, AFileOfAThirdUserThereIsNotAppendedTo)
{
    const QString file = shared.filePath("forged.log");
    writeRaw(file, "[Log] planted\n");
    std::string error;
    EXPECT_FALSE(Vexil::mayAppendToFile(local(file), OtherUser, error));
    EXPECT_EQ(error, "it belongs to another user (uid 4242) in the shared folder '" + local(shared.path())
                         + "', who may read what is written to it");
    error.clear();
    EXPECT_TRUE(Vexil::mayAppendToFile(local(file), ::geteuid(), error)) << error;
    // Outside a shared folder, whoever owns the file.
    EXPECT_TRUE(Vexil::mayAppendToFile(local(secret), OtherUser, error)) << error;

    // A save does not replace it either, in any folder that others may write to.
    ASSERT_EQ(::chown(QFile::encodeName(file).constData(), OtherUser, OtherUser), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    for (const mode_t mode : {01777, 0777, 0770, 01770, 02770}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), mode), 0);
        EXPECT_FALSE(Vexil::saveFileAtomically(local(file), "the user's picture", error));
        EXPECT_EQ(error, "will not write over '" + local(file) + "': it belongs to another user (uid 4242) in the shared folder '"
                             + local(shared.path()) + "', who may read what is written to it");
        EXPECT_EQ(readRaw(file), QByteArray("[Log] planted\n"));
    }

    // Outside a shared folder the file is replaced by one of this user's, which keeps
    // none of the other user's permissions wider than its own nor their ownership.
    const QString theirs = home.filePath("theirs.png");
    writeRaw(theirs, "their picture");
    ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), OtherUser, OtherUser), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(theirs).constData(), 06777), 0);
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(Vexil::saveFileAtomically(local(theirs), "replaced", error)) << error;
    ::umask(mask);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(theirs).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(readRaw(theirs), QByteArray("replaced"));
}
