#include "GUIApplication.h"

#include "core/PrintableText.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/SpaceballEvent.h"

#include <obj/Application.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <set>
#include <string>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    catch (const std::bad_alloc&) {
        // Not a fault of the program to be traced through the widget tree: a refusal, said
        // once for each kind of event and receiver (a paint would otherwise say it again at
        // every frame).
        try {
            static std::set<std::pair<std::string, int>> said;
            const std::string className = receiver->metaObject()->className();
            if (said.emplace(className, event ? static_cast<int>(event->type()) : -1).second)
                Vexil::MsgConsoleSingleton::Instance().Error(
                    "There is not enough memory to finish what %s was doing: it was given up\n", className.c_str());
        }
        catch (const std::bad_alloc&) {
        }
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
                app->open(QFile::encodeName(file).constData(), "Pelmora");
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
// A batch is handed on at most this long after its first message.
constexpr int BatchDelayMs = 1000;
// A message is a command or a file name: anything larger is not from a second start.
constexpr quint32 MaxMessageBytes = 16u * 1024u * 1024u;
// What all clients together may make this process hold, received or still arriving.
constexpr qint64 MaxPendingBytes = 32ll * 1024 * 1024;
// Clients connected at once; the rest are refused.
constexpr int MaxClients = 64;
// Qt closes the server when accept() fails (too many open files); it is opened again.
constexpr int ListenCheckMs = 1000;
// Each client's data is taken from the socket in pieces of at most this size.
constexpr qint64 ClientReadBufferBytes = 256 * 1024;
// The running instance's answer once it has queued a message.  A second start reports
// its files handed over only when it has this.  What became of the message follows on a
// line of its own, when the instance has dealt with it.
const QByteArray Acknowledgement = QByteArrayLiteral("OK");
// What a second start writes after its message when it stops waiting for the
// acknowledgement and opens the file itself: the instance, reading it late (it was busy or
// stopped), drops the message instead of opening the file a second time.  One byte, so
// that it arrives whole or not at all.
const char Withdrawal = '\x15';
// How long a second start waits for that line: the instance may be asking the user
// about the file.  Past it the start cannot tell what became of the file, and says so.
constexpr int DefaultAnswerTimeoutMs = 120000;
int answerTimeoutMs = DefaultAnswerTimeoutMs;
// How long a second start waits for the acknowledgement of each message: longer, the
// running instance is taken as hung and the start opens its files itself.
constexpr int DefaultAcknowledgementTimeoutMs = 5000;
int acknowledgementTimeoutMs = DefaultAcknowledgementTimeoutMs;
bool handOverUnattended = false;
std::size_t openedByRunningInstance = 0;
// The longest file name the system takes; a longer "OpenFile:" name names no file.
#ifdef PATH_MAX
constexpr int MaxPathBytes = PATH_MAX;
#else
constexpr int MaxPathBytes = 4096;
#endif
// What of a message is written to the console: a path fits, and a huge message cannot
// keep the Output dock busy laying out one line.
constexpr int MaxLoggedBytes = MaxPathBytes + 64;

#ifdef Q_OS_UNIX
bool isPrivateFolder(const QString& dir)
{
    struct stat st;
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}
#endif

// Where the server socket lives: a folder only this user can enter, so that nobody else
// can listen under the name first and be handed the files this user opens.  The
// runtime folder, else one of mode 0700 under the temporary folder; empty when neither
// can be had.
QString privateSocketFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#ifdef Q_OS_UNIX
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("pelmora-runtime-%1").arg(::getuid()));
    ::mkdir(QFile::encodeName(own).constData(), 0700);   // it may be there already
    return isPrivateFolder(own) ? own : QString();
#else
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
#endif
}

// The bytes of an absolute file name for `file` as given on the command line: the
// running instance has its own working directory, and the bytes are kept as they are
// (a name that is not valid UTF-8 would not survive a trip through QString).
QByteArray absoluteFileName(const std::string& file)
{
    const QByteArray name = QByteArray::fromStdString(file);
    if (QDir::isAbsolutePath(QFile::decodeName(name)))
        return name;
#ifdef Q_OS_UNIX
    QByteArray cwd(4096, '\0');
    while (!::getcwd(cwd.data(), static_cast<size_t>(cwd.size()))) {
        if (errno != ERANGE || cwd.size() > (1 << 20))
            return QFile::encodeName(QDir::currentPath()) + '/' + name;
        cwd.resize(cwd.size() * 2);
    }
    cwd.truncate(static_cast<int>(std::strlen(cwd.constData())));
    return cwd + '/' + name;
#else
    return QFile::encodeName(QDir::current().absoluteFilePath(QFile::decodeName(name)));
#endif
}

