// Amounts with units in the main window: a project saved, its unit system switched back
// and forth in the preferences dialog, and saved again gives the same bytes; values that
// no number can hold in the project's units are refused where they come in (a file, a
// paste, a typed text, a change of unit system) with the reason; a load value type that
// does not exist is refused; the clip dialog names the scene's length unit; grouped
// numbers are read under the C locale as under a German one.

#include <commands/Command.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/DlgClipPlaneImp.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <propertyeditor/QuantitySpinBox.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/SaveDialogAnswer.h>

#include "UnitSystemDialog.h"
#include <support/ProjectFileSeal.h>

#include <obj/Application.h>
#include <obj/LoadObject.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyQuantity.h>
#include <pmmsg/Message.h>
#include <pmunit/Units.h>
#include <vexil/PreferenceManager.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <clocale>
#include <random>

namespace {

using Capture = PelmoraTest::ConsoleCapture;

class UnitAmounts : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        QLocale::setDefault(QLocale::c());
        startApplication();
        openMainWindow();
        Gui::PropertyOperator::initPropertyItems();
    }
    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        closeSession();
        pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
        QLocale::setDefault(QLocale::c());
    }

    void chooseUnitSystem(const char* button) { PelmoraTest::chooseUnitSystem(*app, button); }

    // A model read from a file with the model button's path; its project is current.
    void openModel()
    {
        const QString file = QDir(dir.path()).filePath("plate v2.rev.stl");
        ASSERT_TRUE(PelmoraTest::writeSphereFile(file.toStdString(), 10));
        app->open(file.toUtf8().constData(), "Geometry");
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        ASSERT_EQ(project->get_num_objects(), 1u);
        model = project->get_objects().front();
    }
    // A load on the model, added by the script line of the tree's "Add Load" entry.
    Obj::LoadObject* addLoad()
    {
        const std::string line =
            "App.get_project('" + std::string(project->get_name()) + "').add_load('" + std::to_string(model->getObjectId()) + "')";
        const std::string id = pmMsg::InterpreterSingleton::Instance().runString(line.c_str());
        return dynamic_cast<Obj::LoadObject*>(project->get_object(static_cast<unsigned int>(std::stoul(id))));
    }
    static void set(Obj::ProjectObject* object, const char* property, const std::string& text)
    {
        Obj::Property* p = object->get_property_by_name(property);
        ASSERT_NE(p, nullptr) << property;
        ASSERT_TRUE(p->set_value_text(text)) << property << " " << text;
    }
    static double number(const Obj::ProjectObject* object, const char* property)
    {
        auto* p = dynamic_cast<const Obj::PropertyQuantity*>(object->get_property_by_name(property));
        return p ? p->get_value() : -1.0;
    }
    static QString unitOf(const Obj::ProjectObject* object, const char* property)
    {
        auto* p = dynamic_cast<const Obj::PropertyQuantity*>(object->get_property_by_name(property));
        return p ? pmUnit::UnitsManager::getUnitSymbol(p->getUnitType()) : QString();
    }

    // File > Save As with the given name; the bytes written.
    QByteArray save(const char* name)
    {
        saveAnswer = QDir(dir.path()).filePath(QString::fromUtf8(name));
        // A fresh file each time: Save As would ask before replacing one.
        QFile::remove(saveAnswer);
        EXPECT_TRUE(app->save_as());
        QFile f(saveAnswer);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // Every project closed, then the file opened.
    void reopen(const QString& path)
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        Obj::Application::instance().close_all_projects();
        PelmoraTest::flushDeletes();
        ASSERT_TRUE(Obj::Application::instance().resume_from_file(1, path.toUtf8().constData()));
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        model = project->get_objects().front();
    }
    // A saved file with some of its records changed, sealed again as a file of its own.
    QString rewritten(QByteArray bytes, const std::vector<std::pair<QByteArray, QByteArray>>& changes, const char* name)
    {
        for (const auto& change : changes) {
            EXPECT_EQ(bytes.count(change.first), 1) << change.first.toStdString();
            bytes.replace(change.first, change.second);
        }
        bytes.truncate(bytes.lastIndexOf("end\t"));
        const QString path = QDir(dir.path()).filePath(QString::fromUtf8(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(PelmoraTest::sealedProjectFile(bytes));
        return path;
    }

    // The property panel showing `object`.
    void show(Obj::ProjectObject* object)
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        Gui::TreeSelectionSingleton::instance().set_selection(project->get_name(), {object});
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView")
                   ->findChild<Gui::PropertyView*>()
                   ->dataTree();
    }
    QModelIndex cell(const char* name, const QModelIndex& parent = {}) const
    {
        Gui::PropertyOperator::PropertyModel* m = tree->propertyModel();
        for (int r = 0; r < m->rowCount(parent); ++r)
            if (m->data(m->index(r, 0, parent)).toString() == QLatin1String(name))
                return m->index(r, 1, parent);
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    // The row made current, the text typed over its value, and Enter; the spin box.
    Gui::QuantitySpinBox* type(const QModelIndex& row, const QString& text)
    {
        tree->setCurrentIndex(row.siblingAtColumn(0));
        auto* box = qobject_cast<Gui::QuantitySpinBox*>(tree->indexWidget(row));
        EXPECT_NE(box, nullptr);
        if (!box)
            return nullptr;
        box->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QCoreApplication::processEvents();
        return box;
    }

    QTemporaryDir dir;
    PelmoraTest::SaveDialogAnswer saveDialog;
    QString& saveAnswer = saveDialog.answer;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* model = nullptr;
    Gui::PropertyOperator::PropertyOperator* tree = nullptr;
};

// How many lines of `after` differ from those of `before`, and the first such pair.
std::string changedLines(const QByteArray& before, const QByteArray& after)
{
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    int changed = std::abs(a.size() - b.size());
    std::string first;
    for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] == b[i])
            continue;
        if (!changed)
            first = ": \"" + a[i].toStdString() + "\" -> \"" + b[i].toStdString() + "\"";
        ++changed;
    }
    return std::to_string(changed) + " lines changed" + first;
}

