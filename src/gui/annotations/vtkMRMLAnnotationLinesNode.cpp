#include "vtkMRMLAnnotationLinesNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"

#include <mrml/vtkMRMLScene.h>

#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>

#include <functional>
#include <locale>
#include <sstream>
#include <utility>

vtkStandardNewMacro(vtkMRMLAnnotationLinesNode);

std::uint64_t& vtkMRMLAnnotationLinesNode::LineEntries()
{
    return Counted::tally<struct AnnotationLineSteps>();
}

vtkMRMLAnnotationLinesNode::LineCells* vtkMRMLAnnotationLinesNode::GetLines()
{
    vtkCellArray* cells = GetPipelineLines();
    if (!cells)
        return nullptr;
    Lines = LineCells(cells);
    return &Lines;
}

struct vtkMRMLAnnotationLinesNode::LineLookup
{
    // Counted in LineEntries(): a look-up, the key's bucket; a walk, each entry reached.
    // The point ids come from files: the table's hash mixes them under the process's seed.
    Counted::HashMap<std::pair<vtkIdType, vtkIdType>, int, &vtkMRMLAnnotationLinesNode::LineEntries> firstIndex;
    // The cells the table describes; any other change to them is seen as a new
    // modification time or count, and the table is rebuilt.
    vtkCellArray* cells = nullptr;
    vtkMTimeType time = 0;
    vtkIdType count = -1;
};

vtkMRMLAnnotationLinesNode::vtkMRMLAnnotationLinesNode()
    : Lookup(new LineLookup)
{
}

vtkMRMLAnnotationLinesNode::~vtkMRMLAnnotationLinesNode() = default;

int vtkMRMLAnnotationLinesNode::FindLine(int startId, int endId)
{
    LineCells* lines = GetLines();
    LineLookup& table = *Lookup;
    if (table.cells != lines->ForPipeline() || table.time != lines->GetMTime() || table.count != lines->GetNumberOfCells()) {
        table.firstIndex.clear();
        vtkNew<vtkIdList> ids;
        for (vtkIdType c = 0; c < lines->GetNumberOfCells(); ++c) {
            lines->GetCellAtId(c, ids);
            if (ids->GetNumberOfIds() == 2)
                table.firstIndex.emplace(std::make_pair(ids->GetId(0), ids->GetId(1)), static_cast<int>(c));
        }
        table.cells = lines->ForPipeline();
        table.time = lines->GetMTime();
        table.count = lines->GetNumberOfCells();
    }
    const auto key = std::make_pair(vtkIdType(startId), vtkIdType(endId));
    auto it = table.firstIndex.find(key);
    return it == table.firstIndex.end() ? -1 : it->second;
}

void vtkMRMLAnnotationLinesNode::RememberLine(int startId, int endId, int index, vtkIdType countBefore)
{
    LineLookup& table = *Lookup;
    LineCells* lines = GetLines();
    // The table stays valid when the line it names was rewritten with the same pair, or
    // when one line was appended to the cells it describes; anything else leaves it to
    // be rebuilt.
    const bool rewritten = index < countBefore && lines->GetNumberOfCells() == countBefore;
    const bool appended = index == countBefore && lines->GetNumberOfCells() == countBefore + 1;
    if (table.cells != lines->ForPipeline() || table.count != countBefore || !(rewritten || appended)) {
        table.cells = nullptr;
        return;
    }
    if (appended)
        table.firstIndex.emplace(std::make_pair(vtkIdType(startId), vtkIdType(endId)), index);
    table.time = lines->GetMTime();
    table.count = lines->GetNumberOfCells();
}

const char* vtkMRMLAnnotationLinesNode::GetAttributeTypesEnumAsString(int type)
{
    switch (type) {
    case LINE_SELECTED: return "lineSelected";
    case LINE_VISIBLE: return "lineVisible";
    default:
        return type < LINE_SELECTED ? Superclass::GetAttributeTypesEnumAsString(type) : "(unknown)";
    }
}

void vtkMRMLAnnotationLinesNode::CreatePolyData()
{
    Superclass::CreatePolyData();
    if (!GetPipelineLines() || !LinesInstalled) {
        vtkNew<vtkCellArray> lines;
        GetPolyData()->SetLines(lines);
        LinesInstalled = true;
    }
}

void vtkMRMLAnnotationLinesNode::SetAndObservePolyData(vtkPolyData* polyData)
{
    // New geometry (a copy, a backup put back): line cells it brings are its own and are
    // kept. Without any, what it answers may be a stand-in shared by every poly data, so
    // this node installs cells of its own before the first line.
    if (polyData != GetPolyData())
        LinesInstalled = polyData && polyData->GetLines() && polyData->GetLines()->GetNumberOfCells() > 0;
    Superclass::SetAndObservePolyData(polyData);
}

void vtkMRMLAnnotationLinesNode::ResetLinesAttributesAll()
{
    ResetAttributes(LINE_SELECTED);
    ResetAttributes(LINE_VISIBLE);
}

void vtkMRMLAnnotationLinesNode::ResetLines()
{
    if (!GetLines() || !LinesInstalled)
        CreatePolyData();
    GetLines()->Reset();
    GetPolyData()->Modified();
    ResetLinesAttributesAll();
}

