#include "PropertyOperator.h"

#include "PendingEdits.h"
#include "PropertyItem.h"
#include "PropertyItemDelegate.h"
#include "QuantitySpinBox.h"

#include <obj/Property.h>

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QItemEditorFactory>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>

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
        finishTypingIn(indexWidget(before));
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
    // The editor kept open on the current row stays open; Qt's handling gives the keyboard
    // back to the list, so that Up and Down move between rows.  Escape throws away what
    // was typed: the editor shows the stored value again before it loses the keyboard,
    // which would otherwise take the typed text.
    const QModelIndex cell = model->buddy(currentIndex());
    if (hint == QAbstractItemDelegate::RevertModelCache && editor && editor == indexWidget(cell)) {
        itemDelegate()->setEditorData(editor, cell);
        for (const QPointer<Gui::QuantitySpinBox>& box : spinBoxesIn(editor)) {
            if (box)
                box->withdrawRefusal();
        }
    }
    QTreeView::closeEditor(editor, hint);
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
    // key.  The key replaces the old text rather than joining it.
    const QString text = event->text();
    // A key the field turns away comes back to the list: it is not passed on again.
    if (passingOn || text.isEmpty() || !text.at(0).isPrint()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QModelIndex cell = model->buddy(currentIndex());
    QWidget* editor = indexWidget(cell);
    if (!editor || !editor->isEnabled() || !(model->flags(cell) & Qt::ItemIsEditable))
        return false;
    QWidget* field = editor;
    while (field->focusProxy())
        field = field->focusProxy();
    auto* box = qobject_cast<QAbstractSpinBox*>(field);
    auto* line = qobject_cast<QLineEdit*>(field);
    if ((!box || box->isReadOnly()) && (!line || line->isReadOnly()))
        return false;
    field->setFocus(Qt::OtherFocusReason);
    if (!field->hasFocus())
        return false;
    if (box)
        box->selectAll();
    else
        line->selectAll();
    passingOn = true;
    QCoreApplication::sendEvent(field, event);
    passingOn = false;
    return true;
}

void PropertyOperator::finishEditing()
{
    finishTypingIn(indexWidget(model->buddy(currentIndex())));
}

void PropertyOperator::finishTypingIn(QWidget* editor)
{
    if (!editor)
        return;
    // A write may rebuild the rows, which sends the editors away.
    for (const QPointer<Gui::QuantitySpinBox>& box : spinBoxesIn(editor)) {
        if (box)
            box->finishTyping();
    }
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

void finishPendingEdits()
{
    // A write may make or remove trees on its way.
    const std::vector<PropertyOperator::PropertyOperator*> all = PropertyOperator::trees();
    for (PropertyOperator::PropertyOperator* tree : all) {
        const auto& now = PropertyOperator::trees();
        if (std::find(now.begin(), now.end(), tree) != now.end())
            tree->finishEditing();
    }
}

} // namespace Gui
