#pragma once
// Fills the side tool box from a module's toolbar tree: one page per child, each a
// vertical toolbar of command buttons with their texts.

#include "PelmoraGuiExport.h"

#include <QPointer>

namespace Gui {

class ToolBarGadget;
namespace DockWindow { class ToolBox; }

class PELMORAGUI_EXPORT ToolBoxManager
{
public:
    static ToolBoxManager* getInstance();
    static void destruct();

    ToolBoxManager(const ToolBoxManager&) = delete;
    ToolBoxManager& operator=(const ToolBoxManager&) = delete;

    void setToolBox(DockWindow::ToolBox* box);
    // Rebuilds every page; nothing without a tree or a tool box.
    void setup(ToolBarGadget* tree) const;
    void translate_widget() const;

private:
    ToolBoxManager() = default;
    ~ToolBoxManager() = default;
    // Not owned; guarded because the tool box dies with its parent.
    QPointer<DockWindow::ToolBox> toolBox;
    static ToolBoxManager* _instance;
};

} // namespace Gui
