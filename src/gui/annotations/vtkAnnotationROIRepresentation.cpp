#include "vtkAnnotationROIRepresentation.h"

#include <vtkActor.h>
#include <vtkAssemblyNode.h>
#include <vtkAssemblyPath.h>
#include <vtkBox.h>
#include <vtkCamera.h>
#include <vtkCellArray.h>
#include <vtkCellPicker.h>
#include <vtkDoubleArray.h>
#include <vtkInteractorObserver.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkObjectFactory.h>
#include <vtkPickingManager.h>
#include <vtkPlanes.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkPropCollection.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>
#include <vtkWindow.h>

#include <algorithm>
#include <cmath>

vtkStandardNewMacro(vtkAnnotationROIRepresentation);

namespace {

// Corners of each face, in the order of the hexahedron's cells.
const vtkIdType faceCorners[6][4] = {{3, 0, 4, 7}, {1, 2, 6, 5}, {0, 1, 5, 4},
                                     {2, 3, 7, 6}, {0, 3, 2, 1}, {4, 5, 6, 7}};
// Point 8 + i lies midway between these corners.
const int midpoints[7][2] = {{0, 7}, {1, 6}, {0, 5}, {2, 7}, {1, 3}, {5, 7}, {0, 6}};
const double handleColors[7][3] = {{0.781, 0.633, 0.867},   {0.5585, 0.343, 0.91},   {0.75, 0.121, 0.26953},
                                   {0.9765, 0.588, 0.1133}, {0.1328, 0.4531, 0.5351}, {0.582, 0.898, 0.871},
                                   {0.973125, 0.898281, 0.2}};

// Per face move: the default direction, the normals (a, b, c) that choose it, the corners
// moved.
struct FaceMove
{
    double direction[3];
    int a, b, c;
    int corners[4];
};
const FaceMove faceMoves[6] = {{{-1, 0, 0}, 0, 4, 2, {0, 3, 4, 7}}, {{1, 0, 0}, 1, 3, 5, {1, 2, 5, 6}},
                               {{0, -1, 0}, 2, 0, 4, {0, 1, 4, 5}}, {{0, 1, 0}, 3, 5, 1, {2, 3, 6, 7}},
                               {{0, 0, -1}, 4, 2, 0, {0, 1, 2, 3}}, {{0, 0, 1}, 5, 1, 3, {4, 5, 6, 7}}};

bool isZero(const double v[3])
{
    return v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0;
}

} // namespace

template <class F> void vtkAnnotationROIRepresentation::ForEachActor(F f)
{
    f(HexActor.Get());
    f(HexOutline.Get());
    f(HexFace.Get());
    for (int i = 0; i < HandleCount; ++i)
        f(Handle[i].Get());
}

