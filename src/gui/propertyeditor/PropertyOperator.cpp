#include "PropertyOperator.h"

#include "PendingEdits.h"
#include "PropertyItem.h"
#include "PropertyItemDelegate.h"
#include "QuantitySpinBox.h"

#include <obj/Property.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCoreApplication>
#include <QItemEditorFactory>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStatusTipEvent>

#include <algorithm>

namespace Gui {
namespace PropertyOperator {

namespace {

PropertyItem* itemOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<PropertyItem*>(index.internalPointer()) : nullptr;
}

// Every property tree alive: a panel has two.  Never freed, so that a tree destroyed
// late in the program's exit still finds it.
std::vector<PropertyOperator*>& trees()
{
    static auto* all = new std::vector<PropertyOperator*>;
    return *all;
}

} // namespace

PropertyOperator::PropertyOperator(QWidget* parent)
    : QTreeView(parent)
    , model(new PropertyModel(this))
{
    setModel(model);
    auto* delegate = new PropertyItemDelegate(this);
    // The rows make their own editors; the factory is never asked.
    delegate->setItemEditorFactory(new QItemEditorFactory);
    setItemDelegate(delegate);
    setAlternatingRowColors(true);
    setRootIsDecorated(true);
    connect(this, &QTreeView::collapsed, this, &PropertyOperator::on_group_collapsed);
    connect(this, &QTreeView::expanded, this, &PropertyOperator::on_group_expanded);
    // Keys an editor did not take would reach the list through the rows' area.
    viewport()->installEventFilter(this);
    trees().push_back(this);
}

PropertyOperator::~PropertyOperator()
{
    auto& all = trees();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void PropertyOperator::buildUp(const PropertyList& props, bool keepTyped)
{
    if (committing) {
        delaybuild = true;
        postponed = props;
        return;
    }
    // The rows still stand for the objects the user typed for.
    if (keepTyped)
        finishEditing();
    const QStringList path = model->propertyPathFromIndex(currentIndex());
    if (!path.isEmpty())
        savedPath = path;
    model->buildUp(props);
    if (!savedPath.isEmpty()) {
        const QModelIndex again = model->propertyIndexFromPath(savedPath);
        Q_UNUSED(again);
    }
}

void PropertyOperator::updateProperty(const Obj::Property& prop)
{
    if (!committing)
        model->updateProperty(prop);
    else if (model->itemOf(&prop))
        changedDuringCommit.push_back(&prop);
}

void PropertyOperator::updatePropertyState(const Obj::Property& prop)
{
    const char* editor = prop.get_editor_name();
    if (!editor || !*editor)
        return;
    PropertyItem* item = model->itemOf(&prop);
    if (!item)
        return;
    const bool hidden = prop.test_object_status(Obj::Property::Hidden);
    const bool readOnly = prop.test_object_status(Obj::Property::ReadOnly);
    const QModelIndex cell = model->index(item->row(), 1);
    setRowHidden(item->row(), QModelIndex(), hidden);
    item->updateData();
    std::vector<QModelIndex> todo{cell};
    while (!todo.empty()) {
        const QModelIndex i = todo.back();
        todo.pop_back();
        if (QWidget* w = indexWidget(i))
            w->setEnabled(!readOnly);
        const QModelIndex first = i.sibling(i.row(), 0);
        for (int r = 0; r < model->rowCount(first); ++r)
            todo.push_back(model->index(r, 1, first));
    }
    dataChanged(cell, cell);
}

QStyleOptionViewItem PropertyOperator::viewOptions() const
{
    QStyleOptionViewItem option = QTreeView::viewOptions();
    option.showDecorationSelected = true;
    return option;
}

void PropertyOperator::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    QTreeView::drawBranches(painter, rect, index);
    PropertyItem* item = itemOf(index);
    if (item && item->isSeparator())
        painter->fillRect(rect, viewOptions().palette.brush(QPalette::Dark));
}

void PropertyOperator::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (previous.isValid()) {
        // Written while the editor is still known as its row's: once closed, it writes
        // nowhere.  The write may rebuild the rows.
        const QPersistentModelIndex before(model->buddy(previous));
        const QPersistentModelIndex now(model->buddy(current));
        // Another cell of the same row (the keyboard went into its editor): the editor stays.
        if (before == now)
            return;
        QWidget* left = indexWidget(before);
        // Leaving the row takes what was typed in it, and the keyboard stays on the list.
        rowDelegate()->commitEditor(left);
        if (left && PropertyItemDelegate::hasKeyboard(left))
            setFocus(Qt::OtherFocusReason);
        takeBackReason();
        if (before.isValid())
            closePersistentEditor(before);
        if (now.isValid())
            openPersistentEditor(now);
        return;
    }
    if (current.isValid())
        openPersistentEditor(model->buddy(current));
}

