#include "GeometryObject.h"

#include <mrml/vtkMRMLModelStorageNode.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

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

} // namespace Obj
