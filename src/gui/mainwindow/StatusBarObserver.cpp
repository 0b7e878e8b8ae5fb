#include "StatusBarObserver.h"

#include "core/MonotonicClock.h"

#include "mainwindow/MainWindow.h"

#include <obj/Application.h>

#include <QColor>
#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <vector>

using namespace Gui;

// Lives on the GUI thread: receives the writers' wake-ups and the interval timer.
class StatusBarObserver::Relay : public QObject
{
public:
    static constexpr QEvent::Type WakeEvent = static_cast<QEvent::Type>(QEvent::User + 77);

    explicit Relay(StatusBarObserver* owner) : owner(owner)
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, this, [this] { this->owner->deliver(); });
    }
    bool event(QEvent* e) override
    {
        if (e->type() != WakeEvent)
            return QObject::event(e);
        owner->deliver();
        return true;
    }

    StatusBarObserver* owner;
    QTimer timer;
};

StatusBarObserver::StatusBarObserver()
    : relay(std::make_unique<Relay>(this))
{
    if (Obj::Application::_pcSingleton) {
        root = &Obj::Application::instance().get_user_preference();
        root->attach(this);
        group = root->get_parameter_group("BaseApp/Preferences/OutputWindow");
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
    if (root)
        root->detach(this);
}

void StatusBarObserver::on_destroy(Vexil::Subject<const char*>& subject)
{
    if (&subject == root)
        root = nullptr;
}

void StatusBarObserver::followOutputGroup()
{
    Vexil::ParameterGroup::Handle now = root->get_parameter_group("BaseApp/Preferences/OutputWindow");
    if (now.get() == group.get())
        return;
    if (group)
        group->detach(this);
    group = now;
    if (!group)
        return;
    group->attach(this);
    for (const char* key : {"colorText", "colorWarning", "colorError"})
        readColour(key);
}

void StatusBarObserver::on_modify(Vexil::Subject<const char*>& caller, const char* key)
{
    if (root && &caller == static_cast<Vexil::Subject<const char*>*>(root)) {
        followOutputGroup();
        return;
    }
    if (key && &caller == static_cast<Vexil::Subject<const char*>*>(group.get()))
        readColour(key);
}

void StatusBarObserver::readColour(const char* key)
{
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
    // A removed entry falls back to the colour the observer starts with.
    QString colour = name == "colorText" ? QStringLiteral("#000000")
                     : name == "colorWarning" ? QStringLiteral("#ffaa00") : QStringLiteral("#ff0000");
    if (group->has_entry(key)) {
        const unsigned long value = group->get_unsigned_value(key, 0);
        colour = QColor((value >> 24) & 0xff, (value >> 16) & 0xff, (value >> 8) & 0xff).name();
    }
    std::lock_guard<std::mutex> guard(lock);
    *target = colour;
}

void StatusBarObserver::post(int kind, const char* text, const QString& colour)
{
    if (kind < 0 || kind > 3)
        return;
    std::lock_guard<std::mutex> guard(pendingLock);
    Pending& slot = pending[kind];
    slot.set = true;
    slot.text = text ? text : "";
    slot.colour = colour;
    slot.order = ++nextOrder;
    if (wakeQueued)
        return;
    wakeQueued = true;
    QCoreApplication::postEvent(relay.get(), new QEvent(Relay::WakeEvent));
}

void StatusBarObserver::deliver()
{
    const qint64 sinceDelivery = MonotonicClock::nowMs() - lastDeliveryMs;
    if (delivered && sinceDelivery >= 0 && sinceDelivery < DeliveryIntervalMs) {
        if (!relay->timer.isActive())
            relay->timer.start(static_cast<int>(DeliveryIntervalMs - sinceDelivery));
        return;
    }
    std::vector<std::pair<int, Pending>> lines;
    {
        std::lock_guard<std::mutex> guard(pendingLock);
        wakeQueued = false;
        for (int kind = 0; kind < 4; ++kind) {
            if (pending[kind].set) {
                lines.emplace_back(kind, std::move(pending[kind]));
                pending[kind] = Pending();
            }
        }
    }
    if (lines.empty())
        return;
    lastDeliveryMs = MonotonicClock::nowMs();
    delivered = true;
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return a.second.order < b.second.order; });
    for (const auto& line : lines) {
        QObject* window = MainWindow::get_main_window_inst();
        if (!window)
            return;
        QString body = QString::fromUtf8(line.second.text.c_str());
        if (line.first != 3)
            body = QString::fromLatin1("<font color=\"%1\">%2</font>").arg(line.second.colour, body.toHtmlEscaped());
        CustomMessageEvent event(line.first, body);
        QCoreApplication::sendEvent(window, &event);
    }
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
