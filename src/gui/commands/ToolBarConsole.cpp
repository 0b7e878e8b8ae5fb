#include "ToolBarConsole.h"

#include "commands/Command.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/ToolBarGadget.h"

#include <obj/Application.h>
#include <vexil/PreferenceManager.h>

#include <QAction>
#include <QCoreApplication>
#include <QToolBar>
#include <QToolButton>

using namespace Gui;

ToolBarConsole* ToolBarConsole::_instance = nullptr;

namespace {

const QString& stateGroup()
{
    static const QString group = QStringLiteral("mainWinToolbar");
    return group;
}

Vexil::PreferenceManager* preferences()
{
    return Obj::Application::_pcSingleton ? Obj::Application::instance().getPrefMgr() : nullptr;
}

} // namespace

ToolBarConsole* ToolBarConsole::getInstance()
{
    if (!_instance)
        _instance = new ToolBarConsole();
    return _instance;
}

void ToolBarConsole::destruct()
{
    delete _instance;
    _instance = nullptr;
}

QToolBar* ToolBarConsole::findToolBar(const QList<QToolBar*>& bars, const QString& name)
{
    for (QToolBar* bar : bars) {
        if (bar->objectName() == name)
            return bar;
    }
    return nullptr;
}

QAction* ToolBarConsole::look_for_action(const QList<QAction*>& actions, const QString& name)
{
    for (QAction* action : actions) {
        if (action->data().toString() == name)
            return action;
    }
    return nullptr;
}

QList<QToolBar*> ToolBarConsole::toolBars() const
{
    QList<QToolBar*> bars;
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!mw)
        return bars;
    for (QToolBar* bar : mw->findChildren<QToolBar*>()) {
        if (bar->parentWidget() == mw)
            bars.append(bar);
    }
    return bars;
}

void ToolBarConsole::saveState() const
{
    Vexil::PreferenceManager* prefs = preferences();
    if (!prefs)
        return;
    const QList<QToolBar*> bars = toolBars();
    for (const QString& name : names) {
        if (QToolBar* bar = findToolBar(bars, name))
            prefs->setBool(stateGroup(), name, !bar->isHidden());
    }
}

void ToolBarConsole::restoreState() const
{
    Vexil::PreferenceManager* prefs = preferences();
    if (!prefs)
        return;
    const QList<QToolBar*> bars = toolBars();
    for (const QString& name : names) {
        if (QToolBar* bar = findToolBar(bars, name))
            bar->setVisible(prefs->getBool(stateGroup(), name, !bar->isHidden()));
    }
}

void ToolBarConsole::translate_widget() const
{
    for (QToolBar* bar : toolBars())
        bar->setWindowTitle(QCoreApplication::translate("SimModule", bar->objectName().toUtf8().constData()));
}

void ToolBarConsole::setup(ToolBarGadget* tree)
{
    if (!tree)
        return;
    // The outgoing module's toolbars keep what the user made of them.
    saveState();
    names.clear();
    MainWindow* mw = MainWindow::get_main_window_inst();
    Vexil::PreferenceManager* prefs = preferences();
    if (!mw || !prefs)
        return;
    const int windowWidth = mw->width();
    int rowWidth = 0;
    QList<QToolBar*> existing = toolBars();
    for (ToolBarGadget* child : tree->get_items()) {
        const QString name = QString::fromUtf8(child->command_ref().c_str());
        names.append(name);
        const bool visible = prefs->getBool(stateGroup(), name, true);
        QToolBar* bar = findToolBar(existing, name);
        const bool isNew = !bar;
        if (bar) {
            bar->setVisible(visible);
            bar->toggleViewAction()->setVisible(true);
            existing.removeOne(bar);
        }
        else {
            bar = mw->addToolBar(name);
            bar->setObjectName(name);
            bar->setVisible(visible);
        }
        setup(child, bar);
        if (!isNew)
            continue;
        if (rowWidth > 0 && mw->toolBarBreak(bar))
            rowWidth = 0;
        rowWidth += bar->iconSize().width() * bar->findChildren<QToolButton*>().size();
        if (rowWidth > windowWidth) {
            mw->insertToolBarBreak(bar);
            rowWidth = 0;
        }
    }
}

void ToolBarConsole::setup(ToolBarGadget* item, QToolBar* bar) const
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    QList<QAction*> unused = bar->actions();
    for (ToolBarGadget* child : item->get_items()) {
        const QString name = QString::fromLatin1(child->command_ref().c_str());
        if (QAction* found = look_for_action(unused, name)) {
            unused.removeOne(found);
            continue;
        }
        QAction* added = nullptr;
        if (name == QLatin1String("Separator")) {
            added = bar->addSeparator();
        }
        else if (app && app->get_command_manager().add_to(child->command_ref().c_str(), bar)) {
            const QList<QAction*> now = bar->actions();
            added = now.isEmpty() ? nullptr : now.last();
        }
        if (added)
            added->setData(name);
    }
    for (QAction* action : unused)
        bar->removeAction(action);
}
