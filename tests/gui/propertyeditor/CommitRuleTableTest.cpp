// When an edit in the property panel reaches the project, as a table: every kind of row x
// every way into it (the value of a row already current too, whose drop-down then shows its
// list) x every key a user presses there, then Escape, Enter, a file handed over by a
// second start or quitting (Alt+F4, Cancel on the question) (and then F2 and Escape), with real key, mouse and wheel events in the panel
// of the real main window.  One check for each cell: the project, the saved file and the
// modified mark change exactly when the user commits (Enter, Tab, Shift+Tab, a command),
// only in the row edited, and Escape leaves them as they were; a hand-over leaves the draft
// and the keyboard where they were, and so does quitting cancelled.  A step of a spin box starts from the value its text
// stands for, or from the stored value when the text is refused.

#include "PropertyEditorTestSupport.h"

#include <commands/SimModule.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <propertyeditor/QuantitySpinBox.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/GeometryObject.h>
#include <obj/LoadObject.h>
#include <obj/ProjectFile.h>
#include <obj/PropertyQuantity.h>
#include <obj/PropertyRange.h>
#include <pmmsg/Message.h>
#include <support/PropertyRows.h>
#include <support/HangGuard.h>
#include <support/ModalCloser.h>
#include <support/WindowFocus.h>

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <cmath>
#include <functional>
#include <sstream>

using Gui::PropertyOperator::PropertyOperator;

namespace {

enum class Kind { Quantity, Component, Text, Integer, TrueFalse, Choice, LoadQuantity, ValueType };
enum class Way { ClickName, ClickValue, Enter, Arrival, TabArrival, F2, DoubleClick, LetterOnList, ValueOfCurrent };
enum class Key { Up, Down, PageUp, PageDown, WheelOnValue, WheelOnOther, Letter, Digit, Backspace, Delete,
                 Escape, Enter, Tab, ShiftTab, Dialog, Save, HandOver, Quit };

const char* const kindNames[] = {"quantity", "vector component", "text", "integer", "True/False", "choice",
                                 "load quantity", "load value type"};
const char* const wayNames[] = {"click on name", "click on value", "Enter", "Up/Down arrival", "Tab arrival",
                                "F2", "double-click", "letter on list", "click on the current row's value"};
const char* const keyNames[] = {"Up", "Down", "PgUp", "PgDn", "wheel on value", "wheel on another row", "letter",
                                "digit", "Backspace", "Delete", "Escape", "Enter", "Tab", "Shift+Tab",
                                "dialog", "Ctrl+S", "a second start hands a file over",
                                "Alt+F4, Cancel on the question"};

const char* const choices[] = {"Linear", "Quadratic", "Cubic", nullptr};

bool isSpin(Kind k)
{
    return k == Kind::Quantity || k == Kind::Component || k == Kind::Integer || k == Kind::LoadQuantity;
}

bool takesTyping(Kind k)
{
    return k != Kind::ValueType;
}

bool commits(Key k)
{
    return k == Key::Enter || k == Key::Tab || k == Key::ShiftTab || k == Key::Dialog || k == Key::Save;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

class CommitRuleTable : public ::testing::TestWithParam<Kind>, protected PropertyEditorTest::LoadWindow
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_NO_FATAL_FAILURE(startLoadWindow("MMKS"));
        window->resize(1200, 1000);
        load->set_label("Force");
        load->Thickness->set_value(1.5);
        load->Magnitude->set_value(1.5);
        choice = static_cast<Obj::PropertyEnumType*>(load->add_property("Obj::PropertyEnumType", "Order"));
        ASSERT_TRUE(choice);
        choice->set_enums(const_cast<const char**>(choices));
        choice->set_value(static_cast<long>(0));
        if (GetParam() == Kind::ValueType)
            load->Magnitude->setLoadValueType(Obj::LoadTabular);
        ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
        Gui::DockingWindowItems layout;
        layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
        layout.add_docking_widget("Std_PropertyView", Qt::LeftDockWidgetArea, true, false);
        Gui::DockingWindowMediator::instance()->setup(&layout);
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView")
                   ->findChild<Gui::PropertyView*>()->dataTree();
        Gui::TreeSelectionSingleton::instance().set_selection(
            "P", {GetParam() == Kind::TrueFalse ? static_cast<Obj::ProjectObject*>(geometry) : load});
        file = QDir(dir.path()).filePath(QString::fromUtf8("rule t\xc3\xa4" "ble v1.2.pmdb"));
        ASSERT_TRUE(logic->app().save_as_file(1, QFile::encodeName(file).constData())) << logic->app().last_file_error();
        if (GetParam() == Kind::Component) {
            tree->expand(row("Spatial Parameters"));
            tree->expand(row("Origin", row("Spatial Parameters")));
        }
        ASSERT_TRUE(target().isValid());
        ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
        opening = stored();
        openingProject = lines(Obj::ProjectFile::write(logic->app().get_projects(), project));
        savedValue = opening;
    }
    void TearDown() override { stopLoadWindow(); }