// How long the file name a message carries is: an "OpenFile:" name runs to the end, a
// "RefusedFile:" name to the NUL before its reason.  -1 for a message of another kind.
int fileNameBytes(const QByteArray& message)
{
    for (const char* prefix : {"OpenFile:", GUISingleApplication::UnattendedOpenFilePrefix}) {
        if (message.startsWith(prefix))
            return message.size() - int(std::strlen(prefix));
    }
    for (const char* prefix : {GUISingleApplication::RefusedFilePrefix, GUISingleApplication::UnattendedRefusedFilePrefix}) {
        if (message.startsWith(prefix)) {
            const int start = int(std::strlen(prefix));
            const int end = message.indexOf('\0', start);
            return (end < 0 ? message.size() : end) - start;
        }
    }
    return -1;
}

// Connects to the instance on `path` and writes `message` on the connection, as one
// serialized byte array.
bool connectAndWrite(QLocalSocket& socket, const QString& path, const QByteArray& message, int timeoutMs)
{
    socket.connectToServer(path, QIODevice::ReadWrite);
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
    return true;
}

// Written is not taken: only the instance's acknowledgement says the message is queued.
bool awaitAcknowledgement(QLocalSocket& socket, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (socket.bytesAvailable() < Acknowledgement.size() && socket.state() == QLocalSocket::ConnectedState) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left)))
            break;
    }
    return socket.read(Acknowledgement.size()) == Acknowledgement;
}

// Sends each message on a connection of its own, all written before any acknowledgement
// is awaited, so that the instance has them at once and hands them on in one batch.
// False when one was not acknowledged.
bool sendTogether(const QString& path, const QList<QByteArray>& messages, int timeoutMs)
{
    // Well within the clients the instance takes at once.
    constexpr int AtOnce = MaxClients / 2;
    for (int first = 0; first < messages.size(); first += AtOnce) {
        std::vector<std::unique_ptr<QLocalSocket>> sockets;
        for (int n = first; n < messages.size() && n < first + AtOnce; ++n) {
            sockets.push_back(std::make_unique<QLocalSocket>());
            if (!connectAndWrite(*sockets.back(), path, messages[n], timeoutMs))
                return false;
        }
        for (const auto& socket : sockets) {
            if (!awaitAcknowledgement(*socket, timeoutMs))
                return false;
        }
        for (const auto& socket : sockets) {
            socket->disconnectFromServer();
            if (socket->state() != QLocalSocket::UnconnectedState)
                socket->waitForDisconnected(timeoutMs);
        }
    }
    return true;
}

// Whether an instance answers on `path`.
bool answers(const QString& path, int timeoutMs)
{
    QLocalSocket probe;
    probe.connectToServer(path, QIODevice::ReadWrite);
    if (!probe.waitForConnected(timeoutMs))
        return false;
    probe.abort();
    return true;
}
} // namespace

struct GUISingleApplication::Private
{
    QTimer* timer = nullptr;
    QTimer* listenCheck = nullptr;
    QLocalServer* server = nullptr;
    QString serverName;
    QString serverPath;
    QList<QByteArray> messages;
    QDeadlineTimer batchDeadline{QDeadlineTimer::Forever};
    // The connection of each pending message, kept open for its answer.
    QList<QPointer<QLocalSocket>> senders;
    // The senders of the batch being delivered (batches can nest: delivering one may wait
    // for the user, and the next one arrives meanwhile).
    QList<QPointer<QLocalSocket>>* answering = nullptr;
    bool running = false;
    // Bytes received so far from each client still connected.
    QHash<QLocalSocket*, QByteArray> partial;
    qint64 partialBytes = 0;
    qint64 queuedBytes = 0;
    bool refusalReported = false;
    bool serverTakenOver = false;
    // Test seams: timers a test drives itself.
    bool batchTimerHeld = false;
    bool clientTimeoutsHeld = false;
    // The command-line files of a second start that the running instance did not take.
    bool handOverTried = false;
    bool handedOver = false;
    std::vector<std::string> filesLeft;

