// Amounts are never silently changed, as a table: every unit system x every unit of a kind
// x edge numbers x every way an amount comes in (a value text as the editor sends it,
// a duplicate, switches of the unit system, a file saved under one system and opened
// under each, a paste under each; texts a file or a paste may hold that the program never
// writes: grouped numbers, bare numbers, amounts beyond their limits, no length unit).  In every cell the amount comes back exactly as given in its own
// unit, in the property and in the saved bytes, or it is refused with a true reason and
// nothing stored changes.

#include <support/ProjectFileSeal.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/LoadObject.h>
#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/PropertyQuantity.h>
#include <vexil/Exception.h>
#include <vexil/PrintableText.h>

#include <QFile>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using pmUnit::UnitType;

// The edge numbers, as a user or a file writes them.
const char* const edgeNumbers[] = {
    "0.5", "7000", "509.1", "9.99999999999999",
    "0.12345678901234567",       // 17 digits
    "9.9999999999999991e-05",    // its 15-digit rounding is another number
    "0.30000000000000004", "1573.6626016979733", "-0",
    "1.7976931348623157e308",    // the largest number
    "-1.7976931348623157e308", "1e308",
    "2.2250738585072014e-308",   // the smallest normal number
    "2.2250738585072009e-308",   // the largest denormal
    "4.9406564584124654e-324",   // the smallest denormal
    "7.888609052210118e-31",     // the number that stands for "no value", when held
};
const double noValueMark = std::ldexp(1.0, -100);

// What a unit is in the SI unit of its kind, as the unit's definition gives it.
long double siFactor(UnitType u)
{
    switch (u) {
    case pmUnit::Meter: case pmUnit::Newton: return 1.0L;
    case pmUnit::Centimeter: return 1e-2L;
    case pmUnit::Millimeter: return 1e-3L;
    case pmUnit::Micrometer: case pmUnit::Micronewton: return 1e-6L;
    case pmUnit::Foot: return 0.3048L;
    case pmUnit::Inch: return 0.0254L;
    case pmUnit::Kilonewton: return 1e3L;
    case pmUnit::Dyne: return 1e-5L;
    case pmUnit::PoundForce: return 4.4482216152605L;
    default: ADD_FAILURE() << "unit " << u; return 1.0L;
    }
}

// Where the amount `n` in `from` lies in `to`: 0 within the normal numbers (or zero, or no
// conversion at all), 1 beyond the largest, -1 below the smallest normal one, 2 held as
// the number that stands for no value.
int place(double n, UnitType from, UnitType to)
{
    if (from == to)
        return n == noValueMark ? 2 : 0;
    if (n == 0.0)
        return 0;
    const long double v = std::fabs(static_cast<long double>(n) * siFactor(from) / siFactor(to));
    return v > static_cast<long double>(DBL_MAX) ? 1 : v < static_cast<long double>(DBL_MIN) ? -1 : 0;
}

std::string placeReason(int where, UnitType unit)
{
    const std::string symbol = pmUnit::UnitsManager::getUnitSymbol(unit).toStdString();
    if (where == 2)
        return "is in " + symbol + " the number that stands for no value: it cannot be held in " + symbol;
    return where > 0 ? "is beyond the largest number in " + symbol : "is below the smallest normal number in " + symbol;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Row
{
    const char* property;   // of a load
    const char* type;       // as a file names it
    pmUnit::pmQuantity kind;
};
const Row rows[] = {{"Thickness", "Obj::PropertyQuantity", pmUnit::Length},
                    {"Magnitude", "Obj::PropertyBCQuantity", pmUnit::Force}};

class AmountTable : public ::testing::Test
{
protected:
    ~AmountTable() override { pmUnit::UnitsManager::instance()->setSystemUnits("MKS"); }

    static pmUnit::UnitsData system(const QString& key)
    {
        pmUnit::UnitsManager::instance()->setSystemUnits(key);
        return pmUnit::UnitsManager::instance()->getUnitsData();
    }
    static UnitType unitUnder(pmUnit::pmQuantity kind, const QString& key)
    {
        pmUnit::UnitsData d = pmUnit::UnitsManager::instance()->getUnitsData();
        d.system = key;
        return pmUnit::UnitsManager::getDefaultUnitType(kind, d);
    }
    static Obj::PropertyQuantity* amount(Obj::Project* project, const char* name)
    {
        for (Obj::ProjectObject* o : project ? project->get_objects() : std::vector<Obj::ProjectObject*>{})
            if (auto* load = dynamic_cast<Obj::LoadObject*>(o))
                return static_cast<Obj::PropertyQuantity*>(load->get_property_by_name(name));
        return nullptr;
    }
    // The value text of the record of `name` in the saved bytes.
    static std::string record(const QByteArray& bytes, const Row& row)
    {
        const QByteArray key = QByteArray("\t") + row.property + "\t" + row.type + "\t";
        const int at = bytes.indexOf(key);
        if (at < 0)
            return "(none)";
        const int from = at + key.size();
        return bytes.mid(from, bytes.indexOf('\n', from) - from).toStdString();
    }

    PelmoraTest::ScopedLogic logic;
};

} // namespace

