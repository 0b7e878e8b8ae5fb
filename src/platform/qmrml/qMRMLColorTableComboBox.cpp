#include "qMRMLColorTableComboBox.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLColorNode.h>
#include <mrml/vtkMRMLDeferredNodes.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QAbstractListModel>
#include <QSignalBlocker>

#include <vector>

namespace {

// The combo box's rows: the colour nodes the scene holds and those it shows but has not
// made yet (one per colour file), whose names and IDs are read from the scene's shared
// list only when a row is drawn or searched, so that listing a folder of thousands of
// colour files costs a project no texts of its own.
class ColorNodeListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    struct Row
    {
        QString name;
        QString id;
        vtkMRMLScene::WaitingNode waiting;
    };

    void reset(std::vector<Row> rows)
    {
        beginResetModel();
        Rows = std::move(rows);
        endResetModel();
    }
    void append(const QString& name, const QString& id)
    {
        beginInsertRows(QModelIndex(), rowCount(), rowCount());
        Rows.push_back(Row{name, id, {}});
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Row& row = Rows[static_cast<size_t>(index.row())];
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return row.waiting.list ? QString::fromUtf8(row.waiting.list->GetNodeName(row.waiting.index)) : row.name;
        if (role == Qt::UserRole)
            return row.waiting.list ? QString::fromUtf8(row.waiting.list->GetNodeID(row.waiting.index)) : row.id;
        return {};
    }
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override
    {
        if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
            return false;
        beginRemoveRows(QModelIndex(), row, row + count - 1);
        Rows.erase(Rows.begin() + row, Rows.begin() + row + count);
        endRemoveRows();
        return true;
    }

private:
    std::vector<Row> Rows;
};

} // namespace


struct qMRMLColorTableComboBox::Private
{
    vtkWeakPointer<vtkMRMLScene> scene;
    ctkVTKObjectEventsObserver observer;
    vtkWeakPointer<vtkMRMLNode> announced;
    ColorNodeListModel* model = nullptr;
    bool addEnabled = true;
    bool removeEnabled = true;
};

qMRMLColorTableComboBox::qMRMLColorTableComboBox(QWidget* parent)
    : QComboBox(parent)
    , d(std::make_unique<Private>())
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    d->model = new ColorNodeListModel(this);
    setModel(d->model);
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &qMRMLColorTableComboBox::onIndexChanged);
}

qMRMLColorTableComboBox::~qMRMLColorTableComboBox() = default;

vtkMRMLScene* qMRMLColorTableComboBox::mrmlScene() const
{
    return d->scene;
}

void qMRMLColorTableComboBox::setMRMLScene(vtkMRMLScene* scene)
{
    if (d->scene.GetPointer() == scene)
        return;
    d->observer.removeAllConnections();
    d->scene = scene;
    {
        const QSignalBlocker blocker(this);
        clear();
        if (scene) {
            // The colour nodes the scene holds, then those it makes when chosen.
            std::vector<ColorNodeListModel::Row> rows;
            std::vector<vtkMRMLNode*> nodes;
            scene->GetMadeNodesByClass("vtkMRMLColorNode", nodes);
            for (vtkMRMLNode* node : nodes)
                rows.push_back({QString::fromUtf8(node->GetName() ? node->GetName() : node->GetID()),
                                QString::fromUtf8(node->GetID()), {}});
            for (vtkMRMLScene::WaitingNode& waiting : scene->GetWaitingNodes("vtkMRMLColorNode"))
                rows.push_back({QString(), QString(), std::move(waiting)});
            d->model->reset(std::move(rows));
            d->observer.addConnection(scene, vtkMRMLScene::NodeAddedEvent, this, SLOT(onNodeAdded(vtkObject*, void*)));
            d->observer.addConnection(scene, vtkMRMLScene::NodeRemovedEvent, this, SLOT(onNodeRemoved(vtkObject*, void*)));
        }
        setCurrentIndex(-1);
    }
    announceIfChanged();
}

vtkMRMLNode* qMRMLColorTableComboBox::currentNode() const
{
    if (!d->scene || currentIndex() < 0)
        return nullptr;
    return d->scene->GetNodeByID(currentData().toString().toUtf8().constData());
}

QString qMRMLColorTableComboBox::currentNodeID() const
{
    return currentIndex() < 0 ? QString() : currentData().toString();
}

void qMRMLColorTableComboBox::setAddEnabled(bool enabled)
{
    d->addEnabled = enabled;
}

void qMRMLColorTableComboBox::setRemoveEnabled(bool enabled)
{
    d->removeEnabled = enabled;
}

bool qMRMLColorTableComboBox::addEnabled() const
{
    return d->addEnabled;
}

bool qMRMLColorTableComboBox::removeEnabled() const
{
    return d->removeEnabled;
}

void qMRMLColorTableComboBox::setCurrentNode(vtkMRMLNode* node)
{
    setCurrentNodeID(node && node->GetID() ? QString::fromUtf8(node->GetID()) : QString());
}

void qMRMLColorTableComboBox::setCurrentNodeID(const QString& id)
{
    setCurrentIndex(id.isEmpty() ? -1 : findData(id));
    announceIfChanged();
}

void qMRMLColorTableComboBox::onNodeAdded(vtkObject*, void* data)
{
    auto* node = vtkMRMLColorNode::SafeDownCast(static_cast<vtkObject*>(data));
    if (!node || !node->GetID())
        return;
    // A node shown before it was made is listed already.
    if (findData(QString::fromUtf8(node->GetID())) >= 0)
        return;
    const QSignalBlocker blocker(this);
    const int current = currentIndex();
    d->model->append(QString::fromUtf8(node->GetName() ? node->GetName() : node->GetID()), QString::fromUtf8(node->GetID()));
    // Adding to an empty list would make the new node current.
    setCurrentIndex(current);
}

void qMRMLColorTableComboBox::onNodeRemoved(vtkObject*, void* data)
{
    auto* node = vtkMRMLColorNode::SafeDownCast(static_cast<vtkObject*>(data));
    if (!node || !node->GetID())
        return;
    const int index = findData(QString::fromUtf8(node->GetID()));
    if (index < 0)
        return;
    const bool wasCurrent = index == currentIndex();
    {
        const QSignalBlocker blocker(this);
        removeItem(index);
        if (wasCurrent)
            setCurrentIndex(-1);
    }
    if (wasCurrent) {
        d->announced = nullptr;
        Q_EMIT currentNodeChanged(nullptr);
    }
}

void qMRMLColorTableComboBox::onIndexChanged(int)
{
    announceIfChanged();
}

void qMRMLColorTableComboBox::announceIfChanged()
{
    vtkMRMLNode* node = currentNode();
    if (node == d->announced.GetPointer())
        return;
    d->announced = node;
    Q_EMIT currentNodeChanged(node);
}
