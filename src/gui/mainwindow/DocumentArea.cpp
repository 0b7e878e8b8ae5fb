#include "DocumentArea.h"

#include "mainwindow/DocumentTabBar.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMdiSubWindow>
#include <QPalette>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

using namespace Gui;

namespace {

// Tabs taken out of the bar one by one before the event loop turns; more go with a new bar.
constexpr int TabsRemovedOneByOne = 32;

// The tab text of QMdiArea: the title with its "[*]" placeholder shown as "*" while the
// window is modified.
QString tabText(const QMdiSubWindow* window)
{
    QString title = window->windowTitle();
    title.replace(QLatin1String("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
    return title;
}

// Every sub-window follows the application's focus changes to know whether it holds the
// focus; only the shown one can, so only it listens (otherwise every focus change
// anywhere costs a call per open document).
void followFocus(QMdiSubWindow* window, bool follow)
{
    if (follow)
        QObject::connect(qApp, SIGNAL(focusChanged(QWidget*,QWidget*)), window,
                         SLOT(_q_processFocusChanged(QWidget*,QWidget*)), Qt::UniqueConnection);
    else
        QObject::disconnect(qApp, SIGNAL(focusChanged(QWidget*,QWidget*)), window,
                            SLOT(_q_processFocusChanged(QWidget*,QWidget*)));
}

} // namespace

DocumentArea::DocumentArea(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Pages = new QWidget(this);
    Pages->setAutoFillBackground(true);
    Pages->installEventFilter(this);
    layout->addWidget(Pages, 1);
    makeTabBar();
    layout->addWidget(Tabs, 0);
}

void DocumentArea::makeTabBar()
{
    Tabs = new DocumentTabBar(this);
    Tabs->setVisible(false);
    connect(Tabs, &QTabBar::currentChanged, this, &DocumentArea::tabClicked);
    connect(Tabs, &QTabBar::tabCloseRequested, this, &DocumentArea::tabCloseRequested);
}

// Qt's tab bar lays out every tab, or at least walks every tab, for each tab taken out of
// it: closing thousands of documents at once would cost in proportion to the square of
// their number.  A new bar, with the tabs of the sub-windows left, takes the place of
// one that many tabs left at once.
void DocumentArea::replaceTabBar()
{
    TabsStale = false;
    DocumentTabBar* old = Tabs;
    const bool hadFocus = old->hasFocus();
    const QSizePolicy policy = old->sizePolicy();
    makeTabBar();
    Tabs->setSizePolicy(policy);
    delete layout()->replaceWidget(old, Tabs);
    delete old;
    if (hadFocus)
        Tabs->setFocus(Qt::OtherFocusReason);
    CurrentTabPending = true;
}

DocumentArea::~DocumentArea()
{
    // The sub-windows go one by one, each activation reported as with closing them.
    Closing = true;
    while (!Windows.empty()) {
        QMdiSubWindow* window = Windows.back();
        delete window;
        if (!Windows.empty() && Windows.back() == window) {
            Windows.pop_back();
            Numbers.pop_back();
            NumberOf.erase(window);
        }
    }
}

QWidget* DocumentArea::viewport() const
{
    return Pages;
}

QTabBar* DocumentArea::tabBar() const
{
    return Tabs;
}

QBrush DocumentArea::background() const
{
    return Pages->palette().brush(QPalette::Window);
}

void DocumentArea::setBackground(const QBrush& brush)
{
    QPalette palette = Pages->palette();
    palette.setBrush(QPalette::Window, brush);
    Pages->setPalette(palette);
}

std::uint64_t DocumentArea::windowEntriesVisited()
{
    return windowSteps();
}

std::uint64_t& DocumentArea::windowSteps()
{
    return Counted::tally<struct DocumentAreaWindowSteps>();
}

int DocumentArea::indexOf(const QObject* window) const
{
    const auto found = NumberOf.find(window);
    if (found == NumberOf.end())
        return -1;
    const auto it = std::lower_bound(Numbers.begin(), Numbers.end(), found->second);
    return static_cast<int>(it - Numbers.begin());
}

// Takes `window` out of the activation order; the recent ones are found first.
void DocumentArea::dropFromHistory(const QMdiSubWindow* window)
{
    const auto it = std::find(History.rbegin(), History.rend(), window);
    if (it != History.rend())
        History.erase(std::next(it).base());
}

bool DocumentArea::hasSubWindow(const QMdiSubWindow* window) const
{
    return window && indexOf(window) >= 0;
}

void DocumentArea::addSubWindow(QMdiSubWindow* window)
{
    if (!window || indexOf(window) >= 0)
        return;
    // Between documents, each added completely.
    if (AddedThisTurn > 0 && AddedThisTurn % 64 == 0)
        flushPostedEvents();
    // Shown filling the area, without frame or title bar: the tab is its title.
    window->hide();
    if (window->parentWidget() != Pages)
        window->setParent(Pages);
    window->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    // Without a title bar its system menu never opens; its actions and their icons cost
    // more than the rest of an empty project, one per document.
    window->setSystemMenu(nullptr);
    followFocus(window, false);
    window->installEventFilter(this);
    // A sub-window shows itself when the widget it holds is shown; only the one on screen
    // may (see eventFilter).
    if (QWidget* inside = window->widget())
        inside->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        const int index = indexOf(gone);
        if (index >= 0)
            forget(index);
    });
    windowSteps() += 2;
    Windows.push_back(window);
    Numbers.push_back(NextNumber);
    NumberOf.emplace(window, NextNumber++);
    History.push_back(window);
    // Its tab comes with the others added before the loop turns (see addPendingTabs).
    layOutTabsLater();
    startTurn();
    // Of many added at once (a file of many projects) only the last is shown, when the
    // loop turns: showing each in passing built every one's view.
    activate(window, AddedThisTurn == 1);
}

