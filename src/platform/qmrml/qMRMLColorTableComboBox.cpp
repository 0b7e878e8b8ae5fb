#include "qMRMLColorTableComboBox.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLColorNode.h>
#include <mrml/vtkMRMLDeferredNodes.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <counted/SeededQtHash.h>

#include <QAbstractListModel>
#include <QByteArray>
#include <QSignalBlocker>

#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Rows read from the list (as a search of the rows reads them) since the start.
long long rowReads = 0;

// The combo box's rows: the colour nodes the scene holds and those it shows but has not
// made yet (one per colour file), whose names and IDs are read from the scene's shared
// list only when a row is drawn, so that listing a folder of thousands of colour files
// costs a project no texts of its own.  Rows come in segments: nodes the scene holds, or
// one shared list's waiting nodes.  A node is found by its ID without reading the rows:
// through the shared list's own index, or an index of the segment's nodes.
class ColorNodeListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    struct Segment
    {
        std::vector<std::pair<QString, QString>> nodes; // name and ID
        // ID -> place in `nodes` (first of an ID); IDs name colour files, hashed under the seed
        std::unordered_map<QString, int, Counted::SeededHash<QString>> nodeRows;
        vtkMRMLScene::WaitingNodes waiting;
        size_t first = 0; // the row of its first entry
        size_t size() const { return waiting.list ? waiting.size() : nodes.size(); }
        void indexNodes()
        {
            nodeRows.clear();
            for (int i = static_cast<int>(nodes.size()) - 1; i >= 0; --i)
                nodeRows[nodes[size_t(i)].second] = i;
        }
    };

    void reset(std::vector<Segment> segments)
    {
        beginResetModel();
        Segments = std::move(segments);
        for (Segment& segment : Segments)
            if (!segment.waiting.list)
                segment.indexNodes();
        placeSegments();
        endResetModel();
    }
    void append(const QString& name, const QString& id)
    {
        beginInsertRows(QModelIndex(), rowCount(), rowCount());
        if (Segments.empty() || Segments.back().waiting.list) {
            Segments.emplace_back();
            Segments.back().first = Rows;
        }
        Segment& last = Segments.back();
        last.nodes.emplace_back(name, id);
        last.nodeRows.emplace(id, static_cast<int>(last.nodes.size() - 1));
        ++Rows;
        endInsertRows();
    }

    // The first row of the node with this ID, -1 when none.
    int rowOf(const QString& id) const
    {
        if (id.isEmpty())
            return -1;
        QByteArray utf8;
        for (const Segment& segment : Segments) {
            if (segment.waiting.list) {
                if (utf8.isNull())
                    utf8 = id.toUtf8();
                const size_t i = segment.waiting.list->FindNode(std::string_view(utf8.constData(), size_t(utf8.size())));
                if (i == vtkMRMLDeferredNodes::npos)
                    continue;
                const size_t at = segment.waiting.find(i);
                if (at != vtkMRMLDeferredNodes::npos)
                    return static_cast<int>(segment.first + at);
            } else {
                const auto found = segment.nodeRows.find(id);
                if (found != segment.nodeRows.end())
                    return static_cast<int>(segment.first + size_t(found->second));
            }
        }
        return -1;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Rows);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::UserRole))
            return {};
        ++rowReads;
        size_t at = 0;
        const Segment& segment = Segments[segmentOf(static_cast<size_t>(index.row()), at)];
        if (segment.waiting.list) {
            const unsigned i = segment.waiting.at(at);
            return QString::fromUtf8(role == Qt::UserRole ? segment.waiting.list->GetNodeID(i)
                                                          : segment.waiting.list->GetNodeName(i));
        }
        return role == Qt::UserRole ? segment.nodes[at].second : segment.nodes[at].first;
    }
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override
    {
        if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
            return false;
        beginRemoveRows(QModelIndex(), row, row + count - 1);
        if (row == 0 && count == rowCount()) {
            Segments.clear();
            Rows = 0;
        } else {
            for (int k = 0; k < count; ++k) {
                size_t at = 0;
                Segment& segment = Segments[segmentOf(static_cast<size_t>(row), at)];
                if (segment.waiting.list) {
                    segment.waiting.erase(at);
                } else {
                    segment.nodes.erase(segment.nodes.begin() + static_cast<std::ptrdiff_t>(at));
                    segment.indexNodes();
                }
                placeSegments();
            }
        }
        endRemoveRows();
        return true;
    }

private:
    // Numbers the rows segment by segment.
    void placeSegments()
    {
        Rows = 0;
        for (Segment& segment : Segments) {
            segment.first = Rows;
            Rows += segment.size();
        }
    }
    // The segment holding `row` (there are a few: the nodes made and a list or two), and
    // the row's place in it.
    size_t segmentOf(size_t row, size_t& at) const
    {
        for (size_t k = Segments.size(); k-- > 0;) {
            if (row >= Segments[k].first && row < Segments[k].first + Segments[k].size()) {
                at = row - Segments[k].first;
                return k;
            }
        }
        at = 0;
        return Segments.size() - 1;
    }

    std::vector<Segment> Segments;
    size_t Rows = 0;
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
            std::vector<ColorNodeListModel::Segment> segments(1);
            std::vector<vtkMRMLNode*> nodes;
            scene->GetMadeNodesByClass("vtkMRMLColorNode", nodes);
            for (vtkMRMLNode* node : nodes)
                segments[0].nodes.emplace_back(QString::fromUtf8(node->GetName() ? node->GetName() : node->GetID()),
                                               QString::fromUtf8(node->GetID()));
            for (vtkMRMLScene::WaitingNodes& waiting : scene->GetWaitingNodes("vtkMRMLColorNode")) {
                segments.emplace_back();
                segments.back().waiting = std::move(waiting);
            }
            d->model->reset(std::move(segments));
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
    setCurrentIndex(id.isEmpty() ? -1 : d->model->rowOf(id));
    announceIfChanged();
}

void qMRMLColorTableComboBox::onNodeAdded(vtkObject*, void* data)
{
    auto* node = vtkMRMLColorNode::SafeDownCast(static_cast<vtkObject*>(data));
    if (!node || !node->GetID())
        return;
    // A node shown before it was made is listed already.
    if (d->model->rowOf(QString::fromUtf8(node->GetID())) >= 0)
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
    const int index = d->model->rowOf(QString::fromUtf8(node->GetID()));
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

long long qMRMLColorTableComboBox::rowsRead()
{
    return rowReads;
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
