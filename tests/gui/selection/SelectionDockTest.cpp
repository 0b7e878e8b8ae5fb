// The selection list docks: the rows they show for each record, the search line, and the
// records they send to the logic.

#include "SelectionTestSupport.h"

#include <selection/EntitySelectionSingleton.h>
#include <selection/SelectionInstance.h>
#include <selection/SelectionView.h>

#include <support/ConsoleCapture.h>

#include <pmmsg/Message.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

using namespace SelectionTest;
using Gui::DockWindow::SelectionView;
using Gui::DockWindow::SelectionView3;
using Lines = std::vector<std::string>;

namespace {

QStringList rowsOf(QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// The texts of the popup menu that opens next; the menu is closed again.
QStringList* menuTextsOnOpen()
{
    auto* texts = new QStringList;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, texts]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        for (QAction* a : menu->actions())
            *texts << a->text();
        menu->close();
    });
    timer->start();
    return texts;
}

class DockTest : public LogicFixture
{
protected:
    DockTest()
    {
        box->set_label("Bracket");
        disk->set_label("Brace");
        pmMsg::Journal::clear();
    }
};

} // namespace

TEST_F(DockTest, SelectionViewListsTheSelectionInstance)
{
    SelectionView view(nullptr, nullptr);
    EXPECT_STREQ(view.Name(), "SelectionView");
    auto& inst = Gui::SelectionInstance::instance();
    inst.add_selection("P", 1, "Face3");
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.1.Face3 (Bracket)"}));
    inst.add_selection("Q", 0, nullptr);   // no such project: nothing added, no row
    inst.remove_selection("P", 1, "Face3");
    EXPECT_TRUE(rowsOf(view.list()).isEmpty());

    // A set lists every entry of the project, each with its own text.
    inst.set_selection("P", {box, disk});
    EXPECT_EQ(rowsOf(view.list()).size(), 2);
    EXPECT_TRUE(rowsOf(view.list()).contains("P.1 (Bracket)"));
    EXPECT_TRUE(rowsOf(view.list()).contains("P.2 (Brace)"));
    inst.set_project_selection("P", project);
    EXPECT_TRUE(rowsOf(view.list()).contains("P (P)"));
    inst.clear_selection("P");
    EXPECT_TRUE(rowsOf(view.list()).isEmpty());
}

TEST_F(DockTest, SelectionView3ListsEntityPicksOnly)
{
    SelectionView3 view(nullptr, nullptr);
    auto& entity = Gui::EntitySelectionSingleton::instance();
    entity.add_selection("P", 1, "Face3");
    entity.add_selection("P", 2, "Edge1");
    Gui::SelectionInstance::instance().add_selection("P", 3, nullptr);
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.1.Face3", "P.2.Edge1"}));
    entity.remove_selection("P", 1, std::string("Face3"));
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.2.Edge1"}));
    entity.set_selection("P", 0, std::string());
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P"}));
    entity.clear_all_selections();
    EXPECT_TRUE(rowsOf(view.list()).isEmpty());
}

TEST_F(DockTest, RowsGoWithTheirEntryWhateverTheLabelOrSubElementsSay)
{
    SelectionView view(nullptr, nullptr);
    SelectionView3 picks(nullptr, nullptr);
    auto& inst = Gui::SelectionInstance::instance();
    auto& entity = Gui::EntitySelectionSingleton::instance();

    // Relabelled while selected: the row still goes with the entry.
    inst.add_selection("P", 1, nullptr);
    box->set_label("Renamed");
    inst.remove_selection("P", 1);
    EXPECT_TRUE(rowsOf(view.list()).isEmpty());

    // An entity pick without object id lists no id, and still goes.
    entity.add_selection("P", 0, "Face1");
    EXPECT_EQ(rowsOf(picks.list()), (QStringList{"P.Face1"}));
    entity.remove_selection("P", 0, std::string("Face1"));
    EXPECT_TRUE(rowsOf(picks.list()).isEmpty());

    // Sub-elements added together show as one row, which goes with the last of them.
    inst.add_selection("P", 2, std::vector<std::string>{"Face1", "Face2"});
    entity.add_selection("P", 2, std::vector<std::string>{"Edge1", "Edge2"});
    inst.remove_selection("P", 2, "Face1");
    entity.remove_selection("P", 2, std::string("Edge2"));
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.2 (Brace)"}));
    EXPECT_EQ(rowsOf(picks.list()), (QStringList{"P.2"}));
    project->remove_object(2);
    EXPECT_TRUE(rowsOf(view.list()).isEmpty());
    EXPECT_TRUE(rowsOf(picks.list()).isEmpty());
}

TEST_F(DockTest, SearchSelectsTheFirstMatchingLabel)
{
    SelectionView view(nullptr, nullptr);
    auto& inst = Gui::SelectionInstance::instance();
    inst.add_selection("P", 3, nullptr);   // cleared by the search
    view.searchLine()->setText("br");
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.1 (Bracket)"}));
    EXPECT_EQ(inst.get_selection("P").size(), 1u);
    view.searchLine()->clear();   // an empty text changes nothing
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.1 (Bracket)"}));
    view.searchLine()->setText("zzz");
    EXPECT_TRUE(rowsOf(view.list()).isEmpty());
}

