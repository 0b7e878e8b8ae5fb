#include <vtkAnnotationGlyphSource2D.h>
#include <vtkMRMLAnnotationClickCounter.h>
#include <vtkMRMLAnnotationDisplayableManagerHelper.h>
#include <vtkMRMLAnnotationFiducialNode.h>

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSeedWidget.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

std::vector<std::array<double, 3>> cellPoints(vtkPolyData* data, vtkCellArray* cells, vtkIdType n)
{
    std::vector<std::array<double, 3>> out;
    vtkNew<vtkIdList> ids;
    cells->GetCellAtId(n, ids);
    for (vtkIdType i = 0; i < ids->GetNumberOfIds(); ++i) {
        std::array<double, 3> p;
        data->GetPoint(ids->GetId(i), p.data());
        out.push_back(p);
    }
    return out;
}

vtkPolyData* run(vtkAnnotationGlyphSource2D* source)
{
    source->Update();
    return source->GetOutput();
}

} // namespace

TEST(GlyphSource, DefaultVertexNoneAndClampedSettings)
{
    vtkNew<vtkAnnotationGlyphSource2D> source;
    vtkPolyData* out = run(source);
    ASSERT_EQ(out->GetNumberOfPoints(), 1);
    EXPECT_EQ(out->GetNumberOfVerts(), 1);
    double p[3];
    out->GetPoint(0, p);
    EXPECT_DOUBLE_EQ(p[0], 0.0);
    EXPECT_DOUBLE_EQ(p[1], 0.0);
    vtkDataArray* colors = out->GetCellData()->GetScalars();
    ASSERT_NE(colors, nullptr);
    ASSERT_EQ(colors->GetNumberOfTuples(), 1);
    EXPECT_EQ(colors->GetComponent(0, 0), 255);
    EXPECT_EQ(colors->GetComponent(0, 2), 255);

    source->SetGlyphTypeToNone();
    out = run(source);
    EXPECT_EQ(out->GetNumberOfPoints(), 0);
    EXPECT_EQ(out->GetNumberOfCells(), 0);

    source->SetGlyphType(15);
    EXPECT_EQ(source->GetGlyphType(), 12);
    source->SetGlyphType(-3);
    EXPECT_EQ(source->GetGlyphType(), 0);
    source->SetScale(-1);
    EXPECT_EQ(source->GetScale(), 0.0);

    // Names come from the point display node; unknown or null names change nothing.
    source->SetGlyphTypeAsString("Diamond2D");
    EXPECT_EQ(source->GetGlyphType(), 8);
    source->SetGlyphTypeAsString("diamond2d");
    source->SetGlyphTypeAsString(nullptr);
    EXPECT_EQ(source->GetGlyphType(), 8);
}

