// The colour widgets: the table combo box follows the scene without choosing for the
// user, the table view hides unnamed entries, the range widget keeps its values in
// range, the collapsible button folds its contents, and the scalar bar controls reach
// the bar.

#include <ctk/ctkCollapsibleButton.h>
#include <ctk/ctkVTKScalarBarWidget.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLDeferredNodes.h>
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

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

vtkMRMLColorTableNode* addTable(vtkMRMLScene* scene, const char* name, int colors)
{
    vtkNew<vtkMRMLColorTableNode> table;
    table->SetTypeAndColors(vtkMRMLColorNode::Grey, colors);
    table->SetName(name);
    return vtkMRMLColorTableNode::SafeDownCast(scene->AddNode(table));
}

// A list of colour tables that a scene shows and makes only when asked for, as the colour
// logic lists a folder's files.
class WaitingTables : public vtkMRMLDeferredNodes
{
public:
    explicit WaitingTables(int count)
    {
        for (int i = 0; i < count; ++i) {
            Names.push_back("Table " + std::to_string(i) + " \xc3\xa4");
            IDs.push_back("vtkMRMLColorTableNodeFileTable" + std::to_string(i));
        }
        for (size_t i = 0; i < IDs.size(); ++i)
            ByID.emplace(IDs[i], i);
    }
    size_t GetNumberOfNodes() const override { return IDs.size(); }
    const char* GetNodeID(size_t i) const override { return IDs[i].c_str(); }
    const char* GetNodeName(size_t i) const override { return Names[i].c_str(); }
    bool NodeIsA(size_t, const char* className) const override { return vtkMRMLColorTableNode::IsTypeOf(className); }
    bool HoldsNodesOf(const char* className) const override { return vtkMRMLColorTableNode::IsTypeOf(className); }
    size_t FindNode(std::string_view id) const override
    {
        const auto found = ByID.find(std::string(id));
        return found == ByID.end() ? npos : found->second;
    }
    size_t FindNodeByName(std::string_view) const override { return npos; }
    vtkSmartPointer<vtkMRMLNode> MakeNode(size_t i) override
    {
        auto table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
        table->SetTypeAndColors(vtkMRMLColorNode::Grey, 2);
        table->SetName(Names[i].c_str());
        table->SetID(IDs[i].c_str());
        return table;
    }

private:
    std::vector<std::string> Names;
    std::vector<std::string> IDs;
    std::unordered_map<std::string, size_t> ByID;
};

} // namespace

// Lists of 10, 100 and 1,000 waiting tables x every way the combo box looks a node up (a
// waiting node chosen by ID, one made and announced by the scene then chosen, a node of
// the scene's own added and chosen, the chosen one removed): the right row is chosen, and
// the look-ups read as many rows whatever the length of the list.
TEST(ColorTableComboBox, FindsANodeWithoutReadingTheRows)
{
    std::vector<long long> perSize;
    for (const int count : {10, 100, 1000}) {
        SCOPED_TRACE(count);
        vtkNew<vtkMRMLScene> scene;
        addTable(scene, "Made first", 2);
        scene->AddDeferredNodes(std::make_shared<WaitingTables>(count));
        qMRMLColorTableComboBox combo;
        combo.setMRMLScene(scene);
        ASSERT_EQ(combo.count(), count + 1);
        const long long before = qMRMLColorTableComboBox::rowsRead();

        // The last waiting table, chosen by its ID without making it.
        const QString last = QStringLiteral("vtkMRMLColorTableNodeFileTable%1").arg(count - 1);
        combo.setCurrentNodeID(last);
        EXPECT_EQ(combo.currentIndex(), count);
        EXPECT_EQ(combo.currentNodeID(), last);
        // One in the middle, made by a look-up: announced, not listed twice, then chosen.
        vtkMRMLNode* middle = scene->GetNodeByID("vtkMRMLColorTableNodeFileTable" + std::to_string(count / 2));
        ASSERT_NE(middle, nullptr);
        EXPECT_EQ(combo.count(), count + 1);
        combo.setCurrentNode(middle);
        EXPECT_EQ(combo.currentIndex(), count / 2 + 1);
        EXPECT_EQ(combo.currentNode(), middle);
        // A table of the scene's own, added after the list.
        vtkMRMLColorTableNode* own = addTable(scene, "Own", 2);
        ASSERT_EQ(combo.count(), count + 2);
        combo.setCurrentNode(own);
        EXPECT_EQ(combo.currentIndex(), count + 1);
        // The chosen one removed: nothing is chosen, the rows after it move up.
        combo.setCurrentNode(middle);
        scene->RemoveNode(middle);
        EXPECT_EQ(combo.count(), count + 1);
        EXPECT_EQ(combo.currentNode(), nullptr);
        combo.setCurrentNode(own);
        EXPECT_EQ(combo.currentIndex(), count);
        combo.setCurrentNodeID(last);
        EXPECT_EQ(combo.currentIndex(), count - 1);
        EXPECT_EQ(combo.itemText(count - 1), QString::fromUtf8("Table %1 \xc3\xa4").arg(count - 1));
        perSize.push_back(qMRMLColorTableComboBox::rowsRead() - before);
    }
    std::printf("rows read by the look-ups, 10 / 100 / 1,000 tables: %lld / %lld / %lld\n", perSize[0], perSize[1],
                perSize[2]);
    EXPECT_EQ(perSize[1], perSize[0]) << "rows read with 100 tables against 10";
    EXPECT_EQ(perSize[2], perSize[0]) << "rows read with 1,000 tables against 10";
}

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
