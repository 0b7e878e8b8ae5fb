#pragma once
// Shared pieces of the property-editor tests: a fresh logic with one project "P" of three
// objects, helpers that add properties in a group, the commands the journal saw, and the
// real main window over a project holding a load.

#include <support/TestEnvironment.h>

#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>

#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/LoadObject.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/Property.h>

#include <gtest/gtest.h>

#include <QLineEdit>

#include <memory>
#include <string>
#include <vector>

namespace PropertyEditorTest {

// The text field of a spin box or of another editor made of one.
QLineEdit* field(const QWidget* editor);

// A decimal-comma locale for Qt's formatting and the C library while it lives.
struct DecimalCommaLocale
{
    DecimalCommaLocale();
    ~DecimalCommaLocale();
    std::string previous;
};

class Fixture : public ::testing::Test
{
protected:
    Fixture();
    ~Fixture() override;

    template<class T>
    T* add(Obj::PropertyContainer* owner, const char* name, const char* group = "Definition")
    {
        return static_cast<T*>(table.add_property(owner, new T(), name, group));
    }
    // The runCommand lines of the journal since the fixture started (or since `clearJournal`).
    static std::vector<std::string> commands();
    static void clearJournal();
    // "runCommand 41 P|<id of object>|<name>|<value>".
    static std::string line41(const Obj::ProjectObject* o, const std::string& name, const std::string& value);

    PelmoraTest::ScopedLogic logic;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* a = nullptr;
    Obj::ProjectObject* b = nullptr;
    Obj::ProjectObject* c = nullptr;
    Obj::PropertyCoreData table;
};

// The real main window shown over a fresh logic, in the locale set so far, with project "P"
// holding the geometry "Plate" and a load on it made by a script line.
class LoadWindow
{
protected:
    void startLoadWindow(const char* system);
    // Closes the window, the application and the logic, and puts back the MKS system and
    // the C locale.
    void stopLoadWindow();

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
    Obj::Project* project = nullptr;
    Obj::GeometryObject* geometry = nullptr;
    Obj::LoadObject* load = nullptr;
};

} // namespace PropertyEditorTest
