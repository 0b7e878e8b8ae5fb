#include "ConsoleCapture.h"

namespace PelmoraTest {

ConsoleCapture::ConsoleCapture(const char* n) : name(n)
{
    Vexil::MsgConsoleSingleton::Instance().connect_observer(this);
}

ConsoleCapture::~ConsoleCapture()
{
    Vexil::MsgConsoleSingleton::Instance().disconnect_observer(this);
}

void ConsoleCapture::add(Level level, const char* s)
{
    std::lock_guard<std::mutex> lock(mutex);
    captured.push_back({level, s ? s : ""});
}

std::vector<ConsoleCapture::Line> ConsoleCapture::lines() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return captured;
}

int ConsoleCapture::count(Level level, const std::string& part) const
{
    std::lock_guard<std::mutex> lock(mutex);
    int n = 0;
    for (const auto& l : captured)
        if (l.level == level && l.text.find(part) != std::string::npos)
            ++n;
    return n;
}

bool ConsoleCapture::contains(Level level, const std::string& part) const
{
    return count(level, part) > 0;
}

void ConsoleCapture::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    captured.clear();
}

} // namespace PelmoraTest