void vtkMRMLAnnotationLinesNode::ResetAnnotations()
{
    Superclass::ResetAnnotations();
    ResetLines();
}

std::vector<std::vector<vtkIdType>> vtkMRMLAnnotationLinesNode::ReadCells()
{
    std::vector<std::vector<vtkIdType>> cells;
    LineCells* lines = GetLines();
    if (!lines)
        return cells;
    cells.resize(lines->GetNumberOfCells());
    vtkNew<vtkIdList> ids;
    for (vtkIdType c = 0; c < lines->GetNumberOfCells(); ++c) {
        lines->GetCellAtId(c, ids);
        for (vtkIdType k = 0; k < ids->GetNumberOfIds(); ++k)
            cells[c].push_back(ids->GetId(k));
    }
    return cells;
}

void vtkMRMLAnnotationLinesNode::StoreLines(const std::vector<std::vector<vtkIdType>>& cells)
{
    LineCells* lines = GetLines();
    lines->Reset();
    for (const auto& cell : cells)
        lines->InsertNextCell(static_cast<vtkIdType>(cell.size()), cell.data());
    lines->Modified();
    GetPolyData()->Modified();
}

int vtkMRMLAnnotationLinesNode::GetNumberOfLines()
{
    if (!GetLines())
        ResetLines();
    return static_cast<int>(GetLines()->GetNumberOfCells());
}

int vtkMRMLAnnotationLinesNode::AddLine(int startId, int endId, int selected, int visible)
{
    if (!GetLines())
        ResetLines();
    const vtkIdType count = GetLines()->GetNumberOfCells();
    const int found = FindLine(startId, endId);
    const int index = found >= 0 ? found : static_cast<int>(count);
    if (!SetLine(index, startId, endId, selected, visible))
        return -1;
    RememberLine(startId, endId, index, count);
    return index;
}

int vtkMRMLAnnotationLinesNode::SetLine(int id, int startId, int endId, int selected, int visible)
{
    if (id < 0) {
        vtkErrorMacro("Invalid ID");
        return 0;
    }
    vtkPoints* points = GetPoints();
    if (!points || points->GetNumberOfPoints() == 0) {
        vtkErrorMacro("No Control Points defined");
        return 0;
    }
    const vtkIdType n = points->GetNumberOfPoints();
    if (startId < 0 || startId >= n || endId < 0 || endId >= n) {
        vtkErrorMacro("At least one control point does not exists");
        return 0;
    }
    if (!GetLines() || !LinesInstalled)
        CreatePolyData();
    LineCells* lines = GetLines();
    const vtkIdType pair[2] = {startId, endId};
    if (id < lines->GetNumberOfCells() && lines->GetCellSize(id) == 2) {
        lines->ReplaceCellAtId(id, 2, pair);
        lines->Modified();
    } else if (id >= lines->GetNumberOfCells()) {
        // Appended in place: lines that are skipped over stay empty cells.
        while (lines->GetNumberOfCells() < id)
            lines->InsertNextCell(0, pair);
        lines->InsertNextCell(2, pair);
        lines->Modified();
        GetPolyData()->Modified();
    } else {
        std::vector<std::vector<vtkIdType>> cells = ReadCells();
        if (static_cast<size_t>(id) >= cells.size())
            cells.resize(static_cast<size_t>(id) + 1);
        cells[id] = {startId, endId};
        StoreLines(cells);
    }
    const vtkIdType count = lines->GetNumberOfCells();
    SetAttributeSize(LINE_SELECTED, count);
    SetAttributeSize(LINE_VISIBLE, count);
    SetAnnotationAttribute(id, LINE_SELECTED, selected);
    SetAnnotationAttribute(id, LINE_VISIBLE, visible);
    return 1;
}

int vtkMRMLAnnotationLinesNode::GetEndPointsId(vtkIdType id, vtkIdType ids[2])
{
    LineCells* lines = GetLines();
    if (!lines) {
        vtkErrorMacro("Annotation: " << IdText() << " PolyData or PolyData->GetLines() is NULL");
        return 0;
    }
    if (id < 0 || id >= lines->GetNumberOfCells()) {
        vtkErrorMacro("Annotation: GetEndPointsId: id is out of range");
        return 0;
    }
    vtkNew<vtkIdList> cell;
    lines->GetCellAtId(id, cell);
    if (cell->GetNumberOfIds() != 2) {
        vtkErrorMacro("Annotation: GetEndPointsId: line with id is not correctly defined");
        return 0;
    }
    ids[0] = cell->GetId(0);
    ids[1] = cell->GetId(1);
    return 1;
}

