#pragma once
// A continuous colour map: a colour transfer function from scalar values to colours.

#include "vtkMRMLColorNode.h"

#include <vtkSmartPointer.h>

class vtkColorTransferFunction;

class vtkMRMLProceduralColorNode : public vtkMRMLColorNode
{
public:
    static vtkMRMLProceduralColorNode* New();
    vtkTypeMacro(vtkMRMLProceduralColorNode, vtkMRMLColorNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLProceduralColorNode::New(); }
    const char* GetNodeTagName() override { return "ProceduralColor"; }
    void Copy(vtkMRMLNode* node) override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;

    // The number of points of the function.
    int GetNumberOfColors() override;
    bool GetColor(int i, double rgba[4]) override;

    // Nodes made from one colour file show the same function: what changes it through
    // one node changes it for all of them.
    vtkColorTransferFunction* GetColorTransferFunction();
    void SetAndObserveColorTransferFunction(vtkColorTransferFunction* function);
    vtkScalarsToColors* GetScalarsToColors() override;

    void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData) override;

protected:
    vtkMRMLProceduralColorNode();
    ~vtkMRMLProceduralColorNode() override;
    vtkMRMLProceduralColorNode(const vtkMRMLProceduralColorNode&) = delete;
    void operator=(const vtkMRMLProceduralColorNode&) = delete;

private:
    vtkSmartPointer<vtkColorTransferFunction> Function;
};
