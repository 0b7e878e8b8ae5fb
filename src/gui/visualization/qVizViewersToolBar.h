#pragma once
// The main window's "ViewersToolBar": one "Crosshair" button that toggles the crosshair of
// the scene's views, with a menu choosing its shape and thickness. Settings are written
// to every crosshair node of the scene and read back from the one named "default".

#include "PelmoraGuiExport.h"

#include <QToolBar>

#include <memory>

class vtkMRMLScene;
class vtkVizApplicationLogic;

class PELMORAGUI_EXPORT qVizViewersToolBar : public QToolBar
{
    Q_OBJECT
public:
    explicit qVizViewersToolBar(QWidget* parent = nullptr);
    qVizViewersToolBar(const QString& title, QWidget* parent = nullptr);
    ~qVizViewersToolBar() override;

    vtkVizApplicationLogic* applicationLogic() const;
    vtkMRMLScene* mrmlScene() const;

public Q_SLOTS:
    void setApplicationLogic(vtkVizApplicationLogic* appLogic);
    void setMRMLScene(vtkMRMLScene* newScene);

private Q_SLOTS:
    void OnMRMLSceneStartClose();
    void OnMRMLSceneEndImport();
    void OnMRMLSceneEndClose();
    void onCrosshairNodeModeChangedEvent();
    void onSliceCompositeNodeChangedEvent();
    void setCrosshairMode(int mode);
    void setCrosshairEnabled(bool enabled);
    void setCrosshairThickness(int thickness);
    void setCrosshairJumpSlicesMode(int mode);
    void setSliceIntersectionVisible(bool visible);

private:
    void init();
    void updateWidgetFromMRML();
    struct Private;
    std::unique_ptr<Private> d;
};
