#pragma once
// Says that received bytes were dropped because the input queue was full: once per burst on
// standard error, and in one box that stays open beside the panel (the panel goes on), its
// count kept current while it is open.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

class QMessageBox;
class QWidget;

class TOverflowNotice {
public:
    explicit TOverflowNotice(QWidget *window);
    ~TOverflowNotice();

    // totalDropped: every byte dropped so far on the port; only the news is reported.
    void Report(const QString &port, uint64_t totalDropped);

    // Where the text goes; a box that does not block unless replaced (tests record it).
    std::function<void(const QString &text)> Show;

    static QString Text(const QString &port, uint64_t dropped);

private:
    QWidget *window;
    QPointer<QMessageBox> box;
    uint64_t reported = 0;
    QElapsedTimer sinceLog;
};
