#pragma once
// The main window's viewer-options toolbar.  For now it only keeps the application
// logic and the scene it is given.

#include "PelmoraGuiExport.h"

#include <QToolBar>

class vtkMRMLScene;
class vtkSlicerApplicationLogic;

class PELMORAGUI_EXPORT qSlicerViewersToolBar : public QToolBar
{
    Q_OBJECT
public:
    explicit qSlicerViewersToolBar(QWidget* parent = nullptr);
    qSlicerViewersToolBar(const QString& title, QWidget* parent = nullptr);
    ~qSlicerViewersToolBar() override;

    vtkSlicerApplicationLogic* applicationLogic() const { return logic; }
    vtkMRMLScene* mrmlScene() const { return scene; }

public Q_SLOTS:
    void setApplicationLogic(vtkSlicerApplicationLogic* appLogic);
    void setMRMLScene(vtkMRMLScene* newScene);

private:
    vtkSlicerApplicationLogic* logic = nullptr;
    vtkMRMLScene* scene = nullptr;
};
