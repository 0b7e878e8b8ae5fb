#include "SmallModelFiles.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <vtkNew.h>
#include <vtkSTLWriter.h>
#include <vtkSphereSource.h>

namespace PelmoraTest {

std::vector<std::string> writeSmallModelFiles(const QString& dir, int count)
{
    std::vector<std::string> paths;
    if (count < 1)
        return paths;
    vtkNew<vtkSphereSource> sphere;
    sphere->SetThetaResolution(47);
    sphere->SetPhiResolution(28);
    vtkNew<vtkSTLWriter> writer;
    writer->SetInputConnection(sphere->GetOutputPort());
    writer->SetFileTypeToBinary();
    const QString first = QDir(dir).filePath(QStringLiteral("model1.stl"));
    writer->SetFileName(QFile::encodeName(first).constData());
    writer->Write();
    paths.push_back(QFile::encodeName(first).toStdString());
    for (int i = 2; i <= count; ++i) {
        const QString copy = QDir(dir).filePath(QStringLiteral("model%1.stl").arg(i));
        QFile::copy(first, copy);
        paths.push_back(QFile::encodeName(copy).toStdString());
    }
    return paths;
}

} // namespace PelmoraTest
