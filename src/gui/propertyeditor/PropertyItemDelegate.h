#pragma once
// Draws the rows of a property tree with grid lines and bold group rows, and lets each
// row create, fill and read its own editor; every change in an editor commits at once.

#include "PelmoraGuiExport.h"

#include <QItemDelegate>

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

public Q_SLOTS:
    void valueChanged();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Ends the typing in the editor's field that has the keyboard; false when its text is
    // refused.
    static bool finishTyping(QWidget* editor);
    mutable bool pressed = false;
};

} // namespace PropertyOperator
} // namespace Gui
