// The colours panel, the scalar bar it shows in a project's 3D view, the clip-node panel,
// and the two commands that open them.

#include <colors/qVizColorsModuleWidget.h>
#include <colors/vtkVizScalarBarActor.h>
#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/DlgClipPlaneImp.h>
#include <dialogs/DlgScalarBarImp.h>
#include <visualization/qMRMLClipNodeWidget2.h>
#include <visualization/qView3DMRML.h>

#include <support/HangGuard.h>
#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <ctk/ctkVTKScalarBarWidget.h>
#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLProceduralColorNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLColorTableComboBox.h>
#include <qmrml/qMRMLRangeWidget.h>
#include <qmrml/qMRMLThreeDView.h>
#include <vtkaddon/vtkScalarBarWidget2.h>

#include <vtkColorTransferFunction.h>
#include <vtkLookupTable.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkSphereSource.h>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A colour node of another kind than tables and transfer functions, with a lookup table.
class OtherColorNode : public vtkMRMLColorNode
{
public:
    static OtherColorNode* New();
    vtkTypeMacro(OtherColorNode, vtkMRMLColorNode);
    vtkMRMLNode* CreateNodeInstance() override { return OtherColorNode::New(); }
    const char* GetNodeTagName() override { return "OtherColor"; }
    int GetNumberOfColors() override { return 2; }
    vtkLookupTable* GetLookupTable() override { return Table; }
    vtkScalarsToColors* GetScalarsToColors() override { return Table; }
    vtkNew<vtkLookupTable> Table;
};
vtkStandardNewMacro(OtherColorNode);

template <class T>
T* child(QWidget* parent, const char* name)
{
    T* widget = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

vtkMRMLColorTableNode* addTable(vtkMRMLScene* scene, const char* name, double lo, double hi)
{
    vtkNew<vtkMRMLColorTableNode> table;
    table->SetTypeToUser();
    table->SetNumberOfColors(4);
    for (int i = 0; i < 4; ++i)
        table->SetColor(i, (std::string("c") + char('0' + i)).c_str(), i / 3.0, 0, 1 - i / 3.0);
    table->GetLookupTable()->SetRange(lo, hi);
    table->SetName(name);
    return vtkMRMLColorTableNode::SafeDownCast(scene->AddNode(table));
}

const double* rangeOf(vtkMRMLColorNode* node)
{
    return node->GetLookupTable()->GetRange();
}

} // namespace

