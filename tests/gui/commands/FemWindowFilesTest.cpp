// The main window with the finite-element module, as a user meets it: Ctrl+O (and the
// File menu's first "&Open...") opens and imports files through the real file dialog (a
// surface model, an annotation list, a project file), what was opened is saved in and read
// back from a project file, the Model button of the annotation toolbar loads models, the
// View toolbar shows icons only, and the project tree adds loads.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <annotations/vtkMRMLAnnotationFiducialNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/LoadObject.h>
#include <obj/PropertyCouple.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkPolyData.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

void flush()
{
    PelmoraTest::settleWithDisplay();
}

// Answers the dialogs that open, in order: a file dialog gets a name pasted into its name
// field and Return, a message box a click on a button. A dialog without a step of its
// own is cancelled. Records the title of every dialog it saw.
class DialogSteps : public QObject
{
public:
    DialogSteps()
    {
        connect(&timer, &QTimer::timeout, this, &DialogSteps::poll);
        timer.start(20);
    }
    DialogSteps& type(const QString& text)
    {
        steps.push_back({text, QMessageBox::NoButton});
        return *this;
    }
    DialogSteps& press(QMessageBox::StandardButton button)
    {
        steps.push_back({QString(), button});
        return *this;
    }
    QStringList titles;

private:
    struct Step
    {
        QString typed;
        QMessageBox::StandardButton button;
    };

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (modal == handled) {
            // A dialog that does not take its answer is cancelled after a while.
            if (++waited > 100)
                QTest::keyClick(modal, Qt::Key_Escape);
            return;
        }
        handled = modal;
        waited = 0;
        titles << modal->windowTitle();
        const Step step = steps.empty() ? Step{QString(), QMessageBox::NoButton} : steps.front();
        if (!steps.empty())
            steps.erase(steps.begin());
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (QAbstractButton* button = box->button(step.button))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                box->reject();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!name || step.typed.isEmpty()) {
            QTest::keyClick(modal, Qt::Key_Escape);
            return;
        }
        // Pasted into the name field, as a path copied from elsewhere (typed key by key,
        // the dialog's completion takes each folder as it is typed), then Return.
        name->setFocus();
        name->selectAll();
        name->insert(step.typed);
        if (QCompleter* completer = name->completer(); completer && completer->popup()->isVisible())
            QTest::keyClick(completer->popup(), Qt::Key_Escape);
        QTest::keyClick(name, Qt::Key_Return);
    }

    QTimer timer;
    std::vector<Step> steps;
    QPointer<QWidget> handled;
    int waited = 0;
};

class FemWindowFiles : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        window = std::make_unique<Gui::MainWindow>();
        window->resize(1000, 800);
        window->show();
        ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), PelmoraTest::HangGuardMs));
        folder = QDir(dir.path()).filePath(QStringLiteral("Modelle f\u00fcr Tests"));
        saves = QDir(dir.path()).filePath(QStringLiteral("saved projects"));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QDir().mkpath(saves));
    }

    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        flush();
        window.reset();
        flush();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
    }

    // Shortcuts reach only the active window; the window is made Qt's active one, since
    // other programs on the display may hold the focus.
    void keys(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), static_cast<Qt::Key>(key), modifiers);
        flush();
    }

    QStringList fileMenu() const
    {
        QStringList names;
        for (QAction* bar : window->menuBar()->actions())
            if (bar->data().toString() == QLatin1String("&FILE") && bar->menu())
                for (QAction* a : bar->menu()->actions())
                    names << (a->isSeparator() ? QStringLiteral("|") : a->data().toString());
        return names;
    }

    QKeySequence key(const char* name) const { return command(name)->get_action()->action()->shortcut(); }

    Obj::Project* projectNamed(const char* label) const
    {
        for (Obj::Project* p : logic->app().get_projects())
            if (std::string(p->getProjectName()) == label)
                return p;
        return nullptr;
    }

    Gui::TreeWidget* tree() const { return window->findChild<Gui::TreeWidget*>(); }
    Gui::ProjectObjectItem* itemOf(Obj::Project* project, const Obj::ProjectObject* object) const
    {
        Gui::ProjectItem* item = tree()->getProjectItem(app->get_project(project));
        return item && object ? item->object_item(object->getObjectId()) : nullptr;
    }

    Gui::qView3DMRML* active3D() const { return qobject_cast<Gui::qView3DMRML*>(window->activeWindow()); }

    // Clicks the item in the project tree as a user does.
    void clickItem(QTreeWidgetItem* item)
    {
        Gui::TreeWidget* t = tree();
        t->scrollToItem(item);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, t->visualItemRect(item).center());
        flush();
    }

    QString modelPath(const char* name) const { return QDir(folder).filePath(QString::fromUtf8(name)); }

    // What the console said, for the messages of failed checks.
    std::string said() const
    {
        std::string text;
        for (const auto& line : console.lines())
            text += line.text;
        return text;
    }

    PelmoraTest::ConsoleCapture console{"FemWindowFiles"};
    QTemporaryDir dir;
    QString folder;
    QString saves;
};

} // namespace

