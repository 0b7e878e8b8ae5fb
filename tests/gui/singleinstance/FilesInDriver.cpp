// A running instance for the table of files coming in: the whole start-up under the host's
// server name, a window state set up first, then commands read from standard input, one
// a line, each answered on standard output:
//   filesin_driver STATE       STATE: idle, modified (a changed project), close-question
//                              (its question held open), quitting (the close went through,
//                              the loop not yet left), save-as (the Save As dialog held
//                              open), undocked (a project whose 3D view is undocked),
//                              undocked-modified (the same, changed), answer-held (a
//                              changed project; the question whether to replace it is
//                              held open, "held" once it shows, so a second start
//                              hears no answer), resume-question / resume-save-question
//                              (a changed project, and a project file opened over it by
//                              Ctrl+O: its question whether to replace what is open, or
//                              the one about saving that follows, held open),
//                              tab-close-question (a changed project's tab closing, its
//                              question about saving held open), refusal-held (the first
//                              box of refused files is held open, "held" once it shows)
//   drop HEX / open HEX        the file (its name's bytes in hex) dropped on the window, or
//                              chosen in the Open dialog of Ctrl+O; "done"
//   closeall                   the Close All command; "done"
//   release                    lets go of what the state holds open (the close question is
//                              answered Cancel, the dialog cancelled); "done"
//   report                     "report projects=NAMES objects=N modified=0|1 undocked=N
//                              boxes=TITLE: TEXT|...", the project names in hex, and
//                              forgets the boxes seen; a box whose texts would be taken
//                              as markup ends in " [markup]"
// Boxes are answered as a user who keeps what is open: "Remove existing projects" Yes,
// then the question about saving Cancel; a refusal Ok.

#include <support/ApplicationRun.h>
#include <support/ProjectFileSeal.h>

#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

std::string state;
QStringList boxes;
bool holdCloseQuestion = false;  // the close question is held open
bool holdRemoveQuestion = false;  // the question whether to replace what is open is held
bool holdRefusal = false;  // the first box of refused files is held
QEventLoop* held = nullptr;  // the loop that holds it, for release

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The box on screen, noted once.
bool isHeld(const QMessageBox* box)
{
    const QString title = box->windowTitle();
    return (holdCloseQuestion && title == QLatin1String("Close Project")) ||
           (holdRemoveQuestion && title == QLatin1String("Remove existing projects")) ||
           (holdRefusal && title == QLatin1String("Failed to open") && box->property("held").toBool());
}

QMessageBox* noteBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box && !box->property("seen").toBool()) {
        box->setProperty("seen", true);
        QString seen = box->windowTitle() + QStringLiteral(": ") + box->text() + QLatin1Char(' ') + box->informativeText();
        if (box->windowTitle() == QLatin1String("Failed to open")) {
            for (const QLabel* label : box->findChildren<QLabel*>())
                if (!label->text().isEmpty() && label->textFormat() != Qt::PlainText)
                    seen += QStringLiteral(" [markup]");
            // The first one only.
            static int refusalBoxes = 0;
            box->setProperty("held", holdRefusal && refusalBoxes++ == 0);
        }
        boxes << seen;
        if (isHeld(box))
            say("held");
    }
    return box;
}

void answerBoxes()
{
    if (QMessageBox* box = noteBox()) {
        const bool hold = isHeld(box);
        if (!hold) {
            QMessageBox::StandardButton answer = QMessageBox::Ok;
            if (box->windowTitle() == QLatin1String("Remove existing projects"))
                answer = QMessageBox::Yes;
            else if (box->windowTitle() == QLatin1String("Close Project"))
                answer = QMessageBox::Cancel;
            if (QAbstractButton* button = box->button(answer))
                button->click();
            else
                box->reject();
        }
    }
    QTimer::singleShot(20, answerBoxes);
}

Gui::MainWindow* window()
{
    return Gui::MainWindow::get_main_window_inst();
}

void makeChangedProject()
{
    Obj::Project* project = Obj::Application::instance().create_project("Work", "Work");
    project->set_modified(true);
}

void dropFile(const QByteArray& name)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QFile::decodeName(name))});
    // Where the window takes the drag, it takes the drop (the view and the tree pass both
    // on to it); a drag it refuses ends with nothing dropped.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window(), &enter);
    if (!enter.isAccepted()) {
        boxes << QStringLiteral("drag refused");
        return;
    }
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window(), &drop);
}

void openFile(const QByteArray& name)
{
    Gui::FileDialog::Backend backend;
    backend.openFileNames = [name](QWidget*, const QString&, const QString&, const QString&, QString*,
                                   QFileDialog::Options) { return QStringList{QFile::decodeName(name)}; };
    const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
    Gui::qPelmoraApplication::application()->get_command_manager().run_command_by_name("Std_Open");
    Gui::FileDialog::setBackend(previous);
}

