#include "HelpCommands.h"

#include "commands/CommandAction.h"
#include "commands/PreferenceCommands.h"
#include "commands/SimModule.h"
#include "commands/SimModuleGroup.h"
#include "dialogs/CheckUpdatesDialog.h"
#include "dialogs/DlgAboutPelmoraImp.h"
#include "mainwindow/BrowseWebsite.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureFactory.h"

#include <vexil/UtilityBox.h>

#include <QCoreApplication>
#include <QMessageBox>

#include <string>

// Addresses of the product's pages; a translation file may replace each one.
#define PELMORA_WEBSITE "https://www.pelmora.com"
#define PELMORA_FORUM "https://forum.pelmora.com"

namespace Gui {

namespace {

QString translated(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text ? text : "");
}

} // namespace

// ---------------------------------------------------------------------------------------

StdCmdAbout2::StdCmdAbout2() : Command("Std_About2")
{
    sGroup = "Help";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdAbout2", "&About %1"), QT_TRANSLATE_NOOP("StdCmdAbout2", "About %1"),
              "Std_About", nullptr, "pelmora.svg");
}

void StdCmdAbout2::fillTexts(CommandAction* action) const
{
    const QString name = QCoreApplication::applicationName();
    action->set_text(translated(get_class_name(), get_menu_info()).arg(name));
    action->set_tool_tip(translated(get_class_name(), get_tooltip_info()).arg(name));
    action->set_status_tip(translated(get_class_name(), get_statustip()).arg(name));
    action->set_action_info(QString::fromLatin1(get_action_info()));
}

CommandAction* StdCmdAbout2::new_action()
{
    auto* action = new CommandAction(this, MainWindow::get_main_window_inst());
    fillTexts(action);
    action->set_icon(PictureFactory::instance().get_pixmap(get_pixmap()));
    action->set_shortcut_key(QString::fromLatin1(get_shortcut() ? get_shortcut() : ""));
    action->set_menu_role(QAction::ApplicationSpecificRole);
    return action;
}

void StdCmdAbout2::on_language_changed()
{
    if (CommandAction* action = get_action())
        fillTexts(action);
}

void StdCmdAbout2::activated(int)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!mw)
        return;
    DlgAboutPelmoraImp dlg(mw);
    dlg.exec();
}

// ---------------------------------------------------------------------------------------

StdCmdSimmodule::StdCmdSimmodule() : Command("Std_Simmodule")
{
    sGroup = "View";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdSimmodule", "SimModule"),
              QT_TRANSLATE_NOOP("StdCmdSimmodule", "Switch between simulation modules"), "Std_Simmodule", nullptr,
              "pelmora");
}

CommandAction* StdCmdSimmodule::new_action()
{
    auto* group = new SimModuleGroup(this, MainWindow::get_main_window_inst());
    group->set_shortcut_key(QString::fromLatin1(get_shortcut() ? get_shortcut() : ""));
    fill_command_details(get_class_name(), group);
    group->set_icon(PictureFactory::instance().get_pixmap(get_pixmap()));
    return group;
}

void StdCmdSimmodule::activated(int i)
{
    try {
        SimModule* active = SimModuleController::instance()->active();
        auto* group = qobject_cast<CmdActionGroup*>(get_action());
        const QList<QAction*> entries = group ? group->get_actions() : QList<QAction*>();
        // An index that names no entry chooses no module.
        if (i < 0 || i >= entries.size())
            return;
        const std::string module = entries.at(i)->objectName().toLatin1().toStdString();
        if (module.empty() || (active && active->name() == module))
            return;
        // A quote in the name must not end the script's string early.
        const std::string quoted = Vexil::UtilityBox::escaped_char_from_utf8(module.c_str());
        do_command(GuiCmd, "Gui.activate_simmodule(\"%s\")", quoted.c_str());
    }
    catch (...) {
        QMessageBox::critical(MainWindow::get_main_window_inst(), QObject::tr("Cannot load simulation module"),
                              QObject::tr("An internal error occurred at loading the simulation module"),
                              QMessageBox::Ok);
    }
}

// ---------------------------------------------------------------------------------------

WebPageCommand::WebPageCommand(const char* name, const char* address) : Command(name), sAddress(address)
{
    sGroup = "Help";
    eType = 0;
}

void WebPageCommand::activated(int)
{
    const QByteArray url = QCoreApplication::translate(get_class_name(), sAddress).toLatin1();
    // The opener tells the user itself when no browser takes the page.
    browse_website_with_url(url.constData());
}

StdCmdOnlineDoc::StdCmdOnlineDoc()
    : WebPageCommand("Std_OnlineDoc", QT_TRANSLATE_NOOP("StdCmdOnlineDoc", PELMORA_WEBSITE "/online-document"))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdOnlineDoc", "Online document"),
              QT_TRANSLATE_NOOP("StdCmdOnlineDoc", "Review online document"), "Std_OnlineDoc", nullptr,
              "pelmora_gui_onlinedoc.svg");
}

