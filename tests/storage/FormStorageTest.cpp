// Form storages: paths, lists, restore and save, window placement and the order of several
// storages on one window.
#include "FormStorage.h"
#include "IniFileStorage.h"
#include "TestObjects.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// A small window with a meter-like record and a check box.
struct SmallWindow {
    QWidget form;
    TTestRecord *instr2;
    TTestCheckBox *check1;

    SmallWindow()
    {
        form.setObjectName("FormMain");
        form.setGeometry(100, 80, 300, 200);
        instr2 = new TTestRecord(&form);
        instr2->setObjectName("Instr2");
        check1 = new TTestCheckBox(&form);
        check1->setObjectName("CheckBox1");
    }
};

const QByteArray kBase = "FormMain\\C:\\Users\\Kalbrino\\AppData\\Local";

struct Forms : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Tavelgrid.ini"); }
};

} // namespace

TEST(FormStorageLists, ThreeListsAsTheWindowStoresThem)
{
    const QStringList a = storedPropsAllgemein();
    const QStringList i = storedPropsInstrumente();
    const QStringList c = storedPropsCheckBoxes();
    EXPECT_EQ(a.size(), 102);
    EXPECT_EQ(i.size(), 192);
    EXPECT_EQ(c.size(), 24);
    EXPECT_EQ(a.first(), "ColorBoxShowFarbeVon.Selected");
    EXPECT_EQ(a.last(), "Instr36.Width");
    EXPECT_TRUE(a.contains("Image1.Picture") && a.contains("Instr35.Alignment"));
    EXPECT_FALSE(a.contains("Instr36.Alignment"));
    EXPECT_TRUE(i.contains("Instr2.BevelValue") && !i.contains("Instr2.LogScale"));
    EXPECT_TRUE(i.contains("Instr3.LogScale") && !i.contains("Instr3.BevelValue"));
    EXPECT_EQ(i.last(), "Instr1.Width");
    EXPECT_EQ(c[10], "CheckBox60.Checked");
    EXPECT_FALSE(c.contains("CheckBox81.Checked"));
}

TEST_F(Forms, PathsAndListResolution)
{
    SmallWindow w;
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    FormStorage fs(&w.form, &ini);
    EXPECT_EQ(fs.FormPath(), "FormMain");
    EXPECT_EQ(fs.PropsBasePath(), QString::fromLatin1(kBase));
    fs.AppStoragePath = "Forms\\%form_name%";
    EXPECT_EQ(fs.FormPath(), "Forms\\FormMain");

    fs.StoredProps = {"Instr2.Left", " CheckBox1 . Checked ", "Missing9.Left", "Instr2.", ".Left",
                      "NoDot", "FormMain.Width"};
    fs.ResolveStoredProps();
    EXPECT_EQ(fs.StoredProps,
              (QStringList{"Instr2.Left", " CheckBox1 . Checked ", "FormMain.Width"}));
}

TEST_F(Forms, SmallWindowFileByteForByte)
{
    {
        SmallWindow w;
        IniFileStorage ini(path());
        FormStorage fs(&w.form, &ini);
        fs.StoredProps = {"Instr2.Left", "Instr2.Hint", "Instr2.Options", "Instr2.ScaleSettings",
                          "Instr2.Picture", "CheckBox1.Checked", "Missing9.Left"};
        TFormEvents events;
        fs.Hook(events);
        events.OnShow(&w.form);
        EXPECT_TRUE(fs.Restored());
        fs.SaveSettings();
    }
    QByteArray expected = readAll(TG_STORAGE_TEST_DATA "/small-window.ini");
    expected.replace("(800x600)", FormStorage::desktopSizeSuffix().toLatin1());
    EXPECT_EQ(readAll(path()), expected);
}

