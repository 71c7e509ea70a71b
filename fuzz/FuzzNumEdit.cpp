// Random keystrokes into the numeric edit field, offscreen. Input: one byte of settings
// (notation, limits, locale), then keystrokes. A commit never leaves the value outside its limits
// or makes it non-finite.
#include "FormatSettings.h"
#include "GvNumEdit.h"
#include "MaxLen.h"
#include "OffscreenApp.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// Straight to the field: through the application each press first asks every shortcut whether
// it wants the key, which costs more than the field's own handling, and there are none here.
void key(TGvNumEdit &e, int k)
{
    QObject &field = e;
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    field.event(&press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
    field.event(&release);
}

// A typed character reaches the field's own key handling, which with the editor enabled (as here,
// always) hands it to the line edit, and that inserts it. Inserting it directly skips the line edit
// asking some 25 standard shortcuts whether they want the key first, which took most of a
// keystroke's time.
void type(TGvNumEdit &e, QChar c)
{
    if (!e.EditorEnabled() || e.isReadOnly())
        std::abort();
    e.insert(QString(c));
}

constexpr double Min = -50, Max = 1000;
// Keystrokes beyond these are ignored: 32 fill the field twice past any number's length, and
// longer inputs only slow the search.
constexpr size_t MaxKeys = 32;

void checkLimits(const TGvNumEdit &e)
{
    if (!std::isfinite(e.Value()))
        std::abort();
    if ((e.Options() & TGvNumEdit::eoLimitMin) && e.Value() < Min)
        std::abort();
    if ((e.Options() & TGvNumEdit::eoLimitMax) && e.Value() > Max)
        std::abort();
}

// Back to the state of a new field, reusing it: a new field per input spent most of the time
// in building and tearing down the widget. A change of notation shows the committed value and
// drops what was being typed; setting the text again puts the cursor at the end and clears the
// selection and the undo history.
void reset(TGvNumEdit &e)
{
    e.SetOptions({});
    e.SetEditBase(TGvNumEdit::ebInt);
    e.SetEditBase(TGvNumEdit::ebFloat);
    e.SetValue(0);
    e.setText(e.text());
    if (e.text() != QLatin1String("0") || e.Value() != 0 || e.State() != TGvNumEdit::esNormal || e.hasSelectedText() ||
        e.cursorPosition() != 1 || e.isUndoAvailable())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    defaultMaxLen(argc, argv, 1 + MaxKeys); // the settings byte and the keys
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    offscreenApp();
    if (size < 1)
        return 0;
    static TGvNumEdit &e = *new TGvNumEdit;
    reset(e);
    const uint8_t s = data[0];
    TScopedFormatSettings fs((s & 0x80) ? TFormatSettings::comma() : TFormatSettings::dot());
    e.SetEditBase(TGvNumEdit::TEditBase(s & 3));
    e.SetMinValue(Min);
    e.SetMaxValue(Max);
    e.SetIncrement((s & 0x40) ? 2.5f : 1.0f);
    e.SetOptions(TGvNumEdit::TNumEditOptions::fromInt((s >> 2) & 7));
    e.Loaded();
    size = std::min(size, MaxKeys + 1);
    static const QString chars = QStringLiteral("0123456789.,eE+-kMmuGa$%&!bfx ");
    for (size_t i = 1; i < size; ++i) {
        const uint8_t b = data[i];
        if (b < 0xC0) {
            type(e, chars[b % chars.size()]);
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
