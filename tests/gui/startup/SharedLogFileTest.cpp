// The host's --log in a shared folder (such as /tmp): a log file that another user
// put there, owned by neither this user nor the folder's owner, is not written to, since
// that user would read every path the start opened.  The start is refused with the reason
// and status 1, by the rule the saves apply to links there.

#include <QDir>
#include <support/HangGuard.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t ThirdUser = 12345;
constexpr uid_t FolderOwner = 12346;

QByteArray readAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

// Every kind of folder x every owner of the file x both files another user leaves (one
// that looks like a log, one that may only be written to): refused exactly for a third
// user's file in a folder that others may write to, appended to otherwise.
TEST(SharedLogFile, AThirdUsersLogInAFolderOthersMayWriteToIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs the super-user";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct
    {
        const char* what;
        mode_t mode;
        bool shared;
    } folders[] = {{"shared sticky folder", 01777, true},
                   {"folder writable by all, not sticky", 0777, true},
                   {"group-shared sticky folder", 01770, true},
                   {"folder only its owner may write to", 0755, false}};
    const struct
    {
        const char* what;
        uid_t owner;
    } owners[] = {{"this user's", ::geteuid()}, {"the folder owner's", FolderOwner}, {"a third user's", ThirdUser}};
    const struct
    {
        const char* name;
        mode_t mode;
        QByteArray content;
    } files[] = {{"forged.log", 0666, "[Log] planted by someone else\n"}, {"wonly.log", 0622, QByteArray()}};
    int cell = 0;
    for (const auto& folder : folders) {
        for (const auto& owner : owners) {
            for (const auto& file : files) {
                SCOPED_TRACE(std::string(owner.what) + " " + file.name + " in a " + folder.what);
                const QString shared = dir.filePath(QString::number(cell++));
                ASSERT_TRUE(QDir().mkpath(shared));
                ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), folder.mode), 0);
                ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), FolderOwner, FolderOwner), 0);
                const QString log = QDir(shared).filePath(QString::fromLatin1(file.name));
                {
                    QFile f(log);
                    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                    f.write(file.content);
                }
                ASSERT_EQ(::chmod(QFile::encodeName(log).constData(), file.mode), 0);
                ASSERT_EQ(::chown(QFile::encodeName(log).constData(), owner.owner, owner.owner), 0);

                QProcess host;
                host.start(PELMORA_HOST, {"--hidden", "--log", log});
                // Only a guard against a hung start.
                ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
                const QString err = QString::fromUtf8(host.readAllStandardError());
                const bool refused = folder.shared && owner.owner == ThirdUser;
                if (refused) {
                    EXPECT_EQ(host.exitCode(), 1);
                    EXPECT_EQ(err, "pelmora: cannot write the log file " + log + ": it belongs to another user (uid "
                                       + QString::number(ThirdUser) + ") in the shared folder '" + shared
                                       + "', who may read what is written to it\n");
                    EXPECT_EQ(readAll(log), file.content);
                } else {
                    EXPECT_EQ(host.exitCode(), 0) << err.toStdString();
                    EXPECT_TRUE(readAll(log).startsWith(file.content));
                    EXPECT_TRUE(readAll(log).contains("[Log] Finish: Event loop left")) << readAll(log).constData();
                }
                EXPECT_EQ(QFileInfo(log).ownerId(), owner.owner);
            }
        }
    }
    EXPECT_EQ(cell, 24);
}
