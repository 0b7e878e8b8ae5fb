#pragma once
// The "..." button beside the line edit of the browsing editors (file chooser, list editor).

class QLineEdit;
class QPushButton;
class QString;
class QWidget;

namespace Gui {

// Lays `owner` out as a line edit followed by a "..." button; the line edit takes the focus.
void addBrowseField(QWidget* owner, int spacing, QLineEdit*& lineEdit, QPushButton*& button);

// Gives the button a new text and room for it, never less than the "..." it starts with.
void setBrowseButtonText(const QWidget* owner, QPushButton* button, const QString& text);

} // namespace Gui
