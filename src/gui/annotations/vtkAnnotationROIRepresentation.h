#pragma once
// The box of a region-of-interest annotation: eight corners in the box's own frame, a
// handle on each face and one in the centre, a wireframe outline and a highlighted face.
// A face handle moves its face along the face's normal, the centre handle translates the
// box, and scaling grows or shrinks it about its centre. Mouse motion is taken from world
// into the box's frame through the world-to-local matrix.

#include "PelmoraGuiExport.h"

#include <vtkSmartPointer.h>
#include <vtkWidgetRepresentation.h>

class vtkActor;
class vtkBox;
class vtkCellPicker;
class vtkDoubleArray;
class vtkMatrix4x4;
class vtkPlanes;
class vtkPoints;
class vtkPolyData;
class vtkPolyDataMapper;
class vtkProp;
class vtkProperty;
class vtkSphereSource;
class vtkTransform;

class PELMORAGUI_EXPORT vtkAnnotationROIRepresentation : public vtkWidgetRepresentation
{
public:
    static vtkAnnotationROIRepresentation* New();
    vtkTypeMacro(vtkAnnotationROIRepresentation, vtkWidgetRepresentation);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    enum InteractionStateType
    {
        Outside = 0,
        MoveF0,
        MoveF1,
        MoveF2,
        MoveF3,
        MoveF4,
        MoveF5,
        Translating,
        Rotating,
        Scaling
    };

    virtual void SetInsideOut(int insideOut);
    virtual int GetInsideOut() { return InsideOut; }
    virtual void InsideOutOn() { SetInsideOut(1); }
    virtual void InsideOutOff() { SetInsideOut(0); }

    virtual vtkMatrix4x4* GetWorldToLocalMatrix();
    // Copies the matrix; the caller keeps its own.
    void SetWorldToLocalMatrix(vtkMatrix4x4* matrix);

    // The transform from the placed box to the current one, and back.
    virtual void GetTransform(vtkTransform* t);
    virtual void SetTransform(vtkTransform* t);

    // One property per handle (0 to 5 the faces -X, +X, -Y, +Y, -Z, +Z, 6 the centre).
    vtkProperty* GetHandleProperty(int index);
    virtual vtkProperty* GetSelectedHandleProperty();
    virtual vtkProperty* GetFaceProperty();
    virtual vtkProperty* GetSelectedFaceProperty();
    virtual vtkProperty* GetOutlineProperty();
    virtual vtkProperty* GetSelectedOutlineProperty();

    virtual int GetOutlineFaceWires() { return OutlineFaceWires; }
    virtual int GetOutlineCursorWires() { return OutlineCursorWires; }
    void SetOutlineFaceWires(int on);
    void OutlineFaceWiresOn() { SetOutlineFaceWires(1); }
    void OutlineFaceWiresOff() { SetOutlineFaceWires(0); }
    void SetOutlineCursorWires(int on);
    void OutlineCursorWiresOn() { SetOutlineCursorWires(1); }
    void OutlineCursorWiresOff() { SetOutlineCursorWires(0); }

    virtual void SetInteractionState(int state);
    virtual void PositionHandles();
    virtual int HighlightHandle(vtkProp* prop);
    virtual void HighlightFace(int cellId);
    virtual void SizeHandles();
    virtual void CreateDefaultProperties();
    virtual void Translate(double* p1, double* p2);
    virtual void Scale(double* p1, double* p2, int X, int Y);
    virtual void Rotate(int X, int Y, double* p1, double* p2, double* vpn);

    void GetCenter(double center[3]);
    // Edge lengths along the box's x, y and z.
    void GetExtents(double extents[3]);
    void GetPlanes(vtkPlanes* planes);
    void GetPolyData(vtkPolyData* polyData);
    void HandlesOn();
    void HandlesOff();
    // The handle actors, for tests and callers that place the pointer on one.
    vtkActor* GetHandleActor(int index);
    vtkPoints* GetPoints();
    int GetCurrentFace() const { return CurrentHexFace; }
    vtkProp* GetCurrentHandle() const { return CurrentHandle; }

    void BuildRepresentation() override;
    void PlaceWidget(double bounds[6]) override;
    void StartWidgetInteraction(double e[2]) override;
    void WidgetInteraction(double e[2]) override;
    int ComputeInteractionState(int X, int Y, int modify = 0) override;
    void GetActors(vtkPropCollection* actors) override;
    double* GetBounds() override;
    int RenderOpaqueGeometry(vtkViewport* viewport) override;
    int RenderTranslucentPolygonalGeometry(vtkViewport* viewport) override;
    vtkTypeBool HasTranslucentPolygonalGeometry() override;
    void ReleaseGraphicsResources(vtkWindow* window) override;

protected:
    vtkAnnotationROIRepresentation();
    ~vtkAnnotationROIRepresentation() override;

    void RegisterPickers() override;

private:
    vtkAnnotationROIRepresentation(const vtkAnnotationROIRepresentation&) = delete;
    void operator=(const vtkAnnotationROIRepresentation&) = delete;

    void GenerateOutline();
    void ComputeNormals();
    void HighlightOutline(int highlight);
    void MoveFace(int face, double* p1, double* p2);
    template <class F> void ForEachActor(F f);

    static constexpr int HandleCount = 7;

    vtkSmartPointer<vtkPoints> Points;
    vtkSmartPointer<vtkPolyData> HexPolyData;
    vtkSmartPointer<vtkPolyDataMapper> HexMapper;
    vtkSmartPointer<vtkActor> HexActor;
    vtkSmartPointer<vtkPolyData> HexFacePolyData;
    vtkSmartPointer<vtkPolyDataMapper> HexFaceMapper;
    vtkSmartPointer<vtkActor> HexFace;
    vtkSmartPointer<vtkPolyData> OutlinePolyData;
    vtkSmartPointer<vtkPolyDataMapper> OutlineMapper;
    vtkSmartPointer<vtkActor> HexOutline;
    vtkSmartPointer<vtkSphereSource> HandleGeometry[HandleCount];
    vtkSmartPointer<vtkPolyDataMapper> HandleMapper[HandleCount];
    vtkSmartPointer<vtkActor> Handle[HandleCount];
    vtkSmartPointer<vtkProperty> HandleProperties[HandleCount];
    vtkSmartPointer<vtkProperty> SelectedHandleProperty;
    vtkSmartPointer<vtkProperty> FaceProperty;
    vtkSmartPointer<vtkProperty> SelectedFaceProperty;
    vtkSmartPointer<vtkProperty> OutlineProperty;
    vtkSmartPointer<vtkProperty> SelectedOutlineProperty;
    vtkSmartPointer<vtkCellPicker> HandlePicker;
    vtkSmartPointer<vtkMatrix4x4> WorldToLocalMatrix;
    vtkSmartPointer<vtkTransform> Transform;
    vtkSmartPointer<vtkBox> BoundingBox;
    vtkSmartPointer<vtkPoints> PlanePoints;
    vtkSmartPointer<vtkDoubleArray> PlaneNormals;

    vtkProp* CurrentHandle = nullptr;
    int CurrentHexFace = -1;
    vtkCellPicker* LastPicker = nullptr;
    int InsideOut = 0;
    int OutlineFaceWires = 0;
    int OutlineCursorWires = 1;
    double N[6][3] = {};
    double LastEventPosition[3] = {0, 0, 0};
};
