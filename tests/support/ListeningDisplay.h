#pragma once
// An X display for start-up tests that a real server does not give on demand: a listener
// on the socket of a free display number, run on a thread of the test process.  It
// forwards the connections it keeps to the test's own display, and
// - Resetting: drops a connection that comes after its last client left, as a server with
//   no other client does while it resets (a bare Xvfb);
// - DropsSecond: keeps the first connection and drops every later one;
// - NeverAnswers: takes every connection and never says a word.

#include <QByteArray>
#include <QString>

#include <memory>

namespace PelmoraTest {

class ListeningDisplay
{
public:
    enum class Kind { Resetting, DropsSecond, NeverAnswers };
    // `upstream`: the display the kept connections reach (":N").
    ListeningDisplay(Kind kind, const QByteArray& upstream);
    ~ListeningDisplay();
    ListeningDisplay(const ListeningDisplay&) = delete;
    ListeningDisplay& operator=(const ListeningDisplay&) = delete;
    // ":N", or empty when no socket could be made.
    QString name() const;
    // Connections taken so far, and of them those dropped.
    int connections() const;
    int dropped() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace PelmoraTest
