// The colour widgets: the table combo box follows the scene without choosing for the
// user, the table view hides unnamed entries, the range widget keeps its values in
// range, the collapsible button folds its contents, and the scalar bar controls reach
// the bar.

#include <ctk/ctkCollapsibleButton.h>
#include <ctk/ctkVTKScalarBarWidget.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <qmrml/qMRMLColorTableComboBox.h>
#include <qmrml/qMRMLColorTableView.h>
#include <qmrml/qMRMLRangeWidget.h>

#include <vtkNew.h>
#include <vtkScalarBarActor.h>
#include <vtkScalarBarWidget.h>

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <vector>

namespace {

vtkMRMLColorTableNode* addTable(vtkMRMLScene* scene, const char* name, int colors)
{
    vtkNew<vtkMRMLColorTableNode> table;
    table->SetTypeAndColors(vtkMRMLColorNode::Grey, colors);
    table->SetName(name);
    return vtkMRMLColorTableNode::SafeDownCast(scene->AddNode(table));
}

} // namespace

TEST(ColorTableComboBox, FollowsTheSceneAndLeavesTheChoiceToTheUser)
{
    vtkNew<vtkMRMLScene> scene;
    vtkMRMLColorTableNode* first = addTable(scene, "First", 2);
    vtkNew<vtkMRMLModelNode> model;
    scene->AddNode(model);

    qMRMLColorTableComboBox combo;
    std::vector<vtkMRMLNode*> changed;
    QObject::connect(&combo, &qMRMLColorTableComboBox::currentNodeChanged,
                     [&](vtkMRMLNode* node) { changed.push_back(node); });
    combo.setMRMLScene(scene);
    EXPECT_EQ(combo.count(), 1) << "colour nodes only";
    EXPECT_EQ(combo.currentNode(), nullptr);
    vtkMRMLColorTableNode* second = addTable(scene, "Second", 2);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentNode(), nullptr) << "a node added is not chosen";
    EXPECT_TRUE(changed.empty());

    combo.setCurrentNode(second);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.back(), second);
    combo.setCurrentNode(second);
    EXPECT_EQ(changed.size(), 1) << "no news, no signal";

    scene->RemoveNode(first);
    EXPECT_EQ(combo.currentNode(), second);
    scene->RemoveNode(second);
    EXPECT_EQ(combo.currentNode(), nullptr);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.back(), nullptr);
    EXPECT_EQ(combo.count(), 0);
}

TEST(ColorTableView, ShowsEveryEntryAndHidesUnnamedOnesOnRequest)
{
    vtkNew<vtkMRMLColorTableNode> table;
    table->SetNumberOfColors(3);
    table->SetColor(0, "air", 0, 0, 0);
    table->SetColor(2, "steel", 0.5, 0.5, 0.5);
    qMRMLColorTableView view;
    view.setMRMLColorNode(table);
    ASSERT_EQ(view.model()->rowCount(), 3);
    EXPECT_EQ(view.model()->index(2, 1).data().toString(), QStringLiteral("steel"));
    view.setShowOnlyNamedColors(true);
    // The unnamed entry is left out; each row's header keeps its colour's index.
    ASSERT_EQ(view.model()->rowCount(), 2);
    EXPECT_EQ(view.model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
    EXPECT_EQ(view.model()->index(1, 1).data().toString(), QStringLiteral("steel"));
    EXPECT_EQ(view.colorIndex(1), 2);
    table->SetNumberOfColors(4);
    EXPECT_EQ(view.model()->rowCount(), 2) << "follows the node: the new entry has no name";
    table->SetColor(3, "glass", 0, 0, 1);
    EXPECT_EQ(view.model()->rowCount(), 3);
    view.setShowOnlyNamedColors(false);
    EXPECT_EQ(view.model()->rowCount(), 4);
    view.setMRMLColorNode(nullptr);
    EXPECT_EQ(view.model()->rowCount(), 0);
}

TEST(RangeWidget, ValuesStayInTheRangeAndAreAnnouncedOnce)
{
    qMRMLRangeWidget range;
    range.setRange(-10, 110);
    QSignalSpy changed(&range, &qMRMLRangeWidget::valuesChanged);
    range.setValues(0, 100);
    ASSERT_EQ(changed.size(), 1);
    range.setValues(0, 100);
    EXPECT_EQ(changed.size(), 1);
    range.setValues(200, -50);
    EXPECT_DOUBLE_EQ(range.minimumValue(), -10);
    EXPECT_DOUBLE_EQ(range.maximumValue(), 110);
    range.setRange(0, 5);
    EXPECT_DOUBLE_EQ(range.maximumValue(), 5) << "a smaller range pulls the values in";
}

TEST(CollapsibleButton, FoldsItsContentsAndSaysSo)
{
    ctkCollapsibleButton button(QStringLiteral("Scalar Bar"));
    auto* layout = new QVBoxLayout(&button);
    auto* label = new QLabel(QStringLiteral("inside"), &button);
    layout->addWidget(label);
    button.show();
    EXPECT_TRUE(label->isVisible());
    const int expanded = button.sizeHint().height();
    QSignalSpy toggled(&button, &QAbstractButton::toggled);
    button.setCollapsed(true);
    EXPECT_FALSE(label->isVisible());
    ASSERT_EQ(toggled.size(), 1);
    EXPECT_FALSE(toggled.back().at(0).toBool());
    EXPECT_LT(button.sizeHint().height(), expanded);
    button.click();
    EXPECT_FALSE(button.collapsed());
    EXPECT_TRUE(label->isVisible());
}

TEST(ScalarBarControls, ReachTheBarAndNeedAnInteractorToShowIt)
{
    vtkNew<vtkScalarBarWidget> widget;
    ctkVTKScalarBarWidget controls;
    EXPECT_FALSE(controls.isEnabled());
    controls.setScalarBarWidget(widget);
    EXPECT_TRUE(controls.isEnabled());
    QSignalSpy modified(&controls, &ctkVTKScalarBarWidget::modified);
    controls.setTitle(QStringLiteral("Stress (MPa)"));
    EXPECT_STREQ(widget->GetScalarBarActor()->GetTitle(), "Stress (MPa)");
    controls.setNumberOfLabels(5);
    EXPECT_EQ(widget->GetScalarBarActor()->GetNumberOfLabels(), 5);
    controls.setDisplay(true);
    EXPECT_FALSE(controls.display()) << "no view to show it in";
    EXPECT_EQ(modified.size(), 3);
    widget->GetScalarBarActor()->SetTitle("From elsewhere");
    EXPECT_EQ(controls.findChild<QLineEdit*>(QStringLiteral("TitleTextLineEdit"))->text(),
              QStringLiteral("From elsewhere"));
}
