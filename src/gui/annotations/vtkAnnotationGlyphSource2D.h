#pragma once
// A flat marker shape in the x-y plane (vertex, dash, cross, arrow, star burst ...), made
// as poly data with one colour per cell, scaled, rotated about z and moved to a centre.
// The annotation managers use it as the shape of their point handles.

#include "PelmoraAnnotationsExport.h"

#include <vtkPolyDataAlgorithm.h>

class vtkCellArray;
class vtkPoints;
class vtkUnsignedCharArray;

class PELMORAANNOTATIONS_EXPORT vtkAnnotationGlyphSource2D : public vtkPolyDataAlgorithm
{
public:
    static vtkAnnotationGlyphSource2D* New();
    vtkTypeMacro(vtkAnnotationGlyphSource2D, vtkPolyDataAlgorithm);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    enum GlyphTypes
    {
        GlyphNone = 0, GlyphVertex, GlyphDash, GlyphCross, GlyphThickCross, GlyphTriangle,
        GlyphSquare, GlyphCircle, GlyphDiamond, GlyphArrow, GlyphThickArrow, GlyphHookedArrow,
        GlyphStarBurst,
    };

    // Only x and y move the glyph.
    vtkSetVector3Macro(Center, double);
    vtkGetVectorMacro(Center, double, 3);
    vtkSetClampMacro(Scale, double, 0.0, 1e299);
    vtkGetMacro(Scale, double);
    // Length factor of the extra dash and cross.
    vtkSetClampMacro(Scale2, double, 0.0, 1e299);
    vtkGetMacro(Scale2, double);
    vtkSetVector3Macro(Color, double);
    vtkGetVectorMacro(Color, double, 3);
    // Closed shapes become polygons when set, closed polylines otherwise.
    vtkSetMacro(Filled, int);
    vtkGetMacro(Filled, int);
    vtkBooleanMacro(Filled, int);
    vtkSetMacro(Dash, int);
    vtkGetMacro(Dash, int);
    vtkBooleanMacro(Dash, int);
    vtkSetMacro(Cross, int);
    vtkGetMacro(Cross, int);
    vtkBooleanMacro(Cross, int);
    // Degrees, counter-clockwise.
    vtkSetMacro(RotationAngle, double);
    vtkGetMacro(RotationAngle, double);
    vtkSetClampMacro(GlyphType, int, GlyphNone, GlyphStarBurst);
    vtkGetMacro(GlyphType, int);

    void SetGlyphTypeToNone() { SetGlyphType(GlyphNone); }
    void SetGlyphTypeToVertex() { SetGlyphType(GlyphVertex); }
    void SetGlyphTypeToDash() { SetGlyphType(GlyphDash); }
    void SetGlyphTypeToCross() { SetGlyphType(GlyphCross); }
    void SetGlyphTypeToThickCross() { SetGlyphType(GlyphThickCross); }
    void SetGlyphTypeToTriangle() { SetGlyphType(GlyphTriangle); }
    void SetGlyphTypeToSquare() { SetGlyphType(GlyphSquare); }
    void SetGlyphTypeToCircle() { SetGlyphType(GlyphCircle); }
    void SetGlyphTypeToDiamond() { SetGlyphType(GlyphDiamond); }
    void SetGlyphTypeToArrow() { SetGlyphType(GlyphArrow); }
    void SetGlyphTypeToThickArrow() { SetGlyphType(GlyphThickArrow); }
    void SetGlyphTypeToHookedArrow() { SetGlyphType(GlyphHookedArrow); }
    void SetGlyphTypeToStarBurst() { SetGlyphType(GlyphStarBurst); }
    // By the point display node's glyph names ("StarBurst2D" ...); an unknown name
    // changes nothing.
    void SetGlyphTypeAsString(const char* name);

protected:
    vtkAnnotationGlyphSource2D();
    ~vtkAnnotationGlyphSource2D() override = default;
    vtkAnnotationGlyphSource2D(const vtkAnnotationGlyphSource2D&) = delete;
    void operator=(const vtkAnnotationGlyphSource2D&) = delete;

    int RequestData(vtkInformation*, vtkInformationVector**, vtkInformationVector*) override;

private:
    struct Output;
    void CreateGlyph(Output& out, int type, int filled, double length);

    double Center[3] = {0.0, 0.0, 0.0};
    double Scale = 1.0;
    double Scale2 = 1.5;
    double Color[3] = {1.0, 1.0, 1.0};
    int Filled = 1;
    int Dash = 0;
    int Cross = 0;
    double RotationAngle = 0.0;
    int GlyphType = GlyphVertex;
};
