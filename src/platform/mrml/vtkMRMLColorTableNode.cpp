#include "vtkMRMLColorTableNode.h"

#include "vtkMRMLColorTableStorageNode.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkLookupTable.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <ostream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

vtkStandardNewMacro(vtkMRMLColorTableNode);

namespace {

// The nodes that show one lookup table hear its changes through a single observer on it.
// A table read from a file is shared by the nodes of every scene that shows the file, and
// VTK's observer list costs in proportion to its length to add to and to remove from:
// one observer per node would make opening N projects cost N².
struct TableListeners
{
    unsigned long tag = 0;
    std::unordered_set<vtkMRMLColorTableNode*> nodes;
};

std::unordered_map<vtkLookupTable*, TableListeners>& tableListeners()
{
    // Never destroyed: nodes kept for the whole run (the built-in tables, those of the
    // colour files) let go of their tables after the other statics have gone.
    static auto* listeners = new std::unordered_map<vtkLookupTable*, TableListeners>;
    return *listeners;
}

} // namespace

void vtkMRMLColorTableNode::ListenTo(vtkLookupTable* table)
{
    TableListeners& entry = tableListeners()[table];
    if (entry.nodes.empty()) {
        vtkNew<vtkCallbackCommand> callback;
        callback->SetCallback([](vtkObject* caller, unsigned long event, void*, void* data) {
            const auto found = tableListeners().find(static_cast<vtkLookupTable*>(caller));
            if (found == tableListeners().end())
                return;
            // A node may stop listening while it hears the change.
            const std::vector<vtkMRMLColorTableNode*> nodes(found->second.nodes.begin(), found->second.nodes.end());
            for (vtkMRMLColorTableNode* node : nodes)
                if (found->second.nodes.count(node))
                    node->ProcessMRMLEvents(caller, event, data);
        });
        entry.tag = table->AddObserver(vtkCommand::ModifiedEvent, callback);
    }
    entry.nodes.insert(this);
}

void vtkMRMLColorTableNode::StopListeningTo(vtkLookupTable* table)
{
    const auto found = tableListeners().find(table);
    if (found == tableListeners().end())
        return;
    found->second.nodes.erase(this);
    if (found->second.nodes.empty()) {
        table->RemoveObserver(found->second.tag);
        tableListeners().erase(found);
    }
}

vtkMRMLColorTableNode::vtkMRMLColorTableNode()
{
    vtkNew<vtkLookupTable> table;
    table->SetNumberOfTableValues(0);
    table->SetTableRange(0, 0);
    SetAndObserveLookupTable(table);
}

vtkMRMLColorTableNode::~vtkMRMLColorTableNode()
{
    if (LookupTable && ListeningToTable)
        StopListeningTo(LookupTable);
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
    if (LookupTable && ListeningToTable)
        StopListeningTo(LookupTable);
    LookupTable = table;
    ListeningToTable = false;
    if (LookupTable) {
        ListenTo(LookupTable);
        ListeningToTable = true;
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
    SetAndObserveLookupTable(source->LookupTable);
    SharedTable = source->SharedTable = LookupTable != nullptr;
    Modified();
    EndModify(wasModifying);
}

vtkMRMLColorTableNode* vtkMRMLColorTableNode::NewSharing(vtkMRMLColorTableNode* source)
{
    if (!source || !source->LookupTable)
        return New();
    auto* node = new vtkMRMLColorTableNode(WithoutTable{});
    node->InitializeObjectBase();
    node->ShareEntriesWith(source);
    return node;
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
