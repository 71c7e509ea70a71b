// The main window's stored-property lists against the real window.
#include "ActiveLabel.h"
#include "BackgroundFill.h"
#include "ColorBox.h"
#include "GvVMeter.h"
#include "Image.h"
#include "IniFileStorage.h"
#include "LedPanel.h"
#include "MainWindow.h"

#include <QCheckBox>
#include <QFile>
#include <QMetaProperty>
#include <QRadioButton>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Entry {
    QString component, property;
};

// A settings file as a user might have edited it.
QString handEdited(const QTemporaryDir &dir, const char *text)
{
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return file;
}

QList<Entry> entries(const QStringList &list)
{
    QList<Entry> out;
    for (const QString &e : list) {
        const qsizetype dot = e.indexOf(QLatin1Char('.'));
        out.push_back({e.left(dot), e.mid(dot + 1)});
    }
    return out;
}

} // namespace

TEST(WindowStorage, EveryListedPropertyExistsAndCanBeReadBack)
{
    QTemporaryDir dir;
    TFormMain w(dir.filePath(QStringLiteral("s.ini")));
    int resolved = 0, total = 0;
    QStringList broken;
    for (const QStringList &list : {storedPropsAllgemein(), storedPropsInstrumente(), storedPropsCheckBoxes()}) {
        for (const Entry &e : entries(list)) {
            ++total;
            const QObject *obj = w.findChild<QObject *>(e.component);
            if (!obj)
                continue;
            try {
                const QMetaProperty p = IniFileStorage::ResolveProperty(obj, e.property);
                // Exactly the listed name, so the file's keys match the properties.
                if (QLatin1String(p.name()) == e.property) {
                    ++resolved;
                    continue;
                }
            } catch (const EStorageError &) {
            }
            broken << e.component + QLatin1Char('.') + e.property;
        }
    }
    EXPECT_TRUE(broken.isEmpty()) << qPrintable(broken.join(QLatin1String(", ")));
    EXPECT_EQ(total, 318);
    EXPECT_EQ(resolved, total);
}

TEST(WindowStorage, RestoredOptionsReachTheirControls)
{
    QTemporaryDir dir;
    const QString file = handEdited(dir, "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local]\n"
                                         "ColorBoxShowFarbeVon_Selected=1193046\n"
                                         "ComboBoxBaud_Text=250000\n"
                                         "Image1_Visible=FALSE\n"
                                         "RadioButtonBildSichtbar_Checked=FALSE\n"
                                         "Instr35_Alignment=taRightJustify\n"
                                         "Instr60_Color=clYellow\n"
                                         "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\BackgroundFill1_FillObject]\n"
                                         "Brush=clRed\n"
                                         "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\BackgroundFill1_FillObject\\Gradient]\n"
                                         "ColorFrom=clAqua\n"
                                         "Visible=FALSE\n"
                                         "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\Instr35_Font]\n"
                                         "Height=-40\n"
                                         "Name=Liberation Serif\n");
    TFormMain w(file);
    w.show();
    EXPECT_EQ(w.ColorBoxShowFarbeVon->Selected().value, 0x123456u);
    EXPECT_EQ(w.ComboBoxBaud->currentText(), "250000");
    EXPECT_TRUE(w.Image1->isHidden());
    // Both radio buttons of the pair may stand unchecked, as stored.
    EXPECT_FALSE(w.findChild<QRadioButton *>("RadioButtonBildSichtbar")->isChecked());
    EXPECT_FALSE(w.findChild<QRadioButton *>("RadioButtonBildUnsichtbar")->isChecked());
    auto *label = w.findChild<ActiveLabel *>("Instr35");
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(label->font().pixelSize(), 40);
    EXPECT_EQ(w.findChild<TLedPanel *>("Instr60")->palette().color(QPalette::Window), QColor(Qt::yellow));
    EXPECT_EQ(w.BackgroundFill1->GradSettings()->ColorFrom().value, clAqua.value);
    // With the gradient off the page shows the brush colour.
    const QImage shown = w.BackgroundFill1->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::red));

    // Choosing a colour in the box colours the background's gradient.
    w.ColorBoxShowFarbeVon->pickColor = [](TColor) { return std::optional<TColor>(rgbColor(1, 2, 3)); };
    w.ColorBoxShowFarbeVon->activated(w.ColorBoxShowFarbeVon->count() - 1);
    EXPECT_EQ(w.BackgroundFill1->GradSettings()->ColorFrom().value, rgbColor(1, 2, 3).value);
    EXPECT_EQ(w.ColorBoxShowFarbeVon->currentText(), "#010203");
}

