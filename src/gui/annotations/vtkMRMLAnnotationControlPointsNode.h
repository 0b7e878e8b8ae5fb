#pragma once
// Annotation made of points placed in the scene: the points of the node's poly data, each
// with a selected and a visible flag, and the numbering scheme of their labels.

#include "vtkMRMLAnnotationNode.h"

class vtkMRMLAnnotationPointDisplayNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationControlPointsNode : public vtkMRMLAnnotationNode
{
public:
    static vtkMRMLAnnotationControlPointsNode* New();
    vtkTypeMacro(vtkMRMLAnnotationControlPointsNode, vtkMRMLAnnotationNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationControlPointsNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationControlPoints"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Modified() override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;
    void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1) override;
    const char* GetAttributeTypesEnumAsString(int type) override;
    void ResetAnnotations() override;
    void Initialize(vtkMRMLScene* scene) override;

    enum
    {
        ControlPointModifiedEvent = 19010,
    };
    enum
    {
        CP_SELECTED = vtkMRMLAnnotationNode::NUM_TEXT_ATTRIBUTE_TYPES,
        CP_VISIBLE,
        NUM_CP_ATTRIBUTE_TYPES,
    };
    enum NumberingSchemes
    {
        UseID = 0,
        UseIndex,
        UsePrevious,
    };

    virtual void SetNumberingScheme(int scheme);
    virtual int GetNumberingScheme() { return NumberingScheme; }
    const char* GetNumberingSchemeAsString();
    void SetNumberingSchemeFromString(const char* name);

    int GetNumberOfControlPoints();
    int AddControlPoint(const double coord[3], int selected, int visible);
    // Sets point id (id may be the count, which appends); a new point is unselected and
    // visible, an existing one keeps its flags.
    int SetControlPoint(int id, const double coord[3]);
    // Sets point id with the given flags. A position within 1e-6 of the stored one is kept,
    // but the flags are still applied.
    int SetControlPoint(int id, const double coord[3], int selected, int visible);
    int SetControlPointWorldCoordinates(int id, const double world[3]);
    int SetControlPointWorldCoordinates(int id, const double world[3], int selected, int visible);
    double* GetControlPointCoordinates(vtkIdType id);
    void GetControlPointWorldCoordinates(vtkIdType id, double world[4]);
    void DeleteControlPoint(int id);

    void CreateAnnotationPointDisplayNode();
    vtkMRMLAnnotationPointDisplayNode* GetAnnotationPointDisplayNode();

protected:
    vtkMRMLAnnotationControlPointsNode() = default;
    ~vtkMRMLAnnotationControlPointsNode() override = default;
    vtkMRMLAnnotationControlPointsNode(const vtkMRMLAnnotationControlPointsNode&) = delete;
    void operator=(const vtkMRMLAnnotationControlPointsNode&) = delete;

    void ResetControlPoints();
    void ResetControlPointsAttributesAll();
    void CreatePolyData() override;

    int NumberingScheme = UseID;
};
