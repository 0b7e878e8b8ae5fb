#pragma once
// The document area's tab bar.  A tab's size is measured once, not again for every tab
// added after it, and the close buttons are drawn rather than made as one widget per tab
// that every new tab would have to move: adding a tab costs next to nothing whatever
// the number of tabs.  A click on a tab's close button emits tabCloseRequested(index).

#include <QTabBar>

#include <counted/CountedSteps.h>

#include <cstdint>

namespace Gui {

class DocumentTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit DocumentTabBar(QWidget* parent = nullptr);

    // The close button's area in tab `index`; empty when there is no such tab.
    QRect closeButtonRect(int index) const;
    // Sets the tab's text and forgets its measured size.
    void setText(int index, const QString& text);
    // Scrolls the current tab into view when it lies outside the bar.
    void showCurrentTab();

    // Per thread: the measured sizes read, moved or made, and the sizes the bar was asked
    // for (the bar asks for every tab's each time it lays its tabs out).
    static std::uint64_t& sizeSteps();
    static std::uint64_t& sizesAsked();
    static std::uint64_t sizesRead() { return sizeSteps(); }
    static std::uint64_t sizeHintsGiven() { return sizesAsked(); }

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int closeButtonAt(const QPoint& pos) const;
    void setHovered(int index);

    mutable Counted::Vector<QSize, &DocumentTabBar::sizeSteps> Sizes;
    int Pressed = -1;
    int Hovered = -1;
};

} // namespace Gui