TEST_F(FemWindowFiles, TheFileMenuOpensFilesAndOneCtrlORunsOnlyTheOpenCommand)
{
    const QStringList menu = fileMenu();
    const int project = static_cast<int>(menu.indexOf(QStringLiteral("Std_OpenPMDB")));
    ASSERT_GE(project, 0) << menu.join(' ').toStdString();
    EXPECT_EQ(menu.value(project - 1), QStringLiteral("Std_Open")) << menu.join(' ').toStdString();
    EXPECT_EQ(key("Std_Open"), QKeySequence(QKeySequence::Open));
    EXPECT_TRUE(key("Std_OpenPMDB").isEmpty());
    EXPECT_TRUE(command("Std_Open")->get_action()->action()->toolTip().contains(QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText)));
    EXPECT_FALSE(command("Std_OpenPMDB")->get_action()->action()->toolTip().contains(QStringLiteral("(")));

    {
        DialogSteps dialogs;
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, QStringList{"Open document"});
    }
    // Under another module the key opens project files again, and back under this one files.
    ASSERT_TRUE(app->activate_simmodule("StdWorkbench"));
    EXPECT_TRUE(key("Std_Open").isEmpty());
    {
        DialogSteps dialogs;
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, QStringList{"Open PELMORA Project"});
    }
    ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
    {
        DialogSteps dialogs;
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, QStringList{"Open document"});
    }
}

