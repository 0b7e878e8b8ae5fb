#pragma once
// Makes a top-level window the active one for tests that type into it.  The display is
// this test process's own (OwnDisplay.h), but a window the test itself opens or closes
// meanwhile may take the focus: it is asked for again.

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace PelmoraTest {

inline bool activateForTyping(QWidget* window)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        window->raise();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        if (QTest::qWaitForWindowActive(window))
            return true;
    }
    return false;
}

} // namespace PelmoraTest
