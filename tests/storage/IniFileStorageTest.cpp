// The INI back end on real files: typed values through published properties, conversion
// errors, re-reading, brackets, saving and its failures.
#include "IniFileStorage.h"
#include "TestObjects.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data, int mtimeOffset = 0)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
    f.close();
    if (mtimeOffset) {
        // Make the change visible even on file systems with coarse time stamps.
        struct timeval tv[2];
        gettimeofday(&tv[0], nullptr);
        tv[0].tv_sec += mtimeOffset;
        tv[1] = tv[0];
        ::utimes(QFile::encodeName(path).constData(), tv);
    }
}

struct Files : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString &name = "s.ini") const { return dir.filePath(name); }
};

const char *kRecordGolden =
    "[FormMain\\Instr2]\r\n"
    "Left=8\r\n"
    "Small=3\r\n"
    "Big=1\r\n"
    "Visible=FALSE\r\n"
    "Single=0000000000000080FF3F\r\n"
    "Number=00000000000000C80540\r\n"
    "Hint=1\r\n"
    "Color=clSilver\r\n"
    "Charset=DEFAULT_CHARSET\r\n"
    "Alignment=taCenter\r\n"
    "\r\n"
    "[FormMain\\Instr2\\Options]\r\n"
    "opBevelInner=TRUE\r\n"
    "opBevelOuter=FALSE\r\n"
    "opName1=FALSE\r\n"
    "opValue=FALSE\r\n"
    "\r\n"
    "[FormMain\\Instr2\\Lines]\r\n"
    "Count=0\r\n"
    "\r\n"
    "[FormMain\\Instr2\\ScaleSettings]\r\n"
    "Color=clBlack\r\n"
    "PointerColor=clRed\r\n"
    "DrawLine=TRUE\r\n"
    "Steps=5\r\n"
    "ValueFormat=##0\r\n"
    "\r\n"
    "[FormMain\\Instr2\\ScaleSettings\\Font]\r\n"
    "Charset=DEFAULT_CHARSET\r\n"
    "Color=clWindowText\r\n"
    "Height=-13\r\n"
    "Name=Arial\r\n"
    "Pitch=fpDefault\r\n"
    "Size=8\r\n"
    "\r\n"
    "[FormMain\\Instr2\\ScaleSettings\\Font\\Style]\r\n"
    "fsBold=FALSE\r\n"
    "fsItalic=FALSE\r\n"
    "fsUnderline=FALSE\r\n"
    "fsStrikeOut=FALSE\r\n"
    "\r\n";

} // namespace

TEST_F(Files, ObjectIsWrittenInDeclarationOrderByteForByte)
{
    {
        IniFileStorage s(path());
        TTestRecord rec;
        s.StoreObject("FormMain\\Instr2", &rec);
    }
    EXPECT_EQ(readAll(path()), QByteArray(kRecordGolden));
}

TEST_F(Files, EveryValueTypeRoundTripsThroughTheFile)
{
    TTestRecord a;
    a.Left = -2147483647 - 1;
    a.Small = -32768;
    a.Big = 9007199254740993LL;
    a.Visible = true;
    a.Single = std::numeric_limits<float>::denorm_min();
    a.Number = -0.0;
    a.Hint = QString::fromUtf8("Temp °C äöü");
    a.Color = 1193046;
    a.Charset = TFontCharset(3);
    a.Alignment = TTestRecord::taRightJustify;
    a.Options = TTestRecord::opName1 | TTestRecord::opValue;
    a.Lines = {"one", "", "three"};
    a.ScaleSettings()->Color = clBtnFace;
    a.ScaleSettings()->Font()->SetStyle(fsBold | fsStrikeOut);
    a.ScaleSettings()->Font()->SetCharset(OEM_CHARSET);
    a.ScaleSettings()->Font()->SetPitch(fpFixed);
    a.ScaleSettings()->Font()->SetSize(14);
    {
        IniFileStorage s(path());
        s.StoreObject("R", &a);
    }
    IniFileStorage s(path());
    TTestRecord b;
    s.LoadObject("R", &b);
    EXPECT_EQ(b.Left, a.Left);
    EXPECT_EQ(b.Small, a.Small);
    EXPECT_EQ(b.Big, a.Big);
    EXPECT_EQ(b.Visible, true);
    EXPECT_EQ(b.Single, a.Single);
    EXPECT_TRUE(std::signbit(b.Number));
    EXPECT_EQ(b.Hint, a.Hint);
    EXPECT_EQ(b.Color, a.Color);
    EXPECT_EQ(b.Charset, a.Charset);
    EXPECT_EQ(b.Alignment, a.Alignment);
    EXPECT_EQ(b.Options, a.Options);
    EXPECT_EQ(b.Lines, a.Lines);
    EXPECT_EQ(b.ScaleSettings()->Color, clBtnFace);
    TFont *f = b.ScaleSettings()->Font();
    EXPECT_EQ(f->Style(), fsBold | fsStrikeOut);
    EXPECT_EQ(f->Charset(), OEM_CHARSET);
    EXPECT_EQ(f->Pitch(), fpFixed);
    EXPECT_EQ(f->Height(), a.ScaleSettings()->Font()->Height());
    EXPECT_EQ(f->Name(), "Arial");
    const QByteArray text = readAll(path());
    EXPECT_TRUE(text.contains("Color=1193046\r\n"));
    EXPECT_TRUE(text.contains("Charset=OEM_CHARSET\r\n"));
    EXPECT_TRUE(text.contains("Hint=Temp \xB0" "C \xE4\xF6\xFC\r\n"));
    EXPECT_TRUE(text.contains("Item2=three\r\n"));
}