    bool listen();
    void withdraw(QLocalSocket* socket);
    void forget(QLocalSocket* socket);
    void drop(QLocalSocket* socket);
};

bool GUISingleApplication::Private::listen()
{
    // A socket file nobody answers on is left from an instance that did not shut down
    // cleanly; one that answers belongs to an instance started meanwhile.
    if (answers(serverPath, 200))
        return false;
    QLocalServer::removeServer(serverPath);
    return server->listen(serverPath);
}

void GUISingleApplication::Private::withdraw(QLocalSocket* socket)
{
    const int index = senders.indexOf(QPointer<QLocalSocket>(socket));
    if (index < 0)
        return;
    Vexil::MsgConsoleSingleton::Instance().Log(
        "Dropped the message '%s': its sender stopped waiting for this instance and opens the file itself\n",
        printableForLog(messages[index], MaxLoggedBytes).constData());
    queuedBytes -= messages[index].size();
    messages.removeAt(index);
    senders.removeAt(index);
    socket->disconnectFromServer();
    if (messages.isEmpty()) {
        timer->stop();
        batchDeadline = QDeadlineTimer(QDeadlineTimer::Forever);
    }
}

void GUISingleApplication::Private::forget(QLocalSocket* socket)
{
    auto it = partial.find(socket);
    if (it == partial.end())
        return;
    partialBytes -= it.value().size();
    partial.erase(it);
}

void GUISingleApplication::Private::drop(QLocalSocket* socket)
{
    forget(socket);
    socket->abort();
    socket->deleteLater();
}

GUISingleApplication::GUISingleApplication(int& argc, char** argv)
    : GUIApplication(argc, argv), d(std::make_unique<Private>())
{
    d->timer = new QTimer(this);
    d->timer->setSingleShot(true);
    d->timer->setTimerType(Qt::PreciseTimer);
    std::string exe = Obj::Application::_pcSingleton
        ? Obj::Application::instance().get_executable_file_name() : std::string("pelmora");
    d->serverName = QString::fromLatin1("%1_%2").arg(QString::fromStdString(exe), QLatin1String("server"));
    const QByteArray name = d->serverName.toLocal8Bit();
    const QString folder = privateSocketFolder();
    if (folder.isEmpty()) {
        Vexil::MsgConsoleSingleton::Instance().Log(
            "Local server '%s' failed to start: no folder private to this user\n", name.constData());
        return;
    }
    d->serverPath = QDir(folder).filePath(d->serverName);

    if (answers(d->serverPath, 1000)) {
        d->running = true;
        return;
    }

    d->server = new QLocalServer();
    d->server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(d->server, &QLocalServer::newConnection, this, &GUISingleApplication::receiveConnection);
    if (d->listen())
        Vexil::MsgConsoleSingleton::Instance().Log("Local server '%s' started\n", name.constData());
    else
        Vexil::MsgConsoleSingleton::Instance().Log("Local server '%s' failed to start\n", name.constData());
    connect(d->timer, &QTimer::timeout, this, &GUISingleApplication::processMessages);

    d->listenCheck = new QTimer(this);
    connect(d->listenCheck, &QTimer::timeout, this, [this, name]() {
        // A failed accept() closes the listening socket and removes its file, yet the
        // server still calls itself listening: the file tells.
        if (QFileInfo::exists(d->serverPath) && d->server->isListening())
            return;
        if (answers(d->serverPath, 200)) {
            // Another instance took the name meanwhile: its socket file must stay.
            d->listenCheck->stop();
            d->serverTakenOver = true;
            Vexil::MsgConsoleSingleton::Instance().Log("Local server '%s' taken over by another instance\n",
                                                       name.constData());
            return;
        }
        d->server->close();
        if (d->server->listen(d->serverPath))
            Vexil::MsgConsoleSingleton::Instance().Log("Local server '%s' listens again\n", name.constData());
    });
    d->listenCheck->start(ListenCheckMs);
}

