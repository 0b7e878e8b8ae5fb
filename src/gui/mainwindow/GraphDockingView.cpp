#include "GraphDockingView.h"

#include "core/PrintableText.h"
#include "selection/SelectionModification.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmgph/ChartFilterGUI.h>
#include <pmgph/TabularFilterGUI.h>
#include <pmgph/qPelmoraTableModel.h>

#include <QCoreApplication>
#include <QGridLayout>

#include <memory>
#include <string>

using namespace Gui::DockWindow;

namespace {

// The document tag of the projects that material updates refer to.
constexpr int MaterialDocumentTag = 2;

// What a panel shows after a change: nothing new, no data, or an object's data.
struct Shown
{
    enum What { Unchanged, NoData, Data } what = Unchanged;
    QString title;
    unsigned int id = 0;
    std::string label;
    std::string typeName;
    std::shared_ptr<const pmGph::EditorCoreData> data;
};

QString translated(const char* text)
{
    return QCoreApplication::translate("QObject", text);
}

QString noDataTitle(const char* prefix)
{
    return translated(prefix) + translated("No Data");
}

// The data of the one object selected by a set; the table also needs column names.
Shown followSelection(const Gui::SelectionModification& change, const char* prefix, bool needsColumns)
{
    Shown shown;
    if (change.kind == Gui::SelectionModification::SetPreselect
        || change.kind == Gui::SelectionModification::RemovePreselect)
        return shown;
    const std::vector<Gui::SelObj> entries = Gui::TreeSelectionSingleton::instance().get_all_selections();
    if (entries.size() == 1 && change.kind == Gui::SelectionModification::SetSelection) {
        const Gui::SelObj& entry = entries.front();
        if (!entry.object)
            return shown;
        shown.data = entry.object->get_editor_core_data(0, nullptr);
        if (shown.data && !shown.data->values.empty() && (!needsColumns || !shown.data->list.empty())) {
            shown.what = Shown::Data;
            shown.id = entry.object->getObjectId();
            shown.label = entry.object->get_label();
            shown.typeName = entry.type_name;
            shown.title = translated(prefix) + QCoreApplication::translate("QObject", shown.label.c_str());
            return shown;
        }
    }
    shown.what = Shown::NoData;
    shown.data.reset();
    shown.title = noDataTitle(prefix);
    return shown;
}

// The data of a material property that the material library reports as changed.
Shown followMaterial(unsigned int id, pmMat::SeparatorVariantType separator, pmMat::MatPropertyType property,
                     const char* name, const char* prefix)
{
    Shown shown;
    if (separator == pmMat::SEPARATOR_NO_DATA) {
        shown.what = Shown::NoData;
        shown.title = noDataTitle(prefix);
        return shown;
    }
    if (!Obj::Application::_pcSingleton)
        return shown;
    const std::vector<Obj::Project*> projects = Obj::Application::instance().get_projects(MaterialDocumentTag);
    if (projects.size() != 1)
        return shown;
    Obj::ProjectObject* object = projects.front()->get_object(id);
    if (!object)
        return shown;
    shown.data = object->get_editor_core_data(property, name);
    if (!shown.data) {
        shown.what = Shown::NoData;
        shown.title = noDataTitle(prefix);
        return shown;
    }
    shown.what = Shown::Data;
    shown.id = id;
    shown.title = translated(prefix) + Gui::printableName(QByteArray(object->get_label())) + QStringLiteral(" [")
                  + Gui::printableName(QByteArray(name ? name : "")) + QStringLiteral("]");
    return shown;
}

void setTitle(const char* id, const QString& title)
{
    Gui::DockingWindowMediator::instance()->setDockingWindowTitle(QString::fromLatin1(id), title);
}

// Size and layout shared by both panels; `content` fills the panel.
void layOut(QWidget* panel, QWidget* content)
{
    panel->setMinimumWidth(120);
    panel->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Expanding);
    auto* layout = new QGridLayout(panel);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 0, 0);
}

template <class Panel>
boost::signals2::connection followMaterialLibrary(Panel* panel)
{
    matApp::Application* material = matApp::Application::instance();
    if (!material)
        return {};
    return material->signal_update_table_chart.connect(
        [panel](unsigned int id, pmMat::SeparatorVariantType separator, pmMat::MatPropertyType property,
                const char* name) { panel->slotUpdateTableChart(id, separator, property, name); });
}

} // namespace

// ---------------------------------------------------------------------------------------

TableDockingView::TableDockingView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), table(nullptr)
{
    setWindowTitle(tr("Tabular Data"));
    table = new pmGph::TabularFilterGUI(this);
    layOut(this, table);
    materialConnection = followMaterialLibrary(this);
}

TableDockingView::~TableDockingView()
{
    materialConnection.disconnect();
    disconnect_selection();
}

pmGph::qPelmoraTableModel* TableDockingView::getTableModel() const
{
    return table->getTableModel();
}

QStringListModel* TableDockingView::getSubTableModel() const
{
    return table->getSubTableModel();
}

QHeaderView* TableDockingView::getTableHeaderView() const
{
    return table->getTableHeaderView();
}

void TableDockingView::setChartGUI(pmGph::ChartFilterGUI* chart)
{
    table->setChartGUI(chart);
}

void TableDockingView::on_selection_modified(const SelectionModification& change)
{
    const Shown shown = followSelection(change, QT_TRANSLATE_NOOP("QObject", "Table: "), true);
    if (shown.what == Shown::Unchanged)
        return;
    setTitle("Std_TableView", shown.title);
    if (shown.what == Shown::Data)
        table->setEditorCoreData(shown.id, shown.label.c_str(), shown.typeName.c_str(), shown.data);
    else
        table->setEditorCoreData(0, nullptr, nullptr, nullptr);
}

void TableDockingView::slotUpdateTableChart(unsigned int id, pmMat::SeparatorVariantType separator,
                                            pmMat::MatPropertyType property, const char* name)
{
    const Shown shown = followMaterial(id, separator, property, name, QT_TRANSLATE_NOOP("QObject", "Table: "));
    if (shown.what == Shown::Unchanged)
        return;
    setTitle("Std_TableView", shown.title);
    if (shown.what == Shown::Data)
        table->setEditorCoreData(id, property, name, shown.data);
    else
        table->setEditorCoreData(0, nullptr, nullptr, nullptr);
}

// ---------------------------------------------------------------------------------------

GraphDockingView::GraphDockingView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), chart(nullptr)
{
    setWindowTitle(tr("Graph View"));
    chart = new pmGph::ChartFilterGUI(this);
    layOut(this, chart);
    materialConnection = followMaterialLibrary(this);
}

GraphDockingView::~GraphDockingView()
{
    materialConnection.disconnect();
    disconnect_selection();
}

void GraphDockingView::setChartModel(pmGph::qPelmoraTableModel* model)
{
    chart->setChartModel(model);
}

void GraphDockingView::on_selection_modified(const SelectionModification& change)
{
    const Shown shown = followSelection(change, QT_TRANSLATE_NOOP("QObject", "Chart: "), false);
    if (shown.what != Shown::Unchanged)
        setTitle("Std_GraphView", shown.title);
}

void GraphDockingView::slotUpdateTableChart(unsigned int id, pmMat::SeparatorVariantType separator,
                                            pmMat::MatPropertyType property, const char* name)
{
    const Shown shown = followMaterial(id, separator, property, name, QT_TRANSLATE_NOOP("QObject", "Chart: "));
    if (shown.what != Shown::Unchanged)
        setTitle("Std_GraphView", shown.title);
}
