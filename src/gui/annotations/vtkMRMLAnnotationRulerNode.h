#pragma once
// A ruler: the distance between control points 0 and 1, joined by line 0, with the format
// of its distance label and two optional model ids.

#include "vtkMRMLAnnotationLinesNode.h"

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationRulerNode : public vtkMRMLAnnotationLinesNode
{
public:
    static vtkMRMLAnnotationRulerNode* New();
    vtkTypeMacro(vtkMRMLAnnotationRulerNode, vtkMRMLAnnotationLinesNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationRulerNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationRuler"; }
    const char* GetIcon() override { return ":/Icons/AnnotationDistance.png"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;
    void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1) override;

    vtkGetStringMacro(DistanceAnnotationFormat);
    vtkSetStringMacro(DistanceAnnotationFormat);
    vtkGetStringMacro(ModelID1);
    vtkSetStringMacro(ModelID1);
    vtkGetStringMacro(ModelID2);
    vtkSetStringMacro(ModelID2);

    int SetPosition1(double x, double y, double z) { const double p[3] = {x, y, z}; return SetControlPoint(0, p); }
    int SetPosition1(const double p[3]) { return SetControlPoint(0, p); }
    int SetPosition2(double x, double y, double z) { const double p[3] = {x, y, z}; return SetControlPoint(1, p); }
    int SetPosition2(const double p[3]) { return SetControlPoint(1, p); }
    double* GetPosition1();
    double* GetPosition2();
    void GetPosition1(double p[3]);
    void GetPosition2(double p[3]);
    int SetPositionWorldCoordinates1(const double world[3]);
    int SetPositionWorldCoordinates2(const double world[3]);
    void GetPositionWorldCoordinates1(double world[3]);
    void GetPositionWorldCoordinates2(double world[3]);
    double GetDistanceMeasurement();
    // The file reader's check: the line must join points 0 and 1.
    int SetRuler(vtkIdType lineId, int selected, int visible);

    double GetDistanceAnnotationScale();
    void SetDistanceAnnotationScale(double scale);
    double* GetDistanceAnnotationTextColour();
    void SetDistanceAnnotationTextColour(const double color[3]);
    int GetDistanceAnnotationVisibility() { return GetAnnotationAttribute(0, TEXT_VISIBLE); }
    void SetDistanceAnnotationVisibility(int visible) { SetAnnotationAttribute(0, TEXT_VISIBLE, visible); }
    double* GetLineColour();
    void SetLineColour(const double color[3]);
    double* GetPointColour();
    void SetPointColour(const double color[3]);

    // Moves both end points (any transform, linear or not); the line joins them again.
    void ApplyTransformMatrix(class vtkMatrix4x4* matrix);
    void ApplyTransform(class vtkAbstractTransform* transform);

protected:
    vtkMRMLAnnotationRulerNode();
    ~vtkMRMLAnnotationRulerNode() override;
    vtkMRMLAnnotationRulerNode(const vtkMRMLAnnotationRulerNode&) = delete;
    void operator=(const vtkMRMLAnnotationRulerNode&) = delete;

public:
    using vtkMRMLAnnotationLinesNode::SetControlPoint;
    // Only points 0 and 1 exist; line 0 is added with the second point.
    int SetControlPoint(int id, const double coord[3]);
    int AddControlPoint(const double coord[3], int selected, int visible);

protected:
    template <typename Move>
    void MoveEnds(Move move);

    char* DistanceAnnotationFormat = nullptr;
    char* ModelID1 = nullptr;
    char* ModelID2 = nullptr;
};
