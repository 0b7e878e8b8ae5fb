#pragma once
// Adds the line section to the annotation list file: the line display properties, the
// column declaration and one row per line.

#include "vtkMRMLAnnotationControlPointsStorageNode.h"

class vtkMRMLAnnotationLineDisplayNode;
class vtkMRMLAnnotationLinesNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationLinesStorageNode : public vtkMRMLAnnotationControlPointsStorageNode
{
public:
    static vtkMRMLAnnotationLinesStorageNode* New();
    vtkTypeMacro(vtkMRMLAnnotationLinesStorageNode, vtkMRMLAnnotationControlPointsStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationLinesStorageNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationLinesStorage"; }
    bool CanReadInReferenceNode(vtkMRMLNode* node) override;
    int ReadAnnotation(vtkMRMLAnnotationNode* node) override;

    // Line columns: field 0 startPointID, 1 endPointID, 2 sel, 3 vis.
    int WriteAnnotationLinesProperties(std::string& out, vtkMRMLAnnotationLinesNode* node);
    int WriteAnnotationLineDisplayProperties(std::string& out, vtkMRMLAnnotationLineDisplayNode* node,
                                             const std::string& section);
    int WriteAnnotationLinesData(std::string& out, vtkMRMLAnnotationLinesNode* node);
    int ReadAnnotationLinesProperties(vtkMRMLAnnotationLinesNode* node, std::string_view line, Columns& cols);
    int ReadAnnotationLineDisplayProperties(vtkMRMLAnnotationLineDisplayNode* node, std::string_view line,
                                            const std::string& section);
    int ReadAnnotationLinesData(vtkMRMLAnnotationLinesNode* node, std::string_view line, const Columns& cols);

    static Columns DefaultLineColumns()
    {
        Columns c;
        c.field[0] = 1;
        c.field[1] = 2;
        c.field[2] = 4;
        c.field[3] = 5;
        c.field[4] = -1;
        return c;
    }

protected:
    vtkMRMLAnnotationLinesStorageNode() = default;
    ~vtkMRMLAnnotationLinesStorageNode() override = default;
    vtkMRMLAnnotationLinesStorageNode(const vtkMRMLAnnotationLinesStorageNode&) = delete;
    void operator=(const vtkMRMLAnnotationLinesStorageNode&) = delete;

    int WriteAnnotationDataInternal(vtkMRMLNode* node, std::string& out) override;
};
