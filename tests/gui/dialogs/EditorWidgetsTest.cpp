#include "DialogTestHelpers.h"
#include <support/SettleEvents.h>

#include <dialogs/widgets/ColoringButton.h>
#include <dialogs/widgets/LabelButton.h>
#include <dialogs/widgets/LabelEditor.h>
#include <dialogs/widgets/UrlLabel.h>

#include <support/ModalCloser.h>

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QColor swatchCentre(Gui::ColoringButton& button)
{
    button.grab(); // paints, which redraws a dirty swatch
    const QImage image = button.icon().pixmap(button.iconSize()).toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

class TextLabelButton : public Gui::LabelButton
{
public:
    int browsed = 0;
    void browse() override { ++browsed; }

protected:
    void displayValue(const QVariant& v) override { getLabel()->setText(v.toString()); }
};

// Answers the modal colour dialog: picks `colour`, checks what the button shows meanwhile
// (when `live` is valid), then accepts or cancels.
void answerColourDialog(Gui::ColoringButton* button, const QColor& colour, bool accept, const QColor& live = {})
{
    DialogTest::answerNextModal([=](QWidget* w) {
        auto* dlg = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        dlg->setCurrentColor(colour);
        if (live.isValid()) {
            EXPECT_EQ(button->color(), live);
        }
        accept ? dlg->accept() : dlg->reject();
    });
}

// Answers the list dialog: types `text` into its editor and presses OK or Cancel.
void answerListDialog(const QString& text, bool ok, QStringList* errors = nullptr, QString* shown = nullptr)
{
    DialogTest::answerNextModal([text, ok, errors, shown](QWidget* w) {
        auto* dlg = qobject_cast<QDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Vector Data"));
        auto* edit = dlg->findChild<Gui::PropertyListEditor*>();
        ASSERT_NE(edit, nullptr);
        if (shown)
            *shown = edit->toPlainText();
        edit->setPlainText(text);
        if (!ok) {
            dlg->reject();
            return;
        }
        if (errors) {
            // The check refuses: record the message box, then leave with Cancel.
            PelmoraTest::ModalCloser closer(QMessageBox::Ok);
            dlg->accept();
            *errors = closer.texts();
            EXPECT_TRUE(dlg->isVisible());
            dlg->reject();
            return;
        }
        dlg->accept();
    });
}

} // namespace

TEST(ColoringButton, SwatchAndModalDialog)
{
    Gui::ColoringButton button;
    button.show();
    QSignalSpy changed(&button, &Gui::ColoringButton::changed);
    button.setColor(QColor(10, 200, 30));
    EXPECT_EQ(swatchCentre(button), QColor(10, 200, 30));
    EXPECT_EQ(changed.count(), 0);

    button.setColor(Qt::red);
    answerColourDialog(&button, Qt::blue, false);
    button.onChooseColor();
    EXPECT_EQ(button.color(), QColor(Qt::red));
    EXPECT_EQ(changed.count(), 0);

    answerColourDialog(&button, Qt::blue, true);
    button.onChooseColor();
    EXPECT_EQ(button.color(), QColor(Qt::blue));
    EXPECT_EQ(changed.count(), 1);

    // Following the dialog live, a cancel restores the colour from before.
    button.setAutoChangeColor(true);
    changed.clear();
    answerColourDialog(&button, Qt::green, false, Qt::green);
    button.onChooseColor();
    EXPECT_EQ(button.color(), QColor(Qt::blue));
    EXPECT_EQ(changed.count(), 2);
}

TEST(ColoringButton, ClicksAreIgnoredWhenChangeIsNotAllowed)
{
    Gui::ColoringButton button;
    button.setAllowChangeColor(false);
    // A dialog the click opened would be shown, and closed here, before click() returns.
    PelmoraTest::ModalCloser closer;
    button.click();
    PelmoraTest::settleQueuedEvents();
    EXPECT_EQ(closer.count(), 0);
}

TEST(ColoringButton, NonModalDialogIsLiveAndOpenedOnce)
{
    Gui::ColoringButton button;
    button.setModal(false);
    button.setColor(Qt::red);
    QSignalSpy changed(&button, &Gui::ColoringButton::changed);
    button.onChooseColor();
    QColorDialog* dlg = button.findChild<QColorDialog*>();
    ASSERT_NE(dlg, nullptr);
    dlg->setCurrentColor(Qt::blue);
    dlg->setCurrentColor(Qt::green);
    EXPECT_EQ(button.color(), QColor(Qt::green));
    EXPECT_EQ(changed.count(), 2);

    button.onChooseColor();
    EXPECT_EQ(button.findChildren<QColorDialog*>().size(), 1);

    dlg->reject();
    EXPECT_EQ(button.color(), QColor(Qt::red));
    EXPECT_EQ(changed.count(), 3);
}

