// The project explorer: projects and objects appearing and going, the selection kept in
// step with the tree selection both ways without echo, overlays, renaming, context menu.

#include "TreeTestSupport.h"

#include <core/GuiProject.h>
#include <selection/EntitySelectionSingleton.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/SelectionModification.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>

#include <support/ConsoleCapture.h>

#include <obj/ObjectStatus.h>
#include <obj/Property.h>
#include <vexil/Exception.h>
#include <pmmsg/Message.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>
#include <QToolTip>

#include <algorithm>

using namespace TreeTest;
using Gui::ProjectItem;
using Gui::ProjectObjectItem;
using Gui::TreeSelectionSingleton;
using Lines = std::vector<std::string>;
using PelmoraTest::ConsoleCapture;

namespace {

struct KindRecorder : Vexil::ObserverPattern<const Gui::SelectionModification&>
{
    KindRecorder() { TreeSelectionSingleton::instance().attach(this); }
    ~KindRecorder() override
    {
        if (auto* s = TreeSelectionSingleton::existing())
            s->detach(this);
    }
    void on_modify(Vexil::Subject<const Gui::SelectionModification&>&, const Gui::SelectionModification& m) override
    {
        static const char* const kinds[] = {"add", "remove", "set", "clear", "pre", "unpre"};
        lines.push_back(std::string(kinds[m.kind]) + " " + m.project_name + "." + std::to_string(m.object_id));
    }
    Lines lines;
};

class ProjectTreeTest : public TreeFixture
{
protected:
    ProjectTreeTest() : tree(std::make_unique<Gui::TreeWidget>())
    {
        project = newProject("P");
        gui = app->get_project(project);
        a = project->add_object("Obj::ProjectObject", "Alpha");
        b = project->add_object("Obj::ProjectObject", "Beta");
        c = project->add_object("Obj::ProjectObject", "Gamma");
    }
    ~ProjectTreeTest() override { tree.reset(); }

