// Runs the Model button's loader on one file under address limits rising from a little
// above what the program uses, until the model is read:
//   model_loader_driver FILE
// Exit status 0 when each attempt was read or refused as too large for the memory, 3 when
// an exception escaped the loader, 4 when a refusal gave another reason, 5 when no limit
// refused the file or none let it through.

#include <commands/ObjectCommands.h>

#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <vexil/MsgConsole.h>

#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

long vmSizeKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0)
            return std::strtol(line.c_str() + 7, nullptr, 10);
    return 0;
}

// Keeps the console's last error line.
class LastError : public Vexil::MsgConsoleObserver
{
public:
    void Error(const char* message) override { text = message ? message : ""; }
    std::string text;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    LastError console;
    Vexil::MsgConsoleSingleton::Instance().connect_observer(&console);
    vtkNew<vtkMRMLScene> scene;
    // VTK's parallel loops start their thread pool on first use, and a pool that cannot
    // start ends the process wherever it is: the application has started it long before.
    std::string warmUp;
    vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(argv[1], warmUp));
    rlimit before{};
    getrlimit(RLIMIT_AS, &before);
    bool refused = false;
    bool read = false;
    for (rlim_t margin = 8; margin <= 512 && !read; margin += 4) {
        rlimit capped = before;
        capped.rlim_cur = static_cast<rlim_t>(vmSizeKiB()) * 1024 + (margin << 20);
        if (before.rlim_cur != RLIM_INFINITY && capped.rlim_cur > before.rlim_cur)
            capped.rlim_cur = before.rlim_cur;
        setrlimit(RLIMIT_AS, &capped);
        console.text.clear();
        vtkMRMLModelNode* model = nullptr;
        try {
            model = Gui::StdCmdMRMLModel::loadModel(argv[1], scene);
        } catch (...) {
            _exit(3);
        }
        setrlimit(RLIMIT_AS, &before);
        if (!model && console.text.find("asks for more memory than there is") == std::string::npos) {
            std::fprintf(stderr, "refused at %lu MiB: %s\n", static_cast<unsigned long>(margin), console.text.c_str());
            _exit(4);
        }
        refused = refused || !model;
        read = read || model;
    }
    std::printf("refused %d read %d\n", refused ? 1 : 0, read ? 1 : 0);
    std::fflush(stdout);
    _exit(refused && read ? 0 : 5);
}
