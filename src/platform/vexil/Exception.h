#pragma once
// Exceptions of the base library.  Every one carries a message.

#include <exception>
#include <string>

namespace Vexil {

class ExceptionHandler : public std::exception
{
public:
    ExceptionHandler() = default;
    explicit ExceptionHandler(const char* message) : msg(message ? message : "") {}
    explicit ExceptionHandler(const std::string& message) : msg(message) {}
    ~ExceptionHandler() noexcept override = default;

    const char* what() const noexcept override { return msg.c_str(); }
    const std::string& get_message() const { return msg; }
    void set_message(const std::string& message) { msg = message; }
    // Writes the message to the console as an error line.
    void report_exception() const;

protected:
    std::string msg;
};

class RuntimeError : public ExceptionHandler
{
public:
    using ExceptionHandler::ExceptionHandler;
};

class ExceptionAbortion : public ExceptionHandler
{
public:
    ExceptionAbortion() : ExceptionHandler("Aborted operation") {}
    using ExceptionHandler::ExceptionHandler;
};

class ExceptionMemoryIssue : public ExceptionHandler
{
public:
    ExceptionMemoryIssue() : ExceptionHandler("Not enough memory available") {}
    using ExceptionHandler::ExceptionHandler;
};

class DocumentException : public ExceptionHandler
{
public:
    using ExceptionHandler::ExceptionHandler;
};

class SystemExitException : public ExceptionHandler
{
public:
    SystemExitException() : ExceptionHandler("System exit"), exitCode(0) {}
    explicit SystemExitException(long code) : ExceptionHandler("System exit"), exitCode(code) {}
    long getExitCode() const { return exitCode; }

private:
    long exitCode;
};

} // namespace Vexil
