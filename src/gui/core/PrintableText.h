#pragma once
// Texts from outside (a socket message, a path on the clipboard, a file's name or content,
// the command line) made fit for one console line, a box or a label.

#include <QByteArray>
#include <QMessageBox>
#include <QString>

namespace Gui {

// `text` cut to `maxBytes` (the length noted when cut), with line breaks and other control
// characters written as escapes, so that nothing inside can start a line of its own.
QByteArray printableForLog(const QByteArray& text, int maxBytes);

// A name or text from outside as a box, a label or the Output shows it: the same escapes,
// so that no line break, direction mark or noncharacter inside acts on what is around it.
QString printableName(const QString& text);
// The same for a file name's own bytes (which may not be UTF-8).
QString printableName(const QByteArray& bytes);

// Makes every label of `box` (its text and informative text) show plain text: a name with
// markup shows the markup, never formatting.  Call it once the texts are set.
void showAsPlainText(QMessageBox& box);

// A box of plain texts (see showAsPlainText): QMessageBox::warning and the like take a
// text that looks like markup as markup.
QMessageBox::StandardButton plainMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

} // namespace Gui