vtkAnnotationROIRepresentation::vtkAnnotationROIRepresentation()
{
    InteractionState = Outside;
    HandleSize = 5.0;
    CreateDefaultProperties();

    Points = vtkSmartPointer<vtkPoints>::New();
    Points->SetDataTypeToDouble();
    Points->SetNumberOfPoints(15);

    HexPolyData = vtkSmartPointer<vtkPolyData>::New();
    HexPolyData->SetPoints(Points);
    vtkNew<vtkCellArray> faces;
    for (const auto& face : faceCorners)
        faces->InsertNextCell(4, face);
    HexPolyData->SetPolys(faces);
    HexPolyData->BuildCells();
    HexPolyData->BuildLinks();
    HexMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    HexMapper->SetInputData(HexPolyData);
    HexActor = vtkSmartPointer<vtkActor>::New();
    HexActor->SetMapper(HexMapper);
    HexActor->SetProperty(OutlineProperty);

    HexFacePolyData = vtkSmartPointer<vtkPolyData>::New();
    HexFacePolyData->SetPoints(Points);
    vtkNew<vtkCellArray> face;
    const vtkIdType top[4] = {4, 5, 6, 7};
    face->InsertNextCell(4, top);
    HexFacePolyData->SetPolys(face);
    HexFaceMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    HexFaceMapper->SetInputData(HexFacePolyData);
    HexFace = vtkSmartPointer<vtkActor>::New();
    HexFace->SetMapper(HexFaceMapper);
    HexFace->SetProperty(FaceProperty);

    OutlinePolyData = vtkSmartPointer<vtkPolyData>::New();
    OutlinePolyData->SetPoints(Points);
    OutlinePolyData->SetLines(vtkNew<vtkCellArray>());
    OutlineMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    OutlineMapper->SetInputData(OutlinePolyData);
    HexOutline = vtkSmartPointer<vtkActor>::New();
    HexOutline->SetMapper(OutlineMapper);
    HexOutline->SetProperty(OutlineProperty);

    HandlePicker = vtkSmartPointer<vtkCellPicker>::New();
    HandlePicker->SetTolerance(0.001);
    HandlePicker->PickFromListOn();
    for (int i = 0; i < HandleCount; ++i) {
        HandleGeometry[i] = vtkSmartPointer<vtkSphereSource>::New();
        HandleGeometry[i]->SetThetaResolution(16);
        HandleGeometry[i]->SetPhiResolution(8);
        HandleMapper[i] = vtkSmartPointer<vtkPolyDataMapper>::New();
        HandleMapper[i]->SetInputConnection(HandleGeometry[i]->GetOutputPort());
        Handle[i] = vtkSmartPointer<vtkActor>::New();
        Handle[i]->SetMapper(HandleMapper[i]);
        Handle[i]->SetProperty(HandleProperties[i]);
        HandlePicker->AddPickList(Handle[i]);
    }

    WorldToLocalMatrix = vtkSmartPointer<vtkMatrix4x4>::New();
    Transform = vtkSmartPointer<vtkTransform>::New();
    BoundingBox = vtkSmartPointer<vtkBox>::New();
    PlanePoints = vtkSmartPointer<vtkPoints>::New();
    PlanePoints->SetNumberOfPoints(6);
    PlaneNormals = vtkSmartPointer<vtkDoubleArray>::New();
    PlaneNormals->SetNumberOfComponents(3);
    PlaneNormals->SetNumberOfTuples(6);

    double bounds[6] = {-0.5, 0.5, -0.5, 0.5, -0.5, 0.5};
    PlaceWidget(bounds);
}

vtkAnnotationROIRepresentation::~vtkAnnotationROIRepresentation() = default;

void vtkAnnotationROIRepresentation::CreateDefaultProperties()
{
    for (int i = 0; i < HandleCount; ++i) {
        HandleProperties[i] = vtkSmartPointer<vtkProperty>::New();
        HandleProperties[i]->SetColor(handleColors[i][0], handleColors[i][1], handleColors[i][2]);
    }
    SelectedHandleProperty = vtkSmartPointer<vtkProperty>::New();
    SelectedHandleProperty->SetColor(0.453125, 0.96796, 0.33593);
    FaceProperty = vtkSmartPointer<vtkProperty>::New();
    FaceProperty->SetColor(1, 1, 1);
    FaceProperty->SetOpacity(0);
    SelectedFaceProperty = vtkSmartPointer<vtkProperty>::New();
    SelectedFaceProperty->SetColor(1, 1, 0);
    SelectedFaceProperty->SetOpacity(0.25);
    OutlineProperty = vtkSmartPointer<vtkProperty>::New();
    OutlineProperty->SetRepresentationToWireframe();
    OutlineProperty->SetAmbient(1.0);
    OutlineProperty->SetAmbientColor(1, 1, 1);
    OutlineProperty->SetLineWidth(2.0);
    SelectedOutlineProperty = vtkSmartPointer<vtkProperty>::New();
    SelectedOutlineProperty->SetRepresentationToWireframe();
    SelectedOutlineProperty->SetAmbient(1.0);
    SelectedOutlineProperty->SetAmbientColor(0, 1, 0);
    SelectedOutlineProperty->SetLineWidth(2.0);
}

