#include "Command.h"
#include "core/PrintableText.h"

#include "commands/CommandAction.h"
#include "commands/SimModule.h"
#include "core/GuiProject.h"
#include "core/ObjectModes.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureFactory.h"
#include "propertyeditor/PendingEdits.h"
#include "selection/TreeSelectionSingleton.h"
#include "visualization/ViewFeeder.h"

#include <obj/Project.h>
#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/UtilityBox.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

using namespace Gui;

namespace {

// Texts given to the setters live until the process ends: actions and callers keep
// the pointers.
const char* keepCopy(const char* text)
{
    if (!text)
        return nullptr;
    static std::mutex lock;
    static std::set<std::string> pool;
    std::lock_guard<std::mutex> guard(lock);
    return pool.insert(text).first->c_str();
}

std::set<std::string>& moduleNames()
{
    static std::set<std::string> names;
    return names;
}

QString translated(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text ? text : "");
}

} // namespace

// ---------------------------------------------------------------------------------------

CommandBase::CommandBase(const char* menu, const char* toolTip, const char* whatsThis,
                         const char* statusTip, const char* pixmap, const char* shortcut)
    : sMenuText(menu), sToolTipText(toolTip), sWhatsThis(whatsThis ? whatsThis : toolTip),
      sStatusTip(statusTip ? statusTip : toolTip), sPixmap(pixmap), sAccel(shortcut)
{
}

CommandBase::~CommandBase() = default;

CommandAction* CommandBase::get_action() const
{
    return static_cast<CommandAction*>(_pcAction.data());
}

void CommandBase::set_menu_info(const char* text) { sMenuText = keepCopy(text); }
void CommandBase::set_tooltip_info(const char* text) { sToolTipText = keepCopy(text); }
void CommandBase::set_statustip(const char* text) { sStatusTip = keepCopy(text); }
void CommandBase::set_pixmap(const char* name) { sPixmap = keepCopy(name); }
void CommandBase::set_shortcut(const char* keys) { sAccel = keepCopy(keys); }
void CommandBase::set_action_info(const char* text) { sWhatsThis = keepCopy(text); }

void CommandBase::set_texts(const char* menu, const char* toolTip, const char* whatsThis, const char* statusTip,
                            const char* pixmap)
{
    set_menu_info(menu);
    set_tooltip_info(toolTip);
    set_action_info(whatsThis ? whatsThis : toolTip);
    set_statustip(statusTip ? statusTip : toolTip);
    if (pixmap)
        set_pixmap(pixmap);
}

// ---------------------------------------------------------------------------------------

bool Command::_blockCmd = false;

Command::Command(const char* name)
    : CommandBase(nullptr), sAppModule("Pelmora"), sGroup("Standard"), sName(name)
{
    sWhatsThis = nullptr;
    sStatusTip = nullptr;
}

Command::~Command()
{
    if (checkedBy)
        checkedBy->unlist_placed(this);
    // The action may outlive the command in menus and toolbars: it must not call back.
    if (CommandAction* action = get_action())
        if (action->command() == this)
            action->forget_command();
}

CommandAction* Command::new_action()
{
    auto* action = new CommandAction(this, MainWindow::get_main_window_inst());
    action->set_shortcut_key(QString::fromLatin1(sAccel ? sAccel : ""));
    fill_command_details(get_class_name(), action);
    if (sPixmap)
        action->set_icon(PictureFactory::instance().get_pixmap(sPixmap));
    return action;
}

CommandAction* Command::new_checkable_action(bool checked)
{
    CommandAction* action = Command::new_action();
    action->set_checkable(true);
    action->set_checked(checked, false);
    return action;
}

void Command::on_language_changed()
{
    if (CommandAction* action = get_action())
        fill_command_details(get_class_name(), action);
}

