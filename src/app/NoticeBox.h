#pragma once
// A warning box that does not block: the window and the device go on while it is open, and a
// newer text replaces the one it shows.
#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

class TNoticeBox {
public:
    explicit TNoticeBox(QWidget *window) : m_window(window) {}
    ~TNoticeBox();
    TNoticeBox(const TNoticeBox &) = delete;
    TNoticeBox &operator=(const TNoticeBox &) = delete;

    void Show(const QString &text);
    // The text shown; empty while no box is open.
    QString Text() const;

private:
    QWidget *m_window;
    QPointer<QMessageBox> m_box;
};
