#pragma once
// Base of the widgets that show an MRML scene: holds the scene and announces a change.

#include <QWidget>

class vtkMRMLScene;

class qMRMLWidget : public QWidget
{
    Q_OBJECT
public:
    explicit qMRMLWidget(QWidget* parent = nullptr);
    ~qMRMLWidget() override;

    vtkMRMLScene* mrmlScene() const;

public Q_SLOTS:
    // Emits mrmlSceneChanged when the scene differs.
    virtual void setMRMLScene(vtkMRMLScene* scene);

Q_SIGNALS:
    void mrmlSceneChanged(vtkMRMLScene* scene);

private:
    vtkMRMLScene* scene = nullptr; // not owned
};
