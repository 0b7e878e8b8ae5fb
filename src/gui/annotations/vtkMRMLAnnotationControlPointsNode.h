#pragma once
// Annotation made of points placed in the scene: the points of the node's poly data, each
// with a selected and a visible flag, and the numbering scheme of their labels.

#include "vtkMRMLAnnotationNode.h"

#include <string>
#include <vector>

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
    int InvokePendingModifiedEvent() override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;
    void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1) override;
    const char* GetAttributeTypesEnumAsString(int type) override;
    void ResetAnnotations() override;
    void Initialize(vtkMRMLScene* scene) override;

    // Coordinate systems of the command-line form.
    enum
    {
        CoordinateSystemRAS = 0,
        CoordinateSystemLPS = 1,
    };
    // Appends the control points to a command line as one argument: the prefix and a blank
    // (when there is a prefix), then every point's coordinates, all separated by ",". LPS
    // negates x and y; another coordinate system writes the prefix alone. All points are
    // written even when multipleFlag asks for one (with a warning). True when written.
    virtual bool WriteCLI(std::vector<std::string>& commandLine, const std::string& prefix,
                          int coordinateSystem = CoordinateSystemRAS, int multipleFlag = 1);

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
    // Appends `count` points (x, y, z after one another) with their flags, as that many
    // AddControlPoint calls would, but marks the node modified once. Returns the index of
    // the first new point, or -1.
    int AddControlPoints(vtkIdType count, const double* coords, const unsigned char* selected,
                         const unsigned char* visible);
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
