// The property dock for a selection of N objects with 30 properties each: filling it
// from the tree selection, against gathering the same properties and filling a
// QStandardItemModel with the same rows; and one property change refreshing its row,
// against the same change followed by setting one cell of a QStandardItemModel.
#include <core/qPelmoraApplication.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <selection/SelectionModification.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/Property.h>
#include <obj/PropertyQuantity.h>

#include <QLocale>
#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int propertiesPerObject = 30;
constexpr int quantitiesPerObject = 20;
const char* const groups[] = {"Geometry", "Definition", "Output"};

struct Session
{
    Session()
    {
        static char arg0[] = "bench";
        static char* argv[] = {arg0, nullptr};
        logic = std::make_unique<Obj::Application>(1, argv, std::map<std::string, std::string>{});
        Gui::qPelmoraApplication::initialize_application();
        Gui::PropertyOperator::initPropertyItems();
        app = std::make_unique<Gui::qPelmoraApplication>(true);
    }
    std::unique_ptr<Obj::Application> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    Obj::PropertyCoreData table;
    // Keyed by object count and kind of property.
    std::map<std::pair<int, bool>, std::pair<Obj::Project*, std::vector<Obj::ProjectObject*>>> scenes;
};

Session& session()
{
    static Session* s = new Session;   // lives for the program
    return *s;
}

// A project of `n` objects, selected: each with 30 decimal properties in three groups, or
// with 20 lengths in millimetres.
const std::vector<Obj::ProjectObject*>& selectScene(int n, bool quantities = false)
{
    Session& s = session();
    auto& scene = s.scenes[{n, quantities}];
    if (!scene.first) {
        scene.first = s.logic->create_project(((quantities ? "Q" : "P") + std::to_string(n)).c_str());
        const int count = quantities ? quantitiesPerObject : propertiesPerObject;
        for (int i = 0; i < n; ++i) {
            Obj::ProjectObject* o = scene.first->add_object("Obj::ProjectObject", ("O" + std::to_string(i)).c_str());
            for (int p = 0; p < count; ++p) {
                const std::string name = "Value" + std::to_string(p);
                Obj::PropertyDecimal* d = nullptr;
                if (quantities) {
                    auto* q = new Obj::PropertyQuantity;
                    q->setQuantityKind(pmUnit::Length, pmUnit::Millimeter);
                    d = q;
                } else {
                    d = new Obj::PropertyDecimal;
                }
                s.table.add_property(o, d, name.c_str(), groups[p % 3]);
                d->set_value(p * 0.5);
            }
            scene.second.push_back(o);
        }
    }
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    Gui::TreeSelectionSingleton::instance().set_selection(scene.first->get_name(), scene.second);
    return scene.second;
}

// Plain Qt: walk the selection, merge the visible properties by name and type, and put a
// group row and one name/value row per merged property into the model.
void fillStandardModel(QStandardItemModel& model)
{
    model.clear();
    std::unordered_map<std::string, std::size_t> index;
    std::vector<std::pair<std::string, std::vector<Obj::Property*>>> merged;
    const auto selection = Gui::TreeSelectionSingleton::instance().get_all_selections();
    for (const Gui::SelObj& sel : selection) {
        std::vector<Obj::Property*> props;
        sel.object->get_property_array(props);
        for (Obj::Property* p : props) {
            if (sel.object->is_hidden(p))
                continue;
            const unsigned int type = p->getTypeId().get_key();
            std::string key = sel.object->get_property_name(p);
            key.push_back('\0');
            key.append(reinterpret_cast<const char*>(&type), sizeof type);
            const auto found = index.find(key);
            if (found == index.end()) {
                index.emplace(key, merged.size());
                merged.push_back({sel.object->get_property_name(p), {p}});
            } else {
                merged[found->second].second.push_back(p);
            }
        }
    }
    std::unordered_map<std::string, std::vector<std::size_t>> byGroup;
    std::vector<std::string> groupOrder;
    for (std::size_t i = 0; i < merged.size(); ++i) {
        const std::string g = merged[i].second.front()->get_associated_group();
        auto& list = byGroup[g];
        if (list.empty())
            groupOrder.push_back(g);
        list.push_back(i);
    }
    for (const std::string& g : groupOrder) {
        model.appendRow(new QStandardItem(QString::fromLatin1(g.c_str())));
        for (std::size_t i : byGroup[g]) {
            const Obj::Property* first = merged[i].second.front();
            QString text;
            if (auto* q = dynamic_cast<const Obj::PropertyQuantity*>(first))
                text = q->getQuantityValue().getUserString2();
            else if (auto* d = dynamic_cast<const Obj::PropertyDecimal*>(first))
                text = QLocale().toString(d->get_value(), 'f', 2);
            else
                text = QString::fromStdString(first->get_value_text());
            auto* value = new QStandardItem(text);
            value->setData(QVariant::fromValue(static_cast<qulonglong>(merged[i].second.size())), Qt::UserRole);
            model.appendRow({new QStandardItem(QString::fromLatin1(merged[i].first.c_str())), value});
        }
    }
}

} // namespace