void Command::fill_command_details(const char* context, CommandAction* action)
{
    QString toolTip = translated(context, get_tooltip_info());
    QString statusTip = sStatusTip ? translated(context, get_statustip()) : toolTip;
    action->set_text(translated(context, get_menu_info()));
    const QString keys = action->get_shortcut_key().toString(QKeySequence::NativeText);
    if (!keys.isEmpty()) {
        toolTip = QString::fromLatin1("%1 (%2)").arg(toolTip, keys);
        statusTip = QString::fromLatin1("(%1)\t%2").arg(keys, statusTip);
    }
    action->set_tool_tip(toolTip);
    action->set_status_tip(statusTip);
}

void Command::add_to(QWidget* widget)
{
    if (!_pcAction)
        _pcAction = new_action();
    if (CommandAction* action = get_action()) {
        if (checkedBy)
            checkedBy->list_placed(this);
        action->append_to(widget);
    }
}

void Command::action_gone(const CommandAction* action)
{
    if (checkedBy && placedIndex != static_cast<std::size_t>(-1)
        && checkedBy->placed[placedIndex].action == action)
        checkedBy->unlist_placed(this);
}

void Command::invoke(int i)
{
    MainWindow* main = MainWindow::get_main_window_inst();
    const bool mainActive = main && QApplication::activeWindow() == main;
    try {
        // A value typed and not yet confirmed is the user's too: the command sees it.  Not
        // quitting: that writes no draft (Cancel on its question leaves the draft as typed).
        if (std::strcmp(get_name(), "Std_Quit") != 0)
            finishPendingEdits();
        if (is_applicable())
            activated(i);
    }
    catch (const Vexil::ExceptionAbortion&) {
        // The user cancelled: nothing to report.
    }
    catch (const Vexil::ExceptionHandler& e) {
        e.report_exception();
        const char* what = e.what();
        plainMessageBox(MainWindow::get_main_window_inst(), QMessageBox::Critical, QObject::tr("Pelmora Exception"),
                        printableName(QByteArray(what ? what : "")));
    }
    catch (const std::exception& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("Error: C++ exception: (%s)\n", e.what());
    }
    catch (const char* text) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", text ? text : "");
    }
    catch (...) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Gui::Command::activated(%d): Unknown C++ exception thrown\n", i);
    }
    if (mainActive)
        QTimer::singleShot(0, main, [main] { main->takeBackActivation(); });
}

void Command::check_activation()
{
    CommandAction* action = get_action();
    if (!action)
        return;
    action->set_enabled(_blockCmd ? false : is_applicable());
}

void Command::block_all_command(bool on)
{
    _blockCmd = on;
}

void Command::do_command(DoCmd_Type, const char* format, ...)
{
    if (!format)
        return;
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    if (length < 0) {
        va_end(args);
        throw Vexil::RuntimeError("Cannot format the script line");
    }
    // Sized to the whole line: a script line is never run cut short.
    std::string line(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&line[0], line.size(), format, args);
    va_end(args);
    line.resize(static_cast<size_t>(length));
    pmMsg::InterpreterSingleton::Instance().runString(line.c_str());
}

void Command::run_command(DoCmd_Type, const char* text)
{
    pmMsg::InterpreterSingleton::Instance().runString(text);
}

void Command::add_module(DoCmd_Type, const char* name)
{
    if (name)
        moduleNames().insert(name);
}

std::string Command::validate_simmodule(const char* name)
{
    // Without an active module the previous name is empty.
    SimModule* active = SimModuleController::instance()->active_simmodule();
    std::string previous = active ? active->name() : std::string();
    const std::string wanted = name ? name : "";
    if (previous != wanted) {
        // A name with quotes must stay one string argument.
        const std::string escaped = Vexil::UtilityBox::escaped_char_from_utf8(wanted.c_str());
        do_command(GuiCmd, "Gui.activate_simmodule('%s')", escaped.c_str());
    }
    return previous;
}

void Command::update_current()
{
    if (!Obj::Application::_pcSingleton)
        return;
    if (Obj::Project* project = Obj::Application::instance().get_current_project())
        pmMsg::runCommand(pmMsg::CMD_UPDATE_PROJECT, project->get_name());
}

GuiProject* Command::get_current_guiproject()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    return app ? app->get_current_project() : nullptr;
}

