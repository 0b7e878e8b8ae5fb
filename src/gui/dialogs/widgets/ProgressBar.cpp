#include "ProgressBar.h"

#include <dialogs/MainWindowAccess.h>

#include <vexil/Exception.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <limits>
#include <mutex>

using namespace Gui;

namespace {

// Main window slots are reached by name so that the dialogs do not depend on its header.
void callMainWindow(const char* slot, const QString& text, int number, bool textFirst)
{
    QWidget* mw = DialogsDetail::mainWindow();
    if (!mw)
        return;
    if (textFirst)
        QMetaObject::invokeMethod(mw, slot, Qt::DirectConnection, Q_ARG(QString, text), Q_ARG(int, number));
    else
        QMetaObject::invokeMethod(mw, slot, Qt::DirectConnection, Q_ARG(int, number), Q_ARG(QString, text));
}

void displayMessage(const QString& text) { callMainWindow("display_message", text, 0, true); }
void setStatusbarText(int kind, const QString& text) { callMainWindow("set_statusbar_text", text, kind, false); }

// Runs `f` on the GUI thread later.
template <typename F>
void onGuiLater(F f)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
}

bool askAbort()
{
    QMessageBox box(QMessageBox::Question, PMProgressBar::tr("Aborting"),
                    PMProgressBar::tr("Do you want to abort the operation?"),
                    QMessageBox::Yes | QMessageBox::No, DialogsDetail::mainWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

// ---------------------------------------------------------------------------

struct ProgressQueue::Private
{
    QPointer<PMProgressBar> bar;

    // Written and read by the thread that runs the operation.
    std::mutex mutex;
    qint64 measureStart = 0;       // when the operation began, by clockNow()
    bool measuring = false;        // whether measureStart holds a time
    qint64 lastAdvance = 0;        // when a busy bar last advanced, by clockNow()
    bool advanced = false;         // whether lastAdvance holds a time
    QString text;
    std::atomic<bool> blocking{true};

    // What the bar shows, kept here so that a worker thread never reads the widget.
    std::atomic<int> value{-1};
    std::atomic<int> minimum{0};
    std::atomic<int> maximum{100};
    std::atomic<bool> visible{false};
    // The bar counts in int: an operation of more steps is shown in proportion, one bar
    // unit per `scale` steps.
    std::atomic<unsigned long long> scale{1};

    int toBar(unsigned long long step) const
    {
        const unsigned long long v = step / scale;
        return v > unsigned(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(v);
    }

    // Mirrors QProgressBar::setValue, which ignores values outside a non-busy range.
    void mirrorValue(int v)
    {
        const int lo = minimum, hi = maximum;
        if ((v >= lo && v <= hi) || (lo == 0 && hi == 0))
            value = v;
    }
};

struct PMProgressBar::Private
{
    QTimer* timer = nullptr;
    int minimumDuration = 2000;
    int eventCount = 0;
};

ProgressQueue* ProgressQueue::_instance = nullptr;

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

std::atomic<ProgressQueue::Clock> progressClock{&monotonicMs};

qint64 clockNow()
{
    return progressClock.load()();
}

} // namespace

ProgressQueue::Clock ProgressQueue::setClock(Clock clock)
{
    return progressClock.exchange(clock ? clock : &monotonicMs);
}

ProgressQueue* ProgressQueue::instance()
{
    if (!_instance)
        _instance = new ProgressQueue();
    return _instance;
}

ProgressQueue::ProgressQueue()
    : d(new Private)
{
}

ProgressQueue::~ProgressQueue()
{
    delete d;
}

bool ProgressQueue::onGuiThread() const
{
    const QThread* guiThread = d->bar ? d->bar->thread()
                                      : (QCoreApplication::instance() ? QCoreApplication::instance()->thread() : nullptr);
    return QThread::currentThread() == guiThread;
}

QProgressBar* ProgressQueue::get_progress_bar(QWidget* parent)
{
    if (!d->bar) {
        d->bar = new PMProgressBar(this, parent);
        d->bar->setFixedWidth(120);
        d->bar->setAlignment(Qt::AlignHCenter);
        d->bar->hide();
        d->minimum = d->bar->minimum();
        d->maximum = d->bar->maximum();
        d->value = d->bar->value();
    }
    return d->bar;
}

void ProgressQueue::SetDyanmicRunning(bool on)
{
    const int top = on ? 0 : 100;
    d->minimum = 0;
    d->maximum = top;
    const int v = d->value;
    if (v < -1 || v > top)
        d->value = -1; // the bar resets a value outside its new range
    PMProgressBar* bar = d->bar;
    if (!bar)
        return;
    if (onGuiThread())
        bar->setRange(0, top);
    else
        QMetaObject::invokeMethod(bar, "setRange", Qt::QueuedConnection, Q_ARG(int, 0), Q_ARG(int, top));
}

bool ProgressQueue::is_blocking() const
{
    return d->blocking;
}

void ProgressQueue::pause()
{
    if (!onGuiThread() || !d->bar)
        return;
    qApp->removeEventFilter(d->bar);
    d->bar->releaseKeyboard();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

void ProgressQueue::resume()
{
    if (!onGuiThread() || !d->bar)
        return;
    QApplication::restoreOverrideCursor();
    qApp->installEventFilter(d->bar);
    d->bar->grabKeyboard();
}

void ProgressQueue::send_text(const char* text)
{
    QString copy;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->text = text ? QString::fromUtf8(text) : QString();
        copy = d->text;
    }
    postMessage(copy);
}

void ProgressQueue::postMessage(const QString& message)
{
    if (onGuiThread())
        displayMessage(message);
    else
        onGuiLater([message] { displayMessage(message); });
}

void ProgressQueue::begin_step()
{
    const bool gui = onGuiThread();
    d->blocking = gui;

    const unsigned long long steps = get_number_steps();
    const unsigned long long most = unsigned(std::numeric_limits<int>::max());
    d->scale = steps > most ? steps / most + 1 : 1;
    const int top = d->toBar(steps);
    d->minimum = 0;
    d->maximum = top;
    const int v = d->value;
    if (v < -1 || v > top)
        d->value = -1;

    {
        std::lock_guard<std::mutex> lock(d->mutex);
        if (steps == 0) {
            d->lastAdvance = clockNow();
            d->advanced = true;
        }
        d->measureStart = clockNow();
        d->measuring = true;
    }

    PMProgressBar* bar = d->bar;
    if (!bar)
        return;
    if (gui) {
        bar->setRange(0, top);
        qApp->installEventFilter(bar);
        bar->grabKeyboard();
        bar->d->timer->start(bar->d->minimumDuration);
    } else {
        QMetaObject::invokeMethod(bar, "setRange", Qt::QueuedConnection, Q_ARG(int, 0), Q_ARG(int, top));
        QMetaObject::invokeMethod(bar, "aboutToShow", Qt::QueuedConnection);
    }
}

void ProgressQueue::next_step(bool canAbort)
{
    if (onGuiThread() && is_canceled() && canAbort) {
        pause();
        const bool yes = askAbort();
        resume();
        if (yes)
            abort();
        remove_cancellation();
    }
    if (d->scale == 1)
        set_value(get_current_step() + 1);
    else   // the counter's 32 bits read as unsigned reach twice as far
        set_value(d->toBar(static_cast<unsigned long long>(static_cast<unsigned int>(get_current_step())) + 1));
}

void ProgressQueue::set_progress(unsigned long long value)
{
    if (PMProgressBar* bar = d->bar) {
        if (onGuiThread())
            bar->show();
        else
            QMetaObject::invokeMethod(bar, "show", Qt::QueuedConnection);
    }
    set_value(d->toBar(value));
}

void ProgressQueue::set_value(int value)
{
    const bool gui = onGuiThread();
    PMProgressBar* bar = d->bar;

    if (get_number_steps() != 0) {
        d->mirrorValue(value);
        if (!gui) {
            if (bar)
                QMetaObject::invokeMethod(bar, "setValue", Qt::QueuedConnection, Q_ARG(int, value));
            if (d->visible)
                show_time_left();
            return;
        }
        if (bar) {
            bar->setValue(value);
            if (bar->isVisible())
                show_time_left();
            bar->d->eventCount = 0;
        }
        QCoreApplication::processEvents();
        return;
    }

    // A busy bar advances at most once per 500 ms.
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        const qint64 now = clockNow();
        if (d->advanced && now - d->lastAdvance <= 500)
            return;
        d->lastAdvance = now;
        d->advanced = true;
    }
    const int next = d->value + 1;
    d->mirrorValue(next);
    if (!gui) {
        if (bar)
            QMetaObject::invokeMethod(bar, "setValue", Qt::QueuedConnection, Q_ARG(int, next));
        return;
    }
    if (bar)
        bar->setValue(next);
    QCoreApplication::processEvents();
}

void ProgressQueue::show_time_left()
{
    qint64 elapsed = 0;
    QString stepText;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        if (!d->measuring)
            return;
        elapsed = clockNow() - d->measureStart;
        stepText = d->text;
    }
    const qint64 value = d->value;
    const qint64 range = qint64(d->maximum) - qint64(d->minimum);
    // Without progress there is nothing to extrapolate from.
    if (value <= 0)
        return;
    if (!(value * 20 > range || elapsed > 5000))
        return;
    const qint64 remaining = static_cast<qint64>(double(range) / double(value) * double(elapsed)) - elapsed;
    if (!(elapsed > 1000 && remaining > 100))
        return;

    // Hours keep counting past a day: a clock time would wrap and show 27 hours as 3.
    const qint64 seconds = remaining / 1000;
    const QLatin1Char zero('0');
    const QString timeText = QStringLiteral("%1:%2:%3")
                                 .arg(seconds / 3600, 2, 10, zero)
                                 .arg(seconds / 60 % 60, 2, 10, zero)
                                 .arg(seconds % 60, 2, 10, zero);
    const QString status = PMProgressBar::tr("Remaining: %1").arg(timeText);
    postMessage(QStringLiteral("%1\t[%2]").arg(stepText, status));
}

