#include "FocusMark.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QOpenGLWidget>
#include <QPainter>
#include <QPaintEvent>
#include <QPen>
#include <QWidget>

namespace Gui {

namespace {

constexpr int FrameWidth = 2;

// Lies over the whole pane and draws only its edge; clicks go through to the pane.
class Frame : public QWidget
{
public:
    explicit Frame(QWidget* pane) : QWidget(pane)
    {
        setObjectName(QStringLiteral("FocusMarkFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QPen pen(palette().color(QPalette::Active, QPalette::Highlight), FrameWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const qreal half = FrameWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }
};

} // namespace

FocusMark::FocusMark(QWidget* w) : QObject(w), window(w)
{
    connect(qApp, &QApplication::focusChanged, this, &FocusMark::focusChanged);
}

FocusMark::~FocusMark()
{
    if (marked)
        marked->removeEventFilter(this);
    delete frame.data();
}

bool FocusMark::needsFrame(const QWidget* widget)
{
    return qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QOpenGLWidget*>(widget);
}

QWidget* FocusMark::frameOn(const QWidget* widget) const
{
    return widget && frame && frame->parentWidget() == widget && frame->isVisible() ? frame.data() : nullptr;
}

void FocusMark::focusChanged(QWidget*, QWidget* now)
{
    // Like the focus marks the style draws, only for a focus that the keyboard moved.
    QWidget* target = now && window->isAncestorOf(now) && needsFrame(now)
                              && now->window()->testAttribute(Qt::WA_KeyboardFocusChange)
                          ? now
                          : nullptr;
    if (target == marked && frame)
        return;
    if (marked)
        marked->removeEventFilter(this);
    if (frame) {
        // The pane may be going away; the frame goes with it or after it.
        frame->hide();
        frame->deleteLater();
    }
    marked = target;
    if (!target)
        return;
    frame = new Frame(target);
    target->installEventFilter(this);
    place();
    frame->show();
}

void FocusMark::place()
{
    if (!marked || !frame)
        return;
    frame->setGeometry(marked->rect());
    // Above the viewport, the scroll bars and whatever the pane adds later.
    frame->raise();
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == marked && (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded))
        place();
    return QObject::eventFilter(watched, event);
}

} // namespace Gui