TEST(ColorsPanel, ChoosingATableSetsTheControlsWithoutChangingAnyTable)
{
    PelmoraTest::ConsoleCapture console;
    qVizColorsModuleWidget panel;
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning,
                                 "No active graphics window to display scalar bar.\n"));
    vtkNew<vtkMRMLScene> scene;
    panel.setMRMLScene(scene);
    auto* combo = child<qMRMLColorTableComboBox>(&panel, "ColorTableComboBox");
    auto* count = child<QSpinBox>(&panel, "NumberOfColorsSpinBox");
    auto* range = child<qMRMLRangeWidget>(&panel, "LUTRangeWidget");
    auto* bar = child<ctkVTKScalarBarWidget>(&panel, "VTKScalarBar");
    EXPECT_EQ(combo->currentNode(), nullptr) << "a scene without the default table selects nothing";

    vtkMRMLColorTableNode* temps = addTable(scene, "Temps", 0, 100);
    panel.setCurrentColorNode(temps);
    EXPECT_TRUE(count->isEnabled());
    EXPECT_EQ(count->value(), 4);
    EXPECT_TRUE(range->isEnabled());
    EXPECT_DOUBLE_EQ(range->minimum(), -10);
    EXPECT_DOUBLE_EQ(range->maximum(), 110);
    EXPECT_DOUBLE_EQ(range->minimumValue(), 0);
    EXPECT_DOUBLE_EQ(range->maximumValue(), 100);
    EXPECT_EQ(bar->title(), QStringLiteral("Temps (mm)"));
    EXPECT_EQ(panel.scalarBarActor()->GetLookupTable(), temps->GetLookupTable());

    vtkMRMLColorTableNode* flat = addTable(scene, "Flat", 5, 5);
    panel.setCurrentColorNode(flat);
    EXPECT_DOUBLE_EQ(range->minimum(), -5);
    EXPECT_DOUBLE_EQ(range->maximum(), 15);

    // Selecting nodes of the other kinds must not write the range widget's values into
    // any lookup table.
    vtkNew<OtherColorNode> other;
    other->Table->SetRange(2, 8);
    other->SetName("Other");
    scene->AddNode(other);
    panel.setCurrentColorNode(other);
    EXPECT_DOUBLE_EQ(rangeOf(other)[0], 2);
    EXPECT_DOUBLE_EQ(rangeOf(other)[1], 8);
    EXPECT_EQ(bar->title(), QStringLiteral("Other (mm)"));
    vtkNew<vtkMRMLProceduralColorNode> ramp;
    ramp->GetColorTransferFunction()->AddRGBPoint(0, 0, 0, 0);
    ramp->GetColorTransferFunction()->AddRGBPoint(1, 1, 1, 1);
    ramp->SetName("Ramp");
    scene->AddNode(ramp);
    panel.setCurrentColorNode(temps);
    panel.setCurrentColorNode(ramp);
    EXPECT_FALSE(count->isEnabled());
    EXPECT_DOUBLE_EQ(rangeOf(temps)[0], 0);
    EXPECT_DOUBLE_EQ(rangeOf(temps)[1], 100);
    EXPECT_DOUBLE_EQ(rangeOf(flat)[0], 5);

    // Back on a user table the range widget and the count edit it.
    panel.setCurrentColorNode(temps);
    range->setValues(10, 90);
    EXPECT_DOUBLE_EQ(rangeOf(temps)[0], 10);
    EXPECT_DOUBLE_EQ(rangeOf(temps)[1], 90);
    count->setValue(7);
    Q_EMIT count->editingFinished();
    EXPECT_EQ(temps->GetNumberOfColors(), 7);

    // Clearing the choice.
    panel.setCurrentColorNode(nullptr);
    EXPECT_EQ(bar->title(), QStringLiteral("(mm)"));
    EXPECT_FALSE(count->isEnabled());
    EXPECT_FALSE(range->isEnabled());
    EXPECT_DOUBLE_EQ(rangeOf(temps)[1], 90);

    EXPECT_FALSE(panel.setEditedNode(scene->GetNodeByID("none"), QString(), QString()));
    EXPECT_TRUE(panel.setEditedNode(flat, QString(), QString()));
    EXPECT_EQ(combo->currentNode(), flat);
}

TEST(ColorsPanel, NameLabelsSwitchTheFormatAndTheAnnotations)
{
    qVizColorsModuleWidget panel;
    vtkVizScalarBarActor* actor = panel.scalarBarActor();
    EXPECT_STREQ(actor->GetLabelFormat(), " %#8.3f");
    EXPECT_EQ(actor->GetNumberOfLabels(), 11);
    EXPECT_STREQ(actor->GetTitle(), "(mm)");
    auto* names = child<QCheckBox>(&panel, "UseColorNameAsLabelCheckBox");
    names->setChecked(true);
    EXPECT_STREQ(actor->GetLabelFormat(), " %s");
    EXPECT_EQ(actor->GetUseAnnotationAsLabel(), 1);
    names->setChecked(false);
    EXPECT_STREQ(actor->GetLabelFormat(), " %#8.3f");
    EXPECT_EQ(actor->GetUseAnnotationAsLabel(), 0);
    child<QCheckBox>(&panel, "CenterLabelCheckBox")->setChecked(true);
    EXPECT_TRUE(actor->GetCenterLabel());
    EXPECT_TRUE(child<QWidget>(&panel, "CenterLabelCheckBox")->toolTip().contains("centering"));
}

