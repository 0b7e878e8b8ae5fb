#pragma once
// A value typed into a row of the property panel and not confirmed is a draft.  Enter,
// Tab, leaving the row or a command of the user's confirms it (a command, a rebuild of the
// rows for another selection write it before they act); Escape puts the stored value back.
// Nothing else writes it or drops it without a word: a question, another window, a menu
// opened or a file handed over by a second start leave it in its editor, with the keyboard
// to come back to it; quitting, and opening a project file in place of the open projects,
// count a draft as an unsaved change and ask.

#include "PelmoraGuiExport.h"

#include <QPointer>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace Gui {

// Writes every value typed into an open row editor of a property panel and not taken
// yet.  A text that cannot be read whole stays in its editor, refused with its reason,
// and nothing is written for it (false): what the caller goes on to do goes on without it,
// unless the caller asks.
PELMORAGUI_EXPORT bool finishPendingEdits();

// Whether an open row editor holds a draft that differs from the stored value (or a text
// refused).
PELMORAGUI_EXPORT bool hasPendingDrafts();

// Puts the stored value back into every open row editor that holds a draft, as Escape
// does, where the keyboard is: the user gave the drafts up (Close, asked whether to save).
PELMORAGUI_EXPORT void dropPendingDrafts();

// While one lives, the program acts on its own (a file handed over by a second start): the
// keyboard taken from a row editor meanwhile (by a view opened, say) is not the user
// leaving the row.  The draft stays, and the keyboard goes back to the editor afterwards,
// where the next key the user types lands.
class PELMORAGUI_EXPORT DraftKeeper
{
public:
    DraftKeeper();
    ~DraftKeeper();
    DraftKeeper(const DraftKeeper&) = delete;
    DraftKeeper& operator=(const DraftKeeper&) = delete;
    // Whether one lives.
    static bool active();

private:
    QPointer<QWidget> field;   // the row editor's field that had the keyboard
};

} // namespace Gui
