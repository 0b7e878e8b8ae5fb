#include "PropertyItemDelegate.h"

#include "PendingEdits.h"
#include "PropertyItem.h"
#include "QuantitySpinBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>

#include <cstring>

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

// Marks the widgets the delegate made as row editors.
const char rowEditorMark[] = "pelmoraRowEditor";

// The quantity fields of an editor: itself, or those it is made of.
std::vector<QPointer<Gui::QuantitySpinBox>> spinBoxesIn(QWidget* editor)
{
    std::vector<QPointer<Gui::QuantitySpinBox>> boxes;
    if (auto* box = qobject_cast<Gui::QuantitySpinBox*>(editor))
        boxes.emplace_back(box);
    for (Gui::QuantitySpinBox* box : editor->findChildren<Gui::QuantitySpinBox*>())
        boxes.emplace_back(box);
    return boxes;
}

// A field the user types into or chooses from with the keys.
bool takesTyping(QWidget* w)
{
    if (!w || !w->isEnabled())
        return false;
    if (auto* box = qobject_cast<QAbstractSpinBox*>(w))
        return !box->isReadOnly();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return !line->isReadOnly() && !qobject_cast<QAbstractSpinBox*>(w->parentWidget())
            && !qobject_cast<QComboBox*>(w->parentWidget());
    return qobject_cast<QComboBox*>(w) != nullptr;
}

// The keyboard is in a field of `editor` that takes typing, or in the list one of its
// drop-downs shows.
bool typingInto(QWidget* editor)
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (takesTyping(w))
            return PropertyItemDelegate::hasKeyboard(editor);
        if (w == editor)
            return false;   // in the editor, but not in a field of it (a button)
    }
    return false;
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    // Exactly: QVariant takes doubles that differ in their last digits for equal.
    if (a.type() == QVariant::Double && b.type() == QVariant::Double)
        return a.toDouble() == b.toDouble();
    // An amount equal to the one shown but typed in another unit ("36 in" over "3 ft") is a
    // new one: it is kept as given.
    if (a.userType() == qMetaTypeId<pmUnit::Quantity>() && b.userType() == qMetaTypeId<pmUnit::Quantity>()) {
        const pmUnit::Quantity qa = a.value<pmUnit::Quantity>();
        const pmUnit::Quantity qb = b.value<pmUnit::Quantity>();
        const double na = qa.givenNumber();
        const double nb = qb.givenNumber();
        if (qa.givenUnit() != qb.givenUnit() || std::memcmp(&na, &nb, sizeof na) != 0)
            return false;
    }
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
        editor->setProperty(rowEditorMark, true);
        // The view filters the editor itself; its fields are filtered here, so that a key
        // or a wheel reaches the rule before the field that has it.
        auto* self = const_cast<PropertyItemDelegate*>(this);
        const QList<QWidget*> fields = editor->findChildren<QWidget*>();
        for (QWidget* w : fields)
            w->installEventFilter(self);
        // The list a drop-down shows is a window of its own: its keys are filtered too.
        QList<QComboBox*> boxes = editor->findChildren<QComboBox*>();
        if (auto* own = qobject_cast<QComboBox*>(editor))
            boxes.prepend(own);
        for (QComboBox* box : boxes)
            box->view()->installEventFilter(self);
        // A wheel turned to scroll the panel does not put the keyboard into a row, and a
        // row that takes no typing (its value is chosen with a button, or edited in the
        // rows below) leaves the keyboard on the list, where a key says why.
        const bool typing = typingField(editor) != nullptr;
        for (QWidget* w : fields + QList<QWidget*>{editor}) {
            if ((w->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
                w->setFocusPolicy(Qt::StrongFocus);
            if (!typing && (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w)))
                w->setFocusPolicy(Qt::NoFocus);
        }
        if (item->is_read_only())
            editor->setDisabled(true);
        else if (pressedOnValue && typing)
            editor->setFocus(Qt::MouseFocusReason);
    }
    pressedOnValue = false;
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
    // A press on a row's name puts the row on the list; one on its value opens its editor.
    // The view hands the value cell's index for a press on either cell: where the press
    // was tells them apart.
    pressedOnValue = event && event->type() == QEvent::MouseButtonPress && index.column() == 1
        && option.rect.contains(static_cast<QMouseEvent*>(event)->pos());
    return QItemDelegate::editorEvent(event, model, option, index);
}

