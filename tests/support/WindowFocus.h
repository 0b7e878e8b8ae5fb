#pragma once
// Makes a top-level window the active one for tests that type into it.  The display is
// this test process's own (OwnDisplay.h), but a window the test itself opens or closes
// meanwhile may take the focus: it is asked for again.

#include <support/HangGuard.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QWidget>

namespace PelmoraTest {

inline bool activateForTyping(QWidget* window)
{
    // Asked for again each second, until the guard against a hang runs out.
    const QDeadlineTimer guard(HangGuardMs);
    while (!guard.hasExpired()) {
        window->raise();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        if (QTest::qWaitForWindowActive(window, 1000))
            return true;
    }
    return false;
}

} // namespace PelmoraTest
