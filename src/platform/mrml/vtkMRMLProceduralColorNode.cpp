#include "vtkMRMLProceduralColorNode.h"

#include "vtkMRMLProceduralColorStorageNode.h"

#include <vtkCallbackCommand.h>
#include <vtkColorTransferFunction.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

vtkStandardNewMacro(vtkMRMLProceduralColorNode);

namespace {

// The function read from a colour file is shown by a node in every project's scene: those
// nodes hear its changes through one observer on it, as VTK's observer list costs in
// proportion to its length to add to and to remove from.
struct FunctionListeners
{
    unsigned long tag = 0;
    std::unordered_set<vtkMRMLProceduralColorNode*> nodes;
};

std::unordered_map<vtkColorTransferFunction*, FunctionListeners>& functionListeners()
{
    static std::unordered_map<vtkColorTransferFunction*, FunctionListeners> listeners;
    return listeners;
}

void listen(vtkColorTransferFunction* function, vtkMRMLProceduralColorNode* node)
{
    FunctionListeners& entry = functionListeners()[function];
    if (entry.nodes.empty()) {
        vtkNew<vtkCallbackCommand> callback;
        callback->SetCallback([](vtkObject* caller, unsigned long event, void*, void* data) {
            const auto found = functionListeners().find(static_cast<vtkColorTransferFunction*>(caller));
            if (found == functionListeners().end())
                return;
            // A node may stop listening while it hears the change.
            const std::vector<vtkMRMLProceduralColorNode*> nodes(found->second.nodes.begin(),
                                                                  found->second.nodes.end());
            for (vtkMRMLProceduralColorNode* n : nodes)
                if (found->second.nodes.count(n))
                    n->ProcessMRMLEvents(caller, event, data);
        });
        entry.tag = function->AddObserver(vtkCommand::ModifiedEvent, callback);
    }
    entry.nodes.insert(node);
}

void stopListening(vtkColorTransferFunction* function, vtkMRMLProceduralColorNode* node)
{
    const auto found = functionListeners().find(function);
    if (found == functionListeners().end())
        return;
    found->second.nodes.erase(node);
    if (found->second.nodes.empty()) {
        function->RemoveObserver(found->second.tag);
        functionListeners().erase(found);
    }
}

} // namespace

vtkMRMLProceduralColorNode::vtkMRMLProceduralColorNode()
{
    vtkNew<vtkColorTransferFunction> function;
    SetAndObserveColorTransferFunction(function);
}

vtkMRMLProceduralColorNode::~vtkMRMLProceduralColorNode()
{
    if (Function)
        stopListening(Function, this);
}

void vtkMRMLProceduralColorNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLProceduralColorNode::SafeDownCast(anode)) {
        if (node->Function) {
            vtkNew<vtkColorTransferFunction> function;
            function->DeepCopy(node->Function);
            SetAndObserveColorTransferFunction(function);
        }
    }
    EndModify(wasModifying);
}

vtkMRMLStorageNode* vtkMRMLProceduralColorNode::CreateDefaultStorageNode()
{
    return vtkMRMLProceduralColorStorageNode::New();
}

int vtkMRMLProceduralColorNode::GetNumberOfColors()
{
    return Function ? Function->GetSize() : 0;
}

bool vtkMRMLProceduralColorNode::GetColor(int i, double rgba[4])
{
    if (!Function || i < 0 || i >= GetNumberOfColors())
        return false;
    double point[6];
    Function->GetNodeValue(i, point);
    rgba[0] = point[1];
    rgba[1] = point[2];
    rgba[2] = point[3];
    rgba[3] = 1.0;
    return true;
}

vtkColorTransferFunction* vtkMRMLProceduralColorNode::GetColorTransferFunction()
{
    return Function;
}

vtkScalarsToColors* vtkMRMLProceduralColorNode::GetScalarsToColors()
{
    return Function;
}

void vtkMRMLProceduralColorNode::SetAndObserveColorTransferFunction(vtkColorTransferFunction* function)
{
    if (Function == function)
        return;
    if (Function)
        stopListening(Function, this);
    Function = function;
    if (Function)
        listen(Function, this);
    Modified();
}

void vtkMRMLProceduralColorNode::ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData)
{
    if (caller == Function.GetPointer() && event == vtkCommand::ModifiedEvent) {
        Modified();
        return;
    }
    Superclass::ProcessMRMLEvents(caller, event, callData);
}