void vtkAnnotationROIRepresentation::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Initial Bounds: (" << InitialBounds[0] << "," << InitialBounds[1] << ") (" << InitialBounds[2]
       << "," << InitialBounds[3] << ") (" << InitialBounds[4] << "," << InitialBounds[5] << ")\n";
    for (int i = 0; i < HandleCount; ++i)
        os << indent << "Handle Property: " << i << " " << HandleProperties[i].Get() << "\n";
    os << indent << "Selected Handle Property: " << SelectedHandleProperty.Get() << "\n";
    os << indent << "Face Property: " << FaceProperty.Get() << "\n";
    os << indent << "Selected Face Property: " << SelectedFaceProperty.Get() << "\n";
    os << indent << "Outline Property: " << OutlineProperty.Get() << "\n";
    os << indent << "Selected Outline Property: " << SelectedOutlineProperty.Get() << "\n";
    os << indent << "Outline Face Wires: " << (OutlineFaceWires ? "On" : "Off") << "\n";
    os << indent << "Outline Cursor Wires: " << (OutlineCursorWires ? "On" : "Off") << "\n";
    os << indent << "Inside Out: " << (InsideOut ? "On" : "Off") << "\n";
}

// ---------------------------------------------------------------------------------------
// State

void vtkAnnotationROIRepresentation::SetInsideOut(int insideOut)
{
    if (InsideOut == insideOut)
        return;
    InsideOut = insideOut;
    Modified();
}

vtkMatrix4x4* vtkAnnotationROIRepresentation::GetWorldToLocalMatrix()
{
    return WorldToLocalMatrix;
}

void vtkAnnotationROIRepresentation::SetWorldToLocalMatrix(vtkMatrix4x4* matrix)
{
    if (matrix)
        WorldToLocalMatrix->DeepCopy(matrix);
}

vtkProperty* vtkAnnotationROIRepresentation::GetHandleProperty(int index)
{
    return index >= 0 && index < HandleCount ? HandleProperties[index].Get() : nullptr;
}

vtkProperty* vtkAnnotationROIRepresentation::GetSelectedHandleProperty()
{
    return SelectedHandleProperty;
}

vtkProperty* vtkAnnotationROIRepresentation::GetFaceProperty()
{
    return FaceProperty;
}

vtkProperty* vtkAnnotationROIRepresentation::GetSelectedFaceProperty()
{
    return SelectedFaceProperty;
}

vtkProperty* vtkAnnotationROIRepresentation::GetOutlineProperty()
{
    return OutlineProperty;
}

vtkProperty* vtkAnnotationROIRepresentation::GetSelectedOutlineProperty()
{
    return SelectedOutlineProperty;
}

vtkPoints* vtkAnnotationROIRepresentation::GetPoints()
{
    return Points;
}

vtkActor* vtkAnnotationROIRepresentation::GetHandleActor(int index)
{
    return index >= 0 && index < HandleCount ? Handle[index].Get() : nullptr;
}

void vtkAnnotationROIRepresentation::SetOutlineFaceWires(int on)
{
    if (OutlineFaceWires == on)
        return;
    OutlineFaceWires = on;
    Modified();
    GenerateOutline();
}

void vtkAnnotationROIRepresentation::SetOutlineCursorWires(int on)
{
    if (OutlineCursorWires == on)
        return;
    OutlineCursorWires = on;
    Modified();
    GenerateOutline();
}

void vtkAnnotationROIRepresentation::HandlesOn()
{
    for (int i = 0; i < HandleCount; ++i)
        Handle[i]->VisibilityOn();
}

void vtkAnnotationROIRepresentation::HandlesOff()
{
    for (int i = 0; i < HandleCount; ++i)
        Handle[i]->VisibilityOff();
}

