#include "PreferenceCommands.h"

#include <dialogs/preferences/DlgUserPrefImp.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <mainwindow/MainWindow.h>

#include <obj/Application.h>

namespace Gui {

StdCmdDlgUserPref::StdCmdDlgUserPref() : Command("Std_DlgUserPref")
{
    sGroup = "File";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdDlgUserPref", "&Preferences ..."),
              QT_TRANSLATE_NOOP("StdCmdDlgUserPref", "Set user preferences"), "Std_DlgUserPref", nullptr,
              "pelmora_preferences");
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
    set_texts(QT_TRANSLATE_NOOP("StdCmdDlgUserPref2", "&Preferences ..."),
              QT_TRANSLATE_NOOP("StdCmdDlgUserPref2", "Set user preferences"), "Std_DlgUserPref", nullptr,
              "pelmora_preferences");
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
