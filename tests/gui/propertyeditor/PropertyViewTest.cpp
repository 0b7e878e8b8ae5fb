// The dock and its trees: following the tree selection, merging the selection's
// properties by name and type, single-row refreshes, edits made in the row editors, and
// the panel of the main window following a click in the project tree.

#include "PropertyEditorTestSupport.h"
#include <support/HangGuard.h>

#include <commands/SimModule.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/SelectionEntryList.h>
#include <selection/SelectionModification.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>
#include <visualization/ViewFeeder.h>

#include <femgui/FemGui.h>
#include <obj/CDocObjProp.h>
#include <obj/ObjectTable.h>
#include <obj/PropertyPath.h>

#include <support/StepCount.h>
#include <support/WorkCount.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Gui::PropertyOperator;

namespace {

class ViewTest : public PropertyEditorTest::Fixture
{
protected:
    ViewTest()
    {
        static const bool registered = [] {
            Obj::Application::init_types();
            Gui::qPelmoraApplication::initialize_application();
            return true;
        }();
        (void)registered;
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        // Made after the GUI so that every object has its view feeder.
        q = logic.app().create_project("Q");
        x = q->add_object("Obj::ProjectObject", "X");
        y = q->add_object("Obj::ProjectObject", "Y");
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        view = std::make_unique<Gui::PropertyView>();
        clearJournal();
    }
    ~ViewTest() override
    {
        view.reset();
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The names of the top-level rows, group rows included.
    static QStringList rows(PropertyOperator* tree)
    {
        QStringList out;
        PropertyModel* m = tree->propertyModel();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, 0)).toString();
        return out;
    }
public:
    static QModelIndex valueCellOf(PropertyOperator* tree, const char* name) { return valueCell(tree, name); }

protected:
    static QModelIndex valueCell(PropertyOperator* tree, const char* name)
    {
        PropertyModel* m = tree->propertyModel();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->data(m->index(r, 0)).toString() == QLatin1String(name))
                return m->index(r, 1);
        }
        return {};
    }
    static std::size_t boundCount(PropertyOperator* tree, const char* name)
    {
        const QModelIndex cell = valueCell(tree, name);
        return cell.isValid() ? static_cast<PropertyItem*>(cell.internalPointer())->get_property_data().size() : 0;
    }
    void select(const std::vector<Obj::ProjectObject*>& objects)
    {
        Gui::TreeSelectionSingleton::instance().set_selection("Q", objects);
    }
    Gui::ViewFeeder* feeder(Obj::ProjectObject* o) { return app->get_view_feeder(o); }
    std::string line(int code, const Obj::ProjectObject* o, const std::string& name, const std::string& value)
    {
        return "runCommand " + std::to_string(code) + " Q|" + std::to_string(o->getObjectId()) + "|" + name + "|"
            + value;
    }

    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::PropertyView> view;
    Obj::Project* q = nullptr;
    Obj::ProjectObject* x = nullptr;
    Obj::ProjectObject* y = nullptr;
};

} // namespace

