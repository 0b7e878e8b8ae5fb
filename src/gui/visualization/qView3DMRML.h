#pragma once
// The 3D document view of a project.

#include "mainwindow/MDIWindow.h"

namespace Gui {

class PELMORAGUI_EXPORT qView3DMRML : public MDIWindow
{
    Q_OBJECT
    VEXIL_TYPESYSTEM_HEADER();
public:
    explicit qView3DMRML(GuiProject* project, QWidget* parent = nullptr,
                         Qt::WindowFlags flags = Qt::WindowFlags());
    ~qView3DMRML() override;
};

} // namespace Gui
