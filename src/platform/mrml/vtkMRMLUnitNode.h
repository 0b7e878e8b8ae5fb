#pragma once
// How values of one quantity ("length" ...) are shown: a scale and offset from the
// scene's units to the shown ones, a number of decimals, and the text around the number.
// The selection node names the unit node of each quantity.

#include "vtkMRMLNode.h"

#include <string>

class vtkMRMLScene;

class vtkMRMLUnitNode : public vtkMRMLNode
{
public:
    static vtkMRMLUnitNode* New();
    vtkTypeMacro(vtkMRMLUnitNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLUnitNode::New(); }
    const char* GetNodeTagName() override { return "Unit"; }
    void Copy(vtkMRMLNode* node) override;

    void SetQuantity(const char* quantity);
    const char* GetQuantity() const { return Quantity.c_str(); }
    void SetPrefix(const char* prefix);
    const char* GetPrefix() const { return Prefix.c_str(); }
    void SetSuffix(const char* suffix);
    const char* GetSuffix() const { return Suffix.c_str(); }
    // Decimals shown, 0 to 15.
    void SetPrecision(int precision);
    int GetPrecision() const { return Precision; }
    void SetDisplayCoefficient(double coefficient);
    double GetDisplayCoefficient() const { return DisplayCoefficient; }
    void SetDisplayOffset(double offset);
    double GetDisplayOffset() const { return DisplayOffset; }

    // printf format of a shown value: prefix, "%.<precision>f", a blank and the suffix
    // when there is one; "%" in prefix or suffix is doubled.
    std::string GetDisplayStringFormat() const;
    // value * coefficient + offset.
    double GetDisplayValueFromValue(double value) const;
    // The shown text of a value in the scene's units.
    std::string GetDisplayStringFromValue(double value) const;

    // Names the scene's unit of a quantity: the scene's own unit node of that quantity (one
    // per scene, kept when the scene is cleared) shows values times `coefficient` with
    // `suffix` and `precision` decimals, and the selection node names it for the quantity.
    // Views that show values of the quantity hear of any change through the selection
    // node's UnitModifiedEvent. Null (nothing changed) without a scene or selection node.
    static vtkMRMLUnitNode* SelectSceneUnit(vtkMRMLScene* scene, const char* quantity, const char* suffix,
                                            int precision, double coefficient = 1.0);

protected:
    vtkMRMLUnitNode();
    ~vtkMRMLUnitNode() override = default;
    vtkMRMLUnitNode(const vtkMRMLUnitNode&) = delete;
    void operator=(const vtkMRMLUnitNode&) = delete;

private:
    std::string Quantity;
    std::string Prefix;
    std::string Suffix;
    int Precision = 3;
    double DisplayCoefficient = 1.0;
    double DisplayOffset = 0.0;
};
