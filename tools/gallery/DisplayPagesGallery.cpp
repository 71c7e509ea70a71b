// The Instruments page with one instrument of each sub-page (other than the meters) selected.
#include "Gallery.h"

#include "Catalogue.h"
#include "InstrumentsPage.h"

#include <QApplication>

namespace gallery {

void displayPages()
{
    QWidget panel;
    tg::app::createInstruments(&panel);
    TInstrumentsPage page(&panel);
    page.resize(page.sizeHint());
    page.show();
    page.PageShown();
    const std::pair<int, const char *> shots[] = {{60, "config-dig"},    {90, "config-minitrend"},
                                                  {41, "config-numdisp"}, {71, "config-taster"},
                                                  {80, "config-aslider"}, {35, "config-aktivlabel"}};
    for (const auto &[id, name] : shots) {
        page.Select(id);
        QApplication::processEvents();
        save(page, QString::fromLatin1(name));
    }
}

} // namespace gallery