TEST_F(Files, StringsLoseLineBreaksAndOuterBlanks)
{
    TTestRecord a;
    a.Hint = "  Show\r\n[Evil]\nx ";
    {
        IniFileStorage s(path());
        s.StoreProperty("S\\Hint", &a, "Hint");
        s.StoreInt("S\\After", 1);
        EXPECT_EQ(s.LoadText("S\\Hint", ""), "  Show  [Evil] x "); // memory keeps the blanks
    }
    IniFileStorage s(path());
    EXPECT_EQ(s.LoadText("S\\Hint", ""), "Show  [Evil] x");
    EXPECT_EQ(s.LoadInt("S\\After", 0), 1);
    EXPECT_FALSE(s.HasSection("Evil"));
}

TEST_F(Files, HandEditedValuesAndConversionErrors)
{
    writeFile(path(), "; edited by hand\n"
                      "[r]\n"
                      "left = 12\n"
                      "VISIBLE=yes\n"
                      "single=1.5\n"
                      "number=-2.25e2\n"
                      "color=255\n"
                      "charset=russian_charset\n"
                      "alignment=0\n"
                      "[R\\OPTIONS]\n"
                      "opbevelinner=n\n"
                      "opName1=1\n"
                      "opUnknown=TRUE\n");
    IniFileStorage s(path());
    s.DecimalSeparator = u'.';
    TTestRecord r;
    s.LoadObject("R", &r);
    EXPECT_EQ(r.Left, 12);
    EXPECT_TRUE(r.Visible);
    EXPECT_EQ(r.Single, 1.5f);
    EXPECT_EQ(r.Number, -225.0);
    EXPECT_EQ(r.Color, clRed);
    EXPECT_EQ(r.Charset, RUSSIAN_CHARSET);
    EXPECT_EQ(r.Alignment, TTestRecord::taLeftJustify);
    EXPECT_EQ(r.Options, TTestRecord::TOptions(TTestRecord::opName1));

    // Each malformed value is an error and leaves the property as it was.
    struct Bad {
        const char *prop, *text;
    } bad[] = {
        {"Left", "abc"}, {"Left", "2147483648"}, {"Left", "1.0"}, {"Left", ""},
        {"Small", "40000"}, {"Big", "99999999999999999999"},
        {"Visible", "maybe"}, {"Alignment", "3"}, {"Alignment", "-1"}, {"Alignment", "taMiddle"},
        {"Color", "red"}, {"Charset", "256"},
        {"Single", "1.0e300"}, {"Single", "00E0AC0340E421BFE343"}, {"Single", "0000000000000080FF7F"}, {"Number", "nan"},
        {"Number", "inf"}, {"Number", "000000000000C0FFFF7F"}, {"Number", "1,5"},
    };
    for (const Bad &b : bad) {
        IniFileStorage t(path("bad.ini"));
        t.FlushOnDestroy = false;
        t.DecimalSeparator = u'.';
        t.StoreText(QStringLiteral("X\\") + b.prop, b.text);
        TTestRecord fresh;
        const QVariant before = fresh.property(b.prop);
        EXPECT_THROW(t.LoadProperty(QStringLiteral("X\\") + b.prop, &fresh, b.prop), EStorageError)
            << b.prop << "=" << b.text;
        EXPECT_EQ(fresh.property(b.prop), before) << b.prop << "=" << b.text;
    }
    // A float value of fewer than ten bytes is no error: the property keeps its value.
    s.StoreText("Y\\Number", "0080FF3F");
    r.Number = 3;
    s.LoadProperty("Y\\Number", &r, "Number");
    EXPECT_EQ(r.Number, 3);
    // A whole number typed by hand is read, as is one with a decimal separator.
    s.StoreText("Y\\Single", "1234");
    s.LoadProperty("Y\\Single", &r, "Single");
    EXPECT_EQ(r.Single, 1234.0f);
}