    ProjectItem* projectItem() const { return tree->getProjectItem(gui); }
    ProjectObjectItem* itemOf(const Obj::ProjectObject* o) const { return projectItem()->object_item(o->getObjectId()); }
    std::vector<unsigned int> selectedIds() const
    {
        std::vector<unsigned int> ids;
        for (const auto& s : TreeSelectionSingleton::instance().get_selection("P"))
            ids.push_back(s.object_id);
        // New objects come in pointer order: compare as sets.
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    QStringList selectedTexts() const
    {
        QStringList texts;
        for (QTreeWidgetItem* item : tree->selectedItems())
            texts << item->text(0);
        texts.sort();
        return texts;
    }
    QStringList childTexts(QTreeWidgetItem* parent) const
    {
        QStringList texts;
        for (int i = 0; i < parent->childCount(); ++i)
            texts << parent->child(i)->text(0);
        return texts;
    }

    std::unique_ptr<Gui::TreeWidget> tree;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    Obj::ProjectObject* a = nullptr;
    Obj::ProjectObject* b = nullptr;
    Obj::ProjectObject* c = nullptr;
};

QColor pixelNearCorner(const QIcon& icon, int dx, int dy)
{
    const QSize size = icon.availableSizes().value(0, QSize(16, 16));
    const QImage image = icon.pixmap(size).toImage();
    return image.pixelColor(image.width() - 9 + dx, image.height() - 9 + dy);
}

} // namespace

TEST_F(ProjectTreeTest, RootCountsProjectsAndItemsFollowTheLogic)
{
    EXPECT_EQ(tree->getRootItem()->text(0), "Solution (1 project)");
    ASSERT_NE(projectItem(), nullptr);
    EXPECT_EQ(projectItem()->type(), 1000);
    EXPECT_EQ(projectItem()->text(0), "P");
    EXPECT_EQ(childTexts(projectItem()), (QStringList{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(itemOf(a)->type(), 1001);
    EXPECT_TRUE(itemOf(a)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(tree->getRootItem()->flags() & Qt::ItemIsSelectable);

    Obj::Project* q = newProject("Q");
    EXPECT_EQ(tree->getRootItem()->text(0), "Solution (2 projects)");
    // The current project is bold.
    EXPECT_EQ(tree->getProjectItem(app->get_project(q))->font(0).weight(), 75);
    EXPECT_EQ(projectItem()->font(0).weight(), 50);

    logic.app().close_project("Q");
    EXPECT_EQ(tree->getRootItem()->text(0), "Solution (1 project)");
    logic.app().relabel_project("P", "Shown");
    EXPECT_EQ(projectItem()->text(0), "Shown");

    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(tree.get(), &change);
    EXPECT_EQ(tree->getRootItem()->text(0), "Solution");
    EXPECT_EQ(tree->headerItem()->text(0), "Labels & Attributes");

    project->remove_object(b->getObjectId());
    EXPECT_EQ(childTexts(projectItem()), (QStringList{"Alpha", "Gamma"}));
    EXPECT_EQ(projectItem()->object_item_count(), 2u);
    logic.app().close_project("P");
    EXPECT_EQ(tree->getRootItem()->childCount(), 0);
    EXPECT_EQ(tree->getRootItem()->text(0), "Solution (0 project)");
}

TEST_F(ProjectTreeTest, AProjectAnnouncedTwiceReplacesItsTreeItem)
{
    Obj::Application::instance().signal_new_project(*project);
    Gui::GuiProject* again = app->get_project(project);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(tree->getRootItem()->childCount(), 1);
    EXPECT_EQ(tree->getRootItem()->text(0), "Solution (1 project)");
    ASSERT_NE(tree->getProjectItem(again), nullptr);
    EXPECT_EQ(tree->getRootItem()->child(0), tree->getProjectItem(again));

    logic.app().close_project("P");
    EXPECT_EQ(tree->getRootItem()->childCount(), 0);
}

TEST_F(ProjectTreeTest, SecondCreateOfTheSameObjectIsRefused)
{
    ConsoleCapture console;
    gui->signal_new_object(*dynamic_cast<Gui::ViewFeederProjectObject*>(gui->get_view_feeder(a)));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "ProjectItem::slot_create_object(): Cannot add view provider twice.\n"));
    EXPECT_EQ(projectItem()->childCount(), 3);
}

TEST_F(ProjectTreeTest, TreeOrderPlacesItemsAmongOrderedSiblings)
{
    Obj::Project* q = newProject("Q");
    q->add_object("TreeTest::OrderedObject", "plain");
    q->add_object("TreeTest::OrderedObject", "o5");
    q->add_object("TreeTest::OrderedObject", "o3");
    q->add_object("TreeTest::OrderedObject", "o4");
    EXPECT_EQ(childTexts(tree->getProjectItem(app->get_project(q))), (QStringList{"plain", "o3", "o4", "o5"}));
}

TEST_F(ProjectTreeTest, SelectingInTheTreeWritesOneSetAndDoesNotEcho)
{
    KindRecorder rec;
    tree->setItemsSelected({itemOf(a), itemOf(c)}, true);
    EXPECT_EQ(rec.lines, (Lines{"set P.0"}));
    EXPECT_EQ(selectedIds(), (std::vector<unsigned int>{a->getObjectId(), c->getObjectId()}));
    EXPECT_EQ(selectedTexts(), (QStringList{"Alpha", "Gamma"}));

    rec.lines.clear();
    tree->setItemsSelected({itemOf(a)}, false);
    EXPECT_EQ(rec.lines, (Lines{"set P.0"}));
    EXPECT_EQ(selectedIds(), (std::vector<unsigned int>{c->getObjectId()}));

    // Only the project item: a whole-project entry.
    tree->clearSelection();
    projectItem()->setSelected(true);
    const auto sel = TreeSelectionSingleton::instance().get_selection("P");
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].object_id, 0u);
    EXPECT_EQ(sel[0].object, nullptr);
}

TEST_F(ProjectTreeTest, SingletonChangesReachTheItems)
{
    auto& selection = TreeSelectionSingleton::instance();
    KindRecorder rec;
    selection.set_selection("P", {a, b});
    EXPECT_EQ(selectedTexts(), (QStringList{"Alpha", "Beta"}));
    selection.set_selection("P", {c, b});
    EXPECT_EQ(selectedTexts(), (QStringList{"Beta", "Gamma"}));
    selection.remove_selection("P", b->getObjectId());
    EXPECT_EQ(selectedTexts(), (QStringList{"Gamma"}));
    // Nothing was written back: only the singleton's own three records.
    EXPECT_EQ(rec.lines, (Lines{"set P.0", "set P.0", "remove P.2"}));

    selection.clear_selection("P");
    EXPECT_TRUE(selectedTexts().isEmpty());
    selection.set_selection("P", {a});
    selection.clear_all_selections();
    EXPECT_TRUE(selectedTexts().isEmpty());
    EXPECT_FALSE(selection.has_selection());

    // A whole-project entry deselects every object item.
    selection.set_selection("P", {a});
    selection.set_project_selection("P", project);
    selection.set_selection("P", {});
    EXPECT_TRUE(selectedTexts().isEmpty());

    // Entity picks do not touch the tree.
    Gui::EntitySelectionSingleton::instance().add_selection("P", a->getObjectId(), "Face1");
    EXPECT_TRUE(selectedTexts().isEmpty());
}

TEST_F(ProjectTreeTest, LogicSelectionRecordsShowInTheTree)
{
    pmMsg::MessageData record;
    record.code = pmMsg::REC_SELECT;
    record.text2 = "P";
    record.number = b->getObjectId();
    pmMsg::doCommand(record);
    EXPECT_EQ(selectedTexts(), (QStringList{"Beta"}));
    record.number = c->getObjectId();
    pmMsg::doCommand(record);
    EXPECT_EQ(selectedTexts(), (QStringList{"Beta", "Gamma"}));
    record.code = pmMsg::REC_DESELECT;
    pmMsg::doCommand(record);
    EXPECT_EQ(selectedTexts(), (QStringList{"Beta"}));
    pmMsg::runCommand(pmMsg::CMD_CLEAR_SELECTION, "P");
    EXPECT_TRUE(selectedTexts().isEmpty());

    // A selected whole project gives way to the object the logic selects.
    TreeSelectionSingleton::instance().set_project_selection("P", project);
    record.code = pmMsg::REC_SELECT;
    pmMsg::doCommand(record);
    EXPECT_EQ(selectedIds(), (std::vector<unsigned int>{c->getObjectId()}));
    EXPECT_EQ(selectedTexts(), (QStringList{"Gamma"}));
}

TEST_F(ProjectTreeTest, DeletedObjectLeavesTreeAndSelection)
{
    tree->setItemsSelected({itemOf(a), itemOf(b)}, true);
    Gui::EntitySelectionSingleton::instance().add_selection("P", a->getObjectId(), "Face1");
    project->remove_object(a->getObjectId());
    EXPECT_EQ(selectedIds(), (std::vector<unsigned int>{b->getObjectId()}));
    EXPECT_EQ(selectedTexts(), (QStringList{"Beta"}));
    EXPECT_FALSE(Gui::EntitySelectionSingleton::instance().has_selection());

    // Closing the project clears both selections.
    Gui::EntitySelectionSingleton::instance().add_selection("P", b->getObjectId(), "Face1");
    logic.app().close_project("P");
    EXPECT_FALSE(TreeSelectionSingleton::instance().has_selection());
    EXPECT_FALSE(Gui::EntitySelectionSingleton::instance().has_selection());
}

TEST_F(ProjectTreeTest, DeletingTheCurrentOrAnUnselectedObjectKeepsTheRestInStep)
{
    tree->setCurrentItem(itemOf(a), 0, QItemSelectionModel::NoUpdate);
    tree->setItemsSelected({itemOf(c)}, true);
    project->remove_object(a->getObjectId());   // current, not selected
    EXPECT_EQ(projectItem()->object_item_count(), 2u);
    EXPECT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(selectedTexts(), (QStringList{"Gamma"}));
    project->remove_object(b->getObjectId());   // neither
    EXPECT_EQ(childTexts(projectItem()), (QStringList{"Gamma"}));
    EXPECT_EQ(selectedIds(), (std::vector<unsigned int>{c->getObjectId()}));
    project->remove_object(c->getObjectId());   // selected
    EXPECT_TRUE(selectedTexts().isEmpty());
    EXPECT_FALSE(TreeSelectionSingleton::instance().has_selection());
    EXPECT_EQ(projectItem()->childCount(), 0);
}

TEST_F(ProjectTreeTest, StatusOverlaysFollowTheStateCode)
{
    ProjectObjectItem* item = itemOf(a);
    a->state = 2;
    item->testStatus();
    EXPECT_EQ(item->statusMask(), 16);
    EXPECT_EQ(pixelNearCorner(item->icon(0), 4, 0), QColor("#ff0000"));
    const qint64 errorKey = item->icon(0).cacheKey();
    item->testStatus();   // unchanged mask: the icon stays as it is
    EXPECT_EQ(item->icon(0).cacheKey(), errorKey);

    a->state = 3;
    item->testStatus();
    EXPECT_EQ(item->statusMask(), 1);
    EXPECT_EQ(pixelNearCorner(item->icon(0), 2, 8), QColor("#00ff00"));

    a->suppress();
    item->testStatus();
    EXPECT_EQ(item->statusMask(), 33);
    EXPECT_EQ(pixelNearCorner(item->icon(0), 0, 0), QColor("#000000"));   // the cross, not the tick
    EXPECT_EQ(item->foreground(0).color(), tree->palette().color(QPalette::Disabled, QPalette::Text));
    a->unsuppress();
    item->testStatus();
    EXPECT_EQ(pixelNearCorner(item->icon(0), 2, 8), QColor("#00ff00"));
    EXPECT_EQ(item->data(0, Qt::ForegroundRole), QVariant());

    for (int code : {0, 1, 4}) {
        a->state = code;
        item->testStatus();
    }
    EXPECT_EQ(item->statusMask(), 2);
    a->state = 7;
    item->testStatus();
    EXPECT_EQ(item->statusMask(), 0);
    EXPECT_NE(pixelNearCorner(item->icon(0), 2, 8), QColor("#00ff00"));

    // A feeder's status signal forces a rebuild.
    a->state = 2;
    gui->get_view_feeder(a)->signal_change_status();
    EXPECT_EQ(pixelNearCorner(item->icon(0), 4, 0), QColor("#ff0000"));
}

TEST_F(ProjectTreeTest, ItemsDrawTheirFeedersIconUntilTheirStatusIsShownAndShareOverlays)
{
    const QIcon feederIcon = gui->get_view_feeder(a)->getIcon();
    EXPECT_EQ(itemOf(a)->icon(0).cacheKey(), feederIcon.cacheKey());
    EXPECT_EQ(itemOf(b)->data(0, Qt::DecorationRole).value<QIcon>().cacheKey(), feederIcon.cacheKey());

    // Items in one state show one icon; another state shows another.
    a->state = 2;
    b->state = 2;
    c->state = 3;
    for (const Obj::ProjectObject* o : {a, b, c})
        itemOf(o)->testStatus();
    EXPECT_NE(itemOf(a)->icon(0).cacheKey(), feederIcon.cacheKey());
    EXPECT_EQ(itemOf(a)->icon(0).cacheKey(), itemOf(b)->icon(0).cacheKey());
    EXPECT_NE(itemOf(a)->icon(0).cacheKey(), itemOf(c)->icon(0).cacheKey());
    EXPECT_EQ(pixelNearCorner(itemOf(b)->icon(0), 4, 0), QColor("#ff0000"));

    // Dropping the item's own icon brings the feeder's back.
    itemOf(c)->setData(0, Qt::DecorationRole, QVariant());
    EXPECT_EQ(itemOf(c)->icon(0).cacheKey(), feederIcon.cacheKey());
}

TEST_F(ProjectTreeTest, FeederTipsAndStatusReachTheirOwnItemOnly)
{
    auto* feederA = dynamic_cast<Gui::ViewFeederProjectObject*>(gui->get_view_feeder(a));
    auto* feederB = dynamic_cast<Gui::ViewFeederProjectObject*>(gui->get_view_feeder(b));
    ASSERT_TRUE(feederA && feederB);
    // A slot of the feeder's own still hears it, besides the tree.
    int heard = 0;
    boost::signals2::connection own =
        feederA->signal_change_tooltip.connect([&heard](const QString&) { ++heard; });
    feederA->signal_change_tooltip(QStringLiteral("Alpha tip"));
    feederA->signal_change_statustip(QStringLiteral("Alpha status"));
    EXPECT_EQ(heard, 1);
    own.disconnect();
    feederA->signal_change_tooltip(QStringLiteral("Alpha tip"));
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(itemOf(a)->toolTip(0), "Alpha tip");
    EXPECT_EQ(itemOf(a)->statusTip(0), "Alpha status");
    EXPECT_EQ(itemOf(b)->toolTip(0), "");
    EXPECT_EQ(itemOf(b)->statusTip(0), "");

    feederB->signal_change_tooltip(QStringLiteral("Beta tip"));
    EXPECT_EQ(itemOf(b)->toolTip(0), "Beta tip");
    EXPECT_EQ(itemOf(a)->toolTip(0), "Alpha tip");

    // Once its item is gone the feeder's signals reach nothing, and nothing breaks.
    gui->signal_delete_object(*feederB);
    EXPECT_EQ(itemOf(b), nullptr);
    feederB->signal_change_tooltip(QStringLiteral("late"));
    feederB->signal_change_status();
    EXPECT_EQ(itemOf(a)->toolTip(0), "Alpha tip");
}

TEST_F(ProjectTreeTest, RenamingThroughTheTreeReachesTheLogic)
{
    pmMsg::Journal::clear();
    itemOf(b)->setData(0, Qt::EditRole, QStringLiteral("Bolt"));
    EXPECT_STREQ(b->get_label(), "Bolt");
    EXPECT_EQ(pmMsg::Journal::lines(), (std::vector<std::string>{"runCommand 41 P|2|Label|Bolt"}));
    EXPECT_EQ(itemOf(b)->text(0), "Bolt");

    projectItem()->setData(0, Qt::EditRole, QStringLiteral("Plant"));
    EXPECT_STREQ(project->getProjectName(), "Plant");
    EXPECT_EQ(projectItem()->text(0), "Plant");

    // A label changed elsewhere shows too, and the view is told so that it redraws.
    int told = 0;
    QObject::connect(tree->model(), &QAbstractItemModel::dataChanged, tree.get(),
                     [&](const QModelIndex& index) { told += index.data().toString() == "Gear"; });
    c->set_label("Gear");
    EXPECT_EQ(itemOf(c)->text(0), "Gear");
    EXPECT_EQ(told, 1);
    EXPECT_EQ(tree->getRelabelAction()->shortcut(), QKeySequence(Qt::Key_F2));
}

TEST_F(ProjectTreeTest, RenamesThatChangeNothingOrAreRefusedLeaveTheObjectsLabelShown)
{
    // Closing the editor without a change renames nothing, even for a label that is not
    // UTF-8 (the editor holds it with replacement characters).
    b->set_label("Be\xfft");
    pmMsg::Journal::clear();
    itemOf(b)->setData(0, Qt::EditRole, itemOf(b)->text(0));
    itemOf(a)->setData(0, Qt::EditRole, QStringLiteral("Alpha"));
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
    EXPECT_STREQ(b->get_label(), "Be\xfft");

}

TEST_F(ProjectTreeTest, ARefusedRenameInTheEditorIsReportedAndLaterRenamesStillWork)
{
    tree->show();
    tree->expandAll();
    ConsoleCapture console;
    // Types into the tree's own line editor and commits with Return.
    const auto typeIn = [&](QTreeWidgetItem* item, const QString& text) {
        tree->editItem(item, 0);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : tree->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                editor = e;
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);   // commits through a queued call
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };

