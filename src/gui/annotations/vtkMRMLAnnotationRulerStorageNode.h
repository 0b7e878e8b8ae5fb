#pragma once
// Adds the ruler section to the annotation list file: the distance format, the column
// declaration and the ruler row.

#include "vtkMRMLAnnotationLinesStorageNode.h"

#include <iosfwd>

class vtkMRMLAnnotationRulerNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationRulerStorageNode : public vtkMRMLAnnotationLinesStorageNode
{
public:
    static vtkMRMLAnnotationRulerStorageNode* New();
    vtkTypeMacro(vtkMRMLAnnotationRulerStorageNode, vtkMRMLAnnotationLinesStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationRulerStorageNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationRulerStorage"; }
    bool CanReadInReferenceNode(vtkMRMLNode* node) override;
    int ReadAnnotation(vtkMRMLAnnotationNode* node) override;

    // Ruler columns: field 0 line1ID, 1 sel, 2 vis.
    int WriteAnnotationRulerProperties(std::string& out, vtkMRMLAnnotationRulerNode* node);
    int WriteAnnotationRulerData(std::string& out, vtkMRMLAnnotationRulerNode* node);
    int ReadAnnotationRulerProperties(vtkMRMLAnnotationRulerNode* node, std::string_view line, Columns& cols);
    int ReadAnnotationRulerData(vtkMRMLAnnotationRulerNode* node, std::string_view line, const Columns& cols);
    // Reading a single ruler from an open stream is not supported: 1 only when nothing is
    // to be added to the scene, 0 otherwise.
    int ReadOneRuler(std::istream& in, vtkMRMLAnnotationRulerNode* node);

protected:
    vtkMRMLAnnotationRulerStorageNode() = default;
    ~vtkMRMLAnnotationRulerStorageNode() override = default;
    vtkMRMLAnnotationRulerStorageNode(const vtkMRMLAnnotationRulerStorageNode&) = delete;
    void operator=(const vtkMRMLAnnotationRulerStorageNode&) = delete;

    int WriteAnnotationDataInternal(vtkMRMLNode* node, std::string& out) override;
    // The line of the ruler row read so far (0: none yet).
    size_t RulerRowLine = 0;
};
