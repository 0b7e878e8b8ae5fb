#include "StatusBarObserver.h"

#include "mainwindow/MainWindow.h"

#include <obj/Application.h>

#include <QColor>
#include <QCoreApplication>

using namespace Gui;

StatusBarObserver::StatusBarObserver()
{
    if (Obj::Application::_pcSingleton) {
        group = Obj::Application::instance().get_user_preference()
                    .get_parameter_group("BaseApp")->get_parameter_group("Preferences")
                    ->get_parameter_group("OutputWindow");
        if (group)
            group->attach(this);
    }
    Vexil::MsgConsoleSingleton::Instance().connect_observer(this);
}

StatusBarObserver::~StatusBarObserver()
{
    Vexil::MsgConsoleSingleton::Instance().disconnect_observer(this);
    if (group)
        group->detach(this);
}

void StatusBarObserver::on_modify(Vexil::Subject<const char*>& caller, const char* key)
{
    if (!key)
        return;
    const std::string name = key;
    QString* target = nullptr;
    if (name == "colorText")
        target = &textColour;
    else if (name == "colorWarning")
        target = &warningColour;
    else if (name == "colorError")
        target = &errorColour;
    if (!target)
        return;
    const unsigned long value = static_cast<Vexil::ParameterGroup&>(caller).get_unsigned_value(key, 0);
    const QColor colour((value >> 24) & 0xff, (value >> 16) & 0xff, (value >> 8) & 0xff);
    std::lock_guard<std::mutex> guard(lock);
    *target = colour.name();
}

void StatusBarObserver::post(int kind, const char* text, const QString& colour)
{
    QObject* window = MainWindow::get_main_window_inst();
    if (!window)
        return;
    QString body = QString::fromUtf8(text ? text : "");
    if (kind != 3)
        body = QString::fromLatin1("<font color=\"%1\">%2</font>").arg(colour, body.toHtmlEscaped());
    QCoreApplication::postEvent(window, new CustomMessageEvent(kind, body));
}

void StatusBarObserver::Message(const char* text)
{
    QString colour;
    { std::lock_guard<std::mutex> guard(lock); colour = textColour; }
    post(0, text, colour);
}

void StatusBarObserver::Warning(const char* text)
{
    QString colour;
    { std::lock_guard<std::mutex> guard(lock); colour = warningColour; }
    post(1, text, colour);
}

void StatusBarObserver::Error(const char* text)
{
    QString colour;
    { std::lock_guard<std::mutex> guard(lock); colour = errorColour; }
    post(2, text, colour);
}

void StatusBarObserver::Log(const char* text)
{
    post(3, text, QString());
}
