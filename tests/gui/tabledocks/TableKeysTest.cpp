// The keyboard in the main window's Tabular Data table: the arrow keys move between the
// cells; Tab and Shift+Tab leave the table for the next or previous focus stop, from any
// cell, while a cell is edited (the typed value is taken), and with the table empty.

#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/SettleEvents.h>
#include <support/GuiSession.h>
#include <support/WindowFocus.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmgph/TabularFilterGUI.h>
#include <pmgph/qPelmoraTableModel.h>

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TableKeys : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        window->resize(1200, 900);
        auto* tabular = window->findChild<pmGph::TabularFilterGUI*>();
        ASSERT_NE(tabular, nullptr);
        table = tabular->tableView();
        for (QWidget* up = tabular; up; up = up->parentWidget())
            if (auto* dock = qobject_cast<QDockWidget*>(up)) {
                dock->show();
                dock->raise();
            }
        ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
    }
    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        closeSession();
    }

    static void settle()
    {
        PelmoraTest::settleWithDisplay();
    }
    bool inTable(QWidget* w) const { return w && (w == table || table->isAncestorOf(w)); }
    // A key as the keyboard gives it: to the widget that has the focus.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
        settle();
    }

    QTemporaryDir dir;
    QTableView* table = nullptr;
};

} // namespace

TEST_F(TableKeys, TabAndShiftTabLeaveTheTableAndArrowsMoveBetweenCells)
{
    enum class Way { OnTheCell, EditingTheCell };
    struct Key
    {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const std::vector<Key> keys{{"Tab", Qt::Key_Tab, Qt::NoModifier}, {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier}};

    for (bool withModel : {false, true}) {
        if (withModel) {
            const QString file = QDir(dir.path()).filePath(QStringLiteral("ball.stl"));
            ASSERT_TRUE(PelmoraTest::writeSphereFile(file.toStdString(), 5.0));
            app->open(file.toUtf8().constData(), "Geometry");
            Obj::Project* project = Obj::Application::instance().get_current_project();
            ASSERT_NE(project, nullptr);
            Gui::TreeSelectionSingleton::instance().set_selection(project->get_name(),
                                                                  {project->get_objects().front()});
            settle();
            ASSERT_GT(table->model()->rowCount(), 2) << "a selected model fills the table";
        }
        else {
            ASSERT_EQ(table->model()->rowCount(), 0);
        }
        const int rows = table->model()->rowCount();
        const int columns = table->model()->columnCount();
        struct Cell
        {
            const char* name;
            int row, column;
        };
        std::vector<Cell> cells;
        if (withModel)
            cells = {{"first", 0, 0}, {"middle", rows / 2, columns > 1 ? 1 : 0}, {"last", rows - 1, columns - 1}};
        else
            cells = {{"empty table", -1, -1}};

        for (const Cell& cell : cells)
            for (Way way : {Way::OnTheCell, Way::EditingTheCell})
                for (const Key& key : keys) {
                    if (!withModel && way == Way::EditingTheCell)
                        continue;
                    const std::string where = std::string(withModel ? "model selected, " : "nothing selected, ")
                                              + cell.name + (way == Way::EditingTheCell ? " cell edited, " : " cell, ")
                                              + key.name;
                    const QModelIndex index = table->model()->index(cell.row, cell.column);
                    table->setFocus(Qt::OtherFocusReason);
                    table->setCurrentIndex(index);
                    settle();
                    ASSERT_TRUE(inTable(QApplication::focusWidget())) << where;
                    if (way == Way::EditingTheCell) {
                        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_F2));
                        ASSERT_NE(QApplication::focusWidget(), table) << where << ": an editor opened";
                        ASSERT_TRUE(inTable(QApplication::focusWidget())) << where;
                        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_7));
                    }
                    ASSERT_NO_FATAL_FAILURE(press(key.key, key.modifiers));
                    QWidget* now = QApplication::focusWidget();
                    EXPECT_FALSE(inTable(now)) << where << ": the keyboard left the table";
                    EXPECT_TRUE(now && window->isAncestorOf(now)) << where << ": for a stop in the window";
                    EXPECT_EQ(table->currentIndex(), index) << where << ": no cell was stepped to";
                    if (way == Way::EditingTheCell) {
                        EXPECT_EQ(index.data().toDouble(), 7.0) << where << ": the typed value was taken";
                    }
                }

        if (!withModel)
            continue;
        // The arrow keys move between the cells and keep the keyboard in the table.
        table->setFocus(Qt::OtherFocusReason);
        table->setCurrentIndex(table->model()->index(0, 0));
        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Down));
        EXPECT_EQ(table->currentIndex(), table->model()->index(1, 0));
        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Right));
        EXPECT_EQ(table->currentIndex(), table->model()->index(1, 1));
        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Up));
        EXPECT_EQ(table->currentIndex(), table->model()->index(0, 1));
        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Left));
        EXPECT_EQ(table->currentIndex(), table->model()->index(0, 0));
        EXPECT_TRUE(inTable(QApplication::focusWidget()));
    }
}