TEST(ColorsPanel, TheBarFollowsATableThatTheRangeOrCountGivesItsOwnEntries)
{
    // A colour file's table shown in two projects' scenes: their nodes share its entries
    // until one of them is changed.
    vtkNew<vtkMRMLScene> first;
    vtkNew<vtkMRMLScene> second;
    vtkMRMLColorTableNode* original = addTable(first, "Heat", 0, 255);
    vtkMRMLColorTableNode* shared = addTable(second, "Heat", 0, 0);
    vtkMRMLColorTableNode* other = addTable(second, "Heat copy", 0, 0);
    shared->ShareEntriesWith(original);
    other->ShareEntriesWith(original);
    ASSERT_EQ(shared->GetLookupTable(), original->GetLookupTable());

    qVizColorsModuleWidget panel;
    panel.setMRMLScene(second);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, PelmoraTest::HangGuardMs));
    panel.setCurrentColorNode(shared);
    vtkVizScalarBarActor* bar = panel.scalarBarActor();
    ASSERT_EQ(bar->GetLookupTable(), original->GetLookupTable());

    // The user types a new scalar range into the panel.
    auto* range = child<qMRMLRangeWidget>(&panel, "LUTRangeWidget");
    auto type = [](QWidget* box, const char* text) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QString::fromLatin1(text));
        QTest::keyClick(box, Qt::Key_Return);
    };
    type(child<QDoubleSpinBox>(range, "MaximumSpinBox"), "200");
    type(child<QDoubleSpinBox>(range, "MinimumSpinBox"), "10");
    ASSERT_NE(shared->GetLookupTable(), original->GetLookupTable()) << "the node has its own entries now";
    EXPECT_DOUBLE_EQ(rangeOf(shared)[0], 10);
    EXPECT_DOUBLE_EQ(rangeOf(shared)[1], 200);
    EXPECT_DOUBLE_EQ(rangeOf(original)[1], 255) << "the other scene keeps its table";
    // The bar shows the node's table, and so the new range.
    EXPECT_EQ(bar->GetLookupTable(), shared->GetLookupTable());
    EXPECT_DOUBLE_EQ(bar->GetLookupTable()->GetRange()[0], 10);
    EXPECT_DOUBLE_EQ(bar->GetLookupTable()->GetRange()[1], 200);

    // The same when the number of colours makes the copy; the bar's labels keep the names.
    panel.setCurrentColorNode(other);
    ASSERT_EQ(bar->GetLookupTable(), original->GetLookupTable());
    type(child<QSpinBox>(&panel, "NumberOfColorsSpinBox"), "6");
    ASSERT_EQ(other->GetNumberOfColors(), 6);
    ASSERT_NE(other->GetLookupTable(), original->GetLookupTable());
    EXPECT_EQ(bar->GetLookupTable(), other->GetLookupTable());
    EXPECT_EQ(original->GetNumberOfColors(), 4);
    vtkScalarsToColors* shown = bar->GetLookupTable();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetNumberOfAnnotatedValues(), 6);
    EXPECT_EQ(shown->GetAnnotation(2), vtkStdString("c2"));
}

