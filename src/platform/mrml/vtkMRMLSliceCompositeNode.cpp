#include "vtkMRMLSliceCompositeNode.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLSliceCompositeNode);

namespace {
const char* orNone(const char* text)
{
    return text ? text : "(none)";
}
bool isSet(const char* id)
{
    return id && *id;
}
} // namespace

vtkMRMLSliceCompositeNode::~vtkMRMLSliceCompositeNode()
{
    delete[] BackgroundVolumeID;
    delete[] ForegroundVolumeID;
    delete[] LabelVolumeID;
    delete[] LayoutName;
}

void vtkMRMLSliceCompositeNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "BackgroundVolumeID: " << orNone(BackgroundVolumeID) << "\n";
    os << indent << "ForegroundVolumeID: " << orNone(ForegroundVolumeID) << "\n";
    os << indent << "LabelVolumeID: " << orNone(LabelVolumeID) << "\n";
    os << indent << "LayoutName: " << orNone(LayoutName) << "\n";
}

const char* vtkMRMLSliceCompositeNode::GetFirstVolumeID()
{
    if (isSet(BackgroundVolumeID))
        return BackgroundVolumeID;
    if (isSet(ForegroundVolumeID))
        return ForegroundVolumeID;
    if (isSet(LabelVolumeID))
        return LabelVolumeID;
    return nullptr;
}

void vtkMRMLSliceCompositeNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        if (name == "backgroundVolumeID")
            SetBackgroundVolumeID(value);
        else if (name == "foregroundVolumeID")
            SetForegroundVolumeID(value);
        else if (name == "labelVolumeID")
            SetLabelVolumeID(value);
        else if (name == "layoutName")
            SetLayoutName(value);
    }
    EndModify(wasModifying);
}

void vtkMRMLSliceCompositeNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    auto write = [&of](const char* name, const char* value) {
        if (value)
            of << " " << name << "=\"" << XMLAttributeEncodeString(value) << "\"";
    };
    write("backgroundVolumeID", BackgroundVolumeID);
    write("foregroundVolumeID", ForegroundVolumeID);
    write("labelVolumeID", LabelVolumeID);
    write("layoutName", LayoutName);
}

void vtkMRMLSliceCompositeNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLSliceCompositeNode::SafeDownCast(anode)) {
        SetBackgroundVolumeID(node->GetBackgroundVolumeID());
        SetForegroundVolumeID(node->GetForegroundVolumeID());
        SetLabelVolumeID(node->GetLabelVolumeID());
        SetLayoutName(node->GetLayoutName());
    }
    EndModify(wasModifying);
}
