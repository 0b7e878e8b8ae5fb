#include "OwnDisplay.h"

#include "TestEnvironment.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace PelmoraTest {

namespace {

std::int64_t nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

QString serverLog(const QString& path)
{
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(log.read(4000)).trimmed();
}

} // namespace

bool startOwnDisplay(QString* error)
{
    // Platforms without a display (offscreen, minimal) keep clipboard and focus in the
    // process already.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = QStringLiteral("no pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // Everything the child needs is made before fork: it only calls async-signal-safe functions.
    const QString logPath = homeDir() + QStringLiteral("/xvfb.log");
    const QByteArray logFile = QFile::encodeName(logPath);
    const std::string fd = std::to_string(fds[1]);
    const char* const argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1000x24",
                                "-nolisten", "tcp", "-noreset", nullptr};
    const pid_t parent = getpid();
    const pid_t server = fork();
    if (server < 0) {
        *error = QStringLiteral("fork failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (server == 0) {
        // The server ends with this process, even when it is killed (a test's time-out).
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        // Its own process group: a terminal's Ctrl+C reaches the test, whose end ends it.
        setpgid(0, 0);
        fcntl(fds[1], F_SETFD, 0);
        const int null = open("/dev/null", O_RDONLY);
        const int log = open(logFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (null >= 0)
            dup2(null, 0);
        // Not the test's output: ctest would wait for the server to close it.
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
        }
        execvp(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[1]);

    // The server writes its display number once it accepts connections.
    std::string number;
    const std::int64_t deadline = nowMs() + 60000;
    bool complete = false;
    while (!complete) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0)
            break;
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[32];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;   // the server ended without a display
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n')
                complete = true;
            else if (buffer[i] >= '0' && buffer[i] <= '9')
                number += buffer[i];
        }
    }
    close(fds[0]);
    if (!complete || number.empty()) {
        kill(server, SIGTERM);
        int status = 0;
        const bool ended = waitpid(server, &status, 0) == server;
        if (ended && WIFEXITED(status) && WEXITSTATUS(status) == 127)
            *error = QStringLiteral("Xvfb is not installed");
        else
            *error = QStringLiteral("Xvfb gave no display within a minute: %1").arg(serverLog(logPath));
        return false;
    }
    const std::string display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    setenv(ownDisplayVariable, display.c_str(), 1);
    // A cookie of another server would only be ignored; it is not needed for a local one.
    unsetenv("XAUTHORITY");
    return true;
}

} // namespace PelmoraTest
