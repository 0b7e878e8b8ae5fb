#pragma once
// Appends every console line, prefixed with its level, to a file.  A write that fails (a
// full disk) is said once on standard error: the log is incomplete from there on.
//
// Only a log is appended to: a new or empty file, or one whose lines begin with a level,
// and no file reached through another user's link in a shared folder.  A project or model
// file named by mistake is left as it was, and a named pipe does not hold up the start.

#include <vexil/MsgConsole.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace Host {

class LogFileObserver : public Vexil::MsgConsoleObserver
{
public:
    explicit LogFileObserver(const std::string& fileName);
    ~LogFileObserver() override;
    bool isOpen() const { return file != nullptr; }
    // Why the file was not opened.
    const std::string& openError() const { return refusal; }

    void Warning(const char* s) override { write("Wrn", s); }
    void Message(const char* s) override { write("Msg", s); }
    void Error(const char* s) override { write("Err", s); }
    void Log(const char* s) override { write("Log", s); }
    const char* Name() override { return "LogFile"; }

private:
    void write(const char* level, const char* text);
    void reportIncomplete(int error);
    std::FILE* open();
    std::string fileName;
    std::string refusal;
    std::FILE* file;
    bool failed = false;
    std::mutex mutex;
    bool atLineStart = true;
};

} // namespace Host
