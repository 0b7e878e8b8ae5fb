#pragma once
// The "Tabular Data" and "Chart" dock panels.  Empty panels for now: they do not follow
// the selection yet.

#include "mainwindow/DockingWindowMediator.h"

namespace Gui {
namespace DockWindow {

class PELMORAGUI_EXPORT GraphDockingView : public DockingWindow
{
    Q_OBJECT
public:
    GraphDockingView(GuiProject* project, QWidget* parent);
    ~GraphDockingView() override;
    // The chart widget that a table panel feeds.
    QWidget* get_chart_widget() const { return chart; }

private:
    QWidget* chart;
};

class PELMORAGUI_EXPORT TableDockingView : public DockingWindow
{
    Q_OBJECT
public:
    TableDockingView(GuiProject* project, QWidget* parent);
    ~TableDockingView() override;
    void setChartGUI(QWidget* chartWidget) { chart = chartWidget; }
    QWidget* getChartGUI() const { return chart; }

private:
    QWidget* chart = nullptr;
};

} // namespace DockWindow
} // namespace Gui