    // A label the logic refuses: said on the console, the item shows the label kept.
    a->get_property_by_name("Label")->set_read_only(true);
    typeIn(itemOf(a), QStringLiteral("<b>Omega</b>"));
    EXPECT_STREQ(a->get_label(), "Alpha");
    EXPECT_EQ(itemOf(a)->text(0), "Alpha");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "read-only"));

    // The next rename typed in the tree still reaches the logic.
    typeIn(itemOf(b), QStringLiteral("Bolt"));
    EXPECT_STREQ(b->get_label(), "Bolt");
    EXPECT_EQ(itemOf(b)->text(0), "Bolt");

    // A project rename that fails in the logic: reported, the item keeps the project's label.
    auto refuse = Obj::Application::instance().signal_relabel_project.connect(
        [](const Obj::Project&) { throw Vexil::ExceptionHandler("no relabel"); });
    console.clear();
    typeIn(projectItem(), QStringLiteral("Plant"));
    refuse.disconnect();
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "no relabel"));
    EXPECT_EQ(projectItem()->text(0), QString::fromUtf8(project->getProjectName()));
    typeIn(itemOf(c), QStringLiteral("Gear"));
    EXPECT_STREQ(c->get_label(), "Gear");
}

TEST_F(ProjectTreeTest, StatusMessageToolTipShowsMarkupAsText)
{
    tree->show();
    tree->expandAll();
    a->set_error(true, "<img src=\"/dev/zero\"> failed");
    itemOf(a)->displayStatusInfo();
    EXPECT_TRUE(QToolTip::text().contains("&lt;img src=")) << QToolTip::text().toStdString();
    EXPECT_FALSE(QToolTip::text().contains("<img"));
    QToolTip::hideText();
}

