#pragma once
// One application for the whole fuzzing process, offscreen.
#include "ApplicationException.h"

#include <QApplication>

// Never destroyed: tearing the application down in exit handlers, after Qt's own statics
// are gone, crashes inside Qt.
inline QApplication &offscreenApp()
{
    static QApplication *a = [] {
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Errors reported to the user (a failed commit) are expected input here.
        tg::setApplicationExceptionHandler([](std::exception_ptr) {});
        return new QApplication(argc, argv);
    }();
    return *a;
}
