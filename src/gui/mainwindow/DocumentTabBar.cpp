#include "DocumentTabBar.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QStyleOption>
#include <QStylePainter>

using namespace Gui;

namespace {
constexpr int CloseButtonMargin = 4;
} // namespace

DocumentTabBar::DocumentTabBar(QWidget* parent)
    : QTabBar(parent)
{
    setShape(QTabBar::RoundedSouth);
    setExpanding(false);
    setElideMode(Qt::ElideNone);
    setUsesScrollButtons(true);
    setDrawBase(true);
    setMouseTracking(true);
}

std::uint64_t& DocumentTabBar::sizeSteps()
{
    return Counted::tally<struct TabSizeSteps>();
}

std::uint64_t& DocumentTabBar::sizesAsked()
{
    return Counted::tally<struct TabSizesAsked>();
}

QSize DocumentTabBar::tabSizeHint(int index) const
{
    ++sizesAsked();
    if (index < 0 || index >= count())
        return QSize();
    if (static_cast<size_t>(index) >= Sizes.size())
        Sizes.resize(static_cast<size_t>(count()));
    QSize& size = Sizes[static_cast<size_t>(index)];
    if (!size.isValid()) {
        size = QTabBar::tabSizeHint(index);
        size.rwidth() += style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, this)
                         + CloseButtonMargin;
    }
    return size;
}

QSize DocumentTabBar::minimumTabSizeHint(int index) const
{
    // Tabs are not shortened: the scroll buttons reach the ones that do not fit.
    return tabSizeHint(index);
}

void DocumentTabBar::tabInserted(int index)
{
    if (static_cast<size_t>(index) <= Sizes.size())
        Sizes.insert(Sizes.begin() + index, QSize());
    Pressed = Hovered = -1;
    QTabBar::tabInserted(index);
}

void DocumentTabBar::tabRemoved(int index)
{
    if (static_cast<size_t>(index) < Sizes.size())
        Sizes.erase(Sizes.begin() + index);
    Pressed = Hovered = -1;
    QTabBar::tabRemoved(index);
}

void DocumentTabBar::setText(int index, const QString& text)
{
    if (index < 0 || index >= count() || tabText(index) == text)
        return;
    if (static_cast<size_t>(index) < Sizes.size())
        Sizes[static_cast<size_t>(index)] = QSize();
    setTabText(index, text);
}

// A bar laid out again while hidden (a tab's text changed: the project's modified mark)
// scrolls back to its first tab, and showing it again does not bring the current tab
// back: the bar's own resize handling lays the tabs out and scrolls to the current one.
void DocumentTabBar::showCurrentTab()
{
    const int current = currentIndex();
    if (current < 0 || !isVisible() || rect().intersects(tabRect(current)))
        return;
    QResizeEvent event(size(), size());
    QTabBar::resizeEvent(&event);
}

void DocumentTabBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        for (QSize& size : Sizes)
            size = QSize();
    QTabBar::changeEvent(event);
}

QRect DocumentTabBar::closeButtonRect(int index) const
{
    if (index < 0 || index >= count())
        return QRect();
    const QRect tab = tabRect(index);
    const int width = style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, this);
    const int height = style()->pixelMetric(QStyle::PM_TabCloseIndicatorHeight, nullptr, this);
    return QRect(tab.right() - CloseButtonMargin - width, tab.center().y() - height / 2, width, height);
}

void DocumentTabBar::paintEvent(QPaintEvent* event)
{
    QTabBar::paintEvent(event);
    if (count() == 0)
        return;
    QStylePainter painter(this);
    // Tabs lie left to right: start at the first one the painted area reaches.
    int first = tabAt(event->rect().topLeft());
    if (first < 0)
        first = 0;
    for (int i = first; i < count(); ++i) {
        const QRect button = closeButtonRect(i);
        if (button.left() > event->rect().right())
            break;
        if (!button.intersects(event->rect()))
            continue;
        QStyleOption option;
        option.initFrom(this);
        option.rect = button;
        option.state |= QStyle::State_AutoRaise;
        if (i == Hovered)
            option.state |= QStyle::State_Raised | QStyle::State_MouseOver;
        if (i == Pressed)
            option.state |= QStyle::State_Sunken;
        if (i == currentIndex())
            option.state |= QStyle::State_Selected;
        painter.drawPrimitive(QStyle::PE_IndicatorTabClose, option);
    }
}

int DocumentTabBar::closeButtonAt(const QPoint& pos) const
{
    const int index = tabAt(pos);
    return index >= 0 && closeButtonRect(index).contains(pos) ? index : -1;
}

void DocumentTabBar::setHovered(int index)
{
    if (index == Hovered)
        return;
    if (Hovered >= 0)
        update(closeButtonRect(Hovered));
    Hovered = index;
    if (Hovered >= 0)
        update(closeButtonRect(Hovered));
}

void DocumentTabBar::mousePressEvent(QMouseEvent* event)
{
    const int index = event->button() == Qt::LeftButton ? closeButtonAt(event->pos()) : -1;
    if (index < 0) {
        QTabBar::mousePressEvent(event);
        return;
    }
    // A press on a close button does not switch tabs.
    Pressed = index;
    update(closeButtonRect(index));
    event->accept();
}

void DocumentTabBar::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(closeButtonAt(event->pos()));
    if (Pressed < 0)
        QTabBar::mouseMoveEvent(event);
}

void DocumentTabBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (Pressed < 0 || event->button() != Qt::LeftButton) {
        QTabBar::mouseReleaseEvent(event);
        return;
    }
    const int index = Pressed;
    Pressed = -1;
    update(closeButtonRect(index));
    event->accept();
    if (closeButtonAt(event->pos()) == index)
        Q_EMIT tabCloseRequested(index);
}

void DocumentTabBar::leaveEvent(QEvent* event)
{
    setHovered(-1);
    QTabBar::leaveEvent(event);
}