TEST_F(ProjectTreeTest, GroupsClaimTheirMembersAndReleaseThemWhenDeleted)
{
    Obj::ProjectObject* group = project->add_object("TreeTest::OrderedObject", "Holder");
    auto* feeder = dynamic_cast<OrderedFeeder*>(gui->get_view_feeder(group));
    ASSERT_NE(feeder, nullptr);
    feeder->claimed = {a, b};
    group->set_label("Holder2");   // a change notification moves the claimed items
    EXPECT_EQ(childTexts(itemOf(group)), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(childTexts(projectItem()), (QStringList{"Gamma", "Holder2"}));

    // Expanding keeps the state in the logic.
    tree->expandItem(itemOf(group));
    EXPECT_TRUE(group->test_object_status(Interface::Expand));
    tree->collapseItem(itemOf(group));
    EXPECT_FALSE(group->test_object_status(Interface::Expand));

    // Unclaimed children go back to the project item.
    feeder->claimed = {a};
    group->set_label("Holder3");
    EXPECT_EQ(childTexts(itemOf(group)), (QStringList{"Alpha"}));

    ConsoleCapture console;
    feeder->claimed = {group};
    group->set_label("Holder4");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning,
                                 "Gui::ProjectItem::slot_change_object(): Object reference same to itself.\n"));

    project->remove_object(group->getObjectId());
    EXPECT_EQ(childTexts(projectItem()), (QStringList{"Gamma", "Beta", "Alpha"}));
    EXPECT_EQ(itemOf(a)->parent(), projectItem());
}