void ProgressQueue::reset_data()
{
    PMProgressBar* bar = d->bar;
    d->value = d->minimum - 1;
    d->scale = 1;
    if (onGuiThread()) {
        if (bar) {
            bar->reset();
            bar->hide();
            qApp->removeEventFilter(bar);
            bar->releaseKeyboard();
        }
        setStatusbarText(1, QString());
        displayMessage(QString());
    } else {
        if (bar) {
            QMetaObject::invokeMethod(bar, "reset", Qt::QueuedConnection);
            QMetaObject::invokeMethod(bar, "hide", Qt::QueuedConnection);
        }
        onGuiLater([] {
            displayMessage(QString());
            setStatusbarText(1, QString());
        });
    }
    Vexil::ProgressPassingBase::reset_data();
}

void ProgressQueue::abort()
{
    reset_data();
    throw Vexil::ExceptionAbortion("Aborting...");
}

// ---------------------------------------------------------------------------

PMProgressBar::PMProgressBar(ProgressQueue* q, QWidget* parent)
    : QProgressBar(parent)
    , queue(q)
    , d(new Private)
{
    d->timer = new QTimer(this);
    d->timer->setObjectName(QStringLiteral("ShowDelay"));
    d->timer->setSingleShot(true);
    connect(d->timer, &QTimer::timeout, this, &PMProgressBar::delayedShow);
}

