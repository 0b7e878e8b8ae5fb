#include "ctkVTKObjectEventsObserver.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkObject.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QMetaMethod>
#include <QMetaObject>
#include <QPointer>

#include <list>

namespace {

// SLOT(name(args)) reads "1name(args)"; the normalised signature without the code.
QByteArray slotSignature(const char* method)
{
    if (!method || !*method)
        return QByteArray();
    const char* text = (*method >= '0' && *method <= '9') ? method + 1 : method;
    return QMetaObject::normalizedSignature(text);
}

} // namespace

struct ctkVTKObjectEventsObserver::Private
{
    struct Connection
    {
        Private* owner = nullptr;
        vtkWeakPointer<vtkObject> object;
        unsigned long event = 0;
        unsigned long tag = 0;
        QPointer<QObject> receiver;
        QByteArray signature;
        QMetaMethod slot;
        vtkSmartPointer<vtkCallbackCommand> command;
        QString id;
    };
    std::list<Connection> connections;
    bool blocked = false;
    int nextId = 0;

    static void callback(vtkObject* caller, unsigned long, void* clientData, void* callData)
    {
        auto* c = static_cast<Connection*>(clientData);
        if (c->owner->blocked || !c->receiver)
            return;
        switch (c->slot.parameterCount()) {
        case 0:
            c->slot.invoke(c->receiver, Qt::DirectConnection);
            break;
        case 1:
            c->slot.invoke(c->receiver, Qt::DirectConnection, Q_ARG(vtkObject*, caller));
            break;
        default:
            c->slot.invoke(c->receiver, Qt::DirectConnection, Q_ARG(vtkObject*, caller),
                           Q_ARG(void*, callData));
            break;
        }
    }

    static bool matches(const Connection& c, vtkObject* object, unsigned long event,
                        const QObject* receiver, const QByteArray& signature)
    {
        return (!object || c.object.Get() == object) && (!event || c.event == event) &&
               (!receiver || c.receiver.data() == receiver) &&
               (signature.isEmpty() || c.signature == signature);
    }

    void disconnect(Connection& c)
    {
        if (c.object)
            c.object->RemoveObserver(c.tag);
    }
};

ctkVTKObjectEventsObserver::ctkVTKObjectEventsObserver(QObject* parent)
    : QObject(parent), d(new Private)
{
}

ctkVTKObjectEventsObserver::~ctkVTKObjectEventsObserver()
{
    removeAllConnections();
}

QString ctkVTKObjectEventsObserver::addConnection(vtkObject* vtkObj, unsigned long vtkEvent,
                                                  const QObject* qtObj, const char* method,
                                                  float priority)
{
    if (!vtkObj || !qtObj || !method)
        return QString();
    const QByteArray signature = slotSignature(method);
    const int index = qtObj->metaObject()->indexOfMethod(signature.constData());
    if (index < 0)
        return QString();
    const QMetaMethod slot = qtObj->metaObject()->method(index);
    if (slot.parameterCount() > 2)
        return QString();
    for (const auto& c : d->connections)
        if (Private::matches(c, vtkObj, vtkEvent, qtObj, signature))
            return c.id;

    d->connections.emplace_back();
    Private::Connection& c = d->connections.back();
    c.owner = d.get();
    c.object = vtkObj;
    c.event = vtkEvent;
    c.receiver = const_cast<QObject*>(qtObj);
    c.signature = signature;
    c.slot = slot;
    c.command = vtkSmartPointer<vtkCallbackCommand>::New();
    c.command->SetClientData(&c);
    c.command->SetCallback(&Private::callback);
    c.tag = vtkObj->AddObserver(vtkEvent, c.command, priority);
    c.id = QString::number(++d->nextId);
    // A connection ends with its receiver.
    connect(qtObj, &QObject::destroyed, this, [this](QObject* gone) {
        for (auto it = d->connections.begin(); it != d->connections.end();) {
            if (it->receiver.isNull() || it->receiver.data() == gone) {
                d->disconnect(*it);
                it = d->connections.erase(it);
            } else {
                ++it;
            }
        }
    }, Qt::UniqueConnection);
    return c.id;
}

QString ctkVTKObjectEventsObserver::addConnection(vtkObject* oldObj, vtkObject* vtkObj,
                                                  unsigned long vtkEvent, const QObject* qtObj,
                                                  const char* method, float priority)
{
    if (oldObj)
        removeConnection(oldObj, vtkEvent, qtObj, method);
    return addConnection(vtkObj, vtkEvent, qtObj, method, priority);
}

int ctkVTKObjectEventsObserver::removeConnection(vtkObject* vtkObj, unsigned long vtkEvent,
                                                 const QObject* qtObj, const char* method)
{
    const QByteArray signature = slotSignature(method);
    int removed = 0;
    for (auto it = d->connections.begin(); it != d->connections.end();) {
        if (Private::matches(*it, vtkObj, vtkEvent, qtObj, signature)) {
            d->disconnect(*it);
            it = d->connections.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

void ctkVTKObjectEventsObserver::removeAllConnections()
{
    for (auto& c : d->connections)
        d->disconnect(c);
    d->connections.clear();
}

bool ctkVTKObjectEventsObserver::containsConnection(vtkObject* vtkObj, unsigned long vtkEvent,
                                                    const QObject* qtObj, const char* method) const
{
    const QByteArray signature = slotSignature(method);
    for (const auto& c : d->connections)
        if (Private::matches(c, vtkObj, vtkEvent, qtObj, signature))
            return true;
    return false;
}

int ctkVTKObjectEventsObserver::connectionCount() const
{
    return static_cast<int>(d->connections.size());
}

void ctkVTKObjectEventsObserver::blockAllConnections(bool block)
{
    d->blocked = block;
}

bool ctkVTKObjectEventsObserver::allConnectionsBlocked() const
{
    return d->blocked;
}