TEST(LabelButton, EverySetValueIsAnnounced)
{
    TextLabelButton button;
    QSignalSpy changed(&button, &Gui::LabelButton::valueChanged);
    button.setValue(QStringLiteral("(1, 2, 3)"));
    button.setValue(QStringLiteral("(1, 2, 3)"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(button.getLabel()->text(), QStringLiteral("(1, 2, 3)"));
    EXPECT_TRUE(button.getButton()->isHidden());
    button.getButton()->show();
    button.getButton()->click();
    EXPECT_EQ(button.browsed, 1);
    button.resize(200, 30);
    button.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(button.getButton()->width(), button.height());
}

TEST(UrlLabel, UrlIsTheToolTipAndHoverShowsAHand)
{
    Gui::UrlLabel label;
    EXPECT_EQ(label.toolTip(), label.url());
    label.setUrl(QStringLiteral("https://example.invalid/help"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("https://example.invalid/help"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
}

TEST(LabelEditor, ShowsTheListInBrackets)
{
    Gui::LabelEditor editor;
    QLineEdit* line = editor.findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    QSignalSpy changed(&editor, &Gui::LabelEditor::textChanged);
    editor.set_text(QStringLiteral("1.5\n2\n3"));
    EXPECT_EQ(line->text(), QStringLiteral("[1.5,2,3]"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("[1.5,2,3]"));
    editor.set_text(QStringLiteral("a\n"));
    EXPECT_EQ(line->text(), QStringLiteral("[a,]"));
    editor.set_text(QString());
    EXPECT_EQ(line->text(), QStringLiteral("[]"));
}

TEST(LabelEditor, WhatTheUserTypesIsWhatTheEditorReturns)
{
    Gui::LabelEditor editor;
    QLineEdit* line = editor.findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    editor.set_text(QStringLiteral("7"));
    QStringList heard;
    QObject::connect(&editor, &Gui::LabelEditor::textChanged, [&] { heard << editor.get_text(); });

    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("[8,9.5]"));
    EXPECT_EQ(editor.get_text(), QStringLiteral("8\n9.5"));
    // Listeners already read the typed list.
    EXPECT_EQ(heard.value(heard.size() - 1), QStringLiteral("8\n9.5"));

    // Brackets are optional; an empty pair is the empty list.
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("a,b"));
    EXPECT_EQ(editor.get_text(), QStringLiteral("a\nb"));
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("[]"));
    EXPECT_TRUE(editor.get_text().isEmpty());

    // The list dialog starts from what was typed.
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("[1,2]"));
    QString shownInDialog;
    answerListDialog(QString(), false, nullptr, &shownInDialog);
    editor.findChild<QPushButton*>()->click();
    EXPECT_EQ(shownInDialog, QStringLiteral("1\n2"));

    // Set texts are kept exactly, entries with blanks included.
    editor.set_text(QStringLiteral(" x \n"));
    EXPECT_EQ(editor.get_text(), QStringLiteral(" x \n"));
}

TEST(LabelEditor, DialogChecksEveryLine)
{
    Gui::LabelEditor editor;
    auto* button = editor.findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    editor.set_text(QStringLiteral("1"));

    editor.setInputType(Gui::LabelEditor::Integer);
    QStringList errors;
    answerListDialog(QStringLiteral("1\n2\n1.5"), true, &errors);
    button->click();
    EXPECT_EQ(errors, QStringList{QStringLiteral("Input in line 3 is not a number")});
    EXPECT_EQ(editor.get_text(), QStringLiteral("1"));

    // A trailing line feed leaves an empty last line, which is not a number.
    editor.setInputType(Gui::LabelEditor::Float);
    answerListDialog(QStringLiteral("1.5\n2e3\n"), true, &errors);
    button->click();
    EXPECT_EQ(errors, QStringList{QStringLiteral("Input in line 3 is not a number")});

    answerListDialog(QStringLiteral("1.5\n-2e3"), true);
    button->click();
    EXPECT_EQ(editor.get_text(), QStringLiteral("1.5\n-2e3"));
    EXPECT_EQ(editor.findChild<QLineEdit*>()->text(), QStringLiteral("[1.5,-2e3]"));

    editor.setInputType(Gui::LabelEditor::String);
    answerListDialog(QStringLiteral("any\ntext"), true);
    button->click();
    EXPECT_EQ(editor.get_text(), QStringLiteral("any\ntext"));

    answerListDialog(QStringLiteral("discarded"), false);
    button->click();
    EXPECT_EQ(editor.get_text(), QStringLiteral("any\ntext"));
}

TEST(PropertyListEditor, NumberAreaGrowsWithTheTenthLineAndReadOnlyDropsTheHighlight)
{
    Gui::PropertyListEditor editor;
    editor.setPlainText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9"));
    const int nine = editor.lineNumberAreaWidth();
    editor.appendPlainText(QStringLiteral("10"));
    EXPECT_EQ(editor.lineNumberAreaWidth() - nine, editor.fontMetrics().horizontalAdvance(QLatin1Char('9')));
    EXPECT_EQ(editor.viewport()->geometry().left() - editor.frameWidth(), editor.lineNumberAreaWidth());
    EXPECT_EQ(editor.extraSelections().size(), 1);
    editor.setReadOnly(true);
    editor.moveCursor(QTextCursor::End);
    EXPECT_TRUE(editor.extraSelections().isEmpty());
}
