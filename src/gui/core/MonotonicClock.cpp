#include "MonotonicClock.h"

#include <QElapsedTimer>

#include <atomic>

namespace Gui {

namespace {

qint64 systemMs()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

std::atomic<MonotonicClock::Source> source{&systemMs};

} // namespace

qint64 MonotonicClock::nowMs()
{
    return source.load()();
}

MonotonicClock::Source MonotonicClock::setSource(Source next)
{
    return source.exchange(next ? next : &systemMs);
}

} // namespace Gui