TEST_F(Forms, RestoreReadsPlacementStateAndEntries)
{
    SmallWindow w;
    writeFile(path(), "[FormMain]\r\nFormVersion=0\r\nShowCmd=3\r\nFlags=0\r\nPixelsPerInch=120\r\n"
                      "NormPos" + FormStorage::desktopSizeSuffix().toLatin1() + "=10,20,310,220\r\n"
                      "NormPos=0,0,50,50\r\n"
                      "[" + kBase + "]\r\nInstr2_Left=abc\r\nInstr2_Hint=restored\r\n"
                      "Instr2_Visible=TRUE\r\nCheckBox1_Checked=yes\r\n"
                      "[" + kBase + "\\Instr2_ScaleSettings]\r\nColor=clLime\r\nSteps=x\r\nValueFormat=#.0\r\n");
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    FormStorage fs(&w.form, &ini);
    fs.StoredProps = {"Instr2.Left", "Instr2.ScaleSettings", "Instr2.Hint", "Instr2.Visible",
                      "CheckBox1.Checked"};
    fs.RestoreSettings();
    EXPECT_TRUE(fs.PlacementRestored());
    // The stored rectangle is the outer frame; the client is what the frame leaves of it.
    EXPECT_EQ(w.form.geometry(), QRect(10, 20, 300, 200).marginsRemoved(w.form.windowHandle()->frameMargins()));
    const TWindowPlacement p = FormStorage::readPlacement(&w.form);
    EXPECT_EQ(QRect(QPoint(p.left, p.top), QPoint(p.right - 1, p.bottom - 1)), QRect(10, 20, 300, 200));
    EXPECT_TRUE(w.form.windowState() & Qt::WindowMaximized);
    // Malformed values abandon their entry only; what was read before stays.
    EXPECT_EQ(w.instr2->Left, 8);
    EXPECT_EQ(w.instr2->ScaleSettings()->Color, clLime);
    EXPECT_EQ(w.instr2->ScaleSettings()->ValueFormat, "##0");
    EXPECT_EQ(w.instr2->Hint, "restored");
    EXPECT_TRUE(w.instr2->Visible);
    EXPECT_TRUE(w.check1->Checked());
}

TEST_F(Forms, PlacementNeedsSameResolutionAndAVisibleMonitor)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Case {
        QByteArray keys;
        bool applied;
    } cases[] = {
        {"PixelsPerInch=96\r\nNormPos=10,20,310,220\r\n", false},
        {"NormPos=10,20,310,220\r\n", true}, // plain key, resolution missing: taken as the screen's
        {"NormPos=" + QByteArray::number(screen.right() + 100) + ",0,"
             + QByteArray::number(screen.right() + 400) + ",200\r\n", false},
        {"NormPos=" + QByteArray::number(screen.right() - 50) + ",0,"
             + QByteArray::number(screen.right() + 400) + ",200\r\n", false},
        {"NormPos=310,20,10,220\r\n", false},
        {"NormPos=10,20\r\n", true}, // missing numbers keep the window's own
        {"ShowCmd=1\r\n", false},
    };
    for (const Case &c : cases) {
        SmallWindow w;
        writeFile(path(), "[FormMain]\r\n" + c.keys);
        IniFileStorage ini(path());
        ini.FlushOnDestroy = false;
        FormStorage fs(&w.form, &ini);
        fs.RestoreSettings();
        EXPECT_EQ(fs.PlacementRestored(), c.applied) << c.keys.constData();
        EXPECT_EQ(w.form.geometry().topLeft() != QPoint(100, 80), c.applied) << c.keys.constData();
    }
}

TEST_F(Forms, LowerStoredVersionSkipsRestoreButStillSaves)
{
    SmallWindow w;
    writeFile(path(), "[FormMain]\r\nFormVersion=0\r\nShowCmd=3\r\n[" + kBase
                          + "]\r\nInstr2_Hint=stored\r\n");
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    FormStorage fs(&w.form, &ini);
    fs.Version = 1;
    fs.StoredProps = {"Instr2.Hint"};
    fs.RestoreSettings();
    EXPECT_TRUE(fs.Restored());
    EXPECT_EQ(w.instr2->Hint, "1");
    EXPECT_FALSE(w.form.windowState() & Qt::WindowMaximized);
    w.instr2->Hint = "new";
    fs.SaveSettings();
    EXPECT_EQ(ini.LoadInt("FormMain\\FormVersion", 0), 1);
    EXPECT_EQ(ini.LoadText(kBase + "\\Instr2_Hint", ""), "new");

    // A storage that never restored writes only its version.
    SmallWindow other;
    other.form.setObjectName("Other");
    FormStorage never(&other.form, &ini);
    never.StoredProps = {"Instr2.Hint"};
    never.SaveSettings();
    EXPECT_TRUE(ini.HasValue("Other\\FormVersion"));
    EXPECT_FALSE(ini.HasValue("Other\\ShowCmd"));
    EXPECT_FALSE(ini.HasSection("Other\\C:"));
}

