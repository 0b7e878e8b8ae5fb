#pragma once
// The process console: runs one external program, shows what it writes as it arrives,
// tells how it ended (clean, a warning or an error in its output, a failed start, a
// crash), and lets the user stop it, copy, save or clear the output and switch between a
// light and a dark text style.
//
// A run is the program and every process it starts, in a process group of their own.  It
// goes on until all of them have ended and closed the output; what they write until then
// is shown and judged.  A program that left the group holds the run no longer than the
// group lives: once the group is gone, what is in the output is read and the run ends.
// Output is shown as UTF-8 line by line where it is valid UTF-8, as GBK elsewhere; a line
// valid in both is shown in the encoding of the run's last line valid in only one of them
// (UTF-8 before any).  Copying and saving give the
// text as shown.  How a run went never depends on whether its output could be shown: the
// words are looked for in what was read, and output that could not be read or kept fails
// the run, and the output says why.  Stop, and Close answered Yes, end the whole group:
// SIGTERM, then SIGKILL after a grace of StopGraceMs.  Close, Escape, the window's own close and the
// close of the parent window are one way of closing: while a program of the run still
// runs they ask first, and the dialog closes once the run is over.  The dialog closes at
// most once per showing or run, and a run the user or a signal ended, or that printed an
// error, never closes it accepted.  The application's quit ends a run as Stop does, at
// once with SIGKILL, and closes a shown console once.  On Linux the run's first program
// is sent SIGTERM when the application dies, however it dies.  Processes that still run
// MaxChecksAfterKill checks after SIGKILL (ones the console may not signal) are given up:
// the output names them and the run has failed.

#include "PelmoraGuiExport.h"

#include <QDialog>
#include <QProcess>

#include <memory>

#include <QPointer>

QT_BEGIN_NAMESPACE
class QCloseEvent;
class QEventLoop;
class QMessageBox;
class QProgressBar;
class QShowEvent;
class QSocketNotifier;
class QPushButton;
class QTextBrowser;
class QTimer;
QT_END_NAMESPACE

namespace Gui {

class PELMORAGUI_EXPORT DlgIPCImp : public QDialog
{
    Q_OBJECT
public:
    // The console is a window of its own; closing `parent`'s window is one more way of
    // closing it.
    DlgIPCImp(const QString& title, bool keepOpen, QWidget* parent = nullptr);
    ~DlgIPCImp() override;

    // False, and nothing starts, when `executable` is empty or no existing file, and while
    // a program of a run still runs or holds its output open; that run is left as it was.
    // The end of a run that is still being shown is told first, and the dialog stays open
    // for the new run.
    bool startRunning(const QString& executable, const QStringList& arguments);
    // True while a program of the run still runs or holds its output open.
    bool isRunning() const;
    // True once a run has ended with an error in its output, a failed start or a crash,
    // even while the end of its output is still being shown, and once the user stopped
    // the run.
    bool hasErrors() const { return errorFound; }

    QTextBrowser* output() const;
    QProgressBar* progressBar() const;

    // What the view keeps of a long run: the oldest lines go first, and a note at the top
    // says how many went.
    static constexpr int MaxKeptLines = 10000;
    static constexpr int MaxKeptChars = 4 * 1024 * 1024;
    // Output is shown in slices, one every FlushIntervalMs while there is more, however
    // fast it arrives; the timer is the child object named "outputFlush", started with
    // the interval it has.
    static constexpr int FlushIntervalMs = 100;
    static constexpr int MaxLinesPerSlice = 2000;
    static constexpr int MaxCharsPerSlice = 256 * 1024;
    // A line longer than this is shown in pieces of this length, each laid out on its
    // own; copying and saving join them again.
    static constexpr int MaxBlockChars = 1024;
    // A line is shown as it is read, in the encoding it starts in; where it turns out to be
    // in the other one within its first MaxReshownChars characters it is shown again
    // whole, past them from there on.  Only that start of the line being read is kept.
    static constexpr int MaxReshownChars = MaxBlockChars;
    // The most bytes of one line being read that the last run kept at once to show it
    // again: at most 4 * MaxReshownChars.
    qint64 mostLineBytesKept() const;
    // How long the programs of a run that is being stopped get to end on SIGTERM before
    // SIGKILL; the timer is the child object named "stopGrace".
    static constexpr int StopGraceMs = 3000;
    // How often the timer named "runWatch" looks for the end of a run that is being
    // stopped, and how many of its looks after SIGKILL the run gets before it is given up.
    static constexpr int StopWatchMs = 20;
    static constexpr int MaxChecksAfterKill = 100;

