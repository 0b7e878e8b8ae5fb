#include "qSlicerViewersToolBar.h"

qSlicerViewersToolBar::qSlicerViewersToolBar(QWidget* parent)
    : QToolBar(parent)
{
}

qSlicerViewersToolBar::qSlicerViewersToolBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent)
{
}

qSlicerViewersToolBar::~qSlicerViewersToolBar() = default;

void qSlicerViewersToolBar::setApplicationLogic(vtkSlicerApplicationLogic* appLogic)
{
    logic = appLogic;
}

void qSlicerViewersToolBar::setMRMLScene(vtkMRMLScene* newScene)
{
    scene = newScene;
}