TEST_F(FemWindowFiles, AltFOEnterOpensEveryKindAndTheVisibilityToggleIsInTheViewMenuOnly)
{
    // The two "&Open..." entries of the File menu: the one that opens every kind of file
    // comes first, and their status tips tell them apart.
    QMenu* file = nullptr;
    QMenu* viewMenu = nullptr;
    for (QAction* entry : window->menuBar()->actions()) {
        if (entry->data().toString() == QLatin1String("&FILE"))
            file = entry->menu();
        if (entry->data().toString() == QLatin1String("&VIEW"))
            viewMenu = entry->menu();
    }
    ASSERT_NE(file, nullptr);
    ASSERT_NE(viewMenu, nullptr);
    QStringList opens;
    QStringList tips;
    for (QAction* entry : file->actions())
        if (entry->text() == QLatin1String("&Open...")) {
            opens << entry->data().toString();
            tips << entry->statusTip();
        }
    EXPECT_EQ(opens, (QStringList{"Std_Open", "Std_OpenPMDB"}));
    ASSERT_EQ(tips.size(), 2);
    EXPECT_TRUE(tips[0].contains(QStringLiteral("import files"))) << tips[0].toStdString();
    EXPECT_TRUE(tips[1].contains(QStringLiteral("archived solution file"))) << tips[1].toStdString();

    // Alt+F, O, Enter: the open dialog for every kind of file.
    {
        DialogSteps dialogs;
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
        flush();
        ASSERT_EQ(QApplication::activePopupWidget(), file);
        QTest::keyClick(file, Qt::Key_O);
        EXPECT_EQ(file->activeAction()->data().toString(), QStringLiteral("Std_Open"));
        QTest::keyClick(file, Qt::Key_Return);
        flush();
        EXPECT_EQ(dialogs.titles, QStringList{"Open document"});
    }

    // The visibility toggle has no icon: the View menu offers it, no toolbar does, and
    // every toolbar button shows an icon rather than a sentence.
    QAction* visibility = command("Std_Visibility")->get_action()->action();
    EXPECT_TRUE(visibility->icon().isNull());
    EXPECT_TRUE(viewMenu->actions().contains(visibility));
    for (QToolBar* bar : window->findChildren<QToolBar*>()) {
        EXPECT_FALSE(bar->actions().contains(visibility)) << bar->objectName().toStdString();
        for (QAction* action : bar->actions()) {
            // Command buttons (their action's data names the command).
            if (!action->data().toString().isEmpty() && qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
                EXPECT_FALSE(action->icon().isNull()) << bar->objectName().toStdString() << ": " << action->text().toStdString();
            }
        }
    }
    QToolBar* viewBar = window->findChild<QToolBar*>(QStringLiteral("View"));
    ASSERT_NE(viewBar, nullptr);
    QStringList shown;
    for (QAction* action : viewBar->actions())
        shown << action->data().toString();
    EXPECT_EQ(shown, (QStringList{"Std_ViewExtents", "Std_ShowWireframe"}));
}

TEST_F(FemWindowFiles, AModelOpenedWithCtrlOIsAProjectThatAClickSelectsAndAProjectFileKeeps)
{
    const QString stl = modelPath("part.v2.stl");
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(stl).toStdString(), 5.0, 24, 12));
    {
        DialogSteps dialogs;
        dialogs.type(stl);
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, QStringList{"Open document"});
    }
    Obj::Project* project = projectNamed("part.v2");
    ASSERT_NE(project, nullptr) << said();
    const auto shapes = project->get_objects(Obj::GeometryObject::getClassTypeId());
    ASSERT_EQ(shapes.size(), 1u);
    auto* shape = dynamic_cast<Obj::GeometryObject*>(shapes.front());
    ASSERT_NE(shape, nullptr);
    ASSERT_NE(shape->get_poly_data(), nullptr);
    const vtkIdType points = shape->get_poly_data()->GetNumberOfPoints();
    EXPECT_GT(points, 0);
    EXPECT_NE(itemOf(project, shape), nullptr);

    // A click on the model in the view selects it.
    Gui::qView3DMRML* view = active3D();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->getGuiProject(), app->get_project(project));
    QVTKOpenGLNativeWidget* gl = view->getViewer()->threeDView()->VTKWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gl, PelmoraTest::HangGuardMs));
    flush();
    const QPoint middle(gl->width() / 2, gl->height() / 2);
    QMouseEvent move(QEvent::MouseMove, middle, gl->mapToGlobal(middle), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(gl, &move);
    QTest::mouseClick(gl, Qt::LeftButton, Qt::NoModifier, middle);
    flush();
    EXPECT_TRUE(Gui::TreeSelectionSingleton::instance().is_selected(project->get_name(), shape->getObjectId()));

    // Saved under a name of the user's choice, and read back with Ctrl+O.
    const QString saved = QDir(saves).filePath(QStringLiteral("bracket.v1.pmdb"));
    {
        DialogSteps dialogs;
        dialogs.type(saved);
        keys(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(QFile::exists(saved)) << dialogs.titles.join('|').toStdString();
    }
    {
        // Answering No keeps what is open.
        DialogSteps dialogs;
        dialogs.type(saved).press(QMessageBox::No);
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, (QStringList{"Open document", "Remove existing projects"}));
        EXPECT_EQ(projectNamed("part.v2"), project);
    }
    {
        DialogSteps dialogs;
        dialogs.type(saved).press(QMessageBox::Yes);
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, (QStringList{"Open document", "Remove existing projects"}));
    }
    ASSERT_EQ(logic->app().get_projects().size(), 1u);
    Obj::Project* back = projectNamed("part.v2");
    ASSERT_NE(back, nullptr);
    const auto backShapes = back->get_objects(Obj::GeometryObject::getClassTypeId());
    ASSERT_EQ(backShapes.size(), 1u);
    auto* backShape = dynamic_cast<Obj::GeometryObject*>(backShapes.front());
    ASSERT_TRUE(backShape && backShape->get_poly_data());
    EXPECT_EQ(backShape->get_poly_data()->GetNumberOfPoints(), points);
    EXPECT_NE(itemOf(back, backShape), nullptr);
    EXPECT_EQ(app->get_project(back)->mrmlScene()->GetNumberOfNodesByClass("vtkMRMLModelNode"), 1);
}

