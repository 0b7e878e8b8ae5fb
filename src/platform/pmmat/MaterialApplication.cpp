#include "MaterialApplication.h"

namespace {
matApp::Application* current = nullptr;
} // namespace

matApp::Application* matApp::Application::instance()
{
    return current;
}

matApp::Application& matApp::Application::create()
{
    if (!current)
        current = new Application();
    return *current;
}

void matApp::Application::destruct()
{
    delete current;
    current = nullptr;
}
