#pragma once
// Picks a named colour from the colour nodes of a scene: the user chooses a table and
// clicks an entry; the widget says which colour and which name.

#include <QWidget>

#include <vtkSmartPointer.h>

class QColor;
class qMRMLColorTableComboBox;
class qMRMLColorTableView;
class vtkMRMLColorLogic;
class vtkMRMLScene;

class qMRMLColorPickerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit qMRMLColorPickerWidget(QWidget* parent = nullptr);
    ~qMRMLColorPickerWidget() override;

    vtkMRMLColorLogic* mrmlColorLogic() const;
    vtkMRMLScene* mrmlScene() const;
    void setMRMLColorLogic(vtkMRMLColorLogic* logic);

public Q_SLOTS:
    // Shows the scene's colour nodes, starting with the logic's default label-map table.
    void setMRMLScene(vtkMRMLScene* scene);

Q_SIGNALS:
    void colorSelected(const QColor& color);
    void colorNameSelected(const QString& name);

private:
    void onRowClicked(int row);
    vtkSmartPointer<vtkMRMLColorLogic> logic;
    qMRMLColorTableComboBox* tables;
    qMRMLColorTableView* view;
};
