#include "MDIWindow.h"

#include "core/GuiProject.h"
#include "core/PrintableText.h"
#include "mainwindow/MainWindow.h"
#include "visualization/ViewFeeder.h"

#include <obj/Project.h>

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QRegularExpression>

#include <iostream>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::MDIWindow, Gui::BaseView)

MDIWindow::MDIWindow(GuiProject* p, QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), BaseView(p)
{
    qRegisterMetaType<Gui::MDIWindow*>("Gui::MDIWindow*");
    setCentralWidget(new QWidget(this));
    setMinimumSize(400, 300);
    setBaseView(p);
    setAttribute(Qt::WA_DeleteOnClose);
}

MDIWindow::MDIWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), BaseView(nullptr)
{
    qRegisterMetaType<Gui::MDIWindow*>("Gui::MDIWindow*");
    setMinimumSize(200, 100);
    setAttribute(Qt::WA_DeleteOnClose);
}

MDIWindow::~MDIWindow()
{
    // Keyboard focus must not stay with a widget that is going away.
    if (MainWindow* mw = MainWindow::get_main_window_inst()) {
        QWidget* focus = mw->focusWidget();
        if (focus && isAncestorOf(focus))
            mw->setFocus(Qt::OtherFocusReason);
    }
    deleteConnection.disconnect();
    if (viewMode != Child)
        --undockedViews;
}

int MDIWindow::undockedViewCount()
{
    return undockedViews;
}

void MDIWindow::setBaseView(GuiProject* p)
{
    if (!p)
        return;
    deleteConnection.disconnect();
    deleteConnection = p->signal_delete_object.connect(
        [this](const ViewFeederProjectObject& feeder) { activeObjects.objectDeleted(feeder); });
}

void MDIWindow::setActiveObject(Obj::ProjectObject* object, const char* name)
{
    activeObjects.setObject(object, name, HighlightMode::UserDefined);
}

bool MDIWindow::hasActiveObject(const char* name) const
{
    return activeObjects.hasObject(name);
}

bool MDIWindow::message_handler(const char*, const char**)
{
    return false;
}

bool MDIWindow::has_message_handler(const char*)
{
    return false;
}

bool MDIWindow::canClose()
{
    if (passive || !project || !project->isLastView())
        return true;
    // The last view of a project: the project decides, and may ask about saving.
    setFocus();
    return project->canClose();
}

void MDIWindow::closeEvent(QCloseEvent* event)
{
    if (!canClose()) {
        event->ignore();
        return;
    }
    event->accept();
    // The last view stays with its project so that its destruction closes the project.
    if (!passive && project && !project->isLastView())
        onClose();
    QMainWindow::closeEvent(event);
}

void MDIWindow::remove_viewself()
{
    // Leave the project first: it is going away, so there is nobody left to ask
    // whether the view may close.
    if (project)
        onClose();
    // The sub-window is the tab of the document area; closing only the view would
    // leave an empty tab behind.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void MDIWindow::on_label_changed(GuiProject* p)
{
    if (passive)
        return;
    if (!p)
        p = project;
    Obj::Project* logic = p ? p->get_project() : nullptr;
    if (!logic)
        return;
    const QString label = printableName(QByteArray(logic->getProjectName()));
    const QString title = windowTitle();
    static const QRegularExpression withPlaceholder(QStringLiteral("(\\s\\:\\s\\d+\\[\\*\\])$"));
    static const QRegularExpression plain(QStringLiteral("(\\s\\:\\s\\d+)$"));
    QRegularExpressionMatch match = withPlaceholder.match(title);
    if (!match.hasMatch())
        match = plain.match(title);
    if (match.hasMatch())
        setWindowTitle(label + match.captured(1));
    else if (logic->is_modified())
        setWindowTitle(QStringLiteral("%1[*]").arg(label));
    else
        setWindowTitle(label);
}

QSize MDIWindow::minimumSizeHint() const
{
    return QSize(400, 300);
}

void MDIWindow::changeEvent(QEvent* event)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (isActiveWindow() && mw && mw->activeWindow() != this)
            mw->setActiveWindow(this);
        break;
    case QEvent::WindowTitleChange:
    case QEvent::ModifiedChange:
        if (mw)
            mw->tabChanged(this);
        break;
    default:
        QMainWindow::changeEvent(event);
        break;
    }
}

void MDIWindow::setCurrentViewMode(ViewMode mode)
{
    const bool wasDocked = viewMode == Child;
    setViewMode(mode);
    if (wasDocked != (viewMode == Child))
        undockedViews += wasDocked ? 1 : -1;
}

void MDIWindow::setViewMode(ViewMode mode)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    const auto leaveDocumentArea = [this, mw] {
        if (mw && qobject_cast<QMdiSubWindow*>(parentWidget()))
            mw->removeWindow(this);
        setWindowFlags(windowFlags() | Qt::Window);
    };
    switch (mode) {
    case Child:
        if (viewMode == Child)
            return;
        if (viewMode == FullScreen)
            showNormal();
        else
            savedState = windowState();
        setWindowFlags(windowFlags() & ~Qt::Window);
        viewMode = Child;
        if (mw) {
            mw->addWindow(this);
            mw->activateWindow();
        }
        update();
        break;
    case TopLevel:
        if (viewMode == Child) {
            leaveDocumentArea();
            setParent(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                   | Qt::WindowMinMaxButtonsHint);
            if (savedState & Qt::WindowMaximized)
                showMaximized();
            else
                showNormal();
            activateWindow();
        } else if (viewMode == FullScreen) {
            if (savedState & Qt::WindowMaximized)
                showMaximized();
            else
                showNormal();
        }
        viewMode = TopLevel;
        update();
        break;
    case FullScreen:
        if (viewMode == Child) {
            leaveDocumentArea();
            setParent(nullptr, Qt::Window);
        } else if (viewMode == TopLevel) {
            savedState = windowState();
        }
        showFullScreen();
        viewMode = FullScreen;
        update();
        break;
    }
}

void MDIWindow::print()
{
    std::cerr << "-=*Error: no printing executed for " << metaObject()->className() << std::endl;
}

void MDIWindow::print(QPrinter*)
{
    std::cerr << "-=*Error: no printing executed for " << metaObject()->className() << std::endl;
}

void MDIWindow::print_pdf_file()
{
    std::cerr << "-=*Error: no PDF printing executed for " << metaObject()->className() << std::endl;
}

void MDIWindow::print_preview()
{
    std::cerr << "-=*Error: no printing preview executed for " << metaObject()->className() << std::endl;
}

void MDIWindow::windowStateChanged(Gui::MDIWindow*)
{
}
