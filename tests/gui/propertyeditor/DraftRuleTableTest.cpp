// The draft rule, as a table: a value typed into a row and not confirmed is a draft;
// Enter, Tab, leaving the row or a command of the user's confirms it, Escape puts the
// stored value back, and nothing else writes it or drops it without a word.  Every way
// away from the row that is not the user leaving it (quitting, answered Save, Close or
// Cancel, with the project otherwise unchanged or changed; a file handed over by a second
// start, with a key typed after it; a menu of the menu bar opened and closed with Escape; a
// message box; another window; a project file opened in place of the open projects, handed
// over, dropped or chosen with Ctrl+O, answered Save, Close or Cancel) x every kind of row
// that takes typing.

#include "PropertyEditorTestSupport.h"

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PendingEdits.h>
#include <propertyeditor/PropertyView.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/LoadObject.h>
#include <obj/ProjectFile.h>
#include <support/PropertyRows.h>
#include <support/HangGuard.h>
#include <support/ModalCloser.h>
#include <support/WindowFocus.h>

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <boost/signals2/connection.hpp>

#include <sstream>

namespace {

enum class Kind { Quantity, Text, Integer, Component, LoadQuantity };
enum class Away { AltF4, QuitMenu, WindowClose, HandOver, HandOverModel, Menu, MessageBox, OtherWindow,
                  ResumeHandOver, ResumeDrop, ResumeOpen, Count };

const char* const kindNames[] = {"quantity", "text", "integer", "vector component", "load quantity"};
const char* const awayNames[] = {"Alt+F4", "FILE > Quit", "the window's close", "a hand-over, a key after it", "a model file handed over, a key after it",
                                 "a menu opened and closed with Escape", "a message box", "another window",
                                 "the project file handed over, Yes to removing the projects",
                                 "the project file dropped, Yes to removing the projects",
                                 "the project file by Ctrl+O, Yes to removing the projects"};

bool quitting(Away away)
{
    return away == Away::AltF4 || away == Away::QuitMenu || away == Away::WindowClose;
}
// Ways that open the project file in place of the open projects, once they are closed.
bool resuming(Away away)
{
    return away == Away::ResumeHandOver || away == Away::ResumeDrop || away == Away::ResumeOpen;
}

struct Row
{
    const char* name;     // the row, under its parents
    const char* parents[2];
    const char* typed;    // what the user types over the value
    const char* written;  // what the file then holds in the property's record
    const char* property; // the property's name in the file
};

const Row rows[] = {
    {"Thickness", {}, "7.25", "7.25 mm", "Thickness"},
    {"Label", {}, "Typed draft", "Typed draft", "Label"},
    {"Steps", {}, "3", "\t3", "Steps"},
    {"x", {"Spatial Parameters", "Origin"}, "66.5", "66.5", "Spatial Parameters"},
    {"Magnitude", {}, "2.75", "2.75", "Magnitude"},
};

class DraftRuleTable : public ::testing::Test, protected PropertyEditorTest::LoadWindow
{
protected:
    void TearDown() override
    {
        if (window)
            stopLoadWindow();
    }

    void start()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_NO_FATAL_FAILURE(startLoadWindow("MMKS"));
        window->resize(1200, 1000);
        load->set_label("Force");
        load->Thickness->set_value(1.5);
        load->Magnitude->set_value(1.5);
        ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
        Gui::DockingWindowItems layout;
        layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
        layout.add_docking_widget("Std_PropertyView", Qt::LeftDockWidgetArea, true, false);
        Gui::DockingWindowMediator::instance()->setup(&layout);
        loadId = load->getObjectId();
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView")
                   ->findChild<Gui::PropertyView*>()->dataTree();
        Gui::TreeSelectionSingleton::instance().set_selection("P", {load});
        file = QDir(dir.path()).filePath(QStringLiteral("drafts.pmdb"));
        ASSERT_TRUE(logic->app().save_as_file(1, QFile::encodeName(file).constData())) << logic->app().last_file_error();
        app->setDirty(false);
        ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
    }