TEST_F(ViewTest, TheTabsFollowTheSelectionWithThePropertiesCommonByNameAndType)
{
    // Warnings only: the model answers an invalid index as selectable and enabled.
    QAbstractItemModelTester tester(view->dataTree()->propertyModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    add<Obj::PropertyDecimal>(x, "Length", "Geometry");
    add<Obj::PropertyDecimal>(y, "Length", "Geometry");
    add<Obj::PropertyDecimal>(y, "Depth", "Geometry");
    add<Obj::PropertyString>(x, "Note", "Output");
    add<Obj::PropertyInteger>(y, "Note", "Output");   // same name, other type
    add<Obj::PropertyString>(x, "OnlyX", "Output");
    add<Obj::PropertyDecimal>(x, "Depth", "Geometry");   // listed in another order than by y
    add<Obj::PropertyDecimal>(feeder(x), "Opacity", "Visibility");
    add<Obj::PropertyDecimal>(feeder(y), "Opacity", "Visibility");
    add<Obj::PropertyBoolean>(feeder(x), "Lines", "Visibility");

    select({x});
    EXPECT_EQ(rows(view->dataTree()).join(',').toStdString(),
              "Geometry,Length,Depth,Output,Note,OnlyX,UnknownGroup,Label,Visibility");
    QStringList feederRows = rows(view->viewTree());
    feederRows.sort();   // the feeder's table is a hash map
    EXPECT_EQ(feederRows.join(',').toStdString(), "Lines,Opacity,Visibility");

    select({x, y});
    EXPECT_EQ(rows(view->dataTree()).join(',').toStdString(), "Geometry,Length,Depth,UnknownGroup,Label,Visibility");
    EXPECT_EQ(boundCount(view->dataTree(), "Length"), 2u);
    EXPECT_EQ(boundCount(view->dataTree(), "Depth"), 2u);
    EXPECT_EQ(rows(view->viewTree()).join(',').toStdString(), "Visibility,Opacity");

    // Pre-selection changes nothing.
    view->on_selection_modified(
        Gui::SelectionModification(Gui::SelectionModification::SetPreselect, 0, "Q", x->getObjectId(), ""));
    EXPECT_EQ(boundCount(view->dataTree(), "Length"), 2u);

    // A whole project: its own properties, no feeder tab.
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    EXPECT_EQ(view->dataTree()->propertyModel()->rowCount(), 0);
    Gui::TreeSelectionSingleton::instance().set_project_selection("Q", q);
    EXPECT_TRUE(rows(view->dataTree()).contains("Label"));
    EXPECT_EQ(view->viewTree()->propertyModel()->rowCount(), 0);
}

QStringList debugLines;

TEST_F(ViewTest, TheDockTitleNamesTheOneSelectedObject)
{
    Gui::DockWindow::PropertyDockingView dock(nullptr, nullptr);
    EXPECT_EQ(dock.windowTitle(), "Properties");
    x->set_label("Beam");
    debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { debugLines << text; });
    select({x});
    select({x, y});   // several, the named one among them: the title stays
    Gui::TreeSelectionSingleton::instance().clear_all_selections();   // nothing selected: named no more
    Gui::TreeSelectionSingleton::instance().set_project_selection("Q", q);
    qInstallMessageHandler(previous);
    EXPECT_EQ(debugLines, (QStringList{"[Debug] Properties of \"Beam\"", "[Debug] Properties",
                                       "[Debug] Properties of \"Q\""}));
}

TEST_F(ViewTest, AnEditInTheRowEditorGoesToTheLogicAndComesBackIntoTheRow)
{
    auto* nx = add<Obj::PropertyString>(x, "Name", "Definition");
    auto* ny = add<Obj::PropertyString>(y, "Name", "Definition");
    select({x, y});
    PropertyOperator* tree = view->dataTree();
    const QModelIndex cell = valueCell(tree, "Name");
    ASSERT_TRUE(cell.isValid());
    // Making the row current opens its editor on the value cell.
    tree->setCurrentIndex(cell.sibling(cell.row(), 0));
    auto* editor = qobject_cast<QLineEdit*>(tree->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isEnabled());

    editor->setText("web");   // every change commits at once
    std::vector<std::string> sent = commands();
    std::sort(sent.begin(), sent.end());   // the selection keeps no particular order here
    EXPECT_EQ(sent, (std::vector<std::string>{line(41, x, "Name", "web"), line(41, y, "Name", "web")}));
    EXPECT_STREQ(nx->get_value(), "web");
    EXPECT_STREQ(ny->get_value(), "web");
    EXPECT_EQ(tree->propertyModel()->data(cell).toString(), "web");

    // Moving to another row closes the editor.
    tree->setCurrentIndex(tree->propertyModel()->index(0, 0));
    EXPECT_EQ(tree->indexWidget(cell), nullptr);
}

