#include "Color.h"
#include "Font.h"

#include <QFontMetrics>
#include <QMetaProperty>
#include <gtest/gtest.h>

TEST(Color, NamesRoundTripAndDecimalFallback)
{
    const TColor named[] = {clBlack, clMaroon, clNavy, clSilver, clSkyBlue, clCream, clMedGray,
                            clScrollBar, clBtnFace, cl3DDkShadow, clInfoBk, clHotLight,
                            clMenuBar, clNone, clDefault};
    for (TColor c : named) {
        const QString s = colorToString(c);
        ASSERT_TRUE(s.startsWith(QLatin1String("cl"))) << c.value;
        EXPECT_EQ(colorFromString(s), c) << s.toStdString();
        EXPECT_EQ(colorFromString(s.toUpper()), c) << s.toStdString();
    }
    // Red is the lowest byte: the name and the number 255 are the same colour.
    EXPECT_EQ(colorToString(255), QStringLiteral("clRed"));
    EXPECT_EQ(colorFromString(QStringLiteral("255")), clRed);
    EXPECT_EQ(colorToString(clSkyBlue), QStringLiteral("clSkyBlue"));
    EXPECT_EQ(clSkyBlue, rgbColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(colorToString(1193046), QStringLiteral("1193046"));
    // Unnamed system colour 25: written as the signed 32-bit number; both forms read back.
    EXPECT_EQ(colorToString(0xFF000019u), QStringLiteral("-16777191"));
    EXPECT_EQ(colorFromString(QStringLiteral("-16777191")), TColor(0xFF000019u));
    EXPECT_EQ(colorFromString(QStringLiteral("4278190105")), TColor(0xFF000019u));
    for (const char *bad : {"", "-", "clRedd", "12a", "4294967296", "-2147483649", " 5", "0x10"})
        EXPECT_FALSE(colorFromString(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(Color, SystemColoursResolveThroughFixedTable)
{
    EXPECT_EQ(toQColor(clBtnFace), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(toQColor(clBtnShadow), QColor(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(toQColor(cl3DDkShadow), QColor(0x69, 0x69, 0x69));
    EXPECT_EQ(toQColor(clHighlight), QColor(0x00, 0x78, 0xD7));
    EXPECT_EQ(toQColor(clInfoBk), QColor(0xFF, 0xFF, 0xE1));
    EXPECT_EQ(toQColor(clMenuBar), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(toQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(clNavy), QColor(0, 0, 0x80));
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
    EXPECT_EQ(toQColor(clDefault, Qt::green), QColor(Qt::green));
    EXPECT_EQ(toQColor(TColor(0xFF0000FFu)), QColor(0, 0, 0)); // unknown index
    EXPECT_EQ(fromQColor(QColor(0xA6, 0xCA, 0xF0)), clSkyBlue);
}

TEST(Charset, NamesAndRange)
{
    EXPECT_EQ(charsetToString(DEFAULT_CHARSET), QStringLiteral("DEFAULT_CHARSET"));
    EXPECT_EQ(charsetToString(OEM_CHARSET), QStringLiteral("OEM_CHARSET"));
    EXPECT_EQ(charsetToString(TFontCharset(3)), QStringLiteral("3"));
    EXPECT_EQ(charsetFromString(QStringLiteral("russian_charset")), RUSSIAN_CHARSET);
    EXPECT_EQ(charsetFromString(QStringLiteral("238")), EASTEUROPE_CHARSET);
    EXPECT_FALSE(charsetFromString(QStringLiteral("256")).has_value());
    EXPECT_FALSE(charsetFromString(QStringLiteral("-1")).has_value());
}

TEST(Font, PropertiesDefaultsAndChangeNotice)
{
    TFont f;
    const QMetaObject *mo = f.metaObject();
    QStringList names;
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
        names << QString::fromLatin1(mo->property(i).name());
    EXPECT_EQ(names, (QStringList{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));
    EXPECT_EQ(f.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.Size(), 8);

    int notices = 0;
    f.OnChange = [&] { ++notices; };
    f.SetSize(8); // same height: no notice
    EXPECT_EQ(notices, 0);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -17);
    EXPECT_EQ(notices, 1);
    f.SetHeight(-27);
    EXPECT_EQ(f.Size(), 16);

    TFont g;
    g.SetName(QStringLiteral("Arial"));
    g.SetStyle(fsBold | fsItalic);
    g.SetColor(clRed);
    notices = 0;
    f.Assign(g);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(f.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(f.Height(), g.Height());
    f.Assign(g);
    EXPECT_EQ(notices, 1);
}

TEST(Font, RenderMappingKeepsNameAndClampsSize)
{
    TFont f;
    f.SetHeight(-13);
    f.SetStyle(fsBold);
    QFont q = f.toQFont();
    EXPECT_EQ(q.pixelSize(), 13);
    EXPECT_TRUE(q.bold());
    EXPECT_EQ(f.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_TRUE(QFont::substitutes(QStringLiteral("Arial")).contains(QStringLiteral("Liberation Sans"), Qt::CaseInsensitive))
        << QFont::substitutes(QStringLiteral("Arial")).join(u',').toStdString();

    f.SetHeight(-100000); // from a damaged file
    EXPECT_EQ(f.toQFont().pixelSize(), 1000);
    f.SetHeight(20); // a cell height: the line height comes close to it
    q = f.toQFont();
    EXPECT_LE(std::abs(QFontMetrics(q).height() - 20), 2);
}
