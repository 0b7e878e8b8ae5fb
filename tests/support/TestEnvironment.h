#pragma once
// Isolation for tests: a temporary home and config directory per test program, and a
// fresh application logic per test.

#include <QString>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>

class QTemporaryDir;
namespace Obj { class Application; }

namespace PelmoraTest {

// The temporary directory that stands for the user's home in this test program.
QString homeDir();
// Points HOME and XDG_CONFIG_HOME at a fresh temporary directory (called by main).
void isolateEnvironment();

// A fresh application logic for one test, with its own user data directory.
// Destroys it (and every project) again when it goes out of scope.
class ScopedLogic
{
public:
    ScopedLogic() : ScopedLogic(std::map<std::string, std::string>{}) {}
    explicit ScopedLogic(std::map<std::string, std::string> config);
    ScopedLogic(std::initializer_list<std::pair<const std::string, std::string>> config)
        : ScopedLogic(std::map<std::string, std::string>(config)) {}
    ~ScopedLogic();
    Obj::Application& app() { return *application; }
    QString dataDir() const;

private:
    std::unique_ptr<QTemporaryDir> dir;
    Obj::Application* application = nullptr;
    std::string exe;
    char* argv[2] = {nullptr, nullptr};
};

} // namespace PelmoraTest
