#pragma once
// Display node shared by the point, line and text display nodes of annotations: annotation
// colours, the projection of an annotation onto slice views and a slot for a saved copy.

#include "PelmoraAnnotationsExport.h"

#include <mrml/vtkMRMLModelDisplayNode.h>

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationDisplayNode : public vtkMRMLModelDisplayNode
{
public:
    static vtkMRMLAnnotationDisplayNode* New();
    vtkTypeMacro(vtkMRMLAnnotationDisplayNode, vtkMRMLModelDisplayNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationDisplayNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationDisplay"; }

    // Saving and restoring the display settings around an interactive edit; the
    // subclasses keep their copy in Backup.
    virtual void CreateBackup() {}
    virtual void RestoreBackup() {}
    vtkMRMLAnnotationDisplayNode* GetBackup() { return Backup; }
    void ClearBackup();

    virtual void SetSliceProjection(int flags);
    virtual int GetSliceProjection() { return SliceProjection; }
    void SliceProjectionOn() { SetSliceProjection(GetSliceProjection() | ProjectionOn); }
    void SliceProjectionOff() { SetSliceProjection(GetSliceProjection() & ~ProjectionOn); }
    virtual void SetProjectedColor(double r, double g, double b);
    virtual void SetProjectedColor(const double c[3]) { SetProjectedColor(c[0], c[1], c[2]); }
    virtual double* GetProjectedColor() { return ProjectedColor; }
    void GetProjectedColor(double c[3]) const { c[0] = ProjectedColor[0]; c[1] = ProjectedColor[1]; c[2] = ProjectedColor[2]; }
    virtual void SetProjectedOpacity(double opacity);
    virtual double GetProjectedOpacity() { return ProjectedOpacity; }

    enum { ProjectionOn = 0x01 };

protected:
    vtkMRMLAnnotationDisplayNode();
    ~vtkMRMLAnnotationDisplayNode() override;
    vtkMRMLAnnotationDisplayNode(const vtkMRMLAnnotationDisplayNode&) = delete;
    void operator=(const vtkMRMLAnnotationDisplayNode&) = delete;

    // Holds a copy of this node (same class) made without a modified event.
    void StoreBackup();
    // Copies the backup back with one modified event; false without a backup.
    bool CopyBackupBack();

    vtkMRMLAnnotationDisplayNode* Backup = nullptr;
    int SliceProjection = 0;
    double ProjectedColor[3] = {1.0, 1.0, 1.0};
    double ProjectedOpacity = 1.0;
};
