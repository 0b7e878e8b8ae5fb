#include "PreferenceCommands.h"

#include <dialogs/preferences/DlgUserPrefImp.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <mainwindow/MainWindow.h>

#include <obj/Application.h>

namespace Gui {

namespace {

// The texts are marked in the context of the command's own class, which is where they
// are translated.
void describe(Command& cmd, const char* menuText, const char* tip)
{
    cmd.set_menu_info(menuText);
    cmd.set_tooltip_info(tip);
    cmd.set_statustip(tip);
    cmd.set_action_info("Std_DlgUserPref");
    cmd.set_pixmap("pelmora_preferences");
}

} // namespace

StdCmdDlgUserPref::StdCmdDlgUserPref() : Command("Std_DlgUserPref")
{
    sGroup = "File";
    eType = 0;
    describe(*this, QT_TRANSLATE_NOOP("StdCmdDlgUserPref", "&Preferences ..."),
             QT_TRANSLATE_NOOP("StdCmdDlgUserPref", "Set user preferences"));
}

void StdCmdDlgUserPref::activated(int)
{
    Dialog::DlgUserPrefImp dlg(MainWindow::get_main_window_inst());
    dlg.exec();
}

StdCmdDlgUserPref2::StdCmdDlgUserPref2() : Command("Std_DlgUserPref2")
{
    sGroup = "File";
    eType = 0;
    describe(*this, QT_TRANSLATE_NOOP("StdCmdDlgUserPref2", "&Preferences ..."),
             QT_TRANSLATE_NOOP("StdCmdDlgUserPref2", "Set user preferences"));
}

void StdCmdDlgUserPref2::activated(int)
{
    auto* dlg = new Dialog::PreferencesDialogImp(MainWindow::get_main_window_inst());
    dlg->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    Obj::Application* logic = Obj::Application::_pcSingleton;
    dlg->setPreferenceManager(logic ? logic->getPrefMgr() : nullptr);
    dlg->show();
}

} // namespace Gui
