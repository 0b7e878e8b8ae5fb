#include "vtkAnnotationGlyphSource2D.h"

#include "vtkMRMLAnnotationPointDisplayNode.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkInformation.h>
#include <vtkInformationVector.h>
#include <vtkObjectFactory.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkUnsignedCharArray.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <utility>

vtkStandardNewMacro(vtkAnnotationGlyphSource2D);

// The arrays of one execution and the helpers that append shapes to them.
struct vtkAnnotationGlyphSource2D::Output
{
    vtkPoints* points;
    vtkCellArray* verts;
    vtkCellArray* lines;
    vtkCellArray* polys;
    vtkUnsignedCharArray* colors;
    unsigned char rgb[3];

    vtkIdType point(double x, double y) { return points->InsertNextPoint(x, y, 0.0); }
    void colour() { colors->InsertNextTypedTuple(rgb); }
    void cell(vtkCellArray* cells, std::initializer_list<std::pair<double, double>> xy, bool close)
    {
        cells->InsertNextCell(static_cast<int>(xy.size() + (close ? 1 : 0)));
        vtkIdType first = -1;
        for (const auto& p : xy) {
            const vtkIdType id = point(p.first, p.second);
            if (first < 0)
                first = id;
            cells->InsertCellPoint(id);
        }
        if (close)
            cells->InsertCellPoint(first);
        colour();
    }
    void line(double x0, double y0, double x1, double y1) { cell(lines, {{x0, y0}, {x1, y1}}, false); }
    // A closed shape: a polygon when filled, else a closed polyline.
    void closed(bool filled, std::initializer_list<std::pair<double, double>> xy)
    {
        cell(filled ? polys : lines, xy, !filled);
    }
};

vtkAnnotationGlyphSource2D::vtkAnnotationGlyphSource2D()
{
    SetNumberOfInputPorts(0);
}

void vtkAnnotationGlyphSource2D::SetGlyphTypeAsString(const char* name)
{
    if (!name) {
        vtkErrorMacro("Cannot set glyph type from a null string.");
        return;
    }
    // StarBurst first, then the others in order: the first name that matches wins.
    for (int code : {12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
        const char* known = vtkMRMLAnnotationPointDisplayNode::GetGlyphTypeAsString(code);
        if (known && std::strcmp(known, name) == 0) {
            SetGlyphType(code);
            return;
        }
    }
}

int vtkAnnotationGlyphSource2D::RequestData(vtkInformation*, vtkInformationVector**,
                                            vtkInformationVector* outputVector)
{
    vtkPolyData* output = vtkPolyData::GetData(outputVector);
    vtkNew<vtkPoints> points;
    points->Allocate(6);
    vtkNew<vtkCellArray> verts, lines, polys;
    vtkNew<vtkUnsignedCharArray> colors;
    colors->SetNumberOfComponents(3);
    colors->SetName("Colors");
    Output out{points, verts, lines, polys, colors, {}};
    for (int i = 0; i < 3; ++i)
        out.rgb[i] = static_cast<unsigned char>(Color[i] * 255.0);

    if (Dash)
        CreateGlyph(out, GlyphDash, 0, Scale2);
    if (Cross)
        CreateGlyph(out, GlyphCross, 0, Scale2);
    CreateGlyph(out, GlyphType, Filled, Scale);

    // Scale, rotate, then move to the centre (z stays 0).
    const double a = RotationAngle * 0.017453292519943295;
    const double c = std::cos(a), s = std::sin(a);
    for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i) {
        double p[3];
        points->GetPoint(i, p);
        double x = p[0], y = p[1];
        if (RotationAngle != 0.0) {
            x = p[0] * c - p[1] * s;
            y = p[0] * s + p[1] * c;
        }
        points->SetPoint(i, Scale * x + Center[0], Scale * y + Center[1], 0.0);
    }

    output->SetPoints(points);
    output->SetVerts(verts);
    output->SetLines(lines);
    output->SetPolys(polys);
    output->GetCellData()->SetScalars(colors);
    return 1;
}

