// The model: grouping in the fixed order, Qt model conformance, value comparison and
// single-row refreshes.

#include "PropertyEditorTestSupport.h"

#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

class ModelTest : public Fixture
{
protected:
    QStringList names()
    {
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << model.data(model.index(r, 0)).toString();
        return out;
    }
    PropertyModel model;
};

} // namespace

TEST_F(ModelTest, RowsAreGroupedInTheFixedOrderWithUngroupedLast)
{
    // Warnings only: the model answers an invalid index as selectable and enabled, which
    // the tester's own rule (no flags there) reports.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    auto* out = add<Obj::PropertyString>(a, "Result", "Output");
    auto* geo = add<Obj::PropertyString>(a, "Shape", "Geometry");
    auto* none = add<Obj::PropertyInteger>(a, "Loose", "");
    auto* scope = add<Obj::PropertyBoolean>(a, "Faces", "Scoping");
    auto* geo2 = add<Obj::PropertyDecimal>(a, "Size", "Geometry");
    model.buildUp({{"Result", {out}}, {"Shape", {geo}}, {"Loose", {none}}, {"Faces", {scope}}, {"Size", {geo2}}});
    EXPECT_EQ(names(), (QStringList{"Geometry", "Shape", "Size", "Scoping", "Faces", "Output", "Result",
                                    "UnknownGroup", "Loose"}));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Property");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Value");
    // Group rows are not editable; editing a name cell edits its value.
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.buddy(model.index(1, 0)), model.index(1, 1));
    EXPECT_EQ(model.propertyPathFromIndex(model.index(2, 0)), QStringList{"Size"});
    EXPECT_EQ(model.propertyIndexFromPath({"Size"}), model.index(2, 0));

    model.buildUp({});
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ModelTest, HiddenPropertiesAndPropertiesWithoutRowClassGiveNoRow)
{
    auto* hidden = add<Obj::PropertyString>(a, "Secret", "Output");
    hidden->set_object_status(Obj::Property::Hidden, true);
    auto* topo = add<Obj::PropertyAdvancedTopoData>(a, "Topology", "Geometry");
    model.buildUp({{"Secret", {hidden}}, {"Topology", {topo}}});
    // The group row of a property without row class stays; the hidden one's group does not.
    EXPECT_EQ(names(), QStringList{"Geometry"});
}

TEST_F(ModelTest, TinyDoubleDifferencesAreNotWrittenAndOtherRolesWriteNothing)
{
    auto* d = add<Obj::PropertyDecimal>(a, "Gap");
    d->set_value(1.0);
    model.buildUp({{"Gap", {d}}});
    const QModelIndex v = model.index(1, 1);
    EXPECT_TRUE(model.setData(v, 1.0 + 1e-40));
    EXPECT_TRUE(model.setData(v, 7.0, Qt::DisplayRole));
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(model.setData(v, 4.0));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Gap", "4.00")});
}

TEST_F(ModelTest, AChangedPropertyRefreshesItsOwnRowOnly)
{
    // Warnings only: the model answers an invalid index as selectable and enabled, which
    // the tester's own rule (no flags there) reports.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    std::vector<std::pair<std::string, std::vector<Obj::Property*>>> list;
    std::vector<Obj::PropertyInteger*> props;
    for (int i = 0; i < 30; ++i) {
        const std::string name = "N" + std::to_string(i);
        auto* pa = add<Obj::PropertyInteger>(a, name.c_str());
        auto* pb = add<Obj::PropertyInteger>(b, name.c_str());
        props.push_back(pb);
        list.push_back({name, {pa, pb}});
    }
    model.buildUp(list);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.updateProperty(*props[17]);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(reset.size(), 0);
    const QModelIndex cell = changed.at(0).at(0).toModelIndex();
    EXPECT_EQ(cell, changed.at(0).at(1).toModelIndex());
    EXPECT_EQ(model.data(cell.sibling(cell.row(), 0)).toString(), "N17");

    // A property that has no row changes nothing.
    Obj::PropertyInteger loose;
    model.updateProperty(loose);
    EXPECT_EQ(changed.size(), 1);
}