TEST_F(DockTest, SelectAndDeselectSendRecordsAndTheRowsFollow)
{
    SelectionView view(nullptr, nullptr);
    auto& inst = Gui::SelectionInstance::instance();
    inst.add_selection("P", 1, nullptr);
    inst.add_selection("P", 2, nullptr);
    view.list()->setCurrentRow(1);
    pmMsg::Journal::clear();
    view.select();
    EXPECT_EQ(pmMsg::Journal::lines(),
              (Lines{"runCommand 6 P", "doCommand 5 text1= text2=P text3=2 number=0 text4= text5= text6= real=0 ids="}));
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.2 (Brace)"}));
    // Zoom fit and Go to selection do the same.
    pmMsg::Journal::clear();
    view.list()->setCurrentRow(0);
    view.zoom();
    view.list()->setCurrentRow(0);
    view.treeSelect();
    EXPECT_EQ(pmMsg::Journal::lines().size(), 4u);
    EXPECT_EQ(pmMsg::Journal::lines()[2], "runCommand 6 P");
    inst.add_selection("P", 1, nullptr);

    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.2 (Brace)", "P.1 (Bracket)"}));
    view.list()->setCurrentRow(0);
    pmMsg::Journal::clear();
    view.deselect();
    EXPECT_EQ(pmMsg::Journal::lines(),
              (Lines{"doCommand 4 text1= text2=P text3=2 number=0 text4= text5= text6= real=0 ids="}));
    EXPECT_EQ(rowsOf(view.list()), (QStringList{"P.1 (Bracket)"}));

    // The entity dock sends the id as the number.
    SelectionView3 picks(nullptr, nullptr);
    Gui::EntitySelectionSingleton::instance().add_selection("P", 1, "Face3");
    picks.list()->setCurrentRow(0);
    pmMsg::Journal::clear();
    picks.select();
    picks.deselect();
    EXPECT_EQ(pmMsg::Journal::lines(),
              (Lines{"runCommand 6 P", "doCommand 5 text1= text2=P text3= number=1 text4= text5= text6= real=0 ids=",
                     "doCommand 4 text1= text2=P text3= number=1 text4= text5= text6= real=0 ids="}));
}

TEST_F(DockTest, RowsWithoutIdOrProjectSendNothingOrReport)
{
    SelectionView view(nullptr, nullptr);
    Gui::SelectionInstance::instance().set_project_selection("P", project);
    view.list()->setCurrentRow(0);
    pmMsg::Journal::clear();
    view.select();
    view.deselect();
    EXPECT_TRUE(pmMsg::Journal::lines().empty());

    view.list()->addItem("Ghost.4 (x)");
    view.list()->setCurrentRow(view.list()->count() - 1);
    PelmoraTest::ConsoleCapture console;
    view.select();
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "Ghost"));
}

TEST_F(DockTest, ContextMenusShowOnRowsOnly)
{
    SelectionView view(nullptr, nullptr);
    view.show();
    Gui::SelectionInstance::instance().add_selection("P", 1, nullptr);
    view.onItemContextMenu(QPoint(5, 2000));   // between rows: no menu (and no wait)
    const QRect rect = view.list()->visualItemRect(view.list()->item(0));
    QStringList* texts = menuTextsOnOpen();
    view.onItemContextMenu(rect.center());
    EXPECT_EQ(*texts, (QStringList{"Select only", "Deselect", "Zoom fit", "Go to selection"}));
    delete texts;

    SelectionView3 picks(nullptr, nullptr);
    picks.show();
    Gui::EntitySelectionSingleton::instance().add_selection("P", 1, "Face1");
    texts = menuTextsOnOpen();
    picks.onItemContextMenu(picks.list()->visualItemRect(picks.list()->item(0)).center());
    EXPECT_EQ(*texts, (QStringList{"Deselect"}));
    delete texts;
}

TEST_F(DockTest, HiddenButtonsAddNumberedRowsAndClearThem)
{
    SelectionView3 picks(nullptr, nullptr);
    EXPECT_TRUE(picks.addButton()->isHidden());
    EXPECT_TRUE(picks.clearButton()->isHidden());
    picks.addButton()->click();
    picks.addButton()->click();
    EXPECT_EQ(rowsOf(picks.list()), (QStringList{"Id(0), Undefined, SubId(0)", "Id(1), Undefined, SubId(0)"}));
    picks.addRow(1, 0, 3);   // same key: replaces the row
    EXPECT_EQ(rowsOf(picks.list()), (QStringList{"Id(0), Undefined, SubId(0)", "Id(1), Face, SubId(0)"}));
    picks.clearButton()->click();
    EXPECT_TRUE(rowsOf(picks.list()).isEmpty());
    picks.addButton()->click();
    EXPECT_EQ(rowsOf(picks.list()), (QStringList{"Id(0), Undefined, SubId(0)"}));
}