TEST(ClipPanel, ShowsANodeWithoutChangingItAndAClickChangesOneField)
{
    vtkNew<vtkMRMLClipModelsNode> node;
    node->SetClipType(vtkMRMLClipModelsNode::ClipIntersection);
    node->SetRedSliceClipState(2);
    node->SetYellowSliceClipState(0);
    node->SetGreenSliceClipState(1);
    node->SetClippingMethod(1);
    const double origin[3] = {1.23456, -7.0001, 123456.78901};
    node->SetClipOrigin(const_cast<double*>(origin));
    const vtkMTimeType before = node->GetMTime();

    qMRMLClipNodeWidget2 panel;
    EXPECT_FALSE(panel.isEnabled());
    panel.setMRMLClipNode(node.GetPointer());
    EXPECT_TRUE(panel.isEnabled());
    EXPECT_EQ(node->GetMTime(), before) << "showing a node writes nothing into it";
    EXPECT_EQ(node->GetClipOrigin()[0], 1.23456);
    EXPECT_EQ(node->GetClipOrigin()[2], 123456.78901);
    EXPECT_TRUE(child<QRadioButton>(&panel, "IntersectionRadioButton")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&panel, "RedSliceClippingCheckBox")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(&panel, "RedNegativeRadioButton")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&panel, "YellowSliceClippingCheckBox")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(&panel, "YellowPositiveRadioButton")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(&panel, "GreenPositiveRadioButton")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&panel, "WholeCellClippingCheckBox")->isChecked());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&panel, "spinBoxX")->value(), 1.235);
    EXPECT_FALSE(child<QRadioButton>(&panel, "YellowNegativeRadioButton")->toolTip().contains(" ."));

    panel.show();
    QTest::mouseClick(child<QCheckBox>(&panel, "YellowSliceClippingCheckBox"), Qt::LeftButton);
    EXPECT_NE(node->GetYellowSliceClipState(), 0);
    EXPECT_EQ(node->GetRedSliceClipState(), 2);
    EXPECT_EQ(node->GetGreenSliceClipState(), 1);
    EXPECT_EQ(node->GetClipType(), 0);
    EXPECT_EQ(node->GetClippingMethod(), 1);
    EXPECT_EQ(node->GetClipOrigin()[0], 1.23456) << "the origin keeps its digits";
    EXPECT_EQ(node->GetClipOrigin()[1], -7.0001);

    // The controls follow the node; an edited spin box writes its axis only.
    node->SetRedSliceClipState(0);
    EXPECT_FALSE(child<QCheckBox>(&panel, "RedSliceClippingCheckBox")->isChecked());
    child<QDoubleSpinBox>(&panel, "spinBoxY")->setValue(2.5);
    EXPECT_EQ(node->GetClipOrigin()[1], 2.5);
    EXPECT_EQ(node->GetClipOrigin()[0], 1.23456);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&panel, "spinBoxZ")->maximum(), 3.4028234663852886e+38);

    panel.setMRMLClipNode(static_cast<vtkMRMLNode*>(nullptr));
    EXPECT_FALSE(panel.isEnabled());
    node->SetGreenSliceClipState(0);
    EXPECT_TRUE(child<QCheckBox>(&panel, "GreenSliceClippingCheckBox")->isChecked()) << "no longer followed";
}

namespace {

// A session with one project and its 3D view on screen.
class ProjectView : public PelmoraTest::ProjectViewSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProjectViewSession::SetUp());
        ASSERT_NO_FATAL_FAILURE(newProject());
        // As when the user activates the project's view.
        app->set_current_project(gui);
        ASSERT_NO_FATAL_FAILURE(showView());
    }

    // Strongly coloured pixels: the view has no model, so they belong to the bar.
    static int saturated(const QImage& image)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.saturation() > 200 && c.value() > 150)
                    ++n;
            }
        return n;
    }
};

} // namespace

TEST_F(ProjectView, ScalarBarShowsTheChosenTableInTheView)
{
    ASSERT_NE(scene->GetNodeByID("vtkMRMLColorTableNodePmRainbow"), nullptr)
        << "the colour logic gives every project's scene its default tables";
    Gui::DlgScalarBarImp dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Scalar Bar Panel"));
    qVizColorsModuleWidget* panel = dialog.colorsWidget();
    auto* combo = child<qMRMLColorTableComboBox>(panel, "ColorTableComboBox");
    ASSERT_NE(combo->currentNode(), nullptr);
    EXPECT_STREQ(combo->currentNode()->GetID(), "vtkMRMLColorTableNodePmRainbow");
    EXPECT_EQ(saturated(picture()), 0) << "no bar before it is shown";

    child<ctkVTKScalarBarWidget>(panel, "VTKScalarBar")->setDisplay(true);
    EXPECT_TRUE(panel->scalarBar()->GetEnabled());
    EXPECT_GT(saturated(picture()), 100) << "the rainbow bar is drawn in the view";

    combo->setCurrentNode(scene->GetNodeByID("vtkMRMLColorTableNodeGrey"));
    EXPECT_EQ(saturated(picture()), 0) << "the bar now shows the grey table";
}

