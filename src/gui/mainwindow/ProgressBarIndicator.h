#pragma once
// Progress of a long operation of the application logic, passed on to the progress
// launcher and from there to the status bar's progress bar.  May be driven from a
// worker thread: it touches no widget itself.

#include "PelmoraGuiExport.h"

#include <pmmsg/ProgressBarIndicatorBase.h>

#include <memory>

namespace Vexil { class ProgressPassingLauncher; }

namespace Gui {

class PELMORAGUI_EXPORT ProgressBarIndicator : public pmMsg::Message_ProgressBarIndicator
{
public:
    explicit ProgressBarIndicator(int steps = 100);
    ~ProgressBarIndicator() override;

    // True once the user has aborted through the progress bar.
    bool user_break() override;
    // Sends the next step's name (when `withText`) and the progress; always true.
    bool show(bool withText) override;

private:
    std::unique_ptr<Vexil::ProgressPassingLauncher> launcher;
};

} // namespace Gui
