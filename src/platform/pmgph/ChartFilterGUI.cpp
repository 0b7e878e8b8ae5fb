#include "ChartFilterGUI.h"

#include "qPelmoraTableModel.h"

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <QGridLayout>
#include <QPointer>

#include <algorithm>

QT_CHARTS_USE_NAMESPACE
using namespace pmGph;

struct ChartFilterGUI::Private
{
    QChart* chart = nullptr;
    QChartView* view = nullptr;
    QPointer<qPelmoraTableModel> model;
    QList<QMetaObject::Connection> connections;
};

ChartFilterGUI::ChartFilterGUI(QWidget* parent) : QWidget(parent), d(new Private)
{
    d->chart = new QChart();
    d->chart->legend()->setAlignment(Qt::AlignBottom);
    d->view = new QChartView(d->chart, this);
    d->view->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->view, 0, 0);
}

ChartFilterGUI::~ChartFilterGUI()
{
    delete d;
}

void ChartFilterGUI::setChartModel(qPelmoraTableModel* model)
{
    if (d->model == model)
        return;
    for (const QMetaObject::Connection& c : d->connections)
        disconnect(c);
    d->connections.clear();
    d->model = model;
    if (model) {
        d->connections << connect(model, &QAbstractItemModel::modelReset, this, &ChartFilterGUI::replot)
                       << connect(model, &QAbstractItemModel::dataChanged, this, &ChartFilterGUI::replot)
                       << connect(model, &QAbstractItemModel::rowsInserted, this, &ChartFilterGUI::replot)
                       << connect(model, &QAbstractItemModel::rowsRemoved, this, &ChartFilterGUI::replot);
    }
    replot();
}

qPelmoraTableModel* ChartFilterGUI::chartModel() const
{
    return d->model;
}

QChart* ChartFilterGUI::chart() const
{
    return d->chart;
}

void ChartFilterGUI::replot()
{
    QChart* chart = d->chart;
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    qPelmoraTableModel* model = d->model;
    if (!model || model->columnCount() < 2 || model->rowCount() == 0)
        return;
    const EditorCoreData& data = model->coreData();
    auto* x = new QValueAxis();
    x->setTitleText(QString::fromStdString(data.list.front()));
    auto* y = new QValueAxis();
    if (data.list.size() == 2)
        y->setTitleText(QString::fromStdString(data.list[1]));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    double xMin = data.values.front().front(), xMax = xMin;
    double yMin = data.values.front()[1], yMax = yMin;
    for (size_t column = 1; column < data.list.size(); ++column) {
        auto* series = new QLineSeries();
        series->setName(QString::fromStdString(data.list[column]));
        series->setPointsVisible(true);
        for (const std::vector<double>& row : data.values) {
            series->append(row.front(), row[column]);
            xMin = std::min(xMin, row.front());
            xMax = std::max(xMax, row.front());
            yMin = std::min(yMin, row[column]);
            yMax = std::max(yMax, row[column]);
        }
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    // A single point or a flat line still gets a range to stand in.
    const auto widen = [](double& lo, double& hi) {
        if (hi <= lo) {
            const double pad = lo == 0.0 ? 1.0 : std::abs(lo) * 0.1;
            lo -= pad;
            hi += pad;
        }
    };
    widen(xMin, xMax);
    widen(yMin, yMax);
    x->setRange(xMin, xMax);
    y->setRange(yMin, yMax);
    chart->legend()->setVisible(data.list.size() > 2);
}
