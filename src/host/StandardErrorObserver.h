#pragma once
// Copies the console's errors and warnings to standard error, each line begun with
// "pelmora: ": a start without a window has no other place to say that a file was
// refused, and a script reads standard error, not a log file it did not ask for.

#include <vexil/MsgConsole.h>

#include <cstdio>
#include <mutex>

namespace Host {

class StandardErrorObserver : public Vexil::MsgConsoleObserver
{
public:
    explicit StandardErrorObserver(std::FILE* out = stderr) : out(out) {}

    void Warning(const char* s) override { write(s); }
    void Error(const char* s) override { write(s); }
    const char* Name() override { return "StandardError"; }

private:
    void write(const char* text);
    std::FILE* out;
    std::mutex mutex;
    bool atLineStart = true;
};

} // namespace Host
