#include "ProjectObjectItem.h"

#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureFactory.h"
#include "selection/ProjectItem.h"
#include "selection/TreeWidget.h"
#include "visualization/ViewFeeder.h"

#include <obj/ObjectStatus.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextDocument>
#include <QToolTip>

#include <map>
#include <tuple>

using namespace Gui;

namespace {

// 9 by 9 overlays, one per status bit.
const char* const crossXpm[] = {"9 9 2 1", ". c None", "# c #000000", "##......#", ".##....##", "..##..##.",
                                "...####..", "....##...", "...####..", "..##..##.", ".##....##", "##......#"};
const char* const errorXpm[] = {"9 9 2 1", ". c None", "# c #ff0000", "...###...", "...###...", "...###...",
                                "...###...", "...###...", ".........", ".........", "...###...", "...###..."};
const char* const unknownXpm[] = {"9 9 2 1", ". c None", "# c #ffa500", "...####..", "..###.###", ".###...##",
                                  ".##...###", ".....###.", "....###..", ".........", "....###..", "....###.."};
const char* const recomputeXpm[] = {"9 9 2 1", ". c None", "# c #ffa500", ".......#.", ".....##..", "...###...",
                                    ".###.....", "#########", "....###..", "...###...", "..##.....", ".##......"};
const char* const doubleTickXpm[] = {"9 9 2 1", ". c None", "# c #00ff00", "....##..#", "....##.##", ".....###.",
                                     "#....##..", "##..####.", "#####..##", ".####...#", "..##.....", "..##....."};
const char* const tickXpm[] = {"9 9 2 1", ". c None", "# c #00ff00", "........#", ".......##", "......##.",
                               "#....##..", "##..##...", "#####....", ".####....", "..##.....", "..##....."};

const QPixmap& overlay(int bit)
{
    static std::map<int, QPixmap> pixmaps;
    auto it = pixmaps.find(bit);
    if (it == pixmaps.end()) {
        const char* const* xpm = tickXpm;
        switch (bit) {
        case 32: xpm = crossXpm; break;
        case 16: xpm = errorXpm; break;
        case 8: xpm = unknownXpm; break;
        case 4: xpm = recomputeXpm; break;
        case 2: xpm = doubleTickXpm; break;
        default: break;
        }
        it = pixmaps.emplace(bit, QPixmap(xpm)).first;
    }
    return it->second;
}

// The feeder's icon with the overlay of `bit`, in both states.  Items of one kind in one
// state share one icon, so that a status pass over thousands of items merges pixmaps
// once per kind and state, not once per item.
QIcon overlaidIcon(const QIcon& base, int bit, QIcon::Mode mode, int side)
{
    using Key = std::tuple<qint64, int, int, int>;
    static std::map<Key, QIcon> icons;
    const Key key(base.cacheKey(), bit, int(mode), side);
    const auto it = icons.find(key);
    if (it != icons.end())
        return it->second;
    QIcon icon;
    for (QIcon::State state : {QIcon::Off, QIcon::On}) {
        QPixmap pixmap = base.pixmap(QSize(side, side), mode, state);
        if (bit)
            pixmap = PictureFactory::instance().merge(pixmap, overlay(bit), PictureFactory::BottomRight);
        icon.addPixmap(pixmap, QIcon::Normal, state);
    }
    // Feeders that make a new icon on every call would fill it without end.
    if (icons.size() >= 256)
        icons.clear();
    icons.emplace(key, icon);
    return icon;
}

} // namespace

ProjectObjectItem::ProjectObjectItem(ViewFeederProjectObject* f, ProjectItem* projectItem)
    : QTreeWidgetItem(ItemType), feeder(f), owner(projectItem)
{
    // The feeder's status, tool tip and status tip reach the item through the tree, which
    // follows those signals of every feeder at once.
    setFlags(flags() | Qt::ItemIsEditable);
}

ProjectObjectItem::~ProjectObjectItem()
{
    // A selected or current item leaves the view while whole, since the selection model
    // then reports it to our own listener; any other is taken out by the base class,
    // which costs less.
    if (QTreeWidgetItem* p = parent()) {
        QTreeWidget* view = treeWidget();
        if (selected || (view && view->currentItem() == this))
            p->removeChild(this);
    }
    if (owner) {
        owner->item_destroyed(this);
        if (owner->tree)
            owner->tree->forgetItem(this);
    }
}