// Every new widget posts itself a polish request, and a widget with an event waiting makes
// each further event posted to it, and its destruction, search the thread's whole queue of
// posted events.  Without the loop turning between them, many documents added at once made
// that queue, and so the cost of each document, grow with their number: what waits is
// delivered every so many documents, as the loop would deliver it.  The area's own
// once-per-turn work still waits for the loop.
void DocumentArea::flushPostedEvents()
{
    hideShownInPassing();
    Flushing = true;
    QCoreApplication::sendPostedEvents();
    Flushing = false;
}

// Counts the sub-windows added until the event loop turns.
void DocumentArea::startTurn()
{
    ++AddedThisTurn;
    if (TurnPending)
        return;
    TurnPending = true;
    QMetaObject::invokeMethod(this, [this] { onTurn(); }, Qt::QueuedConnection);
}

void DocumentArea::onTurn()
{
    if (Flushing) {
        QMetaObject::invokeMethod(this, [this] { onTurn(); }, Qt::QueuedConnection);
        return;
    }
    TurnPending = false;
    AddedThisTurn = 0;
    if (ShowPending)
        showActive();
}

void DocumentArea::removeSubWindow(QWidget* widget)
{
    int index = indexOf(widget);
    if (index < 0 && widget)
        index = indexOf(widget->parentWidget());
    if (index < 0)
        return;
    QMdiSubWindow* window = Windows[static_cast<size_t>(index)];
    window->removeEventFilter(this);
    if (QWidget* inside = window->widget())
        inside->removeEventFilter(this);
    disconnect(window, &QObject::destroyed, this, nullptr);
    forget(index);
    window->hide();
    window->setParent(nullptr);
    followFocus(window, true);
}

// Takes the sub-window at `index` out of the lists and the tabs (it may be half destroyed).
void DocumentArea::forget(int index)
{
    QMdiSubWindow* window = Windows[static_cast<size_t>(index)];
    // The entries behind it move up (counted by the lists).
    Windows.erase(Windows.begin() + index);
    Numbers.erase(Numbers.begin() + index);
    NumberOf.erase(window);
    dropFromHistory(window);
    // While the area goes away its tab bar does too: taking each tab out of it would cost
    // in proportion to the tabs left.  So would it for many windows closed at once: past
    // a few their tabs are left to a new bar (see replaceTabBar).
    if (!Closing) {
        layOutTabsLater();
        if (++RemovedThisTurn > TabsRemovedOneByOne)
            TabsStale = true;
        if (index < Tabs->count() && !TabsStale) {
            const QSignalBlocker blocker(Tabs);
            Tabs->removeTab(index);
        }
    }
    if (window == Shown)
        Shown = nullptr;
    if (window == Active) {
        Active = nullptr;
        activateAfterRemoval();
    }
}

// A tab bar lays out all its tabs on every change while it is shown, but only once when
// it is shown again: it stays hidden until the event loop turns, so that opening or
// closing many documents at once lays the tabs out once, not once per document.
void DocumentArea::layOutTabsLater()
{
    if (TabsHiddenForLayout)
        return;
    // Asked for first: when memory runs out here, the bar stays as it was, and the next
    // change asks again, rather than the bar waiting for a layout that was never asked for.
    QMetaObject::invokeMethod(this, [this] { layOutTabs(); }, Qt::QueuedConnection);
    TabsHiddenForLayout = true;
    Tabs->hide();
}

