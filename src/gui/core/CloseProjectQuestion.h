#pragma once
// The "Close Project" question asked before projects with unsaved changes close.

#include <QMessageBox>

namespace Gui {

// Offers Save, Close and Cancel (Escape cancels; Close gets a mnemonic) and returns the
// button chosen.
QMessageBox::StandardButton askCloseProject(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButton defaultButton);

} // namespace Gui
