#pragma once
// What the preference pages and the two preference dialogs share: stored colours, the
// folder buttons beside the folder fields, and the page list beside the page stack.

#include <vexil/PreferenceManager.h>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QStackedWidget;
class QString;

namespace Gui {

class ColoringButton;

namespace Dialog {

// The button's colour packed as the preferences store it (RGBA, alpha included).
unsigned int packedColor(const ColoringButton* button);

// Asks for a folder, starting at the one `field` shows.  A chosen folder is stored under
// `id` (without notification) and shown in `field`; it is returned, empty when cancelled.
QString chooseFolderFor(QLineEdit* field, const QString& caption, Vexil::PreferenceManager* prefs,
                        Vexil::PM_SETTING id);

// Shows the page of the chosen row, or of the row left when the choice is cleared.
void showPageOfRow(QListWidget* list, QStackedWidget* pages, QListWidgetItem* current,
                   QListWidgetItem* previous);

} // namespace Dialog
} // namespace Gui
