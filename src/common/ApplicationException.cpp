#include "ApplicationException.h"
#include <cstdio>
#include <utility>

namespace tg {

namespace {
ApplicationExceptionHandler &handlerSlot()
{
    static ApplicationExceptionHandler handler;
    return handler;
}
} // namespace

ApplicationExceptionHandler setApplicationExceptionHandler(ApplicationExceptionHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

const char *exceptionText(std::exception_ptr error) noexcept
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

void handleApplicationException(std::exception_ptr error) noexcept
{
    try {
        if (handlerSlot()) {
            handlerSlot()(error);
            return;
        }
    } catch (...) {
        error = std::current_exception(); // a failing handler must not end the program
    }
    std::fprintf(stderr, "Tavelgrid: %s\n", exceptionText(error));
}

} // namespace tg
