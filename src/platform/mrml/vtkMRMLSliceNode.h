#pragma once
// A slice view: the plane it shows (slice-to-RAS: the plane's axes and origin in RAS
// coordinates), the extent of that plane in millimetres and in pixels, and the
// pixel-to-RAS matrix that follows from them. In a light-box layout the view is a grid
// of panes: pane k (row-major from the top left) shows the plane moved k slice
// spacings along its normal, and its pixels are XY (x, y, k) with x and y counted from
// the pane's lower left corner.

#include "vtkMRMLAbstractViewNode.h"

#include <vtkNew.h>

class vtkMatrix4x4;

class vtkMRMLSliceNode : public vtkMRMLAbstractViewNode
{
public:
    static vtkMRMLSliceNode* New();
    vtkTypeMacro(vtkMRMLSliceNode, vtkMRMLAbstractViewNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLSliceNode::New(); }
    const char* GetNodeTagName() override { return "Slice"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    // "Axial", "Sagittal" or "Coronal": turns the plane, keeping its origin. Other names
    // are refused (false) and change nothing.
    bool SetOrientation(const char* orientation);
    const char* GetOrientation() const { return Orientation.c_str(); }

    // The plane's x and y axes, normal and origin as the columns of a 4x4 matrix. Callers
    // that change it call UpdateMatrices() afterwards.
    vtkMatrix4x4* GetSliceToRAS() { return SliceToRAS; }
    // Pixel (x, y, 0, 1) of the view to RAS; derived, do not change it.
    vtkMatrix4x4* GetXYToRAS() { return XYToRAS; }
    // Recomputes XYToRAS and marks the node modified.
    void UpdateMatrices();

    // Width, height and thickness of the plane's shown area, in millimetres (positive).
    void SetFieldOfView(double x, double y, double z);
    vtkGetVector3Macro(FieldOfView, double);
    // The view's size in pixels (each at least 1).
    void SetDimensions(int x, int y, int z);
    vtkGetVector3Macro(Dimensions, int);

    // The light-box grid (each at least 1; 1 x 1 is a single slice). The dimensions are
    // those of one pane.
    void SetLayoutGrid(int rows, int columns);
    vtkGetMacro(LayoutGridRows, int);
    vtkGetMacro(LayoutGridColumns, int);

    // The colour that marks this view in the layout (its frame, and lines that lie in
    // its plane).
    vtkSetVector3Macro(LayoutColor, double);
    vtkGetVector3Macro(LayoutColor, double);

    // Distance of the plane from the RAS origin along its normal; setting it moves the
    // plane's origin along the normal.
    double GetSliceOffset();
    void SetSliceOffset(double offset);

protected:
    vtkMRMLSliceNode();
    ~vtkMRMLSliceNode() override;
    vtkMRMLSliceNode(const vtkMRMLSliceNode&) = delete;
    void operator=(const vtkMRMLSliceNode&) = delete;

    std::string Orientation = "Axial";
    vtkNew<vtkMatrix4x4> SliceToRAS;
    vtkNew<vtkMatrix4x4> XYToRAS;
    double FieldOfView[3] = {250.0, 250.0, 1.0};
    int Dimensions[3] = {256, 256, 1};
    int LayoutGridRows = 1;
    int LayoutGridColumns = 1;
    double LayoutColor[3] = {0.5, 0.5, 0.5};
};
