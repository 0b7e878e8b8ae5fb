#pragma once
// Feeds console text to the main window's status bar.  The console may write from any
// thread, so the observer never touches a widget: it hands CustomMessageEvents to the
// main window on the GUI thread.  Lines are coalesced: writers only replace the latest
// line of each kind, at most one wake-up is queued at a time, and the window gets the
// latest lines at most every DeliveryIntervalMs, so a flood of console lines costs the
// GUI thread nothing for the lines nobody would have seen.

#include "PelmoraGuiExport.h"

#include <vexil/MsgConsole.h>
#include <vexil/Parameter.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QString>

#include <memory>
#include <mutex>
#include <string>

namespace Gui {

// Posted to the main window: kind 0 message, 1 warning, 2 error, 3 log.
class PELMORAGUI_EXPORT CustomMessageEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::User;   // 1000
    CustomMessageEvent(int kind, const QString& text) : QEvent(EventType), msgKind(kind), msgText(text) {}
    int type() const { return msgKind; }
    const QString& message() const { return msgText; }

private:
    int msgKind;
    QString msgText;
};

class PELMORAGUI_EXPORT StatusBarObserver : public Vexil::ObserverPattern<const char*>,
                                            public Vexil::MsgConsoleObserver
{
public:
    static constexpr int DeliveryIntervalMs = 200;

    // Make it on the GUI thread: its deliveries run there.
    StatusBarObserver();
    ~StatusBarObserver() override;

    // "colorText", "colorWarning", "colorError" of the "OutputWindow" group: 0xRRGGBBAA.
    void on_modify(Vexil::Subject<const char*>& group, const char* key) override;
    void on_destroy(Vexil::Subject<const char*>& subject) override;

    void Warning(const char* text) override;
    void Message(const char* text) override;
    void Error(const char* text) override;
    void Log(const char* text) override;
    const char* Name() override { return "StatusBar"; }

private:
    class Relay;
    struct Pending
    {
        bool set = false;
        std::string text;
        QString colour;
        unsigned long long order = 0;
    };

    void post(int kind, const char* text, const QString& colour);
    // Watches the "OutputWindow" group the user parameters hold now and takes its colours.
    void followOutputGroup();
    void readColour(const char* key);
    // GUI thread: hands the latest lines to the main window, or waits for the interval.
    void deliver();

    Vexil::ParameterGroup::Handle group;
    // The user parameters' root: clearing them drops every group, "OutputWindow" with them.
    Vexil::ParameterGroup* root = nullptr;
    std::unique_ptr<Relay> relay;
    std::mutex pendingLock;
    Pending pending[4];   // the latest line of each kind
    unsigned long long nextOrder = 0;
    bool wakeQueued = false;
    qint64 lastDeliveryMs = 0;   // by MonotonicClock
    bool delivered = false;
    std::mutex lock;   // the colours are read on writers' threads
    QString textColour = QStringLiteral("#000000");
    QString warningColour = QStringLiteral("#ffaa00");
    QString errorColour = QStringLiteral("#ff0000");
};

} // namespace Gui
