// main() of every test program: isolate the environment, give the process a display of its
// own, then run GoogleTest inside a QApplication so that widgets and queued events work.

#include "OwnDisplay.h"
#include <cstdlib>
#include "TestEnvironment.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Closing the main window quits the application, as it should.  Outside the application's
// own loop that quit stays pending: Qt then refuses every later event loop, so every
// dialog a later test opens would return at once without showing.  Each test begins and
// ends with the application able to run loops again, whatever the test before it closed,
// and with no quit event queued by a window closed inside the application's loop.
class RestoreEventLoops : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override { restore(); }
    void OnTestEnd(const ::testing::TestInfo&) override { restore(); }

    static void restore()
    {
        if (!QCoreApplication::instance())
            return;
        if (loopsRefused()) {
            // The application's loop forgets a pending quit when it starts and when it ends.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        }
        QCoreApplication::removePostedEvents(QCoreApplication::instance(), QEvent::Quit);
    }

    static bool loopsRefused()
    {
        QEventLoop loop;
        bool ran = false;
        QTimer::singleShot(0, &loop, [&] {
            ran = true;
            loop.quit();
        });
        loop.exec();
        return !ran;
    }
};

} // namespace

int main(int argc, char** argv)
{
    // Tables fed by file content draw a seed per process; a fixed one makes the work the
    // tests count the same on every run (the programs they start inherit it).
    ::setenv("PELMORA_HASH_SEED", "20261208", 1);
    PelmoraTest::isolateEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery) shows no window.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QString error;
    if (!PelmoraTest::startOwnDisplay(&error)) {
        std::fprintf(stderr,
                     "%s: a test program runs on an X display of its own, so that no other test "
                     "shares its clipboard, keyboard focus or active window, and none could be "
                     "started: %s\nInstall Xvfb (scripts/install-deps.sh does), or set "
                     "QT_QPA_PLATFORM=offscreen for tests that need no display.\n",
                     argv[0], qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreEventLoops);
    return RUN_ALL_TESTS();
}
