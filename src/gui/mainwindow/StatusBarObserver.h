#pragma once
// Feeds console text to the main window's status bar.  The console may write from any
// thread, so the observer never touches a widget: it posts a CustomMessageEvent to the
// main window, which shows the text on the GUI thread.

#include "PelmoraGuiExport.h"

#include <vexil/MsgConsole.h>
#include <vexil/Parameter.h>

#include <QEvent>
#include <QString>

#include <mutex>

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
    StatusBarObserver();
    ~StatusBarObserver() override;

    // "colorText", "colorWarning", "colorError" of the "OutputWindow" group: 0xRRGGBBAA.
    void on_modify(Vexil::Subject<const char*>& group, const char* key) override;

    void Warning(const char* text) override;
    void Message(const char* text) override;
    void Error(const char* text) override;
    void Log(const char* text) override;
    const char* Name() override { return "StatusBar"; }

private:
    void post(int kind, const char* text, const QString& colour);
    Vexil::ParameterGroup::Handle group;
    std::mutex lock;   // the colours are read on writers' threads
    QString textColour = QStringLiteral("#000000");
    QString warningColour = QStringLiteral("#ffaa00");
    QString errorColour = QStringLiteral("#ff0000");
};

} // namespace Gui