// A saved file without its model records: a surface read back from a project file is
// written with VTK's metadata block that the one read from its model file lacked.
QByteArray withoutModels(const QByteArray& bytes)
{
    QByteArray out;
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.startsWith("model\t") && !line.startsWith("end\t"))
            out += line + '\n';
    return out;
}

// Numbers as a user types them: one to five digits and a power of ten.
std::string typedNumber(std::mt19937& random)
{
    std::uniform_int_distribution<int> digits(1, 5), power(-3, 3);
    const int n = digits(random);
    std::uniform_int_distribution<int> mantissa(n == 1 ? 1 : static_cast<int>(std::pow(10, n - 1)),
                                                static_cast<int>(std::pow(10, n)) - 1);
    return std::to_string(mantissa(random)) + "e" + std::to_string(power(random));
}

} // namespace

TEST_F(UnitAmounts, RoundTripsOfTheUnitSystemLeaveTheSavedFileByteForByte)
{
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    ASSERT_NO_FATAL_FAILURE(openModel());
    std::mt19937 random(20261207);
    auto n = [&random] { return typedNumber(random); };
    for (int i = 0; i < 1000; ++i) {
        Obj::LoadObject* load = addLoad();
        ASSERT_NE(load, nullptr);
        set(load, "Magnitude", n() + " N");
        set(load, "Pressure Limit", n() + " kPa");   // within its limits, 0 to 1e12 Pa
        set(load, "Components", "(" + n() + " N, " + n() + " N, " + n() + " N)");
        set(load, "Displacement", "(" + n() + " mm, Free, " + n() + " mm)");
        set(load, "Thickness", n() + " mm");
        set(load, "Offset", "(" + n() + " mm, " + n() + " mm, " + n() + " mm)");
    }
    // The values of the issue, and lengths in feet and inches read into millimetres.
    Obj::LoadObject* measured = addLoad();
    set(measured, "Magnitude", "7000 N");
    set(measured, "Thickness", "3 ft");
    set(measured, "Offset", "(3.048 mm, 509.1 mm, 3 in)");
    EXPECT_EQ(number(measured, "Thickness"), 914.4);
    EXPECT_EQ(measured->Offset->get_value().z, 76.2);
    const QByteArray written = save("loads v2.typed values.pmdb");
    // Kept as given: the file names the amount as typed, and reads back as it under any
    // unit system.
    EXPECT_TRUE(written.contains("\tObj::PropertyQuantity\t3 ft\n")) << "3 ft is kept as 3 ft";
    EXPECT_TRUE(written.contains("(3.048 mm, 509.1 mm, 3 in)\n"));
    ASSERT_NO_FATAL_FAILURE(reopen(saveAnswer));

    const std::pair<const char*, const char*> pairs[] = {
        {"radioUnitsMMKS", "radioUnitsCMGS"}, {"radioUnitsMMKS", "radioUnitsBIN"}, {"radioUnitsMMKS", "radioUnitsBFT"},
        {"radioUnitsMKS", "radioUnitsUMKS"},  {"radioUnitsMMKS", "radioUnitsMKS"},
    };
    for (const auto& pair : pairs) {
        ASSERT_NO_FATAL_FAILURE(chooseUnitSystem(pair.first));
        const QByteArray before = save("loads v2.before.pmdb");
        for (int round = 0; round < 3; ++round) {
            ASSERT_NO_FATAL_FAILURE(chooseUnitSystem(pair.second));
            ASSERT_NO_FATAL_FAILURE(chooseUnitSystem(pair.first));
        }
        const QByteArray after = save("loads v2.after.pmdb");
        EXPECT_TRUE(before == after) << pair.first << " <-> " << pair.second << ": " << changedLines(before, after);
    }
    // Back in millimetres, the values read are those written first.
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    const QByteArray again = withoutModels(save("loads v2.again.pmdb"));
    EXPECT_TRUE(again == withoutModels(written)) << changedLines(withoutModels(written), again);
}