GUISingleApplication::~GUISingleApplication()
{
    // Closing removes the socket file under the name; once another instance owns that
    // name the server is left to the end of the process instead.
    if (d->server && !d->serverTakenOver) {
        d->server->close();
        delete d->server;
    }
    d->server = nullptr;
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
        if (d->partial.size() >= MaxClients) {
            if (!d->refusalReported) {
                d->refusalReported = true;
                Vexil::MsgConsoleSingleton::Instance().Log(
                    "Local server: more than %d clients at once; the others are refused\n", MaxClients);
            }
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt would otherwise buffer whatever the client sends, however much.
        socket->setReadBufferSize(ClientReadBufferBytes);
        d->partial.insert(socket, QByteArray());
        auto* guard = new QTimer(socket);
        guard->setSingleShot(true);
        connect(guard, &QTimer::timeout, socket, [this, socket]() { d->drop(socket); });
        if (!d->clientTimeoutsHeld)
            guard->start(ClientTimeoutMs);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket]() { d->forget(socket); });
        auto readAvailable = [this, socket]() {
            auto it = d->partial.find(socket);
            if (it == d->partial.end()) {
                // Its message is queued: what follows can only withdraw it.
                if (socket->readAll().contains(Withdrawal))
                    d->withdraw(socket);
                return;
            }
            const QByteArray chunk = socket->readAll();
            if (d->partialBytes + d->queuedBytes + chunk.size() > MaxPendingBytes) {
                Vexil::MsgConsoleSingleton::Instance().Log(
                    "Local server: a client was dropped, too much data is waiting\n");
                d->drop(socket);
                return;
            }
            it.value().append(chunk);
            d->partialBytes += chunk.size();
            const QByteArray& buffer = it.value();
            if (buffer.size() < 4)
                return;
            QDataStream header(buffer);
            quint32 length = 0;
            header >> length;
            if (length == 0xffffffffu || length > MaxMessageBytes) {   // a null or absurd array
                d->drop(socket);
                return;
            }
            if (static_cast<quint64>(buffer.size()) < 4ull + length)
                return;
            QByteArray message = buffer.mid(4, static_cast<int>(length));
            const bool withdrawn = buffer.indexOf(Withdrawal, 4 + static_cast<int>(length)) >= 0;
            d->forget(socket);
            Vexil::MsgConsoleSingleton::Instance().Log("Received message: %s\n",
                                                       printableForLog(message, MaxLoggedBytes).constData());
            if (withdrawn) {
                Vexil::MsgConsoleSingleton::Instance().Log(
                    "Dropped the message '%s': its sender stopped waiting for this instance and opens the file "
                    "itself\n",
                    printableForLog(message, MaxLoggedBytes).constData());
                socket->disconnectFromServer();
                return;
            }
            const int nameBytes = fileNameBytes(message);
            if (nameBytes > MaxPathBytes) {
                // No file has such a name, opened or refused (the window would lay it out
                // in a box); the sender hears no acknowledgement.
                Vexil::MsgConsoleSingleton::Instance().Error(
                    "Local server: a file name of %d bytes was refused, more than the system's limit of %d\n",
                    nameBytes, MaxPathBytes);
                socket->disconnectFromServer();
                return;
            }
            d->queuedBytes += message.size();
            d->messages.append(message);
            d->senders.append(QPointer<QLocalSocket>(socket));
            // The client now waits for the answer, however long the user takes.
            for (QTimer* guard : socket->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
                guard->stop();
            // Later messages join the batch without putting it off.
            if (d->batchDeadline.isForever()) {
                d->batchDeadline = QDeadlineTimer(BatchDelayMs, Qt::PreciseTimer);
                if (!d->batchTimerHeld)
                    d->timer->start(BatchDelayMs);
            }
            socket->write(Acknowledgement);
            // Out now: an instance that quits before its loop turns again still told.
            socket->flush();
        };
        connect(socket, &QLocalSocket::readyRead, this, readAvailable);
        if (socket->bytesAvailable() > 0)
            readAvailable();
    }
    if (d->partial.size() < MaxClients)
        d->refusalReported = false;
}

