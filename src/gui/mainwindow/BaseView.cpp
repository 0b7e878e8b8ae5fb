#include "BaseView.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::BaseView, Vexil::RootClass)

BaseView::BaseView(GuiProject* p) : project(p), passive(p == nullptr) {}

BaseView::~BaseView() = default;
