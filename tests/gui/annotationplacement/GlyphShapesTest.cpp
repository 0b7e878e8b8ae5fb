// The marker shapes drawn for annotation points, filled and as outlines, cell by cell:
// each shape's cells, in the order made, with their points and one colour per cell.

#include <vtkAnnotationGlyphSource2D.h>

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPolyData.h>

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Point = std::array<double, 2>;

struct Cell
{
    char kind;   // 'v' vertex, 'l' line, 'p' polygon
    std::vector<Point> points;
};

// The cells of the output, vertices first, then lines, then polygons.
std::vector<Cell> cellsOf(vtkPolyData* data)
{
    std::vector<Cell> out;
    const std::pair<char, vtkCellArray*> arrays[] = {
        {'v', data->GetVerts()}, {'l', data->GetLines()}, {'p', data->GetPolys()}};
    for (const auto& [kind, cells] : arrays) {
        for (vtkIdType n = 0; n < cells->GetNumberOfCells(); ++n) {
            vtkNew<vtkIdList> ids;
            cells->GetCellAtId(n, ids);
            Cell cell{kind, {}};
            for (vtkIdType i = 0; i < ids->GetNumberOfIds(); ++i) {
                double p[3];
                data->GetPoint(ids->GetId(i), p);
                EXPECT_EQ(p[2], 0.0);
                cell.points.push_back({p[0], p[1]});
            }
            out.push_back(cell);
        }
    }
    return out;
}

std::string describe(const std::vector<Cell>& cells)
{
    std::ostringstream os;
    for (const Cell& c : cells) {
        os << c.kind << ":";
        for (const Point& p : c.points)
            os << " (" << p[0] << ", " << p[1] << ")";
        os << "\n";
    }
    return os.str();
}

::testing::AssertionResult sameCells(const std::vector<Cell>& got, const std::vector<Cell>& want)
{
    bool same = got.size() == want.size();
    for (size_t c = 0; same && c < got.size(); ++c) {
        same = got[c].kind == want[c].kind && got[c].points.size() == want[c].points.size();
        for (size_t i = 0; same && i < got[c].points.size(); ++i)
            same = std::abs(got[c].points[i][0] - want[c].points[i][0]) < 1e-6
                && std::abs(got[c].points[i][1] - want[c].points[i][1]) < 1e-6;
    }
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got\n" << describe(got) << "wanted\n" << describe(want);
}

// A closed outline repeats its first point at the end.
std::vector<Point> closedRing(std::vector<Point> ring)
{
    ring.push_back(ring.front());
    return ring;
}

struct Shape
{
    int type;
    int filled;
    std::vector<Cell> cells;
};

} // namespace

