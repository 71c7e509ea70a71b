#pragma once
// What the port tests share: the failure an operation raised, and the reports that reach the
// application's error box.
#include "ApplicationException.h"
#include "EComPort.h"

#include <functional>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

// Collects what reaches the application's exception handler during a test.
struct AppErrors {
    Log texts;
    tg::ApplicationExceptionHandler previous;
    explicit AppErrors(std::function<void()> onReport = {})
    {
        previous = tg::setApplicationExceptionHandler([this, onReport](std::exception_ptr e) {
            texts.push_back(tg::exceptionText(e));
            if (onReport)
                onReport();
        });
    }
    ~AppErrors() { tg::setApplicationExceptionHandler(previous); }
};

// The message of the port error an operation raised.
inline std::string failureOf(const std::function<void()> &op)
{
    try {
        op();
    } catch (const EComPort &e) {
        return e.what();
    }
    return "no failure";
}
