// A colour table of a million entries, which one short line of a colour file makes: the
// colours panel shows it at once, and every project that shows it shares its entries.

#include <support/OwnMemory.h>
#include <support/WorkCount.h>

#include <colors/qVizColorsModuleWidget.h>

#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLScene.h>
#include <qmrml/qMRMLColorTableComboBox.h>
#include <qmrml/qMRMLColorTableView.h>

#include <vtkLookupTable.h>
#include <vtkNew.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using PelmoraTest::statusKiB;

// Scene nodes of a colour file, as the colour logic makes them for each project's scene.
vtkMRMLColorTableNode* loaded(vtkMRMLColorLogic* logic, vtkMRMLScene* scene, const QString& file)
{
    logic->SetMRMLScene(scene);
    auto* node = vtkMRMLColorTableNode::SafeDownCast(logic->LoadColorFile(QFile::encodeName(file).constData()));
    logic->SetMRMLScene(nullptr);
    return node;
}

} // namespace

TEST(ColorTableSize, AMillionEntriesAreShownAtOnceAndSharedByEveryScene)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("big table.txt");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("1000000 x 0 0 0 255\n");
    }
    vtkNew<vtkMRMLColorLogic> logic;
    vtkNew<vtkMRMLScene> first;
    vtkMRMLColorTableNode* table = loaded(logic, first, file);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->GetNumberOfColors(), 1000001);

    // A second and a third project showing the same file cost next to nothing more.
    vtkNew<vtkMRMLScene> second;
    vtkNew<vtkMRMLScene> third;
    const long before = statusKiB("VmRSS");
    vtkMRMLColorTableNode* again = loaded(logic, second, file);
    vtkMRMLColorTableNode* thrice = loaded(logic, third, file);
    const long growth = statusKiB("VmRSS") - before;
    ASSERT_NE(again, nullptr);
    ASSERT_NE(thrice, nullptr);
    EXPECT_LT(growth, 4 * 1024) << growth << " KiB for two more scenes";
    std::printf("two more scenes showing a 1,000,001-entry table: %ld KiB\n", growth);
    EXPECT_EQ(again->GetNumberOfColors(), 1000001);
    EXPECT_STREQ(again->GetColorName(1000000), "x");

    // Each scene's table stays its own: changing one leaves the others as read.
    thrice->SetColor(1000000, "y", 1, 0, 0);
    EXPECT_STREQ(again->GetColorName(1000000), "x");
    double rgba[4];
    again->GetColor(1000000, rgba);
    EXPECT_EQ(rgba[0], 0);
    thrice->SetNumberOfColors(3);
    EXPECT_EQ(again->GetNumberOfColors(), 1000001);

    // Chosen in the colours panel, as a user chooses it.
    qVizColorsModuleWidget panel;
    panel.setMRMLScene(first);
    panel.resize(400, 800);
    panel.show();
    QApplication::processEvents();
    auto* combo = panel.findChild<qMRMLColorTableComboBox*>(QStringLiteral("ColorTableComboBox"));
    auto* view = panel.findChild<qMRMLColorTableView*>(QStringLiteral("ColorView"));
    auto* hide = panel.findChild<QCheckBox*>(QStringLiteral("HideInvalidColorsCheckBox"));
    ASSERT_TRUE(combo && view && hide);
    // The panel's own work, counted in allocations: about one an entry (its name); an item
    // made for each entry, with its texts and colour, would be several.
    PelmoraTest::WorkMeter meter;
    combo->setCurrentNode(table);
    QApplication::processEvents();
    const PelmoraTest::Work shown = meter.elapsed();
    std::printf("choosing a 1,000,001-entry table in the colours panel: %s\n", PelmoraTest::describe(shown).c_str());
    if (PelmoraTest::workCounted()) {
        EXPECT_LT(shown.allocations, 2000000u) << PelmoraTest::describe(shown);
    }
    ASSERT_EQ(view->model()->rowCount(), 1000001);
    EXPECT_EQ(view->model()->index(1000000, 1).data().toString(), QStringLiteral("x"));
    EXPECT_EQ(panel.findChild<QSpinBox*>(QStringLiteral("NumberOfColorsSpinBox"))->value(), 1000001);

    meter.start();
    hide->setChecked(true);
    QApplication::processEvents();
    const PelmoraTest::Work hidden = meter.elapsed();
    std::printf("hiding its unnamed entries: %s\n", PelmoraTest::describe(hidden).c_str());
    if (PelmoraTest::workCounted()) {
        EXPECT_LT(hidden.allocations, 100000u) << PelmoraTest::describe(hidden);
    }
    ASSERT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(view->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1000000"));
    EXPECT_EQ(view->colorIndex(0), 1000000);
    hide->setChecked(false);
    EXPECT_EQ(view->model()->rowCount(), 1000001);
}
