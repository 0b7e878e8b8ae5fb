// Every box and label that shows a name from outside (a file's name or content, a message, the
// command line) shows it as plain text, in the printable form the Output writes: one
// table of the sites x hostile names.

#include <gui/startup/HostileTexts.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>

#include <core/GUIApplication.h>
#include <core/GuiProject.h>
#include <core/PrintableText.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/SplashScreen.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/LinkLabel.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>
#include <vexil/MsgConsole.h>

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTabBar>
#include <QSplashScreen>
#include <QTextDocument>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <vector>

namespace {

// What a label shows, and whether it shows it as written (as plain text).
struct Shown
{
    QString text;
    bool plain;
};

// A rich label's text as the user reads it: what a name's markup leaves there.
Shown rendered(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return {text, true};
    QTextDocument document;
    document.setHtml(text);
    return {document.toPlainText(), true};
}

struct Site
{
    const char* name;
    // Shows the box or label about the file `path` (its bytes); a label's text is given back,
    // a box's is read by the closer.
    std::function<std::optional<Shown>(Gui::MainWindow&, Gui::qPelmoraApplication&, const QByteArray& path)> show;
};

// The last part of `path`: a label or project name made from it.
QByteArray baseName(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray damaged(const QByteArray& path)
{
    QFile f(QFile::decodeName(path));
    if (f.open(QIODevice::WriteOnly))
        f.write("PELMORA PROJECT FILE\ngarbage\n");
    return path;
}

// A batch handed over: its refusals are shown once it is dealt with.
void handOver(Gui::MainWindow& w, const QByteArray& message)
{
    w.processMessages({message});
    QCoreApplication::sendPostedEvents(&w, QEvent::MetaCall);
}

const std::vector<Site>& sites()
{
    static const std::vector<Site> all = {
        {"hand-over of a missing file",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) -> std::optional<Shown> {
             handOver(w, "OpenFile:" + p + ".stl");
             return std::nullopt;
         }},
        {"refusal of a second start",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) -> std::optional<Shown> {
             handOver(w, Gui::GUISingleApplication::RefusedFilePrefix + p + ".stl" + '\0' + "Cannot open " + p +
                             ".stl: it does not exist");
             return std::nullopt;
         }},
        {"hand-over of a damaged project file",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) -> std::optional<Shown> {
             handOver(w, "OpenFile:" + damaged(p + ".pmdb"));
             return std::nullopt;
         }},
        // What the console says of a file reaches the status bar, the name made printable.
        {"status bar",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) -> std::optional<Shown> {
             w.set_statusbar_text(1, "Cannot open " + Gui::printableName(p));
             const auto* label = w.findChild<QLabel*>(QStringLiteral("MessageLabel"));
             if (!label)
                 return Shown{QString(), false};
             // Its lines are coloured markup: what matters is the text it draws.
             return label->textFormat() == Qt::PlainText ? Shown{label->text(), true} : rendered(label->text());
         }},
        // A file of a kind no module opens: the box names its extension, which holds the name.
        {"unknown filetype",
         [](Gui::MainWindow&, Gui::qPelmoraApplication& app, const QByteArray& p) -> std::optional<Shown> {
             const QByteArray file = p.left(p.size() - baseName(p).size()) + "x." + baseName(p);
             QFile(QFile::decodeName(file)).open(QIODevice::WriteOnly);
             app.open(file.constData(), "");
             QFile::remove(QFile::decodeName(file));
             return std::nullopt;
         }},
        // The question before a changed project closes names the project by its label.
        {"closing a changed project",
         [](Gui::MainWindow&, Gui::qPelmoraApplication& app, const QByteArray& p) -> std::optional<Shown> {
             Obj::Application& logic = Obj::Application::instance();
             Obj::Project* project = logic.create_project("Labelled", baseName(p).constData());
             if (Gui::GuiProject* gui = app.get_project(project)) {
                 gui->setDirty(true);
                 gui->canClose();   // not answered: the project stays
                 gui->setDirty(false);
             }
             project->set_modified(false);
             logic.close_project("Labelled");
             return std::nullopt;
         }},
        // The tab of a project's view shows the project's label.
        {"tab of a project's view",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication& app, const QByteArray& p) -> std::optional<Shown> {
             PelmoraTest::registerFemGuiTypes();
             pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
             Obj::Application& logic = Obj::Application::instance();
             Obj::Project* project = logic.get_current_project();
             if (!project)
                 return Shown{QString(), false};
             logic.relabel_project(project->get_name(), baseName(p).constData());
             QStringList tabs;
             QCoreApplication::processEvents();
             for (const QTabBar* bar : w.findChildren<QTabBar*>())
                 for (int i = 0; i < bar->count(); ++i)
                     tabs << bar->tabText(i);
             if (Gui::GuiProject* gui = app.get_project(project))
                 gui->setDirty(false);
             project->set_modified(false);
             logic.close_project(project->get_name());
             PelmoraTest::flushDeletes();
             return Shown{tabs.join(QLatin1Char('\n')), true};
         }},
        // A link property's row shows the linked object's label (a rich label, for its links).
        {"link of a property",
         [](Gui::MainWindow&, Gui::qPelmoraApplication&, const QByteArray& p) -> std::optional<Shown> {
             Gui::PropertyOperator::LinkLabel label;
             label.setPropertyLink({QStringLiteral("Project"), QStringLiteral("1"), QString::fromUtf8(baseName(p))});
             return rendered(label.text());
         }},
        // A start-up line on the splash screen, the name printable as the console writes it.
        {"splash screen",
         [](Gui::MainWindow&, Gui::qPelmoraApplication&, const QByteArray& p) -> std::optional<Shown> {
             QPixmap picture(16, 16);
             picture.fill(Qt::black);
             QSplashScreen splash(picture);
             Gui::SplashObserver observer(&splash);
             Vexil::MsgConsoleSingleton::Instance().Log("Init: reading %s\n", Gui::printableName(p).toUtf8().constData());
             return rendered(splash.message());
         }},
    };
    return all;
}

