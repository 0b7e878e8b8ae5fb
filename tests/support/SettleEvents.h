#pragma once
// Runs what the program has already queued for the event loop (posted events and timers
// that are due), so that a test can check that something did not happen without waiting
// for a time.

#include <QCoreApplication>
#include <QEventLoop>

namespace PelmoraTest {

inline void settleQueuedEvents()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

} // namespace PelmoraTest