void PropertyOperator::commitData(QWidget* editor)
{
    // The cell of the editor committed, when it is the current row's (the one left for
    // another row is committed after the new row became current).
    QModelIndex editing = model->buddy(currentIndex());
    if (indexWidget(editing) != editor)
        editing = QModelIndex();
    committing = true;
    QTreeView::commitData(editor);
    committing = false;
    std::vector<const Obj::Property*> changed;
    changed.swap(changedDuringCommit);
    if (delaybuild) {
        delaybuild = false;
        model->buildUp(postponed);
        postponed.clear();
        return;
    }
    // The rows are the same ones as before the commit, bound to live properties.  The row
    // being edited keeps its editor as the user left it; the rows above and beside it (a
    // vector's or a placement's summary) show the value just taken.
    for (const Obj::Property* p : changed)
        model->updateProperty(*p, editing);
}

void PropertyOperator::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // The editor kept open on the current row stays open; the keyboard goes back to the
    // list, where Up and Down move between rows.  Escape throws away what was typed: the
    // editor shows the stored value again before it loses the keyboard, which would
    // otherwise take the typed text.
    const QModelIndex cell = model->buddy(currentIndex());
    if (hint == QAbstractItemDelegate::RevertModelCache && editor && editor == indexWidget(cell))
        showStored(editor, cell);
    const bool hadKeyboard = editor && PropertyItemDelegate::hasKeyboard(editor);
    // Qt's own moves for Tab would open the next row's editor with the keyboard in it.
    QTreeView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (hadKeyboard && !hasFocus())
        setFocus(Qt::OtherFocusReason);
    if (hint == QAbstractItemDelegate::EditNextItem)
        moveByTab(true);
    else if (hint == QAbstractItemDelegate::EditPreviousItem)
        moveByTab(false);
}

PropertyItemDelegate* PropertyOperator::rowDelegate() const
{
    return static_cast<PropertyItemDelegate*>(itemDelegate());
}

void PropertyOperator::showStored(QWidget* editor, const QModelIndex& cell)
{
    itemDelegate()->setEditorData(editor, cell);
    QList<Gui::QuantitySpinBox*> boxes = editor->findChildren<Gui::QuantitySpinBox*>();
    if (auto* own = qobject_cast<Gui::QuantitySpinBox*>(editor))
        boxes.prepend(own);
    for (Gui::QuantitySpinBox* box : boxes)
        box->withdrawRefusal();
}

void PropertyOperator::dropDraft()
{
    const QModelIndex cell = model->buddy(currentIndex());
    if (QWidget* editor = indexWidget(cell); editor && holdsDraft())
        showStored(editor, cell);
}

bool PropertyOperator::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (trigger == EditKeyPressed || trigger == DoubleClicked)
        return openRowEditor(index, trigger == EditKeyPressed);
    return QTreeView::edit(index, trigger, event);
}

bool PropertyOperator::openRowEditor(const QModelIndex& index, bool tell)
{
    const QModelIndex cell = model->buddy(index);
    PropertyItem* item = itemOf(cell);
    if (!item || item->isSeparator())
        return false;
    if (model->buddy(currentIndex()) != cell)
        setCurrentIndex(cell.siblingAtColumn(0));
    QWidget* field = PropertyItemDelegate::typingField(indexWidget(cell));
    if (!field || !(model->flags(cell) & Qt::ItemIsEditable)) {
        if (tell)
            tellWhyNoTyping(cell);
        return false;
    }
    field->setFocus(Qt::OtherFocusReason);
    // Every time the whole text, whatever the editor last showed.
    PropertyItemDelegate::selectWholeText(field);
    return true;
}

bool PropertyOperator::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab on the list go from row to row, as they do from an editor.
    if (hasFocus()) {
        moveByTab(next);
        return true;
    }
    return QTreeView::focusNextPrevChild(next);
}

