#include "Exception.h"

#include "MsgConsole.h"

namespace Vexil {

void ExceptionHandler::report_exception() const
{
    MsgConsoleSingleton::Instance().Error("%s\n", msg.c_str());
}

} // namespace Vexil
