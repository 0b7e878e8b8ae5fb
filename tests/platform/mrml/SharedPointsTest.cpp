// STL files repeat each corner for every triangle that meets there; the model read from
// one holds each corner once, with the same triangles.

#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkCellArray.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSTLWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

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

    // Minus zero is the same coordinate as zero; a corner that is not a number is nobody's.
    const QString ascii = dir.filePath(QStringLiteral("two.stl"));
    QFile file(ascii);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("solid two\n"
               "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\n"
               "facet normal 0 0 1\nouter loop\nvertex -0 0 0\nvertex 0 1 0\nvertex -1 0 0\nendloop\nendfacet\n"
               "facet normal 0 0 1\nouter loop\nvertex nan 0 0\nvertex nan 0 0\nvertex 1 0 0\nendloop\nendfacet\n"
               "endsolid two\n");
    file.close();
    vtkSmartPointer<vtkPolyData> two = read(ascii);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->GetNumberOfPolys(), 3);
    EXPECT_EQ(two->GetNumberOfPoints(), 6);
}
