// STL files repeat each corner for every triangle that meets there; the model read from
// one holds each corner once, with the same triangles.

#include "ModelShapes.h"

#include <mrml/MRMLSharedPoints.h>
#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkCellArray.h>
#include <vtkDoubleArray.h>
#include <vtkIntArray.h>
#include <vtkPointData.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSTLWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

vtkSmartPointer<vtkPolyData> read(const QString& path)
{
    std::string error;
    vtkSmartPointer<vtkPolyData> data = vtkSmartPointer<vtkPolyData>::Take(
        vtkMRMLModelStorageNode::ReadPolyData(QFile::encodeName(path).constData(), error));
    EXPECT_TRUE(data) << error;
    return data;
}

} // namespace

TEST(ModelFileSTL, CornersSharedByTrianglesAreReadAsOnePoint)
{
    QTemporaryDir dir;
    vtkNew<vtkSphereSource> sphere;
    sphere->SetThetaResolution(12);
    sphere->SetPhiResolution(8);
    sphere->Update();
    vtkPolyData* original = sphere->GetOutput();
    const QString path = dir.filePath(QStringLiteral("sphere.stl"));
    vtkNew<vtkSTLWriter> writer;
    writer->SetInputData(original);
    writer->SetFileTypeToBinary();
    writer->SetFileName(QFile::encodeName(path).constData());
    ASSERT_EQ(writer->Write(), 1);

    vtkSmartPointer<vtkPolyData> data = read(path);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->GetNumberOfPoints(), original->GetNumberOfPoints());
    ASSERT_EQ(data->GetNumberOfPolys(), original->GetNumberOfPolys());
    // Every triangle still has its own three corners, in its own order.
    vtkNew<vtkIdList> a, b;
    for (vtkIdType cell = 0; cell < data->GetNumberOfPolys(); ++cell) {
        data->GetCellPoints(cell, a);
        original->GetCellPoints(cell, b);
        ASSERT_EQ(a->GetNumberOfIds(), 3);
        for (vtkIdType k = 0; k < 3; ++k)
            for (int axis = 0; axis < 3; ++axis)
                ASSERT_FLOAT_EQ(static_cast<float>(data->GetPoint(a->GetId(k))[axis]),
                                static_cast<float>(original->GetPoint(b->GetId(k))[axis]));
    }

    // Minus zero is the same coordinate as zero.
    const QString ascii = dir.filePath(QStringLiteral("two.stl"));
    QFile file(ascii);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("solid two\n"
               "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\n"
               "facet normal 0 0 1\nouter loop\nvertex -0 0 0\nvertex 0 1 0\nvertex -1 0 0\nendloop\nendfacet\n"
               "endsolid two\n");
    file.close();
    vtkSmartPointer<vtkPolyData> two = read(ascii);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->GetNumberOfPolys(), 2);
    EXPECT_EQ(two->GetNumberOfPoints(), 4);
}

namespace {

// The corners of the grid that the triangles of ModelShapes::triangleCorners (an even
// number of them) touch.
vtkIdType gridCorners(int triangles)
{
    const int columns = static_cast<int>(std::ceil(std::sqrt(triangles / 2.0)));
    const int quads = triangles / 2, rows = quads / columns, rest = quads % columns;
    return vtkIdType(columns + 1) * (rows + 1) + (rest ? rest + 1 : 0);
}

// The slots read a point while `join` runs.
template <class Join>
double probesPerPoint(Join join)
{
    const mrmlmodelfile::SharedPointsWork before = mrmlmodelfile::sharedPointsWork();
    join();
    const mrmlmodelfile::SharedPointsWork after = mrmlmodelfile::sharedPointsWork();
    EXPECT_GT(after.points, before.points);
    // The points kept are read to copy them (and their attributes) once each.
    EXPECT_LE(after.kept - before.kept, 2 * (after.points - before.points));
    return double(after.probes - before.probes) / double(std::max<std::uint64_t>(1, after.points - before.points));
}

} // namespace

// Round coordinates have floats whose low bits are all zero, powers of two a mantissa of
// zeros: joining their corners reads about one table slot a point, as arbitrary ones do,
// from ten thousand triangles to a million; the file's way in the same.
TEST(ModelFileSTL, JoiningCornersReadsAboutOneSlotAPointWhateverTheCoordinates)
{
    using namespace ModelShapes;
    for (Shape shape : allShapes) {
        for (int triangles : {10000, 100000, 1000000}) {
            vtkSmartPointer<vtkPolyData> data = triangleSoup(triangleCorners(shape, triangles));
            const double probes = probesPerPoint([&] { EXPECT_TRUE(mrmlmodelfile::shareCoincidentPoints(data)); });
            EXPECT_LT(probes, 1.5) << shapeName(shape) << ", " << triangles << " triangles";
            EXPECT_EQ(data->GetNumberOfPoints(), gridCorners(triangles)) << shapeName(shape) << ", " << triangles;
            EXPECT_EQ(data->GetNumberOfPolys(), triangles);
        }
    }

    QTemporaryDir dir;
    for (Shape shape : allShapes) {
        const QString path = dir.filePath(QStringLiteral("grid %1.stl").arg(QString::fromLatin1(shapeName(shape))));
        ASSERT_TRUE(writeBinaryStl(QFile::encodeName(path).toStdString(), triangleCorners(shape, 100000)));
        vtkSmartPointer<vtkPolyData> data;
        const double probes = probesPerPoint([&] { data = read(path); });
        EXPECT_LT(probes, 1.5) << shapeName(shape);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->GetNumberOfPoints(), gridCorners(100000)) << shapeName(shape);
        QFile::remove(path);
    }
}