class PlainNames : public PelmoraTest::MainWindowSession
{
};

} // namespace

TEST_F(PlainNames, EveryBoxShowsANameFromOutsideAsPlainPrintableText)
{
    QTemporaryDir dir;
    std::vector<PelmoraTest::HostileText> names(std::begin(PelmoraTest::hostileTexts), std::end(PelmoraTest::hostileTexts));
    // Markup: a box taking it as rich text writes a red headline and breaks the line.
    names.push_back({"markup", "<font color=red size=6>FORGED: save failed<br>x", "<font color=red size=6>FORGED: save failed<br>x"});
    for (const Site& site : sites())
        for (const PelmoraTest::HostileText& name : names) {
            SCOPED_TRACE(std::string(site.name) + " / " + name.what);
            const QByteArray path = QFile::encodeName(dir.path()) + "/a" + name.raw + "b";
            PelmoraTest::ModalCloser closer(QMessageBox::Ok);
            const std::optional<Shown> label = site.show(*window, *app, path);
            EXPECT_EQ(closer.count(), label ? 0 : 1);
            QString shown = closer.texts().value(0) + '\n' + closer.informativeTexts().value(0);
            bool plain = closer.plain().value(0);
            if (label) {
                shown = label->text;
                plain = label->plain;
            }
            EXPECT_TRUE(plain) << shown.toStdString();
            EXPECT_TRUE(shown.contains(QString::fromUtf8("a" + name.shown + "b"))) << shown.toStdString();
            if (name.raw != name.shown) {
                EXPECT_FALSE(shown.contains(QString::fromUtf8("a" + name.raw + "b"))) << shown.toStdString();
            }
            QFile::remove(QFile::decodeName(path + ".pmdb"));
            QFile::remove(QFile::decodeName(path + ".xyz"));
        }
}
