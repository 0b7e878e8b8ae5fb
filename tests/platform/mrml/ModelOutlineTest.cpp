// The outline of "shaded with wireframe" (borders, edges of more than two faces, sharp
// edges) and the cut of a union of clip planes cost in proportion to the model, also when
// one stray point far away leaves the rest of the points in a small part of the bounds.

#include "ModelShapes.h"

#include <mrml/MRMLSharedPoints.h>
#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelDisplayableManager.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelOutlineFilter.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkAppendPolyData.h>
#include <vtkCellArray.h>
#include <vtkCleanPolyData.h>
#include <vtkCubeSource.h>
#include <vtkFeatureEdges.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPlaneSource.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>
#include <vtkStripper.h>
#include <vtkTriangleFilter.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace {

using Corner = std::array<float, 3>;
using EdgeSet = std::set<std::pair<Corner, Corner>>;

// The lines of `lines` as pairs of corners, in either direction the same.
EdgeSet edgesOf(vtkPolyData* lines)
{
    EdgeSet edges;
    vtkNew<vtkIdList> ids;
    for (vtkIdType cell = 0; cell < lines->GetNumberOfCells(); ++cell) {
        lines->GetCellPoints(cell, ids);
        if (ids->GetNumberOfIds() != 2)
            continue;
        Corner a, b;
        for (int axis = 0; axis < 3; ++axis) {
            a[axis] = float(lines->GetPoint(ids->GetId(0))[axis]);
            b[axis] = float(lines->GetPoint(ids->GetId(1))[axis]);
        }
        edges.insert(std::minmax(a, b));
    }
    return edges;
}

vtkSmartPointer<vtkPolyData> output(vtkPolyDataAlgorithm* source)
{
    source->Update();
    return source->GetOutput();
}

// A grid of `triangles` triangles with shared corners; with `stray`, its last triangle
// lies 1e7 away.
vtkSmartPointer<vtkPolyData> gridModel(int triangles, bool stray)
{
    vtkSmartPointer<vtkPolyData> data
        = ModelShapes::triangleSoup(ModelShapes::triangleCorners(ModelShapes::Shape::Integer, triangles, stray));
    mrmlmodelfile::shareCoincidentPoints(data);
    return data;
}

} // namespace

// Closed and open surfaces, sharp and smooth, strips, and an edge of three faces: the
// outline has the lines that VTK's feature-edge filter finds on the same surface.
TEST(ModelOutline, HasTheBordersSharpEdgesAndEdgesOfManyFacesOfEveryKindOfSurface)
{
    vtkNew<vtkSphereSource> sphere;
    sphere->SetThetaResolution(12);
    sphere->SetPhiResolution(5);
    vtkNew<vtkPlaneSource> plane;
    plane->SetResolution(6, 4);
    vtkNew<vtkCubeSource> cube;
    vtkNew<vtkCleanPolyData> closedCube;   // the faces share their corners
    closedCube->SetInputConnection(cube->GetOutputPort());
    vtkNew<vtkStripper> strips;
    strips->SetInputConnection(sphere->GetOutputPort());
    vtkNew<vtkTriangleFilter> triangles;
    triangles->SetInputConnection(closedCube->GetOutputPort());

    // Three triangles on one edge, one of them folded at a right angle.
    vtkNew<vtkPolyData> fin;
    vtkNew<vtkPoints> finPoints;
    for (const Corner& c : {Corner{0, 0, 0}, Corner{1, 0, 0}, Corner{0.5f, 1, 0}, Corner{0.5f, -1, 0.1f},
                            Corner{0.5f, 0, 1}})
        finPoints->InsertNextPoint(c[0], c[1], c[2]);
    vtkNew<vtkCellArray> finCells;
    for (vtkIdType third : {2, 3, 4}) {
        const vtkIdType ids[3] = {0, 1, third};
        finCells->InsertNextCell(3, ids);
    }
    fin->SetPoints(finPoints);
    fin->SetPolys(finCells);

    const std::pair<const char*, vtkSmartPointer<vtkPolyData>> surfaces[] = {
        {"sphere", output(sphere)},       {"plane", output(plane)},
        {"open cube", output(cube)},      {"closed cube", output(closedCube)},
        {"triangulated cube", output(triangles)}, {"strips", output(strips)},
        {"fin", fin}};
    for (const auto& surface : surfaces) {
        vtkNew<vtkFeatureEdges> vtkEdges;
        vtkEdges->BoundaryEdgesOn();
        vtkEdges->FeatureEdgesOn();
        vtkEdges->NonManifoldEdgesOn();
        vtkEdges->ManifoldEdgesOff();
        vtkEdges->ColoringOff();
        vtkEdges->SetInputData(surface.second);
        vtkNew<vtkMRMLModelOutlineFilter> outline;
        outline->SetInputData(surface.second);
        const EdgeSet expected = edgesOf(output(vtkEdges));
        const EdgeSet found = edgesOf(output(outline));
        EXPECT_FALSE(expected.empty()) << surface.first;
        EXPECT_EQ(found, expected) << surface.first;
        EXPECT_EQ(outline->GetOutput()->GetNumberOfLines(), vtkEdges->GetOutput()->GetNumberOfLines()) << surface.first;
        EXPECT_EQ(outline->GetOutput()->GetPoints(), surface.second->GetPoints()) << "the model's own points";
    }
}

