// Settings changes repaint, and the stored-property rules of the instruments hold in the
// settings file.
#include "GvLED.h"
#include "GvVMeter.h"
#include "IniFileStorage.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {
QImage render(QWidget &w)
{
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

// A parent with a font of its own, as the panel form has.
class FontParent : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TFont *Font READ Font)
public:
    TFont *Font() const { return font; }
    TFont *font = new TFont(this);
};
} // namespace

// After loading, every font and record change of an instrument lays out and repaints it.
TEST(StoredSettings, FontAndRecordChangesRepaint)
{
    QWidget parent;
    auto *led = new TGvLED(&parent);
    led->SetParentFont(false);
    led->SetCaption(QStringLiteral("Pumpe"));
    led->resize(120, 40);
    led->loaded();
    parent.show();
    const QImage before = render(*led);
    led->TakeDirtyRegion();
    led->Font()->SetHeight(-20);
    EXPECT_EQ(led->TakeDirtyRegion(), QRegion(led->rect()));
    EXPECT_NE(render(*led), before);

    auto *m = new TGvVMeter(&parent);
    m->loaded();
    for (auto change : std::initializer_list<std::function<void()>>{
             [&] { m->Font()->SetHeight(-20); }, [&] { m->FontValue()->SetHeight(-25); },
             [&] { m->ScaleSettings()->Font()->SetHeight(-9); }, [&] { m->BevelOuter()->SetWidth(4); },
             [&] { m->SignalSettings()->SetName1(QStringLiteral("Druck")); },
             [&] { m->SectorSettings()->SetSector1To(700); }}) {
        m->TakeDirtyRegion();
        change();
        EXPECT_EQ(m->TakeDirtyRegion(), QRegion(m->rect()));
    }
}

// ParentFont: the caption follows the parent's font until the LED is given its own.
TEST(StoredSettings, LedParentFont)
{
    FontParent parent;
    parent.font->SetHeight(-30);
    auto *led = new TGvLED(&parent);
    led->SetCaption(QStringLiteral("Pumpe"));
    led->resize(200, 60);
    led->loaded();
    EXPECT_TRUE(led->ParentFont());
    const QImage big = render(*led);
    parent.font->SetHeight(-8);
    led->SetParentFont(false);
    led->SetParentFont(true); // a settings change lays out with the parent's font now
    const QImage small = render(*led);
    EXPECT_NE(big, small);
    led->Font()->SetHeight(-30);
    EXPECT_FALSE(led->ParentFont()); // an own font ends following the parent
}

// Stored only where the rules say so: LogScale when on, HintOptions when not all eight, the
// LED's font when its own, its caption when not its name, ParentFont when off.
TEST(StoredSettings, ConditionalPropertiesInTheSettingsFile)
{
    QWidget parent;
    auto *m = new TGvVMeter(&parent);
    m->setObjectName(QStringLiteral("Instr3"));
    auto *led = new TGvLED(&parent);
    led->setObjectName(QStringLiteral("Led1"));
    m->loaded();
    led->loaded();
    // Qt's own widget properties are not walked, so storing the whole widget succeeds.
    auto store = [](IniFileStorage &ini, QObject *m, QObject *led) {
        ini.StoreObject(QStringLiteral("Form\\Instr3"), m);
        ini.StoreObject(QStringLiteral("Form\\Led1"), led);
    };
    IniFileStorage ini(QString(), nullptr);
    ini.FlushOnDestroy = false;
    store(ini, m, led);
    EXPECT_FALSE(ini.HasValue(QStringLiteral("Form\\Instr3\\LogScale")));
    EXPECT_FALSE(ini.HasSection(QStringLiteral("Form\\Instr3\\HintOptions")));
    EXPECT_TRUE(ini.HasValue(QStringLiteral("Form\\Instr3\\Value")));
    EXPECT_FALSE(ini.HasValue(QStringLiteral("Form\\Led1\\Caption")));
    EXPECT_FALSE(ini.HasValue(QStringLiteral("Form\\Led1\\ParentFont")));
    EXPECT_FALSE(ini.HasSection(QStringLiteral("Form\\Led1\\Font")));

    m->SetLogScale(true);
    m->SetHintOptions(gv::THintOptions(0x0F));
    led->SetCaption(QStringLiteral("Pumpe"));
    led->Font()->SetHeight(-15);
    store(ini, m, led);
    EXPECT_TRUE(ini.LoadBool(QStringLiteral("Form\\Instr3\\LogScale"), false));
    EXPECT_TRUE(ini.HasSection(QStringLiteral("Form\\Instr3\\HintOptions"))); // a set is a section
    EXPECT_EQ(ini.LoadText(QStringLiteral("Form\\Led1\\Caption"), QString()), QStringLiteral("Pumpe"));
    EXPECT_FALSE(ini.LoadBool(QStringLiteral("Form\\Led1\\ParentFont"), true));
    EXPECT_EQ(ini.LoadInt(QStringLiteral("Form\\Led1\\Font\\Height"), 0), -15);
}

#include "StoredSettingsTest.moc"
