// Every box and label that shows a name from outside (a file's name or content, a message, the
// command line) shows it as plain text, in the printable form the Output writes: one
// table of the sites x hostile names.

#include <gui/startup/HostileTexts.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>

#include <core/GUIApplication.h>
#include <core/PrintableText.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>

#include <QFile>
#include <QLabel>
#include <QTextDocument>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace {

struct Site
{
    const char* name;
    // Shows the box about the file `path` (its bytes).
    std::function<void(Gui::MainWindow&, Gui::qPelmoraApplication&, const QByteArray& path)> show;
};

QByteArray damaged(const QByteArray& path)
{
    QFile f(QFile::decodeName(path));
    if (f.open(QIODevice::WriteOnly))
        f.write("PELMORA PROJECT FILE\ngarbage\n");
    return path;
}

const std::vector<Site>& sites()
{
    static const std::vector<Site> all = {
        {"hand-over of a missing file",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) { w.processMessages({"OpenFile:" + p + ".stl"}); }},
        {"refusal of a second start",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) {
             w.processMessages({Gui::GUISingleApplication::RefusedFilePrefix + p + ".stl" + '\0' + "Cannot open " + p +
                                ".stl: it does not exist"});
         }},
        {"hand-over of a damaged project file",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) {
             w.processMessages({"OpenFile:" + damaged(p + ".pmdb")});
         }},
        // What the console says of a file reaches the status bar, the name made printable.
        {"status bar",
         [](Gui::MainWindow& w, Gui::qPelmoraApplication&, const QByteArray& p) {
             w.set_statusbar_text(1, "Cannot open " + Gui::printableName(p));
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
            site.show(*window, *app, path);
            QString shown = closer.texts().value(0) + '\n' + closer.informativeTexts().value(0);
            bool plain = closer.plain().value(0);
            if (closer.count() == 0) {   // not a box: the status bar's label
                const auto* label = window->findChild<QLabel*>(QStringLiteral("MessageLabel"));
                ASSERT_NE(label, nullptr);
                // Its lines are coloured markup: what matters is the text it draws.
                shown = label->text();
                if (label->textFormat() != Qt::PlainText) {
                    QTextDocument drawn;
                    drawn.setHtml(shown);
                    shown = drawn.toPlainText();
                }
                plain = true;
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
