#include "Command.h"

using namespace Gui;

CommandController::CommandController() = default;
CommandController::~CommandController() = default;
