#include "ToolBox.h"

#include <QEvent>
#include <QGridLayout>
#include <QToolBox>

using namespace Gui::DockWindow;

ToolBox::ToolBox(QWidget* parent) : QWidget(parent), box(new QToolBox(this))
{
    connect(box, &QToolBox::currentChanged, this, &ToolBox::currentChanged);
    auto* layout = new QGridLayout(this);
    layout->addWidget(box, 0, 0);
}

ToolBox::~ToolBox()
{
    delete box;
}

int ToolBox::addItem(QWidget* widget, const QIcon& icon, const QString& text)
{
    return box->insertItem(-1, widget, icon, text);
}

int ToolBox::addItem(QWidget* widget, const QString& text)
{
    return box->insertItem(-1, widget, QIcon(), text);
}

int ToolBox::insert_item(int index, QWidget* widget, const QIcon& icon, const QString& text)
{
    return box->insertItem(index, widget, icon, text);
}

int ToolBox::insert_item(int index, QWidget* widget, const QString& text)
{
    return box->insertItem(index, widget, QIcon(), text);
}

void ToolBox::remove_item(int index) { box->removeItem(index); }
void ToolBox::setItemEnabled(int index, bool enabled) { box->setItemEnabled(index, enabled); }
bool ToolBox::isItemEnabled(int index) const { return box->isItemEnabled(index); }
void ToolBox::setItemText(int index, const QString& text) { box->setItemText(index, text); }
QString ToolBox::itemText(int index) const { return box->itemText(index); }
void ToolBox::setItemIcon(int index, const QIcon& icon) { box->setItemIcon(index, icon); }
QIcon ToolBox::itemIcon(int index) const { return box->itemIcon(index); }
void ToolBox::setItemToolTip(int index, const QString& toolTip) { box->setItemToolTip(index, toolTip); }
QString ToolBox::itemToolTip(int index) const { return box->itemToolTip(index); }
int ToolBox::currentIndex() const { return box->currentIndex(); }
QWidget* ToolBox::currentWidget() const { return box->currentWidget(); }
QWidget* ToolBox::widget(int index) const { return box->widget(index); }
int ToolBox::indexOf(QWidget* widget) const { return box->indexOf(widget); }
int ToolBox::count() const { return box->count(); }
void ToolBox::setCurrentIndex(int index) { box->setCurrentIndex(index); }
void ToolBox::setCurrentWidget(QWidget* widget) { box->setCurrentWidget(widget); }

void ToolBox::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    for (int i = 0; i < box->count(); ++i) {
        if (QWidget* page = box->widget(i))
            box->setItemText(i, page->windowTitle());
    }
}