TEST_F(FemWindowFiles, AnAnnotationListOpenedWithCtrlOIsInTheTreeAndAProjectFileKeepsIt)
{
    const QString list = modelPath("marks v1.2.fcsv");
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# pointColumns = type|x|y|z|sel|vis\npoint|1.5|-2|3.25|1|1\n");
    }
    {
        DialogSteps dialogs;
        dialogs.type(list);
        keys(Qt::Key_O);
        EXPECT_EQ(dialogs.titles, QStringList{"Open document"});
    }
    Obj::Project* project = logic->app().get_current_project();
    ASSERT_NE(project, nullptr);
    const auto fiducials = project->get_objects(Obj::AnnotationFiducial::getClassTypeId());
    ASSERT_EQ(fiducials.size(), 1u);
    Gui::ProjectObjectItem* item = itemOf(project, fiducials.front());
    ASSERT_NE(item, nullptr);
    clickItem(item);
    EXPECT_TRUE(Gui::TreeSelectionSingleton::instance().is_selected(fiducials.front()));

    const QString saved = QDir(saves).filePath(QStringLiteral("marks.pmdb"));
    {
        DialogSteps dialogs;
        dialogs.type(saved);
        keys(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(QFile::exists(saved)) << dialogs.titles.join('|').toStdString();
    }
    {
        DialogSteps dialogs;
        dialogs.type(saved).press(QMessageBox::Yes);
        keys(Qt::Key_O);
    }
    Obj::Project* back = logic->app().get_current_project();
    ASSERT_NE(back, nullptr);
    const auto backFiducials = back->get_objects(Obj::AnnotationFiducial::getClassTypeId());
    ASSERT_EQ(backFiducials.size(), 1u);
    EXPECT_NE(itemOf(back, backFiducials.front()), nullptr);
    auto* node = vtkMRMLAnnotationFiducialNode::SafeDownCast(
        app->get_project(back)->mrmlScene()->GetFirstNodeByClass("vtkMRMLAnnotationFiducialNode"));
    ASSERT_NE(node, nullptr);
    double p[3];
    ASSERT_TRUE(node->GetFiducialCoordinates(p));
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[2], 3.25);
}

