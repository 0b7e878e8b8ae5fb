#pragma once
// Progress protocol: long operations create a launcher, which drives the one progress
// object of the process (installed by the user interface) through its virtuals.

#include <atomic>
#include <string>

namespace Vexil {

class ProgressPassingBase
{
public:
    ProgressPassingBase();
    virtual ~ProgressPassingBase();

    // The object that launchers drive; the newest constructed one, null when none.
    static ProgressPassingBase* get_instance();

    bool is_working() const { return working.load(); }
    bool is_canceled() const { return canceled.load(); }
    void try_to_cancel() { canceled = true; }
    void remove_cancellation() { canceled = false; }
    unsigned long long get_number_steps() const { return numberSteps; }
    int get_current_step() const { return currentStep; }

    virtual bool is_blocking() const { return true; }
    virtual void pause() {}
    virtual void resume() {}
    virtual void send_text(const char*) {}
    virtual void begin_step() {}
    virtual void next_step(bool canAbort) { (void)canAbort; }
    virtual void set_progress(unsigned long long value) { (void)value; }
    virtual void reset_data();

protected:
    friend class ProgressPassingLauncher;
    std::atomic<bool> working{false};
    std::atomic<bool> canceled{false};
    std::atomic<unsigned long long> numberSteps{0};
    std::atomic<int> currentStep{0};
    std::atomic<int> launchers{0};

private:
    static std::atomic<ProgressPassingBase*> instance;
};

// One operation with progress: the outermost launcher starts and ends it.
class ProgressPassingLauncher
{
public:
    ProgressPassingLauncher(const char* text, unsigned long long steps);
    ~ProgressPassingLauncher();

    void send_text(const char* text);
    unsigned long long get_number_steps() const;
    // Advances to the next step; may throw ExceptionAbortion when the user aborts.
    bool next(bool canAbort = true);
    void set_progress(unsigned long long step);
    bool is_canceled() const;

private:
    bool active() const;
    ProgressPassingBase* base;
    bool outermost;
    unsigned long long steps;
};

} // namespace Vexil
