#include "MaterialManager.h"

#include <atomic>

namespace pmMat {

namespace {
std::atomic<int> initializeCalls{0};
}

void MaterialManager::initialize(int /*flags*/)
{
    ++initializeCalls;
}

void MaterialManager::destruct()
{
    initializeCalls = 0;
}

bool MaterialManager::is_initialized()
{
    return initializeCalls > 0;
}

int MaterialManager::initialize_count()
{
    return initializeCalls;
}

} // namespace pmMat
