#pragma once
// Registers, once per run, the classes that are built by name and the value types that
// travel inside QVariant.

#include "PelmoraGuiExport.h"

namespace Gui {

class PELMORAGUI_EXPORT GfxDatabase
{
public:
    static void init();
    static void finish() {}
};

} // namespace Gui
