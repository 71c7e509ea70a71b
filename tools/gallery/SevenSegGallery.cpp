// Gallery states of the seven-segment display.
#include "Gallery.h"
#include "SevenSeg.h"

namespace gallery {

void sevenSeg()
{
    {
        Holder<TSevenSeg> h;
        h.w->loaded();
        save(*h.w, QStringLiteral("sevenseg-defaults"));
    }
    // Every character of the display, on the panel's display and on a large one.
    const QString texts[] = {
        QStringLiteral("012345"), QStringLiteral("6789-+"), QStringLiteral(":\u00B0ABCD"),
        QStringLiteral("EF.1..2"), QStringLiteral("-3,0"), QStringLiteral("25\u00B0C"), QStringLiteral("12:34"),
        QStringLiteral("aGc 8"),
    };
    {
        Holder<TSevenSeg> h;
        SetUpPanelSevenSeg(*h.w);
        h.w->move(0, 0);
        h.w->loaded();
        save(*h.w, QStringLiteral("sevenseg-instr40"));
        for (size_t i = 0; i < std::size(texts); ++i) {
            h.w->SetCaption(texts[i]);
            save(*h.w, QStringLiteral("sevenseg-instr40-%1").arg(i));
        }
    }
    {
        Holder<TSevenSeg> h;
        h.w->resize(420, 110);
        h.w->SetNumDigits(6);
        h.w->SetInterDigDist(8);
        h.w->SetColorText(clLime);
        h.w->SetColorBackGnd(clBlack);
        h.w->SetFrameStyle(TSevenSeg::fsRaised);
        h.w->loaded();
        for (size_t i = 0; i < std::size(texts); ++i) {
            h.w->SetCaption(texts[i]);
            save(*h.w, QStringLiteral("sevenseg-large-%1").arg(i));
        }
        h.w->SetColorText(clWhite);
        h.w->SetFrameStyle(TSevenSeg::fsEngraved);
        h.w->SetCaption(QStringLiteral("-88.8\u00B0"));
        save(*h.w, QStringLiteral("sevenseg-large-white-engraved"));
    }
    // Too narrow for its digits: background and frame only.
    {
        Holder<TSevenSeg> h;
        SetUpPanelSevenSeg(*h.w);
        h.w->move(0, 0);
        h.w->resize(30, 49);
        h.w->SetNumDigits(10);
        h.w->SetCaption(QStringLiteral("8888888888"));
        h.w->loaded();
        save(*h.w, QStringLiteral("sevenseg-too-narrow"));
    }
}

} // namespace gallery