TEST(GlyphShapes, EachShapeFilledAndAsOutline)
{
    const std::vector<Point> crossBar{{-0.5, -0.1}, {0.5, -0.1}, {0.5, 0.1}, {-0.5, 0.1}};
    const std::vector<Point> crossPost{{-0.1, -0.5}, {0.1, -0.5}, {0.1, 0.5}, {-0.1, 0.5}};
    const std::vector<Point> crossOutline{{-0.5, -0.1}, {-0.1, -0.1}, {-0.1, -0.5}, {0.1, -0.5}, {0.1, -0.1},
                                          {0.5, -0.1},  {0.5, 0.1},   {0.1, 0.1},   {0.1, 0.5},  {-0.1, 0.5},
                                          {-0.1, 0.1},  {-0.5, 0.1}};
    const std::vector<Point> triangle{{-0.375, -0.25}, {0.0, 0.5}, {0.375, -0.25}};
    const std::vector<Point> diamond{{0.0, -0.5}, {0.5, 0.0}, {0.0, 0.5}, {-0.5, 0.0}};
    const std::vector<Point> shaft{{-0.5, -0.1}, {0.1, -0.1}, {0.1, 0.1}, {-0.5, 0.1}};
    const std::vector<Point> head{{0.1, -0.1}, {0.1, -0.2}, {0.5, 0.0}, {0.1, 0.2}, {0.1, 0.1}};
    const std::vector<Point> arrowOutline{{-0.5, -0.1}, {0.1, -0.1}, {0.1, -0.2}, {0.5, 0.0},
                                          {0.1, 0.2},   {0.1, 0.1},  {-0.5, 0.1}};

    const std::vector<Shape> shapes{
        {3, 0, {{'l', {{-0.5, 0}, {0.5, 0}}}, {'l', {{0, -0.5}, {0, 0.5}}}}},
        {3, 1, {{'p', crossBar}, {'p', crossPost}}},
        {4, 1, {{'p', crossBar}, {'p', crossPost}}},
        {4, 0, {{'l', closedRing(crossOutline)}}},
        {5, 1, {{'p', triangle}}},
        {5, 0, {{'l', closedRing(triangle)}}},
        {8, 1, {{'p', diamond}}},
        {8, 0, {{'l', closedRing(diamond)}}},
        {9, 1, {{'p', shaft}, {'p', head}}},
        {10, 1, {{'p', shaft}, {'p', head}}},
        {10, 0, {{'l', closedRing(arrowOutline)}}},
        {11, 1, {{'p', {{-0.5, -0.1}, {0.1, -0.1}, {0.1, 0.075}, {-0.5, 0.075}}},
                 {'p', {{0.1, -0.1}, {0.5, -0.1}, {0.1, 0.2}}}}},
        {11, 0, {{'l', {{-0.5, 0}, {0.5, 0}, {0.2, 0.1}}}}},
        {2, 1, {{'p', crossBar}}},
        {2, 0, {{'l', {{-0.5, 0}, {0.5, 0}}}}},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE("type " + std::to_string(shape.type) + (shape.filled ? " filled" : " outline"));
        vtkNew<vtkAnnotationGlyphSource2D> source;
        source->SetGlyphType(shape.type);
        source->SetFilled(shape.filled);
        source->SetColor(0.5, 1.0, 0.0);
        source->Update();
        vtkPolyData* out = source->GetOutput();
        EXPECT_TRUE(sameCells(cellsOf(out), shape.cells));
        vtkDataArray* colours = out->GetCellData()->GetScalars();
        ASSERT_NE(colours, nullptr);
        ASSERT_EQ(colours->GetNumberOfTuples(), static_cast<vtkIdType>(shape.cells.size()));
        for (vtkIdType c = 0; c < colours->GetNumberOfTuples(); ++c) {
            EXPECT_EQ(colours->GetComponent(c, 0), 127);
            EXPECT_EQ(colours->GetComponent(c, 1), 255);
            EXPECT_EQ(colours->GetComponent(c, 2), 0);
        }
    }
}

TEST(GlyphShapes, TheLineFormsStretchByTheirLengthFactorButTheOutlinesDoNot)
{
    // A cross outline is two lines of Scale's length; the extra cross and dash under any
    // glyph take Scale2 as their length factor, and Scale sizes everything after that.
    vtkNew<vtkAnnotationGlyphSource2D> source;
    source->SetGlyphTypeToDiamond();
    source->FilledOff();
    source->CrossOn();
    source->DashOn();
    source->SetScale2(3.0);
    source->SetScale(2.0);
    source->SetCenter(10.0, 20.0, 5.0);
    source->Update();
    const std::vector<Cell> cells = cellsOf(source->GetOutput());
    // The dash comes first, then the cross, then the glyph.
    EXPECT_TRUE(sameCells(cells, {{'l', {{7, 20}, {13, 20}}},
                                  {'l', {{7, 20}, {13, 20}}},
                                  {'l', {{10, 17}, {10, 23}}},
                                  {'l', {{10, 19}, {11, 20}, {10, 21}, {9, 20}, {10, 19}}}}));

    // Rotated a quarter turn the thick arrow points up; the rotation comes before the move.
    vtkNew<vtkAnnotationGlyphSource2D> arrow;
    arrow->SetGlyphTypeToThickArrow();
    arrow->SetRotationAngle(90.0);
    arrow->SetCenter(1.0, 1.0, 0.0);
    arrow->Update();
    const std::vector<Cell> rotated = cellsOf(arrow->GetOutput());
    ASSERT_EQ(rotated.size(), 2u);
    ASSERT_EQ(rotated[1].points.size(), 5u);
    EXPECT_NEAR(rotated[1].points[2][0], 1.0, 1e-9);
    EXPECT_NEAR(rotated[1].points[2][1], 1.5, 1e-9);
}
