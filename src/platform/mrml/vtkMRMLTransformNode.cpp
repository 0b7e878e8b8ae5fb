#include "vtkMRMLTransformNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <ostream>
#include <string>
#include <unordered_set>

vtkStandardNewMacro(vtkMRMLTransformNode);

vtkMRMLTransformNode::vtkMRMLTransformNode()
    : MatrixTransformToParent(vtkMatrix4x4::New())
{
}

vtkMRMLTransformNode::~vtkMRMLTransformNode()
{
    MatrixTransformToParent->Delete();
}

void vtkMRMLTransformNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "MatrixTransformToParent: "
       << mrmlxml::formatDoubles(MatrixTransformToParent->GetData(), 16) << "\n";
}

void vtkMRMLTransformNode::SetMatrixTransformToParent(vtkMatrix4x4* matrix)
{
    if (!matrix)
        return;
    bool same = true;
    for (int i = 0; i < 16 && same; ++i)
        same = matrix->GetData()[i] == MatrixTransformToParent->GetData()[i];
    if (same)
        return;
    MatrixTransformToParent->DeepCopy(matrix);
    Modified();
    InvokeEvent(TransformModifiedEvent, this);
}

void vtkMRMLTransformNode::GetMatrixTransformToParent(vtkMatrix4x4* out)
{
    if (out)
        out->DeepCopy(MatrixTransformToParent);
}

void vtkMRMLTransformNode::GetMatrixTransformToWorld(vtkMatrix4x4* out)
{
    if (!out)
        return;
    out->DeepCopy(MatrixTransformToParent);
    std::unordered_set<vtkMRMLTransformNode*> visited{this};
    for (vtkMRMLTransformNode* parent = GetParentTransformNode();
         parent && visited.insert(parent).second; parent = parent->GetParentTransformNode())
        vtkMatrix4x4::Multiply4x4(parent->GetMatrixTransformToParent(), out, out);
}

void vtkMRMLTransformNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        double values[16];
        if (std::string(atts[i]) == "matrixTransformToParent" &&
            mrmlxml::parseDoubles(atts[i + 1], values, 16) == 16) {
            vtkNew<vtkMatrix4x4> m;
            m->DeepCopy(values);
            SetMatrixTransformToParent(m);
        }
    }
    EndModify(wasModifying);
}

void vtkMRMLTransformNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " matrixTransformToParent=\""
       << mrmlxml::formatDoubles(MatrixTransformToParent->GetData(), 16) << "\"";
}

void vtkMRMLTransformNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLTransformNode::SafeDownCast(anode))
        SetMatrixTransformToParent(node->GetMatrixTransformToParent());
    EndModify(wasModifying);
}
