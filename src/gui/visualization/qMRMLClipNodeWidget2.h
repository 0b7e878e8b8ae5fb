#pragma once
// Edits the model clipping of a scene: which slice planes clip, which side of each stays,
// union or intersection of the kept spaces, straight cuts or whole cells, and the origin
// the planes pass through. Writes each change of a control into the clip node and
// follows each change of the node.

#include "PelmoraGuiExport.h"

#include <QWidget>

#include <memory>

class vtkMRMLClipModelsNode;
class vtkMRMLNode;

class qMRMLClipNodeWidget2Private;

class PELMORAGUI_EXPORT qMRMLClipNodeWidget2 : public QWidget
{
    Q_OBJECT
public:
    explicit qMRMLClipNodeWidget2(QWidget* parent = nullptr);
    ~qMRMLClipNodeWidget2() override;

    vtkMRMLClipModelsNode* mrmlClipNode() const;

    // 1 union, 0 intersection.
    int clipType() const;
    // 1 whole cells, 0 straight cuts.
    int clippingMethod() const;
    // 0 off, 1 keep the positive space, 2 keep the negative space.
    int redSliceClipState() const;
    int yellowSliceClipState() const;
    int greenSliceClipState() const;

    // Passed to the node; the controls follow through the node's modified event.
    void setClipType(int type);
    void setClippingMethod(int method);
    void setRedSliceClipState(int state);
    void setYellowSliceClipState(int state);
    void setGreenSliceClipState(int state);

public Q_SLOTS:
    void setMRMLClipNode(vtkMRMLClipModelsNode* node);
    void setMRMLClipNode(vtkMRMLNode* node);
    void updateWidgetFromMRML();
    void updateNodeClipType();
    void updateNodeRedClipState();
    void updateNodeYellowClipState();
    void updateNodeGreenClipState();
    void updateNodeClippingMethod();
    void updateOriginX(double value);
    void updateOriginY(double value);
    void updateOriginZ(double value);

private:
    void updateOrigin(int axis, double value);
    std::unique_ptr<qMRMLClipNodeWidget2Private> d;
};
