// Random keystrokes into the numeric edit field, offscreen. Input: one byte of settings
// (notation, limits, locale), then keystrokes. A commit never leaves the value outside its limits
// or makes it non-finite.
#include "ApplicationException.h"
#include "FormatSettings.h"
#include "GvNumEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// Never destroyed: tearing the application down in exit handlers, after Qt's own statics
// are gone, crashes inside Qt.
QApplication &app()
{
    static int argc = 1;
    static char name[] = "fuzz-numedit";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication *a = new QApplication(argc, argv);
    // A failed commit goes to the error handler; here it is expected input.
    tg::setApplicationExceptionHandler([](std::exception_ptr) {});
    return *a;
}

void key(TGvNumEdit &e, int k, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(&e, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QApplication::sendEvent(&e, &release);
}

constexpr double Min = -50, Max = 1000;

void checkLimits(const TGvNumEdit &e)
{
    if (!std::isfinite(e.Value()))
        std::abort();
    if ((e.Options() & TGvNumEdit::eoLimitMin) && e.Value() < Min)
        std::abort();
    if ((e.Options() & TGvNumEdit::eoLimitMax) && e.Value() > Max)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    app();
    if (size < 1)
        return 0;
    const uint8_t s = data[0];
    TScopedFormatSettings fs((s & 0x80) ? TFormatSettings::comma() : TFormatSettings::dot());
    TGvNumEdit e;
    e.SetEditBase(TGvNumEdit::TEditBase(s & 3));
    e.SetMinValue(Min);
    e.SetMaxValue(Max);
    e.SetIncrement((s & 0x40) ? 2.5f : 1.0f);
    e.SetOptions(TGvNumEdit::TNumEditOptions::fromInt((s >> 2) & 7));
    e.Loaded();
    static const QString chars = QStringLiteral("0123456789.,eE+-kMmuGa$%&!bfx ");
    for (size_t i = 1; i < size; ++i) {
        const uint8_t b = data[i];
        if (b < 0xC0) {
            const QChar c = chars[b % chars.size()];
            key(e, c.toUpper().unicode(), QString(c));
            continue;
        }
        switch (b & 7) {
        case 0: key(e, Qt::Key_Return); break;
        case 1: key(e, Qt::Key_Up); break;
        case 2: key(e, Qt::Key_Down); break;
        case 3: key(e, Qt::Key_Escape); break;
        case 4: key(e, Qt::Key_Backspace); break;
        case 5: key(e, Qt::Key_Home); break;
        case 6: e.selectAll(); break;
        case 7: e.CheckText(true); break;
        }
        if ((b & 7) != 4 && (b & 7) != 5 && (b & 7) != 6 && e.State() == TGvNumEdit::esNormal)
            checkLimits(e);
    }
    key(e, Qt::Key_Return);
    if (e.State() == TGvNumEdit::esNormal)
        checkLimits(e);
    return 0;
}
