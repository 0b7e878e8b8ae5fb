// The checks every reader runs on a large model take shortcuts (points passed a block at a
// time, the faces' survey ended at the first face with extent, the repeated-face table
// left out when no point is a corner twice): wherever in the model the fault lies, the
// answer is the one a look at every point and face gives.

#include "ModelShapes.h"

#include <mrml/MRMLModelFileChecks.h>

#include <vtkCellArray.h>
#include <vtkDoubleArray.h>
#include <vtkFloatArray.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int Points = 5000;

enum class Fault { None, NotANumber, Infinite, TooFar, TooFarThenNotANumber };

const char* faultName(Fault f)
{
    switch (f) {
    case Fault::None: return "none";
    case Fault::NotANumber: return "not a number";
    case Fault::Infinite: return "infinite";
    case Fault::TooFar: return "too far";
    case Fault::TooFarThenNotANumber: return "too far, elsewhere not a number";
    }
    return "?";
}

// Triangles of `Points` points, each corner its own point, with `fault` at point `at`.
template <class Array>
vtkSmartPointer<vtkPolyData> pointsWith(Fault fault, int at, int& reported)
{
    vtkNew<Array> coords;
    coords->SetNumberOfComponents(3);
    coords->SetNumberOfTuples(Points);
    for (int i = 0; i < Points; ++i)
        coords->SetTuple3(i, i % 97, i / 97, (i * 7) % 13);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    reported = at;
    if (fault == Fault::NotANumber)
        coords->SetComponent(at, 1, nan);
    if (fault == Fault::Infinite)
        coords->SetComponent(at, 2, -std::numeric_limits<double>::infinity());
    if (fault == Fault::TooFar || fault == Fault::TooFarThenNotANumber)
        coords->SetComponent(at, 0, 2e37);
    if (fault == Fault::TooFarThenNotANumber) {
        // A point that is not a number is said before one too far, wherever each lies.
        reported = (at + Points / 2) % Points;
        coords->SetComponent(reported, 0, nan);
    }
    vtkNew<vtkPoints> points;
    points->SetData(coords);
    vtkNew<vtkCellArray> faces;
    for (vtkIdType t = 0; t + 2 < Points; t += 3) {
        const vtkIdType ids[3] = {t, t + 1, t + 2};
        faces->InsertNextCell(3, ids);
    }
    auto model = vtkSmartPointer<vtkPolyData>::New();
    model->SetPoints(points);
    model->SetPolys(faces);
    return model;
}

std::string expected(Fault fault, int point)
{
    const std::string p = "could not be read: point " + std::to_string(point) + " has a coordinate ";
    switch (fault) {
    case Fault::None: return "";
    case Fault::NotANumber:
    case Fault::TooFarThenNotANumber: return p + "that is not a number";
    case Fault::Infinite: return p + "that is infinite";
    case Fault::TooFar: return p + "beyond 1e+37, too far to be drawn";
    }
    return "?";
}

// `faces` triangles that each collapse to a point of their own (or all to one point);
// the one at `extent` (none when negative) has corners apart. With `strip`, one more
// face comes as a strip, which has the extent when `extent` is `faces`.
vtkSmartPointer<vtkPolyData> collapsedFaces(int faces, int extent, bool allAtOne, bool strip)
{
    vtkNew<vtkPoints> points;
    vtkNew<vtkCellArray> polys, strips;
    auto add = [&](vtkCellArray* to, int f) {
        const double x = allAtOne ? 1.0 : double(f);
        vtkIdType ids[3];
        for (int k = 0; k < 3; ++k)
            ids[k] = points->InsertNextPoint(x + (f == extent && k == 2 ? 0.5 : 0.0), 2.0, 3.0);
        to->InsertNextCell(3, ids);
    };
    for (int f = 0; f < faces; ++f)
        add(polys, f);
    if (strip)
        add(strips, faces);
    auto model = vtkSmartPointer<vtkPolyData>::New();
    model->SetPoints(points);
    model->SetPolys(polys);
    if (strip)
        model->SetStrips(strips);
    return model;
}

} // namespace

