#pragma once
// A guard against a hang for long work that shows how far it has come: it runs out only
// once that progress has stood still for HangGuardMs, so a slow machine whose work still
// moves never trips it, and work that stands still ends with a clear failure.

#include <support/HangGuard.h>

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace PelmoraTest {

// Calls `onHang` once, when `progress` has not changed for HangGuardMs; the event loop
// reads it on a tick of its own, and each change starts the hang clock again.
class StallGuard
{
public:
    StallGuard(std::function<qint64()> progress, std::function<void()> onHang)
        : progress(std::move(progress))
        , onHang(std::move(onHang))
    {
        QObject::connect(&tick, &QTimer::timeout, [this] { look(); });
    }

    void start()
    {
        last = progress();
        clock.setRemainingTime(HangGuardMs);
        tick.start(TickMs);
    }
    void stop() { tick.stop(); }
    bool ranOut() const { return hung; }

private:
    static constexpr int TickMs = 100;

    void look()
    {
        const qint64 now = progress();
        if (now != last) {
            last = now;
            clock.setRemainingTime(HangGuardMs);
        } else if (clock.hasExpired()) {
            tick.stop();
            hung = true;
            onHang();
        }
    }

    std::function<qint64()> progress;
    std::function<void()> onHang;
    QTimer tick;
    QDeadlineTimer clock;
    qint64 last = 0;
    bool hung = false;
};

// Waits until `done` holds; false once `progress` has stood still for HangGuardMs
// meanwhile.
inline bool waitWhileMoving(const std::function<bool()>& done, const std::function<qint64()>& progress)
{
    for (;;) {
        const qint64 seen = progress();
        if (!QTest::qWaitFor([&] { return done() || progress() != seen; }, HangGuardMs))
            return false;
        if (done())
            return true;
    }
}

} // namespace PelmoraTest