TEST_F(ViewTest, AReadOnlyRowHasADisabledEditorAndSendsNothing)
{
    auto* locked = add<Obj::PropertyString>(x, "Locked", "Definition");
    locked->set_object_status(Obj::Property::ReadOnly, true);
    select({x});
    PropertyOperator* tree = view->dataTree();
    const QModelIndex cell = valueCell(tree, "Locked");
    ASSERT_TRUE(cell.isValid());
    tree->setCurrentIndex(cell);
    auto* editor = qobject_cast<QLineEdit*>(tree->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isEnabled());
    editor->setText("changed");
    EXPECT_TRUE(commands().empty());
    EXPECT_STREQ(locked->get_value(), "");

    // Clearing the bit enables the open editor again; hiding the property hides its row.
    locked->set_object_status(Obj::Property::ReadOnly, false);
    EXPECT_TRUE(editor->isEnabled());
    locked->set_object_status(Obj::Property::Hidden, true);
    EXPECT_TRUE(tree->isRowHidden(cell.row(), QModelIndex()));
}

TEST_F(ViewTest, ChangesRefreshOneRowInTheirOwnTab)
{
    auto* length = add<Obj::PropertyDecimal>(x, "Length", "Geometry");
    auto* opacity = add<Obj::PropertyDecimal>(feeder(x), "Opacity", "Visibility");
    select({x});
    PropertyModel* data = view->dataTree()->propertyModel();
    PropertyModel* shown = view->viewTree()->propertyModel();
    QSignalSpy dataChanged(data, &QAbstractItemModel::dataChanged);
    QSignalSpy dataReset(data, &QAbstractItemModel::modelReset);
    QSignalSpy viewChanged(shown, &QAbstractItemModel::dataChanged);
    QSignalSpy viewReset(shown, &QAbstractItemModel::modelReset);

    opacity->set_value(0.25);
    ASSERT_EQ(viewChanged.size(), 1);
    EXPECT_EQ(viewChanged.at(0).at(0).toModelIndex(), valueCell(view->viewTree(), "Opacity"));
    EXPECT_EQ(dataChanged.size(), 0);

    length->set_value(3.0);
    ASSERT_EQ(dataChanged.size(), 1);
    EXPECT_EQ(dataChanged.at(0).at(0).toModelIndex(), valueCell(view->dataTree(), "Length"));
    EXPECT_EQ(viewChanged.size(), 1);
    EXPECT_EQ(dataReset.size() + viewReset.size(), 0);
}

TEST_F(ViewTest, APropertyRecordWithSeveralObjectsSelectedRebuildsFromTheWholeSelection)
{
    add<Obj::PropertyDecimal>(x, "Length", "Geometry");
    add<Obj::PropertyDecimal>(y, "Length", "Geometry");
    add<Obj::PropertyString>(x, "OnlyX", "Geometry");
    select({x, y});
    const QStringList before = rows(view->dataTree());

    Gui::TreeSelectionSingleton::instance().property_signal(Obj::CDocObjProp("Q", x->getObjectId()));
    EXPECT_EQ(rows(view->dataTree()), before);
    EXPECT_EQ(boundCount(view->dataTree(), "Length"), 2u);

    // One object selected: its rows are rebuilt from it; an unknown project is ignored, and
    // a record about an object that is not selected shows that object's rows nowhere.
    select({x});
    add<Obj::PropertyString>(x, "Later", "Geometry");
    Gui::TreeSelectionSingleton::instance().property_signal(Obj::CDocObjProp("nope", 1));
    EXPECT_FALSE(rows(view->dataTree()).contains("Later"));
    Gui::TreeSelectionSingleton::instance().property_signal(Obj::CDocObjProp("Q", x->getObjectId()));
    EXPECT_TRUE(rows(view->dataTree()).contains("Later"));
    Gui::TreeSelectionSingleton::instance().property_signal(Obj::CDocObjProp("Q", y->getObjectId()));
    EXPECT_TRUE(rows(view->dataTree()).contains("OnlyX"));
    EXPECT_EQ(boundCount(view->dataTree(), "Length"), 1u);
}

