#include "vtkMRMLColorTableNode.h"

#include "vtkMRMLColorTableStorageNode.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkLookupTable.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <ostream>

vtkStandardNewMacro(vtkMRMLColorTableNode);

vtkMRMLColorTableNode::vtkMRMLColorTableNode()
{
    vtkNew<vtkLookupTable> table;
    table->SetNumberOfTableValues(0);
    table->SetTableRange(0, 0);
    SetAndObserveLookupTable(table);
}

vtkMRMLColorTableNode::~vtkMRMLColorTableNode()
{
    if (LookupTable && LookupTableTag)
        LookupTable->RemoveObserver(LookupTableTag);
}

void vtkMRMLColorTableNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    if (LookupTable) {
        const double* range = LookupTable->GetTableRange();
        os << indent << "Range: " << range[0] << " " << range[1] << "\n";
    }
}

void vtkMRMLColorTableNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLColorTableNode::SafeDownCast(anode)) {
        if (node->LookupTable) {
            vtkNew<vtkLookupTable> table;
            table->DeepCopy(node->LookupTable);
            SetAndObserveLookupTable(table);
        }
    }
    EndModify(wasModifying);
}

vtkMRMLStorageNode* vtkMRMLColorTableNode::CreateDefaultStorageNode()
{
    return vtkMRMLColorTableStorageNode::New();
}

int vtkMRMLColorTableNode::GetNumberOfColors()
{
    return LookupTable ? static_cast<int>(LookupTable->GetNumberOfTableValues()) : 0;
}

void vtkMRMLColorTableNode::SetNumberOfColors(int n)
{
    if (!LookupTable || n < 0 || n == GetNumberOfColors())
        return;
    const int old = GetNumberOfColors();
    OwnEntries();
    const double* range = LookupTable->GetTableRange();
    const bool defaultRange = range[0] == 0 && range[1] == (old > 0 ? old - 1 : 0);
    int wasModifying = StartModify();
    LookupTable->SetNumberOfTableValues(n);
    for (int i = old; i < n; ++i)
        LookupTable->SetTableValue(i, 0, 0, 0, 0);
    if (defaultRange)
        LookupTable->SetTableRange(0, n > 0 ? n - 1 : 0);
    ResizeNames(n);
    Modified();
    EndModify(wasModifying);
}

bool vtkMRMLColorTableNode::SetColor(int i, const char* name, double r, double g, double b, double a)
{
    if (!SetColor(i, r, g, b, a))
        return false;
    if (name)
        SetColorName(i, name);
    return true;
}

bool vtkMRMLColorTableNode::SetColor(int i, double r, double g, double b, double a)
{
    if (!LookupTable || i < 0 || i >= GetNumberOfColors())
        return false;
    OwnEntries();
    LookupTable->SetTableValue(i, r, g, b, a);
    Modified();
    return true;
}

vtkLookupTable* vtkMRMLColorTableNode::GetLookupTable()
{
    return LookupTable;
}

vtkScalarsToColors* vtkMRMLColorTableNode::GetScalarsToColors()
{
    return LookupTable;
}

void vtkMRMLColorTableNode::SetAndObserveLookupTable(vtkLookupTable* table)
{
    if (LookupTable == table)
        return;
    SharedTable = false;
    if (LookupTable && LookupTableTag)
        LookupTable->RemoveObserver(LookupTableTag);
    LookupTable = table;
    LookupTableTag = 0;
    if (LookupTable) {
        vtkNew<vtkCallbackCommand> callback;
        callback->SetClientData(this);
        callback->SetCallback([](vtkObject* caller, unsigned long event, void* client, void* data) {
            static_cast<vtkMRMLColorTableNode*>(client)->ProcessMRMLEvents(caller, event, data);
        });
        LookupTableTag = LookupTable->AddObserver(vtkCommand::ModifiedEvent, callback);
    }
    ResizeNames(GetNumberOfColors());
    Modified();
}

void vtkMRMLColorTableNode::SetTableRange(double min, double max)
{
    if (!LookupTable)
        return;
    const double* range = LookupTable->GetTableRange();
    if (range[0] == min && range[1] == max)
        return;
    OwnEntries();
    LookupTable->SetTableRange(min, max);
}

void vtkMRMLColorTableNode::SetTypeAndColors(int type, int n)
{
    int wasModifying = StartModify();
    SetType(type);
    SetNumberOfColors(n);
    for (int i = 0; i < n; ++i) {
        const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
        if (type == Grey) {
            SetColor(i, t, t, t, 1.0);
        } else {
            // Hue from blue (2/3) down to red (0), full saturation and value.
            double rgb[3];
            vtkMath::HSVToRGB((1.0 - t) * 2.0 / 3.0, 1.0, 1.0, rgb, rgb + 1, rgb + 2);
            SetColor(i, rgb[0], rgb[1], rgb[2], 1.0);
        }
    }
    LookupTable->SetTableRange(0, n > 0 ? n - 1 : 0);
    EndModify(wasModifying);
}

void vtkMRMLColorTableNode::ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData)
{
    if (caller == LookupTable.GetPointer() && event == vtkCommand::ModifiedEvent) {
        Modified();
        return;
    }
    Superclass::ProcessMRMLEvents(caller, event, callData);
}

void vtkMRMLColorTableNode::ShareEntriesWith(vtkMRMLColorTableNode* source)
{
    if (!source || source == this)
        return;
    int wasModifying = StartModify();
    SetType(source->GetType());
    Names = source->Names;
    // A shared table is not observed: it does not change while shared (a node copies it
    // first), and one observer per scene on it would make adding each scene's node cost
    // as much as all those before it.
    if (LookupTable && LookupTableTag)
        LookupTable->RemoveObserver(LookupTableTag);
    LookupTable = source->LookupTable;
    LookupTableTag = 0;
    ResizeNames(GetNumberOfColors());
    SharedTable = source->SharedTable = LookupTable != nullptr;
    Modified();
    EndModify(wasModifying);
}

void vtkMRMLColorTableNode::OwnEntries()
{
    if (SharedTable && LookupTable) {
        vtkNew<vtkLookupTable> table;
        table->DeepCopy(LookupTable);
        // SetAndObserveLookupTable clears the sharing and keeps the names' size.
        SetAndObserveLookupTable(table);
    }
    Superclass::OwnEntries();
}
