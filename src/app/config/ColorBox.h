#pragma once
// The colour boxes of the pages: the standard and extended colours with a swatch and a
// readable name, any other colour an instrument holds as an extra entry (so applying never
// loses it), and "Custom…" to pick any colour. The chosen colour is kept as "Selected".
#include "Color.h"

#include <QComboBox>
#include <functional>
#include <optional>

class TColorBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(TColor Selected READ Selected WRITE SetSelected)
public:
    explicit TColorBox(QWidget *parent = nullptr);

    TColor Selected() const;
    void SetSelected(TColor c);

    // Asks the user for a colour, starting at the current one; nullopt when cancelled.
    // Replaceable so tests need no modal dialog.
    std::function<std::optional<TColor>(TColor current)> pickColor;

    // The name a user reads ("Money Green"), or "#RRGGBB" for a colour without one.
    static QString ReadableName(TColor c);

signals:
    // The user chose a colour (from the list or through "Custom…").
    void Change();

private:
    int customIndex() const { return count() - 1; }
    void onActivated(int index);

    int lastIndex = 0;
};

namespace tg::config {

TColorBox *MakeColorBox(const char *name, QWidget *parent);
void SelectColor(QComboBox *box, TColor c);
TColor ColorOf(const QComboBox *box);

} // namespace tg::config
