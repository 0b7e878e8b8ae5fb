// Vector, decimal-vector and scientific-number rows: their texts in both locales, the
// exact texts they send, and the way back through the logic's change signal.

#include "PropertyEditorTestSupport.h"

#include <core/MetaTypes.h>
#include <dialogs/widgets/QScienceSpinBox.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>

#include <obj/PropertyDecimalVector.h>
#include <obj/PropertyStringList.h>
#include <obj/PropertyVector.h>

#include <QColor>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>

#include <clocale>
#include <cmath>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::DecimalCommaLocale;
using PropertyEditorTest::Fixture;

namespace {

class VectorRows : public Fixture
{
protected:
    VectorRows()
    {
        Gui::registerMetaTypes();
        QLocale::setDefault(QLocale::c());
        project->signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { model.updateProperty(p); });
    }
    QModelIndex row(const char* name, const QModelIndex& parent = {})
    {
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const QModelIndex i = model.index(r, 0, parent);
            if (model.data(i).toString() == QLatin1String(name))
                return i;
        }
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    QModelIndex value(const char* name, const QModelIndex& parent = {}) { return row(name, parent).siblingAtColumn(1); }
    QString text(const QModelIndex& i) { return model.data(i, Qt::DisplayRole).toString(); }

    PropertyModel model;
};

} // namespace

TEST_F(VectorRows, VectorShowsItsComponentsAndAChildEditWritesTheWholeVector)
{
    auto* v = add<Obj::PropertyVector>(a, "Direction");
    v->set_value(1, 2, 3);
    model.buildUp({{"Direction", {v}}});
    const QModelIndex vec = row("Direction");
    EXPECT_EQ(text(value("Direction")), "[1.00 2.00 3.00]");
    ASSERT_EQ(model.rowCount(vec), 3);
    EXPECT_EQ(text(value("y", vec)), "2.00");
    EXPECT_DOUBLE_EQ(model.data(value("z", vec), Qt::EditRole).toDouble(), 3.0);

    // The row's own editor only shows the text.
    auto* item = static_cast<PropertyItem*>(vec.internalPointer());
    std::unique_ptr<QWidget> editor(item->createEditor(nullptr, nullptr, nullptr));
    item->setEditorData(editor.get(), model.data(value("Direction"), Qt::EditRole));
    EXPECT_TRUE(static_cast<QLineEdit*>(editor.get())->isReadOnly());
    EXPECT_EQ(static_cast<QLineEdit*>(editor.get())->text(), "[1.00 2.00 3.00]");

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.setData(value("y", vec), 5.0));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Direction", "(1.00, 5.00, 3.00)")});
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(1, 5, 3));
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(text(value("Direction")), "[1.00 5.00 3.00]");
    EXPECT_EQ(text(value("y", vec)), "5.00");
}

TEST_F(VectorRows, EditingOneComponentOrEntryKeepsTheOthersWhole)
{
    auto* v = add<Obj::PropertyVector>(a, "Direction");
    auto* list = add<Obj::PropertyDecimalList>(a, "Factors");
    v->set_value(0.123456789, 2, 3);
    list->set_values({1.23456789, 2.5});
    model.buildUp({{"Direction", {v}}, {"Factors", {list}}});
    model.setData(value("y", row("Direction")), 5.0);
    EXPECT_EQ(v->get_value(), Vexil::Vector3d(0.123456789, 5, 3));
    EXPECT_EQ(commands().back(), line41(a, "Direction", "(0.123456789, 5.00, 3.00)"));

    EXPECT_EQ(model.data(value("Factors")).toString(), "[1.23457,2.5]");
    model.setData(value("Factors"), QStringList{"1.23457", "7"});
    EXPECT_EQ(list->get_values(), (std::vector<double>{1.23456789, 7}));
    model.setData(value("Factors"), QStringList{"1.5", "7"});
    EXPECT_EQ(list->get_values(), (std::vector<double>{1.5, 7}));
}

TEST_F(VectorRows, ReadOnlyVectorsHaveReadOnlyComponentsThatSendNothing)
{
    auto* v = add<Obj::PropertyVector>(a, "Direction");
    v->set_read_only(true);
    model.buildUp({{"Direction", {v}}});
    const QModelIndex y = value("y", row("Direction"));
    EXPECT_FALSE(model.flags(y) & Qt::ItemIsEditable);
    model.setData(y, 4.0);
    EXPECT_TRUE(commands().empty());
}

TEST_F(VectorRows, NumberTextsSentAreTheSameUnderADecimalCommaLocale)
{
    DecimalCommaLocale german;
    auto* v = add<Obj::PropertyVector>(a, "Direction");
    auto* d = add<Obj::PropertyDecimalVector>(a, "Origin");
    auto* s = add<Obj::PropertyFloatScientific>(a, "Tolerance");
    v->set_value(1.5, 2, 3);
    d->set_value({1.5, 0, 0});
    model.buildUp({{"Direction", {v}}, {"Origin", {d}}, {"Tolerance", {s}}});
    EXPECT_EQ(text(value("Direction")), "[1,50 2,00 3,00]");

    model.setData(value("x", row("Direction")), 2.25);
    model.setData(value("Tolerance"), 1.5e-5);
    model.setData(value("y", row("Origin")), 0.125);
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Direction", "(2.25, 2.00, 3.00)"),
                                                    line41(a, "Tolerance", "1.5e-5"),
                                                    line41(a, "Origin.y", "0.125")}));
    EXPECT_DOUBLE_EQ(s->get_value(), 1.5e-5);
    EXPECT_DOUBLE_EQ(d->get_value().y, 0.125);
    // Shown in the user's locale.
    EXPECT_EQ(text(value("Tolerance")), "1,5e-5");
}

