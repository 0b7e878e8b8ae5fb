#pragma once
// The text area of the "Output" dock: an observer of the console that shows every
// message coloured by kind.  The console may write from any thread, so the observer
// only queues the text and posts one event per batch; the document is touched on the
// GUI thread alone.

#include "PelmoraGuiExport.h"

#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>

#include <QEvent>
#include <QPair>
#include <QString>
#include <QTextEdit>
#include <QVector>

#include <deque>
#include <mutex>
#include <utility>

namespace Gui {

// One console message for the text area: kind 0 message, 1 warning, 2 error, 3 log.
class PELMORAGUI_EXPORT CustomReportEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::Type(1000);
    CustomReportEvent(int kind, const QString& text) : QEvent(EventType), kind(kind), text(text) {}
    int messageType() const { return kind; }
    const QString& message() const { return text; }

private:
    int kind;
    QString text;
};

namespace DockWindow {

class ReportHighlighter;

class PELMORAGUI_EXPORT ReportOutput : public QTextEdit, public Vexil::MsgConsoleObserver
{
    Q_OBJECT
public:
    explicit ReportOutput(QWidget* parent = nullptr);
    ~ReportOutput() override;

    // Console side, on the writer's thread.
    void Warning(const char* text) override;
    void Message(const char* text) override;
    void Error(const char* text) override;
    // Log lines of 1000 characters or more are dropped.
    void Log(const char* text) override;
    const char* Name() override { return "ReportOutput"; }

    bool isError() const { return bErr; }
    bool isLogging() const { return bLog; }
    bool isWarning() const { return bWrn; }
    // "Courier", 10 points.
    void restoreFont();

public Q_SLOTS:
    void onSaveAs();
    void onToggleError();
    void onToggleWarning();
    void onToggleLogging();
    void onToggleGoToEnd();
    void settingUpdated(Vexil::PM_SETTING id);

protected:
    void customEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void queue(int kind, const char* text);
    void drainQueue();
    void appendMessage(int kind, const QString& text);
    void insertRuns(const QString& text, QVector<QPair<int, int>> runs);
    void writeFile(const QString& fileName);

    bool gotoEnd = false;
    ReportHighlighter* highlighter = nullptr;
    Vexil::PreferenceManager* prefs = nullptr;

    std::mutex queueLock;
    // (kind, text); a negative kind stands for that many messages left out where it is.
    std::deque<std::pair<int, QString>> pending;
    std::size_t pendingCharacters = 0;
    bool drainPosted = false;
};

} // namespace DockWindow
} // namespace Gui
