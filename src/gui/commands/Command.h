#pragma once
// Named commands and their registry.  Every menu, toolbar and tree action of the
// library is a command: it carries its texts, decides whether it can run now and does
// its work in activated().  Commands are placed into widgets by name; their Qt action is
// created on first placement and shared by every place that shows it.

#include "PelmoraGuiExport.h"

#include <QPointer>

#include <cstddef>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

class QAction;
class QWidget;
namespace Obj { class Project; class ProjectObject; }
namespace Vexil { class TypeInfo; }

namespace Gui {

class CommandAction;
class CommandController;
class GuiProject;
class qPelmoraApplication;
class TreeSelectionSingleton;

enum SelectionGroupType : int {
    SelGroupNone = 0,
    SelGroupEntity = 2
};

class PELMORAGUI_EXPORT CommandBase
{
public:
    CommandBase(const char* menu, const char* toolTip = nullptr, const char* whatsThis = nullptr,
                const char* statusTip = nullptr, const char* pixmap = nullptr, const char* shortcut = nullptr);
    virtual ~CommandBase();
    CommandBase(const CommandBase&) = default;
    CommandBase& operator=(const CommandBase&) = default;

    CommandAction* get_action() const;
    virtual CommandAction* new_action() { return nullptr; }
    virtual void on_language_changed() = 0;
    // Class name of the concrete command: the translation context of its texts.
    virtual const char* get_class_name() const = 0;

    virtual const char* get_menu_info() const { return sMenuText; }
    virtual const char* get_tooltip_info() const { return sToolTipText; }
    virtual const char* get_statustip() const { return sStatusTip; }
    virtual const char* get_pixmap() const { return sPixmap; }
    virtual const char* get_shortcut() const { return sAccel; }
    const char* get_action_info() const { return sWhatsThis; }

    // The setters keep a copy of the text for the rest of the run.
    void set_menu_info(const char* text);
    void set_tooltip_info(const char* text);
    void set_statustip(const char* text);
    void set_pixmap(const char* name);
    void set_shortcut(const char* keys);
    void set_action_info(const char* text);
    // All texts at once; a null what's-this or status tip is the tool tip, and a null
    // pixmap leaves the command without one.
    void set_texts(const char* menu, const char* toolTip, const char* whatsThis, const char* statusTip,
                   const char* pixmap);
    // One text for the tool tip, what's-this and status tip.
    void set_texts(const char* menu, const char* tip, const char* pixmap)
    {
        set_texts(menu, tip, nullptr, nullptr, pixmap);
    }

    SelectionGroupType getSelGrpType() const { return selGroupType; }
    void setSelGroupType(SelectionGroupType type) { selGroupType = type; }

protected:
    const char* sMenuText;
    const char* sToolTipText;
    const char* sWhatsThis;
    const char* sStatusTip;
    const char* sPixmap;
    const char* sAccel;
    // Guarded: the action is a child of the main window and may die before the command.
    QPointer<QObject> _pcAction;
    SelectionGroupType selGroupType = SelGroupNone;
};

class PELMORAGUI_EXPORT Command : public CommandBase
{
public:
    // First argument of the script operations; it does not change what they do.
    enum DoCmd_Type { Doc = 0, App = 1, GuiCmd = 2 };

    explicit Command(const char* name);
    ~Command() override;

    CommandAction* new_action() override;
    void on_language_changed() override;
    // The command's work: 0 for a plain trigger, the checked state of a checkable
    // action, or the index of the chosen alternative.
    virtual void activated(int i) = 0;
    // Whether the command can run now.  Called every 300 ms for placed commands: keep it
    // cheap and free of side effects.
    virtual bool is_applicable() { return true; }

    void add_to(QWidget* widget);
    // Runs the command; nothing thrown by it leaves here.
    void invoke(int i);
    void check_activation();

    const char* get_cmd_module_name() const { return sAppModule; }
    const char* get_group_name() const { return sGroup; }
    const char* get_name() const { return sName; }

