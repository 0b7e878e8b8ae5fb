// The update check against a feed served on this machine: newer, same, empty and broken
// feeds, an unreachable server, and the command that runs the dialog.

#include <commands/HelpCommands.h>
#include <support/HangGuard.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/CheckUpdatesDialog.h>

#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Answers every request with the same body.
class FeedServer : public QTcpServer
{
public:
    // Without `announced`, the length is not given: the body ends when the connection does.
    explicit FeedServer(const QByteArray& feed, bool announced = true) : body(feed)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this, announced] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, announced] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    const QByteArray length =
                        announced ? "Content-Length: " + QByteArray::number(body.size()) + "\r\n" : QByteArray();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/atom+xml\r\n" + length
                                  + "Connection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/releases.atom").arg(serverPort()); }

private:
    QByteArray body;
};

QByteArray feedWithTitle(const char* title)
{
    return QByteArray("<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Releases</title>"
                      "<entry><id>1</id><title>")
           + title + "</title></entry><entry><title>v1.0</title></entry></feed>";
}

const QString checking = QStringLiteral("Checking for Updates...");

// Runs one check and waits (a bounded time) for its answer.
void check(CheckUpdatesDialog& dlg, const QString& feed)
{
    CheckUpdatesDialog::setReleaseFeedAddress(feed);
    dlg.startChecking();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.headerText() != checking; }, PelmoraTest::HangGuardMs));
}

} // namespace

TEST(UpdateCheck, ComparesTheFirstReleaseOfTheFeedByNumber)
{
    const QString failure = QStringLiteral("<b>An error occurred while checking for updates</b>");
    struct Case
    {
        QByteArray feed;
        QString header;
        QString message;
        bool download;
    };
    const Case cases[] = {
        {feedWithTitle("v2.1"), "<b>Pelmora is up to date</b>", "Version 2.1", false},
        {feedWithTitle("v2.10"), "<b>A new version of Pelmora is available!</b>",
         "Pelmora 2.10 is now available -- you have 2.1. Would you like to download it?", true},
        {feedWithTitle("2.2"), "<b>A new version of Pelmora is available!</b>",
         "Pelmora 2.2 is now available -- you have 2.1. Would you like to download it?", true},
        {feedWithTitle("v2.1.0"), "<b>Pelmora is up to date</b>", "Version 2.1", false},
        {feedWithTitle("\n  v2.2\n"), "<b>A new version of Pelmora is available!</b>",
         "Pelmora 2.2 is now available -- you have 2.1. Would you like to download it?", true},
        // Titles that are no version number tell nothing about what is newer.
        {feedWithTitle("nightly"), failure, "Couldn't retrieve the version information", false},
        {feedWithTitle("V3.0"), failure, "Couldn't retrieve the version information", false},
        {feedWithTitle("Pelmora 3.0"), failure, "Couldn't retrieve the version information", false},
        {feedWithTitle(""), failure, "Couldn't retrieve the version information", false},
        {" \n\t ", failure, "Network response is empty", false},
        {"<feed><title>Releases</title></feed>", failure, "Couldn't retrieve the version information", false},
        {"<feed><entry><title>v3.0", failure, "Couldn't retrieve the version information", false},
    };
    for (const Case& c : cases) {
        FeedServer server(c.feed);
        ASSERT_TRUE(server.isListening());
        CheckUpdatesDialog dlg;
        EXPECT_EQ(dlg.headerText(), checking);
        check(dlg, server.address());
        EXPECT_EQ(dlg.headerText(), c.header) << c.feed.toStdString();
        EXPECT_EQ(dlg.messageText(), c.message) << c.feed.toStdString();
        EXPECT_EQ(dlg.isDownloadEnabled(), c.download) << c.feed.toStdString();
    }
}

TEST(UpdateCheck, HostileFeedsAreRefusedWithoutBeingReadWholeOrShownAsMarkup)
{
    const QString failure = QStringLiteral("Couldn't retrieve the version information");
    // Far bigger than any release feed: given its length, or just sent on and on.
    const QByteArray huge = feedWithTitle("v9.0") + QByteArray(6 * 1024 * 1024, ' ');
    for (bool announced : {true, false}) {
        FeedServer server(huge, announced);
        CheckUpdatesDialog dlg;
        check(dlg, server.address());
        EXPECT_EQ(dlg.messageText(), failure) << announced;
        EXPECT_FALSE(dlg.isDownloadEnabled());
    }
    {
        FeedServer server(feedWithTitle(QByteArray(100000, '9').constData()));
        CheckUpdatesDialog dlg;
        check(dlg, server.address());
        EXPECT_EQ(dlg.messageText(), failure);
    }
    // A version with markup after it: offered, but its markup shown as text.
    FeedServer server(feedWithTitle("3.0&lt;img src=&quot;file:///etc/passwd&quot;&gt;"));
    CheckUpdatesDialog dlg;
    check(dlg, server.address());
    ASSERT_TRUE(dlg.isDownloadEnabled());
    const QString shown = dlg.messageText();
    EXPECT_TRUE(shown.contains(QStringLiteral("3.0<img src=\"file:///etc/passwd\">"))) << shown.toStdString();
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->text() == shown) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        }
    }
}

TEST(UpdateCheck, AnUnreachableServerIsReported)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    CheckUpdatesDialog dlg;
    check(dlg, QStringLiteral("http://127.0.0.1:%1/releases.atom").arg(port));
    EXPECT_EQ(dlg.messageText(), "Please check your internet connection and try again later.");
    EXPECT_FALSE(dlg.isDownloadEnabled());
}

TEST(UpdateCheck, TheCommandRunsTheDialogUntilTheUserClosesIt)
{
    Obj::Application::init_types();
    if (!Gui::qPelmoraApplication::types_initialized())
        Gui::qPelmoraApplication::initialize_application();
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    FeedServer server(feedWithTitle("v9.0"));
    CheckUpdatesDialog::setReleaseFeedAddress(server.address());

    // Closed as soon as it shows: the command returns without waiting for the answer.
    PelmoraTest::ModalCloser closer;
    app.get_command_manager().run_command_by_name("Std_CheckForUpdates");
    EXPECT_EQ(closer.count(), 1);
}