int ProjectObjectItem::statusMask() const
{
    Obj::ProjectObject* object = feeder ? feeder->get_object() : nullptr;
    if (!object)
        return -1;
    int mask = object->isSuppressed() ? 32 : 0;
    switch (object->state) {
    case 2: mask |= 16; break;
    case 0: mask |= 8; break;
    case 1: mask |= 4; break;
    case 4: mask |= 2; break;
    case 3: mask |= 1; break;
    default: break;
    }
    return mask;
}

bool ProjectObjectItem::testStatus()
{
    const int mask = statusMask();
    if (mask < 0 || mask == previousStatus)
        return false;
    previousStatus = mask;

    int bit = 0;
    if (mask & 32) {
        bit = 32;
    } else {
        for (int b : {16, 8, 4, 2, 1}) {
            if (mask & b) {
                bit = b;
                break;
            }
        }
    }

    QTreeWidget* view = treeWidget();
    QIcon::Mode mode = QIcon::Normal;
    if (mask & 32) {
        QStyleOptionViewItem option;
        option.initFrom(view ? static_cast<QWidget*>(view) : nullptr);
        const QPalette palette = view ? view->palette() : QApplication::palette();
        setForeground(0, palette.brush(QPalette::Disabled, QPalette::Text));
        mode = QIcon::Disabled;
    } else {
        setData(0, Qt::ForegroundRole, QVariant());
    }

    QStyle* style = view ? view->style() : QApplication::style();
    const int side = style->pixelMetric(QStyle::PM_ListViewIconSize);
    setIcon(0, overlaidIcon(feeder->getIcon(), bit, mode, side));
    return true;
}

void ProjectObjectItem::forceStatusUpdate()
{
    previousStatus = -1;
    testStatus();
}

void ProjectObjectItem::displayStatusInfo()
{
    Obj::ProjectObject* object = feeder ? feeder->get_object() : nullptr;
    if (!object)
        return;
    const QString text = QString::fromLatin1(object->get_status_message());
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->display_message(text, 0);
    QTreeWidget* view = treeWidget();
    if (object->isError() && view) {
        const QRect rect = view->visualItemRect(this);
        // The message is plain text: markup in it (an image path, say) is shown, not run.
        QToolTip::showText(view->viewport()->mapToGlobal(rect.topRight()),
                           Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
    }
}

void ProjectObjectItem::setExpandedStatus(bool on)
{
    if (Obj::ProjectObject* object = feeder ? feeder->get_object() : nullptr)
        object->set_object_status(Interface::Expand, on);
}

namespace {

bool isTextRole(int role)
{
    return role == Qt::DisplayRole || role == Qt::EditRole;
}

} // namespace

QVariant ProjectObjectItem::data(int column, int role) const
{
    if (column == 0 && feeder) {
        if (role == Qt::DecorationRole && !ownIcon)
            return feeder->getIcon();
        if (isTextRole(role) && !ownText) {
            if (Obj::ProjectObject* object = feeder->get_object())
                return QString::fromUtf8(object->get_label());
        }
    }
    return QTreeWidgetItem::data(column, role);
}

void ProjectObjectItem::showLabel()
{
    if (ownText)
        setData(0, Qt::DisplayRole, QVariant());   // tells the view
    else
        emitDataChanged();
}

void ProjectObjectItem::setData(int column, int role, const QVariant& value)
{
    Obj::ProjectObject* object = feeder ? feeder->get_object() : nullptr;
    Obj::Project* project = object ? object->get_project() : nullptr;
    // An edit closed without a change is no rename: nothing for the journal, the project
    // is not marked modified, and a label that is not valid UTF-8 keeps its bytes.
    if (role == Qt::EditRole && column == 0 && project && !ownText
        && value.toString() == QString::fromUtf8(object->get_label()))
        return;
    if (role == Qt::DecorationRole && column == 0)
        ownIcon = value.isValid();
    if (isTextRole(role) && column == 0)
        ownText = value.isValid();
    QTreeWidgetItem::setData(column, role, value);
    if (role != Qt::EditRole || !project)
        return;
    // The label goes to the logic like every other property edit. Refused (a read-only
    // label, say): the item shows the label the object kept.
    const std::string label = value.toString().toUtf8().toStdString();
    if (!ProjectItem::renamed([&] {
            pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4,
                              {project->get_name(), std::to_string(object->getObjectId()), "Label", label});
        }))
        showLabel();
}
