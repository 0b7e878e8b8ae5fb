#pragma once
// The table of the table-and-chart library: shows an object's tabular data for editing,
// and hands its model to a linked chart.

#include "pmgph/EditorCoreData.h"
#include "pmmat/MaterialApplication.h"

#include <QWidget>

#include <memory>

QT_BEGIN_NAMESPACE
class QHeaderView;
class QStringListModel;
class QTableView;
QT_END_NAMESPACE

namespace pmGph {

class ChartFilterGUI;
class qPelmoraTableModel;

class TabularFilterGUI : public QWidget
{
    Q_OBJECT
public:
    explicit TabularFilterGUI(QWidget* parent = nullptr);
    ~TabularFilterGUI() override;

    // The data of an object (its label and type name), or of a material property (its
    // kind and name).  A null `data` empties the table.
    void setEditorCoreData(unsigned int id, const char* label, const char* typeName,
                           const std::shared_ptr<const EditorCoreData>& data);
    void setEditorCoreData(unsigned int id, pmMat::MatPropertyType property, const char* name,
                           const std::shared_ptr<const EditorCoreData>& data);

    qPelmoraTableModel* getTableModel() const;
    // The column names of the table shown.
    QStringListModel* getSubTableModel() const;
    QHeaderView* getTableHeaderView() const;
    QTableView* tableView() const;
    // The chart then plots what this table shows (null unlinks it).
    void setChartGUI(ChartFilterGUI* chart);
    // What the table shows: "" when empty, else the label or the property name.
    QString caption() const;

private:
    void show(unsigned int id, const QString& caption, const std::shared_ptr<const EditorCoreData>& data);

    struct Private;
    Private* d;
};

} // namespace pmGph
