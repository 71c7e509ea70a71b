#include "ColorBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>
#include <stdexcept>

namespace {

// The standard and extended colours, then the system button face the meter page resets to.
const TColor PageColors[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                             clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite,
                             clMoneyGreen, clSkyBlue, clCream, clMedGray, clBtnFace};

QIcon swatch(TColor c)
{
    QPixmap pm(16, 12);
    pm.fill(toQColor(c));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

} // namespace

TColorBox::TColorBox(QWidget *parent) : QComboBox(parent)
{
    for (TColor c : PageColors)
        addItem(swatch(c), ReadableName(c), QVariant::fromValue(c.value));
    addItem(QStringLiteral("Custom…"));
    pickColor = [this](TColor current) -> std::optional<TColor> {
        const QColor q = QColorDialog::getColor(toQColor(current), this);
        if (!q.isValid())
            return std::nullopt;
        return rgbColor(q.red(), q.green(), q.blue());
    };
    connect(this, &QComboBox::activated, this, &TColorBox::onActivated);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0 && i != customIndex())
            lastIndex = i;
    });
}

QString TColorBox::ReadableName(TColor c)
{
    QString name = colorName(c);
    if (name.isEmpty())
        return toQColor(c).name(QColor::HexRgb).toUpper();
    name.remove(0, 2); // "cl"
    name.replace(QLatin1String("Med"), QLatin1String("Medium")).replace(QLatin1String("Btn"), QLatin1String("Button"));
    for (qsizetype i = name.size() - 1; i > 0; --i)
        if (name[i].isUpper() && name[i - 1].isLower())
            name.insert(i, QLatin1Char(' '));
    return name;
}

TColor TColorBox::Selected() const
{
    return TColor{itemData(lastIndex).toUInt()};
}

void TColorBox::SetSelected(TColor c)
{
    int i = findData(QVariant::fromValue(c.value));
    if (i < 0) {
        insertItem(customIndex(), swatch(c), ReadableName(c), QVariant::fromValue(c.value));
        i = customIndex() - 1;
    }
    setCurrentIndex(i);
}

void TColorBox::onActivated(int index)
{
    if (index != customIndex()) {
        emit Change();
        return;
    }
    const TColor previous = Selected();
    // The box never rests on "Custom…": back to the colour held until the user picks one.
    setCurrentIndex(lastIndex);
    if (const std::optional<TColor> c = pickColor(previous)) {
        SetSelected(*c);
        emit Change();
    }
}

namespace tg::config {

TColorBox *MakeColorBox(const char *name, QWidget *parent)
{
    auto *box = new TColorBox(parent);
    box->setObjectName(name);
    return box;
}

namespace {
const TColorBox &colorBox(const QComboBox *box)
{
    const auto *b = qobject_cast<const TColorBox *>(box);
    if (!b)
        throw std::logic_error("not a colour box: " + box->objectName().toStdString());
    return *b;
}
} // namespace

void SelectColor(QComboBox *box, TColor c)
{
    const_cast<TColorBox &>(colorBox(box)).SetSelected(c);
}

TColor ColorOf(const QComboBox *box)
{
    return colorBox(box).Selected();
}

} // namespace tg::config
