#pragma once
// The project tree and the selection docks under test: a logic followed by the
// application object, a feeder that orders its tree item by the object's name, and
// closing a context menu that a test opened.

#include <core/qPelmoraApplication.h>
#include <visualization/ViewFeeder.h>

#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/ProjectObject.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace TreeTest {

// Tree order from the object's name: "o5" gives 5, anything else 0.
class OrderedFeeder : public Gui::ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Gui::eTreeOrderType getTreeOrder() const override;
    // A group-like feeder: claims the objects listed here.
    std::vector<Obj::ProjectObject*> claim_descendants() const override { return claimed; }
    std::vector<Obj::ProjectObject*> claimed;
};

class OrderedObject : public Obj::ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    OrderedObject();
};

void registerTypes();

// Runs `inspect` on the popup menu that opens next, then closes it.
void whenMenuOpens(std::function<void(QMenu*)> inspect);

class TreeFixture : public ::testing::Test
{
protected:
    TreeFixture();
    ~TreeFixture() override;
    Obj::Project* newProject(const char* name);

    PelmoraTest::ScopedLogic logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
};

} // namespace TreeTest