    // The name cell of a row, looked up each time.
    QModelIndex row(const char* name, const QModelIndex& parent = {}) const
    {
        return PelmoraTest::propertyRow(*tree->propertyModel(), name, parent);
    }
    QModelIndex target() const
    {
        switch (GetParam()) {
        case Kind::Quantity: return row("Thickness");
        case Kind::Component: return row("x", row("Origin", row("Spatial Parameters")));
        case Kind::Text: return row("Label");
        case Kind::Integer: return row("Steps");
        case Kind::TrueFalse: return row("Suppressed");
        case Kind::Choice: return row("Order");
        case Kind::LoadQuantity:
        case Kind::ValueType: return row("Magnitude");
        }
        return {};
    }
    // The name of the property the target row writes, as the project file names it.
    std::string propertyName() const
    {
        switch (GetParam()) {
        case Kind::Quantity: return "Thickness";
        case Kind::Component: return "Spatial Parameters";
        case Kind::Text: return "Label";
        case Kind::Integer: return "Steps";
        case Kind::TrueFalse: return "Suppressed";
        case Kind::Choice: return "Order";
        default: return "Magnitude";
        }
    }
    static QString number(double v) { return QString::number(v, 'g', 15); }
    static double in(const pmUnit::Quantity& q, pmUnit::UnitType unit)
    {
        pmUnit::Quantity c;
        return q.convertTo(unit, c) ? c.getValue() : std::nan("");
    }
    // The target row's value in the project.
    QString stored() const
    {
        switch (GetParam()) {
        case Kind::Quantity: return number(in(load->Thickness->getQuantityValue(), pmUnit::Millimeter));
        case Kind::Component: return number(load->SpatialParameters->get_value().getPosition().x);
        case Kind::Text: return QString::fromUtf8(load->get_label());
        case Kind::Integer: return number(static_cast<double>(load->Steps->get_value()));
        case Kind::TrueFalse: return geometry->Suppressed->get_value() ? "True" : "False";
        case Kind::Choice: return QString::fromUtf8(choices[choice->get_value()]);
        case Kind::LoadQuantity: return number(load->Magnitude->get_value());
        case Kind::ValueType: return number(load->Magnitude->getLoadValueType());
        }
        return {};
    }
    QWidget* editor() const { return tree->indexWidget(target().siblingAtColumn(1)); }
    // The field of the editor the user types into or chooses from.
    QWidget* field() const
    {
        QWidget* e = editor();
        if (!e)
            return nullptr;
        if (auto* box = qobject_cast<QAbstractSpinBox*>(e))
            return box;
        if (auto* box = e->findChild<QAbstractSpinBox*>())
            return box;
        if (qobject_cast<QLineEdit*>(e) || qobject_cast<QComboBox*>(e))
            return e;
        return nullptr;
    }
    // What the target row's editor holds, as `stored` gives it; a null text for a text
    // refused.
    QString draft() const
    {
        QWidget* f = field();
        if (auto* box = qobject_cast<Gui::QuantitySpinBox*>(f)) {
            if (!box->hasValidInput())
                return QString();
            return number(in(box->value(), GetParam() == Kind::LoadQuantity ? pmUnit::Newton : pmUnit::Millimeter));
        }
        if (auto* box = qobject_cast<QSpinBox*>(f))
            return number(box->value());
        if (auto* line = qobject_cast<QLineEdit*>(f))
            return line->text().isNull() ? QStringLiteral("") : line->text();
        if (auto* combo = qobject_cast<QComboBox*>(f))
            return openList() ? openList()->currentIndex().data().toString() : combo->currentText();
        return stored();
    }
    // The list the target's drop-down shows, while it is open: what Enter would pick is
    // the draft.
    QAbstractItemView* openList() const
    {
        auto* combo = qobject_cast<QComboBox*>(field());
        return combo && combo->view()->isVisible() ? combo->view() : nullptr;
    }
    bool keyboardInEditor() const
    {
        QWidget* e = editor();
        for (QWidget* w = QApplication::focusWidget(); w && e; w = w->parentWidget()) {
            if (w == e)
                return true;
        }
        return false;
    }
    // The lines of the project, and of the saved file, that are not the target row's.
    std::vector<std::string> others(const std::vector<std::string>& all) const
    {
        std::vector<std::string> out;
        const std::string mark = "\t" + propertyName() + "\t";
        for (const std::string& l : all) {
            if (l.find(mark) != std::string::npos || l.rfind("end\t", 0) == 0)
                continue;   // the target's record, and the checksum over all records
            if (GetParam() == Kind::TrueFalse && l.rfind("object\t", 0) == 0 && l.find("\tPlate\t") != std::string::npos)
                continue;   // the object's own record carries its suppression too
            out.push_back(l);
        }
        return out;
    }
    std::string fileText() const
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll().toStdString();
    }
    // The target's value as the saved file has it.
    std::string savedLine() const
    {
        const std::string mark = "\t" + propertyName() + "\t";
        for (const std::string& l : lines(fileText())) {
            if (l.rfind("prop\t", 0) == 0 && l.find(mark) != std::string::npos)
                return l;
        }
        return {};
    }
    std::string projectLine() const
    {
        const std::string mark = "\t" + propertyName() + "\t";
        for (const std::string& l : lines(Obj::ProjectFile::write(logic->app().get_projects(), project))) {
            if (l.rfind("prop\t", 0) == 0 && l.find(mark) != std::string::npos)
                return l;
        }
        return {};
    }

    // Where a mouse event at `at` (in the viewport) lands: the deepest widget there.
    QWidget* under(const QPoint& at, QPoint& local) const
    {
        QWidget* w = tree->viewport()->childAt(at);
        if (!w)
            w = tree->viewport();
        local = w->mapFrom(tree->viewport(), at);
        return w;
    }
    QPoint centre(const QModelIndex& i, int column) const
    {
        tree->scrollTo(i);
        return tree->visualRect(i.siblingAtColumn(column)).center();
    }
    void click(const QModelIndex& i, int column)
    {
        QPoint local;
        QWidget* w = under(centre(i, column), local);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, local);
    }
    // Press, release, double-click, release on the rows' area, as a row not current
    // receives them.
    void doubleClick(const QModelIndex& i, int column)
    {
        const QPoint at = centre(i, column);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    // One notch up, as the wheel sends it to the widget under the pointer.
    void wheel(const QModelIndex& i)
    {
        QPoint local;
        QWidget* w = under(centre(i, 1), local);
        QWheelEvent e(QPointF(local), QPointF(w->mapToGlobal(local)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(w, &e);
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* w = QApplication::focusWidget();
        if (w)
            QTest::keyClick(w, key, modifiers);
    }
    static void type(const QString& text)
    {
        if (QWidget* w = QApplication::focusWidget())
            QTest::keyClicks(w, text);
    }
    QString letter() const
    {
        switch (GetParam()) {
        case Kind::TrueFalse: return QStringLiteral("t");
        case Kind::Choice: return QStringLiteral("q");
        default: return QStringLiteral("k");
        }
    }
    // A row that holds a value next to the target, above it when there is one.
    QModelIndex neighbour(bool above) const
    {
        QModelIndex at = target();
        do {
            at = above ? tree->indexAbove(at) : tree->indexBelow(at);
            auto* item = at.isValid() ? static_cast<Gui::PropertyOperator::PropertyItem*>(
                                            tree->propertyModel()->index(at.row(), 1, at.parent()).internalPointer())
                                      : nullptr;
            if (!item || !item->isSeparator())
                break;
        } while (at.isValid());
        return at;
    }

    void wayIn(Way way)
    {
        switch (way) {
        case Way::ClickName: click(target(), 0); break;
        case Way::ClickValue: click(target(), 1); break;
        case Way::Enter:
            click(target(), 1);
            press(Qt::Key_Return);
            break;
        case Way::Arrival: {
            const QModelIndex above = tree->indexAbove(target());
            click(above.isValid() ? above : tree->indexBelow(target()), 0);
            press(above.isValid() ? Qt::Key_Down : Qt::Key_Up);
            break;
        }
        case Way::TabArrival: {
            const QModelIndex before = neighbour(true);
            click(before.isValid() ? before : neighbour(false), 0);
            press(Qt::Key_Tab, before.isValid() ? Qt::NoModifier : Qt::ShiftModifier);
            break;
        }
        case Way::F2:
            click(target(), 0);
            press(Qt::Key_F2);
            break;
        case Way::DoubleClick: doubleClick(target(), 1); break;
        case Way::LetterOnList:
            click(target(), 0);
            type(letter());
            break;
        case Way::ValueOfCurrent:
            click(target(), 0);
            click(target(), 1);
            break;
        }
    }
    // Where the keyboard is meant to be after the way in.
    bool editsAfter(Way way) const
    {
        if (!takesTyping(GetParam()))
            return false;
        return way == Way::ClickValue || way == Way::F2 || way == Way::DoubleClick || way == Way::LetterOnList
            || way == Way::ValueOfCurrent;
    }
    // Whether the last escapeNextDialog() closed a dialog.
    bool dialogEscaped = false;
    void escapeNextDialog()
    {
        dialogEscaped = false;
        QTimer::singleShot(0, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            dialogEscaped = true;
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->window() == dialog ? focus : dialog, Qt::Key_Escape);
        });
    }
    // After a dialog or question closed: the window is given back the keyboard.
    void waitUntilActive()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }, PelmoraTest::HangGuardMs))
            << "the window was not active again after its dialog closed";
    }
    void act(Key key)
    {
        switch (key) {
        case Key::Up: press(Qt::Key_Up); break;
        case Key::Down: press(Qt::Key_Down); break;
        case Key::PageUp: press(Qt::Key_PageUp); break;
        case Key::PageDown: press(Qt::Key_PageDown); break;
        case Key::WheelOnValue: wheel(target()); break;
        case Key::WheelOnOther: wheel(neighbour(false).isValid() ? neighbour(false) : neighbour(true)); break;
        case Key::Letter: type(letter()); break;
        case Key::Digit: type(QStringLiteral("7")); break;
        case Key::Backspace: press(Qt::Key_Backspace); break;
        case Key::Delete: press(Qt::Key_Delete); break;
        case Key::Escape: press(Qt::Key_Escape); break;
        case Key::Enter: press(Qt::Key_Return); break;
        case Key::Tab: press(Qt::Key_Tab); break;
        case Key::ShiftTab: press(Qt::Key_Tab, Qt::ShiftModifier); break;
        case Key::Dialog: {
            escapeNextDialog();
            press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
            // The keys go on once the window is active again (the keyboard then goes back
            // where it was, which the cell checks).
            if (dialogEscaped)
                waitUntilActive();
            // Where no dialog opened (an open list holds the keys), the Escape meant for it
            // goes now, not to a box a later key opens.
            QCoreApplication::processEvents();
            break;
        }
        case Key::Save: press(Qt::Key_S, Qt::ControlModifier); break;
        case Key::HandOver: {
            // The project's own file, handed over: the question whether to close the open
            // projects is answered No.
            PelmoraTest::ModalCloser closer(QMessageBox::No, 1);
            window->processMessages({"OpenFile:" + QFile::encodeName(file)});
            handOverQuestions = closer.titles();
            // The window is active again once the question is answered.
            if (!handOverQuestions.isEmpty())
                waitUntilActive();
            break;
        }
        case Key::Quit: {
            // The view marked changed, the window asks whether to save the projects even
            // where nothing was written; Cancel.
            Gui::GuiProject* view = app->get_project(project);
            const bool dirty = view->getDirty();
            view->setDirty(true);
            PelmoraTest::ModalCloser closer(QMessageBox::Cancel, 1);
            press(Qt::Key_F4, Qt::AltModifier);
            quitQuestions = closer.titles();
            view->setDirty(dirty);
            if (!quitQuestions.isEmpty())
                waitUntilActive();
            break;
        }
        }
    }
    // The step a key makes in a spin box: +1 or -1, ten of them for the page keys.
    static int stepOf(Key key)
    {
        switch (key) {
        case Key::Up:
        case Key::WheelOnValue: return 1;
        case Key::Down: return -1;
        case Key::PageUp: return 10;
        case Key::PageDown: return -10;
        default: return 0;
        }
    }

    // Puts everything back as the cell found it: no draft, the opening value stored and
    // saved, no row current, the list with the keyboard.
    void reset()
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        if (keyboardInEditor())
            press(Qt::Key_Escape);
        tree->setCurrentIndex(QModelIndex());
        if (stored() != opening || project->is_modified() || savedLine() != savedOpening) {
            restore();
            ASSERT_TRUE(logic->app().save_as_file(1, QFile::encodeName(file).constData()));
        }
        savedValue = opening;
        tree->setFocus();
        window->statusBar()->clearMessage();
    }
    void restore()
    {
        switch (GetParam()) {
        case Kind::Quantity: load->Thickness->set_value(1.5); break;
        case Kind::Component: {
            auto placement = load->SpatialParameters->get_value();
            placement.setPosition(Vexil::Vector3d(0, 0, 0));
            load->SpatialParameters->set_value(placement);
            break;
        }
        case Kind::Text: load->set_label("Force"); break;
        case Kind::Integer: load->Steps->set_value(1); break;
        case Kind::TrueFalse: geometry->Suppressed->set_value(false); break;
        case Kind::Choice: choice->set_value(static_cast<long>(0)); break;
        case Kind::LoadQuantity: load->Magnitude->set_value(1.5); break;
        case Kind::ValueType: load->Magnitude->setLoadValueType(Obj::LoadTabular); break;
        }
    }

    // Runs one cell; empty when the rule holds in it, else what went wrong.
    std::string cell(Way way, Key key, Key closing)
    {
        reset();
        const std::string fileBefore = fileText();
        std::string fault;
        const auto check = [&](const char* when, const QString& wantStored, bool wantModified, const QString& wantSaved) {
            std::ostringstream why;
            if (stored() != wantStored)
                why << " value " << stored().toStdString() << " (expected " << wantStored.toStdString() << ")";
            if (project->is_modified() != wantModified)
                why << " modified mark " << project->is_modified();
            const std::vector<std::string> now = others(lines(Obj::ProjectFile::write(logic->app().get_projects(), project)));
            const std::vector<std::string> then = others(openingProject);
            if (now != then) {
                why << " another row changed:";
                for (std::size_t i = 0; i < std::min(now.size(), then.size()); ++i) {
                    if (now[i] != then[i]) {
                        why << " " << now[i] << " was " << then[i];
                        break;
                    }
                }
            }
            if (others(lines(fileText())) != others(lines(fileBefore)))
                why << " another row of the file changed";
            if (wantSaved == wantStored && savedLine() != projectLine())
                why << " file holds " << savedLine() << " not " << projectLine();
            if (wantSaved != wantStored && savedLine() != savedOpening && wantSaved == opening)
                why << " file changed to " << savedLine();
            if (!why.str().empty() && fault.empty())
                fault = std::string(" after ") + when + ":" + why.str();
        };
        wayIn(way);
        bool editing = editsAfter(way);
        QString want = opening;
        bool modified = false;
        QString saved = opening;
        check("the way in", want, modified, saved);
        for (Key k : {key, closing}) {
            const QString draftBefore = editing ? draft() : QString();
            const QString base = editing && !draftBefore.isNull() ? draftBefore : stored();
            // A question a hand-over asks closes an open drop-down list without a pick.
            const QString heldBefore = openList() ? qobject_cast<QComboBox*>(field())->currentText() : draftBefore;
            act(k);
            if (editing && commits(k)) {
                if (!draftBefore.isNull() && draftBefore != want) {
                    want = draftBefore;
                    modified = true;
                }
                // Enter, Tab and Shift+Tab on a refused text leave it for the user to mend.
                const bool refused = draftBefore.isNull();
                if (k != Key::Dialog && k != Key::Save && !refused)
                    editing = false;
            } else if (editing && k == Key::Escape) {
                editing = false;
                if (draft() != stored() && fault.empty())
                    fault = " after Escape: the editor shows " + draft().toStdString();
            } else if (!editing && takesTyping(GetParam()) && (k == Key::Letter || k == Key::Digit)) {
                editing = true;   // a key on the list opens the row with that key
            } else if (editing && isSpin(GetParam()) && stepOf(k) != 0 && fault.empty()) {
                double expected = base.toDouble() + stepOf(k);
                if (GetParam() == Kind::Integer)
                    expected = std::max(1.0, std::min(100.0, expected));
                if (draft() != number(expected))
                    fault = std::string(" after ") + keyNames[static_cast<int>(k)] + ": the step gives "
                        + draft().toStdString() + ", not " + number(expected).toStdString() + " from "
                        + base.toStdString();
            }
            if (k == Key::HandOver && fault.empty()) {
                // A hand-over ends no edit: the draft stays as it was.
                if (handOverQuestions != QStringList{"Remove existing projects"})
                    fault = " the hand-over asked " + handOverQuestions.join(", ").toStdString();
                else if (editing && draft() != heldBefore)
                    fault = " after the hand-over the editor shows " + draft().toStdString() + ", not "
                        + heldBefore.toStdString();
            }
            if (k == Key::Quit && fault.empty()) {
                // Quitting writes no draft: on Cancel it stays as it was.
                if (quitQuestions != QStringList{"Close Project"} || !window->isVisible())
                    fault = " quitting asked " + quitQuestions.join(", ").toStdString();
                else if (editing && draft() != heldBefore)
                    fault = " after Cancel on quitting the editor shows " + draft().toStdString() + ", not "
                        + heldBefore.toStdString();
            }
            if (k == Key::Save) {
                saved = want;
                modified = false;
            }
            check(keyNames[static_cast<int>(k)], want, modified, saved);
            if (editing != keyboardInEditor() && fault.empty())
                fault = std::string(" after ") + keyNames[static_cast<int>(k)] + ": the keyboard is "
                    + (keyboardInEditor() ? "in the editor" : "not in the editor");
        }
        // F2 opens the current row with its whole text selected, every time; Escape leaves
        // everything as it was.
        if (fault.empty() && takesTyping(GetParam())) {
            press(Qt::Key_F2);
            QWidget* opened = tree->indexWidget(tree->currentIndex().siblingAtColumn(1));
            auto* line = opened ? qobject_cast<QLineEdit*>(opened) : nullptr;
            if (opened && !line && !qobject_cast<QComboBox*>(opened))
                line = opened->findChild<QLineEdit*>();
            if (line && !line->isReadOnly() && line->hasFocus() && line->selectedText() != line->text())
                fault = " after F2: \"" + line->selectedText().toStdString() + "\" of \"" + line->text().toStdString()
                    + "\" selected";
            press(Qt::Key_Escape);
            check("F2, Escape", want, modified, saved);
        }
        return fault;
    }

    QTemporaryDir dir;
    QString file;
    QStringList handOverQuestions;
    QStringList quitQuestions;
    Obj::PropertyEnumType* choice = nullptr;
    PropertyOperator* tree = nullptr;
    QString opening;
    QString savedValue;
    std::string savedOpening;
    std::vector<std::string> openingProject;
};

