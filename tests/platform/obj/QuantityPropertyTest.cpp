// Values with units, limits and flags in the logic: the texts the property editor sends
// are read in the property's unit, texts that do not fit are refused unchanged, and a
// load made by a script line holds them all.

#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/LoadObject.h>
#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/PropertyCouple.h>
#include <obj/PropertyQuantity.h>
#include <obj/PropertyRange.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class QuantityProperties : public ::testing::Test
{
protected:
    QuantityProperties()
    {
        project = logic.app().create_project("P");
        a = project->add_object("Obj::ProjectObject", "A");
        project->signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { changed.push_back(p.get_name()); });
    }
    template <class T>
    T* add(const char* name)
    {
        return static_cast<T*>(table.add_property(a, new T(), name, "Definition"));
    }

    PelmoraTest::ScopedLogic logic;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* a = nullptr;
    Obj::PropertyCoreData table;
    std::vector<std::string> changed;
};

} // namespace

TEST_F(QuantityProperties, QuantitiesReadNumbersAndUnitsOfTheirKind)
{
    auto* q = add<Obj::PropertyQuantity>("Thickness");
    q->setQuantityKind(pmUnit::Length, pmUnit::Millimeter);
    EXPECT_TRUE(q->set_value_text("12.5"));
    EXPECT_EQ(12.5, q->get_value());
    EXPECT_TRUE(q->set_value_text("1.5 cm"));
    EXPECT_EQ(15.0, q->get_value());
    for (const char* bad : {"2 N", "12,5", "", "x"})
        EXPECT_FALSE(q->set_value_text(bad)) << bad;
    EXPECT_EQ(15.0, q->get_value());
    EXPECT_EQ(pmUnit::Quantity(15, pmUnit::Length, pmUnit::Millimeter), q->getQuantityValue());

    auto* limited = add<Obj::PropertyQuantityConstraint>("Scale");
    limited->setConstraints(0, 10, 0.5);
    EXPECT_TRUE(limited->set_value_text("10"));
    EXPECT_FALSE(limited->set_value_text("10.5"));
    EXPECT_EQ(10.0, limited->get_value());

    auto* steps = add<Obj::PropertyIntegerRange>("Steps");
    steps->set_ranges(1, 100);
    EXPECT_FALSE(steps->set_value_text("0"));
    EXPECT_TRUE(steps->set_value_text("100"));
    auto* damping = add<Obj::PropertyDecimalRange>("Damping");
    damping->set_ranges(0, 1, 0.05);
    EXPECT_FALSE(damping->set_value_text("1.5"));
    auto* weights = add<Obj::PropertyVectorRange>("Weights");
    weights->set_ranges(0, 1);
    EXPECT_FALSE(weights->set_value_text("(0.5, 2, 0)"));
    EXPECT_TRUE(weights->set_value_text("(0.5, 1, 0)"));
    EXPECT_EQ(Vexil::Vector3d(0.5, 1, 0), weights->get_value());
    EXPECT_EQ(changed, (std::vector<std::string>{"Thickness", "Thickness", "Scale", "Steps", "Weights"}));
}

TEST_F(QuantityProperties, BoundaryConditionsKeepTheirLoadTypeAndFreeComponents)
{
    auto* force = add<Obj::PropertyBCQuantity>("Magnitude");
    force->setQuantityKind(pmUnit::Force, pmUnit::Newton);
    force->set_value(3);
    force->setLoadValueType_NoEvent(Obj::LoadTabular);
    EXPECT_TRUE(changed.size() == 1);
    force->set_value_no_event(4);
    EXPECT_EQ(1u, changed.size());
    EXPECT_EQ("4|2", force->get_value_text());
    force->setLoadValueType(Obj::LoadConstant);
    EXPECT_EQ(2u, changed.size());
    EXPECT_TRUE(force->set_value_text("0.5 kN|4"));
    EXPECT_EQ(500.0, force->get_value());
    EXPECT_EQ(Obj::LoadFree, force->getLoadValueType());
    EXPECT_FALSE(force->set_value_text("1|x"));

    auto* input = add<Obj::PropertyInputBC>("Support");
    input->setQuantityKind(pmUnit::Length, pmUnit::Millimeter);
    EXPECT_TRUE(input->set_value_text("(5, Free, -1.5 cm)"));
    EXPECT_EQ("(5, Free, -15)", input->get_value_text());
    for (const char* bad : {"(1, 2)", "(1, 2, 3, 4)", "(1, , 3)", "(1, 2 N, 3)"})
        EXPECT_FALSE(input->set_value_text(bad)) << bad;
    EXPECT_EQ("(5, Free, -15)", input->get_value_text());

    auto* flags = add<Obj::PropertyVectorBool>("Active");
    EXPECT_TRUE(flags->set_value_text("[True, False, True]"));
    EXPECT_EQ("[True, False, True]", flags->get_value_text());
    for (const char* bad : {"[True, False]", "[True, False, Yes]", "True, False, True"})
        EXPECT_FALSE(flags->set_value_text(bad)) << bad;
}