qPelmoraApplication* Command::getGUIApplication()
{
    return qPelmoraApplication::application();
}

TreeSelectionSingleton& Command::get_selection()
{
    return TreeSelectionSingleton::instance();
}

void Command::update_all_projects(const std::list<GuiProject*>& projects)
{
    if (projects.empty()) {
        if (qPelmoraApplication* app = qPelmoraApplication::application())
            app->update_all();
        return;
    }
    for (GuiProject* project : projects)
        if (project)
            project->onUpdate();
}

Obj::Project* Command::get_project(const char* name)
{
    if (name)
        return Obj::Application::_pcSingleton ? Obj::Application::instance().get_project(name) : nullptr;
    GuiProject* current = get_current_guiproject();
    return current ? current->get_project() : nullptr;
}

Obj::ProjectObject* Command::get_object(unsigned int id)
{
    Obj::Project* project = get_project(nullptr);
    return project ? project->get_object(id) : nullptr;
}

bool Command::has_object(unsigned int id)
{
    return get_object(id) != nullptr;
}

bool Command::is_activated_object_valid()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    GuiProject* current = app ? app->get_current_project() : nullptr;
    Obj::Project* project = current ? current->get_project() : nullptr;
    Obj::ProjectObject* object = project ? project->get_current_object() : nullptr;
    return object && object->is_valid();
}

bool Command::is_view_belongto_type(const Vexil::TypeInfo& type)
{
    GuiProject* current = get_current_guiproject();
    MDIWindow* view = current ? current->getActiveView() : nullptr;
    return view && view->getTypeId().is_inherited_from(type);
}

std::string Command::getUniqueObjectName(const char* projectName, const char* base)
{
    Obj::Project* project = get_project(projectName);
    return project ? project->get_unique_object_name(base ? base : "") : std::string();
}

void Command::expandObject(const Obj::Project* project, const Obj::ProjectObject* object)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!project || !object || !app)
        return;
    GuiProject* guiProject = app->get_project(project);
    if (!guiProject)
        return;
    auto* feeder = dynamic_cast<ViewFeederProjectObject*>(guiProject->get_view_feeder(object));
    if (feeder)
        guiProject->signal_expand_object(*feeder, ExpandItem);
}

bool Command::has_activated_project()
{
    return get_current_guiproject() != nullptr;
}

bool Command::isPrimaryFemObject(const std::string& type)
{
    static const std::set<std::string> primary = {
        "Fem::FemGeometryGroup", "Fem::FemMeshGroup", "Fem::FemStudy",
        "Fem::FemSolution", "Fem::FemConnections", "Obj::AnnotationsGroup"};
    return primary.count(type) != 0;
}

const char* Command::get_shortcut_from_keys(int keys)
{
    const QByteArray text = QKeySequence(keys).toString(QKeySequence::PortableText).toLatin1();
    return keepCopy(text.constData());
}

// ---------------------------------------------------------------------------------------

CommandController::CommandController() = default;

CommandController::~CommandController()
{
    remove_commands();
}

void CommandController::new_command(Command* command)
{
    if (!command || !command->get_name())
        return;
    Command*& slot = commands[command->get_name()];
    if (slot == command)
        return;
    if (slot) {
        // A displaced command's action may still show, but it is no longer checked.
        unlist_placed(slot);
        slot->checkedBy = nullptr;
        displaced.insert(slot);
    }
    // A displaced command registered again is owned through the map only.
    displaced.erase(command);
    slot = command;
    command->checkedBy = this;
    if (command->get_action())
        list_placed(command);
}

void CommandController::list_placed(Command* command)
{
    CommandAction* action = command->get_action();
    QAction* direct = action ? action->sole_enabled_action() : nullptr;
    if (command->placedIndex != static_cast<std::size_t>(-1)) {
        placed[command->placedIndex] = {command, action, direct};
        return;
    }
    command->placedIndex = placed.size();
    placed.push_back({command, action, direct});
}

