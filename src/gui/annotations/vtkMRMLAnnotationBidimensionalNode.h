#pragma once
// Two crossing distances measured on an image or a surface: the end points of two lines,
// the two measured values, a label format and the resolution of the line representation.

#include "vtkMRMLAnnotationLinesNode.h"

#include <vector>

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationBidimensionalNode : public vtkMRMLAnnotationLinesNode
{
public:
    static vtkMRMLAnnotationBidimensionalNode* New();
    vtkTypeMacro(vtkMRMLAnnotationBidimensionalNode, vtkMRMLAnnotationLinesNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationBidimensionalNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationBidimensional"; }
    const char* GetIcon() override { return ":/Icons/AnnotationBidimensional.png"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;
    void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1) override;
    void Initialize(vtkMRMLScene* scene) override;

    enum
    {
        BidimensionalNodeAddedEvent = 0,
        ValueModifiedEvent = 1,
    };

    virtual const char* GetAnnotationFormat() { return AnnotationFormat; }
    virtual void SetAnnotationFormat(const char* format);
    virtual int GetResolution() { return Resolution; }
    virtual void SetResolution(int resolution);

    void SetBidimensionalMeasurement(double m1, double m2);
    std::vector<double> GetBidimensionalMeasurement() { return {Measurement1, Measurement2}; }

    int SetControlPoint(const double coord[3], int id);
    int SetControlPointWorldCoordinates(const double world[3], int id);

protected:
    vtkMRMLAnnotationBidimensionalNode();
    ~vtkMRMLAnnotationBidimensionalNode() override;
    vtkMRMLAnnotationBidimensionalNode(const vtkMRMLAnnotationBidimensionalNode&) = delete;
    void operator=(const vtkMRMLAnnotationBidimensionalNode&) = delete;

    int Resolution = 5;
    char* AnnotationFormat = nullptr;
    double Measurement1 = 0.0;
    double Measurement2 = 0.0;
};