TEST_F(Files, FailuresInsideAnObjectKeepWhatWasReadBefore)
{
    writeFile(path(), "[R\\ScaleSettings]\nColor=clLime\nPointerColor=bogus\nDrawLine=FALSE\n"
                      "[R\\Options]\nopBevelOuter=TRUE\nopValue=perhaps\n");
    IniFileStorage s(path());
    TTestRecord r;
    EXPECT_THROW(s.LoadProperty("R\\ScaleSettings", &r, "ScaleSettings"), EStorageError);
    EXPECT_EQ(r.ScaleSettings()->Color, clLime);
    EXPECT_EQ(r.ScaleSettings()->PointerColor, clRed);
    EXPECT_TRUE(r.ScaleSettings()->DrawLine);
    EXPECT_THROW(s.LoadProperty("R\\Options", &r, "Options"), EStorageError);
    EXPECT_EQ(r.Options, TTestRecord::TOptions(TTestRecord::opBevelInner)); // the set as a whole
    // Missing keys and sections leave everything unchanged.
    s.LoadObject("Nowhere", &r);
    EXPECT_EQ(r.Left, 8);
    EXPECT_THROW(s.LoadProperty("R\\X", &r, "NoSuchProperty"), EStorageError);
    TTestLoop loop;
    EXPECT_THROW(s.StoreObject("L", &loop), EStorageError);
    EXPECT_THROW(s.LoadObject("L", &loop), EStorageError);
    EXPECT_EQ(s.LoadInt("L\\Next\\Next\\A", 0), 1);
    EXPECT_THROW(s.StoreInt("KeyWithoutSection", 1), EStorageError);
    s.DefaultSection = "Default";
    s.StoreInt("KeyWithoutSection", 1);
    EXPECT_EQ(s.LoadInt("Default\\KeyWithoutSection", 0), 1);
}

TEST_F(Files, ChangedFileIsReReadOutsideBrackets)
{
    writeFile(path(), "[S]\nA=1\n");
    IniFileStorage s(path());
    s.StoreInt("S\\B", 2);
    writeFile(path(), "[S]\nA=10\nHand=kept\n", 5);
    // The next access sees the file as edited: the unsaved store is gone, the edit is there.
    EXPECT_EQ(s.LoadInt("S\\A", 0), 10);
    EXPECT_FALSE(s.HasValue("S\\B"));

    s.BeginBatch();
    s.BeginBatch();
    writeFile(path(), "[S]\nA=20\n", 10);
    EXPECT_EQ(s.LoadInt("S\\A", 0), 10);
    s.StoreInt("S\\A", 11);
    s.EndBatch();
    EXPECT_EQ(s.LoadInt("S\\A", 0), 11); // still inside the outer bracket
    s.EndBatch();
    EXPECT_EQ(s.LoadInt("S\\A", 0), 20);

    s.AutoReload = false;
    writeFile(path(), "[S]\nA=30\n", 15);
    EXPECT_EQ(s.LoadInt("S\\A", 0), 20);
    s.LoadFile();
    EXPECT_EQ(s.LoadInt("S\\A", 0), 30);
}

