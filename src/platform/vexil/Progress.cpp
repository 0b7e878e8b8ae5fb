#include "Progress.h"

namespace Vexil {

std::atomic<ProgressPassingBase*> ProgressPassingBase::instance{nullptr};

ProgressPassingBase::ProgressPassingBase()
{
    instance = this;
}

ProgressPassingBase::~ProgressPassingBase()
{
    ProgressPassingBase* self = this;
    instance.compare_exchange_strong(self, nullptr);
}

ProgressPassingBase* ProgressPassingBase::get_instance()
{
    return instance.load();
}

void ProgressPassingBase::reset_data()
{
    working = false;
    canceled = false;
    numberSteps = 0;
    currentStep = 0;
}

ProgressPassingLauncher::ProgressPassingLauncher(const char* text, unsigned long long steps)
    : base(ProgressPassingBase::get_instance()), outermost(false), steps(steps)
{
    if (!base)
        return;
    outermost = (base->launchers++ == 0);
    if (!outermost)
        return;
    base->numberSteps = steps;
    base->currentStep = 0;
    // A cancellation left over from an earlier operation must not abort this one.
    base->canceled = false;
    base->working = true;
    base->begin_step();
    base->send_text(text);
}

ProgressPassingLauncher::~ProgressPassingLauncher()
{
    // The progress object may have gone away while the operation ran.
    if (!base || ProgressPassingBase::get_instance() != base)
        return;
    const bool last = (--base->launchers == 0);
    if (outermost || last) {
        try {
            base->reset_data();
        } catch (...) {
            // A destructor must not throw; the operation is over either way.
        }
    }
}

bool ProgressPassingLauncher::active() const
{
    return base && outermost && ProgressPassingBase::get_instance() == base;
}

void ProgressPassingLauncher::send_text(const char* text)
{
    if (base && ProgressPassingBase::get_instance() == base)
        base->send_text(text);
}

unsigned long long ProgressPassingLauncher::get_number_steps() const
{
    return steps;
}

bool ProgressPassingLauncher::next(bool canAbort)
{
    if (!active())
        return true;
    // The progress object shows the step after the current counter, then the counter moves.
    base->next_step(canAbort);
    ++base->currentStep;
    return true;
}

void ProgressPassingLauncher::set_progress(unsigned long long step)
{
    if (!active())
        return;
    base->currentStep = static_cast<int>(step);
    base->set_progress(step);
}

bool ProgressPassingLauncher::is_canceled() const
{
    return base && ProgressPassingBase::get_instance() == base && base->is_canceled();
}

} // namespace Vexil
