#include "PropertyItemDelegate.h"

#include "PropertyItem.h"
#include "QuantitySpinBox.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace Gui {
namespace PropertyOperator {

namespace {

PropertyItem* itemOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<PropertyItem*>(index.internalPointer()) : nullptr;
}

// The editor's own value when it was last given the row's value or last written: what
// the user has not changed since.
const char shownValue[] = "pelmoraShownValue";

bool sameValue(const QVariant& a, const QVariant& b)
{
    // Exactly: QVariant takes doubles that differ in their last digits for equal.
    if (a.type() == QVariant::Double && b.type() == QVariant::Double)
        return a.toDouble() == b.toDouble();
    return a == b;
}

} // namespace

PropertyItemDelegate::PropertyItemDelegate(QObject* parent)
    : QItemDelegate(parent)
{
}

PropertyItemDelegate::~PropertyItemDelegate() = default;

void PropertyItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& opt, const QModelIndex& index) const
{
    QStyleOptionViewItem option = opt;
    PropertyItem* item = itemOf(index);
    const bool group = item && item->isSeparator();
    QObject* view = parent();
    if (group) {
        const QVariant textColor = view ? view->property("groupTextColor") : QVariant();
        const QColor c = textColor.canConvert<QColor>() ? textColor.value<QColor>()
                                                        : option.palette.color(QPalette::BrightText);
        option.palette.setBrush(QPalette::Text, QBrush(c));
        option.font.setWeight(QFont::Bold);
        option.state &= ~QStyle::State_Selected;
    }
    if (index.column() == 1)
        option.state &= ~QStyle::State_Selected;
    option.state &= ~QStyle::State_HasFocus;
    if (group) {
        const QVariant bg = view ? view->property("groupBackground") : QVariant();
        painter->fillRect(option.rect, bg.canConvert<QBrush>() ? bg.value<QBrush>()
                                                               : option.palette.brush(QPalette::Dark));
    }
    const QPen savedPen = painter->pen();
    QItemDelegate::paint(painter, option, index);
    auto* widget = qobject_cast<QWidget*>(view);
    const int grid = QApplication::style()->styleHint(QStyle::SH_Table_GridLineColor, &opt, widget);
    painter->setPen(QPen(QColor::fromRgba(static_cast<QRgb>(grid))));
    if (!(group && index.column() == 0)) {
        const int x = option.direction == Qt::LeftToRight ? option.rect.right() : option.rect.left();
        painter->drawLine(x, option.rect.y(), x, option.rect.bottom());
    }
    painter->drawLine(option.rect.x(), option.rect.bottom(), option.rect.right(), option.rect.bottom());
    painter->setPen(savedPen);
}

QSize PropertyItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QItemDelegate::sizeHint(option, index) + QSize(0, 5);
}

QWidget* PropertyItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    PropertyItem* item = itemOf(index);
    if (!item)
        return nullptr;
    QWidget* editor = item->createEditor(parent, this, SLOT(valueChanged()));
    if (editor) {
        if (item->is_read_only())
            editor->setDisabled(true);
        else if (pressed)
            editor->setFocus(Qt::OtherFocusReason);
    }
    pressed = false;
    return editor;
}

void PropertyItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    PropertyItem* item = itemOf(index);
    if (!item || !editor)
        return;
    const bool was = editor->blockSignals(true);
    item->setEditorData(editor, index.data(Qt::EditRole));
    editor->blockSignals(was);
    editor->setProperty(shownValue, item->editorData(editor));
}

void PropertyItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    PropertyItem* item = itemOf(index);
    if (!item || !editor || !model)
        return;
    // Leaving an editor or pressing Enter commits it too.  An editor may show a value other
    // than the property's (rounded to the row's decimals, held within its range): unless
    // the user changed it, writing it back would change the property of every selected
    // object.
    const QVariant data = item->editorData(editor);
    if (!data.isValid())
        return;   // the editor holds no value to write (a refused text)
    const QVariant shown = editor->property(shownValue);
    if (shown.isValid() && sameValue(shown, data))
        return;
    editor->setProperty(shownValue, data);
    model->setData(index, data, Qt::EditRole);
}

void PropertyItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex& index) const
{
    if (index.isValid() && editor)
        editor->setGeometry(option.rect);
}

bool PropertyItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index)
{
    pressed = event && event->type() == QEvent::MouseButtonPress;
    return QItemDelegate::editorEvent(event, model, option, index);
}

bool PropertyItemDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor)
        return QItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Taken and handed back at once, not when the loop next turns (as Qt's own
            // handling does): a key pressed right after Enter must find the list.
            if (!finishTyping(editor))
                return true;   // refused: the text stays for the user to mend, with the keyboard
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // A dialog or another window took the keyboard: the editor is to have it back when
        // the window is active again, so it is not handed to the list meanwhile.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
    }
    return QItemDelegate::eventFilter(object, event);
}

bool PropertyItemDelegate::finishTyping(QWidget* editor)
{
    // The field the key went to; a refused text keeps it.
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        if (auto* box = qobject_cast<Gui::QuantitySpinBox*>(w))
            return box->finishTyping();
        if (w == editor)
            break;
    }
    return true;
}

void PropertyItemDelegate::valueChanged()
{
    if (auto* editor = qobject_cast<QWidget*>(sender()))
        Q_EMIT commitData(editor);
}

} // namespace PropertyOperator
} // namespace Gui
