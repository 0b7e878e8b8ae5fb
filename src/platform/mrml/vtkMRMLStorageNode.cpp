#include "vtkMRMLStorageNode.h"

#include <ostream>
#include <string>

vtkMRMLStorageNode::~vtkMRMLStorageNode()
{
    delete[] FileName;
    delete[] URI;
}

void vtkMRMLStorageNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "FileName: " << (FileName ? FileName : "(none)") << "\n";
    os << indent << "URI: " << (URI ? URI : "(none)") << "\n";
    os << indent << "ReadState: " << ReadState << "\n";
}

void vtkMRMLStorageNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2)
        if (std::string(atts[i]) == "fileName")
            SetFileName(atts[i + 1]);
        else if (std::string(atts[i]) == "uri")
            SetURI(atts[i + 1]);
    EndModify(wasModifying);
}

void vtkMRMLStorageNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    if (FileName)
        of << " fileName=\"" << XMLAttributeEncodeString(FileName) << "\"";
    if (URI)
        of << " uri=\"" << XMLAttributeEncodeString(URI) << "\"";
}

void vtkMRMLStorageNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLStorageNode::SafeDownCast(anode)) {
        SetFileName(node->GetFileName());
        SetURI(node->GetURI());
    }
    EndModify(wasModifying);
}

void vtkMRMLStorageNode::StageReadData(vtkMRMLNode* refNode)
{
    if (!refNode)
        return;
    if (FileName && *FileName)
        SetReadState(TransferDone);
    else if (URI && *URI)
        SetReadState(Pending);
}

int vtkMRMLStorageNode::ReadData(vtkMRMLNode* refNode)
{
    if (!refNode) {
        vtkErrorMacro("ReadData: no node to read into");
        return 0;
    }
    if ((!FileName || !*FileName) && (!URI || !*URI)) {
        vtkErrorMacro("ReadData: no file name for node " << (refNode->GetID() ? refNode->GetID() : ""));
        return 0;
    }
    return ReadDataInternal(refNode) ? 1 : 0;
}

int vtkMRMLStorageNode::WriteData(vtkMRMLNode* refNode)
{
    if (!refNode) {
        vtkErrorMacro("WriteData: no node to write");
        return 0;
    }
    if (!FileName || !*FileName) {
        vtkErrorMacro("WriteData: no file name for node " << (refNode->GetID() ? refNode->GetID() : ""));
        return 0;
    }
    return WriteDataInternal(refNode) ? 1 : 0;
}
