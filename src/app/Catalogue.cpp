#include "Catalogue.h"

#include "ActiveLabel.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvMiniTrend.h"
#include "GvRMeter.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "LedPanel.h"
#include "PanelSetup.h"
#include "SevenSeg.h"


namespace tg::app {

namespace {

constexpr CatalogueEntry kEntries[] = {
    {1, Kind::Meter, {8, 2, 100, 150}},        {2, Kind::Meter, {8, 120, 100, 150}},
    {3, Kind::Meter, {8, 232, 100, 150}},      {4, Kind::Meter, {8, 352, 100, 150}},
    {5, Kind::Meter, {8, 472, 100, 150}},      {6, Kind::Meter, {112, 0, 100, 150}},
    {7, Kind::Meter, {112, 112, 100, 150}},    {8, Kind::Meter, {112, 232, 100, 150}},
    {9, Kind::Meter, {112, 352, 100, 150}},    {10, Kind::Meter, {112, 472, 100, 150}},
    {20, Kind::RoundMeter, {1296, 136, 137, 193}},
    {35, Kind::Label, {512, 504, 137, 49}},    {36, Kind::Label, {512, 560, 137, 49}},
    {40, Kind::SevenSeg, {352, 176, 121, 49}}, {41, Kind::ValueInd, {232, 408, 96, 71}},
    {42, Kind::ValueInd, {232, 464, 96, 71}},  {43, Kind::ValueInd, {232, 512, 96, 71}},
    {44, Kind::ValueInd, {232, 560, 96, 71}},  {60, Kind::LedPanel, {232, 136, 105, 273}},
    {70, Kind::Button, {232, 8, 81, 32}},      {71, Kind::Button, {232, 40, 81, 32}},
    {72, Kind::Button, {232, 72, 81, 32}},     {73, Kind::Button, {232, 104, 81, 32}},
    {80, Kind::Dial, {352, 432, 121, 169}},    {81, Kind::Dial, {352, 248, 121, 169}},
    {90, Kind::MiniTrend, {352, 8, 150, 150}},
};

constexpr int kSwitchable[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 35, 36, 40, 41, 42, 43, 44,
                               60, 70, 71, 72, 73, 80, 81, 90};

ActiveLabel *makeLabel(QWidget *parent, int id)
{
    auto *l = new ActiveLabel(parent);
    l->setText(QStringLiteral("Instr #%1").arg(id));
    l->SetColor(rgbColor(0xA6, 0xCA, 0xF0));
    l->setFrameStyle(QFrame::Box);
    l->Font()->SetName(QStringLiteral("Arial Narrow"));
    l->Font()->SetHeight(-27);
    l->Font()->SetColor(clBlack);
    return l;
}

QWidget *create(const CatalogueEntry &e, QWidget *parent)
{
    switch (e.kind) {
    case Kind::Meter: {
        auto *m = new TGvVMeter(parent);
        panelMeter(*m, e.id);
        m->loaded();
        return m;
    }
    case Kind::RoundMeter: {
        auto *m = new TGv270Meter(parent);
        panelRoundMeter(*m);
        m->loaded();
        return m;
    }
    case Kind::ValueInd: {
        auto *v = new TGvValueInd(parent);
        panelValueInd(*v, e.id);
        v->loaded();
        return v;
    }
    case Kind::SevenSeg: {
        auto *s = new TSevenSeg(parent);
        SetUpPanelSevenSeg(*s);
        s->loaded();
        return s;
    }
    case Kind::MiniTrend: {
        auto *t = new TGvMiniTrend(parent);
        SetUpPanelMiniTrend(*t);
        t->loaded();
        return t;
    }
    case Kind::Button: {
        auto *b = new TGvColBitBtn(parent);
        panelButton(*b, e.id);
        b->loaded();
        return b;
    }
    case Kind::Dial: {
        auto *d = new TGvDial(parent);
        panelDial(*d, e.id);
        d->loaded();
        return d;
    }
    case Kind::Label:
        return makeLabel(parent, e.id);
    case Kind::LedPanel:
        return new TLedPanel(parent);
    }
    return nullptr;
}

} // namespace

std::span<const CatalogueEntry> catalogue() { return kEntries; }
std::span<const int> switchableIds() { return kSwitchable; }

InstrumentTable createInstruments(QWidget *showPage)
{
    InstrumentTable table{};
    for (const CatalogueEntry &e : kEntries) {
        QWidget *w = create(e, showPage);
        w->setObjectName(QStringLiteral("Instr%1").arg(e.id));
        // What assistive technology calls it; an instrument with a caption of its own says that.
        w->setAccessibleName(w->objectName());
        w->setGeometry(e.geometry);
        w->setProperty("Tag", e.id);
        if (auto *c = qobject_cast<TGvControl *>(w))
            c->Tag = e.id;
        w->hide();
        table[size_t(e.id)] = w;
    }
    return table;
}

} // namespace tg::app
