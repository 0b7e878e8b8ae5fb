// Values with units, limits and flags in the logic: the texts the property editor sends
// are read in the property's unit, texts that do not fit are refused unchanged, and a
// load made by a script line holds them all.

#include <support/ConsoleCapture.h>
#include <support/StepCount.h>
#include <support/TestEnvironment.h>
#include <support/ThreadCpuTimer.h>
#include <support/WorkCount.h>

#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/LoadObject.h>
#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/PropertyCouple.h>
#include <obj/PropertyQuantity.h>
#include <obj/PropertyRange.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <QByteArray>
#include <QFile>

#include <vtkPolyData.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
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

namespace {

// The unit system for one test, the default one back afterwards.
struct UnitSystem
{
    explicit UnitSystem(const char* system) { set(system); }
    ~UnitSystem() { set("MKS"); }
    static pmUnit::UnitsData set(const char* system)
    {
        pmUnit::UnitsManager::instance()->setSystemUnits(system);
        return pmUnit::UnitsManager::instance()->getUnitsData();
    }
};

QByteArray sealed(const QByteArray& body)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char b : body) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    c ^= 0xFFFFFFFFu;
    return body + "end\t" + QByteArray::number(c, 16).toUpper().rightJustified(8, '0') + "\n";
}

Obj::LoadObject* loadOf(Obj::Project* project)
{
    for (Obj::ProjectObject* o : project ? project->get_objects() : std::vector<Obj::ProjectObject*>{})
        if (auto* load = dynamic_cast<Obj::LoadObject*>(o))
            return load;
    return nullptr;
}

} // namespace

