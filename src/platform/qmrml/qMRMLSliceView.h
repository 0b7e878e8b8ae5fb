#pragma once
// The MRML slice view: one slice of a scene drawn flat, through the displayable managers
// it is given, whose displayable node is the view's slice node. Display pixels are the
// slice node's XY coordinates: the node's dimensions follow the widget's size, and the
// camera never turns.

#include <ctk/ctkVTKAbstractView.h>

#include <memory>

class vtkMRMLAbstractDisplayableManager;
class vtkMRMLScene;
class vtkMRMLSliceNode;

class qMRMLSliceView : public ctkVTKAbstractView
{
    Q_OBJECT
public:
    explicit qMRMLSliceView(QWidget* parent = nullptr);
    ~qMRMLSliceView() override;

    vtkMRMLScene* mrmlScene() const;
    vtkMRMLSliceNode* mrmlSliceNode() const;

    // Adds a manager by class name (unknown names are skipped).
    void addDisplayableManager(const QString& className);
    vtkMRMLAbstractDisplayableManager* displayableManagerByClassName(const char* className) const;

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene);
    void setMRMLSliceNode(vtkMRMLSliceNode* sliceNode);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
