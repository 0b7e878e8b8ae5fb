#include "ListeningDisplay.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace PelmoraTest {

namespace {

bool fill(sockaddr_un& address, const std::string& path, bool abstract)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() + 2 > sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + (abstract ? 1 : 0), path.data(), path.size());
    return true;
}

socklen_t length(const std::string& path, bool abstract)
{
    return socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + (abstract ? 1 : 0));
}

// A connection to the X server of display `number`, as a client makes it.
int connectTo(const std::string& number)
{
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {true, false}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address;
        if (fd >= 0 && fill(address, path, abstract) &&
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), length(path, abstract)) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
    }
    return -1;
}

} // namespace

struct ListeningDisplay::Private
{
    Kind kind;
    std::string upstream;
    std::string path;
    int number = -1;
    int listener = -1;
    int wake[2] = {-1, -1};
    std::atomic<int> connections{0};
    std::atomic<int> dropped{0};
    std::thread thread;
    std::mutex mutex;
    // The client ends kept, and the upstream end of each forwarded one (-1 for a silent one).
    std::vector<std::pair<int, int>> kept;
    std::vector<std::thread> pumps;
    bool everKept = false;

    // Whether a client kept is still there: one that closed its end has left, whether or
    // not its pump has seen it yet.
    bool anyClientStays()
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& k : kept) {
            pollfd p{k.first, POLLRDHUP, 0};
            if (::poll(&p, 1, 0) == 0 || !(p.revents & (POLLRDHUP | POLLHUP | POLLERR)))
                return true;
        }
        return false;
    }

    // Copies one way until either end goes, then ends both ways.  File descriptors travel
    // too: the X shared-memory extension passes them.
    static void pump(int from, int to)
    {
        char buffer[65536];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 16)];
        for (;;) {
            iovec io{buffer, sizeof buffer};
            msghdr in{};
            in.msg_iov = &io;
            in.msg_iovlen = 1;
            in.msg_control = control;
            in.msg_controllen = sizeof control;
            const ssize_t got = ::recvmsg(from, &in, MSG_CMSG_CLOEXEC);
            if (got <= 0)
                break;
            std::vector<int> passed;
            for (cmsghdr* c = CMSG_FIRSTHDR(&in); c; c = CMSG_NXTHDR(&in, c))
                if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS)
                    for (size_t i = 0; i < (c->cmsg_len - CMSG_LEN(0)) / sizeof(int); ++i)
                        passed.push_back(reinterpret_cast<int*>(CMSG_DATA(c))[i]);
            ssize_t sent = 0;
            while (sent < got) {
                iovec outIo{buffer + sent, size_t(got - sent)};
                msghdr out{};
                out.msg_iov = &outIo;
                out.msg_iovlen = 1;
                alignas(cmsghdr) char outControl[CMSG_SPACE(sizeof(int) * 16)];
                if (sent == 0 && !passed.empty()) {
                    out.msg_control = outControl;
                    out.msg_controllen = CMSG_SPACE(sizeof(int) * passed.size());
                    cmsghdr* c = CMSG_FIRSTHDR(&out);
                    c->cmsg_level = SOL_SOCKET;
                    c->cmsg_type = SCM_RIGHTS;
                    c->cmsg_len = CMSG_LEN(sizeof(int) * passed.size());
                    std::memcpy(CMSG_DATA(c), passed.data(), sizeof(int) * passed.size());
                }
                const ssize_t n = ::sendmsg(to, &out, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += n;
            }
            for (int fd : passed)
                ::close(fd);
            if (sent < got)
                break;
        }
        ::shutdown(from, SHUT_RDWR);
        ::shutdown(to, SHUT_RDWR);
    }

    void take()
    {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        const int taken = connections++;
        bool keep = false;
        switch (kind) {
        case Kind::Resetting: keep = !everKept || anyClientStays(); break;
        case Kind::DropsSecond: keep = taken == 0; break;
        case Kind::NeverAnswers: keep = true; break;
        }
        const int server = keep && kind != Kind::NeverAnswers ? connectTo(upstream) : -1;
        if (!keep || (kind != Kind::NeverAnswers && server < 0)) {
            ++dropped;
            ::close(client);
            return;
        }
        everKept = true;
        std::lock_guard<std::mutex> lock(mutex);
        kept.emplace_back(client, server);
        if (server >= 0) {
            pumps.emplace_back(pump, client, server);
            pumps.emplace_back(pump, server, client);
        }
    }

    void run()
    {
        for (;;) {
            pollfd fds[] = {{wake[0], POLLIN, 0}, {listener, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[0].revents)
                return;
            if (fds[1].revents)
                take();
        }
    }
};

ListeningDisplay::ListeningDisplay(Kind kind, const QByteArray& upstream) : d(std::make_unique<Private>())
{
    d->kind = kind;
    const QByteArray number = upstream.mid(upstream.indexOf(':') + 1);
    d->upstream = number.left(number.indexOf('.') < 0 ? number.size() : number.indexOf('.')).toStdString();
    ::mkdir("/tmp/.X11-unix", 01777);
    for (int n = 58000; n < 59000 && d->listener < 0; ++n) {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        // The lock file keeps a server from taking the number meanwhile.
        const int lockFd = ::open(lock.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0444);
        if (lockFd < 0)
            continue;
        const std::string pid = std::to_string(::getpid()) + "\n";
        (void)!::write(lockFd, pid.data(), pid.size());
        ::close(lockFd);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address;
        if (fd >= 0 && fill(address, path, false) && ::access(path.c_str(), F_OK) != 0 &&
            ::bind(fd, reinterpret_cast<sockaddr*>(&address), length(path, false)) == 0 && ::listen(fd, 16) == 0) {
            d->listener = fd;
            d->number = n;
            d->path = path;
            break;
        }
        if (fd >= 0)
            ::close(fd);
        ::unlink(lock.c_str());
    }
    if (d->listener < 0 || ::pipe2(d->wake, O_CLOEXEC) != 0)
        return;
    d->thread = std::thread([this] { d->run(); });
}

ListeningDisplay::~ListeningDisplay()
{
    if (d->thread.joinable()) {
        (void)!::write(d->wake[1], "x", 1);
        d->thread.join();
    }
    for (const auto& k : d->kept) {
        ::shutdown(k.first, SHUT_RDWR);
        if (k.second >= 0)
            ::shutdown(k.second, SHUT_RDWR);
    }
    for (std::thread& t : d->pumps)
        t.join();
    for (const auto& k : d->kept) {
        ::close(k.first);
        if (k.second >= 0)
            ::close(k.second);
    }
    for (int fd : {d->listener, d->wake[0], d->wake[1]})
        if (fd >= 0)
            ::close(fd);
    if (d->number >= 0) {
        ::unlink(d->path.c_str());
        ::unlink(("/tmp/.X" + std::to_string(d->number) + "-lock").c_str());
    }
}

QString ListeningDisplay::name() const
{
    return d->number < 0 ? QString() : QStringLiteral(":%1").arg(d->number);
}

int ListeningDisplay::connections() const
{
    return d->connections;
}

int ListeningDisplay::dropped() const
{
    return d->dropped;
}

} // namespace PelmoraTest
