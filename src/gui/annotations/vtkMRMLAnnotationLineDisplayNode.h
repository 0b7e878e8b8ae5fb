#pragma once
// How the lines of an annotation are drawn: thickness, distance label, tick marks and the
// projection of the lines onto slice views.

#include "vtkMRMLAnnotationDisplayNode.h"

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationLineDisplayNode : public vtkMRMLAnnotationDisplayNode
{
public:
    static vtkMRMLAnnotationLineDisplayNode* New();
    vtkTypeMacro(vtkMRMLAnnotationLineDisplayNode, vtkMRMLAnnotationDisplayNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationLineDisplayNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationLineDisplay"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;
    void CreateBackup() override;
    void RestoreBackup() override;

    enum
    {
        ProjectionDashed = 0x02,
        ProjectionColoredWhenParallel = 0x04,
        ProjectionThickerOnTop = 0x08,
        ProjectionUseRulerColor = 0x10,
    };

    vtkGetMacro(LineThickness, double);
    vtkSetMacro(LineThickness, double);
    vtkSetClampMacro(LabelPosition, double, 0.0, 1.0);
    vtkGetMacro(LabelPosition, double);
    vtkSetMacro(LabelVisibility, int);
    vtkGetMacro(LabelVisibility, int);
    vtkBooleanMacro(LabelVisibility, int);
    vtkSetMacro(TickSpacing, double);
    vtkGetMacro(TickSpacing, double);
    vtkSetMacro(MaxTicks, int);
    vtkGetMacro(MaxTicks, int);
    vtkSetMacro(UnderLineThickness, double);
    vtkGetMacro(UnderLineThickness, double);
    vtkSetMacro(OverLineThickness, double);
    vtkGetMacro(OverLineThickness, double);

    void SliceProjectionDashedOn() { SetSliceProjection(GetSliceProjection() | ProjectionDashed); }
    void SliceProjectionDashedOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionDashed); }
    void SliceProjectionColoredWhenParallelOn() { SetSliceProjection(GetSliceProjection() | ProjectionColoredWhenParallel); }
    void SliceProjectionColoredWhenParallelOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionColoredWhenParallel); }
    void SliceProjectionThickerOnTopOn() { SetSliceProjection(GetSliceProjection() | ProjectionThickerOnTop); }
    void SliceProjectionThickerOnTopOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionThickerOnTop); }
    void SliceProjectionUseRulerColorOn() { SetSliceProjection(GetSliceProjection() | ProjectionUseRulerColor); }
    void SliceProjectionUseRulerColorOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionUseRulerColor); }

protected:
    vtkMRMLAnnotationLineDisplayNode();
    ~vtkMRMLAnnotationLineDisplayNode() override = default;
    vtkMRMLAnnotationLineDisplayNode(const vtkMRMLAnnotationLineDisplayNode&) = delete;
    void operator=(const vtkMRMLAnnotationLineDisplayNode&) = delete;

    double LineThickness = 1.0;
    double LabelPosition = 0.2;
    int LabelVisibility = 0;
    double TickSpacing = 10.0;
    int MaxTicks = 99;
    double UnderLineThickness = 1.0;
    double OverLineThickness = 3.0;
};
