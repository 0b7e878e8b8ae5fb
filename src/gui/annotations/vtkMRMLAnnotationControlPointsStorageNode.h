#pragma once
// Adds the point section to the annotation list file: the numbering scheme, the point
// display properties, the column declaration and one row per control point.

#include "vtkMRMLAnnotationStorageNode.h"

class vtkMRMLAnnotationControlPointsNode;
class vtkMRMLAnnotationPointDisplayNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationControlPointsStorageNode : public vtkMRMLAnnotationStorageNode
{
public:
    static vtkMRMLAnnotationControlPointsStorageNode* New();
    vtkTypeMacro(vtkMRMLAnnotationControlPointsStorageNode, vtkMRMLAnnotationStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationControlPointsStorageNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationControlPointsStorage"; }
    bool CanReadInReferenceNode(vtkMRMLNode* node) override;
    int ReadAnnotation(vtkMRMLAnnotationNode* node) override;

    // Point columns: field 0 x, 1 y, 2 z, 3 sel, 4 vis.
    int WriteAnnotationControlPointsProperties(std::string& out, vtkMRMLAnnotationControlPointsNode* node);
    int WriteAnnotationPointDisplayProperties(std::string& out, vtkMRMLAnnotationPointDisplayNode* node,
                                              const std::string& section);
    int WriteAnnotationControlPointsData(std::string& out, vtkMRMLAnnotationControlPointsNode* node);
    int ReadAnnotationControlPointsProperties(vtkMRMLAnnotationControlPointsNode* node, std::string_view line,
                                              Columns& cols);
    int ReadAnnotationControlPointsData(vtkMRMLAnnotationControlPointsNode* node, std::string_view line,
                                        const Columns& cols);
    int ReadAnnotationPointDisplayProperties(vtkMRMLAnnotationPointDisplayNode* node, std::string_view line,
                                             const std::string& section);

    // Point rows read in one pass, added to the node together at its end.
    struct PointRows
    {
        std::vector<double> coords;
        std::vector<unsigned char> selected;
        std::vector<unsigned char> visible;
    };

protected:
    vtkMRMLAnnotationControlPointsStorageNode() = default;
    ~vtkMRMLAnnotationControlPointsStorageNode() override = default;
    vtkMRMLAnnotationControlPointsStorageNode(const vtkMRMLAnnotationControlPointsStorageNode&) = delete;
    void operator=(const vtkMRMLAnnotationControlPointsStorageNode&) = delete;

    int WriteAnnotationDataInternal(vtkMRMLNode* node, std::string& out) override;
    void ReportWrongNodeClass(vtkMRMLNode* node) override;
    bool SendsReadEventToNode() const override { return true; }
    // A point row into the node, or into `rows` when given; 1 read, 0 not a point row,
    // -1 failure.
    int ReadPointRow(vtkMRMLAnnotationControlPointsNode* node, std::string_view line, const Columns& cols,
                     PointRows* rows);
    // Adds the rows collected by a pass; 1 on success.
    int AddPointRows(vtkMRMLAnnotationControlPointsNode* node, const PointRows& rows);
};
