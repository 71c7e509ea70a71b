#include "GvValueInd.h"

#include "Bevel.h"
#include "FlashService.h"

#include <algorithm>

using namespace tg;

TGvValueInd::TGvValueInd(QWidget *parent) : TGvReadoutControl(parent)
{
    resize(67, 48);
}

TGvValueInd::~TGvValueInd() { FlashUnregister(this); }

void TGvValueInd::SetOptions(TValueIndOptions o)
{
    if (o == options)
        return;
    options = o;
    ownSettingChange();
}

TGvReadoutControl::TShownParts TGvValueInd::shownParts() const
{
    return {bool(options & opBevelOuter), bool(options & opName1), bool(options & opName2), bool(options & opUnit)};
}

void TGvValueInd::measure()
{
    measureTexts();

    // Sums in 64-bit: stored bevel widths and fonts may be absurd.
    int64_t H = 0, W = 0;
    const int64_t o = options & opBevelOuter ? 2 * int64_t(BevelOuter()->TotalWidth()) : 0;
    if (options & opBevelOuter) {
        H += o;
        W = o;
    }
    if (options & opName1) {
        H += name1H;
        W = std::max(W, name1W + o);
    }
    if (options & opName2) {
        H += name2H;
        W = std::max(W, name2W + o);
    }
    const int64_t inner = options & opBevelInner ? 2 * int64_t(BevelInner()->TotalWidth()) : 0;
    const int64_t bv = 2 * int64_t(BevelValue()->TotalWidth());
    H += inner;
    H += sampleH + bv;
    W = std::max(W, sampleW + o + inner + unitW + bv + sampleH);
    setNeededSize(W, H);
}

void TGvValueInd::paintContents(TCanvas &c, TRect r)
{
    if (options & opBevelInner)
        PaintInto(c, *BevelInner(), r);
    paintReadoutBox(c, r);
    tooSmall = false;
}
