#include "SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/mount.h>
#include <unistd.h>

namespace PelmoraTest {

SmallDisk::SmallDisk(int kibibytes) : dir(std::make_unique<QTemporaryDir>())
{
    const QByteArray path = QFile::encodeName(dir->path());
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0777";
    if (::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0)
        isMounted = true;
    else
        reason = QStringLiteral("cannot mount a small tmpfs here (%1); a full disk cannot be tested")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallDisk::~SmallDisk()
{
    if (isMounted)
        ::umount2(QFile::encodeName(dir->path()).constData(), MNT_DETACH);
}

QString SmallDisk::filePath(const QString& name) const
{
    return dir->filePath(name);
}

void SmallDisk::fill()
{
    const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    static const char block[512] = {};
    // Block by block, then byte by byte, so that not even a byte is left.
    for (size_t size : {sizeof block, size_t(1)})
        while (::write(fd, block, size) > 0) {
        }
    ::close(fd);
}

void SmallDisk::release()
{
    QFile::remove(filePath(QStringLiteral(".filler")));
}

void asUnprivilegedUser(const std::function<void()>& body)
{
    const uid_t nobody = 65534;
    const bool root = ::geteuid() == 0;
    // The test's own temporary folder is the super-user's alone: the unprivileged user gets
    // one it may write to while the body runs.
    std::unique_ptr<QTemporaryDir> scratch;
    const QByteArray usualTemp = qgetenv("TMPDIR");
    if (root) {
        scratch = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/pelmora-unprivileged-XXXXXX"));
        ::chmod(QFile::encodeName(scratch->path()).constData(), 0777);
        qputenv("TMPDIR", QFile::encodeName(scratch->path()));
    }
    if (root && ::setegid(nobody) == 0 && ::seteuid(nobody) != 0)
        ::setegid(0);
    body();
    if (root) {
        if (::seteuid(0) == 0)
            ::setegid(0);
        qputenv("TMPDIR", usualTemp);
    }
}

} // namespace PelmoraTest
