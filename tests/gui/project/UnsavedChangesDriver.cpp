// Runs the whole application and acts out, with the keys a user presses, one scenario
// about unsaved changes, printing what it saw as key=value lines:
//   rename        F2 on the project in the project tree, type a new name, Return; then
//                 Alt+F4, answering Cancel to any question
//   label-row     click the project in the tree, type a new name into its Label row in
//                 the property panel, Return; then Alt+F4, answering Cancel
//   open          save the project, change it, Ctrl+O for $HOME/saved.pmdb (the file dialog
//                 is answered with it), Yes to resuming, Cancel to saving; the same again
//                 answering Close to saving; then Alt+F4, Cancel
// Every question is answered by its title; questions are printed in the order asked.

#include <support/ApplicationRun.h>
#include <support/BoxAnswerer.h>

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MainWindow.h>
#include <obj/Application.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <selection/TreeWidget.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::string scenario;

void print(const char* key, const QString& value)
{
    std::printf("%s=%s\n", key, value.toUtf8().constData());
    std::fflush(stdout);
}

QString yesNo(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

void pressAltF4(Gui::MainWindow* mw)
{
    PelmoraTest::BoxAnswerer answerer({{QStringLiteral("Close Project"), QMessageBox::Cancel}});
    QApplication::setActiveWindow(mw);
    QTest::keyClick(mw, Qt::Key_F4, Qt::AltModifier);
    print("altf4.questions", answerer.titles.join('|'));
    print("altf4.window", mw->isVisible() ? "open" : "closed");
}

QTreeWidgetItem* projectItem(Gui::TreeWidget* tree)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->type() == 1000)
            return *it;
    return nullptr;
}

void rename(Gui::MainWindow* mw)
{
    auto* tree = mw->findChild<Gui::TreeWidget*>();
    QTreeWidgetItem* item = tree ? projectItem(tree) : nullptr;
    if (!item) {
        print("tree", "no project item");
        return;
    }
    QApplication::setActiveWindow(mw);
    tree->setFocus();
    tree->setCurrentItem(item);
    QTest::keyClick(tree, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : tree->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            editor = e;
    if (!editor) {
        print("tree", "no editor");
        return;
    }
    // The editor opens with the old name selected: typing replaces it.
    QTest::keyClicks(editor, QStringLiteral("Plant "));
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_Eacute, QString::fromUtf8("\xc3\xa9"), Qt::NoModifier);
    QTest::keyClicks(editor, QStringLiteral(" v2.1"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    Obj::Project* project = Obj::Application::instance().get_current_project();
    print("label", QString::fromUtf8(project->getProjectName()));
    print("modified", yesNo(project->is_modified()));
    Gui::GuiProject* gui = Gui::qPelmoraApplication::application()->get_project(project);
    print("dirty", yesNo(gui && gui->getDirty()));
    pressAltF4(mw);
}

// Ctrl+O for `file`, answering Yes to resuming and `saveAnswer` to saving; prints what
// was asked and what is open then under `prefix`.
void pressCtrlO(Gui::MainWindow* mw, const char* prefix, QMessageBox::StandardButton saveAnswer)
{
    PelmoraTest::BoxAnswerer answerer({{QStringLiteral("Remove existing projects"), QMessageBox::Yes},
                       {QStringLiteral("Close Project"), saveAnswer}});
    QApplication::setActiveWindow(mw);
    QTest::keyClick(mw, Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    const QString p = QString::fromLatin1(prefix);
    print((p + ".questions").toLatin1().constData(), answerer.titles.join('|'));
    Obj::Application& logic = Obj::Application::instance();
    QStringList labels;
    for (Obj::Project* project : logic.get_projects())
        labels << QString::fromUtf8(project->getProjectName());
    print((p + ".projects").toLatin1().constData(), labels.join('|'));
    Obj::Project* current = logic.get_current_project();
    print((p + ".unsaved.object").toLatin1().constData(), yesNo(current && current->get_object("Unsaved")));
    print((p + ".modified").toLatin1().constData(), yesNo(current && current->is_modified()));
}

// The value cell of the row `name`, groups searched too.
QModelIndex rowValue(QAbstractItemModel* model, const QString& name, const QModelIndex& parent = {})
{
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex cell = model->index(r, 0, parent);
        if (cell.data().toString() == name)
            return model->index(r, 1, parent);
        const QModelIndex inside = rowValue(model, name, cell);
        if (inside.isValid())
            return inside;
    }
    return {};
}

void renameInLabelRow(Gui::MainWindow* mw)
{
    auto* tree = mw->findChild<Gui::TreeWidget*>();
    QTreeWidgetItem* item = tree ? projectItem(tree) : nullptr;
    auto* panel = mw->findChild<Gui::PropertyView*>();
    if (!item || !panel) {
        print("panel", "no project item or property panel");
        return;
    }
    // A click on the project in the tree shows its properties.
    QApplication::setActiveWindow(mw);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCoreApplication::processEvents();
    Gui::PropertyOperator::PropertyOperator* rows = panel->dataTree();
    const QModelIndex label = rowValue(rows->propertyModel(), QStringLiteral("Label"));
    if (!label.isValid()) {
        print("panel", "no Label row");
        return;
    }
    rows->setCurrentIndex(label.siblingAtColumn(0));
    QWidget* editor = rows->indexWidget(label);
    auto* field = editor ? (qobject_cast<QLineEdit*>(editor) ? qobject_cast<QLineEdit*>(editor)
                                                             : editor->findChild<QLineEdit*>())
                         : nullptr;
    if (!field) {
        print("panel", "no Label editor");
        return;
    }
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Bracket v2.1"));
    QTest::keyClick(field, Qt::Key_Return);
    QCoreApplication::processEvents();
    Obj::Project* project = Obj::Application::instance().get_current_project();
    print("label", QString::fromUtf8(project->getProjectName()));
    print("modified", yesNo(project->is_modified()));
    pressAltF4(mw);
}

void openOver(Gui::MainWindow* mw)
{
    Obj::Application& logic = Obj::Application::instance();
    Obj::Project* project = logic.get_current_project();
    const QString saved = QDir(QString::fromLocal8Bit(qgetenv("HOME"))).filePath(QStringLiteral("saved.pmdb"));
    project->OnUpdateLabel("Saved Plant");
    if (!logic.save_as_file(1, QFile::encodeName(saved).constData())) {
        print("saved", "no");
        return;
    }
    // The change the user would lose.
    project->add_object("Obj::ProjectObject", "Unsaved");
    print("before.modified", yesNo(project->is_modified()));

    Gui::FileDialog::Backend backend;
    backend.openFileNames = [saved](QWidget*, const QString&, const QString&, const QString&, QString*,
                                    QFileDialog::Options) { return QStringList{saved}; };
    Gui::FileDialog::setBackend(backend);
    pressCtrlO(mw, "cancel", QMessageBox::Cancel);
    pressCtrlO(mw, "discard", QMessageBox::Close);
    pressAltF4(mw);
}

void act()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    if (scenario == "rename")
        rename(mw);
    else if (scenario == "label-row")
        renameInLabelRow(mw);
    else if (scenario == "open")
        openOver(mw);
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: unsaved_changes_driver rename|label-row|open\n");
        return 2;
    }
    scenario = argv[1];
    const QByteArray home = QFileInfo(QString::fromLocal8Bit(qgetenv("HOME"))).fileName().toLatin1();
    auto config = PelmoraTest::hostConfiguration("unsaved_changes_driver_" + home.toStdString());
    return PelmoraTest::runApplication(config, {argv[0]}, act);
}
