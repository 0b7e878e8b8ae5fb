#pragma once
// For driver programs: answers each message box by its title while it lives, rejects a
// box whose title it has no answer for, and keeps the titles and texts seen.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>

namespace PelmoraTest {

class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(std::map<QString, QMessageBox::StandardButton> answers);
    QStringList titles;
    // The text of each box, in the order of `titles`.
    QStringList texts;

private:
    void poll();
    std::map<QString, QMessageBox::StandardButton> answers;
};

} // namespace PelmoraTest
