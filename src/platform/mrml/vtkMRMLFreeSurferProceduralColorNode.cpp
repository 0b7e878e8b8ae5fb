#include "vtkMRMLFreeSurferProceduralColorNode.h"

#include <vtkColorTransferFunction.h>
#include <vtkLookupTable.h>
#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkMRMLFreeSurferProceduralColorNode);

vtkMRMLFreeSurferProceduralColorNode::vtkMRMLFreeSurferProceduralColorNode()
    : Table(vtkSmartPointer<vtkLookupTable>::New())
{
    SetTypeToKind(Heat);
}

vtkMRMLFreeSurferProceduralColorNode::~vtkMRMLFreeSurferProceduralColorNode() = default;

void vtkMRMLFreeSurferProceduralColorNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLFreeSurferProceduralColorNode::SafeDownCast(anode))
        SetTypeToKind(node->Kind);
    EndModify(wasModifying);
}

void vtkMRMLFreeSurferProceduralColorNode::SetTypeToKind(int kind)
{
    // Colours at the low end, the middle and the high end of the range -1 .. 1.
    static const double ends[5][3][3] = {
        {{0, 0, 1}, {0.5, 0.5, 0.5}, {1, 1, 0}},
        {{0, 0, 1}, {0.5, 0.5, 0.5}, {1, 0, 0}},
        {{1, 0, 0}, {0.5, 0.5, 0.5}, {0, 0, 1}},
        {{1, 0, 0}, {0.5, 0.5, 0.5}, {0, 1, 0}},
        {{0, 1, 0}, {0.5, 0.5, 0.5}, {1, 0, 0}},
    };
    if (kind < Heat || kind > GreenRed)
        return;
    int wasModifying = StartModify();
    Kind = kind;
    vtkColorTransferFunction* function = GetColorTransferFunction();
    function->RemoveAllPoints();
    for (int p = 0; p < 3; ++p)
        function->AddRGBPoint(-1.0 + p, ends[kind][p][0], ends[kind][p][1], ends[kind][p][2]);
    Table->SetNumberOfTableValues(256);
    Table->SetTableRange(-1.0, 1.0);
    for (int i = 0; i < 256; ++i) {
        double rgb[3];
        function->GetColor(-1.0 + 2.0 * i / 255.0, rgb);
        Table->SetTableValue(i, rgb[0], rgb[1], rgb[2], 1.0);
    }
    Modified();
    EndModify(wasModifying);
}

int vtkMRMLFreeSurferProceduralColorNode::GetNumberOfColors()
{
    return static_cast<int>(Table->GetNumberOfTableValues());
}

vtkLookupTable* vtkMRMLFreeSurferProceduralColorNode::GetLookupTable()
{
    return Table;
}

bool vtkMRMLFreeSurferProceduralColorNode::GetColor(int i, double rgba[4])
{
    if (i < 0 || i >= GetNumberOfColors())
        return false;
    Table->GetTableValue(i, rgba);
    return true;
}