// Corners made against the tables: all not a number, or finite and all in one slot of a
// table hashed without the process's seed (1,500 slots a point at a thousand triangles
// there).  Joining them reads under two slots a point at every size, in single precision
// (the STL reader) and double (the cut of a union of clip planes); a file of them is
// refused for its first corner that is not a number before any is looked up, or read at
// the same cost as any other.
TEST(ModelFileSTL, HostileCornersCostAboutOneSlotAPointEveryWayIn)
{
    using namespace ModelShapes;
    QTemporaryDir dir;
    for (Hostile shape : allHostile) {
        for (int triangles : {1000, 8000, 64000}) {
            const std::string cell = std::string(hostileName(shape)) + ", " + std::to_string(triangles) + " triangles";
            const std::vector<float> corners = hostileCorners<float>(shape, triangles);
            vtkSmartPointer<vtkPolyData> single = triangleSoup(corners);
            EXPECT_LT(probesPerPoint([&] { mrmlmodelfile::shareCoincidentPoints(single); }), 2.0) << cell;
            EXPECT_EQ(single->GetNumberOfPoints(), 3 * triangles) << cell;

            const std::vector<double> exact = hostileCorners<double>(shape, triangles);
            vtkSmartPointer<vtkPolyData> twice = triangleSoup(corners);
            vtkNew<vtkDoubleArray> coordinates;
            coordinates->SetNumberOfComponents(3);
            coordinates->SetNumberOfTuples(3 * triangles);
            std::copy(exact.begin(), exact.end(), coordinates->GetPointer(0));
            twice->GetPoints()->SetData(coordinates);
            EXPECT_LT(probesPerPoint([&] { mrmlmodelfile::mergeCoincidentPoints(twice); }), 2.0) << cell;
            EXPECT_EQ(twice->GetNumberOfPoints(), 3 * triangles) << cell;

            const QString path = dir.filePath(QStringLiteral("hostile.stl"));
            ASSERT_TRUE(writeBinaryStl(QFile::encodeName(path).toStdString(), corners));
            const mrmlmodelfile::SharedPointsWork before = mrmlmodelfile::sharedPointsWork();
            std::string error;
            vtkSmartPointer<vtkPolyData> data = vtkSmartPointer<vtkPolyData>::Take(
                vtkMRMLModelStorageNode::ReadPolyData(QFile::encodeName(path).constData(), error));
            const mrmlmodelfile::SharedPointsWork after = mrmlmodelfile::sharedPointsWork();
            if (shape == Hostile::NotANumber) {
                EXPECT_FALSE(data) << cell;
                EXPECT_NE(error.find("could not be read: point 0 has a coordinate that is not a number"), std::string::npos)
                    << error;
                EXPECT_EQ(after.probes, before.probes) << cell;
            } else {
                ASSERT_TRUE(data) << error;
                EXPECT_EQ(data->GetNumberOfPoints(), 3 * triangles) << cell;
                EXPECT_LT(double(after.probes - before.probes) / double(after.points - before.points), 2.0) << cell;
                EXPECT_LE(after.kept - before.kept, 2 * (after.points - before.points)) << cell;
            }
            QFile::remove(path);
        }
    }
}

// Corners copied per cell by a filter: points of double precision are joined too, and
// each joined point keeps the attributes of its first copy.
TEST(ModelFileSTL, CopiedCornersOfEitherPrecisionAreJoinedWithTheirFirstAttributes)
{
    using namespace ModelShapes;
    const std::vector<float> corners = triangleCorners(Shape::HalfInteger, 200);
    vtkSmartPointer<vtkPolyData> data = triangleSoup(corners);
    vtkNew<vtkDoubleArray> twice;
    twice->SetNumberOfComponents(3);
    for (size_t k = 0; k < corners.size(); k += 3)
        twice->InsertNextTuple3(corners[k], corners[k + 1], corners[k + 2]);
    data->GetPoints()->SetData(twice);
    vtkNew<vtkIntArray> copy;
    copy->SetName("copy");
    for (vtkIdType k = 0; k < data->GetNumberOfPoints(); ++k)
        copy->InsertNextValue(static_cast<int>(k));
    data->GetPointData()->AddArray(copy);

    // What is read from a file keeps its attributes as they are.
    EXPECT_FALSE(mrmlmodelfile::shareCoincidentPoints(data));
    ASSERT_TRUE(mrmlmodelfile::mergeCoincidentPoints(data));
    ASSERT_EQ(data->GetNumberOfPoints(), gridCorners(200));
    auto* kept = vtkIntArray::SafeDownCast(data->GetPointData()->GetArray("copy"));
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->GetNumberOfTuples(), data->GetNumberOfPoints());
    // Each point's first copy is the first corner at its place: no earlier corner has it.
    vtkNew<vtkIdList> ids;
    for (vtkIdType cell = 0; cell < data->GetNumberOfPolys(); ++cell) {
        data->GetCellPoints(cell, ids);
        for (vtkIdType k = 0; k < 3; ++k) {
            const vtkIdType point = ids->GetId(k);
            const int first = kept->GetValue(point);
            EXPECT_LE(first, 3 * cell + k);
            for (int axis = 0; axis < 3; ++axis)
                ASSERT_EQ(corners[3 * size_t(first) + axis], float(data->GetPoint(point)[axis]));
            for (int earlier = 0; earlier < first; ++earlier)
                ASSERT_FALSE(corners[3 * size_t(earlier)] == corners[3 * size_t(first)]
                             && corners[3 * size_t(earlier) + 1] == corners[3 * size_t(first) + 1]
                             && corners[3 * size_t(earlier) + 2] == corners[3 * size_t(first) + 2]);
        }
    }
}
