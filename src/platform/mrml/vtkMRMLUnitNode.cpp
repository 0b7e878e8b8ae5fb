#include "vtkMRMLUnitNode.h"

#include "vtkMRMLScene.h"
#include "vtkMRMLSelectionNode.h"

#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>

vtkStandardNewMacro(vtkMRMLUnitNode);

namespace {
std::string escapePercent(const std::string& text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}
} // namespace

vtkMRMLUnitNode::vtkMRMLUnitNode() = default;

void vtkMRMLUnitNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Quantity: " << Quantity << "\n";
    os << indent << "Prefix: " << Prefix << "\n";
    os << indent << "Suffix: " << Suffix << "\n";
    os << indent << "Precision: " << Precision << "\n";
    os << indent << "DisplayCoefficient: " << DisplayCoefficient << "\n";
    os << indent << "DisplayOffset: " << DisplayOffset << "\n";
}

void vtkMRMLUnitNode::Copy(vtkMRMLNode* node)
{
    int wasModifying = StartModify();
    Superclass::Copy(node);
    if (auto* other = vtkMRMLUnitNode::SafeDownCast(node)) {
        SetQuantity(other->GetQuantity());
        SetPrefix(other->GetPrefix());
        SetSuffix(other->GetSuffix());
        SetPrecision(other->GetPrecision());
        SetDisplayCoefficient(other->GetDisplayCoefficient());
        SetDisplayOffset(other->GetDisplayOffset());
    }
    EndModify(wasModifying);
}

void vtkMRMLUnitNode::SetQuantity(const char* quantity)
{
    const std::string q = quantity ? quantity : "";
    if (q != Quantity) {
        Quantity = q;
        Modified();
    }
}

void vtkMRMLUnitNode::SetPrefix(const char* prefix)
{
    const std::string p = prefix ? prefix : "";
    if (p != Prefix) {
        Prefix = p;
        Modified();
    }
}

void vtkMRMLUnitNode::SetSuffix(const char* suffix)
{
    const std::string s = suffix ? suffix : "";
    if (s != Suffix) {
        Suffix = s;
        Modified();
    }
}

void vtkMRMLUnitNode::SetPrecision(int precision)
{
    precision = std::clamp(precision, 0, 15);
    if (precision != Precision) {
        Precision = precision;
        Modified();
    }
}

void vtkMRMLUnitNode::SetDisplayCoefficient(double coefficient)
{
    if (coefficient != DisplayCoefficient) {
        DisplayCoefficient = coefficient;
        Modified();
    }
}

void vtkMRMLUnitNode::SetDisplayOffset(double offset)
{
    if (offset != DisplayOffset) {
        DisplayOffset = offset;
        Modified();
    }
}

std::string vtkMRMLUnitNode::GetDisplayStringFormat() const
{
    std::string format = escapePercent(Prefix) + "%." + std::to_string(Precision) + "f";
    if (!Suffix.empty())
        format += " " + escapePercent(Suffix);
    return format;
}

double vtkMRMLUnitNode::GetDisplayValueFromValue(double value) const
{
    return value * DisplayCoefficient + DisplayOffset;
}

std::string vtkMRMLUnitNode::GetDisplayStringFromValue(double value) const
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, GetDisplayStringFormat().c_str(), GetDisplayValueFromValue(value));
    return buffer;
}

vtkMRMLUnitNode* vtkMRMLUnitNode::SelectSceneUnit(vtkMRMLScene* scene, const char* quantity, const char* suffix,
                                                  int precision, double coefficient)
{
    if (!scene || !quantity || !*quantity)
        return nullptr;
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    if (!selection)
        return nullptr;
    // A singleton: the scene keeps it through a clear, and adding it again updates it.
    vtkNew<vtkMRMLUnitNode> wanted;
    std::string tag = std::string("Scene") + quantity;   // "SceneLength" for "length"
    tag[5] = static_cast<char>(std::toupper(static_cast<unsigned char>(tag[5])));
    wanted->SetSingletonTag(tag.c_str());
    wanted->SetName(quantity);
    wanted->SetHideFromEditors(1);
    wanted->SetQuantity(quantity);
    wanted->SetSuffix(suffix);
    wanted->SetPrecision(precision);
    wanted->SetDisplayCoefficient(coefficient);
    const std::string id = "vtkMRMLUnitNode" + tag;
    auto* unit = vtkMRMLUnitNode::SafeDownCast(scene->GetNodeByID(id.c_str()));
    const bool changed = !unit || unit->Suffix != wanted->Suffix || unit->Prefix != wanted->Prefix
        || unit->Precision != wanted->Precision || unit->DisplayCoefficient != wanted->DisplayCoefficient
        || unit->DisplayOffset != 0.0;
    if (changed)
        unit = vtkMRMLUnitNode::SafeDownCast(scene->AddNode(wanted));
    if (!unit)
        return nullptr;
    const char* named = selection->GetUnitNodeID(quantity);
    if (!named || id != named)
        selection->SetUnitNodeID(quantity, unit->GetID());   // tells the views itself
    else if (changed)
        selection->InvokeEvent(vtkMRMLSelectionNode::UnitModifiedEvent, nullptr);
    return unit;
}