TEST_F(Files, AByteOrderMarkHidesNoSectionAndIsWrittenBack)
{
    writeFile(path(), "\xEF\xBB\xBF[FormMain]\r\nLeft=8\r\n\r\n[Other]\r\nA=1\r\n\r\n");
    {
        IniFileStorage s(path());
        EXPECT_EQ(s.LoadInt("FormMain\\Left", 0), 8);
        s.StoreInt("FormMain\\Top", 5);
    }
    EXPECT_EQ(readAll(path()), QByteArray("\xEF\xBB\xBF[FormMain]\r\nLeft=8\r\nTop=5\r\n\r\n[Other]\r\nA=1\r\n\r\n"));

    // Only at the very start is it a mark; a file without one gets none.
    writeFile(path(), "[FormMain]\r\nLeft=8\r\n\xEF\xBB\xBFTop=1\r\n\r\n");
    {
        IniFileStorage s(path());
        EXPECT_EQ(s.LoadInt("FormMain\\Top", 0), 0);
        s.StoreInt("FormMain\\Top", 5);
    }
    EXPECT_EQ(readAll(path()), QByteArray("[FormMain]\r\nLeft=8\r\n\xEF\xBB\xBFTop=1\r\nTop=5\r\n\r\n"));
}

TEST_F(Files, SavingCreatesFoldersAndSkipsReadOnlyFiles)
{
    const QString deep = dir.filePath("a/b/c/Tavelgrid.ini");
    {
        IniFileStorage s(deep);
        EXPECT_FALSE(s.HasValue("S\\A"));
        s.StoreInt("S\\A", 1);
    }
    EXPECT_EQ(readAll(deep), QByteArray("[S]\r\nA=1\r\n\r\n"));

    writeFile(path(), "[S]\nA=1\n");
    ::chmod(QFile::encodeName(path()).constData(), 0444);
    {
        IniFileStorage s(path());
        s.FlushOnDestroy = false;
        EXPECT_TRUE(s.ReadOnly());
        s.StoreInt("S\\A", 2);
        // A skipped save is no success, and says so in one line.
        testing::internal::CaptureStderr();
        EXPECT_FALSE(s.SaveFile());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(path().toStdString()), std::string::npos) << err;
    }
    EXPECT_EQ(readAll(path()), QByteArray("[S]\nA=1\n"));

    IniFileStorage none(QString{});
    none.StoreInt("S\\A", 1);
    EXPECT_TRUE(none.SaveFile());
}

TEST_F(Files, FailedSaveKeepsOldFileAndMemoryAndSaysSo)
{
    writeFile(path(), "[S]\r\nA=old\r\n\r\n");
    IniFileStorage s(path());
    s.FlushOnDestroy = false;
    s.StoreText("S\\A", QString(4000, u'n'));

    // A full disk: the file size limit makes the write fail half-way.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    const bool ok = s.SaveFile();
    const std::string err = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(path().toStdString()), std::string::npos) << err;
    EXPECT_EQ(readAll(path()), QByteArray("[S]\r\nA=old\r\n\r\n"));
    EXPECT_EQ(s.LoadText("S\\A", "").size(), 4000);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary left behind

    // A folder that cannot be created.
    writeFile(dir.filePath("plain"), "x");
    IniFileStorage t(dir.filePath("plain/sub/s.ini"));
    t.FlushOnDestroy = false;
    t.StoreInt("S\\A", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(t.SaveFile());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("plain"), std::string::npos);
    EXPECT_EQ(t.LoadInt("S\\A", 0), 1);
}