TEST_F(UnitAmounts, AFileValueBeyondTheLargestNumberOrWithoutALoadTypeIsRefusedWithItsReason)
{
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    ASSERT_NO_FATAL_FAILURE(openModel());
    Obj::LoadObject* first = addLoad();
    ASSERT_TRUE(first);
    set(first, "Thickness", "5 mm");
    set(first, "Magnitude", "7 N");
    const QByteArray saved = save("loads v2.pmdb");
    const QString good = saveAnswer;

    // A file holding an amount that cannot be read is refused whole, with the reason: an
    // amount read as another one, or left at a new load's, would be lost at the next save.
    using Level = Capture::Level;
    const struct
    {
        QByteArray from, to;
        const char* reason;
    } damages[] = {
        {"\tObj::PropertyQuantity\t5 mm\n", "\tObj::PropertyQuantity\t1e308 m\n",
         "holds '1e308 m': '1e308 m' is beyond the largest number in mm"},
        {"\tObj::PropertyBCQuantity\t7 N\n", "\tObj::PropertyBCQuantity\t1e308 lbf\n",
         "holds '1e308 lbf': '1e308 lbf' is beyond the largest number in N"},
        {"\tObj::PropertyBCQuantity\t7 N\n", "\tObj::PropertyBCQuantity\t5 kN|99\n",
         "holds '5 kN|99': '99' is not a load value type"},
        {"\tObj::PropertyBCQuantity\t7 N\n", "\tObj::PropertyBCQuantity\t5 kN|-1\n",
         "holds '5 kN|-1': '-1' is not a load value type"},
        // The text named whole, its NUL escaped.
        {"\tObj::PropertyQuantity\t5 mm\n", "\tObj::PropertyQuantity\t12.5 m%00m\n",
         "holds '12.5 m\\x00m': Unknown unit \"m\\x00m\""},
        {"\tObj::PropertyBCQuantity\t7 N\n", "\tObj::PropertyBCQuantity\t1,500.5 N\n",
         "holds '1,500.5 N': \"1,500.5 N\" is not read: numbers here are written without group separators such as "
         "\",\", with \".\" as the decimal sign"},
        {"\tObj::PropertyQuantity\t5 mm\n", "\tObj::PropertyQuantity\t0,500 mm\n",
         "holds '0,500 mm': \"0,500 mm\" is not read: numbers here are written without group separators"},
    };
    int n = 0;
    for (const auto& damage : damages) {
        const std::string name = "loads v2.edited by hand " + std::to_string(++n) + ".pmdb";
        const QString damaged = rewritten(saved, {{damage.from, damage.to}}, name.c_str());
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        Obj::Application::instance().close_all_projects();
        PelmoraTest::flushDeletes();
        Capture console;
        EXPECT_FALSE(Obj::Application::instance().resume_from_file(1, damaged.toUtf8().constData())) << damage.to.toStdString();
        EXPECT_TRUE(console.contains(Level::Error, "cannot be opened: property '")) << damage.to.toStdString();
        EXPECT_TRUE(console.contains(Level::Error, damage.reason)) << damage.reason;
        for (const auto& line : console.lines())
            EXPECT_EQ(line.text.find("'12.5 m' is not valid"), std::string::npos) << line.text;
        EXPECT_TRUE(Obj::Application::instance().get_projects().empty()) << damage.to.toStdString();
    }

    // The file as saved opens, with its amounts.
    ASSERT_NO_FATAL_FAILURE(reopen(good));
    Obj::LoadObject* back = nullptr;
    for (Obj::ProjectObject* o : project->get_objects())
        back = back ? back : dynamic_cast<Obj::LoadObject*>(o);
    ASSERT_TRUE(back);
    EXPECT_EQ(number(back, "Thickness"), 5.0);
    EXPECT_EQ(number(back, "Magnitude"), 7.0);
}