PMProgressBar::~PMProgressBar()
{
    disconnect(d->timer, &QTimer::timeout, this, &PMProgressBar::delayedShow);
    delete d->timer;
    delete d;
}

void PMProgressBar::setMinimumDuration(int ms)
{
    if (value() == 0)
        d->timer->start(ms);
    d->minimumDuration = ms;
}

bool PMProgressBar::canAbort() const
{
    return askAbort();
}

void PMProgressBar::delayedShow()
{
    if (!isVisible() && !queue->is_canceled() && queue->is_working())
        show();
}

void PMProgressBar::aboutToShow()
{
    d->timer->start(d->minimumDuration);
}

void PMProgressBar::showEvent(QShowEvent* event)
{
    QProgressBar::showEvent(event);
    d->timer->stop();
    queue->d->visible = true;
}

void PMProgressBar::hideEvent(QHideEvent* event)
{
    QProgressBar::hideEvent(event);
    d->timer->stop();
    queue->d->visible = false;
}

bool PMProgressBar::eventFilter(QObject* watched, QEvent* event)
{
    if (!event || !queue->is_working())
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // A modal box shown during the operation (the abort question) must stay usable.
        for (QWidget* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget()) {
            if (qobject_cast<QMessageBox*>(w) && w->windowModality() != Qt::NonModal)
                return false;
        }
        QApplication::beep();
        return true;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyRelease:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::ContextMenu:
        return true;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            // Control or Alt with Escape ends an operation that no longer reports progress.
            if (d->eventCount > 50 && (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
                queue->reset_data();
            else
                queue->try_to_cancel();
        }
        return true;
    }
    case QEvent::Close:
        if (watched && watched == DialogsDetail::mainWindow()) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    ++d->eventCount;
    return QObject::eventFilter(watched, event);
}
