#pragma once
// Connects VTK events to Qt slots: each connection observes one event of one VTK object
// and calls a slot of a receiver, which may take no argument, the calling object
// (vtkObject*), or the calling object and the call data (vtkObject*, void*). Connections
// end with the receiver, with the VTK object, or when removed.

#include <QObject>
#include <QString>

#include <memory>

class vtkObject;

class ctkVTKObjectEventsObserver : public QObject
{
    Q_OBJECT
public:
    explicit ctkVTKObjectEventsObserver(QObject* parent = nullptr);
    ~ctkVTKObjectEventsObserver() override;

    // `method` is a SLOT(...) text. Returns the connection's id, empty when the slot is
    // not found or an argument is null. The same triple is connected once.
    QString addConnection(vtkObject* vtkObj, unsigned long vtkEvent, const QObject* qtObj,
                          const char* method, float priority = 0.0f);
    // Replaces the connections of `method` on `oldObj` by the same on `vtkObj`.
    QString addConnection(vtkObject* oldObj, vtkObject* vtkObj, unsigned long vtkEvent,
                          const QObject* qtObj, const char* method, float priority = 0.0f);
    // Removes the matching connections (null or 0 arguments match anything); returns
    // how many were removed.
    int removeConnection(vtkObject* vtkObj, unsigned long vtkEvent = 0,
                         const QObject* qtObj = nullptr, const char* method = nullptr);
    void removeAllConnections();
    bool containsConnection(vtkObject* vtkObj, unsigned long vtkEvent = 0,
                            const QObject* qtObj = nullptr, const char* method = nullptr) const;
    int connectionCount() const;

    // While blocked, events are not passed on.
    void blockAllConnections(bool block);
    bool allConnectionsBlocked() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
