#include "ClipScalarBarCommands.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "dialogs/DlgClipPlaneImp.h"
#include "dialogs/DlgScalarBarImp.h"
#include "mainwindow/MainWindow.h"
#include "visualization/qView3DMRML.h"

#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Project.h>
#include <vexil/MsgConsole.h>

#include <QPointer>

namespace Gui {

namespace {

// Runs a dialog modally and deletes it, also when something closed its parent meanwhile.
template <class Dialog>
void runAndDelete(Dialog* dialog)
{
    QPointer<Dialog> guard(dialog);
    dialog->exec();
    delete guard.data();
}

} // namespace

StdCmdScalarBar::StdCmdScalarBar() : Command("Std_ScalarBar")
{
    sGroup = "Graphics";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdScalarBar", "&Scalar Bar"), QT_TRANSLATE_NOOP("StdCmdScalarBar", "Scalar Bar"),
              get_name(), QT_TRANSLATE_NOOP("StdCmdScalarBar", "Scalar Bar"), "pelmora_scalar_bar.png");
}

bool StdCmdScalarBar::is_applicable()
{
    return true;
}

void StdCmdScalarBar::activated(int)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!app || !app->get_current_project()) {
        Vexil::MsgConsoleSingleton::Instance().Warning("No active graphics window to display scalar bar.\n");
        return;
    }
    runAndDelete(new DlgScalarBarImp(MainWindow::get_main_window_inst()));
}

StdCmdClipWidget::StdCmdClipWidget() : Command("Std_ClipWidget")
{
    sGroup = "Graphics";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdClipWidget", "&Clip Planes"),
              QT_TRANSLATE_NOOP("StdCmdClipWidget", "Define clip planes"), get_name(),
              QT_TRANSLATE_NOOP("StdCmdClipWidget", "Clip Planes"), "pelmora_clip_plane.svg");
}

bool StdCmdClipWidget::is_applicable()
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    auto* view = mw ? qobject_cast<qView3DMRML*>(mw->activeWindow()) : nullptr;
    GuiProject* project = view ? view->getGuiProject() : nullptr;
    return project && project->get_project() && project->get_project()->kind == 1;
}

void StdCmdClipWidget::activated(int)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    GuiProject* project = app ? app->get_current_project() : nullptr;
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Warning("No active graphics window to define clip planes.\n");
        return;
    }
    vtkMRMLScene* scene = project->mrmlScene();
    auto* clip = scene ? vtkMRMLClipModelsNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLClipModelsNode"))
                       : nullptr;
    if (!clip)
        return;
    runAndDelete(new DlgClipPlaneImp(clip, MainWindow::get_main_window_inst()));
}

void register_clip_and_scalar_bar_commands(CommandController& controller)
{
    controller.new_command(new StdCmdScalarBar());
    controller.new_command(new StdCmdClipWidget());
}

} // namespace Gui
