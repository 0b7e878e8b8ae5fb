#pragma once
// Draws the rows of a property tree with grid lines and bold group rows, and lets each
// row create, fill and read its own editor.  It also keeps the rule by which an edit
// reaches the project: what the user changes in a row's editor while the keyboard is in
// it is a draft until Enter, Tab, Shift+Tab, leaving the editor or a command takes it;
// Escape throws it away; a mouse wheel turned over an editor without the keyboard
// scrolls the panel.

#include "PelmoraGuiExport.h"

#include <QItemDelegate>

#include <QPointer>

QT_BEGIN_NAMESPACE
class QComboBox;
class QKeyEvent;
QT_END_NAMESPACE

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    explicit PropertyItemDelegate(QObject* parent = nullptr);
    ~PropertyItemDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Takes what the user changed in `editor`: ends the typing in its quantity fields and
    // commits it.  False when a typed text is refused (it stays, with its reason).
    bool commitEditor(QWidget* editor);

    // Whether `editor`, the editor of the value cell `index`, holds a value the user typed
    // and neither confirmed nor threw away that differs from the one it was given, or a
    // text refused.
    bool holdsDraft(QWidget* editor, const QModelIndex& index) const;
    // The row editor `widget` belongs to (itself or an ancestor), or null.
    static QWidget* rowEditorOf(QWidget* widget);
    // The field of a row editor that takes typing (a text field, a spin box, a drop-down
    // list), or null when the row takes none.
    static QWidget* typingField(QWidget* editor);
    // Whether the keyboard is in `editor` (or in a list it dropped down).
    static bool hasKeyboard(QWidget* editor);
    // Selects the whole text of a text field or spin box.
    static void selectWholeText(QWidget* field);

public Q_SLOTS:
    void valueChanged();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Enter, Tab and Shift+Tab take the draft, Escape throws it away, F2 selects the whole
    // text; other keys are the field's.
    bool keyInEditor(QWidget* editor, QKeyEvent* event);
    // In the list a drop-down shows: Enter takes the item it picks, Tab and Shift+Tab the
    // highlighted one, as in the field; Escape closes the list and throws the draft away.
    bool keyInList(QWidget* editor, QComboBox* box, QKeyEvent* event);

    bool committingEditor = false;
    // The editor whose drop-down list Enter is picking from: the pick is taken.
    QPointer<QWidget> pickedByEnter;
    // Set by a mouse press on a value cell: the editor made for it takes the keyboard.
    mutable bool pressedOnValue = false;
};

} // namespace PropertyOperator
} // namespace Gui
