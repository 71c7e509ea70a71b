// Push button: the order of mouse events (what the panel sends to the device hangs on it),
// groups, the disabled button, and the looks that follow state, flash phase and hover.
#include "GvColBitBtn.h"
#include "InstrumentProbes.h"

#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace probes;

namespace {
// The panel's push button, with every event written to a log.
struct PanelButton {
    QWidget parent;
    TGvColBitBtn *b = new TGvColBitBtn(&parent);
    QStringList log;
    PanelButton()
    {
        parent.resize(200, 100);
        b->setGeometry(10, 10, 81, 32);
        b->GradBtnFace()->SetColorFrom(clCream);
        b->GradBtnFace()->SetColorTo(clGray);
        b->SetTextOn(QStringLiteral("#70"));
        b->SetTextColOn(clRed);
        b->SetText3D(false);
        b->loaded();
        const auto name = [](Qt::MouseButton m) { return m == Qt::LeftButton ? QStringLiteral("L") : QStringLiteral("R"); };
        b->OnMouseDown = [&, name](QObject *, Qt::MouseButton m, Qt::KeyboardModifiers, int, int) {
            log << "down" + name(m) + (b->Checked() ? "+" : "-");
        };
        b->OnMouseUp = [&, name](QObject *, Qt::MouseButton m, Qt::KeyboardModifiers, int, int) {
            log << "up" + name(m) + (b->Checked() ? "+" : "-");
        };
        b->OnClick = [&](QObject *) { log << QStringLiteral("click"); };
        b->OnDblClick = [&](QObject *) { log << QStringLiteral("dbl"); };
        b->OnStatusChanged = [&](QObject *) { log << (b->Checked() ? QStringLiteral("on") : QStringLiteral("off")); };
        parent.show();
    }
};

int countColour(const QImage &img, QRgb c) { return countIn(img, img.rect(), c); }
const QRgb Red = qRgb(255, 0, 0);
const QRgb Black = qRgb(0, 0, 0);
} // namespace

TEST(ColBitBtn, MouseEventsComeInTheOrderThePanelSendsFrom)
{
    PanelButton t;
    const QPoint at(40, 16);
    QTest::mousePress(t.b, Qt::LeftButton, {}, at);
    EXPECT_TRUE(t.b->Pressed());
    QTest::mouseRelease(t.b, Qt::LeftButton, {}, at);
    EXPECT_EQ(t.log, QStringList({"downL-", "on", "upL+", "click", "off"}));
    EXPECT_FALSE(t.b->Pressed());
    EXPECT_FALSE(t.b->Checked());

    // The right button gets the plain events only: no state, no click.
    t.log.clear();
    QTest::mousePress(t.b, Qt::RightButton, {}, at);
    QTest::mouseRelease(t.b, Qt::RightButton, {}, at);
    EXPECT_EQ(t.log, QStringList({"downR-", "upR-"}));

    // A double click as the platform delivers it (press, release, double click, release) is
    // two presses and two releases for the device.
    t.log.clear();
    QTest::mouseClick(t.b, Qt::LeftButton, {}, at);
    QTest::mouseDClick(t.b, Qt::LeftButton, {}, at);
    QTest::mouseRelease(t.b, Qt::LeftButton, {}, at);
    EXPECT_EQ(t.log.count("downL-"), 2) << t.log.join(' ').toStdString();
    EXPECT_EQ(t.log.count("upL+"), 2) << t.log.join(' ').toStdString();
    EXPECT_EQ(t.log.count("dbl"), 1);
    EXPECT_EQ(t.log.indexOf("dbl"), t.log.lastIndexOf("on") + 1);
    EXPECT_FALSE(t.b->Checked());
}

TEST(ColBitBtn, DisabledButtonSendsNothingAndLooksDisabled)
{
    PanelButton t;
    t.b->SetEnabled(false);
    EXPECT_FALSE(t.b->IsEnabled());
    EXPECT_FALSE(t.b->property("Enabled").toBool());
    QTest::mousePress(t.b, Qt::LeftButton, {}, QPoint(40, 16));
    QTest::mouseRelease(t.b, Qt::LeftButton, {}, QPoint(40, 16));
    QTest::mousePress(t.b, Qt::RightButton, {}, QPoint(40, 16));
    QTest::mouseRelease(t.b, Qt::RightButton, {}, QPoint(40, 16));
    EXPECT_TRUE(t.log.isEmpty()) << t.log.join(' ').toStdString();
    const auto look = t.b->CurrentLook();
    EXPECT_EQ(look.textColor, clBtnShadow);
    EXPECT_EQ(look.face, TColor{0xA0A0A0u});

    t.b->SetEnabled(true);
    QTest::mousePress(t.b, Qt::LeftButton, {}, QPoint(40, 16));
    EXPECT_EQ(t.log.first(), "downL-");
}