void DocumentArea::layOutTabs()
{
    if (Flushing) {
        QMetaObject::invokeMethod(this, [this] { layOutTabs(); }, Qt::QueuedConnection);
        return;
    }
    TabsHiddenForLayout = false;
    RemovedThisTurn = 0;
    if (TabsStale)
        replaceTabBar();
    addPendingTabs();
    if (CurrentTabPending)
        syncCurrentTab();
    // While there are tabs, the bar keeps its room when hidden for the next change.
    const bool shown = !Windows.empty();
    QSizePolicy policy = Tabs->sizePolicy();
    policy.setRetainSizeWhenHidden(shown);
    Tabs->setSizePolicy(policy);
    Tabs->setVisible(shown);
    if (shown)
        Tabs->showCurrentTab();
}

void DocumentArea::activateAfterRemoval()
{
    // The most recently active of the others takes over.
    if (!History.empty())
        setActiveSubWindow(History.back());
    else
        Q_EMIT subWindowActivated(nullptr);
}

QList<QMdiSubWindow*> DocumentArea::subWindowList(QMdiArea::WindowOrder order) const
{
    QList<QMdiSubWindow*> list;
    list.reserve(static_cast<int>(Windows.size()));
    switch (order) {
    case QMdiArea::ActivationHistoryOrder:
        std::copy(History.rbegin(), History.rend(), std::back_inserter(list));
        return list;
    case QMdiArea::StackingOrder:
        // The shown one is on top, the others below it in the order they were last shown.
        std::copy(History.begin(), History.end(), std::back_inserter(list));
        return list;
    case QMdiArea::CreationOrder:
    default:
        break;
    }
    std::copy(Windows.begin(), Windows.end(), std::back_inserter(list));
    return list;
}

void DocumentArea::setActiveSubWindow(QMdiSubWindow* window)
{
    activate(window, true);
}

// Makes `window` the active one (its tab current, subWindowActivated emitted) and puts it on
// screen now or, with `showNow` false, when the event loop turns.
void DocumentArea::activate(QMdiSubWindow* window, bool showNow)
{
    if (window == Active) {
        if (showNow && Shown != Active)
            showActive();
        return;
    }
    const int index = indexOf(window);
    if (window && index < 0)
        return;
    Active = window;
    if (window) {
        if (History.empty() || History.back() != window) {
            dropFromHistory(window);
            History.push_back(window);
        }
        if (TabsHiddenForLayout)
            CurrentTabPending = true;
        else if (!Closing) {
            const QSignalBlocker blocker(Tabs);
            Tabs->setCurrentIndex(index);
        }
    }
    // A later show happens when the loop turns (startTurn has asked for it).
    if (showNow || !window || !TurnPending)
        showActive();
    else
        ShowPending = true;
    Q_EMIT subWindowActivated(window);
}

// Puts the active sub-window on screen in place of the one shown.
void DocumentArea::showActive()
{
    ShowPending = false;
    hideShownInPassing();
    QMdiSubWindow* window = Active;
    QMdiSubWindow* previous = Shown;
    if (window == previous)
        return;
    if (window && !Closing) {
        window->setGeometry(Pages->rect());
        window->show();
        window->raise();
    }
    Shown = Closing ? nullptr : window;
    if (previous) {
        // Move the focus over first, so that hiding the old page does not make Qt search
        // the whole window for somewhere to put it.
        QWidget* focus = QApplication::focusWidget();
        if (window && focus && previous->isAncestorOf(focus)) {
            QWidget* inside = window->widget() ? window->widget() : window;
            inside->setFocus(Qt::OtherFocusReason);
        }
        followFocus(previous, false);
        previous->hide();
    }
    if (window)
        followFocus(window, true);
}

void DocumentArea::hideShownInPassing()
{
    const auto windows = std::move(ShownInPassing);
    ShownInPassing.clear();
    for (const QPointer<QMdiSubWindow>& window : windows)
        if (window && window != Shown && indexOf(window) >= 0)
            window->hide();
}

void DocumentArea::tabClicked(int index)
{
    if (index >= 0 && index < subWindowCount())
        setActiveSubWindow(Windows[static_cast<size_t>(index)]);
}

void DocumentArea::closeActiveSubWindow()
{
    if (Active)
        Active->close();
}

