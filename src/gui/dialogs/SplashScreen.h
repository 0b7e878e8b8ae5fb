#pragma once
// The start-up splash window, which shows selected console log lines while the main
// window is built.

#include <PelmoraGuiExport.h>

#include <vexil/MsgConsole.h>

#include <QColor>
#include <QSplashScreen>

namespace Gui {

// Shows the console's log lines on a splash window; other levels are ignored.
class PELMORAGUI_EXPORT SplashObserver : public Vexil::MsgConsoleObserver
{
public:
    explicit SplashObserver(QSplashScreen* splash);
    ~SplashObserver() override;

    void Warning(const char*) override {}
    void Message(const char*) override {}
    void Error(const char*) override {}
    void Log(const char* text) override;
    const char* Name() override { return "SplashObserver"; }

    int getAlignment() const { return alignment; }
    QColor getTextColor() const { return textColor; }

private:
    QSplashScreen* splash;
    int alignment;
    QColor textColor;
};

class PELMORAGUI_EXPORT SplashScreen : public QSplashScreen
{
    Q_OBJECT
public:
    explicit SplashScreen(const QPixmap& pixmap = QPixmap(), Qt::WindowFlags flags = Qt::WindowFlags());
    ~SplashScreen() override;

private:
    SplashObserver* messages;
};

} // namespace Gui