    // Escape and the window's close are the Close button.
    void reject() override;
    void done(int result) override;
    // Returns once the run is over and its end reported: a loop left by the
    // application's quit, which ends every loop at once, ends the run first, as the quit
    // does, and closes the dialog.
    int exec() override;

Q_SIGNALS:
    void signalPanelChanged();

public Q_SLOTS:
    void slot_pb_test_run_clicked();
    void slot_pb_close_clicked();
    void slot_pb_stop_clicked();
    void onChildStarted();
    void onChildFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void slot_btnClear_clicked();
    void slot_btnSave_clicked();
    void slot_btnDarkMode_clicked();
    void slot_btnCopy_clicked();

protected:
    // The file name the save button writes to; a file dialog asks the user.
    virtual QString askSaveFileName();
    // Sends `signal` to process `pid`, or to the process group -`pid`: false, with errno
    // set, when it could not.
    virtual bool sendSignal(qint64 pid, int signal);
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeProcess();
    void onChildError(QProcess::ProcessError error);
    bool openOutput(QString& error);
    void readOutput(int channel);
    void closeOutput(int channel);
    void showRead(const QByteArray& bytes, int channel, bool atEnd = false);
    void loseOutput(const QString& why);
    bool retractShown(int channel, int count);
    bool groupAlive();
    void signalGroup(int signal);
    void killGroup();
    void checkRunOver();
    void giveUpRun();
    void applicationQuits();
    void endNow(bool thenClose);
    void reportFailedStart(const QString& why);
    void finishRun();
    void stopRun(bool thenClose);
    bool closeByUser();
    void waitForRunEnd();
    void lookForWords(const QByteArray& bytes, QByteArray& tail);
    void keepPendingBounded(bool toLimit);
    void flushPending(bool everything);
    void reportEnd();
    void trimOutput();
    void insertAtEnd(const QString& text);
    bool showInView(const QString& text);
    void appendToTextBrowser(const QString& text);
    void closeDialog();

    struct Ui;
    std::unique_ptr<Ui> ui;
    QProcess* process;
    int exitCode = 1;
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    bool errorFound = false;
    bool keepOpen;
    // What the program wrote during the current run is searched for "error" and
    // "warning" as it arrives (not the command line echoed before it); the tail of the
    // last piece of each channel catches a word split between two reads.
    bool errorWord = false;
    bool warningWord = false;
    QByteArray wordTail[2];
    // Why output of the current run was lost: it could not be read, or not kept (empty:
    // none was).
    QString outputLost;
    // Output read but not shown yet, and its line count.
    QString pending;
    int pendingLines = 0;
    QTimer* flushTimer = nullptr;
    // Lines dropped from the top of a long output, and the count that the note at the top
    // shows (0: no note).
    qint64 droppedLines = 0;
    qint64 notedLines = 0;
    // Blocks of the view that continue an over-long line.
    int continuationBlocks = 0;
    // The first line shown is what is left of one counted among the removed lines.
    bool restOfRemovedLine = false;
    // The program has ended; that is told once its output is shown.
    bool endToReport = false;
    // A new run starts in the dialog: the end told now does not close it.
    bool startingNext = false;
    // The user stopped the current run (Stop, or Close and Yes): it failed, however it
    // ended.
    bool stoppedByUser = false;
    // The dialog was closed since it was last shown or the current run started: it is
    // not closed again.
    bool closed = false;
    // exec() runs, and done() came since it began.
    bool inExec = false;
    bool doneInExec = false;
    // The run: its process group (the first program's id), the read ends of its standard
    // output and error (-1 once every process closed them), whether the first program has
    // ended, and whether it could not start.
    bool runActive = false;
    qint64 runGroup = 0;
    qint64 groupMember = 0;
    int outputFd[2] = {-1, -1};
    QSocketNotifier* outputNotifier[2] = {nullptr, nullptr};
    bool launcherDone = false;
    bool failedToStart = false;
    QString startError;
    // The user asked for the run to end, and for the dialog to close once it has.
    bool stopping = false;
    bool closeWhenOver = false;
    QTimer* graceTimer = nullptr;
    // SIGKILL has been sent to the run; the watch timer's looks since, and why the last
    // SIGKILL failed (0: it did not).
    bool killSent = false;
    int checksAfterKill = 0;
    int killError = 0;
    // Looks for the end of a group whose output is closed or that is being stopped.
    QTimer* watchTimer = nullptr;
    QPointer<QWidget> watchedWindow;
    // The question whether to end the run, while it is up; taken away when the run ends.
    QPointer<QMessageBox> question;
    // Runs while the parent window's close waits for the run to end.
    QEventLoop* runEndLoop = nullptr;
    // Turns each channel's bytes into text, one read after another.
    struct Decoder;
    std::unique_ptr<Decoder> decoder[2];
    // The current run's last line valid in only one of UTF-8 and GBK was GBK: its lines
    // valid in both are shown as GBK.
    bool bothWaysAsGbk = false;
    // The channel whose output was shown last (-1: the console's own text), and how many
    // characters at the end of the output are its current line's.
    int lastShownChannel = -1;
    int lastLineTail = 0;
};

} // namespace Gui
