// The Instruments page with the lamp block, the mini trend and a value indicator selected.
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
    const std::pair<int, const char *> shots[] = {{60, "config-dig"}, {90, "config-minitrend"}, {41, "config-numdisp"}};
    for (const auto &[id, name] : shots) {
        page.Select(id);
        QApplication::processEvents();
        save(page, QString::fromLatin1(name));
    }
}

} // namespace gallery