TEST_F(AmountTable, EveryAmountComesBackAsGivenOrIsRefusedWithATrueReason)
{
    const QStringList systems = pmUnit::UnitsManager::unitSystems();
    const std::string path = (logic.dataDir() + "/amounts v1.ü.pmdb").toStdString();
    int taken = 0, refused = 0, opened = 0, pasted = 0;
    for (const Row& row : rows) {
        for (const UnitType unit : pmUnit::UnitsManager::getUnitTypes(row.kind)) {
            const std::string symbol = pmUnit::UnitsManager::getUnitSymbol(unit).toStdString();
            for (const char* numberText : edgeNumbers) {
                const double n = std::strtod(numberText, nullptr);
                const std::string text = std::string(numberText) + " " + symbol;
                QByteArray savedOnce;
                for (const QString& typedUnder : systems) {
                    const std::string cell = text + " typed into " + row.property + " under " + typedUnder.toStdString();
                    system(typedUnder);
                    Obj::Project* project = logic.app().create_project("P");
                    project->add_object("Obj::LoadObject", "Load");
                    Obj::PropertyQuantity* q = amount(project, row.property);
                    ASSERT_TRUE(q && q->set_value_text("42")) << cell;
                    const UnitType own = q->getUnitType();
                    const int where = place(n, unit, own);
                    const std::string why = Obj::quantityTextProblem(*q, text);
                    // Typed (the text the editor sends): taken exactly, or refused truly.
                    if (where != 0) {
                        ++refused;
                        EXPECT_FALSE(q->set_value_text(text)) << cell;
                        EXPECT_EQ("'" + text + "' " + placeReason(where, own), why) << cell;
                        EXPECT_EQ(42.0, q->get_value()) << cell;
                        logic.app().close_project(project->get_name());
                        continue;
                    }
                    ++taken;
                    EXPECT_EQ("", why) << cell;
                    ASSERT_TRUE(q->set_value_text(text)) << cell;
                    if (unit == own) {
                        EXPECT_TRUE(sameBits(n, q->get_value())) << cell << ": " << q->get_value();
                    }
                    const double typedValue = q->get_value();
                    // Duplicated (EDIT > Duplicate copies the content): the amount as given.
                    {
                        Obj::LoadObject copy;
                        copy.copy_content(*dynamic_cast<Obj::ProjectObject*>(q->get_container()));
                        EXPECT_EQ(Obj::valueTextWithUnits(*q),
                                  Obj::valueTextWithUnits(*copy.get_property_by_name(row.property)))
                            << cell << " duplicated";
                    }

                    // Every system in turn and back: taken or refused as the amount fits,
                    // the very number in its own unit, and the same held value at the end.
                    QStringList order = systems;
                    order.append(typedUnder);
                    for (const QString& to : order) {
                        const UnitType target = unitUnder(row.kind, to);
                        const int fits = place(n, unit, target);
                        const UnitType before = q->getUnitType();
                        const double held = q->get_value();
                        EXPECT_EQ(fits == 0, project->onUnitChanged(system(to))) << cell << " -> " << to.toStdString();
                        if (fits != 0) {
                            EXPECT_EQ(before, q->getUnitType()) << cell;
                            EXPECT_TRUE(sameBits(held, q->get_value())) << cell;
                            EXPECT_NE(std::string::npos, project->units_problem(system(to)).find(placeReason(fits, target)))
                                << cell << " -> " << to.toStdString() << ": " << project->units_problem(system(to));
                            system(QString::fromStdString(project->get_units().system.toStdString()));
                        } else if (target == unit) {
                            EXPECT_TRUE(sameBits(n, q->get_value())) << cell << " in " << to.toStdString();
                        }
                    }
                    EXPECT_EQ(own, q->getUnitType()) << cell;
                    EXPECT_TRUE(sameBits(typedValue, q->get_value())) << cell << " after every switch";

                    // Saved: the amount as given, its number the shortest text that reads
                    // back the same number; the same bytes whatever the system it is saved under.
                    Obj::ProjectFile::save(path, {project}, project);
                    QFile file(QString::fromStdString(path));
                    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                    const QByteArray bytes = file.readAll();
                    file.close();
                    const std::string saved = record(bytes, row);
                    const std::size_t blank = saved.find(' ');
                    ASSERT_NE(std::string::npos, blank) << cell << ": " << saved;
                    EXPECT_EQ(symbol, saved.substr(blank + 1)) << cell;
                    const std::string savedNumber = saved.substr(0, blank);
                    EXPECT_TRUE(sameBits(n, std::strtod(savedNumber.c_str(), nullptr))) << cell << ": " << saved;
                    EXPECT_LE(savedNumber.size(), std::strlen(numberText) + 1) << cell << ": " << saved;
                    if (savedOnce.isEmpty())
                        savedOnce = QByteArray::fromStdString(saved);
                    EXPECT_EQ(savedOnce.toStdString(), saved) << cell;
                    logic.app().close_project(project->get_name());
                }
                if (savedOnce.isEmpty())
                    continue;   // refused under every system

                // The saved file opened, and its objects pasted, under every system: the
                // same amount, or the whole file (or paste) refused with the true reason.
                for (const QString& readUnder : systems) {
                    const std::string cell = text + " in " + row.property + " read under " + readUnder.toStdString();
                    system(readUnder);
                    const UnitType target = unitUnder(row.kind, readUnder);
                    const int fits = place(n, unit, target);
                    std::vector<Obj::Project*> back;
                    std::string error;
                    try {
                        back = Obj::ProjectFile::resume(logic.app(), path);
                    } catch (const Obj::ProjectFile::Error& e) {
                        error = e.what();
                    }
                    if (fits != 0) {
                        EXPECT_TRUE(back.empty()) << cell;
                        EXPECT_NE(std::string::npos, error.find("holds '" + savedOnce.toStdString() + "': '"
                                                                + savedOnce.toStdString() + "' " + placeReason(fits, target)))
                            << cell << ": " << error;
                        EXPECT_TRUE(logic.app().get_projects().empty()) << cell;
                    } else {
                        ++opened;
                        ASSERT_EQ(1u, back.size()) << cell << ": " << error;
                        Obj::PropertyQuantity* q = amount(back.front(), row.property);
                        ASSERT_TRUE(q) << cell;
                        if (target == unit) {
                            EXPECT_TRUE(sameBits(n, q->get_value())) << cell << ": " << q->get_value();
                        }
                        EXPECT_EQ(savedOnce.toStdString(), Obj::valueTextWithUnits(*q)) << cell;
                        logic.app().close_project(back.front()->get_name());
                    }

                    QFile file(QString::fromStdString(path));
                    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                    std::stringstream copied(file.readAll().toStdString());
                    Obj::Project* target2 = logic.app().create_project("Into");
                    try {
                        const std::vector<Obj::ProjectObject*> made = target2->import_objects(copied);
                        EXPECT_EQ(0, fits) << cell << " pasted";
                        ++pasted;
                        ASSERT_EQ(1u, made.size());
                        auto* q = static_cast<Obj::PropertyQuantity*>(made.front()->get_property_by_name(row.property));
                        if (target == unit) {
                            EXPECT_TRUE(sameBits(n, q->get_value())) << cell << " pasted";
                        }
                        EXPECT_EQ(savedOnce.toStdString(), Obj::valueTextWithUnits(*q)) << cell << " pasted";
                    } catch (const Vexil::ExceptionHandler& e) {
                        EXPECT_NE(0, fits) << cell << " pasted: " << e.what();
                        EXPECT_NE(std::string::npos, std::string(e.what()).find(placeReason(fits, target))) << e.what();
                        EXPECT_EQ(0u, target2->get_num_objects()) << cell;
                    }
                    logic.app().close_project(target2->get_name());
                }
            }
        }
    }
    QFile::remove(QString::fromStdString(path));
    // Every way was walked: the counts of the cells, not a restatement of the rule.
    EXPECT_GT(taken, 1000);
    EXPECT_GT(refused, 100);
    EXPECT_GT(opened, 1000);
    EXPECT_EQ(opened, pasted);
}

