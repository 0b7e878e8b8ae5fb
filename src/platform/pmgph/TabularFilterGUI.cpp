#include "TabularFilterGUI.h"

#include "ChartFilterGUI.h"
#include "qPelmoraTableModel.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPointer>
#include <QStringListModel>
#include <QTableView>

using namespace pmGph;

namespace {

// The arrow keys move between the cells; Tab and Shift+Tab are the window's, and take the
// keyboard to the next or previous focus stop, also from a cell being edited (its text is
// taken first), so that the keyboard can always leave the table.
class CellTable : public QTableView
{
public:
    explicit CellTable(QWidget* parent) : QTableView(parent) { setTabKeyNavigation(false); }

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        const bool next = hint == QAbstractItemDelegate::EditNextItem;
        if (!next && hint != QAbstractItemDelegate::EditPreviousItem) {
            QTableView::closeEditor(editor, hint);
            return;
        }
        QTableView::closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        focusNextPrevChild(next);
    }
};

} // namespace

struct TabularFilterGUI::Private
{
    qPelmoraTableModel* model = nullptr;
    QStringListModel* columns = nullptr;
    QTableView* view = nullptr;
    QPointer<ChartFilterGUI> chart;
    QString caption;
};

TabularFilterGUI::TabularFilterGUI(QWidget* parent) : QWidget(parent), d(new Private)
{
    d->model = new qPelmoraTableModel(this);
    d->columns = new QStringListModel(this);
    d->view = new CellTable(this);
    d->view->setModel(d->model);
    d->view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->view, 0, 0);
}

TabularFilterGUI::~TabularFilterGUI()
{
    if (d->chart && d->chart->chartModel() == d->model)
        d->chart->setChartModel(nullptr);
    delete d;
}

void TabularFilterGUI::setEditorCoreData(unsigned int id, const char* label, const char*,
                                         const std::shared_ptr<const EditorCoreData>& data)
{
    show(id, QString::fromUtf8(label ? label : ""), data);
}

void TabularFilterGUI::setEditorCoreData(unsigned int id, pmMat::MatPropertyType, const char* name,
                                         const std::shared_ptr<const EditorCoreData>& data)
{
    show(id, QString::fromUtf8(name ? name : ""), data);
}

void TabularFilterGUI::show(unsigned int id, const QString& caption, const std::shared_ptr<const EditorCoreData>& data)
{
    d->caption = data ? caption : QString();
    d->model->setEditorCoreData(data ? id : 0, data);
    QStringList names;
    for (const std::string& name : d->model->coreData().list)
        names << QString::fromStdString(name);
    d->columns->setStringList(names);
}

qPelmoraTableModel* TabularFilterGUI::getTableModel() const
{
    return d->model;
}

QStringListModel* TabularFilterGUI::getSubTableModel() const
{
    return d->columns;
}

QHeaderView* TabularFilterGUI::getTableHeaderView() const
{
    return d->view->horizontalHeader();
}

QTableView* TabularFilterGUI::tableView() const
{
    return d->view;
}

void TabularFilterGUI::setChartGUI(ChartFilterGUI* chart)
{
    if (d->chart && d->chart != chart && d->chart->chartModel() == d->model)
        d->chart->setChartModel(nullptr);
    d->chart = chart;
    if (chart)
        chart->setChartModel(d->model);
}

QString TabularFilterGUI::caption() const
{
    return d->caption;
}
