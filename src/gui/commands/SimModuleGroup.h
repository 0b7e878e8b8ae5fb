#pragma once
// The command action that lists the simulation modules: a submenu of checkable entries,
// or a combo box when placed into a toolbar.  It keeps fifty slots and shows as many
// as there are modules.

#include "PelmoraGuiExport.h"
#include "commands/CommandAction.h"

#include <QComboBox>
#include <QEvent>

#include <memory>

QT_BEGIN_NAMESPACE
class QActionEvent;
QT_END_NAMESPACE

namespace Gui {

// Carries the module entry chosen in the combo box to the group, after the box's own
// event has been handled.
class PELMORAGUI_EXPORT WorkbenchActionEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::User;
    explicit WorkbenchActionEvent(QAction* action) : QEvent(EventType), act(action) {}
    QAction* action() const { return act; }

private:
    QAction* act;
};

class PELMORAGUI_EXPORT SimModuleGroup : public CmdActionGroup
{
    Q_OBJECT
public:
    static constexpr int SlotCount = 50;

    SimModuleGroup(Command* command, QObject* parent);
    ~SimModuleGroup() override;

    // Shows one slot per module the application offers, ordered by text; hides the rest.
    void refresh_simmodule_menu();
    void append_to(QWidget* widget) override;

    void slot_activated_simmodule(const char* name);
    void slot_new_simmodule(const char* name);
    void slot_delete_simmodule(const char* name);
    // Triggers the action a WorkbenchActionEvent carries; other events are ignored.
    void user_defined_event(QEvent* event);

protected:
    void customEvent(QEvent* event) override;

private:
    void clearSlot(QAction* action);
    struct Connections;
    std::unique_ptr<Connections> connections;
};

// The toolbar form of the module list: one item per visible module slot.
class PELMORAGUI_EXPORT SimModuleComboBox : public QComboBox
{
    Q_OBJECT
public:
    SimModuleComboBox(SimModuleGroup* group, QWidget* parent);
    ~SimModuleComboBox() override;

    void command_action_event(QActionEvent* event);
    void showPopup() override;

public Q_SLOTS:
    void on_activated(int index);
    void on_activated(QAction* action);

protected Q_SLOTS:
    void on_simmodule_activated(const QString& name);

protected:
    void actionEvent(QActionEvent* event) override;

private:
    void appendItem(QAction* action);
    SimModuleGroup* group;
};

} // namespace Gui
