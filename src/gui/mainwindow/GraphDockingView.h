#pragma once
// The "Tabular Data" and "Chart" dock panels: they show the tabular data of the object
// selected alone in the project explorer, or of a material property the material
// library reports, and keep their dock titles saying whose data that is.

#include "mainwindow/DockingWindowMediator.h"
#include "selection/SelectionListener.h"

#include <pmmat/MaterialApplication.h>

#include <boost/signals2/connection.hpp>

QT_BEGIN_NAMESPACE
class QHeaderView;
class QStringListModel;
QT_END_NAMESPACE

namespace pmGph {
class ChartFilterGUI;
class TabularFilterGUI;
class qPelmoraTableModel;
}

namespace Gui {
namespace DockWindow {

class PELMORAGUI_EXPORT TableDockingView : public DockingWindow, public SelectionListener
{
    Q_OBJECT
public:
    TableDockingView(GuiProject* project, QWidget* parent);
    ~TableDockingView() override;

    void on_selection_modified(const SelectionModification& change) override;

    pmGph::TabularFilterGUI* getTabularGUI() const { return table; }
    pmGph::qPelmoraTableModel* getTableModel() const;
    QStringListModel* getSubTableModel() const;
    QHeaderView* getTableHeaderView() const;
    // The chart then plots what the table shows.
    void setChartGUI(pmGph::ChartFilterGUI* chart);

public Q_SLOTS:
    void slotUpdateTableChart(unsigned int id, pmMat::SeparatorVariantType separator,
                              pmMat::MatPropertyType property, const char* name);

private:
    pmGph::TabularFilterGUI* table;
    boost::signals2::scoped_connection materialConnection;
};

class PELMORAGUI_EXPORT GraphDockingView : public DockingWindow, public SelectionListener
{
    Q_OBJECT
public:
    GraphDockingView(GuiProject* project, QWidget* parent);
    ~GraphDockingView() override;

    void on_selection_modified(const SelectionModification& change) override;

    pmGph::ChartFilterGUI* getChartGUI() const { return chart; }
    void setChartModel(pmGph::qPelmoraTableModel* model);

public Q_SLOTS:
    void slotUpdateTableChart(unsigned int id, pmMat::SeparatorVariantType separator,
                              pmMat::MatPropertyType property, const char* name);

private:
    pmGph::ChartFilterGUI* chart;
    boost::signals2::scoped_connection materialConnection;
};

} // namespace DockWindow
} // namespace Gui
