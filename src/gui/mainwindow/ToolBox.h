#pragma once
// The side tool box: a column of titled pages, one open at a time, filled with the
// active module's command buttons.  Page titles follow their widgets' window titles
// after a language change.

#include "PelmoraGuiExport.h"

#include <QIcon>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QToolBox;
QT_END_NAMESPACE

namespace Gui {
namespace DockWindow {

class PELMORAGUI_EXPORT ToolBox : public QWidget
{
    Q_OBJECT
public:
    explicit ToolBox(QWidget* parent = nullptr);
    ~ToolBox() override;

    int addItem(QWidget* widget, const QIcon& icon, const QString& text);
    int addItem(QWidget* widget, const QString& text);
    int insert_item(int index, QWidget* widget, const QIcon& icon, const QString& text);
    int insert_item(int index, QWidget* widget, const QString& text);
    // The page widget is not deleted.
    void remove_item(int index);

    void setItemEnabled(int index, bool enabled);
    bool isItemEnabled(int index) const;
    void setItemText(int index, const QString& text);
    QString itemText(int index) const;
    void setItemIcon(int index, const QIcon& icon);
    QIcon itemIcon(int index) const;
    void setItemToolTip(int index, const QString& toolTip);
    QString itemToolTip(int index) const;

    int currentIndex() const;
    QWidget* currentWidget() const;
    QWidget* widget(int index) const;
    int indexOf(QWidget* widget) const;
    int count() const;

public Q_SLOTS:
    void setCurrentIndex(int index);
    void setCurrentWidget(QWidget* widget);

Q_SIGNALS:
    void currentChanged(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    QToolBox* box;
};

} // namespace DockWindow
} // namespace Gui
