#include "TreeTestSupport.h"

#include <femgui/FemGui.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>

#include <cstdlib>

VEXIL_TYPESYSTEM_SOURCE(TreeTest::OrderedFeeder, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(TreeTest::OrderedObject, Obj::ProjectObject)

namespace TreeTest {

Gui::eTreeOrderType OrderedFeeder::getTreeOrder() const
{
    const char* name = object ? object->get_name() : "";
    return name[0] == 'o' ? static_cast<Gui::eTreeOrderType>(std::atoi(name + 1)) : 0;
}

OrderedObject::OrderedObject() { set_feeder_type_name("TreeTest::OrderedFeeder"); }

void registerTypes()
{
    static bool done = false;
    if (done)
        return;
    Obj::Application::init_types();
    Gui::qPelmoraApplication::initialize_application();
    FemGui::initModule();
    OrderedFeeder::init();
    OrderedObject::init();
    done = true;
}

void whenMenuOpens(std::function<void(QMenu*)> inspect)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        inspect(menu);
        menu->close();
    });
    timer->start();
}

TreeFixture::TreeFixture()
{
    registerTypes();
    app = std::make_unique<Gui::qPelmoraApplication>(true);
}

TreeFixture::~TreeFixture()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Obj::Project* TreeFixture::newProject(const char* name)
{
    return logic.app().create_project(name);
}

} // namespace TreeTest
