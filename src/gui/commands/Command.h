#pragma once
// Named commands and their registry.

#include "PelmoraGuiExport.h"

#include <map>
#include <memory>
#include <string>

namespace Gui {

class Command;

// Owns every registered command, keyed by name.
class PELMORAGUI_EXPORT CommandController
{
public:
    CommandController();
    ~CommandController();
    CommandController(const CommandController&) = delete;
    CommandController& operator=(const CommandController&) = delete;
};

} // namespace Gui
