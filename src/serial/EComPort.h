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

    // What went wrong with port and what to do, in plain words (why it could not be opened or
    // would not take its line settings, that it went away, that it is not open); empty when
    // there is nothing to add.
    QString Explanation(const QString &port) const;

    static QString CodeText(int code);
    static QString MessageFor(int code, int winCode);

private:
    int m_code;
    int m_winCode;
};
