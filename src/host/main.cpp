// The host program: sets up the application logic from the command line, registers
// the product's module classes and runs the GUI library.
//
// Own options, taken off the command line before the logic sees it:
//   --hidden           start without showing the window; the loop ends after start-up.
//                      No box is shown: questions take the answer that keeps what is
//                      open, and refusals go to the console (qPelmoraApplicationFiles.cpp)
//                      and to standard error. The exit status is 1 when a file named on
//                      the command line was not opened.  A second start, hidden or not,
//                      exits with 1 when it or the running instance refused its file,
//                      or when the instance gave no answer about it in two minutes.
//   --screenshot FILE  save a PNG of the main window once start-up is done, then quit;
//                      refusals go to standard error and set the exit status as with
//                      --hidden; refused at once on a window system without OpenGL
//   --log FILE         append every console line, with its level, to FILE: a new or
//                      empty file, or a log written before (LogFileObserver.h)

#include "DisplayCheck.h"
#include "HostOptions.h"
#include "LogFileObserver.h"
#include "Screenshot.h"
#include "StandardErrorObserver.h"

#include <core/GUIApplication.h>
#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <obj/Application.h>
#include <vexil/AddressSpace.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <vtkLogger.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace {

// The threads a start makes besides its pools, each with a stack of its own: the display
// check's, the watch on Qt's connection, the window system's event queue, D-Bus's
// connection, the logic's worker and the libraries' own.  Where one cannot start, Qt can
// wait for it for ever.
constexpr std::uint64_t StartThreads = 6;

// Empty when the cap on the address space, if any, leaves room for the start-up before
// OpenGL starts (the window system, the libraries' first use, and the thread pools, one
// stack per processor this process may run on), else why not.  Short of that room the
// start fails wherever memory runs out: in Qt's platform plugin (which aborts), or in a
// thread that never starts and is waited for.  The OpenGL driver's own room is checked
// when it starts.
std::string startRoomProblem()
{
    const std::uint64_t cap = Vexil::AddressSpace::cap();
    if (cap == 0)
        return {};
    const std::uint64_t left = Vexil::AddressSpace::left();
    const std::uint64_t needed = (std::uint64_t(64) << 20) + (Vexil::AddressSpace::usableProcessors() + StartThreads) *
                                                                 Vexil::AddressSpace::defaultThreadStack();
    if (left >= needed)
        return {};
    using Vexil::AddressSpace;
    return "cannot start: there is not enough memory: starting needs about " + std::to_string(AddressSpace::mib(needed)) +
           " MiB of address space, and the limit of " + std::to_string(AddressSpace::mib(cap)) + " MiB on this process leaves " +
           std::to_string(AddressSpace::mib(left)) + " MiB";
}

// Qt ends the process with an abort, and advice to reinstall, when its window system
// platform fails to start (its X connection refused or dropped after the check above
// passed).  Until Qt has started, such a failure ends the start with status 1 and what Qt
// said was wrong.
QtMessageHandler libraryMessageHandler = nullptr;
bool qtStarting = true;
std::string platformName;
std::string lastQtWarning;

void startupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (qtStarting && type == QtWarningMsg)
        lastQtWarning = msg.toUtf8().toStdString();
    if (!qtStarting || type != QtFatalMsg) {
        if (libraryMessageHandler)
            libraryMessageHandler(type, context, msg);
        return;
    }
    std::string said = msg.toUtf8().toStdString();
    // Qt's advice is no reason, and no reinstall mends a display.
    said = said.substr(0, said.find(". Reinstalling"));
    const std::string reason = "cannot start: the window system platform \"" + platformName + "\" did not start: " +
                               Vexil::printableText(lastQtWarning.empty() ? said : lastQtWarning);
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    console.Error("%s\n", reason.c_str());
    if (!console.get_observer("StandardError"))
        std::fprintf(stderr, "pelmora: %s\n", reason.c_str());
    std::fflush(nullptr);
    ::_exit(1);
}

// Until then a display that drops a connection makes the X library's next write raise
// SIGPIPE, which would end the start without a word: the write fails instead, and the
// failure is said.  Restored afterwards, since the programs this one runs inherit it.
struct sigaction pipeAction;

// A display that takes Qt's own connection and then says nothing holds the start in the X
// library for ever, and one that breaks the connection half-way can crash Qt's platform
// plugin.  Until Qt has its window system, either ends the start with status 1 and why.
constexpr int QtConnectSeconds = 30;
struct sigaction crashActions[2];
std::mutex startingLock;
std::condition_variable startingDone;
bool connected = false;

