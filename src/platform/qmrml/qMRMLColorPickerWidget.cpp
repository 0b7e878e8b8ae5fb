#include "qMRMLColorPickerWidget.h"

#include "qMRMLColorTableComboBox.h"
#include "qMRMLColorTableView.h"

#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLColorNode.h>
#include <mrml/vtkMRMLScene.h>

#include <QColor>
#include <QVBoxLayout>

qMRMLColorPickerWidget::qMRMLColorPickerWidget(QWidget* parent)
    : QWidget(parent)
    , tables(new qMRMLColorTableComboBox(this))
    , view(new qMRMLColorTableView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tables);
    layout->addWidget(view);
    connect(tables, &qMRMLColorTableComboBox::currentNodeChanged, view, &qMRMLColorTableView::setMRMLColorNode);
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { onRowClicked(index.row()); });
}

qMRMLColorPickerWidget::~qMRMLColorPickerWidget() = default;

vtkMRMLColorLogic* qMRMLColorPickerWidget::mrmlColorLogic() const
{
    return logic;
}

vtkMRMLScene* qMRMLColorPickerWidget::mrmlScene() const
{
    return tables->mrmlScene();
}

void qMRMLColorPickerWidget::setMRMLColorLogic(vtkMRMLColorLogic* colorLogic)
{
    logic = colorLogic;
}

void qMRMLColorPickerWidget::setMRMLScene(vtkMRMLScene* scene)
{
    tables->setMRMLScene(scene);
    if (scene && logic && !tables->currentNode())
        tables->setCurrentNode(scene->GetNodeByID(logic->GetDefaultLabelMapColorNodeID()));
}

void qMRMLColorPickerWidget::onRowClicked(int row)
{
    vtkMRMLColorNode* node = view->mrmlColorNode();
    double rgba[4];
    if (!node || !node->GetColor(row, rgba))
        return;
    Q_EMIT colorSelected(QColor::fromRgbF(rgba[0], rgba[1], rgba[2]));
    Q_EMIT colorNameSelected(QString::fromUtf8(node->GetColorName(row)));
}