// ---------------------------------------------------------------------------------------
// Geometry

void vtkAnnotationROIRepresentation::PlaceWidget(double bounds[6])
{
    double adjusted[6], center[3];
    AdjustBounds(bounds, adjusted, center);
    const double corners[8][3] = {{adjusted[0], adjusted[2], adjusted[4]}, {adjusted[1], adjusted[2], adjusted[4]},
                                  {adjusted[1], adjusted[3], adjusted[4]}, {adjusted[0], adjusted[3], adjusted[4]},
                                  {adjusted[0], adjusted[2], adjusted[5]}, {adjusted[1], adjusted[2], adjusted[5]},
                                  {adjusted[1], adjusted[3], adjusted[5]}, {adjusted[0], adjusted[3], adjusted[5]}};
    for (int i = 0; i < 8; ++i)
        Points->SetPoint(i, corners[i]);
    std::copy(adjusted, adjusted + 6, InitialBounds);
    InitialLength = std::sqrt((adjusted[1] - adjusted[0]) * (adjusted[1] - adjusted[0]) +
                              (adjusted[3] - adjusted[2]) * (adjusted[3] - adjusted[2]) +
                              (adjusted[5] - adjusted[4]) * (adjusted[5] - adjusted[4]));
    PositionHandles();
    ComputeNormals();
    ValidPick = 1;
    SizeHandles();
}

void vtkAnnotationROIRepresentation::PositionHandles()
{
    for (int i = 0; i < HandleCount; ++i) {
        double a[3], b[3], m[3];
        Points->GetPoint(midpoints[i][0], a);
        Points->GetPoint(midpoints[i][1], b);
        for (int k = 0; k < 3; ++k)
            m[k] = (a[k] + b[k]) / 2.0;
        Points->SetPoint(8 + i, m);
        HandleGeometry[i]->SetCenter(m);
    }
    Points->GetData()->Modified();
    Points->Modified();
    HexFacePolyData->Modified();
    HexPolyData->Modified();
    GenerateOutline();
}

void vtkAnnotationROIRepresentation::GenerateOutline()
{
    vtkCellArray* lines = OutlinePolyData->GetLines();
    lines->Reset();
    if (OutlineFaceWires) {
        const vtkIdType diagonals[12][2] = {{0, 7}, {3, 4}, {1, 6}, {2, 5}, {1, 4}, {0, 5},
                                            {3, 6}, {2, 7}, {0, 2}, {1, 3}, {4, 6}, {5, 7}};
        for (const auto& d : diagonals)
            lines->InsertNextCell(2, d);
    }
    if (OutlineCursorWires) {
        const vtkIdType cursor[3][2] = {{8, 9}, {10, 11}, {12, 13}};
        for (const auto& c : cursor)
            lines->InsertNextCell(2, c);
    }
    if (!OutlineFaceWires && !OutlineCursorWires)
        return;
    OutlinePolyData->Modified();
    if (OutlineProperty) {
        OutlineProperty->SetRepresentationToWireframe();
        SelectedOutlineProperty->SetRepresentationToWireframe();
    }
}

void vtkAnnotationROIRepresentation::ComputeNormals()
{
    double p0[3], p1[3], p3[3], p4[3];
    Points->GetPoint(0, p0);
    Points->GetPoint(1, p1);
    Points->GetPoint(3, p3);
    Points->GetPoint(4, p4);
    for (int k = 0; k < 3; ++k) {
        N[0][k] = p0[k] - p1[k];
        N[2][k] = p0[k] - p3[k];
        N[4][k] = p0[k] - p4[k];
    }
    vtkMath::Normalize(N[0]);
    vtkMath::Normalize(N[2]);
    vtkMath::Normalize(N[4]);
    for (int k = 0; k < 3; ++k) {
        N[1][k] = -N[0][k];
        N[3][k] = -N[2][k];
        N[5][k] = -N[4][k];
    }
}

