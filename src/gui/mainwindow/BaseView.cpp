#include "BaseView.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::BaseView, Vexil::RootClass)

BaseView::BaseView(GuiProject* p) : project(p), closed(false), passive(p == nullptr)
{
    if (project) {
        project->attachView(this, false);
    } else if (qPelmoraApplication* app = qPelmoraApplication::application()) {
        app->connect_view(this);
    }
}

BaseView::~BaseView()
{
    onClose();
}

Obj::Project* BaseView::getAppProject() const
{
    return project ? project->get_project() : nullptr;
}

void BaseView::onClose()
{
    if (closed)
        return;
    if (passive) {
        if (qPelmoraApplication* app = qPelmoraApplication::application())
            app->disconnect_view(this);
        if (project)
            project->detachView(this, true);
    } else if (project) {
        project->detachView(this, false);
    }
    project = nullptr;
    closed = true;
}

void BaseView::set_project(GuiProject* p)
{
    if (p == project)
        return;
    if (project)
        project->detachView(this, true);
    if (p)
        p->attachView(this, true);
    project = p;
}

void BaseView::remove_viewself()
{
    delete this;
}
