#include "vtkMRMLProceduralColorNode.h"

#include "vtkMRMLProceduralColorStorageNode.h"

#include <vtkCallbackCommand.h>
#include <vtkColorTransferFunction.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkMRMLProceduralColorNode);

vtkMRMLProceduralColorNode::vtkMRMLProceduralColorNode()
{
    vtkNew<vtkColorTransferFunction> function;
    SetAndObserveColorTransferFunction(function);
}

vtkMRMLProceduralColorNode::~vtkMRMLProceduralColorNode()
{
    if (Function && FunctionTag)
        Function->RemoveObserver(FunctionTag);
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
    if (Function && FunctionTag)
        Function->RemoveObserver(FunctionTag);
    Function = function;
    FunctionTag = 0;
    if (Function) {
        vtkNew<vtkCallbackCommand> callback;
        callback->SetClientData(this);
        callback->SetCallback([](vtkObject* caller, unsigned long event, void* client, void* data) {
            static_cast<vtkMRMLProceduralColorNode*>(client)->ProcessMRMLEvents(caller, event, data);
        });
        FunctionTag = Function->AddObserver(vtkCommand::ModifiedEvent, callback);
    }
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
