#pragma once
// The main window's tabbed document area: one tab per document sub-window, the tabs at
// the bottom, only the current sub-window shown.  Adding, activating and removing a
// sub-window cost the same however many are open: QMdiArea's tabbed mode re-stacks every
// sub-window and moves every tab's close button each time, which made opening many files
// grow with the square of their number.  Of many sub-windows added before the event loop
// turns (a file of many projects), only the last is put on screen, when the loop turns;
// their tabs are added, the current tab set and the tabs laid out then, once.  Of many
// removed before the loop turns (all windows closed), the tabs go together then too.
// The calls follow QMdiArea's.

#include "PelmoraGuiExport.h"

#include <counted/CountedSteps.h>

#include <QBrush>
#include <QList>
#include <QMdiArea>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

#include <cstdint>
#include <vector>

class QMdiSubWindow;

namespace Gui {

class DocumentTabBar;

class PELMORAGUI_EXPORT DocumentArea : public QWidget
{
    Q_OBJECT
public:
    explicit DocumentArea(QWidget* parent = nullptr);
    ~DocumentArea() override;

    // The parent of the sub-windows.
    QWidget* viewport() const;
    // The tab bar; another one takes its place after many sub-windows went at once.
    QTabBar* tabBar() const;

    // Adds the sub-window as the last tab and makes it the active one.
    void addSubWindow(QMdiSubWindow* window);
    // `widget`: a sub-window of the area or the widget inside one.  The sub-window is
    // taken out (no parent any more) but not deleted.
    void removeSubWindow(QWidget* widget);
    QList<QMdiSubWindow*> subWindowList(QMdiArea::WindowOrder order = QMdiArea::CreationOrder) const;
    int subWindowCount() const { return static_cast<int>(Windows.size()); }
    bool hasSubWindow(const QMdiSubWindow* window) const;
    QMdiSubWindow* activeSubWindow() const { return Active; }

    QMdiArea::ViewMode viewMode() const { return QMdiArea::TabbedView; }
    QTabWidget::TabPosition tabPosition() const { return QTabWidget::South; }
    QMdiArea::WindowOrder activationOrder() const { return QMdiArea::ActivationHistoryOrder; }
    QBrush background() const;
    void setBackground(const QBrush& brush);
    // Two thirds of the screen, so that a first start without saved geometry opens a
    // window of a useful size.
    QSize sizeHint() const override;
    // How many entries of their window lists the areas of this thread have stepped over
    // (searched, added, moved, walked) since it started: a plain count of the work, the
    // same on every run, by which a test sees that one more tab costs the same however
    // many are open.  The lists count every entry reached, so any walk over them is seen.
    static std::uint64_t windowEntriesVisited();
    // The count behind windowEntriesVisited(), kept by the window lists below and by lists
    // beside them that hold one entry per window (the application's GUI projects and their
    // feeders) or are walked once per window (the views of no project): every entry they
    // reach is counted with the window entries.
    static std::uint64_t& windowSteps();

public Q_SLOTS:
    void setActiveSubWindow(QMdiSubWindow* window);
    void closeActiveSubWindow();
    // Closes every sub-window; one whose view refuses stays.
    void closeAllSubWindows();
    // The next and previous tab, wrapping around.
    void activateNextSubWindow();
    void activatePreviousSubWindow();
    // Tabs show one sub-window at a time: there is nothing to arrange.
    void tileSubWindows() {}
    void cascadeSubWindows() {}

Q_SIGNALS:
    // The new active sub-window, null when none is left.
    void subWindowActivated(QMdiSubWindow* window);
    // The close button of tab `index` was clicked.
    void tabCloseRequested(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class T>
    using CountedList = Counted::Vector<T, &DocumentArea::windowSteps>;

    int indexOf(const QObject* window) const;
    void dropFromHistory(const QMdiSubWindow* window);
    void forget(int index);
    void tabClicked(int index);
    void activate(QMdiSubWindow* window, bool showNow);
    void showActive();
    void hideShownInPassing();
    void activateAfterRemoval();
    void layOutTabsLater();
    void layOutTabs();
    void startTurn();
    void onTurn();
    void flushPostedEvents();
    void updateTab(QMdiSubWindow* window);
    void addPendingTabs();
    void syncCurrentTab();
    void makeTabBar();
    void replaceTabBar();

    QWidget* Pages = nullptr;
    DocumentTabBar* Tabs = nullptr;
    // Creation order, the same as the tabs'.  Those added since the tabs were last laid
    // out have no tab yet: the tabs are of the first ones.
    CountedList<QMdiSubWindow*> Windows;
    // Each window's number in the order it was added, ascending like Windows: a window's
    // tab is found by a hashed look-up and a binary search, not a pass over every tab.
    CountedList<quint64> Numbers;
    Counted::HashMap<const QObject*, quint64, &DocumentArea::windowSteps> NumberOf;
    quint64 NextNumber = 0;
    // Most recently active last (the front of the activation order is the back here, so
    // that activating or removing the recent ones moves nothing).
    CountedList<QMdiSubWindow*> History;
    QMdiSubWindow* Active = nullptr;
    // The sub-window on screen: it lags behind Active while a burst of new ones waits for
    // the event loop to turn.
    QMdiSubWindow* Shown = nullptr;
    bool ShowPending = false;
    // Sub-windows that showed themselves (with the widget they hold) while the active one
    // waits to be shown: hidden before anything else happens, so that their views never
    // build a viewer.
    CountedList<QPointer<QMdiSubWindow>> ShownInPassing;
    // Sub-windows added since the event loop last turned.
    int AddedThisTurn = 0;
    bool TurnPending = false;
    bool Flushing = false;
    bool TabsHiddenForLayout = false;
    // While the tabs wait to be laid out, the current tab is set when they are: asking a
    // tab bar with a pending layout for a tab's place lays out every tab.
    bool CurrentTabPending = false;
    // While the area goes away, the sub-window that takes over is not shown any more.
    bool Closing = false;
    // Sub-windows removed since the tabs were last laid out; past a few, their tabs stay
    // (TabsStale: the tabs no longer match Windows) and a new bar takes the old one's place
    // when the tabs are laid out.
    int RemovedThisTurn = 0;
    bool TabsStale = false;
};

} // namespace Gui
