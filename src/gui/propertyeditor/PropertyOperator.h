#pragma once
// The tree view of one tab of the property dock: rebuilds from a property list, refreshes
// single rows, keeps an editor open on the current row, and holds back a rebuild that
// arrives while an edit is being committed.

#include "PelmoraGuiExport.h"
#include "PropertyModel.h"

#include <QStringList>
#include <QTreeView>

#include <vector>

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyOperator : public QTreeView
{
    Q_OBJECT
public:
    explicit PropertyOperator(QWidget* parent = nullptr);
    ~PropertyOperator() override;

    // Rebuilds the rows; a value typed into the open editor is written first, unless
    // `keepTyped` is false (the rows' objects may be on their way out).
    void buildUp(const PropertyList& props, bool keepTyped = true);
    // Writes what was typed into the open editor and not taken yet (see finishPendingEdits).
    // False when a typed text is refused (it stays in its editor, with its reason).
    bool finishEditing();
    // Whether the open editor holds a draft: a value typed and neither confirmed nor
    // thrown away that differs from the stored one, or a text refused.
    bool holdsDraft() const;
    // Puts the stored value back into the open editor that holds a draft (see
    // dropPendingDrafts); the keyboard stays where it is.
    void dropDraft();
    void updateProperty(const Obj::Property& prop);
    void updatePropertyState(const Obj::Property& prop);
    PropertyModel* propertyModel() const { return model; }

protected:
    QStyleOptionViewItem viewOptions() const override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* object, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reset() override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;

private Q_SLOTS:
    void on_group_collapsed(const QModelIndex&) {}
    void on_group_expanded(const QModelIndex&) {}

private:
    class PropertyItemDelegate* rowDelegate() const;
    // The editor shows the stored value again, and no refusal.
    void showStored(QWidget* editor, const QModelIndex& cell);
    // Puts the keyboard into the row's editor with its whole text selected (F2, a double
    // click); false, and with `tell` the reason in the status bar, for a row that takes no
    // typing.
    bool openRowEditor(const QModelIndex& index, bool tell);
    bool typeIntoEditor(QKeyEvent* event);
    // Tab and Shift+Tab: the next or previous row that holds a value, on the list; past
    // the last or the first, the next stop outside the panel.
    void moveByTab(bool forward);
    void leavePanel(bool forward);
    void tellWhyNoTyping(const QModelIndex& cell);
    void takeBackReason();

    PropertyModel* model;
    QStringList savedPath;
    bool committing = false;
    bool delaybuild = false;
    bool passingOn = false;   // a key typed on the list is on its way to the editor
    bool toldWhy = false;     // the status bar says why a row took no typing
    PropertyList postponed;
    // Changes reported while an edit is committed; refreshed after it, but for the row
    // being edited, whose editor must not be reset under the user's hands.
    std::vector<const Obj::Property*> changedDuringCommit;
};

} // namespace PropertyOperator
} // namespace Gui