TEST_F(AmountTable, FilesAndPastesTakeOnlyAmountsTheProgramWritesAndLoseNothing)
{
    // Every spelling a hand-edited file may hold that the program never writes, under
    // every system, as a file and as a paste: refused whole, the reason naming the record
    // and what is wrong with it, and what is open stays as it was.  A record is a
    // property of the load, or the project's length unit.
    const struct
    {
        const char* record;
        const char* value;
        const char* reason;
        // A record the program never writes, "prop\tType" or "pprop\tType": added before
        // the record it names (or, for a project, before its length unit).
        const char* added = nullptr;
    } written[] = {
        {"Magnitude", "1,500.5 N", "without group separators such as \",\", with \".\" as the decimal sign"},
        {"Magnitude", "1,500 N", "without group separators"}, {"Magnitude", "0,500 N", "without group separators"},
        {"Magnitude", "00,500 N", "without group separators"}, {"Magnitude", "1,5 N", "without group separators"},
        {"Magnitude", "1.500,5 N", "without group separators"},
        // Amounts without their unit: whose units they were meant in cannot be told.
        {"Thickness", "5", "names no unit"}, {"Magnitude", "7", "names no unit"},
        {"Magnitude", "3|2", "names no unit"}, {"Pressure Limit", "5", "names no unit"},
        {"Offset", "(1 , 2 mm, 3 in)", "'1' names no unit"}, {"Offset", "(1, 2, 3)", "names no unit"},
        {"Displacement", "(1 mm, Free, 2)", "'2' names no unit"},
        // Beyond the limits, in their unit or another.
        {"Pressure Limit", "5e12 Pa", "lies outside"}, {"Pressure Limit", "-1e300 Pa", "lies outside"},
        {"Pressure Limit", "5e12 Pa|2", "lies outside"}, {"Pressure Limit", "1e9 psi", "lies outside"},
        // Just past a limit: so near that the 15 digits a conversion keeps would reach it.
        {"Pressure Limit", "1000000.0000000002 MPa", "lies outside"},
        {"Pressure Limit", "1.0000000000000002e12 Pa", "lies outside"},
        {"Pressure Limit", "-1.0000000000000002e12 Pa|3", "lies outside"},
        // A length unit that is none: the placements' size is not known.
        {"Length Unit", "UM", "as the length unit of its placements, which is none of m, "},
        {"Length Unit", "feet", "which is none of"}, {"Length Unit", "kN", "which is none of"},
        {"Length Unit", "", "which is none of"},
        // Invisible characters at an end of an amount, which a save would drop unseen.
        {"Thickness", "\xEF\xBB\xBF" "5 mm", "holds an invisible character (U+FEFF)"},
        {"Thickness", "5 mm\xC2\x85", "holds an invisible character (U+0085)"},
        {"Magnitude", "\xC2\xA0" "5 N", "holds an invisible character (U+00A0)"},
        {"Magnitude", "5 N\xE2\x80\xA8", "holds an invisible character (U+2028)"},
        {"Offset", "\xE3\x80\x80(1 mm, 2 mm, 3 mm)", "holds an invisible character (U+3000)"},
        // Amounts the object or project has no such property for, or one of another type:
        // their kind and unit are not known, so they would be lost.
        {"Thickness2", "5 mm", "there is no such amount here", "prop\tObj::PropertyQuantity"},
        {"Extra", "(1 mm, 2 mm, 3 mm)", "there is no such amount here", "prop\tObj::PropertyQuantityVector"},
        {"Thickness", "5", "it is a Obj::PropertyQuantity here, not a Obj::PropertyDecimal", "prop\tObj::PropertyDecimal"},
        {"Magnitude", "5 mm", "here, not a Obj::PropertyQuantity", "prop\tObj::PropertyQuantity"},
        {"Depth", "5 mm", "there is no such amount here", "pprop\tObj::PropertyQuantity"},
    };
    const QStringList systems = pmUnit::UnitsManager::unitSystems();
    const std::string path = (logic.dataDir() + "/written.pmdb").toStdString();
    int cells = 0;
    for (const QString& under : systems) {
        system(under);
        Obj::Project* source = logic.app().create_project("S");
        auto* made = static_cast<Obj::LoadObject*>(source->add_object("Obj::LoadObject", "Load"));
        ASSERT_TRUE(made->Magnitude->set_value_text("7 kN"));
        ASSERT_TRUE(made->PressureLimit->set_value_text("2 MPa"));
        Obj::ProjectFile::save(path, {source}, source);
        // Nor does a duplicate take an amount beyond the limits (held by no way in but
        // the number set directly): refused with the reason, not copied as a default.
        made->PressureLimit->set_value(5e30);
        Obj::LoadObject copy;
        try {
            copy.copy_content(*made);
            ADD_FAILURE() << "duplicated under " << under.toStdString();
        } catch (const Vexil::ExceptionHandler& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find("property 'Pressure Limit' holds '"))
                << e.what();
            EXPECT_NE(std::string::npos, std::string(e.what()).find("lies outside")) << e.what();
        }
        logic.app().close_project(source->get_name());
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        file.close();
        for (const auto& w : written) {
            const std::string cell = std::string(w.record) + " '" + w.value + "' under " + under.toStdString();
            // The record's value field replaced, and the file sealed again as the writer seals.
            const bool ofProject = w.added && QByteArray(w.added).startsWith("pprop");
            QByteArray bytes;
            if (w.added) {
                const int before = saved.indexOf(ofProject ? "pprop\tLength Unit\t" : "prop\tThickness\t");
                ASSERT_GE(before, 0) << cell;
                const QByteArray fields = QByteArray(w.added);
                const int tab = fields.indexOf('\t');
                bytes = saved.left(before) + fields.left(tab) + "\t" + w.record + fields.mid(tab) + "\t" + w.value
                    + "\n" + saved.mid(before);
            } else {
                const QByteArray key = QByteArray("\t") + w.record + "\t";
                const int at = saved.indexOf(key);
                ASSERT_GE(at, 0) << cell;
                const int from = saved.indexOf('\t', at + key.size()) + 1;
                bytes = saved.left(from) + w.value + saved.mid(saved.indexOf('\n', from));
            }
            bytes = PelmoraTest::sealedProjectFile(bytes.left(bytes.lastIndexOf("end\t")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.close();
            const std::string named = std::string(w.record) == "Length Unit"
                ? std::string("project S names '") + w.value + "'"
                : std::string("property '") + w.record + (ofProject ? "' of project S" : "' of object Load")
                    + " holds '" + Vexil::printableText(w.value) + "'";

            Obj::Project* open = logic.app().create_project("Open");
            open->add_object("Obj::LoadObject", "Load");
            ASSERT_TRUE(amount(open, "Magnitude")->set_value_text("3 N"));
            try {
                Obj::ProjectFile::resume(logic.app(), path);
                ADD_FAILURE() << cell << " opened";
            } catch (const Obj::ProjectFile::Error& e) {
                const std::string why = e.what();
                EXPECT_NE(std::string::npos, why.find(named)) << cell << ": " << why;
                EXPECT_NE(std::string::npos, why.find(w.reason)) << cell << ": " << why;
            }
            EXPECT_EQ(1u, logic.app().get_projects().size()) << cell;
            // A paste takes the objects alone, not the properties of their project.
            if (ofProject) {
                logic.app().close_project(open->get_name());
                ++cells;
                continue;
            }
            std::stringstream copied(bytes.toStdString());
            try {
                open->import_objects(copied);
                ADD_FAILURE() << cell << " pasted";
            } catch (const Vexil::ExceptionHandler& e) {
                EXPECT_NE(std::string::npos, std::string(e.what()).find(w.reason)) << cell << ": " << e.what();
            }
            EXPECT_EQ(1u, open->get_num_objects()) << cell;
            EXPECT_EQ("3 N", Obj::valueTextWithUnits(*amount(open, "Magnitude"))) << cell;
            logic.app().close_project(open->get_name());
            ++cells;
        }
    }
    QFile::remove(QString::fromStdString(path));
    EXPECT_EQ(int(std::size(written)) * systems.size(), cells);
}

TEST_F(AmountTable, AFileSavedUnderOneSystemAndOpenedUnderAnotherGivesBackEveryAmount)
{
    // A thousand loads typed under each system with amounts of 1 to 17 digits in every
    // unit of their kinds; saved, opened under each other system, saved there, opened and
    // saved under the first again: byte for byte the first file, in every ordered pair.
    const QStringList systems = pmUnit::UnitsManager::unitSystems();
    const std::vector<UnitType> lengths = pmUnit::UnitsManager::getUnitTypes(pmUnit::Length);
    const std::vector<UnitType> forces = pmUnit::UnitsManager::getUnitTypes(pmUnit::Force);
    const std::string path = (logic.dataDir() + "/loads v3.pmdb").toStdString();
    auto bytesOf = [&path]() {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    auto resaved = [&](const QString& under) {
        system(under);
        const std::vector<Obj::Project*> back = Obj::ProjectFile::resume(logic.app(), path);
        EXPECT_EQ(1u, back.size());
        Obj::ProjectFile::save(path, back, back.front());
        logic.app().close_project(back.front()->get_name());
        return bytesOf();
    };
    std::mt19937 random(48);
    std::uniform_int_distribution<int> digits(1, 17), power(-4, 4), pick(0, 1000);
    auto number = [&]() {
        std::string m = std::to_string(1 + pick(random) % 9);
        for (int d = digits(random); d > 1; --d)
            m += char('0' + pick(random) % 10);
        return m.substr(0, 1) + "." + m.substr(1) + "e" + std::to_string(power(random));
    };
    auto symbol = [](UnitType u) { return pmUnit::UnitsManager::getUnitSymbol(u).toStdString(); };
    int pairs = 0, changedLines = 0;
    for (const QString& first : systems) {
        system(first);
        Obj::Project* project = logic.app().create_project("Loads");
        for (int i = 0; i < 1000; ++i) {
            auto* load = static_cast<Obj::LoadObject*>(project->add_object("Obj::LoadObject", "L"));
            ASSERT_TRUE(load->Thickness->set_value_text(number() + " " + symbol(lengths[i % lengths.size()])));
            ASSERT_TRUE(load->Magnitude->set_value_text(number() + " " + symbol(forces[i % forces.size()])));
            ASSERT_TRUE(load->Offset->set_value_text("(" + number() + " " + symbol(lengths[(i + 1) % lengths.size()])
                                                     + ", " + number() + " " + symbol(lengths[(i + 2) % lengths.size()])
                                                     + ", -" + number() + " " + symbol(lengths[(i + 3) % lengths.size()]) + ")"));
            ASSERT_TRUE(load->Displacement->set_value_text("(" + number() + " " + symbol(lengths[i % lengths.size()])
                                                           + ", Free, " + number() + ")"));
        }
        Obj::ProjectFile::save(path, {project}, project);
        logic.app().close_project(project->get_name());
        const QByteArray written = bytesOf();
        for (const QString& second : systems) {
            if (second == first)
                continue;
            ++pairs;
            resaved(second);
            const QByteArray again = resaved(first);
            const QList<QByteArray> a = written.split('\n'), b = again.split('\n');
            int changed = std::abs(a.size() - b.size());
            for (int k = 0; k < std::min(a.size(), b.size()); ++k)
                changed += a[k] != b[k] ? 1 : 0;
            EXPECT_EQ(0, changed) << first.toStdString() << " -> " << second.toStdString() << " -> " << first.toStdString();
            changedLines += changed;
        }
    }
    QFile::remove(QString::fromStdString(path));
    EXPECT_EQ(56, pairs);
    EXPECT_EQ(0, changedLines);
}
