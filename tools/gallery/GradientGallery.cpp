// Gallery states of the gradient background.
#include "Gallery.h"
#include "GvGradient.h"

namespace gallery {

void gradient()
{
    // Gradient background
    const char *styles[] = {"horizontal1", "horizontal2", "horizontal3", "vertical1", "vertical2",
                            "vertical3", "elliptic1", "elliptic2", "elliptic3", "rectangle",
                            "diamond1", "diamond2", "topleft", "topright"};
    for (int s = gv::gsHorizontal1; s <= gv::gsTopRight; ++s) {
        Holder<TGvGradient> h;
        h.w->resize(160, 100);
        h.w->GradSettings()->SetStyle(gv::TGradientStyle(s));
        h.w->GradSettings()->SetColorFrom(clNavy);
        h.w->GradSettings()->SetColorTo(clYellow);
        h.w->loaded();
        save(*h.w, QStringLiteral("gradient-%1").arg(QLatin1String(styles[s])));
    }
    {
        Holder<TGvGradient> h;
        h.parent.setAttribute(Qt::WA_DontShowOnScreen);
        h.parent.show(); // resize events reach the gradient only from a shown parent
        h.parent.resize(300, 120);
        h.w->SetAlign(TGvGradient::alClient);
        h.w->GradSettings()->SetColorFrom(clMoneyGreen);
        h.w->GradSettings()->SetVisible(false);
        h.w->loaded();
        save(*h.w, QStringLiteral("gradient-page-background"));
    }
}

} // namespace gallery
