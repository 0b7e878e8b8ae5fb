#include "GUIApplication.h"

#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/SpaceballEvent.h"

#include <obj/Application.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <QDataStream>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>

#include <exception>

using namespace Gui;

// ---------------------------------------------------------------------------------------
// 3D-mouse layer

GUIApplicationDeviceEvent::GUIApplicationDeviceEvent(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

GUIApplicationDeviceEvent::~GUIApplicationDeviceEvent() = default;

void GUIApplicationDeviceEvent::setSpaceballReceiver(QWidget* mainWindow)
{
    receiver = mainWindow;
    // Motion first, then buttons.
    if (Spaceball::MotionEvent::MotionEventType < 0)
        Spaceball::MotionEvent::MotionEventType = QEvent::registerEventType();
    if (Spaceball::ButtonEvent::ButtonEventType < 0)
        Spaceball::ButtonEvent::ButtonEventType = QEvent::registerEventType();
}

int GUIApplicationDeviceEvent::motionEventType()
{
    return Spaceball::MotionEvent::MotionEventType;
}

int GUIApplicationDeviceEvent::buttonEventType()
{
    return Spaceball::ButtonEvent::ButtonEventType;
}

bool GUIApplicationDeviceEvent::isSpaceballEvent(const QEvent* event) const
{
    const int type = static_cast<int>(event->type());
    return type >= 0 && (type == motionEventType() || type == buttonEventType());
}

bool GUIApplicationDeviceEvent::deliverSpaceballEvent(QObject* target, QEvent* event)
{
    if (!activeWindow())
        return true;
    QApplication::notify(target, event);
    // Whatever the receiver left unhandled travels on to its parent.
    QObject* parent = target->parent();
    if (!parent)
        return true;
    if (static_cast<int>(event->type()) == motionEventType()) {
        auto* motion = static_cast<Spaceball::MotionEvent*>(event);
        if (!motion->isHandled())
            QCoreApplication::postEvent(parent, new Spaceball::MotionEvent(*motion));
    }
    else {
        auto* button = static_cast<Spaceball::ButtonEvent*>(event);
        if (!button->isHandled())
            QCoreApplication::postEvent(parent, new Spaceball::ButtonEvent(*button));
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Exception-guarded delivery

GUIApplication::GUIApplication(int& argc, char** argv)
    : GUIApplicationDeviceEvent(argc, argv)
{
    connect(this, &QGuiApplication::commitDataRequest, this, &GUIApplication::commitData,
            Qt::DirectConnection);
    setFallbackSessionManagementEnabled(false);
}

GUIApplication::~GUIApplication() = default;

bool GUIApplication::closeForLogOff(bool interactive)
{
    MainWindow* window = MainWindow::get_main_window_inst();
    if (!interactive) {
        if (Obj::Application::_pcSingleton)
            Obj::Application::instance().close_all_projects();
        if (window)
            window->close();
        return true;
    }
    return !window || window->close();
}

void GUIApplication::commitData(QSessionManager& manager)
{
    if (!closeForLogOff(manager.allowsInteraction())) {
        manager.release();
        manager.cancel();
    }
}

bool GUIApplication::notify(QObject* receiver, QEvent* event)
{
    if (!receiver) {
        Vexil::MsgConsoleSingleton::Instance().Log(
            "GUIApplication::notify: Unexpected null receiver, event type: %d\n",
            event ? static_cast<int>(event->type()) : -1);
        return false;
    }
    try {
        if (event && isSpaceballEvent(event))
            return deliverSpaceballEvent(receiver, event);
        return QApplication::notify(receiver, event);
    }
    catch (const Vexil::SystemExitException& e) {
        systemExit = std::make_shared<Vexil::SystemExitException>(e);
        QCoreApplication::exit(static_cast<int>(e.getExitCode()));
        return true;
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Unhandled Vexil::ExceptionHandler caught in GUIApplication::notify.\n"
            "The error message is: %s\n", e.what());
    }
    catch (const std::exception& e) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Unhandled std::exception caught in GUIApplication::notify.\n"
            "The error message is: %s\n", e.what());
    }
    catch (...) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Unhandled unknown exception caught in GUIApplication::notify.\n");
    }
    describeEvent(receiver, event);
    return true;
}

void GUIApplication::describeEvent(QObject* receiver, QEvent* event) const
{
    try {
        QString dump = QString::fromLatin1("The event type %1 was sent to %2\nObject tree:\n")
                           .arg(static_cast<int>(event->type()))
                           .arg(QString::fromLatin1(receiver->metaObject()->className()));
        if (receiver->isWidgetType()) {
            for (auto* w = static_cast<QWidget*>(receiver); w; w = w->parentWidget()) {
                dump += QLatin1Char('\t') + QString::fromLatin1(w->metaObject()->className());
                if (!w->objectName().isEmpty())
                    dump += QString::fromLatin1(" (%1)").arg(w->objectName());
                if (w->parentWidget())
                    dump += QLatin1String(" is child of\n");
            }
        }
        Vexil::MsgConsoleSingleton::Instance().Log("%s", dump.toUtf8().constData());
    }
    catch (...) {
        Vexil::MsgConsoleSingleton::Instance().Log("Invalid recipient and/or event in GUIApplication::notify\n");
    }
}

bool GUIApplication::event(QEvent* ev)
{
    if (ev->type() == QEvent::FileOpen) {
        const QString file = static_cast<QFileOpenEvent*>(ev)->file();
        if (QFileInfo(file).suffix().toLower() == QLatin1String("pmstd")) {
            if (qPelmoraApplication* app = qPelmoraApplication::application())
                app->open(file.toUtf8().constData(), "Pelmora");
            return true;
        }
    }
    return QApplication::event(ev);
}