namespace {

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file's lines with LF ends; window positions (which depend on the screen) as "*".
QList<QByteArray> comparable(const QByteArray &ini)
{
    QList<QByteArray> lines = QByteArray(ini).replace("\r\n", "\n").split('\n');
    for (QByteArray &l : lines)
        if (l.startsWith("NormPos") || l.startsWith("MinMaxPos"))
            l = l.left(l.indexOf('=') + 1) + '*';
    return lines;
}

// Reports the first line that differs, rather than two whole files.
void expectSameLines(const QList<QByteArray> &actual, const QList<QByteArray> &expected)
{
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "line " << i + 1 << ": " << actual[i].constData() << " instead of " << expected[i].constData();
            return;
        }
    EXPECT_EQ(actual.size(), expected.size());
}

} // namespace

TEST(WindowStorage, TheFirstStartWritesTheWholeFileAndASecondSaveTheSameBytes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    // Ended as the program ends: closed, then destroyed.
    {
        TFormMain w(file);
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.close();
    }
    const QByteArray first = readAll(file);
    const QList<QByteArray> golden = comparable(readAll(QStringLiteral(TG_TEST_DATA "/first-start.ini")));
    ASSERT_GT(golden.size(), 2000);
    expectSameLines(comparable(first), golden);

    {
        TFormMain w(file);
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.close();
    }
    // A window larger than the test screen is centred anew each time instead of being put back,
    // so only its position may differ.
    expectSameLines(comparable(readAll(file)), comparable(first));
}

TEST(WindowStorage, AMeterKeepsItsGivenSizeUntilShownWhateverItsFonts)
{
    QTemporaryDir dir;
    const QString file = handEdited(dir, "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local]\n"
                                         "Instr2_Visible=TRUE\nCheckBox2_Checked=TRUE\n"
                                         "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\Instr1_ScaleSettings\\Font]\n"
                                         "Height=-60\n"
                                         "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\Instr2_ScaleSettings\\Font]\n"
                                         "Height=-60\n");
    TFormMain w(file);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto *hidden = qobject_cast<TGvVMeter *>(w.instrument(1));
    auto *shown = qobject_cast<TGvVMeter *>(w.instrument(2));
    EXPECT_EQ(hidden->ScaleSettings()->Font()->Height(), -60);
    // What the file would keep for the hidden meter is the size it was given.
    EXPECT_EQ(QSize(hidden->Width(), hidden->Height()), QSize(100, 150));
    // A shown meter takes the room its fonts need, and so does the hidden one once shown.
    EXPECT_GT(shown->width(), 125);
    EXPECT_EQ(shown->size(), QSize(shown->NeededWidth(), shown->NeededHeight()));
    w.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->click();
    EXPECT_EQ(hidden->size(), shown->size());
}

TEST(WindowStorage, HandEditedGeometryBeyondTheScreenIsHeldWithinBounds)
{
    QTemporaryDir dir;
    const QString file = handEdited(dir, "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local]\n"
                                         "Instr1_Visible=TRUE\nInstr1_Left=2147483647\nInstr1_Width=2147483647\nInstr1_Height=-5\n"
                                         "Instr35_Visible=TRUE\nInstr35_Top=-2147483648\nInstr35_Width=100000\n"
                                         "CheckBox1_Checked=TRUE\nCheckBox35_Checked=TRUE\n");
    {
        TFormMain w(file);
        w.show();
        QWidget *meter = qobject_cast<QWidget *>(w.instrument(1));
        EXPECT_EQ(meter->x(), 32767);
        EXPECT_LE(meter->width(), 32767);
        QWidget *label = qobject_cast<QWidget *>(w.instrument(35));
        EXPECT_EQ(label->y(), -32767);
        EXPECT_EQ(label->width(), 32767);
        // Painting the page with them in place must not overflow either.
        EXPECT_FALSE(w.grab().isNull());
        w.close();
    }
    const QByteArray saved = readAll(file);
    EXPECT_TRUE(saved.contains("Instr1_Left=32767"));
}
