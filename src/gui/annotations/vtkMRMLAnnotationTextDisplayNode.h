#pragma once
// How the texts of an annotation are drawn: scale, line wrapping, border, leader line with
// its arrow head, and padding.

#include "vtkMRMLAnnotationDisplayNode.h"

#include <string>

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationTextDisplayNode : public vtkMRMLAnnotationDisplayNode
{
public:
    static vtkMRMLAnnotationTextDisplayNode* New();
    vtkTypeMacro(vtkMRMLAnnotationTextDisplayNode, vtkMRMLAnnotationDisplayNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationTextDisplayNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationTextDisplay"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;
    void CreateBackup() override;
    void RestoreBackup() override;

    virtual double GetTextScale() { return TextScale; }
    vtkSetMacro(TextScale, double);
    vtkSetMacro(UseLineWrap, int);
    vtkGetMacro(UseLineWrap, int);
    vtkBooleanMacro(UseLineWrap, int);
    // At least one character per line: a line of none could never be filled.
    vtkSetClampMacro(MaxCharactersPerLine, unsigned int, 1u, 0x7fffffffu);
    vtkGetMacro(MaxCharactersPerLine, unsigned int);
    vtkSetMacro(ShowBorder, int);
    vtkGetMacro(ShowBorder, int);
    vtkBooleanMacro(ShowBorder, int);
    vtkSetMacro(ShowLeader, int);
    vtkGetMacro(ShowLeader, int);
    vtkBooleanMacro(ShowLeader, int);
    vtkSetMacro(UseThreeDimensionalLeader, int);
    vtkGetMacro(UseThreeDimensionalLeader, int);
    vtkBooleanMacro(UseThreeDimensionalLeader, int);
    vtkSetMacro(ShowArrowHead, int);
    vtkGetMacro(ShowArrowHead, int);
    vtkBooleanMacro(ShowArrowHead, int);
    vtkSetClampMacro(LeaderGlyphSize, double, 0.0, 0.1);
    vtkGetMacro(LeaderGlyphSize, double);
    vtkSetClampMacro(MaximumLeaderGlyphSize, int, 1, 1000);
    vtkGetMacro(MaximumLeaderGlyphSize, int);
    vtkSetClampMacro(Padding, int, 0, 50);
    vtkGetMacro(Padding, int);
    vtkSetMacro(AttachEdgeOnly, int);
    vtkGetMacro(AttachEdgeOnly, int);
    vtkBooleanMacro(AttachEdgeOnly, int);

    // The text broken into lines of at most MaxCharactersPerLine characters, at blanks
    // where it has them.
    std::string GetLineWrappedText(const std::string& text);

protected:
    vtkMRMLAnnotationTextDisplayNode() = default;
    ~vtkMRMLAnnotationTextDisplayNode() override = default;
    vtkMRMLAnnotationTextDisplayNode(const vtkMRMLAnnotationTextDisplayNode&) = delete;
    void operator=(const vtkMRMLAnnotationTextDisplayNode&) = delete;

    double TextScale = 4.5;
    int UseLineWrap = 0;
    unsigned int MaxCharactersPerLine = 20;
    int ShowBorder = 1;
    int ShowLeader = 1;
    int ShowArrowHead = 1;
    int UseThreeDimensionalLeader = 1;
    double LeaderGlyphSize = 0.025;
    int MaximumLeaderGlyphSize = 20;
    int Padding = 3;
    int AttachEdgeOnly = 0;
};