void vtkMRMLAnnotationLinesNode::DeleteLine(int id)
{
    const int n = GetNumberOfLines();
    if (id < 0 || id > n - 1) {
        vtkErrorMacro("AnnotationLine " << IdText() << " id is out of range !");
        return;
    }
    std::vector<std::vector<vtkIdType>> cells = ReadCells();
    for (int k = id; k < n - 1; ++k) {
        if (cells[k].size() != 2 || cells[k + 1].size() != 2) {
            vtkErrorMacro("Error in cell structure " << cells[k].size() << " " << cells[k + 1].size());
            StoreLines(cells);
            return;
        }
        cells[k] = cells[k + 1];
    }
    cells.pop_back();
    StoreLines(cells);
    for (int att = LINE_SELECTED; att <= LINE_VISIBLE; ++att) {
        vtkDataArray* values = GetAnnotationAttributes(att);
        if (values && values->GetNumberOfTuples() == n)
            DeleteAttribute(id, att);
        else
            vtkErrorMacro("Annotation " << IdText() << " Attribute " << GetAttributeTypesEnumAsString(att)
                                        << " is out of sync with number of lines");
    }
}

void vtkMRMLAnnotationLinesNode::CreateAnnotationLineDisplayNode()
{
    if (GetAnnotationLineDisplayNode())
        return;
    AddNewDisplayNodeOfClass<vtkMRMLAnnotationLineDisplayNode>("vtkMRMLAnnotationLinesNode::CreateAnnotationLineDisplayNode AnnotationLine: No scene defined");
}

vtkMRMLAnnotationLineDisplayNode* vtkMRMLAnnotationLinesNode::GetAnnotationLineDisplayNode()
{
    return FirstDisplayNodeOfClass<vtkMRMLAnnotationLineDisplayNode>();
}

void vtkMRMLAnnotationLinesNode::Initialize(vtkMRMLScene* scene)
{
    if (!scene) {
        vtkErrorMacro("Scene was null!");
        return;
    }
    RegisterNodeClasses(scene);
    const int disabled = GetDisableModifiedEvent();
    SetDisableModifiedEvent(1);
    if (GetScene() != scene)
        SetScene(scene);
    CreateAnnotationLineDisplayNode();
    SetDisableModifiedEvent(disabled);
    Superclass::Initialize(scene);
}

vtkMRMLStorageNode* vtkMRMLAnnotationLinesNode::CreateDefaultStorageNode()
{
    return CreateStorageNodeOfClass("vtkMRMLAnnotationLinesStorageNode");
}

void vtkMRMLAnnotationLinesNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    const std::vector<std::vector<vtkIdType>> cells = ReadCells();
    of << " linePtsID=\"";
    for (size_t c = 0; c < cells.size(); ++c) {
        if (c)
            of << "|";
        for (size_t k = 0; k < cells[c].size(); ++k)
            of << (k ? " " : "") << cells[c][k];
    }
    of << "\"";
    for (int att = LINE_SELECTED; att <= LINE_VISIBLE; ++att) {
        of << " " << GetAttributeTypesEnumAsString(att) << "=\"";
        for (size_t c = 0; c < cells.size(); ++c)
            of << (c ? " " : "") << GetAnnotationAttribute(static_cast<vtkIdType>(c), att);
        of << "\"";
    }
}

void vtkMRMLAnnotationLinesNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        std::string value = atts[i + 1];
        if (key == "linePtsID") {
            for (char& c : value)
                if (c == '|')
                    c = ' ';
            std::istringstream is(value);
            is.imbue(std::locale::classic());
            long long a, b;
            // Complete pairs only; an unpaired last number has no line.
            while (is >> a >> b) {
                if (a < 0 || b < 0 || a > INT_MAX || b > INT_MAX)
                    continue;
                AddLine(static_cast<int>(a), static_cast<int>(b), 0, 0);
            }
        } else if (key == "lineSelected" || key == "lineVisible") {
            const int att = key == "lineSelected" ? LINE_SELECTED : LINE_VISIBLE;
            std::istringstream is(value);
            is.imbue(std::locale::classic());
            double v;
            const int n = GetNumberOfLines();
            for (int k = 0; k < n && (is >> v); ++k)
                SetAnnotationAttribute(k, att, v);
        }
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationLinesNode::PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag)
{
    if (titleFlag) {
        os << indent << "vtkMRMLAnnotationLinesNode: Annotation Summary";
        if (GetName())
            os << " of " << GetName();
        os << "\n";
    }
    Superclass::PrintAnnotationInfo(os, indent, 0);
    const std::vector<std::vector<vtkIdType>> cells = ReadCells();
    if (cells.empty()) {
        os << indent << "linePtsID: None\n";
        for (int att = LINE_SELECTED; att <= LINE_VISIBLE; ++att)
            os << indent << GetAttributeTypesEnumAsString(att) << ": None\n";
        return;
    }
    os << indent << "linePtsID: ";
    for (size_t c = 0; c < cells.size(); ++c) {
        if (c)
            os << "| ";
        if (cells[c].size() == 2)
            os << cells[c][0] << " " << cells[c][1] << " ";
        else
            os << "Not Defined ";
    }
    os << "\n";
    for (int att = LINE_SELECTED; att <= LINE_VISIBLE; ++att) {
        os << indent << GetAttributeTypesEnumAsString(att) << ": ";
        for (size_t c = 0; c < cells.size(); ++c)
            os << GetAnnotationAttribute(static_cast<vtkIdType>(c), att) << " ";
        os << "\n";
    }
}
