#include "qVizViewersToolBar.h"

qVizViewersToolBar::qVizViewersToolBar(QWidget* parent)
    : QToolBar(parent)
{
}

qVizViewersToolBar::qVizViewersToolBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent)
{
}

qVizViewersToolBar::~qVizViewersToolBar() = default;

void qVizViewersToolBar::setApplicationLogic(vtkVizApplicationLogic* appLogic)
{
    logic = appLogic;
}

void qVizViewersToolBar::setMRMLScene(vtkMRMLScene* newScene)
{
    scene = newScene;
}