TEST(GlyphSource, ShapesScaleRotateAndMove)
{
    vtkNew<vtkAnnotationGlyphSource2D> source;
    source->SetGlyphTypeToSquare();
    source->FilledOff();
    source->SetScale(2.0);
    source->SetCenter(1.0, 1.0, 7.0);
    vtkPolyData* out = run(source);
    ASSERT_EQ(out->GetNumberOfLines(), 1);
    const auto square = cellPoints(out, out->GetLines(), 0);
    const std::vector<std::array<double, 3>> expected{
        {0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 0, 0}};
    ASSERT_EQ(square.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(square[i][k], expected[i][k], 1e-6) << i;

    // A filled circle with a dash: the dash line of length Scale2, then the polygon.
    vtkNew<vtkAnnotationGlyphSource2D> circle;
    circle->SetGlyphTypeToCircle();
    circle->DashOn();
    out = run(circle);
    ASSERT_EQ(out->GetNumberOfLines(), 1);
    ASSERT_EQ(out->GetNumberOfPolys(), 1);
    EXPECT_EQ(out->GetCellData()->GetScalars()->GetNumberOfTuples(), 2);
    const auto dash = cellPoints(out, out->GetLines(), 0);
    EXPECT_NEAR(dash[1][0] - dash[0][0], 1.5, 1e-6);
    EXPECT_EQ(cellPoints(out, out->GetPolys(), 0).size(), 8u);

    // A quarter turn takes the arrow's tip (0.5, 0) to (0, 0.5).
    vtkNew<vtkAnnotationGlyphSource2D> arrow;
    arrow->SetGlyphTypeToArrow();
    arrow->FilledOff();
    arrow->SetRotationAngle(90.0);
    out = run(arrow);
    const auto shaft = cellPoints(out, out->GetLines(), 0);
    EXPECT_NEAR(shaft[1][0], 0.0, 1e-6);
    EXPECT_NEAR(shaft[1][1], 0.5, 1e-6);

    // The star burst: nine rays from 0.3 to 1, the last over the first.
    vtkNew<vtkAnnotationGlyphSource2D> star;
    star->SetGlyphTypeToStarBurst();
    out = run(star);
    EXPECT_EQ(out->GetNumberOfLines(), 9);
    const auto ray = cellPoints(out, out->GetLines(), 0);
    EXPECT_NEAR(ray[0][0], 0.3, 1e-6);
    EXPECT_NEAR(ray[1][0], 1.0, 1e-6);
}

TEST(ClickCounter, RestartsAfterEachCompleteSet)
{
    vtkNew<vtkMRMLAnnotationClickCounter> counter;
    EXPECT_FALSE(counter->HasEnoughClicks(2));
    EXPECT_TRUE(counter->HasEnoughClicks(2));
    EXPECT_FALSE(counter->HasEnoughClicks(2));
    counter->Reset();
    EXPECT_EQ(counter->Click(), 1);
}

TEST(AnnotationWidgetRegistry, SeedsSurviveNodeRemovalAndLookupsAreBounded)
{
    vtkNew<vtkRenderWindow> window;
    window->SetOffScreenRendering(1);
    vtkNew<vtkRenderer> renderer;
    window->AddRenderer(renderer);
    vtkNew<vtkRenderWindowInteractor> interactor;
    interactor->SetRenderWindow(window);

    vtkNew<vtkMRMLAnnotationDisplayableManagerHelper> registry;
    EXPECT_EQ(registry->GetSeed(0), nullptr);
    registry->PlaceSeed(10, 10, interactor, renderer);
    registry->PlaceSeed(20, 20, interactor, renderer);
    ASSERT_EQ(registry->GetNumberOfSeeds(), 2);
    EXPECT_NE(registry->GetSeed(1), nullptr);
    EXPECT_EQ(registry->GetSeed(2), nullptr);
    EXPECT_EQ(registry->GetSeed(-1), nullptr);
    vtkSeedWidget* first = registry->GetSeedWidget();
    EXPECT_FALSE(first->GetProcessEvents());

    vtkNew<vtkMRMLAnnotationFiducialNode> a, b;
    vtkNew<vtkSeedWidget> wa, wpa, wb;
    registry->SetWidget(a, wa);
    registry->SetPointProjectionWidget(a, wpa);
    registry->AddNode(a);
    registry->SetWidget(b, wb);
    registry->AddNode(b);

    registry->RemoveWidgetAndNode(a);
    EXPECT_EQ(registry->GetWidget(a), nullptr);
    EXPECT_EQ(registry->GetPointProjectionWidget(a), nullptr);
    EXPECT_FALSE(registry->HasNode(a));
    ASSERT_EQ(registry->GetNodes().size(), 1u);

    registry->RemoveAllWidgetsAndNodes();
    EXPECT_TRUE(registry->GetNodes().empty());
    EXPECT_EQ(registry->GetNumberOfSeeds(), 2);

    // A new placement builds a new seed widget.
    registry->RemoveSeeds();
    EXPECT_EQ(registry->GetSeed(0), nullptr);
    registry->PlaceSeed(5, 5, interactor, renderer);
    EXPECT_EQ(registry->GetNumberOfSeeds(), 1);
}
