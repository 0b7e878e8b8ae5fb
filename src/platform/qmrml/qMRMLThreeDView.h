#pragma once
// The MRML 3D view: shows a scene through the displayable managers that the 3D-view
// factory names (the model and 3D-view managers first), renders when they ask, frames
// the models when they first appear (until then it stands at a millimetre scale), and
// picks with a left click (unless the scene is placing annotations).

#include <ctk/ctkVTKAbstractView.h>

#include <memory>

class QPoint;
class vtkCollection;
class vtkMRMLAbstractDisplayableManager;
class vtkMRMLDisplayableManagerGroup;
class vtkMRMLScene;
class vtkMRMLViewNode;

class qMRMLThreeDView : public ctkVTKAbstractView
{
    Q_OBJECT
public:
    explicit qMRMLThreeDView(QWidget* parent = nullptr);
    ~qMRMLThreeDView() override;

    vtkMRMLScene* mrmlScene() const;
    vtkMRMLViewNode* mrmlViewNode() const;

    // Adds a manager by class name (unknown names are skipped).
    void addDisplayableManager(const QString& className);
    // Appends the view's managers, in order, to the collection.
    void getDisplayableManagers(vtkCollection* managers) const;
    vtkMRMLAbstractDisplayableManager* displayableManagerByClassName(const char* className) const;
    vtkMRMLDisplayableManagerGroup* displayableManagerGroup() const;

    // Whether, outside the place mode, the model under the mouse is marked before it is
    // picked.
    void SetEnablePreSelection(bool enabled);
    bool preSelectionEnabled() const;

    // Picks through every 3D-view manager at a point of this widget (Qt coordinates);
    // true when one of them hit a model.
    bool pickAt(const QPoint& position);

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene);
    void setMRMLViewNode(vtkMRMLViewNode* viewNode);
    // Points the camera at the centre of the visible models and frames them; without
    // models, frames what else is shown, and in a view showing nothing puts the camera
    // back where an empty view stands.
    void resetFocalPoint();
    void forceRender() override;

Q_SIGNALS:
    void mrmlSceneChanged(vtkMRMLScene* scene);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
