#pragma once
// Qt input events of a 3D mouse.  An event left unhandled is re-posted to the
// receiver's parent as a copy, so the copy constructors define what travels along.

#include <PelmoraGuiExport.h>

#include <QInputEvent>

namespace Spaceball {

class PELMORAGUI_EXPORT EventBase : public QInputEvent
{
public:
    bool isHandled() const { return handled; }
    void setHandled(bool on) { handled = on; }

protected:
    explicit EventBase(QEvent::Type type);
    bool handled = false;
};

class PELMORAGUI_EXPORT MotionEvent : public EventBase
{
public:
    // Registered by the application at start-up, before the button type; until then
    // the first construction registers it.
    static int MotionEventType;

    MotionEvent();
    MotionEvent(const MotionEvent& in);

    void translations(int& x, int& y, int& z) const;
    void setTranslations(int x, int y, int z);
    int translationX() const { return xTrans; }
    int translationY() const { return yTrans; }
    int translationZ() const { return zTrans; }

    void rotations(int& x, int& y, int& z) const;
    void setRotations(int x, int y, int z);
    int rotationX() const { return xRot; }
    int rotationY() const { return yRot; }
    int rotationZ() const { return zRot; }

    // True once translations or rotations were given.
    bool isDataSet() const { return dataSet; }

private:
    int xTrans = 0;
    int yTrans = 0;
    int zTrans = 0;
    int xRot = 0;
    int yRot = 0;
    int zRot = 0;
    bool dataSet = false;
};

class PELMORAGUI_EXPORT ButtonEvent : public EventBase
{
public:
    static int ButtonEventType;

    ButtonEvent();
    ButtonEvent(const ButtonEvent& in);

    int buttonStatus() const { return status; }
    void setButtonStatus(int s) { status = s; }
    int buttonNumber() const { return number; }
    void setButtonNumber(int n) { number = n; }

private:
    int status = 0; // 1 means pressed
    int number = 0;
};

} // namespace Spaceball