void vtkAnnotationROIRepresentation::GetCenter(double center[3])
{
    Points->GetPoint(14, center);
}

void vtkAnnotationROIRepresentation::GetExtents(double extents[3])
{
    double p0[3], p1[3], p3[3], p4[3];
    Points->GetPoint(0, p0);
    Points->GetPoint(1, p1);
    Points->GetPoint(3, p3);
    Points->GetPoint(4, p4);
    extents[0] = std::sqrt(vtkMath::Distance2BetweenPoints(p1, p0));
    extents[1] = std::sqrt(vtkMath::Distance2BetweenPoints(p3, p0));
    extents[2] = std::sqrt(vtkMath::Distance2BetweenPoints(p4, p0));
}

void vtkAnnotationROIRepresentation::GetPlanes(vtkPlanes* planes)
{
    if (!planes)
        return;
    ComputeNormals();
    const double sign = InsideOut ? -1.0 : 1.0;
    for (int i = 0; i < 6; ++i) {
        PlanePoints->SetPoint(i, Points->GetPoint(8 + i));
        PlaneNormals->SetTuple3(i, sign * N[i][0], sign * N[i][1], sign * N[i][2]);
    }
    planes->SetPoints(PlanePoints);
    planes->SetNormals(PlaneNormals);
    planes->Modified();
}

void vtkAnnotationROIRepresentation::GetPolyData(vtkPolyData* polyData)
{
    if (!polyData)
        return;
    polyData->SetPoints(HexPolyData->GetPoints());
    polyData->SetPolys(HexPolyData->GetPolys());
}

void vtkAnnotationROIRepresentation::GetTransform(vtkTransform* t)
{
    if (!t)
        return;
    PositionHandles();
    ComputeNormals();
    double center[3], p0[3], p1[3], p3[3], p4[3];
    Points->GetPoint(14, center);
    Points->GetPoint(0, p0);
    Points->GetPoint(1, p1);
    Points->GetPoint(3, p3);
    Points->GetPoint(4, p4);
    t->Identity();
    t->Translate(center);
    vtkNew<vtkMatrix4x4> orientation;
    for (int k = 0; k < 3; ++k) {
        orientation->SetElement(k, 0, N[1][k]);
        orientation->SetElement(k, 1, N[3][k]);
        orientation->SetElement(k, 2, N[5][k]);
    }
    t->Concatenate(orientation);
    const double lengths[3] = {std::sqrt(vtkMath::Distance2BetweenPoints(p1, p0)),
                               std::sqrt(vtkMath::Distance2BetweenPoints(p3, p0)),
                               std::sqrt(vtkMath::Distance2BetweenPoints(p4, p0))};
    double scale[3];
    for (int k = 0; k < 3; ++k) {
        const double initial = InitialBounds[2 * k + 1] - InitialBounds[2 * k];
        scale[k] = initial != 0.0 ? lengths[k] / initial : lengths[k];
    }
    t->Scale(scale);
    t->Translate(-(InitialBounds[0] + InitialBounds[1]) / 2.0, -(InitialBounds[2] + InitialBounds[3]) / 2.0,
                 -(InitialBounds[4] + InitialBounds[5]) / 2.0);
}

void vtkAnnotationROIRepresentation::SetTransform(vtkTransform* t)
{
    if (!t) {
        vtkErrorMacro("vtkTransform t must be non-NULL");
        return;
    }
    t->Update();
    const double* b = InitialBounds;
    const double corners[8][3] = {{b[0], b[2], b[4]}, {b[1], b[2], b[4]}, {b[1], b[3], b[4]}, {b[0], b[3], b[4]},
                                  {b[0], b[2], b[5]}, {b[1], b[2], b[5]}, {b[1], b[3], b[5]}, {b[0], b[3], b[5]}};
    for (int i = 0; i < 8; ++i) {
        double out[3];
        t->TransformPoint(corners[i], out);
        Points->SetPoint(i, out);
    }
    PositionHandles();
}