TEST_F(UnitAmounts, AValueNoNumberCanHoldInTheNewUnitsKeepsTheUnitsAsTheyWere)
{
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    ASSERT_NO_FATAL_FAILURE(openModel());
    Obj::LoadObject* load = addLoad();
    ASSERT_NE(load, nullptr);
    const unsigned int id = load->getObjectId();
    ASSERT_NO_FATAL_FAILURE(show(load));

    // Typed: metres beyond what millimetres can hold are refused with the reason, and
    // not taken as millimetres either.
    Gui::QuantitySpinBox* box = type(cell("Thickness"), QStringLiteral("1e308 m"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->inputProblem().contains(QStringLiteral("beyond the largest number in mm")))
        << box->inputProblem().toStdString();
    EXPECT_EQ(load->Thickness->get_value(), 0.0);
    // A number millimetres can hold is taken.
    tree->setCurrentIndex(cell("Magnitude").siblingAtColumn(0));
    type(cell("Thickness"), QStringLiteral("1e308 mm"));
    ASSERT_EQ(load->Thickness->get_value(), 1e308);

    // Micrometres cannot hold it: the units stay, the console names the value.
    Capture console;
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsUMKS"));
    EXPECT_TRUE(console.contains(Capture::Level::Error,
                                 "property 'Thickness' of object " + std::string(load->get_name())
                                     + ": 1e+308 mm is beyond the largest number in um"));
    EXPECT_EQ(pmUnit::UnitsManager::instance()->systemUnits(), QStringLiteral("MMKS"));
    EXPECT_EQ(Obj::Application::instance().getPrefMgr()->getString(Vexil::PM_UNIT_SYSTEM), QStringLiteral("MMKS"));
    EXPECT_EQ(load->Thickness->get_value(), 1e308);
    EXPECT_EQ(unitOf(load, "Thickness"), QStringLiteral("mm"));

    // Saved and opened again: the same amount.
    const QByteArray saved = save("huge v2.thickness.pmdb");
    EXPECT_TRUE(saved.contains("\tObj::PropertyQuantity\t1e+308 mm\n")) << saved.toStdString();
    console.clear();
    ASSERT_NO_FATAL_FAILURE(reopen(saveAnswer));
    EXPECT_FALSE(console.contains(Capture::Level::Warning, "keeps its value"));
    EXPECT_EQ(number(project->get_object(id), "Thickness"), 1e308);
    const QByteArray again = withoutModels(save("huge v2.thickness again.pmdb"));
    EXPECT_TRUE(again == withoutModels(saved)) << changedLines(withoutModels(saved), again);
}

TEST_F(UnitAmounts, APlacementBeyondTheLargestNumberInTheTargetUnitIsNotPasted)
{
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMKS"));
    ASSERT_NO_FATAL_FAILURE(openModel());
    ASSERT_EQ(project->get_length_unit(), pmUnit::Meter);
    ASSERT_TRUE(model->get_property_by_name("Spatial Parameters")->set_value_text("Position(1e308,1,2)"));
    Obj::Project* source = project;
    Gui::TreeSelectionSingleton::instance().set_selection(source->get_name(), {model});
    command("Std_Copy")->invoke(0);

    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsUMKS"));
    Obj::Project* target = logic->app().create_project("Micro", "Micro");
    ASSERT_EQ(target->get_length_unit(), pmUnit::Micrometer);
    logic->app().set_current_project(target->get_name());
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    Capture console;
    command("Std_Paste")->invoke(0);
    EXPECT_EQ(target->get_num_objects(), 0u);
    bool told = false;
    for (const auto& line : console.lines())
        told = told || line.text.find("cannot be pasted: the placement of object") != std::string::npos;
    EXPECT_TRUE(told);

    // Saved and opened again, the source keeps its placement.
    logic->app().set_current_project(source->get_name());
    project = source;
    save("far v2.placement.pmdb");
    ASSERT_NO_FATAL_FAILURE(reopen(saveAnswer));
    EXPECT_EQ(model->get_property_by_name("Spatial Parameters")->get_value_text().rfind("1e+308,1,2", 0), 0u)
        << model->get_property_by_name("Spatial Parameters")->get_value_text();
}

TEST_F(UnitAmounts, TheClipDialogNamesTheLengthUnitOfTheProjectsScene)
{
    auto unitsShown = [this]() {
        QStringList shown;
        QTimer::singleShot(0, [&shown] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* clip = qobject_cast<Gui::DlgClipPlaneImp*>(dialog)) {
                for (const char* name : {"label_5", "label_6", "label_7"})
                    if (auto* label = clip->findChild<QLabel*>(QLatin1String(name)))
                        shown << label->text();
            }
            if (dialog)
                dialog->close();
        });
        command("Std_ClipWidget")->invoke(0);
        return shown;
    };
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMKS"));
    ASSERT_NO_FATAL_FAILURE(openModel());
    QCoreApplication::processEvents();
    EXPECT_EQ(unitsShown(), QStringList({"m", "m", "m"}));
    // The scene keeps its unit under another unit system.
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    EXPECT_EQ(unitsShown(), QStringList({"m", "m", "m"}));
    // A project made under millimetres.
    Obj::Application::instance().close_all_projects();
    PelmoraTest::flushDeletes();
    ASSERT_NO_FATAL_FAILURE(openModel());
    QCoreApplication::processEvents();
    EXPECT_EQ(unitsShown(), QStringList({"mm", "mm", "mm"}));
}