// ---------------------------------------------------------------------------------------
// Single instance

namespace {
// Waiting time for a connecting client to deliver its message.
constexpr int ClientTimeoutMs = 30000;
constexpr int BatchDelayMs = 1000;
// A message is a command or a file name: anything larger is not from a second start.
constexpr quint32 MaxMessageBytes = 16u * 1024u * 1024u;
} // namespace

struct GUISingleApplication::Private
{
    QTimer* timer = nullptr;
    QLocalServer* server = nullptr;
    QString serverName;
    QList<QByteArray> messages;
    bool running = false;
    // Bytes received so far from each client still connected.
    QHash<QLocalSocket*, QByteArray> partial;
};

GUISingleApplication::GUISingleApplication(int& argc, char** argv)
    : GUIApplication(argc, argv), d(std::make_unique<Private>())
{
    d->timer = new QTimer(this);
    d->timer->setSingleShot(true);
    std::string exe = Obj::Application::_pcSingleton
        ? Obj::Application::instance().get_executable_file_name() : std::string("pelmora");
    d->serverName = QString::fromLatin1("%1_%2").arg(QString::fromStdString(exe), QLatin1String("server"));

    QLocalSocket probe;
    probe.connectToServer(d->serverName, QIODevice::ReadWrite);
    if (probe.waitForConnected(1000)) {
        d->running = true;
        probe.abort();
        return;
    }

    d->server = new QLocalServer();
    connect(d->server, &QLocalServer::newConnection, this, &GUISingleApplication::receiveConnection);
    bool listening = d->server->listen(d->serverName);
    if (!listening && d->server->serverError() == QAbstractSocket::AddressInUseError) {
        // Left behind by an instance that did not shut down cleanly.
        QLocalServer::removeServer(d->serverName);
        listening = d->server->listen(d->serverName);
    }
    const QByteArray name = d->serverName.toLocal8Bit();
    if (listening)
        Vexil::MsgConsoleSingleton::Instance().Log("Local server '%s' started\n", name.constData());
    else
        Vexil::MsgConsoleSingleton::Instance().Log("Local server '%s' failed to start\n", name.constData());
    connect(d->timer, &QTimer::timeout, this, &GUISingleApplication::processMessages);
}

GUISingleApplication::~GUISingleApplication()
{
    if (d->server) {
        d->server->close();
        delete d->server;
        d->server = nullptr;
    }
}

bool GUISingleApplication::isRunning() const
{
    return d->running;
}

QString GUISingleApplication::serverName() const
{
    return d->serverName;
}

void GUISingleApplication::receiveConnection()
{
    if (!d->server)
        return;
    // Each client is read as its data arrives, so a slow or silent client never blocks
    // the window; a client that sends nothing is dropped after the time-out.
    while (QLocalSocket* socket = d->server->nextPendingConnection()) {
        d->partial.insert(socket, QByteArray());
        auto* guard = new QTimer(socket);
        guard->setSingleShot(true);
        connect(guard, &QTimer::timeout, socket, [socket]() {
            socket->abort();
            socket->deleteLater();
        });
        guard->start(ClientTimeoutMs);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket]() { d->partial.remove(socket); });
        auto readAvailable = [this, socket]() {
            auto it = d->partial.find(socket);
            if (it == d->partial.end())
                return;
            it.value().append(socket->readAll());
            QByteArray& buffer = it.value();
            if (buffer.size() < 4)
                return;
            QDataStream header(buffer);
            quint32 length = 0;
            header >> length;
            if (length == 0xffffffffu || length > MaxMessageBytes) {   // a null or absurd array
                d->partial.remove(socket);
                socket->abort();
                socket->deleteLater();
                return;
            }
            if (static_cast<quint64>(buffer.size()) < 4ull + length)
                return;
            QByteArray message = buffer.mid(4, static_cast<int>(length));
            d->partial.remove(socket);
            d->timer->stop();
            Vexil::MsgConsoleSingleton::Instance().Log("Received message: %s\n", message.constData());
            d->messages.append(message);
            d->timer->start(BatchDelayMs);
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, readAvailable);
        if (socket->bytesAvailable() > 0)
            readAvailable();
    }
}

void GUISingleApplication::processMessages()
{
    QList<QByteArray> batch;
    batch.swap(d->messages);
    Q_EMIT messageReceived(batch);
}

bool GUISingleApplication::sendMessage(const QByteArray& message, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(d->serverName, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << message;
    }
    qint64 written = 0;
    while (written < payload.size()) {
        const qint64 n = socket.write(payload.constData() + written, payload.size() - written);
        if (n < 0)
            return false;
        written += n;
    }
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

bool GUISingleApplication::handOverCommandLineFiles() const
{
    if (!d->running || !Obj::Application::_pcSingleton)
        return false;
    const std::vector<std::string> files = Obj::Application::instance().getCmdLineFiles();
    if (files.empty())
        return false;
    int delivered = 0;
    for (const std::string& file : files) {
        // The running instance has its own working directory.
        const QString path = QFileInfo(QString::fromLocal8Bit(file.c_str())).absoluteFilePath();
        const QByteArray message = QByteArrayLiteral("OpenFile:") + path.toUtf8();
        if (sendMessage(message)) {
            ++delivered;
        }
        else {
            Vexil::MsgConsoleSingleton::Instance().Error(
                "Cannot hand '%s' to the running instance\n", path.toUtf8().constData());
        }
    }
    // Nothing delivered: this instance opens the files itself.
    return delivered > 0;
}
