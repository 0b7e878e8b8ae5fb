#pragma once
// The save dialog answered with a file of the test's choosing, as a user picks it.

#include <dialogs/widgets/FileDialog.h>

#include <QString>

namespace PelmoraTest {

// While it lives, every save dialog answers `answer` (empty: the user cancels).
class SaveDialogAnswer
{
public:
    SaveDialogAnswer()
    {
        Gui::FileDialog::Backend backend;
        backend.saveFileName = [this](QWidget*, const QString&, const QString&, const QString&, QString*,
                                      QFileDialog::Options) { return answer; };
        previous = Gui::FileDialog::setBackend(backend);
    }
    ~SaveDialogAnswer() { Gui::FileDialog::setBackend(previous); }
    SaveDialogAnswer(const SaveDialogAnswer&) = delete;
    SaveDialogAnswer& operator=(const SaveDialogAnswer&) = delete;

    QString answer;

private:
    Gui::FileDialog::Backend previous;
};

} // namespace PelmoraTest
