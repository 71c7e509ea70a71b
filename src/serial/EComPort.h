#pragma once
#include "ComTypes.h"
#include <QString>
#include <stdexcept>

// The error of the serial classes: a code from 1 to 24 with its fixed text and, where one
// applies, the system error number appended as " (Error: n)".
class EComPort : public std::runtime_error {
public:
    EComPort(int code, int winCode = -1);
    EComPort(Com::TComExceptions e, int winCode = -1) : EComPort(Com::ErrorCode(e), winCode) {}

    int Code() const { return m_code; }
    int WinCode() const { return m_winCode; }

    // Why port could not be opened, or a network server would not take its line settings,
    // and what to do, in plain words; empty for other errors.
    QString Explanation(const QString &port) const;

    static QString CodeText(int code);
    static QString MessageFor(int code, int winCode);

private:
    int m_code;
    int m_winCode;
};