    static void block_all_command(bool on);
    // Formats a script line and hands it whole to the interpreter.
    static void do_command(DoCmd_Type type, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    static void run_command(DoCmd_Type type, const char* text);
    static void add_module(DoCmd_Type type, const char* name);
    // The module active before the call; activates `name` when it differs.
    static std::string validate_simmodule(const char* name);
    static void update_current();

    // An empty list updates every project and passive view.
    static void update_all_projects(const std::list<GuiProject*>& projects);

    GuiProject* get_current_guiproject();
    static qPelmoraApplication* getGUIApplication();
    // The tree selection: the selection that commands act on.
    static TreeSelectionSingleton& get_selection();
    // With a name: the logic's project of that name; with null: the project of the
    // current GUI project.  Null when there is none.
    Obj::Project* get_project(const char* name = nullptr);
    // Objects of the current project by id; null / false without a current project.
    Obj::ProjectObject* get_object(unsigned int id);
    bool has_object(unsigned int id);
    bool has_activated_project();
    // Whether the current project's current object is valid.
    static bool is_activated_object_valid();
    // Whether the current project's active view is of the type (or derives from it).
    bool is_view_belongto_type(const Vexil::TypeInfo& type);
    // A unique object name in the named project (null: the current one); empty when
    // there is no such project.
    std::string getUniqueObjectName(const char* project, const char* base);

protected:
    // Asks the project tree to expand the object's item.
    void expandObject(const Obj::Project* project, const Obj::ProjectObject* object);
    static bool isPrimaryFemObject(const std::string& type);
    // A heap copy of the portable key-sequence text, kept by the caller.
    static const char* get_shortcut_from_keys(int keys);
    void adjust_gfx_camera() {}
    void fill_command_details(const char* context, CommandAction* action);
    // The command's plain action, made checkable and set to `checked` without running
    // the command.
    CommandAction* new_checkable_action(bool checked);

    const char* sAppModule;
    const char* sGroup;
    const char* sName;
    void* reserved = nullptr;
    int eType = 7;

    static bool _blockCmd;

private:
    friend class CommandController;
    friend class CommandAction;
    // One of its actions is going: when it is the listed one, the controller stops
    // checking the command.
    void action_gone(const CommandAction* action);
    // The controller that checks this command, while it is the registered one of its name.
    CommandController* checkedBy = nullptr;
    // Its place in the controller's list of placed commands; npos when not listed.
    std::size_t placedIndex = static_cast<std::size_t>(-1);
};

// Owns every registered command, keyed by name (byte-wise, case-sensitive).
class PELMORAGUI_EXPORT CommandController
{
public:
    CommandController();
    ~CommandController();
    CommandController(const CommandController&) = delete;
    CommandController& operator=(const CommandController&) = delete;

    // Takes ownership.  A command of the same name replaces the earlier one in the map.
    void new_command(Command* command);
    void delete_command(Command* command);
    Command* get_command_by_name(const char* name) const;
    const std::map<std::string, Command*>& get_commands() const { return commands; }
    std::vector<Command*> get_all_commands() const;
    std::vector<Command*> get_group_commands(const char* group) const;
    std::vector<Command*> get_module_commands(const char* module) const;
    // False when no command has that name.
    bool add_to(const char* name, QWidget* widget);
    void run_command_by_name(const char* name);
    void check_activation();

private:
    friend class Command;
    void remove_commands();
    // The periodic check walks only the placed commands, kept side by side with their
    // actions, so that its cost per command stays the same however many there are.
    void list_placed(Command* command);
    void unlist_placed(Command* command);
    struct Placed
    {
        Command* command;
        CommandAction* action;
        QAction* direct;   // the action's sole Qt action, or null
    };
    std::vector<Placed> placed;
    std::size_t unlistedPlaces = 0;   // emptied entries, dropped at the next check
    std::map<std::string, Command*> commands;
    // Commands displaced by a newer one of the same name: their actions may still be
    // shown, so they live as long as the controller.  Never also in the map.
    std::set<Command*> displaced;
};

} // namespace Gui
