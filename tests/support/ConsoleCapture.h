#pragma once
// Records what reaches the console while it exists.

#include <vexil/MsgConsole.h>

#include <mutex>
#include <string>
#include <vector>

namespace PelmoraTest {

class ConsoleCapture : public Vexil::MsgConsoleObserver
{
public:
    enum class Level { Message, Warning, Error, Log };
    struct Line { Level level; std::string text; };

    explicit ConsoleCapture(const char* name = "TestCapture");
    ~ConsoleCapture() override;

    void Warning(const char* s) override { add(Level::Warning, s); }
    void Message(const char* s) override { add(Level::Message, s); }
    void Error(const char* s) override { add(Level::Error, s); }
    void Log(const char* s) override { add(Level::Log, s); }
    const char* Name() override { return name.c_str(); }

    std::vector<Line> lines() const;
    // True when some line of that level contains `part`.
    bool contains(Level level, const std::string& part) const;
    int count(Level level, const std::string& part) const;
    void clear();

private:
    void add(Level level, const char* s);
    std::string name;
    mutable std::mutex mutex;
    std::vector<Line> captured;
};

} // namespace PelmoraTest
