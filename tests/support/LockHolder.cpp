#include "LockHolder.h"

#include "HangGuard.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace PelmoraTest {

LockHolder::LockHolder(const QString& lockFile)
{
    const QByteArray path = QFile::encodeName(lockFile);
    int ready[2];
    int hold[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        return;
    if (::pipe2(hold, O_CLOEXEC) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls: the parent may have other threads.
        ::close(ready[0]);
        ::close(hold[1]);
        ::alarm(HangGuardMs / 1000);
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        while (::write(ready[1], &ok, 1) < 0 && errno == EINTR) {
        }
        char c = 0;
        while (::read(hold[0], &c, 1) < 0 && errno == EINTR) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    releaseFd = hold[1];
    char ok = 'n';
    if (pid > 0) {
        while (::read(ready[0], &ok, 1) < 0 && errno == EINTR) {
        }
    }
    ::close(ready[0]);
    held = ok == 'y';
}

void LockHolder::release()
{
    if (releaseFd >= 0)
        ::close(releaseFd);
    releaseFd = -1;
    if (pid > 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid = -1;
}

LockHolder::~LockHolder()
{
    release();
}

} // namespace PelmoraTest