TEST_F(ViewTest, ARebuildArrivingDuringACommitIsCarriedOutOnceAfterItWithTheLastList)
{
    auto* name = add<Obj::PropertyString>(x, "Name", "Definition");
    auto* other = add<Obj::PropertyString>(y, "Other", "Output");
    select({x});
    PropertyOperator* tree = view->dataTree();
    QSignalSpy resets(tree->propertyModel(), &QAbstractItemModel::modelReset);
    boost::signals2::scoped_connection during = logic.app().signal_change_property.connect(
        [&](const Obj::ProjectObject&, const Obj::Property&) {
            tree->buildUp({{"Name", {name}}});
            tree->buildUp({{"Other", {other}}});
            EXPECT_EQ(resets.size(), 0);   // not while the edit is committed
        });
    const QModelIndex cell = valueCell(tree, "Name");
    tree->setCurrentIndex(cell);
    auto* editor = qobject_cast<QLineEdit*>(tree->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText("v");
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(rows(tree).join(',').toStdString(), "Output,Other");
}

TEST_F(ViewTest, ObjectsRemovedOrAProjectClosedWhileShownWithEditorsOpenLeaveNoRowBehind)
{
    add<Obj::PropertyString>(x, "Name", "Definition");
    add<Obj::PropertyString>(y, "Name", "Definition");
    add<Obj::PropertyDecimal>(feeder(x), "Opacity", "Visibility");
    add<Obj::PropertyDecimal>(feeder(y), "Opacity", "Visibility");
    select({x, y});
    PropertyOperator* data = view->dataTree();
    PropertyOperator* shown = view->viewTree();
    data->setCurrentIndex(valueCell(data, "Name"));
    shown->setCurrentIndex(valueCell(shown, "Opacity"));
    ASSERT_NE(data->indexWidget(valueCell(data, "Name")), nullptr);

    q->remove_object(x->getObjectId());
    data->grab();
    shown->grab();
    EXPECT_TRUE(QTest::qWaitFor([&] { return boundCount(data, "Name") == 1; }, PelmoraTest::HangGuardMs));
    EXPECT_EQ(boundCount(shown, "Opacity"), 1u);
    data->grab();
    shown->grab();
    const QModelIndex cell = valueCell(data, "Name");
    data->setCurrentIndex(cell);
    auto* editor = qobject_cast<QLineEdit*>(data->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText("kept");
    EXPECT_EQ(commands(), std::vector<std::string>{line(41, y, "Name", "kept")});

    // Selected under the project's earlier name.
    logic.app().rename_project("Q", "R");
    logic.app().close_project("R");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(data->propertyModel()->rowCount(), 0);
    EXPECT_EQ(shown->propertyModel()->rowCount(), 0);
    data->grab();
    shown->grab();
}

TEST_F(ViewTest, AnotherRowThatAnEditChangesIsRefreshedButTheEditedOneKeepsItsEditor)
{
    auto* length = add<Obj::PropertyDecimal>(x, "Length", "Geometry");
    auto* volume = add<Obj::PropertyDecimal>(x, "Volume", "Geometry");
    select({x});
    PropertyOperator* data = view->dataTree();
    // The logic derives one value from the other.
    boost::signals2::scoped_connection derive = logic.app().signal_change_property.connect(
        [&](const Obj::ProjectObject&, const Obj::Property& p) {
            if (&p == length)
                volume->set_value(2 * length->get_value());
        });
    const QModelIndex cell = valueCell(data, "Length");
    data->setCurrentIndex(cell);
    auto* editor = qobject_cast<QDoubleSpinBox*>(data->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    QSignalSpy refreshed(data->propertyModel(), &QAbstractItemModel::dataChanged);
    editor->setValue(3.0);
    EXPECT_DOUBLE_EQ(volume->get_value(), 6.0);
    ASSERT_EQ(refreshed.size(), 1);
    EXPECT_EQ(refreshed.at(0).at(0).toModelIndex(), valueCell(data, "Volume"));
    EXPECT_EQ(data->indexWidget(cell), editor);
}

TEST_F(ViewTest, AnEditWhoseCommandRemovesAnotherSelectedObjectWritesTheRestAndReportsTheGoneOne)
{
    add<Obj::PropertyString>(x, "Name", "Definition");
    add<Obj::PropertyString>(y, "Name", "Definition");
    select({x, y});
    PropertyOperator* data = view->dataTree();
    const QModelIndex cell = valueCell(data, "Name");
    data->setCurrentIndex(cell);
    auto* editor = qobject_cast<QLineEdit*>(data->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    // Whichever object is written first takes the other one with it.
    boost::signals2::scoped_connection cascade = logic.app().signal_change_property.connect(
        [&](const Obj::ProjectObject& changed, const Obj::Property&) {
            Obj::ProjectObject* other = &changed == x ? y : x;
            if (other && q->get_object(other->getObjectId())) {
                const unsigned int id = other->getObjectId();
                (other == x ? x : y) = nullptr;
                q->remove_object(id);
            }
        });
    editor->setText("one");
    cascade.disconnect();
    EXPECT_EQ(commands().size(), 2u);   // the second one names an object that is gone, and fails
    EXPECT_TRUE(QTest::qWaitFor([&] { return boundCount(data, "Name") == 1; }, PelmoraTest::HangGuardMs));
    data->grab();
}

TEST_F(ViewTest, LeavingAnEditorTheUserDidNotChangeWritesNothing)
{
    // Values that the editors cannot show as they are: rounded to the row's decimals,
    // beyond the spin boxes' ranges.
    auto* small = add<Obj::PropertyDecimal>(x, "Small", "Definition");
    auto* big = add<Obj::PropertyDecimal>(x, "Big", "Definition");
    auto* wide = add<Obj::PropertyInteger>(x, "Wide", "Definition");
    auto* folder = add<Obj::PropertyDirectory>(x, "Folder", "Definition");
    small->set_value(1.5e-7);
    big->set_value(1e300);
    wide->set_value(3000000000L);
    select({x});
    PropertyOperator* tree = view->dataTree();
    auto leave = [&](const char* row) {
        const QModelIndex cell = valueCell(tree, row);
        tree->setCurrentIndex(cell);
        QWidget* editor = tree->indexWidget(cell);
        EXPECT_NE(editor, nullptr) << row;
        if (!editor)
            return editor;
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(editor, &out);
        return editor;
    };
    for (const char* row : {"Small", "Big", "Wide", "Folder"})
        leave(row);
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(small->get_value(), 1.5e-7);
    EXPECT_EQ(big->get_value(), 1e300);
    EXPECT_EQ(wide->get_value(), 3000000000L);

    // What the user typed is written when the editor is left, once.
    const QModelIndex cell = valueCell(tree, "Folder");
    tree->setCurrentIndex(cell);
    auto* chooser = qobject_cast<Gui::FileChooser*>(tree->indexWidget(cell));
    ASSERT_NE(chooser, nullptr);
    chooser->findChild<QLineEdit*>()->setText("/tmp/typed");
    EXPECT_TRUE(commands().empty());
    leave("Folder");
    leave("Folder");
    EXPECT_EQ(commands(), std::vector<std::string>{line(41, x, "Folder", "\"/tmp/typed\"")});
    EXPECT_EQ(folder->get_value(), "/tmp/typed");
}

TEST_F(ViewTest, RemovingManySelectedObjectsCostsInProportionToThem)
{
    // The work of removing all but one of `count` selected objects, each with thirty rows:
    // allocations, properties bound to rows or let go of (which see rows rebuilt from the
    // rest of the selection after every removal however little that allocates), and
    // selection entries reached (which see a walk of the whole selection for each one).
    int made = 0;
    std::uint64_t bound[2] = {0, 0};
    std::uint64_t entries[2] = {0, 0};
    std::uint64_t slots[2] = {0, 0};
    const auto removing = [&](std::size_t count) {
        std::vector<Obj::ProjectObject*> many;
        for (std::size_t i = 0; i < count; ++i) {
            auto* o = q->add_object("Obj::ProjectObject", ("M" + std::to_string(made++)).c_str());
            for (int k = 0; k < 30; ++k)
                add<Obj::PropertyDecimal>(o, ("P" + std::to_string(k)).c_str(), "Geometry");
            many.push_back(o);
        }
        select(many);
        EXPECT_EQ(boundCount(view->dataTree(), "P0"), count);
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&Gui::PropertyOperator::PropertyModel::propertiesBound);
        PelmoraTest::StepMeter reached(&Gui::SelectionEntryList::entriesVisited);
        PelmoraTest::StepMeter found(
            [] { return Obj::ObjectTable::slotsVisited() + Gui::GuiProject::feederEntriesVisited(); });
        for (std::size_t i = 0; i + 1 < count; ++i)
            q->remove_object(many[i]->getObjectId());
        const PelmoraTest::Work work = meter.elapsed();
        EXPECT_TRUE(QTest::qWaitFor([&] { return boundCount(view->dataTree(), "P0") == 1; }, PelmoraTest::HangGuardMs));
        bound[count > 250] = stepped.elapsed();
        entries[count > 250] = reached.elapsed();
        slots[count > 250] = found.elapsed();
        return work;
    };
    const PelmoraTest::Work few = removing(250);
    const PelmoraTest::Work many = removing(1000);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(bound[0], bound[1], 5)) << "properties bound, for 250 and 1,000 objects";
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(entries[0], entries[1], 5)) << "selection entries, for 250 and 1,000 objects";
    // Each object removed and its feeder are found in the project's tables, not by a walk
    // over its objects or its feeders.
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(slots[0], slots[1], 5))
        << "object table slots and feeder entries, for 250 and 1,000 objects";
    if (!PelmoraTest::workCounted())
        return;
    // Rebuilding from the rest of the selection after each removal makes four times the
    // objects sixteen times the work.
    EXPECT_GT(few.allocations, 250u);
    EXPECT_LT(many.allocations, 5 * few.allocations)
        << PelmoraTest::describe(few) << " for 250 objects, " << PelmoraTest::describe(many) << " for 1,000";
    EXPECT_LT(many.bytes, 5 * few.bytes)
        << PelmoraTest::describe(few) << " for 250 objects, " << PelmoraTest::describe(many) << " for 1,000";
}