TEST_F(Files, UnreadableFileIsNeverOverwritten)
{
    QDir(dir.path()).mkdir("s.ini"); // a folder where the file should be
    testing::internal::CaptureStderr();
    {
        IniFileStorage s(path());
        EXPECT_TRUE(s.ReadOnly());
        s.StoreInt("S\\A", 1);
    }
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST(SettingsLocation, FollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(IniFileStorage::defaultFileName(), "/tmp/cfg/Tavelgrid.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniFileStorage::defaultFileName(), QDir::homePath() + "/.config/Tavelgrid.ini");
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);
}

// A writer process saving a large file again and again, killed at random moments: the file
// must always be a whole old or a whole new version.
TEST_F(Files, KilledDuringSavesNeverLeavesABrokenFile)
{
    constexpr int kKeys = 3000;
    QRandomGenerator rng(7);
    auto generationOf = [](const tg::IniImage &img) {
        return img.sectionCount() == 0 || img.entries(0).empty() ? -1
                                                                  : img.entries(0)[0].value.toInt();
    };
    for (int round = 0; round < 25; ++round) {
        QFile::remove(path());
        QProcess writer;
        writer.start(TG_CRASH_WRITER, {path(), QString::number(kKeys)});
        ASSERT_TRUE(writer.waitForStarted());
        // Let the writer get past a few saves (more in later rounds), then kill it at a
        // random moment, which may or may not fall inside a save.
        const int target = round % 4;
        int seen = -1;
        for (int i = 0; i < 2000 && seen < target; ++i) {
            tg::IniImage img;
            img.parse(readAll(path()));
            seen = generationOf(img);
            if (seen < target)
                QThread::msleep(5);
        }
        ASSERT_GE(seen, target);
        QThread::msleep(rng.bounded(30));
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();

        tg::IniImage img;
        img.parse(readAll(path()));
        ASSERT_EQ(img.sectionCount(), 1);
        const auto entries = img.entries(0);
        ASSERT_EQ(int(entries.size()), kKeys + 1) << "round " << round;
        const QString generation = entries[0].value;
        EXPECT_GE(generation.toInt(), target) << "the file never goes back to an older save";
        for (const auto &e : entries)
            ASSERT_EQ(e.value.section(u'-', 0, 0), generation) << e.key.toStdString();
    }
    // A temporary file of a save that was killed half-way is removed by the next save once it
    // is old; a fresh one may belong to a save still running in another process.
    const QString stale = dir.filePath(QStringLiteral("s.ini.tmp-999999"));
    const QString fresh = dir.filePath(QStringLiteral("s.ini.tmp-999998"));
    for (const QString &name : {stale, fresh}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    struct timeval old[2] = {{1000000, 0}, {1000000, 0}};
    for (const QString &name : QDir(dir.path()).entryList({"s.ini.tmp-*"}, QDir::Files))
        if (dir.filePath(name) != fresh)
            ::utimes(QFile::encodeName(dir.filePath(name)).constData(), old);
    IniFileStorage(path()).SaveFile();
    EXPECT_EQ(QDir(dir.path()).entryList({"s.ini.tmp-*"}, QDir::Files), QStringList{"s.ini.tmp-999998"});
}

// A settings file that is a symbolic link stays one: the save goes to the link's target, and
// its temporary file is made beside the target.
TEST_F(Files, SymbolicLinksAreWrittenThrough)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("real"));
    writeFile(dir.filePath("real/s.ini"), "[S]\r\nA=1\r\n");
    ASSERT_EQ(::symlink("real/s.ini", QFile::encodeName(path("link.ini")).constData()), 0);
    ASSERT_EQ(::symlink("link.ini", QFile::encodeName(path("link2.ini")).constData()), 0);
    ASSERT_EQ(::symlink("real/new.ini", QFile::encodeName(path("dangling.ini")).constData()), 0);
    for (const char *name : {"link2.ini", "dangling.ini"}) {
        IniFileStorage s(path(name));
        s.StoreInt("S\\B", 2);
    }
    EXPECT_TRUE(QFileInfo(path("link.ini")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("link2.ini")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("dangling.ini")).isSymLink());
    EXPECT_EQ(readAll(dir.filePath("real/s.ini")), QByteArray("[S]\r\nA=1\r\nB=2\r\n\r\n"));
    EXPECT_EQ(readAll(dir.filePath("real/new.ini")), QByteArray("[S]\r\nB=2\r\n\r\n"));
    EXPECT_EQ(QDir(dir.filePath("real")).entryList(QDir::Files).size(), 2);
}

// A file that cannot be read whole is never written: read-only for the run, one warning.
TEST_F(Files, FilesThatCannotBeReadWholeAreLeftAlone)
{
    // An I/O error on reading (memory of a process reads as EIO at offset 0).
    ASSERT_EQ(::symlink("/proc/self/mem", QFile::encodeName(path("io.ini")).constData()), 0);
    // Over the size limit (sparse, so it costs no disk), and just at it.
    for (const char *name : {"huge.ini", "limit.ini"}) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniFileStorage::kMaxFileSize + (name[0] == 'h' ? 1 : 0)));
    }
    for (const char *name : {"io.ini", "huge.ini"}) {
        testing::internal::CaptureStderr();
        {
            IniFileStorage s(path(name));
            EXPECT_TRUE(s.ReadOnly()) << name;
            s.StoreInt("S\\A", 1);
            s.LoadFile();
            EXPECT_EQ(s.LoadInt("S\\A", 0), 1) << "the image stays as it was";
            EXPECT_FALSE(s.SaveFile());
        }
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(name), std::string::npos) << err;
    }
    EXPECT_TRUE(QFileInfo(path("io.ini")).isSymLink());
    EXPECT_EQ(QFileInfo(path("huge.ini")).size(), IniFileStorage::kMaxFileSize + 1);
    IniFileStorage atLimit(path("limit.ini"));
    atLimit.FlushOnDestroy = false;
    EXPECT_FALSE(atLimit.ReadOnly());
}

