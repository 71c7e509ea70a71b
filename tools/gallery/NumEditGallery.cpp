// Gallery states of the numeric edit and spin fields.
#include "Gallery.h"
#include "GvNumEdit.h"

namespace gallery {

namespace {

template <typename T>
void show(T &e, TGvNumEdit::TEditBase base, double v)
{
    e.resize(90, 24);
    e.SetEditBase(base);
    e.SetValue(v);
    e.Loaded();
}

} // namespace

void numEdit()
{
    const std::pair<TGvNumEdit::TEditBase, const char *> bases[] = {
        {TGvNumEdit::ebBin, "bin"}, {TGvNumEdit::ebHex, "hex"},
        {TGvNumEdit::ebFloat, "float"}, {TGvNumEdit::ebInt, "int"}};
    for (const auto &[base, name] : bases) {
        Holder<TGvNumEdit> h;
        show(*h.w, base, 42.75);
        save(*h.w, QStringLiteral("numedit-%1-normal").arg(QLatin1String(name)));
    }
    {
        Holder<TGvNumEdit> h;
        show(*h.w, TGvNumEdit::ebFloat, 1);
        h.w->setText(QStringLiteral("1.5k"));
        save(*h.w, QStringLiteral("numedit-float-editing"));
        h.w->setText(QStringLiteral("12a4"));
        save(*h.w, QStringLiteral("numedit-float-error"));
    }
    {
        Holder<TGvNumSpin> h;
        show(*h.w, TGvNumEdit::ebInt, 8);
        h.w->SetMaxValue(8);
        h.w->SetOptions(TGvNumEdit::eoLimitMax);
        save(*h.w, QStringLiteral("numspin-int-at-maximum"));
        h.w->setText(QStringLiteral("12345678"));
        save(*h.w, QStringLiteral("numspin-int-editing-long"));
    }
}

} // namespace gallery
