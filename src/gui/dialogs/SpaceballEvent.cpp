#include "SpaceballEvent.h"

using namespace Spaceball;

namespace {
QEvent::Type typeOf(int& registered)
{
    if (registered < 0)
        registered = QEvent::registerEventType();
    return static_cast<QEvent::Type>(registered);
}
} // namespace

int MotionEvent::MotionEventType = -1;
int ButtonEvent::ButtonEventType = -1;

EventBase::EventBase(QEvent::Type type)
    : QInputEvent(type, Qt::NoModifier)
{
}

MotionEvent::MotionEvent()
    : EventBase(typeOf(MotionEventType))
{
}

MotionEvent::MotionEvent(const MotionEvent& in)
    : EventBase(static_cast<QEvent::Type>(in.type()))
    , xTrans(in.xTrans), yTrans(in.yTrans), zTrans(in.zTrans)
    , xRot(in.xRot), yRot(in.yRot), zRot(in.zRot)
    , dataSet(in.dataSet)
{
    // The copy travels on to the parent, which has not handled it yet.
    handled = false;
}

void MotionEvent::translations(int& x, int& y, int& z) const
{
    x = xTrans;
    y = yTrans;
    z = zTrans;
}

void MotionEvent::setTranslations(int x, int y, int z)
{
    xTrans = x;
    yTrans = y;
    zTrans = z;
    dataSet = true;
}

void MotionEvent::rotations(int& x, int& y, int& z) const
{
    x = xRot;
    y = yRot;
    z = zRot;
}

void MotionEvent::setRotations(int x, int y, int z)
{
    xRot = x;
    yRot = y;
    zRot = z;
    dataSet = true;
}

ButtonEvent::ButtonEvent()
    : EventBase(typeOf(ButtonEventType))
{
}

ButtonEvent::ButtonEvent(const ButtonEvent& in)
    : EventBase(static_cast<QEvent::Type>(in.type()))
    , status(in.status)
    , number(in.number)
{
    handled = in.handled;
}