void CommandController::unlist_placed(Command* command)
{
    const std::size_t index = command->placedIndex;
    if (index == static_cast<std::size_t>(-1))
        return;
    placed[index] = {nullptr, nullptr, nullptr};
    command->placedIndex = static_cast<std::size_t>(-1);
    ++unlistedPlaces;
}

void CommandController::delete_command(Command* command)
{
    if (!command || !command->get_name())
        return;
    // Only this command: another of the same name may be the registered one.
    auto it = commands.find(command->get_name());
    if (it != commands.end() && it->second == command)
        commands.erase(it);
    else if (!displaced.erase(command))
        return;
    unlist_placed(command);
    command->checkedBy = nullptr;
    // Its action leaves every menu and toolbar now and is freed once control returns to
    // the event loop (the deletion may come from one of the action's own signals).
    if (CommandAction* action = command->get_action()) {
        action->forget_command();
        if (QAction* qaction = action->action())
            for (QWidget* widget : qaction->associatedWidgets())
                widget->removeAction(qaction);
        action->deleteLater();
    }
    delete command;
}

Command* CommandController::get_command_by_name(const char* name) const
{
    if (!name)
        return nullptr;
    auto it = commands.find(name);
    return it == commands.end() ? nullptr : it->second;
}

std::vector<Command*> CommandController::get_all_commands() const
{
    std::vector<Command*> all;
    all.reserve(commands.size());
    for (const auto& entry : commands)
        all.push_back(entry.second);
    return all;
}

namespace {
// The commands whose text field read by `field` equals `wanted`, in name order.
std::vector<Command*> commandsWhere(const std::map<std::string, Command*>& commands,
                                    const char* (Command::*field)() const, const char* wanted)
{
    std::vector<Command*> found;
    const std::string text = wanted ? wanted : "";
    for (const auto& entry : commands) {
        const char* value = (entry.second->*field)();
        if (value && text == value)
            found.push_back(entry.second);
    }
    return found;
}
} // namespace

std::vector<Command*> CommandController::get_group_commands(const char* group) const
{
    return commandsWhere(commands, &Command::get_group_name, group);
}

std::vector<Command*> CommandController::get_module_commands(const char* module) const
{
    return commandsWhere(commands, &Command::get_cmd_module_name, module);
}

bool CommandController::add_to(const char* name, QWidget* widget)
{
    Command* command = get_command_by_name(name);
    if (!command)
        return false;
    command->add_to(widget);
    return true;
}

void CommandController::run_command_by_name(const char* name)
{
    if (Command* command = get_command_by_name(name))
        command->invoke(0);
}

namespace {
inline void prefetch(const void* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}
} // namespace

void CommandController::check_activation()
{
    if (unlistedPlaces) {
        std::size_t kept = 0;
        for (const Placed& entry : placed) {
            if (!entry.command)
                continue;
            entry.command->placedIndex = kept;
            placed[kept++] = entry;
        }
        placed.resize(kept);
        unlistedPlaces = 0;
    }
    const bool blocked = Command::_blockCmd;
    // The commands and actions lie apart in memory: asking for the ones a few entries
    // ahead keeps the walk from waiting on each in turn.
    constexpr std::size_t ahead = 8;
    const std::size_t count = placed.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i + ahead < count) {
            prefetch(placed[i + ahead].command);
            prefetch(placed[i + ahead].direct);
        }
        const Placed& entry = placed[i];
        const bool on = blocked ? false : entry.command->is_applicable();
        if (entry.direct)
            entry.direct->setEnabled(on);
        else
            entry.action->set_enabled(on);
    }
}

void CommandController::remove_commands()
{
    for (const Placed& entry : placed) {
        if (entry.command)
            entry.command->placedIndex = static_cast<std::size_t>(-1);
    }
    placed.clear();
    unlistedPlaces = 0;
    for (auto& entry : commands)
        entry.second->checkedBy = nullptr;
    for (auto& entry : commands)
        delete entry.second;
    commands.clear();
    for (Command* command : displaced)
        delete command;
    displaced.clear();
}
