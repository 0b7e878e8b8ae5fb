// Messages of the window system in the running main window: an X protocol error that Qt's
// X connection reports, and any message of Qt's platform categories, go to the host's log
// file and not to the user's Output dock; Qt's other warnings still reach the Output.

#include <core/qPelmoraApplication.h>
#include <support/HangGuard.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/ReportOutput.h>

#include <LogFileObserver.h>
#include <support/GuiSession.h>

#include <vexil/MsgConsole.h>

#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#ifdef PELMORA_TEST_HAS_XCB
#include <xcb/xcb.h>
#endif

#include <memory>

namespace {

Q_LOGGING_CATEGORY(platformCategory, "qt.qpa.xcb")

class OutputWindowSystem : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        ASSERT_TRUE(dir.isValid());
        logFile = dir.filePath(QStringLiteral("pelmora session.log"));
        log = std::make_unique<Host::LogFileObserver>(QFile::encodeName(logFile).toStdString());
        ASSERT_TRUE(log->isOpen());
        Vexil::MsgConsoleSingleton::Instance().connect_observer(log.get());
        output = window->findChild<Gui::DockWindow::ReportOutput*>();
    }
    void TearDown() override
    {
        Vexil::MsgConsoleSingleton::Instance().disconnect_observer(log.get());
        log.reset();
        MainWindowSession::TearDown();
    }
    QString logText() const
    {
        QFile file(logFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir dir;
    QString logFile;
    std::unique_ptr<Host::LogFileObserver> log;
    Gui::DockWindow::ReportOutput* output = nullptr;
};

} // namespace

TEST_F(OutputWindowSystem, WindowSystemMessagesGoToTheLogNotToTheOutput)
{
    ASSERT_NE(output, nullptr);
    const QString xcbError = QStringLiteral(
        "QXcbConnection: XCB error: 3 (BadWindow), sequence: 3107, resource id: 31457299, major code: 40 "
        "(TranslateCoords), minor code: 0");
    qCWarning(platformCategory, "%s", qUtf8Printable(xcbError));
    qWarning("an ordinary warning from Qt");

#ifdef PELMORA_TEST_HAS_XCB
    // A real protocol error on Qt's own connection: another client destroys a window of
    // ours, and Qt then names it in a request.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QWidget victim;
        victim.resize(120, 80);
        victim.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&victim, PelmoraTest::HangGuardMs));
        xcb_connection_t* other = xcb_connect(nullptr, nullptr);
        ASSERT_EQ(xcb_connection_has_error(other), 0);
        xcb_destroy_window(other, static_cast<xcb_window_t>(victim.winId()));
        free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
        victim.setWindowTitle(QStringLiteral("gone"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return logText().contains(QLatin1String("XCB error: 3 (BadWindow)"))
                                                  && logText().count(QLatin1String("XCB error")) >= 2; },
                                    PelmoraTest::HangGuardMs))
            << logText().toStdString();
        xcb_disconnect(other);
    }
#endif

    ASSERT_TRUE(QTest::qWaitFor([&] { return output->toPlainText().contains(QLatin1String("an ordinary warning")); }, PelmoraTest::HangGuardMs));
    for (int i = 0; i < 5; ++i)
        QTest::qWait(20);
    const QString shown = output->toPlainText();
    EXPECT_FALSE(shown.contains(QLatin1String("XCB"))) << shown.toStdString();
    EXPECT_TRUE(logText().contains(QStringLiteral("[Log] ") + xcbError + QLatin1Char('\n'))) << logText().toStdString();
    EXPECT_TRUE(logText().contains(QLatin1String("[Wrn] an ordinary warning from Qt\n")));
}