TEST_F(VectorRows, ScientificTextIsCompact)
{
    auto* s = add<Obj::PropertyFloatScientific>(a, "Value");
    model.buildUp({{"Value", {s}}});
    const std::pair<double, const char*> cases[] = {
        {123456789, "1.23457e8"}, {0.00001, "1e-5"}, {250, "250"}, {1e100, "1e100"}, {-2.5e-12, "-2.5e-12"}};
    for (const auto& c : cases) {
        clearJournal();
        model.setData(value("Value"), c.first);
        EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Value", c.second)}) << c.second;
        EXPECT_EQ(text(value("Value")), c.second);
    }
}

TEST_F(VectorRows, ScientificNoValueIsEmptyOnLightYellowOpensAtZeroAndSurvivesAnUnchangedEdit)
{
    auto* s = add<Obj::PropertyFloatScientific>(a, "Pressure");
    auto* limited = add<Obj::PropertyFloatScientific>(a, "Limited");
    auto* bad = add<Obj::PropertyFloatScientific>(a, "Bad");
    s->set_value(std::ldexp(1.0, -100));
    limited->set_ranges(-1, 1, 0.25);
    bad->setInValid(true);
    model.buildUp({{"Pressure", {s}}, {"Limited", {limited}}, {"Bad", {bad}}});
    const QModelIndex v = value("Pressure");
    EXPECT_EQ(text(v), "");
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 102));
    EXPECT_EQ(model.data(value("Bad"), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));

    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    std::unique_ptr<QWidget> editor(item->createEditor(nullptr, nullptr, nullptr));
    auto* box = static_cast<QScienceSpinBox*>(editor.get());
    item->setEditorData(box, model.data(v, Qt::EditRole));
    EXPECT_EQ(box->value(), 0.0);
    EXPECT_EQ(box->maximum(), 3.4028234663852886e38);
    EXPECT_EQ(box->minimum(), -3.4028234663852886e38);
    EXPECT_EQ(box->singleStep(), 1.0);
    model.setData(v, item->editorData(box));
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(isNoValue(s->get_value()));

    auto* limitedItem = static_cast<PropertyItem*>(value("Limited").internalPointer());
    limitedItem->setEditorData(box, 0.5);
    EXPECT_EQ(box->maximum(), 1.0);
    EXPECT_EQ(box->singleStep(), 0.25);

    // Small magnitudes reach the editor and come back unrounded.
    item->setEditorData(box, 1.5e-12);
    EXPECT_EQ(box->displayPrecision(), 2);
    EXPECT_DOUBLE_EQ(item->editorData(box).toDouble(), 1.5e-12);
}

TEST_F(VectorRows, DecimalVectorTextsAndComponentRowsBoundToTheirOwnProperties)
{
    pmUnit::UnitsManager::instance()->setDecimals(3);
    auto* zero = add<Obj::PropertyDecimalVector>(a, "Zero");
    auto* d = add<Obj::PropertyDecimalVector>(a, "Origin");
    d->set_value({1, 0, 0});
    model.buildUp({{"Zero", {zero}}, {"Origin", {d}}});
    EXPECT_EQ(text(value("Zero")), "[0.0 0.0 0.0]");
    EXPECT_EQ(text(value("Origin")), "[1.000e+00 0.000e+00 0.000e+00]");

    // The row as a whole writes the vector text.
    auto* zeroItem = static_cast<PropertyItem*>(row("Zero").internalPointer());
    auto* originItem = static_cast<PropertyItem*>(row("Origin").internalPointer());
    zeroItem->setData(QVariant::fromValue(Vexil::Vector3d(0, 0, 0)));
    originItem->setData(QVariant::fromValue(Vexil::Vector3d(1, 0, 0)));
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Zero", "(0.0, 0.0, 0.0)"),
                                                    line41(a, "Origin", "(1.000e+00, 0.000e+00, 0.000e+00)")}));

    // A child row writes its own component, and the change comes back to the row.
    clearJournal();
    const QModelIndex origin = row("Origin");
    EXPECT_EQ(text(value("x", origin)), "1");
    model.setData(value("z", origin), 250.0);
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Origin.z", "250")});
    EXPECT_EQ(text(value("z", origin)), "250");
    EXPECT_EQ(text(value("Origin")), "[1.000e+00 0.000e+00 2.500e+02]");
}

TEST_F(VectorRows, DecimalVectorComponentEditReachesEveryWritableSelectedObject)
{
    auto* da = add<Obj::PropertyDecimalVector>(a, "Origin");
    auto* db = add<Obj::PropertyDecimalVector>(b, "Origin");
    auto* dc = add<Obj::PropertyDecimalVector>(c, "Origin");
    dc->set_read_only(true);
    model.buildUp({{"Origin", {da, db, dc}}});
    model.setData(value("y", row("Origin")), 2.0);
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Origin.y", "2"), line41(b, "Origin.y", "2")}));
    EXPECT_EQ(db->get_value().y, 2.0);
    EXPECT_EQ(dc->get_value().y, 0.0);

    // A vector whose components are all read-only has read-only component rows.
    model.buildUp({{"Origin", {dc}}});
    EXPECT_FALSE(model.flags(value("x", row("Origin"))) & Qt::ItemIsEditable);

    // Once the row is gone, a component's change finds no row (and touches no freed one).
    const QModelIndex origin = row("Origin");
    ASSERT_TRUE(model.removeRows(origin.row(), 1, origin.parent()));
    EXPECT_EQ(model.itemOf(dc->getXPtr()), nullptr);
    dc->getXPtr()->set_value(1.0);
}