TEST(ColBitBtn, PanelCaptionKeepsItsTextAndChangesColourWhileHeld)
{
    PanelButton t;
    auto look = t.b->CurrentLook();
    EXPECT_EQ(look.caption, "#70");
    EXPECT_EQ(look.textColor, clBlack);
    EXPECT_TRUE(look.raised);
    const QImage up = render(*t.b);
    EXPECT_GT(countColour(up, Black), 10);
    EXPECT_EQ(countColour(up, Red), 0);

    QTest::mousePress(t.b, Qt::LeftButton, {}, QPoint(40, 16));
    look = t.b->CurrentLook();
    EXPECT_EQ(look.caption, "#70");
    EXPECT_EQ(look.textColor, clRed);
    EXPECT_FALSE(look.raised);
    // The caption shifts by OffsetDown while held.
    const QImage down = render(*t.b);
    EXPECT_GT(countColour(down, Red), 10);
    QTest::mouseRelease(t.b, Qt::LeftButton, {}, QPoint(40, 16));
    EXPECT_EQ(t.b->CurrentLook().captionAnchor, look.captionAnchor - QPoint(1, 1));
}

TEST(ColBitBtn, RadioGroupKeepsOneButtonOn)
{
    QWidget parent;
    TGvColBitBtn *b[3];
    for (int i = 0; i < 3; ++i) {
        b[i] = new TGvColBitBtn(&parent);
        b[i]->setGeometry(10 + 70 * i, 10, 65, 33);
        b[i]->SetMode(gv::mRadioButton);
        b[i]->SetStatusBit(i);
        b[i]->SetGroupIndex(1);
        b[i]->loaded();
    }
    parent.show();
    QTest::mouseClick(b[2], Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_FALSE(b[0]->Checked());
    EXPECT_FALSE(b[1]->Checked());
    EXPECT_TRUE(b[2]->Checked());
    QTest::mouseClick(b[1], Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_FALSE(b[0]->Checked());
    EXPECT_TRUE(b[1]->Checked());
    EXPECT_FALSE(b[2]->Checked());
    for (auto *x : b)
        EXPECT_EQ(x->StatusInt(), 2);
}

TEST(ColBitBtn, GlyphImagesFollowStateWithBottomLeftPixelTransparent)
{
    // Three 8 x 8 images: blue, green, yellow, each on a magenta ground (bottom-left pixel).
    QImage strip(24, 8, QImage::Format_RGB32);
    strip.fill(qRgb(255, 0, 255));
    const QRgb colours[3] = {qRgb(0, 0, 255), qRgb(0, 255, 0), qRgb(255, 255, 0)};
    for (int i = 0; i < 3; ++i)
        for (int y = 2; y < 6; ++y)
            for (int x = 2; x < 6; ++x)
                strip.setPixel(8 * i + x, y, colours[i]);

    PanelButton t;
    t.b->SetGlyph(strip);
    t.b->SetNumGlyph(2);
    t.b->SetNumGlyph(0); // ignored
    EXPECT_EQ(t.b->NumGlyph(), 2);
    t.b->SetChecked(true);
    EXPECT_EQ(t.b->CurrentLook().glyphIndex, 0); // the on image needs three
    t.b->SetNumGlyph(3);
    EXPECT_EQ(t.b->CurrentLook().glyphIndex, 2);
    QImage img = render(*t.b);
    EXPECT_EQ(countColour(img, colours[2]), 16);
    EXPECT_EQ(countColour(img, qRgb(255, 0, 255)), 0);
    t.b->SetEnabled(false);
    EXPECT_EQ(t.b->CurrentLook().glyphIndex, 1);
    t.b->SetNumGlyph(2);
    EXPECT_EQ(t.b->CurrentLook().glyphIndex, 1);

    // Glyph left of the text, the gap only when both are there.
    t.b->SetEnabled(true);
    t.b->SetChecked(false);
    auto look = t.b->CurrentLook();
    EXPECT_EQ(look.captionAnchor.x() - look.glyphPos.x(), 12 + 4);
    t.b->SetTextOn(QString());
    look = t.b->CurrentLook();
    EXPECT_EQ(look.glyphPos.x(), 81 / 2 - 12 / 2);
    // A glyph without height leaves one image.
    t.b->SetGlyph(QImage());
    EXPECT_EQ(t.b->NumGlyph(), 1);
    EXPECT_EQ(t.b->CurrentLook().glyphIndex, -1);
}

TEST(ColBitBtn, FlashAlternatesTheChosenElements)
{
    ManualFlash flash;
    PanelButton t;
    t.b->SetTextOff(QStringLiteral("off"));
    t.b->SetFlashOptions(TGvColBitBtn::foText);
    t.b->SetChecked(true);
    t.b->SetFlashing(true);
    t.b->FlashChange(false);
    EXPECT_EQ(t.b->CurrentLook().caption, "off");
    EXPECT_EQ(t.b->CurrentLook().textColor, clRed); // colour is not in FlashOptions
    t.b->FlashChange(true);
    EXPECT_EQ(t.b->CurrentLook().caption, "#70");
    t.b->SetFlashing(false);
    t.b->FlashChange(false);
    EXPECT_EQ(t.b->CurrentLook().caption, "#70");
}

TEST(ColBitBtn, FlatButtonShowsItsFrameOnlyUnderTheMouse)
{
    PanelButton t;
    t.b->SetFlat(true);
    EXPECT_FALSE(t.b->CurrentLook().frame);
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QCoreApplication::sendEvent(t.b, &enter);
    EXPECT_TRUE(t.b->Hovering());
    EXPECT_TRUE(t.b->CurrentLook().frame);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(t.b, &leave);
    EXPECT_FALSE(t.b->CurrentLook().frame);
    t.b->DesignMode = true;
    EXPECT_TRUE(t.b->CurrentLook().frame);
}