// Every size, with and without a stray triangle: each corner of each triangle looked up
// once, about one table slot read a look-up, and a fixed number of bytes a triangle.
TEST(ModelOutline, CostsTheSameATriangleWithAStrayPointAndWithout)
{
    for (int triangles : {10000, 20000, 40000, 80000}) {
        for (bool stray : {false, true}) {
            vtkSmartPointer<vtkPolyData> model = gridModel(triangles, stray);
            vtkNew<vtkMRMLModelOutlineFilter> outline;
            outline->SetInputData(model);
            outline->Update();
            const auto& work = outline->GetLastWork();
            const std::string cell = std::to_string(triangles) + (stray ? " with a stray point" : "");
            EXPECT_EQ(work.edgesVisited, 3u * unsigned(triangles)) << cell;
            EXPECT_LT(double(work.slotsRead) / double(work.edgesVisited), 1.5) << cell;
            EXPECT_LT(double(work.edgesRead) / double(work.edgesVisited), 3.0) << cell;
            EXPECT_LT(double(work.bytesReserved) / triangles, 160.0) << cell;
            // The grid's border, and the stray triangle's three sides.
            EXPECT_GT(outline->GetOutput()->GetNumberOfLines(), 4) << cell;
        }
    }
}

// Edges chosen against the table: pairs of point ids that a table hashed without the
// process's seed puts all in one slot, as two-cornered faces (each one edge, met twice).
// The outline reads under three slots an edge at every size (half of them a second
// look-up), where the unseeded table read half the edges for each.
TEST(ModelOutline, EdgesChosenToShareOneSlotCostAboutOneSlotAnEdge)
{
    for (int edges : {500, 2000, 8000}) {
        // The table of a model of 2 * edges corners: twice as many slots as edges, or more.
        std::uint64_t slots = 16;
        while (slots < 2 * std::uint64_t(edges + 1))
            slots <<= 1;
        const vtkIdType count = vtkIdType(2 * slots);
        vtkNew<vtkPoints> points;
        for (vtkIdType i = 0; i < count; ++i)
            points->InsertNextPoint(double(i), 0, 0);
        vtkNew<vtkCellArray> faces;
        for (vtkIdType a = 0; a < count && faces->GetNumberOfCells() < edges; ++a)
            for (vtkIdType b = a + 1; b < count && faces->GetNumberOfCells() < edges; ++b)
                if ((mrmlmodelfile::mixBits(std::uint64_t(a), std::uint64_t(b)) & (slots - 1)) == 0) {
                    const vtkIdType ids[2] = {a, b};
                    faces->InsertNextCell(2, ids);
                }
        ASSERT_EQ(faces->GetNumberOfCells(), edges);
        vtkNew<vtkPolyData> model;
        model->SetPoints(points);
        model->SetPolys(faces);
        vtkNew<vtkMRMLModelOutlineFilter> outline;
        outline->SetInputData(model);
        outline->Update();
        const auto& work = outline->GetLastWork();
        EXPECT_EQ(work.edgesVisited, 2u * unsigned(edges)) << edges;
        EXPECT_LT(double(work.slotsRead) / double(work.edgesVisited), 3.0) << edges;
    }
}

