#pragma once
// Annotation whose control points are joined by straight lines (cells of its poly data),
// each with a selected and a visible flag.

#include "vtkMRMLAnnotationControlPointsNode.h"

#include <counted/CountedSteps.h>

#include <cstdint>
#include <memory>

class vtkMRMLAnnotationLineDisplayNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationLinesNode : public vtkMRMLAnnotationControlPointsNode
{
public:
    static vtkMRMLAnnotationLinesNode* New();
    vtkTypeMacro(vtkMRMLAnnotationLinesNode, vtkMRMLAnnotationControlPointsNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationLinesNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationLines"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;
    void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1) override;
    const char* GetAttributeTypesEnumAsString(int type) override;
    void ResetAnnotations() override;
    void Initialize(vtkMRMLScene* scene) override;
    void SetAndObservePolyData(vtkPolyData* polyData) override;

    enum
    {
        LINE_SELECTED = vtkMRMLAnnotationControlPointsNode::NUM_CP_ATTRIBUTE_TYPES,
        LINE_VISIBLE,
        NUM_LINE_ATTRIBUTE_TYPES,
    };

    int AddLine(int startId, int endId, int selected, int visible);
    int SetLine(int id, int startId, int endId, int selected, int visible);
    int GetEndPointsId(vtkIdType id, vtkIdType ids[2]);
    int GetNumberOfLines();
    void DeleteLine(int id);
    // How many line cells and look-up entries the lines nodes of this thread have read
    // since it started: a plain count of the work, the same on every run, by which a test
    // sees that adding n lines reads about n of them, not n for every line already there.
    static std::uint64_t GetLineEntriesVisited() { return LineEntries(); }

    void CreateAnnotationLineDisplayNode();
    vtkMRMLAnnotationLineDisplayNode* GetAnnotationLineDisplayNode();

protected:
    vtkMRMLAnnotationLinesNode();
    ~vtkMRMLAnnotationLinesNode() override;
    vtkMRMLAnnotationLinesNode(const vtkMRMLAnnotationLinesNode&) = delete;
    void operator=(const vtkMRMLAnnotationLinesNode&) = delete;

    void CreatePolyData() override;
    void ResetLines();
    void ResetLinesAttributesAll();
    // Replaces all cells at once (cells with no points allowed).
    void StoreLines(const std::vector<std::vector<vtkIdType>>& cells);
    std::vector<std::vector<vtkIdType>> ReadCells();

    bool LinesInstalled = false;

    // The line cells of this thread's lines nodes read or written (see GetLineEntriesVisited).
    static std::uint64_t& LineEntries();
    // The node's line cells, each cell read or written through it counted in LineEntries():
    // every walk of the node over its lines, a loop of GetCellAtId included, is seen by the
    // count. Null while the poly data has no line cells; valid until the next call.
    using LineCells = Counted::Cells<vtkCellArray, &vtkMRMLAnnotationLinesNode::LineEntries>;
    LineCells* GetLines();

private:
    // The first line of each (start, end) pair, so that adding a line does not scan them all.
    struct LineLookup;
    std::unique_ptr<LineLookup> Lookup;
    LineCells Lines;
    int FindLine(int startId, int endId);
    void RememberLine(int startId, int endId, int index, vtkIdType countBefore);
};
