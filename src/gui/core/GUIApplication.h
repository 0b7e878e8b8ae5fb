#pragma once
// The Qt application of the library, in three layers: 3D-mouse event delivery,
// exception-guarded event delivery, and the single-instance local server.

#include "PelmoraGuiExport.h"

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>

#include <memory>
#include <string>
#include <vector>

class QSessionManager;
namespace Vexil { class SystemExitException; }

namespace Gui {

class PELMORAGUI_EXPORT GUIApplicationDeviceEvent : public QApplication
{
    Q_OBJECT
public:
    GUIApplicationDeviceEvent(int& argc, char** argv);
    ~GUIApplicationDeviceEvent() override;

    // Records the receiver of 3D-mouse events and registers the two event types
    // (motion first, then buttons).
    void setSpaceballReceiver(QWidget* mainWindow);
    QWidget* spaceballReceiver() const { return receiver; }
    static int motionEventType();
    static int buttonEventType();

protected:
    bool isSpaceballEvent(const QEvent* event) const;
    bool deliverSpaceballEvent(QObject* receiver, QEvent* event);

private:
    QWidget* receiver = nullptr;
};

class PELMORAGUI_EXPORT GUIApplication : public GUIApplicationDeviceEvent
{
    Q_OBJECT
public:
    GUIApplication(int& argc, char** argv);
    ~GUIApplication() override;

    // What the desktop's log-off does to the main window: without interaction every
    // project is closed and the window with it; otherwise the window is asked to close.
    // False when the window refused, which stops the log-off.
    static bool closeForLogOff(bool interactive);

    bool notify(QObject* receiver, QEvent* event) override;
    // The system exit caught during event delivery, if any.
    std::shared_ptr<Vexil::SystemExitException> storedSystemExit() const { return systemExit; }

public Q_SLOTS:
    void commitData(QSessionManager& manager);

protected:
    bool event(QEvent* event) override;

private:
    void describeEvent(QObject* receiver, QEvent* event) const;
    std::shared_ptr<Vexil::SystemExitException> systemExit;
};

class PELMORAGUI_EXPORT GUISingleApplication : public GUIApplication
{
    Q_OBJECT
public:
    GUISingleApplication(int& argc, char** argv);
    ~GUISingleApplication() override;

    // True when another instance answered on the server name.
    bool isRunning() const;
    // The server's name; its socket lives in a folder private to the user (the runtime
    // folder, or one of mode 0700 under the temporary folder).
    QString serverName() const;

    // Sends one message to the running instance: one serialized byte array per
    // connection.  False when no instance answers or does not acknowledge the message
    // within `timeoutMs` (each wait).  With `answer`, waits on after the acknowledgement,
    // up to `answerTimeoutMs`, for what the instance did with the message (see
    // answerMessage); `answer` stays empty when it said nothing in that time.
    bool sendMessage(const QByteArray& message, int timeoutMs = 5000, QByteArray* answer = nullptr,
                     int answerTimeoutMs = 0) const;
    // While messageReceived is emitted: tells the sender of the batch's message `index`
    // what became of it ("OPENED", "REFUSED <reason>", "NOT TAKEN <reason>") and ends its
    // connection.  A sender not answered by the end of the emission is let go without.
    void answerMessage(int index, const QByteArray& answer);
    // For a second start: when another instance runs and the command line names files,
    // refuses those it can tell will not open (missing, a folder, of no known kind), and
    // sends "OpenFile:<absolute path>" for each other one (the name's local 8-bit bytes as
    // given), waiting a while for the instance's answer.  True when nothing is left for
    // this instance to open: every file was opened or asked about there, or refused (with
    // the reason on the console; qPelmoraApplication::handed_over_files_refused counts
    // them), or not answered about in time (reported and counted the same way: it may or
    // may not have been opened); the caller then ends.  A file the instance did not acknowledge or did not take
    // (its window is closing) is reported and left to this instance
    // (commandLineFilesToOpen).  False for a first instance or a command line without
    // files.  Tried once; later calls give the same answer.
    bool handOverCommandLineFiles() const;
    // How long handOverCommandLineFiles waits for the instance's answer about one file
    // (two minutes; a test shortens it; 0 restores the default); returns the one before.
    // A file not answered about in that time is reported as such, not as handed over.
    static int setAnswerTimeoutMs(int ms);
    // How long handOverCommandLineFiles waits for the instance's acknowledgement of each
    // file (5 s; past it the instance is taken as hung and this start opens the file
    // itself; a test on a loaded machine lengthens it; 0 restores the default); returns the
    // one before.
    static int setAcknowledgementTimeoutMs(int ms);
    // A start that nobody is at (one taking a screenshot) hands its files over with this
    // prefix instead of "OpenFile:"; the running window then says a refusal on its console
    // only, without a box.
    static constexpr const char* UnattendedOpenFilePrefix = "OpenFileUnattended:";
    static void setHandOverUnattended(bool unattended);
    // A file a second start refused itself (missing, a folder, of no known kind) is still
    // told to the running window, which shows the refusal as it does for a drop:
    // "RefusedFile:<absolute path>" NUL "<reason>" ("RefusedFileUnattended:" from a start
    // that nobody is at: the console only), sent after the files it hands over.  The path
    // is bounded as an "OpenFile:" one is.  The second start ends with its status all the
    // same.
    static constexpr const char* RefusedFilePrefix = "RefusedFile:";
    static constexpr const char* UnattendedRefusedFilePrefix = "RefusedFileUnattended:";
    // How many of this start's files the running instance said it opened.
    static std::size_t filesOpenedByRunningInstance();
    // The command-line files this instance opens itself: all of them, or for a second
    // start those the running instance did not take; in the order that opens them
    // together (qPelmoraApplication::files_to_open_together).
    std::vector<std::string> commandLineFilesToOpen() const;
    // The same files as named, before any is left out for being named with another.
    std::vector<std::string> commandLineFilesNamedHere() const;
    // When the messages received so far are handed on (messageReceived): set by the
    // first message of a batch, never put off by the ones that join it; forever while
    // no batch is being collected.
    QDeadlineTimer pendingBatchDeadline() const;
    // Test seams: the server's timers driven by a test instead of the clock.  While the
    // batch timer is held, a batch is handed on by handOnBatch() only (pendingBatchDeadline
    // still tells when the timer would have); handOnBatch hands on the messages received so
    // far as the timer does, if any.  While the clients' time-outs are held, a client that
    // says nothing is kept until it leaves.  clientsSending: the clients connected whose
    // message has not come whole yet, silent ones included.  bytesHeld: what all clients
    // together make this process hold, received or still arriving.
    void holdBatchTimer(bool held);
    void handOnBatch();
    void holdClientTimeouts(bool held);
    int clientsSending() const;
    qint64 bytesHeld() const;

Q_SIGNALS:
    void messageReceived(const QList<QByteArray>& messages);

public Q_SLOTS:
    void receiveConnection();
    void processMessages();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Gui