TEST_F(QuantityProperties, AScriptLineAddsALoadOnAGeometryObject)
{
    pmUnit::UnitsManager::instance()->setSystemUnits("MMKS");
    const std::string id = pmMsg::InterpreterSingleton::Instance().runString(
        ("App.get_project('P').add_load('" + std::to_string(a->getObjectId()) + "')").c_str());
    pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
    auto* load = dynamic_cast<Obj::LoadObject*>(project->get_object(static_cast<unsigned int>(std::stoul(id))));
    ASSERT_TRUE(load);
    EXPECT_STREQ("Gui::ViewFeederProjectObject", load->get_feeder_type_name());
    EXPECT_EQ(a, load->Geometry->get_value());
    EXPECT_EQ(pmUnit::Millimeter, load->Thickness->getUnitType());
    EXPECT_EQ(pmUnit::Newton, load->Magnitude->getUnitType());
    // The placement is moved by a position text and keeps its rotation.
    load->SpatialParameters->set_value(Vexil::SpaceLocation({1, 2, 3}, Vexil::SpaceRotation(90, 0, 0, 1)));
    EXPECT_TRUE(load->SpatialParameters->set_value_text("Position(0.1,-2,3e-7)"));
    EXPECT_EQ(Vexil::Vector3d(0.1, -2, 3e-7), load->SpatialParameters->get_value().getPosition());
    EXPECT_EQ(Vexil::SpaceRotation(90, 0, 0, 1), load->SpatialParameters->get_value().getRotation());
    EXPECT_FALSE(load->SpatialParameters->set_value_text("Position(1,2)"));

    for (const char* bad : {"App.get_project('P').add_load('999')", "App.get_project('Q').add_load('1')",
                            "App.get_project('P').add_load(1)"})
        EXPECT_THROW(pmMsg::InterpreterSingleton::Instance().runString(bad), Vexil::ExceptionHandler) << bad;
}

TEST_F(QuantityProperties, ALoadComesBackWholeFromAProjectFile)
{
    auto* load = static_cast<Obj::LoadObject*>(project->add_object("Obj::LoadObject", "Force"));
    load->Geometry->set_value(a);
    load->Magnitude->set_value(1.0 / 3.0);
    load->Magnitude->setLoadValueType(Obj::LoadTabular);
    const bool given[3] = {true, false, true};
    const double values[3] = {0.1, 7, -2.5};
    load->Displacement->setBCValues(given, values);
    load->ActiveDirections->set_value({false, true, false});
    load->SpatialParameters->set_value(Vexil::SpaceLocation({0.1, 1e-9, -3}, Vexil::SpaceRotation(45, 1, 0, 0)));
    const std::string path = (logic.dataDir() + "/loads.pmdb").toStdString();
    Obj::ProjectFile::save(path, {project}, project);
    const std::string displacement = load->Displacement->get_value_text();
    const std::string directions = load->ActiveDirections->get_value_text();
    logic.app().close_project("P");

    const std::vector<Obj::Project*> back = Obj::ProjectFile::resume(logic.app(), path);
    ASSERT_EQ(1u, back.size());
    Obj::LoadObject* again = nullptr;
    for (Obj::ProjectObject* o : back.front()->get_objects()) {
        if (auto* l = dynamic_cast<Obj::LoadObject*>(o))
            again = l;
    }
    ASSERT_TRUE(again);
    EXPECT_EQ(1.0 / 3.0, again->Magnitude->get_value());
    EXPECT_EQ(Obj::LoadTabular, again->Magnitude->getLoadValueType());
    EXPECT_EQ(displacement, again->Displacement->get_value_text());
    EXPECT_EQ(directions, again->ActiveDirections->get_value_text());
    EXPECT_EQ(Vexil::Vector3d(0.1, 1e-9, -3), again->SpatialParameters->get_value().getPosition());
    ASSERT_TRUE(again->Geometry->get_value());
    EXPECT_STREQ("A", again->Geometry->get_value()->get_name());
}