void report()
{
    noteBox();   // one shown just now, before the next look
    int modified = 0;
    std::size_t objects = 0;
    QByteArrayList names;
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        modified = modified || project->is_modified();
        objects += project->get_num_objects();
        names << QByteArray(project->get_name()).toHex();
    }
    say("report projects=" + names.join(',') + " objects=" + QByteArray::number(static_cast<qulonglong>(objects)) +
        " modified=" + QByteArray::number(modified) +
        " undocked=" + QByteArray::number(Gui::MDIWindow::undockedViewCount()) + " boxes=" +
        boxes.join(QLatin1Char('|')).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8());
    boxes.clear();
}

void command(const QByteArray& line)
{
    const int space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    const QByteArray argument = space < 0 ? QByteArray() : QByteArray::fromHex(line.mid(space + 1));
    if (word == "drop")
        dropFile(argument);
    else if (word == "open")
        openFile(argument);
    else if (word == "closeall")
        Gui::qPelmoraApplication::application()->get_command_manager().run_command_by_name("Std_CloseAllWnds");
    else if (word == "report")
        return report();
    else if (word == "release") {
        holdCloseQuestion = false;
        holdRemoveQuestion = false;
        holdRefusal = false;
        if (held)
            held->quit();
    }
    say("done");
}

void readCommands()
{
    static QByteArray pending;
    char buffer[4096];
    const ssize_t n = ::read(0, buffer, sizeof buffer);
    if (n <= 0) {
        QCoreApplication::exit(0);
        return;
    }
    pending.append(buffer, static_cast<int>(n));
    for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        const QByteArray line = pending.left(end);
        pending.remove(0, end + 1);
        command(line);
    }
}

// Holds a loop of its own until "release": the nested loop a dialog runs.
void holdOpen()
{
    QEventLoop loop;
    held = &loop;
    say("held");
    loop.exec();
    held = nullptr;
}

void onLoop()
{
    answerBoxes();
    auto* notifier = new QSocketNotifier(0, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { readCommands(); });

    if (state == "refusal-held")
        holdRefusal = true;
    if (state == "modified" || state == "answer-held") {
        makeChangedProject();
        holdRemoveQuestion = state == "answer-held";
    }
    else if (state == "close-question") {
        makeChangedProject();
        holdCloseQuestion = true;
        QTimer::singleShot(0, [] { window()->close(); });
    }
    else if (state == "tab-close-question") {
        // A changed project's tab closes: its question whether to save is held open.
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        holdCloseQuestion = true;
        QTimer::singleShot(0, [] {
            if (Gui::MDIWindow* view = window()->activeWindow()) {
                view->getAppProject()->set_modified(true);
                view->close();
            }
        });
    }
    else if (state == "quitting") {
        // Closed for good; the loop is left once the state is released.
        QObject::connect(window(), &Gui::MainWindow::mainWindowClosed, [] { holdOpen(); });
        QTimer::singleShot(0, [] { window()->close(); });
    }
    else if (state == "save-as") {
        makeChangedProject();
        Gui::FileDialog::Backend backend;
        backend.saveFileName = [](QWidget*, const QString&, const QString&, const QString&, QString*,
                                  QFileDialog::Options) {
            holdOpen();
            return QString();
        };
        Gui::FileDialog::setBackend(backend);
        QTimer::singleShot(0, [] { Gui::qPelmoraApplication::application()->save_as(); });
    }
    else if (state == "resume-question" || state == "resume-save-question") {
        makeChangedProject();
        holdRemoveQuestion = state == "resume-question";
        holdCloseQuestion = state == "resume-save-question";
        static QTemporaryDir folder;
        const QString name = folder.filePath(QStringLiteral("resumed.pmdb"));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly))
            file.write(PelmoraTest::sealedProjectFile(
                "PELMORA PROJECT FILE\nversion\t1\ncurrent\tStudy\nproject\tStudy\t1\tGui::ViewFeederProject\n"));
        file.close();
        QTimer::singleShot(0, [name] { openFile(QFile::encodeName(name)); });
        return;
    }
    else if (state == "undocked" || state == "undocked-modified") {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        QTimer::singleShot(0, [] {
            if (Gui::MDIWindow* view = window()->activeWindow()) {
                view->setCurrentViewMode(Gui::MDIWindow::TopLevel);
                if (state == "undocked-modified")
                    view->getAppProject()->set_modified(true);
            }
            say("ready");
        });
        return;
    }
    if (state != "close-question" && state != "tab-close-question" && state != "quitting" && state != "save-as")
        say("ready");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: filesin_driver STATE\n");
        return 2;
    }
    state = argv[1];
    auto config = PelmoraTest::hostConfiguration("pelmora");
    config["Verbose"] = "Strict";
    return PelmoraTest::runApplication(config, {argv[0]}, onLoop);
}
