#pragma once
// Reads a fiducial list file (".fcsv") into a fiducial node: the text section and the
// point rows, of which the last sets the fiducial. Writing is the annotation list file's.

#include "vtkMRMLAnnotationControlPointsStorageNode.h"

#include <iosfwd>

class vtkMRMLAnnotationFiducialNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationFiducialsStorageNode : public vtkMRMLAnnotationControlPointsStorageNode
{
public:
    static vtkMRMLAnnotationFiducialsStorageNode* New();
    vtkTypeMacro(vtkMRMLAnnotationFiducialsStorageNode, vtkMRMLAnnotationControlPointsStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationFiducialsStorageNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationFiducialsStorage"; }
    bool CanReadInReferenceNode(vtkMRMLNode* node) override;
    int ReadAnnotation(vtkMRMLAnnotationNode* node) override;
    // Reads from an open stream up to and including the first point row.
    int ReadOneFiducial(std::istream& in, vtkMRMLAnnotationFiducialNode* node);

    // Point columns: field 0 label, 1 x, 2 y, 3 z, 4 sel; count; vis kept separately.
    struct FiducialColumns
    {
        int label = 0, x = 1, y = 2, z = 3, sel = 4, vis = 5;
        int count = 6;
    };
    int ReadAnnotationFiducialsProperties(vtkMRMLAnnotationFiducialNode* node, std::string_view line,
                                          FiducialColumns& cols);
    int ReadAnnotationFiducialsData(vtkMRMLAnnotationFiducialNode* node, std::string_view line,
                                    const FiducialColumns& cols);

protected:
    vtkMRMLAnnotationFiducialsStorageNode();
    ~vtkMRMLAnnotationFiducialsStorageNode() override = default;
    vtkMRMLAnnotationFiducialsStorageNode(const vtkMRMLAnnotationFiducialsStorageNode&) = delete;
    void operator=(const vtkMRMLAnnotationFiducialsStorageNode&) = delete;

    void ReportWrongNodeClass(vtkMRMLNode* node) override;
    // One line of a read; false when the reading must stop after it.
    bool ReadFiducialLine(vtkMRMLAnnotationFiducialNode* node, std::string_view line, Columns& textCols,
                          FiducialColumns& pointCols, const char* warningPrefix, bool& pointRow);
    // The point rows a read met: a fiducial keeps the last one's point.  Of the others the
    // first few lines are named, the rest counted.
    struct PointRowsMet
    {
        size_t count = 0;
        size_t last = 0;
        std::vector<size_t> firstLines;
    };
    PointRowsMet PointRowLines;
};