// ---------------------------------------------------------------------------------------
// Moves

void vtkAnnotationROIRepresentation::MoveFace(int face, double* p1, double* p2)
{
    const FaceMove& move = faceMoves[face];
    double direction[3] = {move.direction[0], move.direction[1], move.direction[2]};
    ComputeNormals();
    const double* na = N[move.a];
    const double* nb = N[move.b];
    const double* nc = N[move.c];
    if (!isZero(na)) {
        std::copy(na, na + 3, direction);
    } else if (isZero(nb) && isZero(nc)) {
        // The default stays.
    } else if (isZero(nb)) {
        double t[3];
        vtkMath::Cross(nc, direction, t);
        vtkMath::Cross(t, nc, direction);
    } else if (isZero(nc)) {
        double t[3];
        vtkMath::Cross(nb, direction, t);
        vtkMath::Cross(t, nb, direction);
    } else {
        vtkMath::Cross(nb, nc, direction);
    }
    vtkMath::Normalize(direction);
    const double motion[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
    const double along = vtkMath::Dot(motion, direction);
    for (int corner : move.corners) {
        double p[3];
        Points->GetPoint(corner, p);
        for (int k = 0; k < 3; ++k)
            p[k] += direction[k] * along;
        Points->SetPoint(corner, p);
    }
    PositionHandles();
}

void vtkAnnotationROIRepresentation::Translate(double* p1, double* p2)
{
    const double v[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
    for (int i = 0; i < 8; ++i) {
        double p[3];
        Points->GetPoint(i, p);
        Points->SetPoint(i, p[0] + v[0], p[1] + v[1], p[2] + v[2]);
    }
    PositionHandles();
}

void vtkAnnotationROIRepresentation::Scale(double*, double*, int, int Y)
{
    const double factor = Y > LastEventPosition[1] ? 1.03 : 0.97;
    double center[3];
    Points->GetPoint(14, center);
    for (int i = 0; i < 8; ++i) {
        double p[3];
        Points->GetPoint(i, p);
        for (int k = 0; k < 3; ++k)
            p[k] = center[k] + (p[k] - center[k]) * factor;
        Points->SetPoint(i, p);
    }
    PositionHandles();
}

void vtkAnnotationROIRepresentation::Rotate(int X, int Y, double* p1, double* p2, double* vpn)
{
    const double v[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
    double axis[3];
    vtkMath::Cross(vpn, v, axis);
    if (vtkMath::Normalize(axis) == 0.0)
        return;
    if (!Renderer)
        return;
    const int* size = Renderer->GetSize();
    const double dx = X - LastEventPosition[0], dy = Y - LastEventPosition[1];
    const double diagonal2 = double(size[0]) * size[0] + double(size[1]) * size[1];
    if (diagonal2 <= 0.0)
        return;
    const double angle = 360.0 * std::sqrt((dx * dx + dy * dy) / diagonal2);
    double center[3];
    Points->GetPoint(14, center);
    Transform->Identity();
    Transform->Translate(center);
    Transform->RotateWXYZ(angle, axis);
    Transform->Translate(-center[0], -center[1], -center[2]);
    for (int i = 0; i < 8; ++i) {
        double p[3];
        Points->GetPoint(i, p);
        Transform->TransformPoint(p, p);
        Points->SetPoint(i, p);
    }
    PositionHandles();
}

// ---------------------------------------------------------------------------------------
// Interaction

void vtkAnnotationROIRepresentation::RegisterPickers()
{
    if (vtkPickingManager* manager = GetPickingManager())
        manager->AddPicker(HandlePicker, this);
}

int vtkAnnotationROIRepresentation::ComputeInteractionState(int X, int Y, int)
{
    if (!Renderer || !Renderer->IsInViewport(X, Y)) {
        InteractionState = Outside;
        return InteractionState;
    }
    LastPicker = nullptr;
    CurrentHandle = nullptr;
    vtkAssemblyPath* path = GetAssemblyPath(X, Y, 0.0, HandlePicker);
    if (path) {
        LastPicker = HandlePicker;
        ValidPick = 1;
        CurrentHandle = path->GetFirstNode()->GetViewProp();
        for (int i = 0; i < HandleCount; ++i)
            if (CurrentHandle == Handle[i].Get())
                InteractionState = i < 6 ? MoveF0 + i : Translating;
    }
    return InteractionState;
}

void vtkAnnotationROIRepresentation::StartWidgetInteraction(double e[2])
{
    StartEventPosition[0] = LastEventPosition[0] = e[0];
    StartEventPosition[1] = LastEventPosition[1] = e[1];
    StartEventPosition[2] = LastEventPosition[2] = 0.0;
    ComputeInteractionState(static_cast<int>(e[0]), static_cast<int>(e[1]), 0);
}

void vtkAnnotationROIRepresentation::WidgetInteraction(double e[2])
{
    vtkCamera* camera = Renderer ? Renderer->GetActiveCamera() : nullptr;
    if (!camera)
        return;
    double vpn[3];
    camera->GetViewPlaneNormal(vpn);

    double display[4], center[3];
    if (LastPicker == HandlePicker.Get()) {
        double picked[3];
        HandlePicker->GetPickPosition(picked);
        vtkInteractorObserver::ComputeWorldToDisplay(Renderer, picked[0], picked[1], picked[2], display);
    } else {
        Points->GetPoint(14, center);
        vtkInteractorObserver::ComputeWorldToDisplay(Renderer, center[0], center[1], center[2], display);
    }
    const double z = display[2];
    double previous[4], current[4], previousLocal[4], currentLocal[4];
    vtkInteractorObserver::ComputeDisplayToWorld(Renderer, LastEventPosition[0], LastEventPosition[1], z, previous);
    vtkInteractorObserver::ComputeDisplayToWorld(Renderer, e[0], e[1], z, current);
    previous[3] = current[3] = 1.0;
    WorldToLocalMatrix->MultiplyPoint(previous, previousLocal);
    WorldToLocalMatrix->MultiplyPoint(current, currentLocal);

    if (InteractionState >= MoveF0 && InteractionState <= MoveF5)
        MoveFace(InteractionState - MoveF0, previousLocal, currentLocal);
    else if (InteractionState == Translating)
        Translate(previousLocal, currentLocal);
    else if (InteractionState == Scaling)
        Scale(previousLocal, currentLocal, static_cast<int>(e[0]), static_cast<int>(e[1]));
    else if (InteractionState == Rotating)
        Rotate(static_cast<int>(e[0]), static_cast<int>(e[1]), previousLocal, currentLocal, vpn);

    LastEventPosition[0] = e[0];
    LastEventPosition[1] = e[1];
    LastEventPosition[2] = 0.0;
}

void vtkAnnotationROIRepresentation::SetInteractionState(int state)
{
    state = std::min(std::max(state, static_cast<int>(Outside)), static_cast<int>(Scaling));
    InteractionState = state;
    switch (state) {
    case MoveF0:
    case MoveF1:
    case MoveF2:
    case MoveF3:
    case MoveF4:
    case MoveF5:
        HighlightOutline(0);
        HighlightFace(HighlightHandle(CurrentHandle));
        break;
    case Translating:
    case Scaling:
        HighlightOutline(1);
        HighlightHandle(Handle[6]);
        HighlightFace(-1);
        break;
    case Rotating:
        break;
    default:
        HighlightOutline(0);
        HighlightHandle(nullptr);
        HighlightFace(-1);
        break;
    }
}

int vtkAnnotationROIRepresentation::HighlightHandle(vtkProp* prop)
{
    HighlightOutline(0);
    for (int i = 0; i < HandleCount; ++i)
        Handle[i]->SetProperty(HandleProperties[i]);
    CurrentHandle = prop;
    if (!prop)
        return -1;
    if (auto* actor = vtkActor::SafeDownCast(prop))
        actor->SetProperty(SelectedHandleProperty);
    for (int i = 0; i < 6; ++i)
        if (prop == Handle[i].Get())
            return i;
    if (prop == Handle[6].Get()) {
        HighlightOutline(1);
        return 6;
    }
    return -1;
}

void vtkAnnotationROIRepresentation::HighlightFace(int cellId)
{
    if (cellId < 0 || cellId >= 6) {
        HexFace->SetProperty(FaceProperty);
        CurrentHexFace = -1;
        return;
    }
    // Cells of VTK 9's cell arrays are rewritten in place, not through a fetched cell.
    HexFacePolyData->GetPolys()->ReplaceCellAtId(0, 4, faceCorners[cellId]);
    HexFacePolyData->Modified();
    CurrentHexFace = cellId;
    HexFace->SetProperty(SelectedFaceProperty);
    if (!CurrentHandle)
        CurrentHandle = HexFace;
}

void vtkAnnotationROIRepresentation::HighlightOutline(int highlight)
{
    vtkProperty* property = highlight ? SelectedOutlineProperty.Get() : OutlineProperty.Get();
    HexActor->SetProperty(property);
    HexOutline->SetProperty(property);
}

// ---------------------------------------------------------------------------------------
// Drawing

void vtkAnnotationROIRepresentation::SizeHandles()
{
    double center[3];
    Points->GetPoint(14, center);
    const double radius = SizeHandlesInPixels(1.5, center);
    for (int i = 0; i < HandleCount; ++i)
        HandleGeometry[i]->SetRadius(radius * Handle[i]->GetVisibility());
}

void vtkAnnotationROIRepresentation::BuildRepresentation()
{
    const bool windowChanged = Renderer && Renderer->GetVTKWindow() &&
                               Renderer->GetVTKWindow()->GetMTime() > BuildTime.GetMTime();
    if (GetMTime() > BuildTime.GetMTime() || windowChanged) {
        SizeHandles();
        BuildTime.Modified();
    }
}

void vtkAnnotationROIRepresentation::GetActors(vtkPropCollection* actors)
{
    if (!actors)
        return;
    actors->RemoveAllItems();
    ForEachActor([actors](vtkActor* a) { actors->AddItem(a); });
}

double* vtkAnnotationROIRepresentation::GetBounds()
{
    BuildRepresentation();
    BoundingBox->SetBounds(HexActor->GetBounds());
    return BoundingBox->GetBounds();
}

int vtkAnnotationROIRepresentation::RenderOpaqueGeometry(vtkViewport* viewport)
{
    BuildRepresentation();
    int count = 0;
    vtkInformation* keys = GetPropertyKeys();
    ForEachActor([&](vtkActor* a) {
        a->SetPropertyKeys(keys);
        count += a->RenderOpaqueGeometry(viewport);
    });
    return count;
}

int vtkAnnotationROIRepresentation::RenderTranslucentPolygonalGeometry(vtkViewport* viewport)
{
    BuildRepresentation();
    int count = 0;
    vtkInformation* keys = GetPropertyKeys();
    ForEachActor([&](vtkActor* a) {
        a->SetPropertyKeys(keys);
        count += a->RenderTranslucentPolygonalGeometry(viewport);
    });
    return count;
}

vtkTypeBool vtkAnnotationROIRepresentation::HasTranslucentPolygonalGeometry()
{
    BuildRepresentation();
    vtkTypeBool any = 0;
    ForEachActor([&](vtkActor* a) { any |= a->HasTranslucentPolygonalGeometry(); });
    return any;
}

void vtkAnnotationROIRepresentation::ReleaseGraphicsResources(vtkWindow* window)
{
    ForEachActor([window](vtkActor* a) { a->ReleaseGraphicsResources(window); });
}
