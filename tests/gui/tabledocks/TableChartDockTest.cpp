// The "Tabular Data" and "Chart" docks: they show the data of the object selected alone,
// plot it, follow edits, say "No Data" otherwise, and follow the material library.

#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/GraphDockingView.h>
#include <mainwindow/MainWindow.h>
#include <selection/SelectionModification.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/HangGuard.h>
#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmgph/ChartFilterGUI.h>
#include <pmgph/EditorCoreData.h>
#include <pmgph/TabularFilterGUI.h>
#include <pmgph/qPelmoraTableModel.h>
#include <pmmat/MaterialApplication.h>


#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QHeaderView>
#include <QImage>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

QT_CHARTS_USE_NAMESPACE

namespace {

// A material curve: data only for the elastic property "E".
class MaterialCurve : public Obj::ProjectObject
{
public:
    std::shared_ptr<const pmGph::EditorCoreData> get_editor_core_data(int type, const char* name) const override
    {
        if (type != pmMat::MAT_PROPERTY_ELASTIC || std::string(name ? name : "") != "E")
            return nullptr;
        auto data = std::make_shared<pmGph::EditorCoreData>();
        data->list = {"Temperature", "E"};
        data->values = {{20.0, 210.0}, {100.0, 200.0}, {300.0, 185.0}};
        return data;
    }
};

class TableChartDocks : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerGuiTypes();
        startApplication();
        matApp::Application::create();
        window = std::make_unique<Gui::MainWindow>();
        Gui::DockingWindowItems layout;
        layout.add_docking_widget("Std_TableView", Qt::RightDockWidgetArea, true, false);
        layout.add_docking_widget("Std_GraphView", Qt::RightDockWidgetArea, true, false);
        Gui::DockingWindowMediator::instance()->setup(&layout);
        window->resize(1000, 700);
        window->show();
        table = window->findChild<Gui::DockWindow::TableDockingView*>();
        chart = window->findChild<Gui::DockWindow::GraphDockingView*>();
        ASSERT_NE(table, nullptr);
        ASSERT_NE(chart, nullptr);
    }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Gui::SimModuleController::destruct();
        matApp::Application::destruct();
        app.reset();
        logic.reset();
    }

    static QString titleOf(QWidget* panel)
    {
        auto* dock = qobject_cast<QDockWidget*>(panel->parentWidget());
        return dock ? dock->windowTitle() : QStringLiteral("(no dock)");
    }
    QString tableTitle() const { return titleOf(table); }
    QString chartTitle() const { return titleOf(chart); }
    pmGph::qPelmoraTableModel* model() const { return table->getTableModel(); }
    QLineSeries* series() const
    {
        const QList<QAbstractSeries*> all = chart->getChartGUI()->chart()->series();
        return all.size() == 1 ? qobject_cast<QLineSeries*>(all.front()) : nullptr;
    }

    // A project holding a sphere read from a model file.
    Obj::ProjectObject* openBall(const char* name)
    {
        const std::string file = QDir(dir.path()).filePath(QString::fromLatin1(name) + ".stl").toStdString();
        EXPECT_TRUE(PelmoraTest::writeSphereFile(file, 5.0));
        Obj::Project* project = logic->app().open_model_file(file);
        return project->get_objects().front();
    }

    static void select(Obj::ProjectObject* object)
    {
        Gui::TreeSelectionSingleton& tree = Gui::TreeSelectionSingleton::instance();
        tree.clear_all_selections();
        tree.set_selection(object->get_project()->get_name(), {object});
    }

    QTemporaryDir dir;
    Gui::DockWindow::TableDockingView* table = nullptr;
    Gui::DockWindow::GraphDockingView* chart = nullptr;
};

} // namespace

