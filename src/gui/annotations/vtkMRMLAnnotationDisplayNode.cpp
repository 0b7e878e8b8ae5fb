#include "vtkMRMLAnnotationDisplayNode.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkMRMLAnnotationDisplayNode);

vtkMRMLAnnotationDisplayNode::vtkMRMLAnnotationDisplayNode()
{
    Visibility = 1;
    ScalarVisibility = 0;
    Color[0] = 0.7373; Color[1] = 0.2549; Color[2] = 0.1098;
    SelectedColor[0] = 0.2667; SelectedColor[1] = 0.6745; SelectedColor[2] = 0.3922;
    SetName("");
}

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
