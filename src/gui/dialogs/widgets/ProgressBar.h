#pragma once
// The user interface's side of the progress protocol: long operations of the
// application logic, on the GUI thread or a worker thread, drive a small bar in the
// status bar, with remaining-time estimates and abort by Escape.

#include <PelmoraGuiExport.h>

#include <vexil/Progress.h>

#include <QProgressBar>

namespace Gui {

class PMProgressBar;

class PELMORAGUI_EXPORT ProgressQueue : public Vexil::ProgressPassingBase
{
public:
    static ProgressQueue* instance();

    // The bar; created with `parent` on the first call.
    QProgressBar* get_progress_bar(QWidget* parent);
    // A busy indicator (range 0..0) when on, a percent range otherwise.
    void SetDyanmicRunning(bool on);

    // The millisecond clock that paces a busy bar and times the remaining-time estimate
    // (a monotonic clock by default).
    // Returns the previous one; null restores the default.
    using Clock = qint64 (*)();
    static Clock setClock(Clock clock);

    bool is_blocking() const override;
    void pause() override;
    void resume() override;
    ~ProgressQueue() override;
    void send_text(const char* text) override;
    void begin_step() override;
    void next_step(bool canAbort) override;
    void set_progress(unsigned long long value) override;
    void reset_data() override;

private:
    ProgressQueue();
    void set_value(int value);
    void show_time_left();
    [[noreturn]] void abort();
    bool onGuiThread() const;
    // Hands `message` to the main window's status text, on the GUI thread.
    void postMessage(const QString& message);

    struct Private;
    Private* d;
    static ProgressQueue* _instance;
    friend class PMProgressBar;
};

class PELMORAGUI_EXPORT PMProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    PMProgressBar(ProgressQueue* queue, QWidget* parent);
    ~PMProgressBar() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

public Q_SLOTS:
    void setMinimumDuration(int ms);
    bool canAbort() const;

private Q_SLOTS:
    void delayedShow();
    void aboutToShow();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ProgressQueue* queue;
    struct Private;
    Private* d;
    friend class ProgressQueue;
};

} // namespace Gui
