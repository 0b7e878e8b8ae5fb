#pragma once
// Answers modal message boxes and dialogs while it lives, so that no test blocks.
// It polls QApplication::activeModalWidget() on a timer and records what it saw.

#include <QMap>
#include <QMessageBox>
#include <QObject>
#include <QStringList>

class QTimer;

namespace PelmoraTest {

class ModalCloser : public QObject
{
    Q_OBJECT
public:
    // `answer` is clicked on message boxes that have it; otherwise the box or dialog is
    // rejected (Escape).
    explicit ModalCloser(QMessageBox::StandardButton answer = QMessageBox::NoButton, int intervalMs = 20);
    ~ModalCloser() override;

    void setAnswer(QMessageBox::StandardButton b) { answer = b; }
    // A box titled `title` is answered `b` instead (one question of several in a row).
    void answerTitled(const QString& title, QMessageBox::StandardButton b) { byTitle.insert(title, b); }
    QStringList titles() const { return seenTitles; }
    QStringList texts() const { return seenTexts; }
    // Each box's informative text (its reason), in the same order as texts().
    QStringList informativeTexts() const { return seenInformative; }
    // How each message box meant to show its text (rich or plain).
    QList<Qt::TextFormat> formats() const { return seenFormats; }
    // Whether every label of each message box shows its text as plain text.
    QList<bool> plain() const { return seenPlain; }
    int count() const { return seenTitles.size(); }

private:
    void poll();
    QTimer* timer;
    QMessageBox::StandardButton answer;
    QMap<QString, QMessageBox::StandardButton> byTitle;
    QStringList seenTitles;
    QStringList seenTexts;
    QStringList seenInformative;
    QList<Qt::TextFormat> seenFormats;
    QList<bool> seenPlain;
};

} // namespace PelmoraTest
