// Ranges of the instrument records through the settings file: whatever range was saved comes
// back after a restart, whatever range the record had before it was read.
#include "IniFileStorage.h"
#include "Records.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Range {
    float from, to;
};

// Brings a record to `r` through its setters, in the order the setters accept.
void setRange(TSignalSettings &s, Range r)
{
    s.SetValueTo(r.to);
    s.SetValueFrom(r.from);
    s.SetValueTo(r.to);
}

} // namespace

TEST(RangeRestore, EverySavedRangeComesBack)
{
    const struct {
        Range initial, saved;
        bool log;
    } cases[] = {
        {{0, 100}, {100, 200}, false},   // ValueFrom equals the initial ValueTo
        {{0, 100}, {-100, 0.000001f}, false},
        {{0, 100}, {100, 0.000001f}, false}, // the initial range turned round
        {{0, 100}, {200, 300}, false},   // above the initial range
        {{0, 100}, {-300, -200}, false}, // below it
        {{0, 100}, {50, -50}, false},    // inverted, across it
        {{100, 200}, {200, 100}, false},
        {{100, 200}, {0.000001f, 100}, false},
        {{-5, 5}, {5, -5}, false},
        {{1, 100}, {100, 1000}, true},   // log mode keeps decades
        {{1, 100}, {100, 1}, true},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        const QString path = dir.filePath("r.ini");
        {
            TSignalSettings saved;
            saved.LogMode = c.log;
            setRange(saved, c.saved);
            ASSERT_EQ(saved.ValueFrom(), c.saved.from);
            ASSERT_EQ(saved.ValueTo(), c.saved.to);
            saved.SetDigitalFrom(1000);
            saved.SetDigitalTo(0);
            IniFileStorage ini(path);
            ini.StoreObject("M\\SignalSettings", &saved);
        }
        for (bool channel : {false, true}) {
            IniFileStorage ini(path);
            ini.FlushOnDestroy = false;
            TChSettings ch;
            TSignalSettings plain;
            TSignalSettings &back = channel ? ch : plain;
            back.LogMode = c.log;
            setRange(back, c.initial);
            int notices = 0;
            back.OnChange = [&](QObject *) { ++notices; };
            ini.LoadObject("M\\SignalSettings", &back);
            EXPECT_EQ(back.ValueFrom(), c.saved.from) << c.saved.from << " ... " << c.saved.to;
            EXPECT_EQ(back.ValueTo(), c.saved.to) << c.saved.from << " ... " << c.saved.to;
            EXPECT_EQ(back.DigitalFrom(), 1000);
            EXPECT_EQ(back.DigitalTo(), 0);
            EXPECT_GT(notices, 0); // the owner recomputes from the new range
        }
    }
}

// The setters keep their rule for every other caller, and a hand-edited range with equal ends
// is refused as a whole.
TEST(RangeRestore, SetterRulesStayOutsideTheLoad)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("r.ini");
    IniFileStorage ini(path);
    ini.FlushOnDestroy = false;
    TSignalSettings s;
    ini.LoadObject("Nothing", &s);
    s.SetValueFrom(100);
    EXPECT_EQ(s.ValueFrom(), 0.0f);
    s.SetValueTo(0);
    EXPECT_EQ(s.ValueTo(), 100.0f);

    ini.StoreFloat("M\\ValueFrom", 50);
    ini.StoreFloat("M\\ValueTo", 50);
    setRange(s, {10, 20});
    ini.LoadObject("M", &s);
    EXPECT_EQ(s.ValueFrom(), 10.0f);
    EXPECT_EQ(s.ValueTo(), 20.0f);
    s.SetValueTo(10);
    EXPECT_EQ(s.ValueTo(), 20.0f);
}