void GUISingleApplication::processMessages()
{
    QList<QByteArray> batch;
    batch.swap(d->messages);
    QList<QPointer<QLocalSocket>> senders;
    senders.swap(d->senders);
    d->queuedBytes = 0;
    d->batchDeadline = QDeadlineTimer(QDeadlineTimer::Forever);
    QList<QPointer<QLocalSocket>>* outer = d->answering;
    d->answering = &senders;
    struct Restore
    {
        Private* d;
        QList<QPointer<QLocalSocket>>* outer;
        ~Restore() { d->answering = outer; }
    } restore{d.get(), outer};
    Q_EMIT messageReceived(batch);
    for (const QPointer<QLocalSocket>& socket : senders) {
        if (socket)
            socket->disconnectFromServer();
    }
}

QDeadlineTimer GUISingleApplication::pendingBatchDeadline() const
{
    return d->batchDeadline;
}

void GUISingleApplication::holdBatchTimer(bool held)
{
    d->batchTimerHeld = held;
    if (held)
        d->timer->stop();
    else if (!d->batchDeadline.isForever())
        d->timer->start(static_cast<int>(std::max<qint64>(0, d->batchDeadline.remainingTime())));
}

void GUISingleApplication::handOnBatch()
{
    if (d->batchDeadline.isForever())
        return;
    d->timer->stop();
    processMessages();
}

void GUISingleApplication::holdClientTimeouts(bool held)
{
    d->clientTimeoutsHeld = held;
}

int GUISingleApplication::clientsSending() const
{
    return d->partial.size();
}

qint64 GUISingleApplication::bytesHeld() const
{
    return d->partialBytes + d->queuedBytes;
}

void GUISingleApplication::answerMessage(int index, const QByteArray& answer)
{
    if (!d->answering || index < 0 || index >= d->answering->size())
        return;
    QPointer<QLocalSocket>& socket = (*d->answering)[index];
    if (!socket)
        return;
    // One line: a reason cannot end it early.
    QByteArray line = answer;
    line.replace('\n', ' ').replace('\r', ' ');
    socket->write('\n' + line + '\n');
    // Out now: the instance may quit before its loop turns again, and the sender would
    // then take the file as not opened and open it a second time.
    socket->flush();
    socket->disconnectFromServer();
    socket = nullptr;
}