static void BM_PropertyDockFill(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    selectScene(n);
    Gui::PropertyView view;
    const Gui::SelectionModification change(Gui::SelectionModification::SetSelection, 0, "", 0, "");
    for (auto _ : state) {
        view.on_selection_modified(change);
        benchmark::DoNotOptimize(view.dataTree()->propertyModel()->rowCount());
    }
    if (view.dataTree()->propertyModel()->rowCount() < propertiesPerObject)
        state.SkipWithError("the dock shows too few rows");
    state.SetItemsProcessed(state.iterations() * n * propertiesPerObject);
}
BENCHMARK(BM_PropertyDockFill)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

static void BM_PropertyDockFill_Baseline(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    selectScene(n);
    QStandardItemModel model;
    for (auto _ : state) {
        fillStandardModel(model);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * n * propertiesPerObject);
}
BENCHMARK(BM_PropertyDockFill_Baseline)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

static void BM_PropertyRowRefresh(benchmark::State& state)
{
    const auto& objects = selectScene(static_cast<int>(state.range(0)));
    Gui::PropertyView view;
    view.on_selection_modified(Gui::SelectionModification(Gui::SelectionModification::SetSelection, 0, "", 0, ""));
    auto* changed = static_cast<Obj::PropertyDecimal*>(objects.back()->get_property_by_name("Value7"));
    long refreshed = 0;
    QObject::connect(view.dataTree()->propertyModel(), &QAbstractItemModel::dataChanged,
                     [&refreshed](const QModelIndex&, const QModelIndex&) { ++refreshed; });
    double v = 0.0;
    for (auto _ : state) {
        changed->set_value(v += 1.0);   // the logic's signal refreshes the one row
        benchmark::DoNotOptimize(v);
    }
    if (refreshed != static_cast<long>(state.iterations()))
        state.SkipWithError("a change did not refresh exactly one row");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PropertyRowRefresh)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

static void BM_PropertyRowRefresh_Baseline(benchmark::State& state)
{
    const auto& objects = selectScene(static_cast<int>(state.range(0)));
    auto* changed = static_cast<Obj::PropertyDecimal*>(objects.back()->get_property_by_name("Value7"));
    QStandardItemModel model;
    for (int i = 0; i < propertiesPerObject + 3; ++i)
        model.appendRow({new QStandardItem(QStringLiteral("Row")), new QStandardItem(QString())});
    double v = 0.0;
    for (auto _ : state) {
        changed->set_value(v += 1.0);
        model.item(8, 1)->setText(QLocale().toString(changed->get_value(), 'f', 2));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PropertyRowRefresh_Baseline)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// 100 objects with 20 lengths each: filling the dock and reading every value cell's text,
// as painting it would, against the same walk filling a QStandardItemModel with the texts.
static void BM_QuantityDockFill(benchmark::State& state)
{
    selectScene(static_cast<int>(state.range(0)), true);
    Gui::PropertyView view;
    const Gui::SelectionModification change(Gui::SelectionModification::SetSelection, 0, "", 0, "");
    QAbstractItemModel* model = view.dataTree()->propertyModel();
    for (auto _ : state) {
        view.on_selection_modified(change);
        for (int r = 0; r < model->rowCount(); ++r)
            benchmark::DoNotOptimize(model->data(model->index(r, 1)));
    }
    if (model->rowCount() < quantitiesPerObject || !model->data(model->index(1, 1)).toString().endsWith("mm"))
        state.SkipWithError("the dock does not show the quantities");
    state.SetItemsProcessed(state.iterations() * state.range(0) * quantitiesPerObject);
}
BENCHMARK(BM_QuantityDockFill)->Arg(100)->Unit(benchmark::kMicrosecond);

static void BM_QuantityDockFill_Baseline(benchmark::State& state)
{
    selectScene(static_cast<int>(state.range(0)), true);
    QStandardItemModel model;
    for (auto _ : state) {
        fillStandardModel(model);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * quantitiesPerObject);
}
BENCHMARK(BM_QuantityDockFill_Baseline)->Arg(100)->Unit(benchmark::kMicrosecond);