void DocumentArea::closeAllSubWindows()
{
    // A refusing view keeps its tab; the others still close.
    const QList<QMdiSubWindow*> windows = subWindowList();
    for (QMdiSubWindow* window : windows)
        if (indexOf(window) >= 0)
            window->close();
}

void DocumentArea::activateNextSubWindow()
{
    if (Windows.empty())
        return;
    const int index = Active ? indexOf(Active) : -1;
    setActiveSubWindow(Windows[static_cast<size_t>((index + 1) % subWindowCount())]);
}

void DocumentArea::activatePreviousSubWindow()
{
    if (Windows.empty())
        return;
    const int index = Active ? indexOf(Active) : 0;
    setActiveSubWindow(Windows[static_cast<size_t>((index + subWindowCount() - 1) % subWindowCount())]);
}

// The tab bar goes over all its tabs for every tab added, and a tab is an allocation of
// its own: one added with each document lies among that document's many allocations, and
// that pass, reaching a scattered tab at a time, came to a third of opening a file of
// 20,000 projects.  The tabs of the sub-windows added while the event loop did not turn
// are added together, side by side in memory.  They are the last of Windows.
void DocumentArea::addPendingTabs()
{
    const QSignalBlocker blocker(Tabs);
    for (size_t i = static_cast<size_t>(Tabs->count()); i < Windows.size(); ++i) {
        QMdiSubWindow* window = Windows[i];
        Tabs->addTab(window->windowIcon(), tabText(window));
    }
}

void DocumentArea::syncCurrentTab()
{
    CurrentTabPending = false;
    const int index = Active && !Closing ? indexOf(Active) : -1;
    if (index < 0 || index == Tabs->currentIndex())
        return;
    const QSignalBlocker blocker(Tabs);
    Tabs->setCurrentIndex(index);
}

// A tab bar on screen lays out every tab when one tab's text or icon changes: a file of
// many projects, or saving them, changes every tab's modified mark.  Such changes wait for
// the bar to be laid out once when the event loop turns, as new tabs do; only a bar the
// user works in with the keyboard keeps its tabs in place at once.
void DocumentArea::updateTab(QMdiSubWindow* window)
{
    const int index = indexOf(window);
    // A tab still to be added shows the window as it is then, as do all tabs of a bar to
    // be replaced.
    if (index < 0 || index >= Tabs->count() || TabsStale)
        return;
    const QString text = tabText(window);
    const QIcon icon = window->windowIcon();
    const bool textChanged = Tabs->tabText(index) != text;
    const bool iconChanged = Tabs->tabIcon(index).cacheKey() != icon.cacheKey();
    if (!textChanged && !iconChanged)
        return;
    if (!TabsHiddenForLayout && Tabs->isVisible() && !Tabs->hasFocus())
        layOutTabsLater();
    if (textChanged)
        Tabs->setText(index, text);
    if (iconChanged) {
        // Replacing one icon by another asks for the tab's place at once; through no icon
        // the change only marks the tabs for the next layout.
        if (TabsHiddenForLayout)
            Tabs->setTabIcon(index, QIcon());
        Tabs->setTabIcon(index, icon);
    }
}

bool DocumentArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Pages) {
        if (event->type() == QEvent::Resize && Shown)
            Shown->setGeometry(Pages->rect());
        return false;
    }
    if (event->type() == QEvent::ShowToParent && !Closing) {
        // The widget of a sub-window that is not on screen was shown (a new view is, while
        // a file of many projects opens): its sub-window stays hidden, or every view would
        // be shown in passing and build its viewer.  It appears with its sub-window.
        auto* widget = static_cast<QWidget*>(watched);
        auto* holder = qobject_cast<QMdiSubWindow*>(widget->parentWidget());
        if (holder && holder->widget() == widget && holder != Shown && indexOf(holder) >= 0)
            return true;
        return false;
    }
    auto* window = qobject_cast<QMdiSubWindow*>(watched);
    if (!window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // Shown by other means while the active one waits to be shown.
        if (ShowPending && window != Shown)
            ShownInPassing.emplace_back(window);
        break;
    case QEvent::WindowTitleChange:
    case QEvent::ModifiedChange:
    case QEvent::WindowIconChange:
        updateTab(window);
        break;
    default:
        break;
    }
    return false;
}

QSize DocumentArea::sizeHint() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return QWidget::sizeHint();
    const QSize desk = s->size();
    return {desk.width() * 2 / 3, desk.height() * 2 / 3};
}