StdCmdDocumentation::StdCmdDocumentation()
    : WebPageCommand("Std_Documentation", QT_TRANSLATE_NOOP("StdCmdDocumentation", "https://docs.pelmora.com"))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdDocumentation", "Documentation"),
              QT_TRANSLATE_NOOP("StdCmdDocumentation", "Open PELMORA online documentation"), "Std_Documentation",
              nullptr, "pelmora_gui_onlinedoc.svg");
}

StdCmdCompanyWebsite::StdCmdCompanyWebsite()
    : WebPageCommand("Std_PelmoraWebsite", QT_TRANSLATE_NOOP("StdCmdCompanyWebsite", PELMORA_WEBSITE))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdCompanyWebsite", "Website"),
              QT_TRANSLATE_NOOP("StdCmdCompanyWebsite", "Visit website " PELMORA_WEBSITE), "Std_PelmoraWebsite",
              nullptr, "pelmora_gui_website.svg");
}

StdCmdPelmoraForum::StdCmdPelmoraForum()
    : WebPageCommand("Std_PelmoraForum", QT_TRANSLATE_NOOP("StdCmdPelmoraForum", PELMORA_FORUM))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdPelmoraForum", "Users' forum"),
              QT_TRANSLATE_NOOP("StdCmdPelmoraForum", "Visit users' forum " PELMORA_FORUM), "Std_PelmoraForum", nullptr,
              "pelmora_gui_forum");
}

StdCmdPelmoraFAQ::StdCmdPelmoraFAQ()
    : WebPageCommand("Std_PelmoraFAQs", QT_TRANSLATE_NOOP("StdCmdPelmoraFAQ", PELMORA_WEBSITE "/faq"))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdPelmoraFAQ", "Frequently Asked Questions"),
              QT_TRANSLATE_NOOP("StdCmdPelmoraFAQ", "Visit Pelmora's FAQ page"), "Std_PelmoraFAQs", nullptr,
              "pelmora_gui_faq.svg");
}

StdCmdReportAnIssue::StdCmdReportAnIssue()
    : WebPageCommand("Std_ReportAnIssue",
                     QT_TRANSLATE_NOOP("StdCmdReportAnIssue", "https://github.com/pelmora/pelmora/issues"))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdReportAnIssue", "Report an Issue..."),
              QT_TRANSLATE_NOOP("StdCmdReportAnIssue", "Report a Pelmora issue to us"), "Std_ReportAnIssue", nullptr,
              nullptr);
}

StdCmdChatOnDiscord::StdCmdChatOnDiscord()
    : WebPageCommand("Std_ChatOnDiscord", QT_TRANSLATE_NOOP("StdCmdChatOnDiscord", "https://discord.gg/pelmora"))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdChatOnDiscord", "Chat on Discord"),
              QT_TRANSLATE_NOOP("StdCmdChatOnDiscord", "Chat on Discord"), "Std_ChatOnDiscord", nullptr, nullptr);
}

StdCmdFollowOnTwitter::StdCmdFollowOnTwitter()
    : WebPageCommand("Std_FollowOnTwitter", QT_TRANSLATE_NOOP("StdCmdFollowOnTwitter", "https://twitter.com/pelmora"))
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdFollowOnTwitter", "Follow on Twitter"),
              QT_TRANSLATE_NOOP("StdCmdFollowOnTwitter", "Follow on Twitter"), "Std_FollowOnTwitter", nullptr, nullptr);
}

// ---------------------------------------------------------------------------------------

StdCmdCheckForUpdates::StdCmdCheckForUpdates() : Command("Std_CheckForUpdates")
{
    sGroup = "Help";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdCheckForUpdates", "Check for Updates"),
              QT_TRANSLATE_NOOP("StdCmdCheckForUpdates", "Check for any updates from the server"),
              "Std_CheckForUpdates", nullptr, nullptr);
}

void StdCmdCheckForUpdates::activated(int)
{
    CheckUpdatesDialog dlg;
    dlg.startChecking();
    dlg.exec();
}

// ---------------------------------------------------------------------------------------

void register_help_commands(CommandController& controller)
{
    controller.new_command(new StdCmdAbout2());
    controller.new_command(new StdCmdDlgUserPref());
    controller.new_command(new StdCmdDlgUserPref2());
    controller.new_command(new StdCmdSimmodule());
    controller.new_command(new StdCmdOnlineDoc());
    controller.new_command(new StdCmdDocumentation());
    controller.new_command(new StdCmdCompanyWebsite());
    controller.new_command(new StdCmdPelmoraForum());
    controller.new_command(new StdCmdPelmoraFAQ());
    controller.new_command(new StdCmdReportAnIssue());
    controller.new_command(new StdCmdChatOnDiscord());
    controller.new_command(new StdCmdFollowOnTwitter());
    controller.new_command(new StdCmdCheckForUpdates());
}

} // namespace Gui
