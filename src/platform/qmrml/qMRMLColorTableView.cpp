#include "qMRMLColorTableView.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLColorNode.h>

#include <vtkCommand.h>
#include <vtkWeakPointer.h>

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>

#include <algorithm>
#include <vector>

namespace {

// The entries of a colour node, read from the node when a row is drawn: a table of a
// million entries costs the view nothing until rows of it are shown. With only named
// colours shown, the rows are the named entries, found in one pass.
class ColorTableModel : public QAbstractTableModel
{
public:
    explicit ColorTableModel(QObject* parent) : QAbstractTableModel(parent) {}

    void reset(vtkMRMLColorNode* colorNode, bool onlyNamed)
    {
        beginResetModel();
        node = colorNode;
        named = onlyNamed;
        count = node ? std::max(0, node->GetNumberOfColors()) : 0;
        entries.clear();
        if (named) {
            for (int i = 0; i < count; ++i) {
                const char* name = node->GetColorName(i);
                if (name && *name)
                    entries.push_back(i);
            }
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : named ? static_cast<int>(entries.size()) : count;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    // The colour index a row shows.
    int entry(int row) const { return named ? entries[static_cast<size_t>(row)] : row; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!node || !index.isValid() || index.row() >= rowCount())
            return QVariant();
        const int i = entry(index.row());
        if (index.column() == 0) {
            if (role == Qt::DecorationRole) {
                double rgba[4] = {0, 0, 0, 0};
                node->GetColor(i, rgba);
                return QColor::fromRgbF(rgba[0], rgba[1], rgba[2], rgba[3]);
            }
            if (role == Qt::UserRole)
                return i;
            return QVariant();
        }
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return QString::fromUtf8(node->GetColorName(i));
        return QVariant();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return QVariant();
        if (orientation == Qt::Horizontal)
            return section == 0 ? qMRMLColorTableView::tr("Color") : qMRMLColorTableView::tr("Label");
        return section >= 0 && section < rowCount() ? QVariant(QString::number(entry(section))) : QVariant();
    }

private:
    vtkWeakPointer<vtkMRMLColorNode> node;
    bool named = false;
    int count = 0;
    std::vector<int> entries;
};

} // namespace

struct qMRMLColorTableView::Private
{
    ColorTableModel* model = nullptr;
    vtkWeakPointer<vtkMRMLColorNode> node;
    ctkVTKObjectEventsObserver observer;
    bool onlyNamed = false;
};

qMRMLColorTableView::qMRMLColorTableView(QWidget* parent)
    : QTableView(parent)
    , d(std::make_unique<Private>())
{
    d->model = new ColorTableModel(this);
    setModel(d->model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setStretchLastSection(true);
    // Every row is as high as the font makes it: the view need not measure a million.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
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

int qMRMLColorTableView::colorIndex(int row) const
{
    return row >= 0 && row < d->model->rowCount() ? d->model->entry(row) : -1;
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
    if (on == d->onlyNamed)
        return;
    d->onlyNamed = on;
    updateFromNode();
}

void qMRMLColorTableView::updateFromNode()
{
    d->model->reset(d->node, d->onlyNamed);
}