    QModelIndex row(const char* name, const QModelIndex& parent = {}) const
    {
        return PelmoraTest::propertyRow(*tree->propertyModel(), name, parent);
    }
    QModelIndex target(const Row& r)
    {
        QModelIndex parent;
        for (const char* p : r.parents) {
            if (!p)
                break;
            parent = row(p, parent);
            tree->expand(parent);
        }
        return row(r.name, parent);
    }
    QWidget* editor(const Row& r) { return tree->indexWidget(target(r).siblingAtColumn(1)); }
    QLineEdit* field(const Row& r)
    {
        QWidget* e = editor(r);
        if (auto* line = qobject_cast<QLineEdit*>(e))
            return line;
        return e ? e->findChild<QLineEdit*>() : nullptr;
    }
    bool keyboardIn(const Row& r)
    {
        QWidget* e = editor(r);
        for (QWidget* w = QApplication::focusWidget(); w && e; w = w->parentWidget())
            if (w == e)
                return true;
        return false;
    }
    // The property's record in the file, and in the project as it would be saved now.
    std::string fileLine(const Row& r) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? lineOf(r, f.readAll().toStdString()) : std::string();
    }
    std::string projectLine(const Row& r, const Obj::Project* p = nullptr) const
    {
        return lineOf(r, Obj::ProjectFile::write(logic->app().get_projects(), p ? p : project));
    }
    // The load's record of the property.
    std::string lineOf(const Row& r, const std::string& text) const
    {
        std::istringstream in(text);
        const std::string object = "object\t" + std::to_string(loadId) + "\t";
        const std::string mark = std::string("prop\t") + r.property + "\t";
        bool inLoad = false;
        for (std::string l; std::getline(in, l);) {
            if (l.rfind("object\t", 0) == 0)
                inLoad = l.rfind(object, 0) == 0;
            else if (inLoad && l.rfind(mark, 0) == 0)
                return l;
        }
        return {};
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        if (QWidget* w = QApplication::focusWidget())
            QTest::keyClick(w, key, modifiers);
    }
    static void type(const QString& text)
    {
        if (QWidget* w = QApplication::focusWidget())
            QTest::keyClicks(w, text);
    }
    void typeDraft(const Row& r)
    {
        const QModelIndex value = target(r).siblingAtColumn(1);
        tree->scrollTo(value);
        const QPoint at = tree->visualRect(value).center();
        QWidget* w = tree->viewport()->childAt(at);
        if (!w)
            w = tree->viewport();
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->mapFrom(tree->viewport(), at));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QString::fromUtf8(r.typed));
    }
    bool waitUntilActive(QWidget* w)
    {
        return QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }, PelmoraTest::HangGuardMs);
    }
    // A closed main window asked the loop to quit: a loop run to its end takes that back.
    static void takeBackQuit()
    {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
    void quit(Away away)
    {
        switch (away) {
        case Away::AltF4: press(Qt::Key_F4, Qt::AltModifier); break;
        case Away::QuitMenu:
            for (QAction* menu : window->menuBar()->actions()) {
                if (!menu->menu() || !menu->isVisible()
                    || menu->text().remove('&').compare(QLatin1String("File"), Qt::CaseInsensitive) != 0)
                    continue;
                for (QAction* item : menu->menu()->actions()) {
                    if (item->text().remove('&') == QLatin1String("Quit")) {
                        item->trigger();
                        return;
                    }
                }
            }
            ADD_FAILURE() << "no FILE > Quit";
            break;
        default: window->close(); break;
        }
    }
    // Opens the project's own file in place of the open projects.
    void resume(Away away)
    {
        switch (away) {
        case Away::ResumeHandOver: window->processMessages({"OpenFile:" + QFile::encodeName(file)}); break;
        case Away::ResumeDrop: {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(file)});
            // Dragged in first: a drop goes to the widget that took the drag.
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &drop);
            break;
        }
        default: {
            int asked = 0;
            Gui::FileDialog::Backend chooser;
            chooser.openFileNames = [&](QWidget*, const QString&, const QString&, const QString&, QString*,
                                        QFileDialog::Options) {
                ++asked;
                return QStringList{file};
            };
            const Gui::FileDialog::Backend before = Gui::FileDialog::setBackend(chooser);
            press(Qt::Key_O, Qt::ControlModifier);
            Gui::FileDialog::setBackend(before);
            if (asked != 1)
                ADD_FAILURE() << "Ctrl+O asked for " << asked << " files";
            break;
        }
        }
    }

    // One cell; empty when the rule holds, else what went wrong.
    std::string cell(const Row& r, Away away, bool changed, QMessageBox::StandardButton answer)
    {
        std::ostringstream fault;
        start();
        if (::testing::Test::HasFatalFailure())
            return "no window";
        const std::string storedBefore = projectLine(r);
        const std::string savedBefore = fileLine(r);
        typeDraft(r);
        QLineEdit* f = field(r);
        if (!f || f->text() != QString::fromUtf8(r.typed) || !keyboardIn(r))
            return "the draft was not typed";
        const int cursor = f->cursorPosition();
        const bool modifiedBefore = project->is_modified() || app->get_project(project)->getDirty();
        if (changed)
            project->add_object("Obj::ProjectObject", "Other change");
        QStringList asked;
        QString after = QString::fromUtf8(r.typed);   // what the editor is to hold afterwards
        bool closes = false;
        // Removal of the projects the file replaces.
        int removed = 0;
        const boost::signals2::scoped_connection removal =
            logic->app().signal_remove_project.connect([&removed](const Obj::Project&) { ++removed; });
        switch (away) {
        case Away::AltF4:
        case Away::QuitMenu:
        case Away::WindowClose: {
            PelmoraTest::ModalCloser closer(answer, 1);
            quit(away);
            asked = closer.titles();
            closes = answer != QMessageBox::Cancel;
            // A draft is an unsaved change: the question comes either way.
            if (asked != QStringList{"Close Project"})
                fault << " asked " << asked.join('|').toStdString();
            if (!closes && !waitUntilActive(window.get()))
                fault << " the window was not active again";
            break;
        }
        case Away::HandOverModel: {
            const QString model = QDir(dir.path()).filePath(QStringLiteral("handed.stl"));
            QFile stl(model);
            if (stl.open(QIODevice::WriteOnly))
                stl.write("solid t\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n"
                          "   vertex 0 1 0\n  endloop\n endfacet\nendsolid t\n");
            stl.close();
            PelmoraTest::ModalCloser closer(QMessageBox::No, 1);
            window->processMessages({"OpenFile:" + QFile::encodeName(model)});
            if (!closer.titles().isEmpty() && !waitUntilActive(window.get()))
                fault << " the window was not active again";
            type(QStringLiteral("9"));
            after += QLatin1Char('9');
            break;
        }
        case Away::HandOver: {
            // The project's own file: the question whether to close the open projects is
            // answered No.
            PelmoraTest::ModalCloser closer(QMessageBox::No, 1);
            window->processMessages({"OpenFile:" + QFile::encodeName(file)});
            if (!closer.titles().isEmpty() && !waitUntilActive(window.get()))
                fault << " the window was not active again";
            type(QStringLiteral("9"));
            after += QLatin1Char('9');
            break;
        }
        case Away::Menu: {
            press(Qt::Key_F, Qt::AltModifier);
            if (!QApplication::activePopupWidget())
                fault << " no menu opened";
            for (int n = 0; n < 2 && !keyboardIn(r); ++n)
                press(Qt::Key_Escape);
            break;
        }
        case Away::MessageBox: {
            // Answered once it has the keyboard, as a user answers it.
            QMessageBox box(QMessageBox::Information, QStringLiteral("Note"), QStringLiteral("Something to read"),
                            QMessageBox::Ok, window.get());
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, &box, [&box] {
                if (QApplication::activeWindow() == &box && box.isAncestorOf(QApplication::focusWidget()))
                    box.accept();
                else
                    box.activateWindow();
            });
            answer.start(10);
            box.exec();
            // Back to the window, as the window manager gives it back.
            if (!PelmoraTest::activateForTyping(window.get()))
                fault << " the window was not active again";
            break;
        }
        case Away::ResumeHandOver:
        case Away::ResumeDrop:
        case Away::ResumeOpen: {
            PelmoraTest::ModalCloser closer(answer, 1);
            closer.answerTitled(QStringLiteral("Remove existing projects"), QMessageBox::Yes);
            resume(away);
            asked = closer.titles();
            // A draft is an unsaved change here too.
            if (asked != QStringList{"Remove existing projects", "Close Project"})
                fault << " asked " << asked.join('|').toStdString();
            if (answer != QMessageBox::Cancel) {
                // Save writes the draft into the file that then opens; Close drops it.
                Obj::Project* opened = logic->app().get_project("P");
                if (removed != 1 || !opened)
                    fault << " the file was not opened (" << removed << " projects removed)";
                const std::string saved = fileLine(r);
                if (answer == QMessageBox::Save && saved.find(r.written) == std::string::npos)
                    fault << " the file holds " << saved;
                if (answer == QMessageBox::Close && saved != savedBefore)
                    fault << " the file holds " << saved << " after Close";
                const std::string now = opened ? projectLine(r, opened) : std::string();
                if (answer == QMessageBox::Save && now.find(r.written) == std::string::npos)
                    fault << " the project opened holds " << now;
                if (answer == QMessageBox::Close && now != storedBefore)
                    fault << " the project opened holds " << now << " after Close";
                if (Gui::hasPendingDrafts())
                    fault << " a draft is left";
                stopLoadWindow();
                return fault.str();
            }
            if (removed != 0) {
                // The project and its rows are gone.
                fault << " " << removed << " projects were removed";
                stopLoadWindow();
                return fault.str();
            }
            if (!waitUntilActive(window.get()))
                fault << " the window was not active again";
            if (away == Away::ResumeOpen) {
                // Ctrl+O is a command of the user's: it confirmed the value before it asked
                // for the file, and Cancel keeps it, unsaved.
                f = field(r);
                if (!f || f->text() != after)
                    fault << " the editor holds " << (f ? f->text().toStdString() : "nothing");
                if (projectLine(r).find(r.written) == std::string::npos)
                    fault << " the project holds " << projectLine(r);
                if (!project->is_modified() && !app->get_project(project)->getDirty())
                    fault << " the project is not marked changed";
                if (fileLine(r) != savedBefore)
                    fault << " the file holds " << fileLine(r);
                stopLoadWindow();
                return fault.str();
            }
            if (away == Away::ResumeHandOver) {
                type(QStringLiteral("9"));
                after += QLatin1Char('9');
            }
            break;
        }
        case Away::OtherWindow: {
            QWidget other;
            other.setWindowTitle(QStringLiteral("Another window"));
            other.show();
            if (!PelmoraTest::activateForTyping(&other))
                fault << " the other window was not active";
            other.close();
            if (!PelmoraTest::activateForTyping(window.get()))
                fault << " the window was not active again";
            break;
        }
        case Away::Count: break;
        }
        if (closes) {
            const bool open = window->isVisible();
            if (!open)
                takeBackQuit();
            if (open)
                fault << " the window stayed open";
            // Save writes the draft (and the other change); Close writes nothing.
            const std::string saved = fileLine(r);
            if (answer == QMessageBox::Save && saved.find(r.written) == std::string::npos)
                fault << " the file holds " << saved;
            if (answer == QMessageBox::Close && saved != savedBefore)
                fault << " the file holds " << saved << " after Close";
            stopLoadWindow();
            return fault.str();
        }
        if (!window->isVisible()) {
            takeBackQuit();
            stopLoadWindow();
            return fault.str() + " the window closed";
        }
        // Still a draft: in its editor as typed (the cursor where it was), with the
        // keyboard, nothing written; Escape then puts the stored value back.
        f = field(r);
        if (!f || f->text() != after)
            fault << " the editor holds " << (f ? f->text().toStdString() : "nothing") << ", not " << after.toStdString();
        else if (!keyboardIn(r))
            fault << " the keyboard is not in the editor";
        else if (away != Away::HandOver && away != Away::HandOverModel && away != Away::ResumeHandOver
                 && f->cursorPosition() != cursor)
            fault << " the cursor moved to " << f->cursorPosition();
        if (projectLine(r) != storedBefore)
            fault << " written: " << projectLine(r);
        if (!changed && (project->is_modified() || app->get_project(project)->getDirty()) != modifiedBefore)
            fault << " the project is marked changed (" << project->is_modified() << app->get_project(project)->getDirty() << ")";
        if (fileLine(r) != savedBefore)
            fault << " the file holds " << fileLine(r);
        press(Qt::Key_Escape);
        if (projectLine(r) != storedBefore)
            fault << " written by Escape: " << projectLine(r);
        f = field(r);
        if (f && f->text() == after)
            fault << " Escape left the draft";
        stopLoadWindow();
        return fault.str();
    }

    QTemporaryDir dir;
    QString file;
    unsigned loadId = 0;
    Gui::PropertyOperator::PropertyOperator* tree = nullptr;
};

} // namespace

TEST_F(DraftRuleTable, ADraftIsWrittenOrDroppedOnlyByTheUser)
{
    int cells = 0;
    for (int k = 0; k < 5; ++k) {
        for (int a = 0; a < static_cast<int>(Away::Count); ++a) {
            const Away away = static_cast<Away>(a);
            const bool asks = quitting(away) || resuming(away);
            for (const bool changed : {false, true}) {
                for (const auto answer : {QMessageBox::Save, QMessageBox::Close, QMessageBox::Cancel}) {
                    if ((!quitting(away) && changed) || (!asks && answer != QMessageBox::Cancel))
                        continue;
                    const std::string fault = cell(rows[k], away, changed, answer);
                    ++cells;
                    EXPECT_EQ("", fault) << kindNames[k] << " | " << awayNames[a]
                                         << (quitting(away) ? (changed ? " | changed" : " | unchanged") : "")
                                         << (!asks ? ""
                                             : answer == QMessageBox::Save ? " | Save"
                                             : answer == QMessageBox::Close ? " | Close"
                                                                              : " | Cancel");
                }
            }
        }
    }
    EXPECT_EQ(cells, 5 * (3 * 6 + 5 + 3 * 3));
}
