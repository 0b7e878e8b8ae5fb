#include "vtkMRMLModelNode.h"

#include "vtkMRMLModelDisplayNode.h"
#include "vtkMRMLModelStorageNode.h"
#include "vtkMRMLScene.h"

#include <vtkCallbackCommand.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <algorithm>
#include <ostream>

vtkStandardNewMacro(vtkMRMLModelNode);

vtkMRMLModelNode::vtkMRMLModelNode()
{
    PolyDataCallback = vtkCallbackCommand::New();
    PolyDataCallback->SetClientData(this);
    PolyDataCallback->SetCallback(&vtkMRMLModelNode::OnPolyDataModified);
}

vtkMRMLModelNode::~vtkMRMLModelNode()
{
    if (PolyData) {
        PolyData->RemoveObserver(PolyDataCallback);
        PolyData->UnRegister(this);
    }
    PolyDataCallback->Delete();
}

void vtkMRMLModelNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "PolyData: ";
    if (PolyData)
        os << PolyData->GetNumberOfPoints() << " points, " << PolyData->GetNumberOfCells()
           << " cells\n";
    else
        os << "(none)\n";
}

void vtkMRMLModelNode::OnPolyDataModified(vtkObject*, unsigned long, void* clientData, void*)
{
    auto* self = static_cast<vtkMRMLModelNode*>(clientData);
    self->InvokeEvent(MeshModifiedEvent, self);
}

void vtkMRMLModelNode::SetAndObservePolyData(vtkPolyData* polyData)
{
    if (polyData == PolyData)
        return;
    if (PolyData) {
        PolyData->RemoveObserver(PolyDataCallback);
        PolyData->UnRegister(this);
    }
    PolyData = polyData;
    if (PolyData) {
        PolyData->Register(this);
        PolyData->AddObserver(vtkCommand::ModifiedEvent, PolyDataCallback);
    }
    Modified();
    InvokeEvent(MeshModifiedEvent, this);
}

void vtkMRMLModelNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLModelNode::SafeDownCast(anode)) {
        if (node->GetPolyData()) {
            vtkNew<vtkPolyData> copy;
            copy->DeepCopy(node->GetPolyData());
            SetAndObservePolyData(copy);
        } else {
            SetAndObservePolyData(nullptr);
        }
    }
    EndModify(wasModifying);
}

vtkMRMLModelDisplayNode* vtkMRMLModelNode::GetModelDisplayNode()
{
    for (int i = 0; i < GetNumberOfDisplayNodes(); ++i)
        if (auto* display = vtkMRMLModelDisplayNode::SafeDownCast(GetNthDisplayNode(i)))
            return display;
    return nullptr;
}

vtkMRMLStorageNode* vtkMRMLModelNode::CreateDefaultStorageNode()
{
    return vtkMRMLModelStorageNode::New();
}

void vtkMRMLModelNode::CreateDefaultDisplayNodes()
{
    vtkMRMLScene* scene = GetScene();
    if (!scene || GetModelDisplayNode())
        return;
    vtkNew<vtkMRMLModelDisplayNode> display;
    if (vtkMRMLNode* added = scene->AddNode(display))
        AddAndObserveDisplayNodeID(added->GetID());
}

bool vtkMRMLModelNode::GetRASBounds(double bounds[6])
{
    if (!PolyData || !PolyData->GetPoints() || PolyData->GetNumberOfPoints() == 0)
        return false;
    double local[6];
    PolyData->GetBounds(local);
    vtkNew<vtkMatrix4x4> toWorld;
    GetTransformToWorld(toWorld);
    double out[6] = {VTK_DOUBLE_MAX, VTK_DOUBLE_MIN, VTK_DOUBLE_MAX, VTK_DOUBLE_MIN,
                     VTK_DOUBLE_MAX, VTK_DOUBLE_MIN};
    // The eight corners of the local box, each taken to the world.
    for (int corner = 0; corner < 8; ++corner) {
        double p[4] = {local[corner & 1], local[2 + ((corner >> 1) & 1)],
                       local[4 + ((corner >> 2) & 1)], 1.0};
        double w[4];
        toWorld->MultiplyPoint(p, w);
        for (int axis = 0; axis < 3; ++axis) {
            out[2 * axis] = std::min(out[2 * axis], w[axis]);
            out[2 * axis + 1] = std::max(out[2 * axis + 1], w[axis]);
        }
    }
    std::copy(out, out + 6, bounds);
    return true;
}