void vtkAnnotationGlyphSource2D::CreateGlyph(Output& out, int type, int filled, double length)
{
    const bool f = filled != 0;
    const double h = 0.5 * length;
    switch (type) {
    case GlyphVertex:
        out.verts->InsertNextCell(1);
        out.verts->InsertCellPoint(out.point(0.0, 0.0));
        out.colour();
        break;
    case GlyphDash:
        if (f) {
            out.closed(true, {{-0.5, -0.1}, {0.5, -0.1}, {0.5, 0.1}, {-0.5, 0.1}});
        } else {
            // The outline's points are kept, without a cell, under the line.
            const double outline[4][2] = {{-0.5, -0.1}, {0.5, -0.1}, {0.5, 0.1}, {-0.5, 0.1}};
            for (const auto& p : outline)
                out.point(p[0], p[1]);
            out.line(-h, 0.0, h, 0.0);
        }
        break;
    case GlyphCross:
        if (!f) {
            out.line(-h, 0.0, h, 0.0);
            out.line(0.0, -h, 0.0, h);
            break;
        }
        [[fallthrough]];
    case GlyphThickCross:
        if (f) {
            out.closed(true, {{-0.5, -0.1}, {0.5, -0.1}, {0.5, 0.1}, {-0.5, 0.1}});
            out.closed(true, {{-0.1, -0.5}, {0.1, -0.5}, {0.1, 0.5}, {-0.1, 0.5}});
        } else {
            out.closed(false, {{-0.5, -0.1}, {-0.1, -0.1}, {-0.1, -0.5}, {0.1, -0.5}, {0.1, -0.1},
                               {0.5, -0.1}, {0.5, 0.1}, {0.1, 0.1}, {0.1, 0.5}, {-0.1, 0.5},
                               {-0.1, 0.1}, {-0.5, 0.1}});
        }
        break;
    case GlyphTriangle:
        out.closed(f, {{-0.375, -0.25}, {0.0, 0.5}, {0.375, -0.25}});
        break;
    case GlyphSquare:
        out.closed(f, {{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}});
        break;
    case GlyphCircle: {
        vtkCellArray* cells = f ? out.polys : out.lines;
        cells->InsertNextCell(f ? 8 : 9);
        vtkIdType first = -1;
        for (int k = 0; k < 8; ++k) {
            const double t = k * 3.14159265358979323846 / 4.0;
            const vtkIdType id = out.point(0.5 * std::cos(t), 0.5 * std::sin(t));
            if (first < 0)
                first = id;
            cells->InsertCellPoint(id);
        }
        if (!f)
            cells->InsertCellPoint(first);
        out.colour();
        break;
    }
    case GlyphDiamond:
        out.closed(f, {{0.0, -0.5}, {0.5, 0.0}, {0.0, 0.5}, {-0.5, 0.0}});
        break;
    case GlyphArrow:
        if (!f) {
            out.line(-0.5, 0.0, 0.5, 0.0);
            out.cell(out.lines, {{0.2, -0.1}, {0.5, 0.0}, {0.2, 0.1}}, false);
            break;
        }
        [[fallthrough]];
    case GlyphThickArrow:
        if (f) {
            out.closed(true, {{-0.5, -0.1}, {0.1, -0.1}, {0.1, 0.1}, {-0.5, 0.1}});
            out.closed(true, {{0.1, -0.1}, {0.1, -0.2}, {0.5, 0.0}, {0.1, 0.2}, {0.1, 0.1}});
        } else {
            out.closed(false, {{-0.5, -0.1}, {0.1, -0.1}, {0.1, -0.2}, {0.5, 0.0}, {0.1, 0.2},
                               {0.1, 0.1}, {-0.5, 0.1}});
        }
        break;
    case GlyphHookedArrow:
        if (f) {
            out.closed(true, {{-0.5, -0.1}, {0.1, -0.1}, {0.1, 0.075}, {-0.5, 0.075}});
            out.closed(true, {{0.1, -0.1}, {0.5, -0.1}, {0.1, 0.2}});
        } else {
            out.cell(out.lines, {{-0.5, 0.0}, {0.5, 0.0}, {0.2, 0.1}}, false);
        }
        break;
    case GlyphStarBurst: {
        // Single-precision steps, as the marker has always been drawn: nine rays, the
        // last one over the first.
        const float step = 0.7853981f;
        for (float theta = 0.0f; theta <= 6.283185f; theta += step) {
            const double t = theta;
            out.line(0.3 * std::cos(t), 0.3 * std::sin(t), std::cos(t), std::sin(t));
        }
        break;
    }
    default:
        break;
    }
}

void vtkAnnotationGlyphSource2D::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Center: (" << Center[0] << ", " << Center[1] << ", " << Center[2] << ")\n";
    os << indent << "Scale: " << Scale << "\n";
    os << indent << "Scale2: " << Scale2 << "\n";
    os << indent << "Color: (" << Color[0] << ", " << Color[1] << ", " << Color[2] << ")\n";
    os << indent << "Filled: " << Filled << "\n";
    os << indent << "Dash: " << Dash << "\n";
    os << indent << "Cross: " << Cross << "\n";
    os << indent << "RotationAngle: " << RotationAngle << "\n";
    os << indent << "GlyphType: " << GlyphType << "\n";
}
