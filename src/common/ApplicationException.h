#pragma once
// The application's exception handler: where a failure that no caller can take goes (a handler
// of a device event, a deferred operation). The program shows it in its error box; until one is
// installed it goes to standard error. Call from the GUI thread.
#include <exception>
#include <functional>

namespace tg {

using ApplicationExceptionHandler = std::function<void(std::exception_ptr)>;

// Installs a handler and returns the previous one.
ApplicationExceptionHandler setApplicationExceptionHandler(ApplicationExceptionHandler handler);
void handleApplicationException(std::exception_ptr error) noexcept;
// The text of an exception: what() of a std::exception, a fixed text otherwise.
const char *exceptionText(std::exception_ptr error) noexcept;

} // namespace tg