bool PropertyItemDelegate::eventFilter(QObject* object, QEvent* event)
{
    QWidget* editor = rowEditorOf(qobject_cast<QWidget*>(object));
    if (!editor)
        return QItemDelegate::eventFilter(object, event);
    // The drop-down whose list `object` is, if it is one.
    auto* box = qobject_cast<QComboBox*>(object->parent() ? object->parent()->parent() : nullptr);
    if (box && object != box->view())
        box = nullptr;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Escape belongs to the editor, not to a shortcut of the window.
        if (key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        // The list picks its item on Enter here, before the key itself arrives.
        if (box && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
            pickedByEnter = editor;
        return false;
    }
    case QEvent::KeyPress:
        pickedByEnter = nullptr;
        if (box)
            return keyInList(editor, box, static_cast<QKeyEvent*>(event));
        return keyInEditor(editor, static_cast<QKeyEvent*>(event));
    case QEvent::Wheel: {
        if (hasKeyboard(editor))
            return false;   // the field's own: a step, a draft like a typed one
        // Over a row the user did not open, the wheel scrolls the panel.
        auto* wheel = static_cast<QWheelEvent*>(event);
        QWidget* viewport = editor->parentWidget();
        if (!viewport)
            return true;
        const QPoint at = static_cast<QWidget*>(object)->mapTo(viewport, wheel->position().toPoint());
        QWheelEvent scroll(at, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                           wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(viewport, &scroll);
        return true;
    }
    case QEvent::FocusOut: {
        // A dialog, another window or a menu took the keyboard: the editor is to have it
        // back when the window is active again or the menu closes, with what was typed.
        if (QuantitySpinBox::keepsTyping(static_cast<QFocusEvent*>(event)->reason()))
            return false;
        if (hasKeyboard(editor))
            return false;   // from one field of the editor to another
        // An editor being sent away (its rows rebuilt) writes nowhere: what was typed was
        // taken before the rows changed.
        if (editor->isHidden())
            return false;
        // Leaving the editor takes what was typed.
        commitEditor(editor);
        return false;
    }
    default:
        return false;
    }
}

bool PropertyItemDelegate::keyInEditor(QWidget* editor, QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (mods != Qt::NoModifier)
            return false;
        // Taken and handed back at once, not when the loop next turns: a key pressed
        // right after Enter must find the list.
        const QPointer<QWidget> kept(editor);
        if (commitEditor(editor) && kept)
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        return true;   // refused: the text stays for the user to mend, with the keyboard
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const bool back = event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        const QPointer<QWidget> kept(editor);
        if (commitEditor(editor) && kept)
            Q_EMIT closeEditor(editor, back ? QAbstractItemDelegate::EditPreviousItem
                                            : QAbstractItemDelegate::EditNextItem);
        return true;
    }
    case Qt::Key_Escape:
        if (mods != Qt::NoModifier)
            return false;
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return true;
    case Qt::Key_F2:
        if (mods != Qt::NoModifier)
            return false;
        selectWholeText(typingField(editor));
        return true;
    default:
        return false;
    }
}