TEST_F(ProjectTreeTest, ContextMenuOffersRenameAndForgetsItsItemWhenItGoes)
{
    QContextMenuEvent empty(QContextMenuEvent::Mouse, QPoint(5, 2000));
    QCoreApplication::sendEvent(tree->viewport(), &empty);
    EXPECT_EQ(tree->getContextItem(), nullptr);

    tree->show();
    tree->expandAll();
    const QRect rect = tree->visualItemRect(itemOf(c));
    QStringList texts;
    whenMenuOpens([&texts](QMenu* menu) {
        for (QAction* action : menu->actions())
            texts << action->text();
    });
    QContextMenuEvent onItem(QContextMenuEvent::Mouse, rect.center());
    QCoreApplication::sendEvent(tree->viewport(), &onItem);
    EXPECT_EQ(tree->getContextItem(), itemOf(c));
    EXPECT_TRUE(texts.contains("Rename"));

    project->remove_object(c->getObjectId());
    EXPECT_EQ(tree->getContextItem(), nullptr);
    tree->onFinishEditing();   // nothing left to finish: no crash
}

TEST_F(ProjectTreeTest, ActivateProjectSubmenuListsProjectsWithTheCurrentChecked)
{
    newProject("Q")->OnUpdateLabel("R&D");
    newProject("R");   // current
    tree->show();
    tree->expandAll();
    const QRect rect = tree->visualItemRect(projectItem());
    QStringList entries;
    QString checked;
    whenMenuOpens([&](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            if (action->menu() && action->text() == "Activate project") {
                for (QAction* entry : action->menu()->actions()) {
                    entries << entry->iconText();
                    if (entry->isChecked())
                        checked = entry->text();
                }
            }
        }
    });
    QContextMenuEvent onItem(QContextMenuEvent::Mouse, rect.center());
    QCoreApplication::sendEvent(tree->viewport(), &onItem);
    EXPECT_EQ(entries, (QStringList{"P", "R&D", "R"}));
    EXPECT_EQ(checked, "R");
}