bool GUISingleApplication::sendMessage(const QByteArray& message, int timeoutMs, QByteArray* answer,
                                       int answerTimeoutMs) const
{
    if (answer)
        answer->clear();
    if (d->serverPath.isEmpty())
        return false;
    QLocalSocket socket;
    if (!connectAndWrite(socket, d->serverPath, message, timeoutMs))
        return false;
    const bool acknowledged = awaitAcknowledgement(socket, timeoutMs);
    if (!acknowledged && socket.state() == QLocalSocket::ConnectedState) {
        // This start now opens the file itself: the instance must not, however late it reads.
        socket.write(&Withdrawal, 1);
        socket.waitForBytesWritten(timeoutMs);
    }
    if (acknowledged && answer) {
        // "\n<answer>\n", or the connection ends without one (the instance quit).
        const auto complete = [](const QByteArray& r) { return r.size() > 1 && r.endsWith('\n'); };
        QByteArray received = socket.readAll();
        QElapsedTimer clock;
        clock.start();
        while (!complete(received) && received.size() <= 2 * MaxLoggedBytes &&
               socket.state() == QLocalSocket::ConnectedState) {
            const qint64 left = answerTimeoutMs - clock.elapsed();
            if (left <= 0)
                break;
            socket.waitForReadyRead(static_cast<int>(left));
            received += socket.readAll();
        }
        if (received.startsWith('\n') && complete(received))
            *answer = received.mid(1, received.size() - 2);
        else if (socket.state() != QLocalSocket::ConnectedState)
            *answer = QByteArrayLiteral("NOT TAKEN the running instance ended without opening it");
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return acknowledged;
}

int GUISingleApplication::setAcknowledgementTimeoutMs(int ms)
{
    const int before = acknowledgementTimeoutMs;
    acknowledgementTimeoutMs = ms > 0 ? ms : DefaultAcknowledgementTimeoutMs;
    return before;
}

int GUISingleApplication::setAnswerTimeoutMs(int ms)
{
    const int before = answerTimeoutMs;
    answerTimeoutMs = ms > 0 ? ms : DefaultAnswerTimeoutMs;
    return before;
}

void GUISingleApplication::setHandOverUnattended(bool unattended)
{
    handOverUnattended = unattended;
}

std::size_t GUISingleApplication::filesOpenedByRunningInstance()
{
    return openedByRunningInstance;
}

bool GUISingleApplication::handOverCommandLineFiles() const
{
    if (d->handOverTried)
        return d->handedOver;
    d->handOverTried = true;
    if (!Obj::Application::_pcSingleton)
        return false;
    d->filesLeft = Obj::Application::instance().getCmdLineFiles();
    if (!d->running || d->filesLeft.empty())
        return false;
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    // A refusal is this start's result, also in one with a window: its standard error
    // has it when the console does not copy errors there already.
    const auto refuse = [&console](const QByteArray& reason) {
        console.Error("%s\n", reason.constData());
        if (!console.get_observer("StandardError"))
            std::fprintf(stderr, "pelmora: %s\n", reason.constData());
    };
    std::vector<std::string> left;
    std::size_t refused = 0;
    bool answering = true;
    // The window the user looks at says this start's own refusals too (a file manager
    // shows nothing else): all together, so that it shows them in one box, and after the
    // files it opens, which a box would otherwise hold up.
    QList<QByteArray> refusals;
    for (const std::string& file : d->filesLeft) {
        // What this start can tell itself is not sent.
        const std::string refusal = qPelmoraApplication::refusal_before_opening(file);
        const QByteArray path = absoluteFileName(file);
        if (!refusal.empty()) {
            refuse(QByteArray::fromStdString(refusal));
            ++refused;
            // A name too long for a file's is said shortened, as the Output shows it: there it
            // names no file either.
            const QByteArray said = path.size() <= MaxPathBytes
                                        ? path
                                        : path.left(MaxPathBytes / 4) + "... (" + QByteArray::number(path.size()) + " bytes)";
            refusals.append((handOverUnattended ? UnattendedRefusedFilePrefix : RefusedFilePrefix) + said + '\0' +
                            QByteArray::fromStdString(refusal));
            continue;
        }
        const QByteArray shown = printableForLog(path, MaxLoggedBytes);
        // An instance that did not answer once is not waited for again.
        if (answering && path.size() <= MaxPathBytes) {
            QByteArray answer;
            const QByteArray prefix = handOverUnattended ? QByteArray(UnattendedOpenFilePrefix) : QByteArray("OpenFile:");
            answering = sendMessage(prefix + path, acknowledgementTimeoutMs, &answer, answerTimeoutMs);
            if (answering) {
                if (answer.startsWith("REFUSED ")) {
                    refuse(answer.mid(8));
                    ++refused;
                    continue;
                }
                if (answer.isEmpty()) {
                    // Not a success this start can report: the instance may still be asking
                    // the user, or may be stuck.
                    refuse("no answer from the running instance within " +
                           QByteArray::number((answerTimeoutMs + 999) / 1000) + " s about '" + shown +
                           "'; the file may or may not have been opened");
                    ++refused;
                    continue;
                }
                if (!answer.startsWith("NOT TAKEN ")) {
                    ++openedByRunningInstance;
                    continue;
                }
                console.Warning("The running instance did not take '%s' (%s); this instance opens it\n",
                                shown.constData(), printableForLog(answer.mid(10), MaxLoggedBytes).constData());
                left.push_back(file);
                continue;
            }
        }
        console.Error("The running instance did not take '%s'; this instance opens it\n", shown.constData());
        left.push_back(file);
    }
    if (answering && !d->serverPath.isEmpty())
        sendTogether(d->serverPath, refusals, acknowledgementTimeoutMs);
    qPelmoraApplication::note_handed_over_files_refused(refused);
    d->filesLeft.swap(left);
    d->handedOver = d->filesLeft.empty();
    return d->handedOver;
}

std::vector<std::string> GUISingleApplication::commandLineFilesToOpen() const
{
    return qPelmoraApplication::files_to_open_together(commandLineFilesNamedHere());
}

std::vector<std::string> GUISingleApplication::commandLineFilesNamedHere() const
{
    if (!d->handOverTried)
        return Obj::Application::_pcSingleton ? Obj::Application::instance().getCmdLineFiles()
                                              : std::vector<std::string>();
    return d->filesLeft;
}
