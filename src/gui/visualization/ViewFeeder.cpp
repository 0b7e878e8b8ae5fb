#include "ViewFeeder.h"

#include "mainwindow/PictureFactory.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeeder, Obj::PropertyContainer)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederExtern, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProject, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProjectObject, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederFeature, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProjectObjectGroup, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederTopoObject, Gui::ViewFeederProjectObject)

ViewFeeder::ViewFeeder() = default;
ViewFeeder::~ViewFeeder() = default;

QIcon ViewFeeder::getIcon() const
{
    return QIcon(PictureFactory::instance().get_pixmap(pixmapName.c_str()));
}