bool PropertyItemDelegate::keyInList(QWidget* editor, QComboBox* box, QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier)
            return false;
        // Mostly the list picked its item and closed on this Enter already (see
        // eventFilter); otherwise it picks now, and the pick is taken.
        if (!box->view()->isVisible())
            return true;
        pickedByEnter = editor;
        return false;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QModelIndex highlighted = box->view()->currentIndex();
        box->hidePopup();
        if (highlighted.isValid() && (highlighted.flags() & Qt::ItemIsEnabled))
            box->setCurrentIndex(highlighted.row());
        return keyInEditor(editor, event);
    }
    case Qt::Key_Escape:
        if (mods != Qt::NoModifier)
            return false;
        box->hidePopup();
        return keyInEditor(editor, event);
    default:
        return false;
    }
}

bool PropertyItemDelegate::commitEditor(QWidget* editor)
{
    if (!editor)
        return true;
    const QPointer<QWidget> kept(editor);
    bool taken = true;
    const bool was = committingEditor;
    committingEditor = true;
    // A write may rebuild the rows, which sends the editors away.
    for (const QPointer<Gui::QuantitySpinBox>& box : spinBoxesIn(editor)) {
        if (box && !box->finishTyping())
            taken = false;
    }
    // A refused text gives no value, so nothing is written for it.
    if (kept)
        Q_EMIT commitData(editor);
    committingEditor = was;
    return taken;
}

bool PropertyItemDelegate::holdsDraft(QWidget* editor, const QModelIndex& index) const
{
    PropertyItem* item = itemOf(index);
    if (!editor || !item || !editor->isEnabled())
        return false;
    // A quantity field holds a draft only while typed into: the text it writes itself
    // (shown again, in a unit system changed meanwhile) is none.
    const std::vector<QPointer<Gui::QuantitySpinBox>> boxes = spinBoxesIn(editor);
    bool typed = boxes.empty();
    for (const QPointer<Gui::QuantitySpinBox>& box : boxes) {
        if (!box || !box->holdsDraft())
            continue;
        if (!box->hasValidInput())
            return true;
        typed = true;
    }
    if (!typed)
        return false;
    const QVariant data = item->editorData(editor);
    const QVariant shown = editor->property(shownValue);
    return data.isValid() && shown.isValid() && !sameValue(shown, data);
}

QWidget* PropertyItemDelegate::rowEditorOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property(rowEditorMark).toBool())
            return w;
    }
    return nullptr;
}

QWidget* PropertyItemDelegate::typingField(QWidget* editor)
{
    if (!editor)
        return nullptr;
    QWidget* first = editor;
    while (first->focusProxy())
        first = first->focusProxy();
    if (takesTyping(first))
        return first;
    if (takesTyping(editor))
        return editor;
    for (QWidget* w : editor->findChildren<QWidget*>()) {
        if (takesTyping(w))
            return w;
    }
    return nullptr;
}

bool PropertyItemDelegate::hasKeyboard(QWidget* editor)
{
    // Across windows: the list a drop-down shows is a window of its own.
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (w == editor)
            return true;
    }
    return false;
}

void PropertyItemDelegate::selectWholeText(QWidget* field)
{
    if (auto* box = qobject_cast<QAbstractSpinBox*>(field))
        box->selectAll();
    else if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll();
}

void PropertyItemDelegate::valueChanged()
{
    auto* editor = qobject_cast<QWidget*>(sender());
    if (!editor || committingEditor)
        return;
    // Enter in the list the editor dropped down: taken, as Enter in the field is.
    if (pickedByEnter && (pickedByEnter == editor || pickedByEnter->isAncestorOf(editor))) {
        QWidget* picked = pickedByEnter;
        pickedByEnter = nullptr;
        const QPointer<QWidget> kept(picked);
        if (commitEditor(picked) && kept)
            Q_EMIT closeEditor(picked, QAbstractItemDelegate::SubmitModelCache);
        return;
    }
    // A change the user makes in a field of the editor is a draft until it is taken; one
    // made from elsewhere (a dialog, a menu) is taken at once.  The keyboard taken away
    // while the program acts on its own leaves a draft one.
    if (typingInto(editor) || DraftKeeper::active())
        return;
    Q_EMIT commitData(editor);
}

} // namespace PropertyOperator
} // namespace Gui
