#include "qView3DMRML.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::qView3DMRML, Gui::MDIWindow)

qView3DMRML::qView3DMRML(GuiProject* p, QWidget* parent, Qt::WindowFlags flags)
    : MDIWindow(p, parent, flags)
{
}

qView3DMRML::~qView3DMRML() = default;
