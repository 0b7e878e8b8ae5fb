#include "qMRMLWidget.h"

qMRMLWidget::qMRMLWidget(QWidget* parent)
    : QWidget(parent)
{
}

qMRMLWidget::~qMRMLWidget() = default;

vtkMRMLScene* qMRMLWidget::mrmlScene() const
{
    return scene;
}

void qMRMLWidget::setMRMLScene(vtkMRMLScene* newScene)
{
    if (newScene == scene)
        return;
    scene = newScene;
    Q_EMIT mrmlSceneChanged(newScene);
}
