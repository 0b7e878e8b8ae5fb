#pragma once
// Common part of the nodes that describe a view: its place in the layout and its
// background.

#include "vtkMRMLNode.h"

class vtkMRMLAbstractViewNode : public vtkMRMLNode
{
public:
    vtkTypeMacro(vtkMRMLAbstractViewNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    // The name the layout knows the view by ("1" for the first 3D view).
    vtkSetStringMacro(LayoutName);
    vtkGetStringMacro(LayoutName);
    // Colours as red, green, blue from 0 to 1; the second is the gradient's far end.
    vtkSetVector3Macro(BackgroundColor, double);
    vtkGetVector3Macro(BackgroundColor, double);
    vtkSetVector3Macro(BackgroundColor2, double);
    vtkGetVector3Macro(BackgroundColor2, double);
    // Whether the view is shown, and whether the layout currently shows it.
    vtkSetMacro(Visibility, int);
    vtkGetMacro(Visibility, int);
    vtkBooleanMacro(Visibility, int);
    vtkSetMacro(MappedInLayout, int);
    vtkGetMacro(MappedInLayout, int);
    vtkBooleanMacro(MappedInLayout, int);

protected:
    vtkMRMLAbstractViewNode();
    ~vtkMRMLAbstractViewNode() override;
    vtkMRMLAbstractViewNode(const vtkMRMLAbstractViewNode&) = delete;
    void operator=(const vtkMRMLAbstractViewNode&) = delete;

    char* LayoutName = nullptr;
    double BackgroundColor[3] = {0.76, 0.76, 0.91};
    double BackgroundColor2[3] = {0.45, 0.45, 0.6};
    int Visibility = 1;
    int MappedInLayout = 0;
};
