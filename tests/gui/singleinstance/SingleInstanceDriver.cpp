// Runs the library's start-up like the host does, with one server name for all runs
// of a test:
//   singleinstance_driver EXENAME serve          prints "ready" once the loop runs, then
//                                                prints "project=<name>" for the first
//                                                project opened after that and quits
//   singleinstance_driver EXENAME batches        prints "ready", then "batch=<n>" for each
//                                                batch of messages; quits after four
//                                                messages.  The batch timer is the test's:
//                                                a line "handon" on its standard input
//                                                hands the pending batch on; a line
//                                                "deadline" is answered with
//                                                "deadline=<ns>" (the monotonic clock's
//                                                time the timer would hand it on) or
//                                                "deadline=none".
//   singleinstance_driver EXENAME crowd          as serve, but no client is dropped for
//                                                taking long (the clients' time-outs are
//                                                held); a line "clients" on its standard
//                                                input is answered with "clients=<n>", the
//                                                clients whose message has not come whole,
//                                                and a line "held" with "held=<bytes>
//                                                <n>", the bytes all clients together make
//                                                it hold and those clients
//   singleinstance_driver EXENAME exhaust        as serve, but first uses up every file
//                                                descriptor it may open ("exhausted"),
//                                                and gives them back when a line comes
//                                                on its standard input ("released")
//   singleinstance_driver EXENAME open FILE...   a normal start with files on its
//                                                command line; prints "projects=<n>"
//                                                half a second into the loop
// With SINGLEINSTANCE_LOG set, the console's lines are appended to the file it names.
// A second start waits for the running instance's acknowledgement as long as the hang
// guard; SINGLEINSTANCE_ACK_MS=0 keeps the program's own wait.  It waits for the answer
// (what the instance did with the file) as long as the hang guard too.

#include <LogFileObserver.h>
#include <support/ApplicationRun.h>
#include <support/HangGuard.h>

#include <core/GUIApplication.h>

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Only against a hang: the tests decide by what the driver prints, never by its time.
using PelmoraTest::HangGuardMs;

std::string scenario;

// Answers the test's lines on standard input, one by one.
void answerOnStandardInput(Gui::GUISingleApplication* single)
{
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, single);
    QObject::connect(notifier, &QSocketNotifier::activated, single, [single, notifier] {
        static std::string line;
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            notifier->setEnabled(false);
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') {
                line += buffer[i];
                continue;
            }
            const std::string asked = line;
            line.clear();
            if (asked == "handon") {
                single->handOnBatch();
                continue;
            }
            if (asked == "clients") {
                std::printf("clients=%d\n", single->clientsSending());
            }
            else if (asked == "held") {
                // One reading: the bytes held and the clients holding them.
                std::printf("held=%lld %d\n", static_cast<long long>(single->bytesHeld()), single->clientsSending());
            }
            else {
                const QDeadlineTimer due = single->pendingBatchDeadline();
                if (due.isForever())
                    std::printf("deadline=none\n");
                else
                    std::printf("deadline=%lld\n", static_cast<long long>(due.deadlineNSecs()));
            }
            std::fflush(stdout);
        }
    });
}
std::set<std::string> projectsAtStart;

// Reports the first project opened since the start and quits.
bool reportNewProject()
{
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        if (projectsAtStart.count(project->get_name()))
            continue;
        std::printf("project=%s\n", project->get_name());
        std::fflush(stdout);
        QCoreApplication::quit();
        return true;
    }
    return false;
}

void watchForProject()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    static bool quitsWithTheBatch = false;
    if (!quitsWithTheBatch) {
        // Quits in the same turn of the loop that opened the file, as a user's quit
        // right after a hand-over may: the second start must still hear its answer.
        quitsWithTheBatch = true;
        if (auto* single = qobject_cast<Gui::GUISingleApplication*>(QCoreApplication::instance()))
            QObject::connect(single, &Gui::GUISingleApplication::messageReceived, [] { reportNewProject(); });
    }
    if (reportNewProject())
        return;
    if (clock.elapsed() > HangGuardMs) {
        QCoreApplication::quit();
        return;
    }
    QTimer::singleShot(50, watchForProject);
}

void onLoop()
{
    if (scenario == "batches") {
        auto* single = qobject_cast<Gui::GUISingleApplication*>(QCoreApplication::instance());
        if (!single) {
            QCoreApplication::quit();
            return;
        }
        QObject::connect(single, &Gui::GUISingleApplication::messageReceived,
                         [](const QList<QByteArray>& batch) {
                             static int seen = 0;
                             std::printf("batch=%d\n", batch.size());
                             std::fflush(stdout);
                             seen += batch.size();
                             if (seen >= 4)
                                 QCoreApplication::quit();
                         });
        single->holdBatchTimer(true);
        answerOnStandardInput(single);
        QTimer::singleShot(HangGuardMs, [] { QCoreApplication::quit(); });
        std::printf("ready\n");
        std::fflush(stdout);
    }
    else if (scenario == "exhaust") {
        for (Obj::Project* project : Obj::Application::instance().get_projects())
            projectsAtStart.insert(project->get_name());
        // Few enough descriptors to use them all up quickly.
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 512);
        setrlimit(RLIMIT_NOFILE, &limit);
        static std::vector<int> held;
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
            held.push_back(fd);
        std::printf("ready\nexhausted\n");
        std::fflush(stdout);
        // The descriptors are given back when the test says, once it saw a failed accept.
        auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [notifier] {
            notifier->setEnabled(false);
            for (int fd : held)
                ::close(fd);
            held.clear();
            std::printf("released\n");
            std::fflush(stdout);
            watchForProject();
        });
    }
    else if (scenario == "serve" || scenario == "crowd") {
        if (scenario == "crowd") {
            auto* single = qobject_cast<Gui::GUISingleApplication*>(QCoreApplication::instance());
            if (!single) {
                QCoreApplication::quit();
                return;
            }
            single->holdClientTimeouts(true);
            answerOnStandardInput(single);
        }
        for (Obj::Project* project : Obj::Application::instance().get_projects())
            projectsAtStart.insert(project->get_name());
        std::printf("ready\n");
        std::fflush(stdout);
        watchForProject();
    }
    else {
        // A first instance with files opens them itself; give delayed start-up its turn.
        QTimer::singleShot(500, [] {
            std::printf("projects=%zu\n", Obj::Application::instance().get_projects().size());
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: singleinstance_driver EXENAME serve|open [FILE...]\n");
        return 2;
    }
    scenario = argv[2];
    auto config = PelmoraTest::hostConfiguration(argv[1]);
    config["Verbose"] = "Strict";
    std::vector<char*> args = {argv[0]};
    for (int i = 3; i < argc; ++i)
        args.push_back(argv[i]);
    const char* acknowledgementMs = std::getenv("SINGLEINSTANCE_ACK_MS");
    Gui::GUISingleApplication::setAcknowledgementTimeoutMs(acknowledgementMs ? std::atoi(acknowledgementMs)
                                                                             : HangGuardMs);
    Gui::GUISingleApplication::setAnswerTimeoutMs(HangGuardMs);
    std::unique_ptr<Host::LogFileObserver> log;
    if (const char* logFile = std::getenv("SINGLEINSTANCE_LOG")) {
        log = std::make_unique<Host::LogFileObserver>(logFile);
        Vexil::MsgConsoleSingleton::Instance().connect_observer(log.get());
    }
    const int result = PelmoraTest::runApplication(config, args, onLoop);
    if (log)
        Vexil::MsgConsoleSingleton::Instance().disconnect_observer(log.get());
    return result;
}