// Through the view: a model with a stray triangle drawn shaded with wireframe, cut by a
// union of clip planes, then keeping whole cells only; each drawing looks each triangle's
// edges up once and joins the cut's corners in about one slot read a corner.
TEST(ModelOutline, TheViewDrawsAModelWithAStrayPointAtACostInProportionToIt)
{
    vtkNew<vtkRenderWindow> window;
    vtkNew<vtkRenderer> renderer;
    window->SetSize(100, 100);
    window->SetOffScreenRendering(1);
    window->AddRenderer(renderer);
    vtkNew<vtkMRMLScene> scene;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    group.TakeReference(vtkMRMLDisplayableManagerGroup::New());
    group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager"});
    group->SetMRMLScene(scene);
    group->SetRenderer(renderer);

    const int triangles = 20000;
    vtkNew<vtkMRMLModelDisplayNode> display;
    display->SetDisplayMode(vtkMRMLDisplayNode::DisplayShadedWithWireframe);
    scene->AddNode(display);
    vtkNew<vtkMRMLModelNode> model;
    model->SetAndObservePolyData(gridModel(triangles, true));
    model->SetAndObserveDisplayNodeID(display->GetID());
    scene->AddNode(model);

    auto outlined = [&](const char* step) {
        const auto before = vtkMRMLModelOutlineFilter::GetTotalWork();
        const auto joinedBefore = mrmlmodelfile::sharedPointsWork();
        window->Render();
        const auto after = vtkMRMLModelOutlineFilter::GetTotalWork();
        const auto joined = mrmlmodelfile::sharedPointsWork();
        const auto edges = after.edgesVisited - before.edgesVisited;
        EXPECT_GT(edges, 0u) << step;
        // A cut adds the triangles of the cells it cuts in two.
        EXPECT_LE(edges, 4u * triangles) << step;
        // About 1.5 slots an edge, by how the seed falls; a search that walks the table
        // reads thousands.
        EXPECT_LT(double(after.slotsRead - before.slotsRead) / double(edges), 2.0) << step;
        // Each edge of the list reached when it is met again, when the lines are drawn and
        // when the list is let go.
        EXPECT_LT(double(after.edgesRead - before.edgesRead) / double(edges), 4.0) << step;
        if (joined.points > joinedBefore.points) {
            // The cut copies each kept triangle's corners (and the corners made on a plane).
            EXPECT_LE(joined.points - joinedBefore.points, 6u * triangles) << step;
            EXPECT_LT(double(joined.probes - joinedBefore.probes) / double(joined.points - joinedBefore.points), 1.5)
                << step;
        }
        return joined.points - joinedBefore.points;
    };
    EXPECT_EQ(outlined("shaded with wireframe"), 0u);

    vtkNew<vtkMRMLClipModelsNode> clip;
    clip->SetClipType(vtkMRMLClipModelsNode::ClipUnion);
    clip->SetRedSliceClipState(vtkMRMLClipModelsNode::ClipNegativeSpace);
    clip->SetYellowSliceClipState(vtkMRMLClipModelsNode::ClipNegativeSpace);
    clip->SetClipOrigin(40.3, 30.7, 5.5);
    scene->AddNode(clip);
    EXPECT_GT(outlined("cut by a union of planes"), 0u);

    clip->SetClippingMethod(vtkMRMLClipModelsNode::WholeCells);
    EXPECT_EQ(outlined("whole cells"), 0u);
}
