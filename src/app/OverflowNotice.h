#pragma once
// Says that received bytes were dropped because the input queue was full: on standard error
// and in one box that stays open beside the panel (the panel goes on), at most a few times a
// second however often the queue overflows, the last count always told.
#include "NoticeBox.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

class QWidget;

class TOverflowNotice {
public:
    static constexpr int kLogMs = 1000;
    static constexpr int kShowMs = 250;

    explicit TOverflowNotice(QWidget *window);

    // totalDropped: every byte dropped so far on the port; only news is reported.
    void Report(const QString &port, uint64_t totalDropped);

    // Where the text goes; a box that does not block unless replaced (tests record it).
    std::function<void(const QString &text)> Show;

    static QString Text(const QString &port, uint64_t dropped);

private:
    void tell();

    TNoticeBox box;
    QString port;
    uint64_t reported = 0;
    uint64_t told = 0;
    QElapsedTimer sinceLog;
    QTimer showTimer;
};
