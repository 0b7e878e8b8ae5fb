#pragma once
// The commands of the help menu and two neighbours: the About box, the module switcher,
// the links to the product's web pages and the update check.  The two preference
// commands they are registered with live in PreferenceCommands.h.

#include "Command.h"

namespace Gui {

class PELMORAGUI_EXPORT StdCmdAbout2 : public Command
{
public:
    StdCmdAbout2();
    const char* get_class_name() const override { return "StdCmdAbout2"; }
    CommandAction* new_action() override;
    void on_language_changed() override;
    void activated(int i) override;

private:
    // Texts, tool tip and status tip name the application in place of %1.
    void fillTexts(CommandAction* action) const;
};

// Lists the simulation modules; choosing one asks the interpreter to activate it.
class PELMORAGUI_EXPORT StdCmdSimmodule : public Command
{
public:
    StdCmdSimmodule();
    const char* get_class_name() const override { return "StdCmdSimmodule"; }
    CommandAction* new_action() override;
    void activated(int i) override;
};

// Opens one web page in the desktop's browser.  A translation may replace the address.
class PELMORAGUI_EXPORT WebPageCommand : public Command
{
public:
    WebPageCommand(const char* name, const char* address);
    void activated(int i) override;
    const char* get_address() const { return sAddress; }

private:
    const char* sAddress;
};

class PELMORAGUI_EXPORT StdCmdOnlineDoc : public WebPageCommand
{
public:
    StdCmdOnlineDoc();
    const char* get_class_name() const override { return "StdCmdOnlineDoc"; }
};

class PELMORAGUI_EXPORT StdCmdDocumentation : public WebPageCommand
{
public:
    StdCmdDocumentation();
    const char* get_class_name() const override { return "StdCmdDocumentation"; }
};

class PELMORAGUI_EXPORT StdCmdCompanyWebsite : public WebPageCommand
{
public:
    StdCmdCompanyWebsite();
    const char* get_class_name() const override { return "StdCmdCompanyWebsite"; }
};

class PELMORAGUI_EXPORT StdCmdPelmoraForum : public WebPageCommand
{
public:
    StdCmdPelmoraForum();
    const char* get_class_name() const override { return "StdCmdPelmoraForum"; }
};

class PELMORAGUI_EXPORT StdCmdPelmoraFAQ : public WebPageCommand
{
public:
    StdCmdPelmoraFAQ();
    const char* get_class_name() const override { return "StdCmdPelmoraFAQ"; }
};

class PELMORAGUI_EXPORT StdCmdReportAnIssue : public WebPageCommand
{
public:
    StdCmdReportAnIssue();
    const char* get_class_name() const override { return "StdCmdReportAnIssue"; }
};

class PELMORAGUI_EXPORT StdCmdChatOnDiscord : public WebPageCommand
{
public:
    StdCmdChatOnDiscord();
    const char* get_class_name() const override { return "StdCmdChatOnDiscord"; }
};

class PELMORAGUI_EXPORT StdCmdFollowOnTwitter : public WebPageCommand
{
public:
    StdCmdFollowOnTwitter();
    const char* get_class_name() const override { return "StdCmdFollowOnTwitter"; }
};

class PELMORAGUI_EXPORT StdCmdCheckForUpdates : public Command
{
public:
    StdCmdCheckForUpdates();
    const char* get_class_name() const override { return "StdCmdCheckForUpdates"; }
    void activated(int i) override;
};

// Creates the help commands, the two preference commands among them, and hands them to
// `controller` in menu order.
PELMORAGUI_EXPORT void register_help_commands(CommandController& controller);

} // namespace Gui
