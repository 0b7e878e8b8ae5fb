#include "qMRMLColorTableView.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLColorNode.h>

#include <vtkCommand.h>
#include <vtkWeakPointer.h>

#include <QHeaderView>
#include <QStandardItemModel>

struct qMRMLColorTableView::Private
{
    QStandardItemModel* model = nullptr;
    vtkWeakPointer<vtkMRMLColorNode> node;
    ctkVTKObjectEventsObserver observer;
    bool onlyNamed = false;
};

qMRMLColorTableView::qMRMLColorTableView(QWidget* parent)
    : QTableView(parent)
    , d(std::make_unique<Private>())
{
    d->model = new QStandardItemModel(0, 2, this);
    d->model->setHorizontalHeaderLabels({tr("Color"), tr("Label")});
    setModel(d->model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setStretchLastSection(true);
}

qMRMLColorTableView::~qMRMLColorTableView() = default;

vtkMRMLColorNode* qMRMLColorTableView::mrmlColorNode() const
{
    return d->node;
}

bool qMRMLColorTableView::showOnlyNamedColors() const
{
    return d->onlyNamed;
}

void qMRMLColorTableView::setMRMLColorNode(vtkMRMLNode* node)
{
    auto* colorNode = vtkMRMLColorNode::SafeDownCast(node);
    d->observer.addConnection(d->node, colorNode, vtkCommand::ModifiedEvent, this, SLOT(updateFromNode()));
    d->node = colorNode;
    updateFromNode();
}

void qMRMLColorTableView::setShowOnlyNamedColors(bool on)
{
    d->onlyNamed = on;
    for (int row = 0; row < d->model->rowCount(); ++row)
        setRowHidden(row, on && d->model->item(row, 1)->text().isEmpty());
}

void qMRMLColorTableView::updateFromNode()
{
    vtkMRMLColorNode* node = d->node;
    const int n = node ? node->GetNumberOfColors() : 0;
    d->model->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        double rgba[4] = {0, 0, 0, 0};
        node->GetColor(i, rgba);
        auto* swatch = new QStandardItem();
        swatch->setData(QColor::fromRgbF(rgba[0], rgba[1], rgba[2], rgba[3]), Qt::DecorationRole);
        swatch->setData(i, Qt::UserRole);
        d->model->setItem(i, 0, swatch);
        d->model->setItem(i, 1, new QStandardItem(QString::fromUtf8(node->GetColorName(i))));
        d->model->setVerticalHeaderItem(i, new QStandardItem(QString::number(i)));
    }
    setShowOnlyNamedColors(d->onlyNamed);
}
