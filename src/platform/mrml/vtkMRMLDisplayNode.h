#pragma once
// How a displayable node looks: visibility, colours, opacity and lighting.

#include "vtkMRMLNode.h"

class vtkMRMLDisplayNode : public vtkMRMLNode
{
public:
    vtkTypeMacro(vtkMRMLDisplayNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    vtkSetMacro(Visibility, int);
    vtkGetMacro(Visibility, int);
    vtkBooleanMacro(Visibility, int);
    vtkSetVector3Macro(Color, double);
    vtkGetVector3Macro(Color, double);
    vtkSetVector3Macro(SelectedColor, double);
    vtkGetVector3Macro(SelectedColor, double);
    vtkSetClampMacro(Opacity, double, 0.0, 1.0);
    vtkGetMacro(Opacity, double);
    vtkSetMacro(Ambient, double);
    vtkGetMacro(Ambient, double);
    vtkSetMacro(Diffuse, double);
    vtkGetMacro(Diffuse, double);
    vtkSetMacro(Specular, double);
    vtkGetMacro(Specular, double);
    vtkSetMacro(Power, double);
    vtkGetMacro(Power, double);

protected:
    vtkMRMLDisplayNode() = default;
    ~vtkMRMLDisplayNode() override = default;
    vtkMRMLDisplayNode(const vtkMRMLDisplayNode&) = delete;
    void operator=(const vtkMRMLDisplayNode&) = delete;

    int Visibility = 1;
    double Color[3] = {0.5, 0.5, 0.5};
    double SelectedColor[3] = {1.0, 0.0, 0.0};
    double Opacity = 1.0;
    double Ambient = 0.0;
    double Diffuse = 1.0;
    double Specular = 0.0;
    double Power = 1.0;
};
