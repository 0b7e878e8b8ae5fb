#pragma once
// The main window's viewer-options toolbar.  For now it only keeps the application
// logic and the scene it is given.

#include "PelmoraGuiExport.h"

#include <QToolBar>

class vtkMRMLScene;
class vtkVizApplicationLogic;

class PELMORAGUI_EXPORT qVizViewersToolBar : public QToolBar
{
    Q_OBJECT
public:
    explicit qVizViewersToolBar(QWidget* parent = nullptr);
    qVizViewersToolBar(const QString& title, QWidget* parent = nullptr);
    ~qVizViewersToolBar() override;

    vtkVizApplicationLogic* applicationLogic() const { return logic; }
    vtkMRMLScene* mrmlScene() const { return scene; }

public Q_SLOTS:
    void setApplicationLogic(vtkVizApplicationLogic* appLogic);
    void setMRMLScene(vtkMRMLScene* newScene);

private:
    vtkVizApplicationLogic* logic = nullptr;
    vtkMRMLScene* scene = nullptr;
};
