#pragma once
// The chart of the table-and-chart library: plots the columns of a table model against
// its first column, one line per column, and follows every change of the model.

#include <QWidget>

#include <QtCharts/QChartGlobal>

QT_CHARTS_BEGIN_NAMESPACE
class QChart;
class QChartView;
QT_CHARTS_END_NAMESPACE

namespace pmGph {

class qPelmoraTableModel;

class ChartFilterGUI : public QWidget
{
    Q_OBJECT
public:
    explicit ChartFilterGUI(QWidget* parent = nullptr);
    ~ChartFilterGUI() override;

    // The model plotted (not owned; null plots nothing).
    void setChartModel(qPelmoraTableModel* model);
    qPelmoraTableModel* chartModel() const;
    QT_CHARTS_NAMESPACE::QChart* chart() const;

private Q_SLOTS:
    void replot();

private:
    struct Private;
    Private* d;
};

} // namespace pmGph
