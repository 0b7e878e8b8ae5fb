#pragma once
// VTK's output window for this application: every text VTK prints goes to the message
// console at its level, so VTK warnings and errors appear with the application's own.

#include <PelmoraGuiExport.h>

#include <vtkOutputWindow.h>

#include <QMutex>

namespace Gui {

class PELMORAGUI_EXPORT PmOutputWindow : public vtkOutputWindow
{
public:
    static PmOutputWindow* New();
    vtkTypeMacro(PmOutputWindow, vtkOutputWindow);

    void DisplayText(const char* text) override;

protected:
    PmOutputWindow();
    ~PmOutputWindow() override;

private:
    PmOutputWindow(const PmOutputWindow&) = delete;
    void operator=(const PmOutputWindow&) = delete;

    QMutex mutex; // VTK may print from several threads at once
};

} // namespace Gui