namespace {

struct ProbeRun {
    QString out, err;
};

// The back end in a process of its own that has become `uid`: root passes every permission
// check, so cases of "cannot write" need another user.
ProbeRun storeAs(uid_t uid, const QString &file, const QString &path, const QString &value)
{
    QProcess p;
    p.start(TG_STORAGE_PROBE, {"store", QString::number(uid), file, path, value});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    return {QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace

struct AsOtherUser : Files {
    static constexpr uid_t kNobody = 65534;
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to act as another user";
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }
    void own(const QString &file, uid_t uid, mode_t mode)
    {
        ASSERT_EQ(::chown(QFile::encodeName(file).constData(), uid, gid_t(uid)), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), mode), 0);
    }
};

// Saving as root keeps the owner and group of the file it replaces, so the user can still
// save it afterwards.
TEST_F(AsOtherUser, SavingKeepsOwnerGroupAndMode)
{
    writeFile(path(), "[S]\r\nA=1\r\n");
    own(path(), kNobody, 0640);
    {
        IniFileStorage s(path());
        s.StoreInt("S\\A", 2);
    }
    const struct stat st = statOf(path());
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, gid_t(kNobody));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    const ProbeRun run = storeAs(kNobody, path(), "S\\B", "3");
    EXPECT_EQ(run.out.toStdString(), "readonly=0 sections=1\n");
    EXPECT_EQ(readAll(path()), QByteArray("[S]\r\nA=2\r\nB=3\r\n\r\n"));
}

// A file the user may not write is not saved, and the user is told in one line.
TEST_F(AsOtherUser, ASkippedSaveSaysSo)
{
    writeFile(path(), "[S]\r\nA=1\r\n");
    own(path(), 0, 0644);
    const ProbeRun run = storeAs(kNobody, path(), "S\\A", "2");
    EXPECT_EQ(run.out.toStdString(), "readonly=1 sections=1\n");
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(path()) && run.err.contains("not saved")) << run.err.toStdString();
    EXPECT_EQ(readAll(path()), QByteArray("[S]\r\nA=1\r\n"));
}

// A writable file in a folder that takes no new files is written in place, with one note.
TEST_F(AsOtherUser, WritableFileInAClosedFolderIsSavedInPlace)
{
    writeFile(path(), "; a long comment that the rewrite drops, so the file gets shorter\r\n"
                      "[S]\r\nA=1\r\n");
    own(path(), kNobody, 0644);
    const ProbeRun run = storeAs(kNobody, path(), "S\\B", "2");
    EXPECT_EQ(run.out.toStdString(), "readonly=0 sections=1\n");
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("in place")) << run.err.toStdString();
    EXPECT_EQ(readAll(path()), QByteArray("[S]\r\nA=1\r\nB=2\r\n\r\n"));
    EXPECT_EQ(statOf(path()).st_uid, kNobody);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

// Only a missing file is an empty one. A file that is there but cannot be looked at or read
// makes the storage read-only with one warning, and is never rewritten from initial values.
TEST_F(AsOtherUser, FilesThatCannotBeReadAreNeverRewritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const QString hidden = dir.filePath("locked/s.ini");
    writeFile(hidden, "[S]\r\nA=1\r\n");
    own(hidden, kNobody, 0644);
    own(dir.filePath("locked"), 0, 0700); // the user cannot even look inside
    writeFile(path(), "[S]\r\nA=1\r\n");
    own(path(), 0, 0600);
    for (const QString &file : {hidden, path()}) {
        const ProbeRun run = storeAs(kNobody, file, "S\\A", "2");
        EXPECT_EQ(run.out.toStdString(), "readonly=1 sections=1\n") << file.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("cannot read")) << run.err.toStdString();
        EXPECT_EQ(readAll(file), QByteArray("[S]\r\nA=1\r\n"));
    }
}
