#include "ctkCollapsibleButton.h"

#include <QChildEvent>
#include <QLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

ctkCollapsibleButton::ctkCollapsibleButton(QWidget* parent)
    : ctkCollapsibleButton(QString(), parent)
{
}

ctkCollapsibleButton::ctkCollapsibleButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setCheckable(true);
    setChecked(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setContentsMargins(0, headerHeight(), 0, 0);
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) { applyCollapsed(!checked); });
}

ctkCollapsibleButton::~ctkCollapsibleButton() = default;

void ctkCollapsibleButton::setCollapsed(bool collapsed)
{
    setChecked(!collapsed);
}

bool ctkCollapsibleButton::collapsed() const
{
    return !isChecked();
}

void ctkCollapsibleButton::setContentsFrameShape(QFrame::Shape shape)
{
    frameShape = shape;
    update();
}

QFrame::Shape ctkCollapsibleButton::contentsFrameShape() const
{
    return frameShape;
}

int ctkCollapsibleButton::headerHeight() const
{
    return fontMetrics().height() + 10;
}

QSize ctkCollapsibleButton::sizeHint() const
{
    const int width = fontMetrics().horizontalAdvance(text()) + 40;
    if (collapsed() || !layout())
        return QSize(width, headerHeight());
    const QSize contents = layout()->sizeHint();
    return QSize(qMax(width, contents.width()), contents.height());
}

QSize ctkCollapsibleButton::minimumSizeHint() const
{
    if (collapsed() || !layout())
        return QSize(0, headerHeight());
    return layout()->minimumSize().expandedTo(QSize(0, headerHeight()));
}

void ctkCollapsibleButton::applyCollapsed(bool collapsed)
{
    for (QObject* child : children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow())
            widget->setVisible(!collapsed);
    }
    setMaximumHeight(collapsed ? headerHeight() : QWIDGETSIZE_MAX);
    updateGeometry();
    Q_EMIT contentsCollapsed(collapsed);
}

void ctkCollapsibleButton::childEvent(QChildEvent* event)
{
    QAbstractButton::childEvent(event);
    // Widgets added while folded stay hidden until the button expands.
    if (event->type() == QEvent::ChildAdded && collapsed())
        if (auto* widget = qobject_cast<QWidget*>(event->child()))
            if (!widget->isWindow())
                widget->hide();
}

bool ctkCollapsibleButton::hitButton(const QPoint& pos) const
{
    return pos.y() >= 0 && pos.y() < headerHeight() && pos.x() >= 0 && pos.x() < width();
}

void ctkCollapsibleButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = QRect(0, 0, width(), headerHeight());
    option.text = text();
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);

    QStyleOption arrow;
    arrow.initFrom(this);
    const int side = headerHeight() / 2;
    arrow.rect = QRect(6, (headerHeight() - side) / 2, side, side);
    style()->drawPrimitive(collapsed() ? QStyle::PE_IndicatorArrowRight : QStyle::PE_IndicatorArrowDown,
                           &arrow, &painter, this);
    if (!collapsed() && frameShape != QFrame::NoFrame) {
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = QRect(0, headerHeight(), width(), height() - headerHeight());
        frame.lineWidth = 1;
        style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
    }
}
