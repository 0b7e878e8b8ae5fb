#include "ToolBoxManager.h"

#include "commands/Command.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/ToolBarGadget.h"
#include "mainwindow/ToolBox.h"

#include <QPixmap>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

using namespace Gui;

ToolBoxManager* ToolBoxManager::_instance = nullptr;

ToolBoxManager* ToolBoxManager::getInstance()
{
    if (!_instance)
        _instance = new ToolBoxManager();
    return _instance;
}

void ToolBoxManager::destruct()
{
    delete _instance;
    _instance = nullptr;
}

void ToolBoxManager::setToolBox(DockWindow::ToolBox* box)
{
    toolBox = box;
}

void ToolBoxManager::setup(ToolBarGadget* tree) const
{
    if (!tree || !toolBox)
        return;
    for (int n = toolBox->count(); n > 0; --n) {
        QWidget* page = toolBox->widget(0);
        toolBox->remove_item(0);
        delete page;
    }
    qPelmoraApplication* app = qPelmoraApplication::application();
    for (ToolBarGadget* child : tree->get_items()) {
        auto* bar = new QToolBar();
        bar->setOrientation(Qt::Vertical);
        bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        const QString name = QString::fromLatin1(child->command_ref().c_str());
        bar->setObjectName(name);
        bar->setWindowTitle(QObject::tr(child->command_ref().c_str()));
        toolBox->addItem(bar, bar->windowTitle());
        for (ToolBarGadget* entry : child->get_items()) {
            // A page is a column of buttons: no separators.
            if (entry->command_ref() == "Separator" || !app)
                continue;
            app->get_command_manager().add_to(entry->command_ref().c_str(), bar);
        }
        const int side = bar->style()->pixelMetric(QStyle::PM_SmallIconSize);
        for (QToolButton* button : bar->findChildren<QToolButton*>()) {
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            if (button->icon().isNull()) {
                // A transparent icon keeps the texts of all buttons in one column.
                QPixmap blank(side, side);
                blank.fill(Qt::transparent);
                button->setIcon(QIcon(blank));
            }
        }
    }
}

void ToolBoxManager::translate_widget() const
{
    if (!toolBox)
        return;
    for (int i = 0; i < toolBox->count(); ++i) {
        QWidget* page = toolBox->widget(i);
        if (!page)
            continue;
        page->setWindowTitle(QObject::tr(page->objectName().toUtf8().constData()));
        toolBox->setItemText(i, page->windowTitle());
    }
}
