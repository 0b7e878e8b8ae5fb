#pragma once
// A geometry object whose surface is read from a model file (.stl, .vtk, .vtp, .ply,
// .obj).  The GUI shows it through the feeder its type names, which builds the model
// node from the surface held here.

#include "ProjectObject.h"

#include <string>

class vtkPolyData;

namespace Obj {

class GeometryObject : public ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    GeometryObject();
    ~GeometryObject() override;

    // Whether the file's extension names a model kind that can be read.
    static bool is_model_file(const std::string& path);
    // Reads the surface; on failure returns false with `error` set and keeps what it had.
    bool read_model_file(const std::string& path, std::string& error);
    // The surface read, or null before a successful read.
    vtkPolyData* get_poly_data() const { return polyData; }
    const char* get_file_name() const;

    // The surface as the bytes of a binary legacy VTK file, for keeping inside a project
    // file; false without a surface.
    bool write_model_data(std::string& bytes) const;
    // Reads a surface from such bytes through the same checks as a model file; on failure
    // returns false with `error` set and keeps what it had.  The file name stays as it was.
    bool read_model_data(const std::string& bytes, std::string& error);

    unsigned int get_memory_usage() const override;
    // Takes over the source's surface (a copy of it) as well as its property values.
    void copy_content(const ProjectObject& source) override;

    void on_changed(const Property* p) override;
    // For property kind 0: the surface's area by height, in ten bands from the lowest to
    // the highest point ("Height" and "Surface area" columns).
    std::shared_ptr<const pmGph::EditorCoreData> get_editor_core_data(int propertyType,
                                                                      const char* name) const override;

    PropertyString* FileName = nullptr;
    PropertyBoolean* Suppressed = nullptr;
    PropertySpaceLocation* SpatialParameters = nullptr;
    PropertyAdvancedTopoData* Shape = nullptr;

private:
    vtkPolyData* polyData = nullptr;   // one reference held
};

} // namespace Obj
