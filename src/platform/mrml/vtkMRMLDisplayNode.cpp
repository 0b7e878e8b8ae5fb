#include "vtkMRMLDisplayNode.h"

#include "MRMLXMLHelpers.h"

#include <algorithm>
#include <ostream>
#include <sstream>
#include <string>

void vtkMRMLDisplayNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Visibility: " << Visibility << "\n";
    os << indent << "Color: " << mrmlxml::formatDoubles(Color, 3) << "\n";
    os << indent << "SelectedColor: " << mrmlxml::formatDoubles(SelectedColor, 3) << "\n";
    os << indent << "Opacity: " << Opacity << "\n";
    os << indent << "Ambient: " << Ambient << " Diffuse: " << Diffuse
       << " Specular: " << Specular << " Power: " << Power << "\n";
    os << indent << "SelectedAmbient: " << SelectedAmbient << " SelectedSpecular: " << SelectedSpecular << "\n";
    os << indent << "DisplayMode: " << DisplayMode << " MeshDisplayMode: " << MeshDisplayMode << "\n";
    os << indent << "Clipping: " << Clipping << "\n";
    os << indent << "EdgeColor: " << mrmlxml::formatDoubles(EdgeColor, 3) << "\n";
    os << indent << "LineWidth: " << LineWidth << " BackfaceCulling: " << BackfaceCulling << "\n";
    os << indent << "SliceIntersectionVisibility: " << SliceIntersectionVisibility << "\n";
    os << indent << "ViewNodeIDs:";
    for (const std::string& id : ViewNodeIDs)
        os << " " << id;
    os << "\n";
}

void vtkMRMLDisplayNode::AddViewNodeID(const char* viewNodeID)
{
    if (!viewNodeID || !*viewNodeID ||
        std::find(ViewNodeIDs.begin(), ViewNodeIDs.end(), viewNodeID) != ViewNodeIDs.end())
        return;
    ViewNodeIDs.emplace_back(viewNodeID);
    Modified();
}

void vtkMRMLDisplayNode::RemoveViewNodeID(const char* viewNodeID)
{
    if (!viewNodeID)
        return;
    const auto it = std::find(ViewNodeIDs.begin(), ViewNodeIDs.end(), viewNodeID);
    if (it == ViewNodeIDs.end())
        return;
    ViewNodeIDs.erase(it);
    Modified();
}

void vtkMRMLDisplayNode::RemoveAllViewNodeIDs()
{
    if (ViewNodeIDs.empty())
        return;
    ViewNodeIDs.clear();
    Modified();
}

const char* vtkMRMLDisplayNode::GetNthViewNodeID(int n) const
{
    if (n < 0 || n >= static_cast<int>(ViewNodeIDs.size()))
        return nullptr;
    return ViewNodeIDs[static_cast<size_t>(n)].c_str();
}

bool vtkMRMLDisplayNode::IsDisplayableInView(const char* viewNodeID) const
{
    if (ViewNodeIDs.empty())
        return true;
    return viewNodeID && std::find(ViewNodeIDs.begin(), ViewNodeIDs.end(), viewNodeID) != ViewNodeIDs.end();
}

namespace {
bool validDisplayMode(int mode)
{
    return mode >= vtkMRMLDisplayNode::DisplayWireframe &&
           mode <= vtkMRMLDisplayNode::DisplayShadedWithWireframe;
}
} // namespace

void vtkMRMLDisplayNode::SetDisplayMode(int mode)
{
    if (!validDisplayMode(mode) || mode == DisplayMode)
        return;
    DisplayMode = mode;
    Modified();
}

void vtkMRMLDisplayNode::SetMeshDisplayMode(int mode)
{
    if (!validDisplayMode(mode) || mode == MeshDisplayMode)
        return;
    MeshDisplayMode = mode;
    Modified();
}

void vtkMRMLDisplayNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        double v[3];
        if (name == "visibility")
            SetVisibility(mrmlxml::parseFlag(value));
        else if (name == "color" && mrmlxml::parseDoubles(value, v, 3) == 3)
            SetColor(v);
        else if (name == "selectedColor" && mrmlxml::parseDoubles(value, v, 3) == 3)
            SetSelectedColor(v);
        else if (name == "opacity" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetOpacity(v[0]);
        else if (name == "ambient" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetAmbient(v[0]);
        else if (name == "diffuse" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetDiffuse(v[0]);
        else if (name == "specular" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetSpecular(v[0]);
        else if (name == "power" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetPower(v[0]);
        else if (name == "selectedAmbient" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetSelectedAmbient(v[0]);
        else if (name == "selectedSpecular" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetSelectedSpecular(v[0]);
        else if (name == "displayMode")
            SetDisplayMode(mrmlxml::parseInt(value));
        else if (name == "meshDisplayMode")
            SetMeshDisplayMode(mrmlxml::parseInt(value));
        else if (name == "clipping")
            SetClipping(mrmlxml::parseFlag(value));
        else if (name == "edgeColor" && mrmlxml::parseDoubles(value, v, 3) == 3)
            SetEdgeColor(v);
        else if (name == "lineWidth" && mrmlxml::parseDoubles(value, v, 1) == 1)
            SetLineWidth(v[0]);
        else if (name == "backfaceCulling")
            SetBackfaceCulling(mrmlxml::parseFlag(value));
        else if (name == "sliceIntersectionVisibility")
            SetSliceIntersectionVisibility(mrmlxml::parseFlag(value));
        else if (name == "viewNodeRef") {
            std::istringstream ids{std::string(value)};
            std::string id;
            ViewNodeIDs.clear();
            while (ids >> id)
                AddViewNodeID(id.c_str());
            Modified();
        }
    }
    EndModify(wasModifying);
}

void vtkMRMLDisplayNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " visibility=\"" << (Visibility ? "true" : "false") << "\"";
    of << " color=\"" << mrmlxml::formatDoubles(Color, 3) << "\"";
    of << " selectedColor=\"" << mrmlxml::formatDoubles(SelectedColor, 3) << "\"";
    of << " opacity=\"" << mrmlxml::formatDoubles(&Opacity, 1) << "\"";
    of << " ambient=\"" << mrmlxml::formatDoubles(&Ambient, 1) << "\"";
    of << " diffuse=\"" << mrmlxml::formatDoubles(&Diffuse, 1) << "\"";
    of << " specular=\"" << mrmlxml::formatDoubles(&Specular, 1) << "\"";
    of << " power=\"" << mrmlxml::formatDoubles(&Power, 1) << "\"";
    of << " selectedAmbient=\"" << mrmlxml::formatDoubles(&SelectedAmbient, 1) << "\"";
    of << " selectedSpecular=\"" << mrmlxml::formatDoubles(&SelectedSpecular, 1) << "\"";
    of << " displayMode=\"" << DisplayMode << "\"";
    of << " meshDisplayMode=\"" << MeshDisplayMode << "\"";
    of << " clipping=\"" << (Clipping ? "true" : "false") << "\"";
    of << " edgeColor=\"" << mrmlxml::formatDoubles(EdgeColor, 3) << "\"";
    of << " lineWidth=\"" << mrmlxml::formatDoubles(&LineWidth, 1) << "\"";
    of << " backfaceCulling=\"" << (BackfaceCulling ? "true" : "false") << "\"";
    // Written only when set, so that files of nodes that use neither stay as they were.
    if (SliceIntersectionVisibility)
        of << " sliceIntersectionVisibility=\"true\"";
    if (!ViewNodeIDs.empty()) {
        std::string ids;
        for (const std::string& id : ViewNodeIDs)
            ids += (ids.empty() ? "" : " ") + id;
        of << " viewNodeRef=\"" << XMLAttributeEncodeString(ids) << "\"";
    }
}

void vtkMRMLDisplayNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLDisplayNode::SafeDownCast(anode)) {
        SetVisibility(node->GetVisibility());
        SetColor(node->GetColor());
        SetSelectedColor(node->GetSelectedColor());
        SetOpacity(node->GetOpacity());
        SetAmbient(node->GetAmbient());
        SetDiffuse(node->GetDiffuse());
        SetSpecular(node->GetSpecular());
        SetPower(node->GetPower());
        SetSelectedAmbient(node->GetSelectedAmbient());
        SetSelectedSpecular(node->GetSelectedSpecular());
        SetDisplayMode(node->GetDisplayMode());
        SetMeshDisplayMode(node->GetMeshDisplayMode());
        SetClipping(node->GetClipping());
        SetEdgeColor(node->GetEdgeColor());
        SetLineWidth(node->GetLineWidth());
        SetBackfaceCulling(node->GetBackfaceCulling());
        SetSliceIntersectionVisibility(node->GetSliceIntersectionVisibility());
        if (ViewNodeIDs != node->ViewNodeIDs) {
            ViewNodeIDs = node->ViewNodeIDs;
            Modified();
        }
    }
    EndModify(wasModifying);
}