TEST_F(QuantityProperties, EveryAmountStaysThroughAChangeOfUnitSystemAFileAndACopy)
{
    UnitSystem millimetres("MMKS");
    Obj::Project* mm = logic.app().create_project("Bracket");
    auto* load = static_cast<Obj::LoadObject*>(mm->add_object("Obj::LoadObject", "Force"));
    EXPECT_TRUE(load->Thickness->set_value_text("40"));
    EXPECT_TRUE(load->PressureLimit->set_value_text("5"));
    EXPECT_TRUE(load->Offset->set_value_text("(1, 2, 3)"));
    EXPECT_TRUE(load->Displacement->set_value_text("(5, Free, -1.5)"));
    EXPECT_TRUE(load->SpatialParameters->set_value_text("Position(12.5,0,0)"));
    load->Magnitude->set_value(std::ldexp(1.0, -100));   // no value given
    mm->set_modified(false);
    std::vector<std::string> edits;
    mm->signal_change_object.connect(
        [&edits](const Obj::ProjectObject&, const Obj::Property& p) { edits.push_back(p.get_name()); });

    // Back to metres, as the main window announces it: the same amounts, named in metres
    // and pascals, limits too; the placement (and so the model) stays where it is.
    mm->onUnitChanged(UnitSystem::set("MKS"));
    EXPECT_EQ(pmUnit::Meter, load->Thickness->getUnitType());
    EXPECT_DOUBLE_EQ(0.04, load->Thickness->get_value());
    EXPECT_EQ(5e6, load->PressureLimit->get_value());
    EXPECT_EQ(pmUnit::Pascal, load->PressureLimit->getUnitType());
    // Its limits are the same pascals whatever the system the load was made under.
    EXPECT_EQ(1e12, load->PressureLimit->getConstraints()->maximum);
    EXPECT_EQ(pmUnit::Meter, load->Offset->getUnitType());
    EXPECT_DOUBLE_EQ(0.003, load->Offset->get_value().z);
    bool given[3];
    double values[3];
    load->Displacement->getBCValues(given, values);
    EXPECT_DOUBLE_EQ(-0.0015, values[2]);
    EXPECT_FALSE(given[1]);
    EXPECT_EQ(std::ldexp(1.0, -100), load->Magnitude->get_value()) << "still no value";
    EXPECT_EQ(Vexil::Vector3d(12.5, 0, 0), load->SpatialParameters->get_value().getPosition());
    EXPECT_EQ(pmUnit::Millimeter, mm->get_length_unit());
    EXPECT_TRUE(edits.empty());
    EXPECT_FALSE(mm->is_modified()) << "a change of units is no edit";

    // Saved under metres, read back under millimetres: the same amounts again.
    const std::string path = (logic.dataDir() + "/bracket v2.ü.pmdb").toStdString();
    Obj::ProjectFile::save(path, {mm}, mm);
    logic.app().close_project("Bracket");
    UnitSystem::set("MMKS");
    Obj::LoadObject* back = loadOf(Obj::ProjectFile::resume(logic.app(), path).front());
    ASSERT_TRUE(back);
    EXPECT_EQ(pmUnit::Millimeter, back->Thickness->getUnitType());
    EXPECT_DOUBLE_EQ(40.0, back->Thickness->get_value());
    EXPECT_DOUBLE_EQ(5.0, back->PressureLimit->get_value());
    EXPECT_DOUBLE_EQ(2.0, back->Offset->get_value().y);
    EXPECT_EQ(std::ldexp(1.0, -100), back->Magnitude->get_value());
    EXPECT_EQ(Vexil::Vector3d(12.5, 0, 0), back->SpatialParameters->get_value().getPosition());
    EXPECT_EQ(pmUnit::Millimeter, back->get_project()->get_length_unit());

    // Copied with a surface 10 mm wide into a project in metres: the same place and size.
    const QString stl = logic.dataDir() + "/plate v1.0.stl";
    QFile model(stl);
    ASSERT_TRUE(model.open(QIODevice::WriteOnly));
    model.write("solid t\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 10 0 0\n"
                "   vertex 0 10 0\n  endloop\n endfacet\nendsolid t\n");
    model.close();
    auto* plate = static_cast<Obj::GeometryObject*>(back->get_project()->add_object("Obj::GeometryObject", "Plate"));
    std::string error;
    ASSERT_TRUE(plate->read_model_file(stl.toStdString(), error)) << error;
    UnitSystem::set("MKS");
    Obj::Project* metres = logic.app().create_project("Frame");
    std::stringstream copied;
    back->get_project()->export_objects({back, plate}, copied);
    const std::vector<Obj::ProjectObject*> pasted = metres->import_objects(copied);
    ASSERT_EQ(2u, pasted.size());
    auto* copy = dynamic_cast<Obj::LoadObject*>(pasted.front());
    ASSERT_TRUE(copy);
    EXPECT_DOUBLE_EQ(0.0125, copy->SpatialParameters->get_value().getPosition().x);
    EXPECT_DOUBLE_EQ(0.04, copy->Thickness->get_value());
    auto* plateCopy = dynamic_cast<Obj::GeometryObject*>(pasted.back());
    ASSERT_TRUE(plateCopy && plateCopy->get_poly_data());
    EXPECT_NEAR(0.01, plateCopy->get_poly_data()->GetBounds()[1], 1e-9);   // points are floats

    // Placements pasted between length units convert as amounts do, or the paste is refused
    // where a place would leave the normal numbers.
    const struct
    {
        const char* from;
        const char* x;
        pmUnit::UnitType into;
        double taken;          // the place's x after the paste, when taken
        const char* reason;    // null: taken
    } places[] = {
        {"ft", "0.1", pmUnit::Meter, 0.03048, nullptr}, {"ft", "0.1", pmUnit::Millimeter, 30.48, nullptr},
        {"um", "1e-303", pmUnit::Foot, 0, "is below the smallest normal number in ft"},
        {"um", "5e-310", pmUnit::Foot, 0, "is below the smallest normal number in ft"},
        {"um", "1e-320", pmUnit::Foot, 0, "is below the smallest normal number in ft"},
        {"m", "1e303", pmUnit::Micrometer, 0, "is beyond the largest number in um"},
    };
    for (const auto& row : places) {
        const std::string cell = std::string(row.x) + " " + row.from + " into "
            + pmUnit::UnitsManager::getUnitSymbol(row.into).toStdString();
        Obj::PropertySpaceLocation place;
        ASSERT_TRUE(place.set_value_text(std::string("Position(") + row.x + ",0,0)")) << cell;
        std::stringstream text(sealed(QByteArray("PELMORA PROJECT FILE\nversion\t1\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n"
                                                 "pprop\tLength Unit\tObj::PropertyString\t") + row.from
                                      + "\nobject\t1\tObj::LoadObject\tL\t0\n"
                                        "prop\tSpatial Parameters\tObj::PropertySpaceLocation\t"
                                      + QByteArray::fromStdString(place.get_value_text()) + "\n")
                                   .toStdString());
        Obj::Project* into = logic.app().create_project("Into");
        into->set_length_unit(row.into);
        try {
            const std::vector<Obj::ProjectObject*> made = into->import_objects(text);
            EXPECT_FALSE(row.reason) << cell;
            ASSERT_EQ(1u, made.size()) << cell;
            EXPECT_EQ(row.taken, static_cast<Obj::LoadObject*>(made.front())->SpatialParameters->get_value().getPosition().x)
                << cell;
        } catch (const Vexil::ExceptionHandler& e) {
            EXPECT_TRUE(row.reason && std::string(e.what()).find(row.reason) != std::string::npos) << cell << ": " << e.what();
            EXPECT_EQ(0u, into->get_num_objects()) << cell;
        }
        logic.app().close_project(into->get_name());
    }
}