TEST_P(CommitRuleTable, AValueChangesOnlyWhenTheUserCommitsItAndOnlyInTheRowEdited)
{
    savedOpening = savedLine();
    ASSERT_FALSE(savedOpening.empty());
    int cells = 0;
    for (int w = 0; w <= static_cast<int>(Way::ValueOfCurrent); ++w) {
        for (int k = 0; k <= static_cast<int>(Key::Save); ++k) {
            for (Key closing : {Key::Escape, Key::Enter, Key::HandOver, Key::Quit}) {
                const std::string fault = cell(static_cast<Way>(w), static_cast<Key>(k), closing);
                ++cells;
                EXPECT_EQ("", fault) << kindNames[static_cast<int>(GetParam())] << " | " << wayNames[w] << " | "
                                     << keyNames[k] << ", " << keyNames[static_cast<int>(closing)];
            }
        }
    }
    EXPECT_EQ(9 * 16 * 4, cells);
}

std::string kindName(const ::testing::TestParamInfo<Kind>& info)
{
    const char* const names[] = {"Quantity", "VectorComponent", "Text", "Integer", "TrueFalse",
                                 "Choice", "LoadQuantity", "LoadValueType"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryKindOfRow, CommitRuleTable,
                         ::testing::Values(Kind::Quantity, Kind::Component, Kind::Text, Kind::Integer,
                                           Kind::TrueFalse, Kind::Choice, Kind::LoadQuantity, Kind::ValueType),
                         kindName);

} // namespace