namespace {

// The application as it runs: the main window with its project tree and property panels.
class DockInWindowTest : public PropertyEditorTest::Fixture
{
protected:
    DockInWindowTest()
    {
        Obj::Application::init_types();
        if (!Gui::qPelmoraApplication::types_initialized())
            Gui::qPelmoraApplication::initialize_application();
        static const bool moduleTypes = [] {
            FemGui::initModule();   // the project feeders that the host's module library brings
            return true;
        }();
        (void)moduleTypes;
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        window = std::make_unique<Gui::MainWindow>();
        q = logic.app().create_project("Q");
        x = q->add_object("Obj::ProjectObject", "X");
        clearJournal();
    }
    ~DockInWindowTest() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        window.reset();
        Gui::SimModuleController::destruct();
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
    Obj::Project* q = nullptr;
    Obj::ProjectObject* x = nullptr;
};

} // namespace

TEST_F(DockInWindowTest, ClickingAnObjectInTheTreeShowsItsPropertiesAndAnEditComesBack)
{
    auto* size = add<Obj::PropertyDecimal>(x, "Size", "Geometry");
    auto* panel = qobject_cast<Gui::DockWindow::PropertyDockingView*>(
        Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView"));
    ASSERT_NE(panel, nullptr);
    QWidget* treePanel = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView");
    auto* tree = treePanel ? treePanel->findChild<Gui::TreeWidget*>() : nullptr;
    ASSERT_NE(tree, nullptr);
    Gui::ProjectItem* projectItem = tree->getProjectItem(app->get_project(q));
    ASSERT_NE(projectItem, nullptr);

    tree->setItemsSelected({projectItem->object_item(x->getObjectId())}, true);
    PropertyOperator* data = panel->propertyView()->dataTree();
    const QModelIndex cell = ViewTest::valueCellOf(data, "Size");
    ASSERT_TRUE(cell.isValid());

    data->setCurrentIndex(cell);
    auto* editor = qobject_cast<QDoubleSpinBox*>(data->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    QSignalSpy refreshed(data->propertyModel(), &QAbstractItemModel::dataChanged);
    editor->setValue(2.5);
    const int digits = static_cast<PropertyItem*>(cell.internalPointer())->decimals();
    EXPECT_EQ(commands(), std::vector<std::string>{"runCommand 41 Q|" + std::to_string(x->getObjectId()) + "|Size|"
                                                   + QString::number(2.5, 'f', digits).toStdString()});
    EXPECT_DOUBLE_EQ(size->get_value(), 2.5);
    // A change made elsewhere comes back into the row.
    size->set_value(4.0);
    EXPECT_EQ(refreshed.size(), 1);
    EXPECT_EQ(data->propertyModel()->data(cell).toString(), QLocale().toString(4.0, 'f', digits));
}
