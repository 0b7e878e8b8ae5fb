#include "NamedPipe.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PelmoraTest {

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

bool NamedPipe::runsWithoutWaiting(const std::function<void()>& step, int patienceMs) const
{
    std::atomic<bool> done{false};
    std::atomic<bool> released{false};
    const QByteArray name = QFile::encodeName(where);
    std::thread watchdog([&] {
        for (int waited = 0; waited < patienceMs && !done; waited += 50)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (done)
            return;
        released = true;
        const int fd = ::open(name.constData(), O_WRONLY);
        if (fd >= 0)
            ::close(fd);
    });
    step();
    done = true;
    watchdog.join();
    return !released;
}

} // namespace PelmoraTest
