#pragma once
// How a displayable node looks: visibility, colours, opacity, lighting, how its surface
// and edges are drawn, and whether the scene's clip planes cut it.

#include "vtkMRMLNode.h"

#include <string>
#include <vector>

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
    // Lighting of the selected parts.
    vtkSetMacro(SelectedAmbient, double);
    vtkGetMacro(SelectedAmbient, double);
    vtkSetMacro(SelectedSpecular, double);
    vtkGetMacro(SelectedSpecular, double);

    // How the surface is drawn: shaded with its edges on top, shaded, or edges only.
    enum DisplayModeType
    {
        DisplayWireframe = 1,
        DisplayShaded = 2,
        DisplayShadedWithWireframe = 3,
    };
    // Values outside 1 to 3 are ignored; a change marks the node modified.
    virtual void SetDisplayMode(int mode);
    vtkGetMacro(DisplayMode, int);
    // The same choice for the volume mesh of a mesh object.
    virtual void SetMeshDisplayMode(int mode);
    vtkGetMacro(MeshDisplayMode, int);

    vtkSetMacro(Clipping, int);
    vtkGetMacro(Clipping, int);
    vtkBooleanMacro(Clipping, int);
    vtkSetVector3Macro(EdgeColor, double);
    vtkGetVector3Macro(EdgeColor, double);
    vtkSetClampMacro(LineWidth, double, 0.0, 100.0);
    vtkGetMacro(LineWidth, double);
    vtkSetMacro(BackfaceCulling, int);
    vtkGetMacro(BackfaceCulling, int);
    vtkBooleanMacro(BackfaceCulling, int);

    // Whether slice views mark where the node crosses their plane.
    vtkSetMacro(SliceIntersectionVisibility, int);
    vtkGetMacro(SliceIntersectionVisibility, int);
    vtkBooleanMacro(SliceIntersectionVisibility, int);

    // The views that show the node, by view node id; none listed means every view.
    void AddViewNodeID(const char* viewNodeID);
    void RemoveViewNodeID(const char* viewNodeID);
    void RemoveAllViewNodeIDs();
    int GetNumberOfViewNodeIDs() const { return static_cast<int>(ViewNodeIDs.size()); }
    const char* GetNthViewNodeID(int n) const;
    // Does the view of that id show the node?
    bool IsDisplayableInView(const char* viewNodeID) const;

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
    double SelectedAmbient = 0.4;
    double SelectedSpecular = 0.5;
    int DisplayMode = DisplayShaded;
    int MeshDisplayMode = DisplayShaded;
    int Clipping = 0;
    double EdgeColor[3] = {0.0, 0.0, 0.0};
    double LineWidth = 1.0;
    int BackfaceCulling = 0;
    int SliceIntersectionVisibility = 0;
    std::vector<std::string> ViewNodeIDs;
};