// Three storages hooked in the order of the main window: restore runs last-hooked first and
// before the window's own show handler; saving on close runs after the window's close
// handler, first-hooked first; destruction saves only what close did not.
TEST_F(Forms, HookingOrderOfThreeStorages)
{
    QWidget form;
    form.setObjectName("FormMain");
    QStringList log;
    TTestCheckBox *boxes[3];
    for (int i = 0; i < 3; ++i) {
        boxes[i] = new TTestCheckBox(&form);
        boxes[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        boxes[i]->OnChange = [&log](TTestCheckBox *b) { log << b->objectName(); };
    }
    writeFile(path(), "[" + kBase + "]\r\nCheckBox1_Checked=TRUE\r\nCheckBox2_Checked=TRUE\r\n"
                      "CheckBox3_Checked=TRUE\r\n");
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;

    TFormEvents events;
    events.OnShow = [&log](QWidget *) { log << "FormShow"; };
    bool allowClose = false; // the first request is refused
    events.OnCloseQuery = [&](QWidget *, bool &canClose) {
        log << QStringLiteral("FormCloseQuery saved=%1").arg(ini.HasValue("FormMain\\ShowCmd"));
        canClose = allowClose;
    };
    events.OnDestroy = [&log](QWidget *) { log << "FormDestroy"; };

    FormStorage allgemein(&form, &ini), instrumente(&form, &ini), checkBoxes(&form, &ini);
    allgemein.StoredProps = {"CheckBox1.Checked"};
    instrumente.StoredProps = {"CheckBox2.Checked", "CheckBox99.Checked"};
    checkBoxes.StoredProps = {"CheckBox3.Checked"};
    for (FormStorage *s : {&allgemein, &instrumente, &checkBoxes})
        s->Hook(events);
    EXPECT_EQ(instrumente.StoredProps.size(), 1);

    form.show(); // creates the native window the save requires
    events.OnShow(&form);
    events.OnShow(&form); // a second show does not restore again
    EXPECT_EQ(log, (QStringList{"CheckBox3", "CheckBox2", "CheckBox1", "FormShow", "FormShow"}));

    bool canClose = true;
    events.OnCloseQuery(&form, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_FALSE(allgemein.Saved());
    for (TTestCheckBox *b : boxes)
        b->SetChecked(false);
    log.clear();

    // The keys of the base section come out in the order the storages saved.
    ini.StoreText(kBase + "\\Marker", "x");
    allowClose = true;
    canClose = true;
    events.OnCloseQuery(&form, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(allgemein.Saved() && instrumente.Saved() && checkBoxes.Saved());
    EXPECT_EQ(log.first(), "FormCloseQuery saved=0");
    EXPECT_EQ(ini.LoadText(kBase + "\\CheckBox2_Checked", ""), "FALSE");

    log.clear();
    events.OnDestroy(&form);
    EXPECT_EQ(log, QStringList{"FormDestroy"});
}

TEST_F(Forms, SaveOrderShowsInTheFileAndDestroySavesTheRest)
{
    QWidget form;
    form.setObjectName("FormMain");
    for (int i = 1; i <= 3; ++i)
        (new TTestCheckBox(&form))->setObjectName(QStringLiteral("CheckBox%1").arg(i));
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    TFormEvents events;
    FormStorage a(&form, &ini), b(&form, &ini), c(&form, &ini);
    a.StoredProps = {"CheckBox1.Checked"};
    b.StoredProps = {"CheckBox2.Checked"};
    c.StoredProps = {"CheckBox3.Checked"};
    for (FormStorage *s : {&a, &b, &c})
        s->Hook(events);
    events.OnShow(&form);
    form.show();
    bool canClose = true;
    events.OnCloseQuery(&form, canClose);
    const QByteArray text = ini.ImageText();
    const qsizetype p1 = text.indexOf("CheckBox1_Checked"), p2 = text.indexOf("CheckBox2_Checked"),
                    p3 = text.indexOf("CheckBox3_Checked");
    EXPECT_TRUE(p1 > 0 && p1 < p2 && p2 < p3) << text.constData();

    // Without a close request (the program ended from its menu), destruction saves.
    QWidget form2;
    form2.setObjectName("Second");
    (new TTestCheckBox(&form2))->setObjectName("CheckBox1");
    TFormEvents events2;
    FormStorage d(&form2, &ini);
    d.StoredProps = {"CheckBox1.Checked"};
    d.Hook(events2);
    events2.OnShow(&form2);
    events2.OnDestroy(&form2);
    EXPECT_TRUE(d.Saved());
    EXPECT_TRUE(ini.HasValue("Second\\C:\\Users\\Kalbrino\\AppData\\Local\\CheckBox1_Checked"));
}

TEST_F(Forms, BridgeDeliversShowAndCloseOfARealWindow)
{
    SmallWindow w;
    writeFile(path(), "[FormMain]\r\nShowCmd=3\r\nNormPos=10,20,310,220\r\n");
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    TFormEvents events;
    int shows = 0;
    bool allow = false;
    events.OnShow = [&](QWidget *) { ++shows; };
    events.OnCloseQuery = [&](QWidget *, bool &canClose) { canClose = allow; };
    new FormEventBridge(&w.form, events);
    FormStorage fs(&w.form, &ini);
    fs.StoredProps = {"Instr2.Hint"};
    fs.Hook(events);
    w.form.show();
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(fs.Restored());
    EXPECT_TRUE(w.form.isMaximized());
    const TWindowPlacement p = FormStorage::readPlacement(&w.form); // the outer frame
    EXPECT_EQ(QRect(QPoint(p.left, p.top), QPoint(p.right, p.bottom)), QRect(10, 20, 301, 201));
    EXPECT_FALSE(w.form.close());
    EXPECT_TRUE(w.form.isVisible());
    EXPECT_FALSE(fs.Saved());
    allow = true;
    EXPECT_TRUE(w.form.close());
    EXPECT_TRUE(fs.Saved());
    EXPECT_TRUE(ini.HasValue(kBase + "\\Instr2_Hint"));
    EXPECT_EQ(ini.LoadInt("FormMain\\ShowCmd", 0), 3);
    EXPECT_EQ(ini.LoadText("FormMain\\NormPos", ""), "10,20,310,220");
}

TEST_F(Forms, MainWindowStoragesKeepOnlyExistingComponents)
{
    QWidget form;
    form.setObjectName("FormMain");
    for (const char *name : {"CheckBox40", "CheckBox1", "CheckBox81"})
        (new TTestCheckBox(&form))->setObjectName(name);
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    TFormEvents events;
    const TMainFormStorages s = createMainFormStorages(&form, &ini, events);
    EXPECT_EQ(s.CheckBoxes->objectName(), "FormStorageCheckBoxes");
    EXPECT_EQ(s.CheckBoxes->StoredProps, (QStringList{"CheckBox1.Checked", "CheckBox40.Checked"}));
    EXPECT_TRUE(s.Allgemein->StoredProps.isEmpty());
    EXPECT_TRUE(s.Instrumente->StoredProps.isEmpty());
    events.OnShow(&form);
    EXPECT_TRUE(s.Allgemein->Restored() && s.Instrumente->Restored() && s.CheckBoxes->Restored());
}

// A malformed placement value counts as missing: the stored properties are still read, and the
// save at the end writes back what the user had, not the initial values.
TEST_F(Forms, MalformedPlacementKeysLoseNothing)
{
    const QByteArray cases[] = {
        "Flags=0x2\r\n", "ShowCmd=max\r\n", "PixelsPerInch=96dpi\r\n", "FormVersion=v1\r\n",
        "ShowCmd=18446744073709551616999\r\n",
    };
    for (const QByteArray &placement : cases) {
        writeFile(path(), "[FormMain]\r\n" + placement + "[" + kBase
                              + "]\r\nInstr2_Hint=users\r\nCheckBox1_Checked=TRUE\r\n");
        {
            SmallWindow w;
            IniFileStorage ini(path());
            FormStorage fs(&w.form, &ini);
            fs.StoredProps = {"Instr2.Hint", "CheckBox1.Checked"};
            EXPECT_NO_THROW(fs.RestoreSettings()) << placement.constData();
            EXPECT_EQ(w.instr2->Hint, "users") << placement.constData();
            EXPECT_TRUE(w.check1->Checked()) << placement.constData();
            fs.SaveSettings();
        }
        IniFileStorage back(path());
        back.FlushOnDestroy = false;
        EXPECT_EQ(back.LoadText(kBase + "\\Instr2_Hint", ""), "users") << placement.constData();
        EXPECT_EQ(back.LoadText(kBase + "\\CheckBox1_Checked", ""), "TRUE") << placement.constData();
    }
}

// A stored version below the storage's skips the restore, and the save writes the initial
// values; but sections and keys the storage does not write stay in the file.
TEST_F(Forms, NegativeVersionSkipsRestoreButKeepsForeignSections)
{
    writeFile(path(), "[FormMain]\r\nFormVersion=-1\r\nShowCmd=3\r\nHandKey=kept\r\n[" + kBase
                          + "]\r\nInstr2_Hint=stored\r\nInstr99_Hint=other\r\n"
                            "[Elsewhere]\r\nA=1\r\n");
    {
        SmallWindow w;
        IniFileStorage ini(path());
        FormStorage fs(&w.form, &ini);
        fs.StoredProps = {"Instr2.Hint"};
        fs.RestoreSettings();
        EXPECT_TRUE(fs.Restored());
        EXPECT_EQ(w.instr2->Hint, "1");
        EXPECT_FALSE(w.form.windowState() & Qt::WindowMaximized);
        fs.SaveSettings();
    }
    IniFileStorage back(path());
    back.FlushOnDestroy = false;
    EXPECT_EQ(back.LoadInt("FormMain\\FormVersion", -5), 0);
    EXPECT_EQ(back.LoadText(kBase + "\\Instr2_Hint", ""), "1");
    EXPECT_EQ(back.LoadText(kBase + "\\Instr99_Hint", ""), "other");
    EXPECT_EQ(back.LoadText("FormMain\\HandKey", ""), "kept");
    EXPECT_EQ(back.LoadInt("Elsewhere\\A", 0), 1);
}

// An unknown or read-only property fails its own entry in both directions; the other entries,
// and the storages after it on closing, are still saved, and the failure is reported once.
TEST_F(Forms, FailingEntriesDoNotStopTheSaveChain)
{
    QWidget form;
    form.setObjectName("FormMain");
    auto *probe = new TTestReadOnly(&form);
    probe->setObjectName("Probe");
    for (int i = 1; i <= 2; ++i)
        (new TTestCheckBox(&form))->setObjectName(QStringLiteral("CheckBox%1").arg(i));
    writeFile(path(), "[" + kBase + "]\r\nProbe_Count=9\r\nProbe_Left=5\r\n");
    IniFileStorage ini(path());
    ini.FlushOnDestroy = false;
    TFormEvents events;
    FormStorage a(&form, &ini), b(&form, &ini);
    a.StoredProps = {"Probe.Nope", "Probe.Count", "Probe.Left", "CheckBox1.Checked"};
    b.StoredProps = {"CheckBox2.Checked"};
    a.Hook(events);
    b.Hook(events);
    EXPECT_THROW(ini.LoadProperty(kBase + "\\Probe_Count", probe, "Count"), EStorageError);
    events.OnShow(&form);
    EXPECT_EQ(probe->Left, 5);

    probe->Left = 6;
    ini.StoreText(kBase + "\\Probe_Count", "untouched");
    form.show();
    bool canClose = true;
    try {
        events.OnCloseQuery(&form, canClose);
        ADD_FAILURE() << "the failing entries were not reported";
    } catch (const EStorageError &e) {
        const QString what = QString::fromUtf8(e.what());
        EXPECT_TRUE(what.contains("Nope") && what.contains("Probe_Count")) << e.what();
    }
    EXPECT_TRUE(a.Saved() && b.Saved());
    EXPECT_EQ(ini.LoadInt(kBase + "\\Probe_Left", 0), 6);
    EXPECT_EQ(ini.LoadText(kBase + "\\Probe_Count", ""), "untouched");
    EXPECT_TRUE(ini.HasValue(kBase + "\\CheckBox1_Checked"));
    EXPECT_TRUE(ini.HasValue(kBase + "\\CheckBox2_Checked"));
}
