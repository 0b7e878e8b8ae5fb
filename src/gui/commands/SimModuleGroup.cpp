#include "SimModuleGroup.h"

#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"

#include <QAbstractItemView>
#include <QActionEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QScreen>
#include <QToolBar>

#include <boost/signals2/connection.hpp>

#include <map>
#include <vector>

using namespace Gui;

struct SimModuleGroup::Connections
{
    std::vector<boost::signals2::scoped_connection> list;
};

SimModuleGroup::SimModuleGroup(Command* command, QObject* parent)
    : CmdActionGroup(command, parent), connections(std::make_unique<Connections>())
{
    for (int i = 0; i < SlotCount; ++i) {
        QAction* slot = new_action(QString());
        slot->setVisible(false);
        slot->setCheckable(true);
    }
    if (qPelmoraApplication* app = qPelmoraApplication::application()) {
        connections->list.emplace_back(app->signal_activate_simmodule.connect(
            [this](const char* name) { slot_activated_simmodule(name); }));
        connections->list.emplace_back(app->signal_new_simmodule.connect(
            [this](const char* name) { slot_new_simmodule(name); }));
        connections->list.emplace_back(app->signal_delete_simmodule.connect(
            [this](const char* name) { slot_delete_simmodule(name); }));
    }
}

SimModuleGroup::~SimModuleGroup() = default;

void SimModuleGroup::clearSlot(QAction* action)
{
    action->setObjectName(QString());
    action->setIcon(QIcon());
    action->setText(QString());
    action->setToolTip(QString());
    action->setStatusTip(QString());
    action->setVisible(false);
}

void SimModuleGroup::refresh_simmodule_menu()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    const QStringList names = app ? app->get_simmodules() : QStringList();
    const QList<QAction*> entries = group->actions();
    const int n = qMin(names.size(), entries.size());
    // A module is shown by its name, so entries are in name order.
    std::map<QString, QString> byText;
    for (int i = 0; i < n; ++i)
        byText.emplace(names.at(i), names.at(i));
    int i = 0;
    for (const auto& entry : byText) {
        QAction* slot = entries.at(i++);
        slot->setObjectName(entry.second);
        slot->setIcon(app->simmodule_icon(entry.second));
        slot->setText(entry.first);
        slot->setStatusTip(tr("Select the '%1' simulation module").arg(entry.first));
        slot->setVisible(true);
    }
    for (int k = i; k < entries.size(); ++k)
        clearSlot(entries.at(k));
}

void SimModuleGroup::append_to(QWidget* widget)
{
    refresh_simmodule_menu();
    if (auto* bar = qobject_cast<QToolBar*>(widget)) {
        auto* box = new SimModuleComboBox(this, bar);
        box->setToolTip(qaction->toolTip());
        box->setStatusTip(qaction->statusTip());
        box->setWhatsThis(qaction->whatsThis());
        box->addActions(group->actions());
        connect(group, &QActionGroup::triggered, box,
                static_cast<void (SimModuleComboBox::*)(QAction*)>(&SimModuleComboBox::on_activated));
        bar->addWidget(box);
    }
    else if (auto* menu = qobject_cast<QMenu*>(widget)) {
        QMenu* sub = menu->addMenu(qaction->text());
        sub->addActions(group->actions());
    }
}

void SimModuleGroup::slot_activated_simmodule(const char*)
{
}

void SimModuleGroup::slot_new_simmodule(const char* name)
{
    if (!name)
        return;
    for (QAction* slot : group->actions()) {
        if (slot->isVisible())
            continue;
        const QString module = QString::fromUtf8(name);
        qPelmoraApplication* app = qPelmoraApplication::application();
        slot->setIcon(app ? QIcon(app->simmodule_icon(module)) : QIcon());
        slot->setObjectName(module);
        slot->setStatusTip(tr("Select the '%1' simulation module").arg(module));
        slot->setVisible(true);
        return;
    }
}

void SimModuleGroup::slot_delete_simmodule(const char* name)
{
    if (!name)
        return;
    const QString module = QString::fromUtf8(name);
    for (QAction* slot : group->actions()) {
        if (slot->objectName() == module) {
            clearSlot(slot);
            return;
        }
    }
}

void SimModuleGroup::user_defined_event(QEvent* event)
{
    if (event->type() == WorkbenchActionEvent::EventType) {
        if (QAction* action = static_cast<WorkbenchActionEvent*>(event)->action())
            action->activate(QAction::Trigger);
    }
}

void SimModuleGroup::customEvent(QEvent* event)
{
    user_defined_event(event);
}

// ---------------------------------------------------------------------------------------

SimModuleComboBox::SimModuleComboBox(SimModuleGroup* g, QWidget* parent) : QComboBox(parent), group(g)
{
    connect(this, static_cast<void (QComboBox::*)(int)>(&QComboBox::activated), this,
            static_cast<void (SimModuleComboBox::*)(int)>(&SimModuleComboBox::on_activated));
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        connect(mw, &MainWindow::workbenchActivated, this, &SimModuleComboBox::on_simmodule_activated);
}

SimModuleComboBox::~SimModuleComboBox() = default;

void SimModuleComboBox::appendItem(QAction* action)
{
    addItem(action->icon(), action->text(), action->data());
}

void SimModuleComboBox::actionEvent(QActionEvent* event)
{
    command_action_event(event);
}

void SimModuleComboBox::command_action_event(QActionEvent* event)
{
    QAction* action = event->action();
    if (!action)
        return;
    if (event->type() == QEvent::ActionChanged) {
        const int item = findData(action->data(), Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (item < 0 && action->isVisible())
            appendItem(action);
        else if (item >= 0 && !action->isVisible())
            removeItem(item);
    }
    else if (event->type() == QEvent::ActionAdded && action->isVisible()) {
        appendItem(action);
        if (action->isChecked())
            setCurrentIndex(action->data().toInt());
    }
}

void SimModuleComboBox::on_activated(int index)
{
    const int n = itemData(index, Qt::UserRole).toInt();
    const QList<QAction*> list = actions();
    if (n < 0 || n >= list.size() || !group)
        return;
    QCoreApplication::postEvent(group, new WorkbenchActionEvent(list.at(n)));
}

void SimModuleComboBox::on_activated(QAction* action)
{
    if (action)
        setCurrentIndex(findData(action->data(), Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void SimModuleComboBox::on_simmodule_activated(const QString& name)
{
    for (QAction* action : actions()) {
        if (action->objectName() == name) {
            if (!action->isChecked())
                action->activate(QAction::Trigger);
            return;
        }
    }
}

void SimModuleComboBox::showPopup()
{
    if (count() > 0) {
        int half = 0;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            half = screen->geometry().height() / 2;
        const int rows = view()->sizeHintForRow(0) * count();
        view()->setMinimumHeight(half > 0 ? qMin(rows, half) : rows);
    }
    QComboBox::showPopup();
}