TEST_F(QuantityProperties, AFileWrittenBeforeUnitsWereKeptIsRefusedForItsBareAmounts)
{
    // Bare numbers and no length unit, as files were written: which units the amounts were
    // meant in cannot be told, so the file is refused with the first of them.  Placements
    // without a length unit are read in the reader's, which is all such a file can tell.
    const QByteArray head = "PELMORA PROJECT FILE\nversion\t1\ncurrent\tOld\n"
                            "project\tOld\t1\tFemGui::ViewFeederProjectFem\n"
                            "pprop\tLabel\tObj::PropertyString\tOld\n"
                            "object\t1\tObj::LoadObject\tForce\t0\n"
                            "prop\tSpatial Parameters\tObj::PropertySpaceLocation\t12.5,0,0,0,0,0,1\n";
    const QString path = logic.dataDir() + "/old.pmdb";
    const std::size_t open = logic.app().get_projects().size();
    for (const char* system : {"MMKS", "MKS"}) {
        UnitSystem units(system);
        for (const bool bare : {true, false}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(sealed(head + (bare ? "prop\tThickness\tObj::PropertyQuantity\t12.5\n"
                                             "prop\tOffset\tObj::PropertyQuantityVector\t(1, 2, 3)\n"
                                           : "")));
            file.close();
            if (bare) {
                try {
                    Obj::ProjectFile::resume(logic.app(), path.toStdString());
                    ADD_FAILURE() << system << ": opened";
                } catch (const Obj::ProjectFile::Error& e) {
                    EXPECT_NE(std::string(e.what()).find("cannot be opened: property 'Thickness' of object Force holds "
                                                         "'12.5': '12.5' names no unit"),
                              std::string::npos)
                        << e.what();
                }
                EXPECT_EQ(open, logic.app().get_projects().size());
                continue;
            }
            const pmUnit::UnitType length = pmUnit::UnitsManager::instance()->getDefaultUnitType(pmUnit::Length);
            Obj::Project* project = Obj::ProjectFile::resume(logic.app(), path.toStdString()).front();
            Obj::LoadObject* load = loadOf(project);
            ASSERT_TRUE(load) << system;
            EXPECT_EQ(Vexil::Vector3d(12.5, 0, 0), load->SpatialParameters->get_value().getPosition());
            EXPECT_EQ(length, project->get_length_unit()) << system;
            EXPECT_FALSE(project->is_modified());
            logic.app().close_project(project->get_name());
        }
    }
}

