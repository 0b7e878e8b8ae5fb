#pragma once
// Runs a driver's next step once the program has reached the state the step reads,
// checking it each time the event loop turns: a driver acts on what it sees, never after a
// fixed time.  The limit is the shared guard against a hang: if the state never comes,
// `hung` runs instead (it says so in the driver's output, and the test fails on it).

#include <support/HangGuard.h>

#include <QDeadlineTimer>
#include <QTimer>

#include <functional>
#include <utility>

namespace PelmoraTest {

// With a `context`, the checks end when it goes: a test's own object, so that no check of
// one test runs in the next.
inline void whenReady(const QObject* context, std::function<bool()> ready, std::function<void()> then,
                      std::function<void()> hung, QDeadlineTimer guard = QDeadlineTimer(HangGuardMs))
{
    if (ready()) {
        then();
        return;
    }
    if (guard.hasExpired()) {
        hung();
        return;
    }
    // The pace of the checks only; nothing is decided by it.
    QTimer::singleShot(20, context,
                       [context, ready = std::move(ready), then = std::move(then), hung = std::move(hung), guard]() mutable {
                           whenReady(context, std::move(ready), std::move(then), std::move(hung), guard);
                       });
}

inline void whenReady(std::function<bool()> ready, std::function<void()> then, std::function<void()> hung,
                      QDeadlineTimer guard = QDeadlineTimer(HangGuardMs))
{
    whenReady(nullptr, std::move(ready), std::move(then), std::move(hung), guard);
}

} // namespace PelmoraTest
