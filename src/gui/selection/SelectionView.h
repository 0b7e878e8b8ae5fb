#pragma once
// The two selection list docks: SelectionView lists the selection instance with a search
// line that selects an object by its label; SelectionView3 lists the entity picks.
// Both send their select and deselect requests to the application logic, and their
// rows change only when their selection tells them.

#include "mainwindow/DockingWindowMediator.h"
#include "selection/SelectionModification.h"

#include <vexil/Observer.h>

#include <counted/SeededQtHash.h>

#include <unordered_map>

#include <map>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace Gui {
namespace DockWindow {

// Keeps which rows list which entry (project name, object id, sub-element name), so that
// a removal finds its row without a scan, and finds it even when the label shown in the
// row has changed since, or the row leaves out an id of 0.
class PELMORAGUI_EXPORT SelectionRows
{
public:
    explicit SelectionRows(QListWidget* list) : list(list) {}
    static QString key(const char* project, unsigned int id, const char* sub);
    QListWidgetItem* append(const QString& key, const QString& text);
    // Deletes the row when exactly one row lists this entry; returns it (dangling) or null.
    QListWidgetItem* remove_unique(const QString& key);
    void clear();
private:
    QListWidget* list;
    // Keys hold project and object names: hashed under the process's seed.
    std::unordered_map<QString, QList<QListWidgetItem*>, Counted::SeededHash<QString>> byKey;
};

class PELMORAGUI_EXPORT SelectionView : public DockingWindow,
                                        public Vexil::ObserverPattern<const SelectionModification&>
{
    Q_OBJECT
public:
    SelectionView(GuiProject* project, QWidget* parent);
    ~SelectionView() override;

    void on_modify(Vexil::Subject<const SelectionModification&>& caller, const SelectionModification& change) override;
    const char* Name() override { return "SelectionView"; }
    const char* get_name() const override { return "SelectionView"; }

    QListWidget* list() const { return listWidget; }
    QLineEdit* searchLine() const { return searchBox; }

public Q_SLOTS:
    void search(const QString& text);
    void onItemContextMenu(const QPoint& point);
    void select(QListWidgetItem* item);
    void select();
    void deselect();
    void zoom();
    void treeSelect();

private:
    QListWidget* listWidget;
    QLineEdit* searchBox;
    SelectionRows rows;
};

class PELMORAGUI_EXPORT SelectionView3 : public DockingWindow,
                                         public Vexil::ObserverPattern<const SelectionModification&>
{
    Q_OBJECT
public:
    SelectionView3(GuiProject* project, QWidget* parent);
    ~SelectionView3() override;

    void on_modify(Vexil::Subject<const SelectionModification&>& caller, const SelectionModification& change) override;
    const char* Name() override { return "SelectionView3"; }
    const char* get_name() const override { return "SelectionView3"; }

    QListWidget* list() const { return listWidget; }
    QPushButton* addButton() const { return addBtn; }
    QPushButton* clearButton() const { return clearBtn; }
    // "Id(%1), %2, SubId(%3)" under the key id * 1000 + subId, replacing a row held there.
    void addRow(unsigned int id, unsigned int subId, int type);

public Q_SLOTS:
    void onItemContextMenu(const QPoint& point);
    void select(QListWidgetItem* item);
    void select();
    void deselect();
    void zoom();
    void treeSelect();
    void onAddButtonClicked();
    void onClearButtonClicked();

private:
    void clearRows();
    void forgetRow(QListWidgetItem* item);

    QListWidget* listWidget;
    QPushButton* addBtn;
    QPushButton* clearBtn;
    SelectionRows rows;
    std::map<unsigned int, QListWidgetItem*> rowItems;
};

} // namespace DockWindow
} // namespace Gui