TEST_F(FemWindowFiles, TheModelButtonLoadsTheChosenModelsAndReportsABrokenOne)
{
    keys(Qt::Key_N);
    Obj::Project* project = logic->app().get_current_project();
    ASSERT_NE(project, nullptr);
    vtkMRMLScene* scene = app->get_project(project)->mrmlScene();
    const QString ball = modelPath("ball.v3.stl");
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(ball).toStdString(), 2.0));
    const QString broken = modelPath("broken.stl");
    {
        QFile in(ball);
        QFile out(broken);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        out.write(in.read(in.size() / 2));
    }

    QToolBar* annotations = nullptr;
    for (QToolBar* bar : window->findChildren<QToolBar*>())
        if (bar->objectName() == QLatin1String("Annotations"))
            annotations = bar;
    ASSERT_NE(annotations, nullptr);
    QWidget* button = annotations->widgetForAction(command("Std_MRMLModel")->get_action()->action());
    ASSERT_NE(button, nullptr);

    PelmoraTest::ConsoleCapture console;
    {
        DialogSteps dialogs;
        dialogs.type(QStringLiteral("\"%1\" \"%2\"").arg(ball, broken));
        QTest::mouseClick(button, Qt::LeftButton);
        flush();
        EXPECT_EQ(dialogs.titles, QStringList{"Load model file"});
    }
    ASSERT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLModelNode"), 1);
    auto* model = vtkMRMLModelNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLModelNode"));
    EXPECT_STREQ(model->GetName(), "ball");
    EXPECT_GT(model->GetPolyData()->GetNumberOfPoints(), 0);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "Cannot open model file"), 1);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "broken.stl\" is truncated"), 1);
    // The group where the user looks for what the button made is there and open.
    ASSERT_NE(project->annotationsGroup, nullptr);
    Gui::ProjectObjectItem* group = itemOf(project, project->annotationsGroup);
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->isExpanded());
}

TEST_F(FemWindowFiles, TheProjectTreeAddsALoadToTheSelectedGeometryWhoseRowsThePanelShows)
{
    const QString stl = modelPath("plate.stl");
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(stl).toStdString(), 5.0));
    {
        DialogSteps dialogs;
        dialogs.type(stl);
        keys(Qt::Key_O);
    }
    Obj::Project* project = projectNamed("plate");
    ASSERT_NE(project, nullptr);
    Obj::ProjectObject* shape = project->get_objects(Obj::GeometryObject::getClassTypeId()).front();
    Gui::ProjectObjectItem* item = itemOf(project, shape);
    ASSERT_NE(item, nullptr);
    clickItem(item);
    ASSERT_TRUE(Gui::TreeSelectionSingleton::instance().is_selected(shape));

    // The context menu of the tree, and a click on its entry.
    QStringList entries;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* add = nullptr;
        for (QAction* a : menu->actions()) {
            entries << a->text();
            if (a->text() == QLatin1String("Add Load"))
                add = a;
        }
        if (add)
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(add).center());
        else
            menu->close();
    });
    pmMsg::Journal::clear();
    Gui::TreeWidget* t = tree();
    const QPoint at = t->visualItemRect(item).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, t->viewport()->mapToGlobal(at));
    QApplication::sendEvent(t->viewport(), &event);
    flush();
    ASSERT_TRUE(entries.contains(QStringLiteral("Add Load"))) << entries.join('|').toStdString();

    const auto loads = project->get_objects(Obj::LoadObject::getClassTypeId());
    ASSERT_EQ(loads.size(), 1u);
    auto* load = dynamic_cast<Obj::LoadObject*>(loads.front());
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->Geometry->get_value(), shape);
    const std::string line = "runString App.get_project('" + std::string(project->get_name()) + "').add_load('" +
                             std::to_string(shape->getObjectId()) + "')";
    const auto journal = pmMsg::Journal::lines();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), line), 1) << line;

    // The load's rows in the property panel, once the user picks the load in the tree.
    Gui::ProjectObjectItem* loadItem = itemOf(project, load);
    ASSERT_NE(loadItem, nullptr);
    clickItem(loadItem);
    auto* panel = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView");
    ASSERT_NE(panel, nullptr);
    Gui::PropertyOperator::PropertyModel* rows = panel->findChild<Gui::PropertyView*>()->dataTree()->propertyModel();
    QStringList names;
    for (int r = 0; r < rows->rowCount(); ++r) {
        const QModelIndex group = rows->index(r, 0);
        names << rows->data(group).toString();
        for (int c = 0; c < rows->rowCount(group); ++c)
            names << rows->data(rows->index(c, 0, group)).toString();
    }
    for (const char* row : {"Magnitude", "Components", "Displacement"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(row))) << row << " in " << names.join('|').toStdString();
}
