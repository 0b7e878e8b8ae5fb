// The acknowledgement, system-information and About details: what each shows, that
// links leave for the desktop's browser, and what the Copy button puts on the clipboard.

#include "DialogTestHelpers.h"

#include <dialogs/DlgAboutPelmoraImp.h>
#include <dialogs/DlgAcknowledgeImp.h>
#include <dialogs/DlgSystemInfoImp.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextEdit>
#include <QTest>
#include <support/HangGuard.h>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Clicks Copy and answers the note that follows; returns the note's title and text.
QStringList copyAndAnswer(QDialog& dialog)
{
    QStringList seen;
    DialogTest::answerNextModal([&seen](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen << box->windowTitle() << box->text();
            box->button(QMessageBox::Ok)->click();
        }
        else {
            w->close();
        }
    });
    dialog.findChild<QPushButton*>(QStringLiteral("btn_copy"))->click();
    return seen;
}

} // namespace

TEST(AcknowledgeDialog, ListsEveryProjectWithItsLinkAndCopiesThePlainList)
{
    Gui::DlgAcknowledgeImp dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Acknowledgement"));
    auto* heading = dialog.findChild<QLabel*>(QStringLiteral("lbl_acknowledge"));
    auto* list = dialog.findChild<QTextBrowser*>(QStringLiteral("txt_acknowledge"));
    ASSERT_TRUE(heading && list);
    EXPECT_TRUE(heading->text().startsWith(
        QStringLiteral("Pelmora acknowledges these but not limited to the following Open Source Projects.")));
    EXPECT_TRUE(heading->wordWrap());
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("btn_save"))->isHidden());

    // One link per project, its text its own address; "etc..." closes the list.
    QStringList names;
    QStringList anchors;
    for (QTextBlock block = list->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isAnchor()) {
                const QString href = fragment.charFormat().anchorHref();
                EXPECT_EQ(fragment.text(), href);
                EXPECT_TRUE(href.startsWith(QStringLiteral("http"))) << href.toStdString();
                anchors << href;
            }
        }
    }
    EXPECT_EQ(anchors.size(), 55);
    const QString plain = list->toPlainText();
    EXPECT_TRUE(plain.trimmed().endsWith(QStringLiteral("etc..."))) << plain.right(40).toStdString();
    for (const char* name : {"Boost", "Code::Blocks", "Netgen/NGSolve", "Xerces-C++", "zlib"})
        EXPECT_TRUE(plain.contains(QString::fromUtf8(name))) << name;
    EXPECT_LT(plain.indexOf(QStringLiteral("Boost")), plain.indexOf(QStringLiteral("zlib")));

    // A click on a link goes to the desktop's browser; the dialog keeps its list.
    DialogTest::LinkCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    dialog.resize(600, 480);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog, PelmoraTest::HangGuardMs));
    QTextCursor at = list->document()->find(anchors.first());
    ASSERT_FALSE(at.isNull());
    at.setPosition(at.selectionStart() + 3);
    const QPoint spot = list->cursorRect(at).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, spot);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened.first().toString(), anchors.first());
    EXPECT_EQ(list->toPlainText(), plain);
    EXPECT_TRUE(list->source().isEmpty());

    EXPECT_EQ(copyAndAnswer(dialog),
              (QStringList{QStringLiteral("Copied"), QStringLiteral("The content has been copied to clipboard.")}));
    EXPECT_EQ(QApplication::clipboard()->text(), plain);
}

TEST(SystemInfoDialog, ShowsItsHeadingsAndCopiesThem)
{
    Gui::DlgSystemInfoImp dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("System Information"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lbl_system"))->text(), QStringLiteral("System Information:"));
    auto* text = dialog.findChild<QTextEdit*>(QStringLiteral("txt_system"));
    ASSERT_NE(text, nullptr);
    const QString expected = QStringLiteral("System:\n  Connected HIDs:\n\nCPU:\n\nGPU:\n\n");
    EXPECT_EQ(text->toPlainText(), expected);
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("btn_save"))->isHidden());

    QApplication::clipboard()->clear();
    EXPECT_EQ(copyAndAnswer(dialog),
              (QStringList{QStringLiteral("Copied"), QStringLiteral("The content has been copied to clipboard.")}));
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
}

TEST(AboutDialog, SaysWhetherTheProcessorAnswersCPUID)
{
    Gui::DlgAboutPelmoraImp dialog(nullptr);
    auto* details = dialog.findChild<QTextBrowser*>(QStringLiteral("txt_details"));
    ASSERT_NE(details, nullptr);
    const QStringList lines = details->toPlainText().split(QLatin1Char('\n'));
#if defined(__x86_64__) || defined(__i386__)
    // Every x86-64 processor has the instruction.
    EXPECT_TRUE(lines.contains(QStringLiteral("Support CPUID: Yes"))) << details->toPlainText().toStdString();
#else
    EXPECT_TRUE(lines.contains(QStringLiteral("Support CPUID: No"))) << details->toPlainText().toStdString();
#endif
    EXPECT_EQ(lines.filter(QStringLiteral("Support CPUID: ")).size(), 1);
}

