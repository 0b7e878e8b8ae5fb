// The main window without the mouse: Tab from the property dock's "Data" tab goes round
// every pane of the window as the module lays it out, with a project open and nothing
// selected, and each stop shows that it has the keyboard.  Whether it does is read from
// the pane's own picture, with and without the focus.

#include <core/qPelmoraApplication.h>
#include <mainwindow/FocusMark.h>
#include <mainwindow/MainWindow.h>

#include <support/SettleEvents.h>
#include <support/GuiSession.h>
#include <support/WindowFocus.h>

#include <pmmsg/Message.h>

#include <QApplication>
#include <QDockWidget>
#include <QImage>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class FocusMarks : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        window->resize(1100, 700);
    }

    // Where a stop is: its class, and the dock it lies in.
    static std::string describe(const QWidget* w)
    {
        std::string where = w->metaObject()->className();
        for (const QWidget* p = w; p; p = p->parentWidget()) {
            if (auto* dock = qobject_cast<const QDockWidget*>(p))
                return where + " in " + dock->windowTitle().toStdString();
        }
        return where;
    }

    static void settle()
    {
        PelmoraTest::settleWithDisplay();
    }

    // Presses `key` from `start` until the focus comes back to it: the stops in order,
    // and those whose picture did not change when the focus left them.  Another program
    // on the display may take the activation meanwhile: the window is activated again,
    // and a stop's picture counts only while the stop has the keyboard.
    void goRound(QWidget* start, Qt::Key key, std::vector<QWidget*>& stops, std::vector<std::string>& unmarked)
    {
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
        ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
        // Arrived at by the keyboard, as after any Tab before.
        start->setFocus(Qt::TabFocusReason);
        QTest::keyClick(start, Qt::Key_Tab);
        settle();
        QTest::keyClick(window->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        settle();
        QWidget* at = start;
        for (int n = 0; n < 40; ++n) {
            // A step counts only when the window had the keyboard from before the picture
            // until after the key; otherwise it is taken again.
            QImage on;
            QWidget* next = nullptr;
            for (int attempt = 0; attempt < 5 && !next; ++attempt) {
                if (!at->hasFocus()) {
                    ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
                    if (window->focusWidget() != at)
                        at->setFocus(Qt::TabFocusReason);
                    settle();
                    if (!at->hasFocus())
                        continue;
                }
                on = at->grab().toImage();
                if (!at->hasFocus())
                    continue;
                QTest::keyClick(at, key, modifiers);
                settle();
                if (window->isActiveWindow() && window->focusWidget() != at)
                    next = window->focusWidget();
                else if (window->focusWidget() != at)
                    at->setFocus(Qt::TabFocusReason);
            }
            ASSERT_NE(next, nullptr) << "the window kept losing the keyboard, or Tab stuck at " << describe(at);
            if (at->grab().toImage() == on)
                unmarked.push_back(describe(at));
            stops.push_back(at);
            if (next == start)
                return;
            at = next;
        }
        FAIL() << "Tab never came back to where it started";
    }
};

} // namespace

TEST_F(FocusMarks, EveryTabStopFromTheDataTabShowsThatItHasTheKeyboard)
{
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    settle();
    QTabBar* data = nullptr;
    for (QTabBar* bar : window->findChildren<QTabBar*>()) {
        if (bar->count() > 0 && bar->tabText(0) == QStringLiteral("Data"))
            data = bar;
    }
    ASSERT_NE(data, nullptr);

    std::vector<QWidget*> forward;
    std::vector<std::string> unmarked;
    goRound(data, Qt::Key_Tab, forward, unmarked);
    std::string all;
    for (QWidget* stop : forward)
        all += describe(stop) + "; ";
    EXPECT_GE(forward.size(), 13u) << all;
    std::string missing;
    for (const std::string& stop : unmarked)
        missing += stop + "; ";
    EXPECT_TRUE(unmarked.empty()) << "no focus mark on: " << missing << "\nstops: " << all;

    // The panes a keyboard user must be able to reach.
    const auto reached = [&](const char* what) {
        return std::any_of(forward.begin(), forward.end(),
                           [&](QWidget* w) { return describe(w).find(what) != std::string::npos; });
    };
    EXPECT_TRUE(reached("DocumentTabBar")) << all;
    EXPECT_TRUE(reached(" in Chart")) << all;
    EXPECT_TRUE(reached(" in Selection View")) << all;
    EXPECT_TRUE(reached(" in Output")) << all;
    EXPECT_TRUE(reached("VTKOpenGLNativeWidget")) << all;

    // The frame goes when the pane loses the keyboard, and Shift+Tab goes the same way
    // back.
    auto* mark = window->findChild<Gui::FocusMark*>();
    ASSERT_NE(mark, nullptr);
    for (QWidget* stop : forward)
        EXPECT_EQ(mark->frameOn(stop), nullptr) << describe(stop);
    std::vector<QWidget*> backward;
    unmarked.clear();
    goRound(data, Qt::Key_Backtab, backward, unmarked);
    std::string back;
    for (QWidget* stop : backward)
        back += describe(stop) + "; ";
    ASSERT_EQ(backward.size(), forward.size()) << back;
    EXPECT_TRUE(std::equal(forward.begin() + 1, forward.end(), backward.rbegin(), backward.rend() - 1));
    EXPECT_TRUE(unmarked.empty());
}