TEST_F(TreeFixture, TreeDestroyedBeforeTheApplicationHearsNothingMore)
{
    {
        Gui::TreeWidget tree;
        newProject("P");
        EXPECT_EQ(tree.getRootItem()->childCount(), 1);
    }
    Obj::Project* q = newProject("Q");
    q->add_object("Obj::ProjectObject", "Late");
    TreeSelectionSingleton::instance().set_selection("Q", q->get_objects());
    logic.app().close_all_projects();
    SUCCEED();
}

TEST_F(ProjectTreeTest, StatusRefreshWaitsWhileHiddenButKeepsTicking)
{
    ProjectObjectItem* item = itemOf(a);
    a->state = 2;
    item->forceStatusUpdate();
    const qint64 before = item->icon(0).cacheKey();
    a->state = 3;
    tree->hide();
    tree->onTestStatus();
    EXPECT_EQ(item->icon(0).cacheKey(), before);
    auto* timer = tree->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 300);
    tree->show();
    tree->onTestStatus();
    EXPECT_EQ(pixelNearCorner(item->icon(0), 2, 8), QColor("#00ff00"));
}

TEST_F(ProjectTreeTest, HighlightEditAndExpandSignalsChangeTheItem)
{
    auto& feeder = *dynamic_cast<Gui::ViewFeederProjectObject*>(gui->get_view_feeder(b));
    ProjectObjectItem* item = itemOf(b);
    gui->signal_highlight_object(feeder, Gui::Bold, true);
    EXPECT_EQ(item->font(0).weight(), 75);
    gui->signal_highlight_object(feeder, Gui::Italic, true);
    EXPECT_TRUE(item->font(0).italic());
    gui->signal_highlight_object(feeder, Gui::Blue, true);
    EXPECT_EQ(item->background(0).color(), QColor(200, 200, 255));
    gui->signal_highlight_object(feeder, Gui::Blue, false);
    EXPECT_EQ(item->data(0, Qt::BackgroundRole), QVariant());
    gui->signal_in_edit(feeder);
    EXPECT_EQ(item->background(0).color(), QColor(Qt::yellow));
    gui->signal_reset_edit(feeder);
    EXPECT_EQ(item->data(0, Qt::BackgroundRole), QVariant());

    project->activate_object(c->getObjectId());
    EXPECT_EQ(itemOf(c)->font(0).weight(), 75);
    EXPECT_EQ(item->font(0).weight(), 50);

    // Expansion: mode 1 leaves it, mode 3 twice returns to the start.
    const bool expanded = item->isExpanded();
    gui->signal_expand_object(feeder, Gui::ExpandPath);
    EXPECT_EQ(item->isExpanded(), expanded);
    gui->signal_expand_object(feeder, Gui::ToggleItem);
    gui->signal_expand_object(feeder, Gui::ToggleItem);
    EXPECT_EQ(item->isExpanded(), expanded);
}
