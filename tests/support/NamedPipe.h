#pragma once
// A named pipe, for tests of readers that must refuse one rather than wait on it.

#include <QString>

#include <functional>

namespace PelmoraTest {

class NamedPipe
{
public:
    // Makes the pipe at `path`; it is removed again with this object.
    explicit NamedPipe(const QString& path);
    ~NamedPipe();
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    bool created() const { return made; }
    const QString& path() const { return where; }
    // Runs `step`.  Should it wait for a writer of the pipe, one comes and lets it go; the
    // answer is then false.
    bool runsWithoutWaiting(const std::function<void()>& step) const;

private:
    QString where;
    bool made = false;
};

} // namespace PelmoraTest
