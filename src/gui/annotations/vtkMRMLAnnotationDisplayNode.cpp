#include "vtkMRMLAnnotationDisplayNode.h"

#include <mrml/MRMLXMLHelpers.h>
#include <mrml/vtkMRMLDisplayableNode.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkObjectFactory.h>

#include <algorithm>
#include <cstring>
#include <vector>

vtkStandardNewMacro(vtkMRMLAnnotationDisplayNode);

vtkMRMLAnnotationDisplayNode::vtkMRMLAnnotationDisplayNode()
{
    Visibility = 1;
    ScalarVisibility = 0;
    Color[0] = 0.7373; Color[1] = 0.2549; Color[2] = 0.1098;
    SelectedColor[0] = 0.2667; SelectedColor[1] = 0.6745; SelectedColor[2] = 0.3922;
    SetName("");
    // The super values start as the node's own, so the first propagation compares with
    // what the node shows.
    for (int k = 0; k < 3; ++k) {
        SuperColor[k] = Color[k];
        SuperSelectedColor[k] = SelectedColor[k];
    }
    SuperOpacity = Opacity;
    SuperAmbient = Ambient;
    SuperDiffuse = Diffuse;
    SuperSpecular = Specular;
    SuperPower = Power;
    SuperSelectedAmbient = SelectedAmbient;
    SuperSelectedSpecular = SelectedSpecular;
}

vtkMRMLDisplayableNode* vtkMRMLAnnotationDisplayNode::GetDisplayableNode()
{
    vtkMRMLScene* scene = GetScene();
    if (!scene || !GetID())
        return nullptr;
    std::vector<vtkMRMLNode*> nodes;
    scene->GetNodesByClass("vtkMRMLDisplayableNode", nodes);
    for (vtkMRMLNode* node : nodes) {
        auto* displayable = vtkMRMLDisplayableNode::SafeDownCast(node);
        for (int i = 0; displayable && i < displayable->GetNumberOfDisplayNodes(); ++i)
            if (const char* id = displayable->GetNthDisplayNodeID(i); id && std::strcmp(id, GetID()) == 0)
                return displayable;
    }
    return nullptr;
}

void vtkMRMLAnnotationDisplayNode::Propagate(void (*set)(vtkMRMLDisplayNode*, const double*), const double* value)
{
    set(this, value);
    if (vtkMRMLDisplayableNode* displayable = GetDisplayableNode())
        for (int i = 0; i < displayable->GetNumberOfDisplayNodes(); ++i) {
            vtkMRMLDisplayNode* other = displayable->GetNthDisplayNode(i);
            if (other && other != this)
                set(other, value);
        }
    Modified();
}

void vtkMRMLAnnotationDisplayNode::SetAndPropagateSuperColor(const double c[3])
{
    if (SuperColor[0] == c[0] && SuperColor[1] == c[1] && SuperColor[2] == c[2])
        return;
    std::copy(c, c + 3, SuperColor);
    Propagate([](vtkMRMLDisplayNode* n, const double* v) { n->SetColor(v[0], v[1], v[2]); }, c);
}

void vtkMRMLAnnotationDisplayNode::SetAndPropagateSuperSelectedColor(const double c[3])
{
    if (SuperSelectedColor[0] == c[0] && SuperSelectedColor[1] == c[1] && SuperSelectedColor[2] == c[2])
        return;
    std::copy(c, c + 3, SuperSelectedColor);
    Propagate([](vtkMRMLDisplayNode* n, const double* v) { n->SetSelectedColor(v[0], v[1], v[2]); }, c);
}

#define ANNOTATION_PROPAGATE_SCALAR(Name)                                                          \
    void vtkMRMLAnnotationDisplayNode::SetAndPropagateSuper##Name(double v)                        \
    {                                                                                              \
        if (Super##Name == v)                                                                      \
            return;                                                                                \
        Super##Name = v;                                                                           \
        Propagate([](vtkMRMLDisplayNode* n, const double* value) { n->Set##Name(*value); }, &v);   \
    }
ANNOTATION_PROPAGATE_SCALAR(Opacity)
ANNOTATION_PROPAGATE_SCALAR(Ambient)
ANNOTATION_PROPAGATE_SCALAR(Diffuse)
ANNOTATION_PROPAGATE_SCALAR(Specular)
ANNOTATION_PROPAGATE_SCALAR(Power)
ANNOTATION_PROPAGATE_SCALAR(SelectedAmbient)
ANNOTATION_PROPAGATE_SCALAR(SelectedSpecular)
#undef ANNOTATION_PROPAGATE_SCALAR

vtkMRMLAnnotationDisplayNode::~vtkMRMLAnnotationDisplayNode()
{
    ClearBackup();
}

void vtkMRMLAnnotationDisplayNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

void vtkMRMLAnnotationDisplayNode::ClearBackup()
{
    if (Backup) {
        Backup->Delete();
        Backup = nullptr;
    }
}

void vtkMRMLAnnotationDisplayNode::StoreBackup()
{
    auto* copy = vtkMRMLAnnotationDisplayNode::SafeDownCast(CreateNodeInstance());
    if (!copy)
        return;
    copy->CopyWithoutModifiedEvent(this);
    ClearBackup();
    Backup = copy;
}

bool vtkMRMLAnnotationDisplayNode::CopyBackupBack()
{
    if (!Backup)
        return false;
    // Keep the backup across the copy: Copy must not take it along.
    vtkMRMLAnnotationDisplayNode* held = Backup;
    Backup = nullptr;
    CopyWithSingleModifiedEvent(held);
    Backup = held;
    return true;
}

void vtkMRMLAnnotationDisplayNode::SetSliceProjection(int flags)
{
    if (SliceProjection == flags)
        return;
    SliceProjection = flags;
    Modified();
}

void vtkMRMLAnnotationDisplayNode::SetProjectedColor(double r, double g, double b)
{
    if (ProjectedColor[0] == r && ProjectedColor[1] == g && ProjectedColor[2] == b)
        return;
    ProjectedColor[0] = r;
    ProjectedColor[1] = g;
    ProjectedColor[2] = b;
    Modified();
}

void vtkMRMLAnnotationDisplayNode::SetProjectedOpacity(double opacity)
{
    if (ProjectedOpacity == opacity)
        return;
    ProjectedOpacity = opacity;
    Modified();
}

bool vtkMRMLAnnotationDisplayNode::ReadProjectionAttribute(const char* key, const char* value)
{
    if (std::strcmp(key, "sliceProjection") == 0)
        SliceProjection = mrmlxml::parseInt(value);
    else if (std::strcmp(key, "projectedColor") == 0)
        mrmlxml::parseDoubles(value, ProjectedColor, 3);
    else if (std::strcmp(key, "projectedOpacity") == 0)
        mrmlxml::parseDoubles(value, &ProjectedOpacity, 1);
    else
        return false;
    return true;
}

void vtkMRMLAnnotationDisplayNode::CopyProjectionFrom(vtkMRMLAnnotationDisplayNode* node)
{
    SetSliceProjection(node->SliceProjection);
    SetProjectedColor(node->ProjectedColor);
    SetProjectedOpacity(node->ProjectedOpacity);
}