TEST_F(ProjectView, CommandsOpenTheirDialogsOnTheCurrentProject)
{
    Gui::CommandController& commands = app->get_command_manager();
    Gui::Command* scalarBar = commands.get_command_by_name("Std_ScalarBar");
    Gui::Command* clip = commands.get_command_by_name("Std_ClipWidget");
    ASSERT_NE(scalarBar, nullptr);
    ASSERT_NE(clip, nullptr);
    // The clip planes entry is offered only on a 3D view in the main window.
    EXPECT_FALSE(clip->is_applicable());
    PelmoraTest::ModalCloser closer;
    scalarBar->invoke(0);
    clip->activated(0);
    EXPECT_EQ(closer.titles(), (QStringList{"Scalar Bar Panel", "Clip Planes"}));

    // Without a clip node the clip planes command ends silently.
    scene->RemoveNode(scene->GetFirstNodeByClass("vtkMRMLClipModelsNode"));
    clip->activated(0);
    EXPECT_EQ(closer.count(), 2);
}

TEST_F(ProjectView, ClippedModelLosesItsPixelsOnTheClippedSide)
{
    vtkNew<vtkSphereSource> sphere;
    sphere->SetRadius(5.0);
    sphere->SetThetaResolution(32);
    sphere->SetPhiResolution(16);
    sphere->Update();
    vtkNew<vtkMRMLModelDisplayNode> display;
    scene->AddNode(display);
    vtkNew<vtkMRMLModelNode> model;
    model->SetAndObservePolyData(sphere->GetOutput());
    model->SetAndObserveDisplayNodeID(display->GetID());
    scene->AddNode(model);
    display->SetColor(1, 0, 0);
    display->SetAmbient(1.0);
    display->SetDiffuse(0.0);
    display->SetClipping(1);
    threeD()->resetFocalPoint();

    auto red = [](const QImage& image, double fx) {
        const QColor c = image.pixelColor(int(image.width() * fx), image.height() / 2);
        return c.red() > 200 && c.green() < 40 && c.blue() < 40;
    };
    QImage image = picture();
    ASSERT_TRUE(red(image, 0.4) && red(image, 0.6));

    auto* node = vtkMRMLClipModelsNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLClipModelsNode"));
    Gui::DlgClipPlaneImp dialog(node);
    dialog.show();
    QTest::mouseClick(child<QCheckBox>(dialog.clipWidget(), "YellowSliceClippingCheckBox"), Qt::LeftButton);
    ASSERT_NE(node->GetYellowSliceClipState(), 0);
    image = picture();
    EXPECT_NE(red(image, 0.4), red(image, 0.6)) << "one side of the plane is cut away";

    QTest::mouseClick(child<QCheckBox>(dialog.clipWidget(), "YellowSliceClippingCheckBox"), Qt::LeftButton);
    image = picture();
    EXPECT_TRUE(red(image, 0.4) && red(image, 0.6)) << "clearing the plane brings the model back";
}

TEST(ScalarBarCommand, WithoutAProjectOnlyWarns)
{
    PelmoraTest::registerFemGuiTypes();
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    PelmoraTest::ConsoleCapture console;
    PelmoraTest::ModalCloser closer;
    app.get_command_manager().get_command_by_name("Std_ScalarBar")->invoke(0);
    app.get_command_manager().get_command_by_name("Std_ClipWidget")->activated(0);
    EXPECT_EQ(closer.count(), 0);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning,
                                 "No active graphics window to display scalar bar.\n"));
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Warning, "clip planes"), 1);
}
