#pragma once
// A surface model: poly data shown through model display nodes and read from or written to
// a file through a model storage node. Fires MeshModifiedEvent when its poly data is
// replaced or changes.

#include "vtkMRMLDisplayableNode.h"

class vtkCallbackCommand;
class vtkMRMLModelDisplayNode;
class vtkPolyData;

class vtkMRMLModelNode : public vtkMRMLDisplayableNode
{
public:
    static vtkMRMLModelNode* New();
    vtkTypeMacro(vtkMRMLModelNode, vtkMRMLDisplayableNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    enum
    {
        MeshModifiedEvent = 17001,
    };

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLModelNode::New(); }
    const char* GetNodeTagName() override { return "Model"; }
    // Copies the node's attributes and a deep copy of its poly data.
    void Copy(vtkMRMLNode* node) override;

    // The node keeps a reference and observes the poly data's modifications.
    virtual void SetAndObservePolyData(vtkPolyData* polyData);
    vtkPolyData* GetPolyData() const { return PolyData; }

    vtkMRMLModelDisplayNode* GetModelDisplayNode();
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;
    // Adds a model display node to the node's scene and observes it, when the node has a
    // scene and no display node yet.
    virtual void CreateDefaultDisplayNodes();

    // Bounds of the poly data in world coordinates (through the parent transforms);
    // false, with bounds left unchanged, while there is no point.
    bool GetRASBounds(double bounds[6]);

protected:
    vtkMRMLModelNode();
    ~vtkMRMLModelNode() override;
    vtkMRMLModelNode(const vtkMRMLModelNode&) = delete;
    void operator=(const vtkMRMLModelNode&) = delete;

    static void OnPolyDataModified(vtkObject* caller, unsigned long event, void* clientData,
                                   void* callData);

    vtkPolyData* PolyData = nullptr; // one reference held
    vtkCallbackCommand* PolyDataCallback = nullptr;
};
