#pragma once
// Runs what the program has already queued for the event loop (posted events and timers
// that are due), so that a test can check that something did not happen without waiting
// for a time.

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>

namespace PelmoraTest {

inline void settleQueuedEvents()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// What a short fixed wait used to let happen, run without waiting for a time: the queued
// events and due timers (the views' render timers have no delay), the deletions asked for,
// and a round trip to the display, so that what the display server sent up to then
// (exposures, focus, clipboard owners) is read and handled before the test looks.
inline void settleWithDisplay()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settleQueuedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QGuiApplication::sync();
    settleQueuedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace PelmoraTest
