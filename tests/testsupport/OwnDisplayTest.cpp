// Each test process runs on a display of its own: what one test puts on the clipboard and
// which of its windows is active stay as they are while another test process, started at
// the same moment by the same main(), fills its clipboard and activates its own window.

#include <support/SettleEvents.h>
#include <support/OwnDisplay.h>
#include <support/HangGuard.h>
#include <support/WindowFocus.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr const char* probeVariable = "PELMORA_OWN_DISPLAY_PROBE";

// The second process: reports its display and what its clipboard held when it started, then
// copies and types as a test would.
void actAsProbe()
{
    const QString found = QGuiApplication::clipboard()->text();
    QLineEdit editor;
    editor.show();
    const bool active = PelmoraTest::activateForTyping(&editor);
    QTest::keyClicks(&editor, QStringLiteral("probe"));
    QGuiApplication::clipboard()->setText(QStringLiteral("from the probe"));
    // The copy and the activation reach the display server before the report.
    PelmoraTest::settleWithDisplay();
    std::printf("display=%s found=[%s] active=%d typed=[%s]\n", qgetenv("DISPLAY").constData(),
                qPrintable(found), active ? 1 : 0, qPrintable(editor.text()));
    std::fflush(stdout);
}

} // namespace

TEST(OwnDisplay, ClipboardAndFocusStayWithTheirTestProcess)
{
    if (qEnvironmentVariableIsSet(probeVariable)) {
        actAsProbe();
        return;
    }
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "no display on the " << qPrintable(QGuiApplication::platformName()) << " platform";
    const QByteArray display = qgetenv("DISPLAY");
    ASSERT_FALSE(display.isEmpty());
    EXPECT_EQ(display, qgetenv(PelmoraTest::ownDisplayVariable));
    EXPECT_TRUE(PelmoraTest::onOwnDisplay());

    QLineEdit editor;
    editor.show();
    ASSERT_TRUE(PelmoraTest::activateForTyping(&editor));
    QGuiApplication::clipboard()->setText(QStringLiteral("copied by the test"));

    // The same program, inheriting this process's DISPLAY, as a neighbour test would.
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(probeVariable), QStringLiteral("1"));
    probe.setProcessEnvironment(env);
    probe.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=OwnDisplay.ClipboardAndFocusStayWithTheirTestProcess")});
    ASSERT_TRUE(probe.waitForStarted(PelmoraTest::HangGuardMs));
    // Keep this process's event loop running, so that it would see a focus change.
    QElapsedTimer clock;
    clock.start();
    while (probe.state() != QProcess::NotRunning && clock.elapsed() < PelmoraTest::HangGuardMs)
        QTest::qWait(20);
    ASSERT_EQ(probe.state(), QProcess::NotRunning);
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    const QString report = QString::fromLocal8Bit(probe.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(
        QStringLiteral("display=(\\S*) found=\\[(.*)\\] active=(\\d) typed=\\[(.*)\\]")).match(report);
    ASSERT_TRUE(m.hasMatch()) << report.toStdString();
    EXPECT_NE(m.captured(1).toLocal8Bit(), display);
    EXPECT_EQ(m.captured(2), QString()) << "the probe saw this process's clipboard";
    EXPECT_EQ(m.captured(3), QStringLiteral("1"));
    EXPECT_EQ(m.captured(4), QStringLiteral("probe"));

    // Here nothing changed: the clipboard and the active window are still this test's.  The
    // probe has ended; a round trip to this display brings in whatever it made the display
    // send here, and it is handled before the check.  The clipboard's owner is asked of the
    // display itself.
    PelmoraTest::settleWithDisplay();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copied by the test"));
    EXPECT_EQ(QApplication::activeWindow(), &editor);
    QTest::keyClicks(&editor, QStringLiteral("mine"));
    EXPECT_EQ(editor.text(), QStringLiteral("mine"));
}
