#pragma once
// Paints a window at most once per frame. Qt syncs a window's dirty widgets at every turn of
// the event loop, so a device sending a value per read would repaint the panel thousands of
// times a second and starve the loop; the pacer lets one sync through per frame interval and
// holds the rest back to the end of the interval, when everything dirty is painted at once.
// Qt asks for a repaint() the same way, so one that comes within a frame of the last waits
// for the next frame too.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

class FramePacer : public QObject {
public:
    static constexpr int kFrameMs = 16;

    // Paces window (a top-level widget); it lives as long as the window.
    explicit FramePacer(QWidget *window);

    // Told as each frame is let through, just before it is painted.
    std::function<void()> OnFrame;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void deliverHeldFrame();

    QWidget *window;
    QElapsedTimer sinceFrame;
    QTimer held;
    bool delivering = false;
};