TEST_F(QuantityProperties, AmountsNoNumberCanHoldAreRefusedWithTheirReason)
{
    UnitSystem metres("MKS");
    auto* pressure = add<Obj::PropertyQuantity>("Modulus");
    pressure->setQuantityKind(pmUnit::Pressure, pmUnit::Pascal);
    EXPECT_FALSE(pressure->set_value_text("1e300 GPa"));
    EXPECT_EQ("'1e300 GPa' is beyond the largest number in Pa", Obj::quantityTextProblem(*pressure, "1e300 GPa"));
    EXPECT_TRUE(pressure->set_value_text("1e300 Pa"));
    auto* force = add<Obj::PropertyBCQuantity>("Magnitude");
    force->setQuantityKind(pmUnit::Force, pmUnit::Newton);
    for (const char* bad : {"5 kN|99", "5 kN|-1", "5 kN|0"})
        EXPECT_FALSE(force->set_value_text(bad)) << bad;
    EXPECT_EQ("'99' is not a load value type (1 constant, 2 tabular, 3 function, 4 free)",
              Obj::quantityTextProblem(*force, "5 kN|99"));
    EXPECT_EQ(Obj::LoadConstant, force->getLoadValueType());

    // A length of 1e308 m cannot be named in micrometres: the project keeps its units.
    auto* length = add<Obj::PropertyQuantity>("Thickness");
    length->setQuantityKind(pmUnit::Length, pmUnit::Meter);
    ASSERT_TRUE(length->set_value_text("1e308"));
    const pmUnit::UnitsData before = project->get_units();
    EXPECT_FALSE(project->onUnitChanged(UnitSystem::set("UMKS")));
    EXPECT_EQ("property 'Thickness' of object A: 1e+308 m is beyond the largest number in um",
              project->units_problem(pmUnit::UnitsManager::instance()->getUnitsData()));
    EXPECT_EQ(before, project->get_units());
    EXPECT_EQ(pmUnit::Pascal, pressure->getUnitType());
    EXPECT_EQ(1e300, pressure->get_value());
    EXPECT_EQ(1e308, length->get_value());
}

TEST_F(QuantityProperties, APasteNamingItsLengthUnitManyTimesIsRefusedInLinearTime)
{
    // The work of refusing a paste that names the length unit `times` times, counted in
    // allocations and in records stepped over (which see a check per record that walks
    // the others, allocating nothing): four times the records cost about four times as much.
    std::uint64_t records[2] = {0, 0};
    const auto refusing = [&](int times) {
        QByteArray body = "PELMORA PROJECT FILE\nversion\t1\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n";
        for (int i = 0; i < times; ++i)
            body += "pprop\tLength Unit\tObj::PropertyString\tmm\n";
        std::stringstream copied(sealed(body).toStdString());
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&Obj::ProjectFile::recordsVisited);
        try {
            project->import_objects(copied);
            ADD_FAILURE() << "taken";
        } catch (const Vexil::ExceptionHandler& e) {
            EXPECT_NE(std::string(e.what()).find("names the length unit of its placements " + std::to_string(times)
                                                 + " times"),
                      std::string::npos)
                << e.what();
        }
        records[times > 25000] = stepped.elapsed();
        return meter.elapsed();
    };
    const PelmoraTest::Work fewer = refusing(25000);
    const PelmoraTest::Work more = refusing(100000);
    std::printf("refusing a paste naming its length unit 25,000 times: %llu records, 100,000 times: %llu\n",
                static_cast<unsigned long long>(records[0]), static_cast<unsigned long long>(records[1]));
    EXPECT_GE(records[0], 25000u);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(records[0], records[1], 4.5)) << "records, for 25,000 and 100,000";
    if (PelmoraTest::workCounted()) {
        EXPECT_LE(double(more.allocations), 4.5 * double(fewer.allocations) + 100)
            << PelmoraTest::describe(fewer) << " for 25,000, " << PelmoraTest::describe(more) << " for 100,000";
        EXPECT_LE(double(more.bytes), 4.5 * double(fewer.bytes) + 65536)
            << PelmoraTest::describe(fewer) << " for 25,000, " << PelmoraTest::describe(more) << " for 100,000";
    }
    EXPECT_EQ(1u, project->get_num_objects());

    // A load holding a value no number can hold is not pasted: the amount would be lost.
    std::stringstream load(sealed("PELMORA PROJECT FILE\nversion\t1\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n"
                                  "pprop\tLength Unit\tObj::PropertyString\tm\n"
                                  "object\t1\tObj::LoadObject\tForce\t0\n"
                                  "prop\tThickness\tObj::PropertyQuantity\tinf mm\n")
                               .toStdString());
    try {
        project->import_objects(load);
        ADD_FAILURE() << "pasted";
    } catch (const Vexil::ExceptionHandler& e) {
        EXPECT_EQ("The copied data cannot be pasted: property 'Thickness' of object Force holds 'inf mm': "
                  "\"inf mm\" is not a number",
                  std::string(e.what()));
    }
    EXPECT_EQ(1u, project->get_num_objects());
}
