#include "GeometryObject.h"

#include <mrml/vtkMRMLModelStorageNode.h>
#include <pmgph/EditorCoreData.h>

#include <vtkCell.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkNew.h>
#include <vtkTriangle.h>
#include <vtkSmartPointer.h>

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

VEXIL_TYPESYSTEM_SOURCE(Obj::GeometryObject, Obj::ProjectObject)
OBJ_PROPERTY_SOURCE(Obj::GeometryObject, Obj::ProjectObject)

namespace Obj {

GeometryObject::GeometryObject()
{
    static const char* const feeder = internedText("FemGui::ViewFeederGeometry");
    set_interned_feeder_type_name(feeder);
    PropertyCoreData& table = property_data_table();
    auto* fileName = new PropertyString;
    fileName->set_read_only(true);
    FileName = static_cast<PropertyString*>(table.add_property(this, fileName, "File Name", "Base", 0, "The model file the shape was read from."));
    Suppressed = static_cast<PropertyBoolean*>(table.add_property(this, new PropertyBoolean, "Suppressed", "Base"));
    SpatialParameters = static_cast<PropertySpaceLocation*>(
        table.add_property(this, new PropertySpaceLocation, "Spatial Parameters", "Base", 0, "Placement of the shape."));
    auto* shape = new PropertyAdvancedTopoData;
    shape->set_object_status(Property::Hidden, true);
    Shape = static_cast<PropertyAdvancedTopoData*>(table.add_property(this, shape, "Shape"));
}

GeometryObject::~GeometryObject()
{
    if (polyData)
        polyData->UnRegister(nullptr);
}

bool GeometryObject::is_model_file(const std::string& path)
{
    return vtkMRMLModelStorageNode::IsSupportedFileName(path.c_str());
}

bool GeometryObject::read_model_file(const std::string& path, std::string& error)
{
    vtkSmartPointer<vtkPolyData> read = vtkSmartPointer<vtkPolyData>::Take(
        vtkMRMLModelStorageNode::ReadPolyData(path.c_str(), error));
    if (!read)
        return false;
    if (polyData)
        polyData->UnRegister(nullptr);
    polyData = read;
    polyData->Register(nullptr);
    FileName->set_value(path);
    Shape->touch();
    return true;
}

const char* GeometryObject::get_file_name() const
{
    return FileName->get_value();
}

bool GeometryObject::write_model_data(std::string& bytes) const
{
    if (!polyData)
        return false;
    vtkNew<vtkPolyDataWriter> writer;
    writer->SetInputData(polyData);
    writer->SetFileTypeToBinary();
    writer->WriteToOutputStringOn();
    if (!writer->Write())
        return false;
    bytes = writer->GetOutputStdString();
    return !bytes.empty();
}

bool GeometryObject::read_model_data(const std::string& bytes, std::string& error)
{
    // The model readers take files: the bytes pass through a private temporary one, so
    // that they meet the same checks as a model file the user opens.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("pelmora-model-XXXXXX.vtk")));
    if (!file.open()) {
        error = "cannot create a temporary file for the model";
        return false;
    }
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
        || !file.flush()) {
        error = "cannot write a temporary file for the model";
        return false;
    }
    const std::string kept = FileName->get_value();
    if (!read_model_file(QFile::encodeName(file.fileName()).toStdString(), error))
        return false;
    FileName->set_value(kept);
    return true;
}

unsigned int GeometryObject::get_memory_usage() const
{
    const unsigned long long surface = polyData ? polyData->GetActualMemorySize() * 1024ull : 0;
    return static_cast<unsigned int>(ProjectObject::get_memory_usage() + surface);
}

void GeometryObject::copy_content(const ProjectObject& source)
{
    ProjectObject::copy_content(source);
    const auto* other = dynamic_cast<const GeometryObject*>(&source);
    if (!other || !other->polyData)
        return;
    vtkSmartPointer<vtkPolyData> copy = vtkSmartPointer<vtkPolyData>::New();
    copy->DeepCopy(other->polyData);
    if (polyData)
        polyData->UnRegister(nullptr);
    polyData = copy;
    polyData->Register(nullptr);
    Shape->touch();
}

void GeometryObject::on_changed(const Property* p)
{
    // The flag that the GUI reads follows the property.
    if (p == Suppressed) {
        if (Suppressed->get_value())
            suppress();
        else
            unsuppress();
    }
    ProjectObject::on_changed(p);
}

std::shared_ptr<const pmGph::EditorCoreData> GeometryObject::get_editor_core_data(int propertyType,
                                                                                 const char* name) const
{
    if (propertyType != 0 || (name && *name) || !polyData || polyData->GetNumberOfCells() == 0)
        return nullptr;
    constexpr int Bands = 10;
    double bounds[6];
    polyData->GetBounds(bounds);
    const double low = bounds[4];
    const double step = (bounds[5] - bounds[4]) / Bands;
    std::vector<double> area(Bands, 0.0);
    double a[3], b[3], c[3];
    for (vtkIdType i = 0; i < polyData->GetNumberOfCells(); ++i) {
        vtkCell* cell = polyData->GetCell(i);
        // Polygons as fans of triangles; lines and vertices have no area.
        const vtkIdType n = cell->GetNumberOfPoints();
        if (cell->GetCellDimension() != 2 || n < 3)
            continue;
        polyData->GetPoint(cell->GetPointId(0), a);
        for (vtkIdType k = 1; k + 1 < n; ++k) {
            polyData->GetPoint(cell->GetPointId(k), b);
            polyData->GetPoint(cell->GetPointId(k + 1), c);
            const double z = (a[2] + b[2] + c[2]) / 3.0;
            int band = step > 0.0 ? static_cast<int>((z - low) / step) : 0;
            band = band < 0 ? 0 : (band >= Bands ? Bands - 1 : band);
            area[static_cast<size_t>(band)] += vtkTriangle::TriangleArea(a, b, c);
        }
    }
    auto data = std::make_shared<pmGph::EditorCoreData>();
    data->list = {"Height", "Surface area"};
    for (int band = 0; band < Bands; ++band)
        data->values.push_back({low + (band + 0.5) * step, area[static_cast<size_t>(band)]});
    return data;
}

} // namespace Obj