TEST(ModelSurvey, TheGeometryChecksAnswerAsALookAtEveryPointAndFaceWouldWhereverTheFaultLies)
{
    // Points: either precision, the fault at the first point, about the ends of the first
    // blocks passed at once, and at the last point.
    for (bool twice : {false, true})
        for (Fault fault : {Fault::None, Fault::NotANumber, Fault::Infinite, Fault::TooFar, Fault::TooFarThenNotANumber})
            for (int at : {0, 1, 1023, 1024, 3071, 3072, 3500, Points - 1}) {
                const std::string cell = std::string(twice ? "double" : "float") + ", " + faultName(fault) + " at " + std::to_string(at);
                int reported = 0;
                auto model = twice ? pointsWith<vtkDoubleArray>(fault, at, reported) : pointsWith<vtkFloatArray>(fault, at, reported);
                EXPECT_EQ(mrmlmodelfile::geometryProblem(model), expected(fault, reported)) << cell;
            }

    // Faces: the one with extent first, between, last, only among the strips, or none.
    constexpr int Faces = 3000;
    for (bool allAtOne : {false, true})
        for (bool strip : {false, true})
            for (int extent : {-1, 0, 1, Faces / 2, Faces - 1, Faces}) {
                if (extent == Faces && !strip)
                    continue;
                const std::string cell = std::string(allAtOne ? "one point" : "a point each") + (strip ? ", with a strip" : "") +
                                         ", extent at " + std::to_string(extent);
                const int all = Faces + (strip ? 1 : 0);
                const std::string says = extent >= 0 ? ""
                                         : allAtOne  ? "holds no model geometry: all its " + std::to_string(all) + " faces collapse to one point"
                                                     : "holds no model geometry: each of its " + std::to_string(all) + " faces collapses to a point";
                EXPECT_EQ(mrmlmodelfile::geometryProblem(collapsedFaces(Faces, extent, allAtOne, strip)), says) << cell;
            }
}

// A soup of triangles (each corner a point of its own, as an STL file gives them) with a
// face added: the repeats are left out whether the table is needed or not, and it is not
// needed (no slot is read) only when no point is a corner twice and every face has one.
TEST(ModelSurvey, RepeatedFacesAreFoundInASoupOfTrianglesWhicheverFaceIsAdded)
{
    constexpr vtkIdType Triangles = 3000, Repeated = 1234;
    const vtkIdType a = 3 * Repeated, b = a + 1, c = a + 2;
    const struct
    {
        const char* added;
        std::vector<std::vector<vtkIdType>> faces;
        long long left;   // faces left out
        bool table;       // whether the table is read
    } rows[] = {
        {"nothing", {}, 0, false},
        {"a repeat", {{a, b, c}}, 1, true},
        {"a repeat from another corner", {{c, a, b}}, 1, true},
        {"the face turned", {{a, c, b}}, 0, true},
        {"two repeats", {{b, c, a}, {a, b, c}}, 2, true},
        {"two faces without corners", {{}, {}}, 1, true},
        {"a face with a corner twice", {{0, 0, 5}}, 0, true},
        {"a face of new points", {{3 * Triangles, 3 * Triangles + 1, 3 * Triangles + 2}}, 0, false},
    };
    for (bool narrow : {false, true})
        for (const auto& row : rows) {
            const std::string cell = std::string(narrow ? "32" : "64") + "-bit cells, " + row.added;
            std::vector<float> xyz(9 * static_cast<size_t>(Triangles + 1));
            for (size_t i = 0; i < xyz.size(); ++i)
                xyz[i] = float(i % 101) + float(i / 101) * 0.25f;
            auto model = ModelShapes::triangleSoup(xyz);
            // The last triangle's points are there for the row that uses them.
            vtkNew<vtkCellArray> faces;
            for (vtkIdType t = 0; t < Triangles; ++t) {
                const vtkIdType ids[3] = {3 * t, 3 * t + 1, 3 * t + 2};
                faces->InsertNextCell(3, ids);
            }
            for (const auto& face : row.faces)
                faces->InsertNextCell(static_cast<vtkIdType>(face.size()), face.data());
            if (narrow)
                faces->ConvertTo32BitStorage();
            model->SetPolys(faces);
            const vtkIdType listed = faces->GetNumberOfCells();
            std::string problem;
            long long probes = -1;
            EXPECT_EQ(mrmlmodelfile::dropRepeatedFaces(model, problem, &probes), row.left) << cell;
            EXPECT_EQ(problem, "") << cell;
            EXPECT_EQ(model->GetNumberOfPolys(), listed - row.left) << cell;
            if (row.table) {
                EXPECT_GE(probes, listed) << cell;
                EXPECT_LT(double(probes), 3.0 * double(listed)) << cell;
            } else {
                EXPECT_EQ(probes, 0) << cell;
            }
        }
}
