#include "NamedPipe.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace PelmoraTest {

namespace {

// True while thread `tid` of this process sleeps inside an open: a reader of a named pipe
// that waits for a writer.  (A non-blocking open never sleeps there.)
bool sleepsInOpen(const std::string& tid)
{
    const std::string task = "/proc/self/task/" + tid;
    std::ifstream stat(task + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'S')
        return false;
    std::ifstream call(task + "/syscall");
    long number = -1;
    call >> number;
    return number == SYS_openat
#ifdef SYS_open
        || number == SYS_open
#endif
        ;
}

// True while a thread of this process other than `self` sleeps inside an open.
bool anotherSleepsInOpen(pid_t self)
{
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(tasks)) {
        if (entry->d_name[0] == '.' || std::to_string(self) == entry->d_name)
            continue;
        if (sleepsInOpen(entry->d_name)) {
            found = true;
            break;
        }
    }
    ::closedir(tasks);
    return found;
}

} // namespace

NamedPipe::NamedPipe(const QString& path)
    : where(path)
{
    made = ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

NamedPipe::~NamedPipe()
{
    if (made)
        ::unlink(QFile::encodeName(where).constData());
}

bool NamedPipe::runsWithoutWaiting(const std::function<void()>& step) const
{
    std::atomic<bool> done{false};
    std::atomic<bool> released{false};
    const QByteArray name = QFile::encodeName(where);
    // Looks, for as long as the step runs, for a thread asleep in an open that a writer of
    // the pipe wakes: the step waits on the pipe, however fast or slow the machine.
    std::thread watchdog([&] {
        const pid_t self = static_cast<pid_t>(::syscall(SYS_gettid));
        // The step may run with another user's file access, and the pipe may be one its
        // owner may not write: the writer that lets it go comes with the test's own, and
        // opens the pipe to writing first.
        ::setfsuid(::geteuid());
        ::setfsgid(::getegid());
        while (!done) {
            if (anotherSleepsInOpen(self)) {
                ::chmod(name.constData(), 0666);
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    released = true;
                    ::close(fd);
                    return;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    step();
    done = true;
    watchdog.join();
    return !released;
}

} // namespace PelmoraTest
