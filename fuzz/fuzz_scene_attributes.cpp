// Feeds arbitrary scene-file attributes to every annotation node and display node class and
// to the slice and camera nodes an annotation's saved view copies:
// each input line "key=value" is one attribute. What a node reads it must write, and what
// it writes it must read again.

#include "FuzzSupport.h"

#include <vtkMRMLAnnotationBidimensionalNode.h>
#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationLineDisplayNode.h>
#include <vtkMRMLAnnotationPointDisplayNode.h>
#include <vtkMRMLAnnotationROINode.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkMRMLAnnotationTextDisplayNode.h>
#include <vtkMRMLAnnotationTextNode.h>

#include <mrml/vtkMRMLCameraNode.h>
#include <mrml/vtkMRMLSliceNode.h>

#include <vtkSmartPointer.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

void readInto(vtkMRMLNode* node, const Attributes& atts)
{
    std::vector<const char*> list;
    for (const auto& a : atts) {
        list.push_back(a.first.c_str());
        list.push_back(a.second.c_str());
    }
    list.push_back(nullptr);
    list.push_back(nullptr);
    node->ReadXMLAttributes(list.data());
}

Attributes written(vtkMRMLNode* node)
{
    std::ostringstream os;
    node->WriteXML(os, 0);
    const std::string text = os.str();
    Attributes atts;
    size_t pos = 0;
    while (true) {
        const size_t eq = text.find("=\"", pos);
        if (eq == std::string::npos)
            break;
        const size_t start = text.rfind(' ', eq) + 1;
        const size_t end = text.find('"', eq + 2);
        if (end == std::string::npos)
            break;
        atts.emplace_back(text.substr(start, eq - start),
                          vtkMRMLNode::XMLAttributeDecodeString(text.substr(eq + 2, end - eq - 2)));
        pos = end + 1;
    }
    return atts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::quietVtk();
    Attributes atts;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        atts.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    const std::vector<vtkSmartPointer<vtkMRMLNode>> nodes = {
        vtkSmartPointer<vtkMRMLAnnotationNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationControlPointsNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationLinesNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationFiducialNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationTextNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationRulerNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationROINode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationBidimensionalNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationPointDisplayNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationLineDisplayNode>::New(),
        vtkSmartPointer<vtkMRMLAnnotationTextDisplayNode>::New(),
        vtkSmartPointer<vtkMRMLSliceNode>::New(),
        vtkSmartPointer<vtkMRMLCameraNode>::New(),
    };
    for (const auto& node : nodes) {
        readInto(node, atts);
        auto copy = vtkSmartPointer<vtkMRMLNode>::Take(node->CreateNodeInstance());
        readInto(copy, written(node));
        copy->Copy(node);
        if (auto* textDisplay = vtkMRMLAnnotationTextDisplayNode::SafeDownCast(node))
            textDisplay->GetLineWrappedText(text.substr(0, 4096));
    }
    return 0;
}
