#pragma once
// Small helpers for the dialog tests: answering our own modal dialogs, and a window
// that stands in for the main window and records what it is told.

#include <QMainWindow>
#include <support/HangGuard.h>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace DialogTest {

// Runs `answer` on the next modal widget that appears (polling, at most `timeoutMs`).
void answerNextModal(std::function<void(QWidget*)> answer, int timeoutMs = PelmoraTest::HangGuardMs);

// Receives the links the desktop would open (QDesktopServices::setUrlHandler).
class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class FakeMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    FakeMainWindow();
    ~FakeMainWindow() override;

    QStringList messages;
    QStringList statusTexts;
    int closeEvents = 0;

public Q_SLOTS:
    void display_message(const QString& text, int timeout);
    void set_statusbar_text(int kind, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace DialogTest