void PropertyOperator::moveByTab(bool forward)
{
    QModelIndex at = currentIndex();
    do {
        at = at.isValid() ? (forward ? indexBelow(at) : indexAbove(at))
                          : (forward ? model->index(0, 0) : QModelIndex());
        PropertyItem* item = itemOf(at);
        if (!item || !item->isSeparator())
            break;
    } while (at.isValid());
    if (!at.isValid()) {
        leavePanel(forward);
        return;
    }
    setCurrentIndex(at.siblingAtColumn(0));
    setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void PropertyOperator::leavePanel(bool forward)
{
    // The next stop of the window's chain that is neither this list nor one of its editors.
    QWidget* w = this;
    for (int guard = 0; guard < 10000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == this)
            break;
        if (isAncestorOf(w) || w->window() != window() || !w->isVisible() || !w->isEnabled()
            || (w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus)
            continue;
        w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        QWidget* now = QApplication::focusWidget();
        if (now && now != this && !isAncestorOf(now))
            return;
    }
    setFocus(Qt::OtherFocusReason);   // nowhere else to go: the list keeps the keyboard
}

bool PropertyOperator::eventFilter(QObject* object, QEvent* event)
{
    if (object == viewport() && event->type() == QEvent::KeyPress) {
        // A key that a row's editor did not take (Up in a text, a letter on a button) stops
        // here: it neither moves the list under the user's typing nor reaches another row.
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            tellWhyNoTyping(model->buddy(currentIndex()));
        key->accept();
        return true;
    }
    return QTreeView::eventFilter(object, event);
}

void PropertyOperator::tellWhyNoTyping(const QModelIndex& cell)
{
    PropertyItem* item = itemOf(cell);
    if (!item || item->isSeparator())
        return;
    QString name = item->displayName();
    PropertyItem* parent = item->parent();
    if (parent && parent->parent())
        name = QStringLiteral("%1 %2").arg(parent->displayName(), name);
    QWidget* editor = indexWidget(cell);
    QString why;
    if (item->is_read_only())
        why = tr("\"%1\" cannot be changed").arg(name);
    else if (item->childCount() > 0)
        why = tr("\"%1\" takes no typing: its rows below are edited").arg(name);
    else if (editor && (qobject_cast<QAbstractButton*>(editor) || editor->findChild<QAbstractButton*>()))
        why = tr("\"%1\" takes no typing: use the button in its value").arg(name);
    else
        why = tr("\"%1\" takes no typing").arg(name);
    QStatusTipEvent tip(why);
    QCoreApplication::sendEvent(this, &tip);
    toldWhy = true;
}

void PropertyOperator::takeBackReason()
{
    if (!toldWhy)
        return;
    toldWhy = false;
    QStatusTipEvent tip{QString()};
    QCoreApplication::sendEvent(this, &tip);
}

void PropertyOperator::keyPressEvent(QKeyEvent* event)
{
    if (!typeIntoEditor(event))
        QTreeView::keyPressEvent(event);
}

bool PropertyOperator::typeIntoEditor(QKeyEvent* event)
{
    // A key typed on the list starts editing the current row with that key, as a new
    // editor would: Qt's view only hands the keyboard to a persistent editor and drops the
    // key.  The key replaces the old text rather than joining it, and is a draft like any
    // typing.  A row that takes no typing says why.
    const QString text = event->text();
    if (passingOn || text.isEmpty() || !text.at(0).isPrint()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QModelIndex cell = model->buddy(currentIndex());
    PropertyItem* item = itemOf(cell);
    if (!item)
        return false;
    if (item->isSeparator())
        return true;   // a group row holds no value
    QWidget* field = PropertyItemDelegate::typingField(indexWidget(cell));
    if (!field || !(model->flags(cell) & Qt::ItemIsEditable)) {
        tellWhyNoTyping(cell);
        return true;
    }
    field->setFocus(Qt::OtherFocusReason);
    if (!field->hasFocus())
        return true;
    PropertyItemDelegate::selectWholeText(field);
    passingOn = true;
    QCoreApplication::sendEvent(field, event);
    passingOn = false;
    return true;
}

bool PropertyOperator::finishEditing()
{
    return rowDelegate()->commitEditor(indexWidget(model->buddy(currentIndex())));
}

bool PropertyOperator::holdsDraft() const
{
    const QModelIndex value = model->buddy(currentIndex());
    return rowDelegate()->holdsDraft(indexWidget(value), value);
}

void PropertyOperator::reset()
{
    QTreeView::reset();
    const int rows = model ? model->rowCount() : 0;
    for (int r = 0; r < rows; ++r) {
        PropertyItem* item = itemOf(model->index(r, 0));
        if (item && item->test_object_status(Obj::Property::Hidden))
            setRowHidden(r, QModelIndex(), true);
    }
}

void PropertyOperator::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QTreeView::rowsInserted(parent, start, end);
    for (int r = start; r <= end; ++r) {
        PropertyItem* item = itemOf(model->index(r, 0, parent));
        if (item && item->test_object_status(Obj::Property::Hidden))
            setRowHidden(r, parent, true);
    }
}

} // namespace PropertyOperator

bool finishPendingEdits()
{
    // A write may make or remove trees on its way.
    bool taken = true;
    const std::vector<PropertyOperator::PropertyOperator*> all = PropertyOperator::trees();
    for (PropertyOperator::PropertyOperator* tree : all) {
        const auto& now = PropertyOperator::trees();
        if (std::find(now.begin(), now.end(), tree) != now.end() && !tree->finishEditing())
            taken = false;
    }
    return taken;
}

namespace {
int keepers = 0;
}

DraftKeeper::DraftKeeper()
{
    ++keepers;
    QWidget* focus = QApplication::focusWidget();
    if (focus && PropertyOperator::PropertyItemDelegate::rowEditorOf(focus))
        field = focus;
}

DraftKeeper::~DraftKeeper()
{
    --keepers;
    // Back where the user left it (a window not active gives it when it is active again),
    // unless a question is still open.
    if (!field || !field->isVisible() || QApplication::activeModalWidget() || QApplication::activePopupWidget()
        || QApplication::focusWidget() == field)
        return;
    field->setFocus(Qt::ActiveWindowFocusReason);
}

bool DraftKeeper::active()
{
    return keepers > 0;
}

void dropPendingDrafts()
{
    for (PropertyOperator::PropertyOperator* tree : PropertyOperator::trees())
        tree->dropDraft();
}

bool hasPendingDrafts()
{
    for (const PropertyOperator::PropertyOperator* tree : PropertyOperator::trees()) {
        if (tree->holdsDraft())
            return true;
    }
    return false;
}

} // namespace Gui
