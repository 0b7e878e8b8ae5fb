#include <ctk/ctkSignalMapper.h>
#include <ctk/ctkVTKObjectEventsObserver.h>

#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkObject.h>

#include <QAction>
#include <QActionGroup>
#include <QObject>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

class Receiver : public QObject
{
    Q_OBJECT
public:
    int plain = 0;
    vtkObject* caller = nullptr;
    void* callData = nullptr;

public Q_SLOTS:
    void onPlain() { ++plain; }
    void onCaller(vtkObject* object) { caller = object; }
    void onCallData(vtkObject* object, void* data)
    {
        caller = object;
        callData = data;
    }
};

} // namespace

TEST(ctkVTKObjectEventsObserver, CallsSlotsWithTheirArgumentsUntilDisconnected)
{
    vtkNew<vtkObject> object;
    ctkVTKObjectEventsObserver observer;
    Receiver receiver;

    EXPECT_FALSE(observer.addConnection(object, vtkCommand::ModifiedEvent, &receiver, SLOT(onPlain())).isEmpty());
    EXPECT_EQ(observer.addConnection(object, vtkCommand::ModifiedEvent, &receiver, SLOT(onPlain())),
              observer.addConnection(object, vtkCommand::ModifiedEvent, &receiver, SLOT(onPlain())))
        << "the same connection is made once";
    EXPECT_TRUE(observer.addConnection(object, vtkCommand::ModifiedEvent, &receiver, SLOT(noSuchSlot())).isEmpty());
    observer.addConnection(object, vtkCommand::ModifiedEvent, &receiver, SLOT(onCaller(vtkObject*)));
    observer.addConnection(object, vtkCommand::UserEvent, &receiver, SLOT(onCallData(vtkObject*, void*)));
    EXPECT_EQ(observer.connectionCount(), 3);

    object->Modified();
    EXPECT_EQ(receiver.plain, 1);
    EXPECT_EQ(receiver.caller, object.Get());
    int payload = 5;
    object->InvokeEvent(vtkCommand::UserEvent, &payload);
    EXPECT_EQ(receiver.callData, &payload);

    observer.blockAllConnections(true);
    object->Modified();
    EXPECT_EQ(receiver.plain, 1);
    observer.blockAllConnections(false);

    EXPECT_EQ(observer.removeConnection(object, vtkCommand::ModifiedEvent, &receiver, SLOT(onPlain())), 1);
    object->Modified();
    EXPECT_EQ(receiver.plain, 1);
    EXPECT_TRUE(observer.containsConnection(object, vtkCommand::UserEvent));

    // A connection ends with its receiver.
    auto gone = std::make_unique<Receiver>();
    observer.addConnection(object, vtkCommand::ModifiedEvent, gone.get(), SLOT(onPlain()));
    const int before = observer.connectionCount();
    gone.reset();
    EXPECT_EQ(observer.connectionCount(), before - 1);
    object->Modified(); // must not reach the deleted receiver
}

TEST(ctkSignalMapper, MapsATriggeredActionToItsValue)
{
    QActionGroup group(nullptr);
    ctkSignalMapper mapper;
    QAction* fine = group.addAction(QStringLiteral("Fine"));
    QAction* thick = group.addAction(QStringLiteral("Thick"));
    mapper.setMapping(fine, 1);
    mapper.setMapping(thick, 3);
    QObject::connect(&group, &QActionGroup::triggered, &mapper,
                     static_cast<void (ctkSignalMapper::*)(QAction*)>(&ctkSignalMapper::map));
    QSignalSpy mapped(&mapper, static_cast<void (QSignalMapper::*)(int)>(&QSignalMapper::mapped));
    thick->trigger();
    fine->trigger();
    ASSERT_EQ(mapped.count(), 2);
    EXPECT_EQ(mapped.at(0).at(0).toInt(), 3);
    EXPECT_EQ(mapped.at(1).at(0).toInt(), 1);
}

#include "CtkTest.moc"
