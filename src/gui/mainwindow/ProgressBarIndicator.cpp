#include "ProgressBarIndicator.h"

#include <vexil/Progress.h>

#include <cstdint>

using namespace Gui;

ProgressBarIndicator::ProgressBarIndicator(int steps)
    : launcher(std::make_unique<Vexil::ProgressPassingLauncher>("", static_cast<unsigned long long>(steps)))
{
    set_current_step(0, steps, 1, false);
}

ProgressBarIndicator::~ProgressBarIndicator() = default;

bool ProgressBarIndicator::user_break()
{
    return launcher->is_canceled();
}

bool ProgressBarIndicator::show(bool withText)
{
    if (withText && steps.size() > 1) {
        const QString& name = steps[1].name;
        if (!name.isEmpty())
            launcher->send_text(name.toUtf8().constData());
    }
    const double total = static_cast<double>(launcher->get_number_steps());
    const auto done = static_cast<std::int64_t>(static_cast<std::int32_t>(total * progress));
    // A negative fraction would wrap around to an enormous step.
    launcher->set_progress(done > 0 ? static_cast<unsigned long long>(done) : 0ULL);
    return true;
}