// Grouped numbers typed into a row: under the C locale (as under C.UTF-8) with commas
// between groups of three, under German with points; each locale's decimal sign too.
TEST_F(UnitAmounts, GroupedNumbersAreReadUnderTheCLocaleAsUnderAGermanOne)
{
    struct Case
    {
        const char* locale;
        QLocale qt;
        const char* grouped;
        const char* decimal;
        const char* wrong;
    };
    const Case cases[] = {
        {"C.UTF-8", QLocale::c(), "1,500 mm", "2.5 mm", "1,5 mm"},
        {"de_DE.UTF-8", QLocale(QLocale::German, QLocale::Germany), "1.500 mm", "2,5 mm", "1.5.0 mm"},
    };
    const std::string previousLocale = std::setlocale(LC_ALL, nullptr);
    for (const Case& c : cases) {
        if (!std::setlocale(LC_ALL, c.locale)) {
            ADD_FAILURE() << c.locale << " is not installed (scripts/install-deps.sh generates it)";
            continue;
        }
        QLocale::setDefault(c.qt);
        // A window made in that locale, as a start under it makes one.
        closeSession();
        startApplication();
        openMainWindow();
        ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
        ASSERT_NO_FATAL_FAILURE(openModel());
        Obj::LoadObject* load = addLoad();
        ASSERT_NE(load, nullptr);
        ASSERT_NO_FATAL_FAILURE(show(load));
        Gui::QuantitySpinBox* box = type(cell("Thickness"), QString::fromUtf8(c.grouped));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(load->Thickness->get_value(), 1500.0) << c.locale << " " << box->inputProblem().toStdString();
        type(cell("Thickness"), QString::fromUtf8(c.decimal));
        EXPECT_EQ(load->Thickness->get_value(), 2.5) << c.locale;
        box = type(cell("Thickness"), QString::fromUtf8(c.wrong));
        EXPECT_EQ(load->Thickness->get_value(), 2.5) << c.locale;
        EXPECT_FALSE(box->hasValidInput()) << c.locale;
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
    }
    std::setlocale(LC_ALL, previousLocale.c_str());
    QLocale::setDefault(QLocale::c());
}
