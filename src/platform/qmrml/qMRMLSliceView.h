#pragma once
// The MRML slice view: one slice of a scene drawn flat, through the displayable managers
// it is given, whose displayable node is the view's slice node. Display pixels are the
// slice node's XY coordinates: the node's dimensions follow the widget's size, and the
// camera never turns. A slice node with a light-box grid splits the view into panes, one
// renderer each, row-major from the top left; the first pane is the view's renderer.

#include <ctk/ctkVTKAbstractView.h>

#include <memory>

class vtkMRMLAbstractDisplayableManager;
class vtkMRMLScene;
class vtkMRMLSliceNode;
class vtkRenderer;
class vtkVizApplicationLogic;

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

    // The renderer of a light-box pane (0 is renderer()); null outside the grid.
    vtkRenderer* lightBoxRenderer(int index) const;
    int lightBoxPaneCount() const;

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene);
    void setMRMLSliceNode(vtkMRMLSliceNode* sliceNode);
    // The managers reach the view's slice logic through it; the view makes that logic.
    void setApplicationLogic(vtkVizApplicationLogic* logic);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateLightBox();

    struct Private;
    std::unique_ptr<Private> d;
};