TEST_F(TableChartDocks, TheObjectSelectedAloneIsListedAndPlottedOtherwiseNoData)
{
    Obj::ProjectObject* ball = openBall("ball");
    select(ball);
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: ball"));
    EXPECT_EQ(chartTitle(), QStringLiteral("Chart: ball"));
    ASSERT_EQ(model()->columnCount(), 2);
    ASSERT_EQ(model()->rowCount(), 10);
    EXPECT_EQ(model()->headerData(0, Qt::Horizontal).toString(), "Height");
    EXPECT_EQ(table->getSubTableModel()->stringList(), (QStringList{"Height", "Surface area"}));
    // The bands cover the sphere from bottom to top and add up to its surface.
    double total = 0.0;
    for (int row = 0; row < 10; ++row)
        total += model()->data(model()->index(row, 1), Qt::EditRole).toDouble();
    EXPECT_NEAR(total, 4 * 3.14159265 * 25, 25.0);
    EXPECT_LT(model()->data(model()->index(0, 0), Qt::EditRole).toDouble(), -4.0);

    // The chart plots the table, and follows an edit; a text that is no number is refused.
    QLineSeries* line = series();
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->count(), 10);
    EXPECT_DOUBLE_EQ(line->at(3).y(), model()->data(model()->index(3, 1), Qt::EditRole).toDouble());
    EXPECT_TRUE(model()->setData(model()->index(3, 1), QStringLiteral("12.5")));
    ASSERT_NE(series(), nullptr);
    EXPECT_DOUBLE_EQ(series()->at(3).y(), 12.5);
    EXPECT_FALSE(model()->setData(model()->index(3, 1), QStringLiteral("twelve")));
    EXPECT_FALSE(model()->setData(model()->index(3, 1), QStringLiteral("nan")));
    EXPECT_DOUBLE_EQ(series()->at(3).y(), 12.5);

    // The curve is drawn: pixels of the line's colour in the chart, once the chart has
    // laid out the edited series.
    const QColor lineColour = series()->color();
    const auto drawn = [&] {
        const QImage picture = chart->getChartGUI()->grab().toImage();
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                n += picture.pixelColor(x, y) == lineColour;
        return n;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return drawn() > 20; }, PelmoraTest::HangGuardMs)) << drawn();

    // Pre-selection changes nothing; a second object makes it no data, and empties the table.
    Gui::SelectionModification hover(Gui::SelectionModification::SetPreselect, 0, "ball", 1, "", 0, 0, 0);
    table->on_selection_modified(hover);
    chart->on_selection_modified(hover);
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: ball"));
    Obj::ProjectObject* other = ball->get_project()->add_object("Obj::ProjectObjectGroup", "Group");
    Gui::TreeSelectionSingleton::instance().add_selection(ball->get_project()->get_name(), other->getObjectId(), nullptr);
    table->on_selection_modified(Gui::SelectionModification(Gui::SelectionModification::AddSelection, 0,
                                                            ball->get_project()->get_name(), other->getObjectId(),
                                                            "", 0, 0, 0));
    chart->on_selection_modified(Gui::SelectionModification(Gui::SelectionModification::AddSelection, 0,
                                                            ball->get_project()->get_name(), other->getObjectId(),
                                                            "", 0, 0, 0));
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: No Data"));
    EXPECT_EQ(chartTitle(), QStringLiteral("Chart: No Data"));
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_TRUE(chart->getChartGUI()->chart()->series().isEmpty());

    // An object without data, alone: no data.  A whole project alone: nothing changes.
    select(other);
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: No Data"));
    select(ball);
    table->disconnect_selection();
    chart->disconnect_selection();
    Gui::TreeSelectionSingleton& tree = Gui::TreeSelectionSingleton::instance();
    tree.clear_all_selections();
    tree.set_project_selection(ball->get_project()->get_name(), ball->get_project());
    ASSERT_EQ(tree.size(), 1u);
    const Gui::SelectionModification wholeProject(Gui::SelectionModification::SetSelection, 0,
                                                  ball->get_project()->get_name(), 0, "", 0, 0, 0);
    table->on_selection_modified(wholeProject);
    chart->on_selection_modified(wholeProject);
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: ball"));
    EXPECT_EQ(chartTitle(), QStringLiteral("Chart: ball"));
}

TEST_F(TableChartDocks, MaterialUpdatesShowThePropertyOrNoData)
{
    Obj::Project* materials = logic->app().create_project("Materials", "Materials");
    materials->kind = 2;
    Obj::ProjectObject* steel = materials->add_object(std::make_unique<MaterialCurve>(), "Steel");
    ASSERT_NE(steel, nullptr);
    auto& signal = matApp::Application::instance()->signal_update_table_chart;

    signal(steel->getObjectId(), pmMat::SEPARATOR_TABLE, pmMat::MAT_PROPERTY_ELASTIC, "E");
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: Steel [E]"));
    EXPECT_EQ(chartTitle(), QStringLiteral("Chart: Steel [E]"));
    ASSERT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(model()->headerData(1, Qt::Horizontal).toString(), "E");
    ASSERT_NE(series(), nullptr);
    EXPECT_DOUBLE_EQ(series()->at(2).x(), 300.0);

    // Unknown objects change nothing; a property without data and the no-data layout do.
    signal(9999, pmMat::SEPARATOR_TABLE, pmMat::MAT_PROPERTY_ELASTIC, "E");
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: Steel [E]"));
    signal(steel->getObjectId(), pmMat::SEPARATOR_TABLE, pmMat::MAT_PROPERTY_THERMAL, "k");
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: No Data"));
    EXPECT_EQ(model()->rowCount(), 0);
    signal(steel->getObjectId(), pmMat::SEPARATOR_TABLE, pmMat::MAT_PROPERTY_ELASTIC, "E");
    signal(steel->getObjectId(), pmMat::SEPARATOR_NO_DATA, pmMat::MAT_PROPERTY_ELASTIC, "E");
    EXPECT_EQ(chartTitle(), QStringLiteral("Chart: No Data"));

    // With two material projects the update is not theirs to follow.
    logic->app().create_project("More", "More")->kind = 2;
    signal(steel->getObjectId(), pmMat::SEPARATOR_TABLE, pmMat::MAT_PROPERTY_ELASTIC, "E");
    EXPECT_EQ(tableTitle(), QStringLiteral("Table: No Data"));
}
