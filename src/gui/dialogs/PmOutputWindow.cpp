#include "PmOutputWindow.h"

#include <mrml/MRMLVtkMessage.h>
#include <vexil/MsgConsole.h>

#include <vtkObjectFactory.h>

#include <QMutexLocker>

using namespace Gui;

vtkStandardNewMacro(PmOutputWindow);

PmOutputWindow::PmOutputWindow()
{
    PromptUserOff();
}

PmOutputWindow::~PmOutputWindow() = default;

void PmOutputWindow::DisplayText(const char* text)
{
    QMutexLocker lock(&mutex);
    if (!text)
        text = "";
    Vexil::MsgConsoleSingleton& console = Vexil::MsgConsoleSingleton::Instance();
    switch (GetCurrentMessageType()) {
    case MESSAGE_TYPE_TEXT:
    case MESSAGE_TYPE_DEBUG:
        console.Message("%s\n", text);
        break;
    // Errors and warnings reach the Output as reasons, without VTK's source paths and
    // object addresses.
    case MESSAGE_TYPE_ERROR:
        console.Error("%s\n", mrmlvtk::plainMessage(text).c_str());
        break;
    case MESSAGE_TYPE_WARNING:
    case MESSAGE_TYPE_GENERIC_WARNING:
        console.Warning("%s\n", mrmlvtk::plainMessage(text).c_str());
        break;
    }
}