void writeAndEnd(const char* text, std::size_t size)
{
    ssize_t written = ::write(2, text, size);
    (void)written;
    ::_exit(1);
}

void crashWhileConnecting(int)
{
    static const char text[] = "pelmora: cannot start: the window system platform failed while it connected to the "
                               "display (the display broke the connection)\n";
    writeAndEnd(text, sizeof text - 1);
}

void watchQtConnecting()
{
    struct sigaction crash = {};
    crash.sa_handler = crashWhileConnecting;
    ::sigaction(SIGSEGV, &crash, &crashActions[0]);
    ::sigaction(SIGBUS, &crash, &crashActions[1]);
    // Under a cap on the address space the thread's stack may not fit: the start then ends
    // saying so, rather than wait on a display that may never answer.
    try {
        std::thread([] {
            std::unique_lock<std::mutex> lock(startingLock);
            if (startingDone.wait_for(lock, std::chrono::seconds(QtConnectSeconds), [] { return connected; }))
                return;
            static const char text[] = "pelmora: cannot start: the display does not answer the window system "
                                       "platform's connection\n";
            writeAndEnd(text, sizeof text - 1);
        }).detach();
    }
    catch (const std::exception& e) {
        const std::string text = "pelmora: cannot start: there is not enough memory to start the thread that watches "
                                 "the window system's connection (" + Vexil::printableText(e.what()) + ")\n";
        writeAndEnd(text.c_str(), text.size());
    }
}

// Runs once Qt's application object has its window system: the check's own connection
// to the display can go, and a fatal message from Qt is Qt's again.
void qtStarted()
{
    Host::releaseDisplayCheck();
    qtStarting = false;
    ::sigaction(SIGPIPE, &pipeAction, nullptr);
    ::sigaction(SIGSEGV, &crashActions[0], nullptr);
    ::sigaction(SIGBUS, &crashActions[1], nullptr);
    {
        std::lock_guard<std::mutex> lock(startingLock);
        connected = true;
    }
    startingDone.notify_all();
}

} // namespace

