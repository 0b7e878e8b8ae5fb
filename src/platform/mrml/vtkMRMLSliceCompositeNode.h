#pragma once
// What a slice view stacks on its plane: the background, foreground and label volumes,
// named by node id. The slice view with the same layout name shows them.

#include "vtkMRMLNode.h"

class vtkMRMLSliceCompositeNode : public vtkMRMLNode
{
public:
    static vtkMRMLSliceCompositeNode* New();
    vtkTypeMacro(vtkMRMLSliceCompositeNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLSliceCompositeNode::New(); }
    const char* GetNodeTagName() override { return "SliceComposite"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    // Node ids; null (or empty) when the layer shows nothing.
    vtkSetStringMacro(BackgroundVolumeID);
    vtkGetStringMacro(BackgroundVolumeID);
    vtkSetStringMacro(ForegroundVolumeID);
    vtkGetStringMacro(ForegroundVolumeID);
    vtkSetStringMacro(LabelVolumeID);
    vtkGetStringMacro(LabelVolumeID);
    // The layout name of the slice view it belongs to ("Red", ...).
    vtkSetStringMacro(LayoutName);
    vtkGetStringMacro(LayoutName);

    // The first layer that shows a volume: background, else foreground, else label.
    const char* GetFirstVolumeID();

protected:
    vtkMRMLSliceCompositeNode() = default;
    ~vtkMRMLSliceCompositeNode() override;
    vtkMRMLSliceCompositeNode(const vtkMRMLSliceCompositeNode&) = delete;
    void operator=(const vtkMRMLSliceCompositeNode&) = delete;

    char* BackgroundVolumeID = nullptr;
    char* ForegroundVolumeID = nullptr;
    char* LabelVolumeID = nullptr;
    char* LayoutName = nullptr;
};
