#pragma once
// Display node shared by the point, line and text display nodes of annotations: annotation
// colours, the projection of an annotation onto slice views and a slot for a saved copy.

#include "PelmoraAnnotationsExport.h"

#include <mrml/vtkMRMLModelDisplayNode.h>

class vtkMRMLDisplayableNode;

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

    // Sets the property on this node and on every other display node of the same
    // annotation, and remembers the value; an unchanged value does nothing.
    virtual void SetAndPropagateSuperColor(const double c[3]);
    void SetAndPropagateSuperColor(double r, double g, double b) { const double c[3] = {r, g, b}; SetAndPropagateSuperColor(c); }
    const double* GetSuperColor() const { return SuperColor; }
    void GetSuperColor(double c[3]) const { GetSuperColor(c[0], c[1], c[2]); }
    void GetSuperColor(double& r, double& g, double& b) const { r = SuperColor[0]; g = SuperColor[1]; b = SuperColor[2]; }
    virtual void SetAndPropagateSuperSelectedColor(const double c[3]);
    void SetAndPropagateSuperSelectedColor(double r, double g, double b) { const double c[3] = {r, g, b}; SetAndPropagateSuperSelectedColor(c); }
    const double* GetSuperSelectedColor() const { return SuperSelectedColor; }
    void GetSuperSelectedColor(double c[3]) const { GetSuperSelectedColor(c[0], c[1], c[2]); }
    void GetSuperSelectedColor(double& r, double& g, double& b) const
    {
        r = SuperSelectedColor[0];
        g = SuperSelectedColor[1];
        b = SuperSelectedColor[2];
    }
    virtual void SetAndPropagateSuperOpacity(double v);
    double GetSuperOpacity() const { return SuperOpacity; }
    virtual void SetAndPropagateSuperAmbient(double v);
    double GetSuperAmbient() const { return SuperAmbient; }
    virtual void SetAndPropagateSuperDiffuse(double v);
    double GetSuperDiffuse() const { return SuperDiffuse; }
    virtual void SetAndPropagateSuperSpecular(double v);
    double GetSuperSpecular() const { return SuperSpecular; }
    virtual void SetAndPropagateSuperPower(double v);
    double GetSuperPower() const { return SuperPower; }
    virtual void SetAndPropagateSuperSelectedAmbient(double v);
    double GetSuperSelectedAmbient() const { return SuperSelectedAmbient; }
    virtual void SetAndPropagateSuperSelectedSpecular(double v);
    double GetSuperSelectedSpecular() const { return SuperSelectedSpecular; }
    // The annotation this node displays (the first displayable node of its scene that
    // lists it), or null.
    vtkMRMLDisplayableNode* GetDisplayableNode();

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

    // The projection fields are read and copied by the point and line display nodes
    // (the base's own Copy and XML reading leave them alone).  Reads one scene attribute;
    // false when the key is not a projection field.
    bool ReadProjectionAttribute(const char* key, const char* value);
    void CopyProjectionFrom(vtkMRMLAnnotationDisplayNode* node);

    // Holds a copy of this node (same class) made without a modified event.
    void StoreBackup();
    // Copies the backup back with one modified event; false without a backup.
    bool CopyBackupBack();

    // Calls set(node) on this node and on each other display node of the annotation.
    void Propagate(void (*set)(vtkMRMLDisplayNode*, const double*), const double* value);

    vtkMRMLAnnotationDisplayNode* Backup = nullptr;
    double SuperColor[3];
    double SuperSelectedColor[3];
    double SuperOpacity, SuperAmbient, SuperDiffuse, SuperSpecular, SuperPower;
    double SuperSelectedAmbient, SuperSelectedSpecular;
    int SliceProjection = 0;
    double ProjectedColor[3] = {1.0, 1.0, 1.0};
    double ProjectedOpacity = 1.0;
};