int main(int argc, char** argv)
{
    // Each thread that allocates would otherwise reserve a heap of 64 MiB of address space
    // for itself: the software renderer's twenty-odd threads took 1.2 GiB of it that held
    // nothing, and a process whose address space is capped ran out of memory with a
    // fraction of it in use.  Two heaps serve the few threads that allocate much.
    mallopt(M_ARENA_MAX, 2);
    Host::Options options = Host::parseOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "pelmora: %s\n", options.error.c_str());
        return 2;
    }

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &pipeAction);
    // The room first: the window system's check starts a thread, whose stack may not fit.
    if (const std::string problem = startRoomProblem(); !problem.empty()) {
        std::fprintf(stderr, "pelmora: %s\n", problem.c_str());
        return 1;
    }
    Host::WindowSystem windowSystem;
    try {
        windowSystem = Host::windowSystem(options.arguments, options.hidden);
    }
    catch (const std::exception& e) {
        windowSystem.problem = "cannot start: there is not enough memory to check the window system (" +
                               Vexil::printableText(e.what()) + ")";
    }
    if (!windowSystem.problem.empty()) {
        std::fprintf(stderr, "pelmora: %s\n", windowSystem.problem.c_str());
        return 1;
    }
    // The 3D views of such a window system never draw: a wait for their first frame would
    // end only when the screenshot gives up.
    if (!options.screenshotFile.empty() && !options.hidden && windowSystem.withoutOpenGL()) {
        std::fprintf(stderr, "pelmora: no screenshot was written to %s: the window system \"%s\" has no OpenGL to draw "
                     "the 3D view with; take it on a display (under xvfb-run, for one)\n",
                     Vexil::printableText(options.screenshotFile).c_str(), windowSystem.platform.c_str());
        return 1;
    }

    // VTK's messages reach the console (and from there standard error and the log) through
    // its output window; its logger would print them once more on standard error, raw,
    // with colour codes and the source file and line that raised them.
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_OFF);

    std::unique_ptr<Host::LogFileObserver> log;
    if (!options.logFile.empty()) {
        log = std::make_unique<Host::LogFileObserver>(options.logFile);
        if (!log->isOpen()) {
            std::fprintf(stderr, "pelmora: cannot write the log file %s: %s\n",
                         Vexil::printableText(options.logFile).c_str(), log->openError().c_str());
            return 1;
        }
        Vexil::MsgConsoleSingleton::Instance().connect_observer(log.get());
    }

    // Connected before the logic starts: refusals during start-up count too.  A start for
    // a screenshot is as unattended as a hidden one and tells its failures the same way.
    const bool unattended = options.hidden || !options.screenshotFile.empty();
    std::unique_ptr<Host::StandardErrorObserver> standardError;
    if (unattended) {
        standardError = std::make_unique<Host::StandardErrorObserver>();
        Vexil::MsgConsoleSingleton::Instance().connect_observer(standardError.get());
    }

    // For tests of a second start whose running instance keeps silent: how long it waits
    // for the answer about each file, instead of two minutes.
    if (const char* answerMs = std::getenv("PELMORA_TEST_HANDOVER_ANSWER_MS"))
        Gui::GUISingleApplication::setAnswerTimeoutMs(std::atoi(answerMs));
    // For tests that tell a picture taken when the window was ready from one taken when the
    // start gave up waiting: 0 never gives up.
    if (const char* giveUpMs = std::getenv("PELMORA_TEST_SCREENSHOT_GIVE_UP_MS"))
        Host::setScreenshotGiveUpMs(std::atoi(giveUpMs));
    // For tests on a loaded machine: how long it waits for the acknowledgement of each file
    // before it takes the running instance as hung, instead of five seconds.
    if (const char* acknowledgementMs = std::getenv("PELMORA_TEST_HANDOVER_ACK_MS"))
        Gui::GUISingleApplication::setAcknowledgementTimeoutMs(std::atoi(acknowledgementMs));
    // Nobody waits at a screenshot start: the running window says a refusal of its file on
    // its console, not in a box, and this start says it on standard error.
    Gui::GUISingleApplication::setHandOverUnattended(!options.screenshotFile.empty());
    // Nor in its own window: a box there would wait for nobody, and the picture with it.
    if (!options.screenshotFile.empty())
        Gui::qPelmoraApplication::set_refusals_on_console_only(true);

    int result = 0;
    try {
        Obj::Application logic(static_cast<int>(options.arguments.size()) - 1, options.arguments.data(),
                               Host::configuration(options));
        if (!options.screenshotFile.empty())
            Host::requestScreenshot(options.screenshotFile);

        Gui::qPelmoraApplication::initialize_application();
        platformName = windowSystem.platform;
        libraryMessageHandler = qInstallMessageHandler(startupMessageHandler);
        qAddPreRoutine(qtStarted);
        watchQtConnecting();
        FemGui::initModule();
        Gui::qPelmoraApplication::execute_application();
        Gui::qPelmoraApplication::destruct();
        if (!options.screenshotFile.empty() && !Host::screenshotTaken()) {
            // A hidden start ends before any window is on screen.
            // A file handed over opens in the running instance's window, and this start
            // then shows none of its own.
            const std::size_t handedOver = Gui::GUISingleApplication::filesOpenedByRunningInstance();
            const std::string why =
                options.hidden ? std::string("a start with --hidden shows no window to picture")
                : handedOver > 0
                    ? "the file" + std::string(handedOver > 1 ? "s named were" : " named was")
                          + " handed over to the running instance and opened in its window, so this start "
                            "showed no window to picture"
                : Gui::qPelmoraApplication::handed_over_files_refused() > 0
                    ? std::string("the running instance did not open the file named, and this start showed no "
                                  "window to picture")
                    : std::string("the start ended before the main window was ready");
            if (!Host::screenshotFailureSaid())
                std::fprintf(stderr, "pelmora: no screenshot was written to %s: %s\n",
                             Vexil::printableText(options.screenshotFile).c_str(), why.c_str());
            result = 1;
        }
        // A script that names a file must be able to tell a refusal from success; so must
        // one that hands its file to the running instance, window or not.
        if ((unattended || Gui::qPelmoraApplication::handed_over_files_refused() > 0) &&
            Gui::qPelmoraApplication::command_line_files_not_opened() > 0)
            result = 1;
    }
    catch (const Vexil::SystemExitException& e) {
        result = static_cast<int>(e.getExitCode());
    }
    catch (const std::exception& e) {
        std::fprintf(stderr, "pelmora: %s\n", e.what());
        result = 1;
    }
    catch (...) {
        std::fprintf(stderr, "pelmora: unknown failure\n");
        result = 1;
    }

    if (log)
        Vexil::MsgConsoleSingleton::Instance().disconnect_observer(log.get());
    if (standardError)
        Vexil::MsgConsoleSingleton::Instance().disconnect_observer(standardError.get());
    return result;
}
