#pragma once
// How the control points of an annotation are drawn: glyph type and scale, and how they
// are projected onto slice views.

#include "vtkMRMLAnnotationDisplayNode.h"

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationPointDisplayNode : public vtkMRMLAnnotationDisplayNode
{
public:
    static vtkMRMLAnnotationPointDisplayNode* New();
    vtkTypeMacro(vtkMRMLAnnotationPointDisplayNode, vtkMRMLAnnotationDisplayNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationPointDisplayNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationPointDisplay"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;
    void CreateBackup() override;
    void RestoreBackup() override;

    enum GlyphShapes
    {
        GlyphMin = 1,
        Vertex2D = GlyphMin, Dash2D, Cross2D, ThickCross2D, Triangle2D, Square2D, Circle2D,
        Diamond2D, Arrow2D, ThickArrow2D, HookedArrow2D, StarBurst2D, Sphere3D,
        GlyphMax = Sphere3D,
    };
    enum
    {
        ProjectionUseFiducialColor = 0x02,
        ProjectionOutlinedBehindSlicePlane = 0x04,
    };

    virtual int GetGlyphType() { return GlyphType; }
    void SetGlyphType(int type);
    virtual double GetGlyphScale() { return GlyphScale; }
    void SetGlyphScale(double scale);
    static int GetMinimumGlyphType() { return GlyphMin; }
    static int GetMaximumGlyphType() { return GlyphMax; }
    static bool GlyphTypeIs3D(int type) { return type >= Sphere3D; }
    static const char* GetGlyphTypeAsString(int type);
    const char* GetGlyphTypeAsString() { return GetGlyphTypeAsString(GlyphType); }
    void SetGlyphTypeFromString(const char* name);

    void SliceProjectionUseFiducialColorOn() { SetSliceProjection(GetSliceProjection() | ProjectionUseFiducialColor); }
    void SliceProjectionUseFiducialColorOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionUseFiducialColor); }
    void SliceProjectionOutlinedBehindSlicePlaneOn() { SetSliceProjection(GetSliceProjection() | ProjectionOutlinedBehindSlicePlane); }
    void SliceProjectionOutlinedBehindSlicePlaneOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionOutlinedBehindSlicePlane); }

protected:
    vtkMRMLAnnotationPointDisplayNode();
    ~vtkMRMLAnnotationPointDisplayNode() override = default;
    vtkMRMLAnnotationPointDisplayNode(const vtkMRMLAnnotationPointDisplayNode&) = delete;
    void operator=(const vtkMRMLAnnotationPointDisplayNode&) = delete;

    double GlyphScale = 5.0;
    int GlyphType = Sphere3D;
};
