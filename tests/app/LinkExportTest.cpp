// The id inspector, stale instruments and the exports on the real window, fed through a pty.
#include "../serial/Pty.h"
#include "ComDataPacket.h"
#include "ComPort.h"
#include "IdInspector.h"
#include "MainWindow.h"
#include "StaleMarker.h"
#include "ValueExport.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void connectTo(TFormMain &w, const Pty &device)
{
    w.ComPort1->SetPort(device.slave);
    w.ComPort1->SetConnected(true);
}

void switchOn(TFormMain &w, int id)
{
    w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id))->click();
}

// The table's visible rows, each as its cells joined by "|", top to bottom.
QStringList rows(TIdInspector &inspector)
{
    QStringList out;
    const QTableWidget *t = inspector.Table();
    for (int r = 0; r < t->rowCount(); ++r) {
        if (t->isRowHidden(r))
            continue;
        QStringList cells;
        for (int c = 0; c < t->columnCount(); ++c)
            if (c != TIdInspector::ColRate)
                cells << t->item(r, c)->text();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// An RFC 4180 reader: quoted fields with doubled quotes, CRLF between records.
std::vector<QStringList> readCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    std::vector<QStringList> records(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        }
        else if (c == u'"')
            quoted = true;
        else if (c == u',') {
            records.back() << field;
            field.clear();
        }
        else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            records.back() << field;
            field.clear();
            records.emplace_back();
            ++i;
        }
        else
            field += c;
    }
    EXPECT_TRUE(records.back().isEmpty() && field.isEmpty()) << "the last record ends with CRLF";
    records.pop_back();
    return records;
}

QByteArray readAll(const QString &name)
{
    QFile f(name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

} // namespace

TEST(IdInspector, ListsEachIdSortsAndFilters)
{
    TFormMain w;
    w.show();
    switchOn(w, 1);
    Pty device;
    connectTo(w, device);
    device.write("#1M5<#1M7<#1M3<#999M1.5<#2M4<#abcM2<#60M\x01\"x<#35MPumpe<");
    ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() == 8; }));
    w.findChild<QAction *>(QStringLiteral("IdInspectorItem"))->trigger();
    TIdInspector &inspector = *w.IdInspector();
    ASSERT_TRUE(inspector.isVisible());
    inspector.refresh();
    // id, count, last, min, max, raw (control bytes escaped), what shows it; the unreadable
    // packet has no id and no row, only a switched-on instrument counts as showing, and a
    // text id has no number.
    const QStringList all{QStringLiteral("1|3|3|3|7|#1M3<|meter"), QStringLiteral("2|1|4|4|4|#2M4<|"),
                          QStringLiteral("35|1||||#35MPumpe<|"), QStringLiteral("60|1|1|1|1|#60M\\x01\"x<|"),
                          QStringLiteral("999|1|1.5|1.5|1.5|#999M1.5<|")};
    EXPECT_EQ(rows(inspector), all);

    // Sorted by the largest value, largest first: numbers, not text ("7" above "1.5" either
    // way, so by value); a text id, with no number, after them.
    inspector.Table()->sortByColumn(TIdInspector::ColMax, Qt::DescendingOrder);
    EXPECT_EQ(rows(inspector).first(), all[0]);
    EXPECT_EQ(rows(inspector).mid(3), (QStringList{all[3], all[2]}));
    inspector.Table()->sortByColumn(TIdInspector::ColId, Qt::DescendingOrder);
    EXPECT_EQ(rows(inspector).first(), all[4]);

    struct {
        const char *filter;
        QStringList expected;
    } const filters[] = {
        {"99", {all[4]}},
        {"METER", {all[0]}},
        {"#2M", {all[1]}},
        {"pumpe", {all[2]}},
        {"nothing like it", {}},
        {"", {all[4], all[3], all[2], all[1], all[0]}},
    };
    for (const auto &f : filters) {
        inspector.Filter()->setText(QString::fromUtf8(f.filter));
        EXPECT_EQ(rows(inspector), f.expected) << f.filter;
    }

    // Live: new traffic reaches the open window through its timer, the filter kept.
    inspector.Filter()->setText(QStringLiteral("2"));
    device.write("#2M9<");
    EXPECT_TRUE(waitFor([&] { return rows(inspector).contains(QStringLiteral("2|2|9|4|9|#2M9<|")); }));
    EXPECT_FALSE(rows(inspector).contains(all[0]));

    // Since connecting: a new connection starts every id again.
    w.ButtonDisConnectComPort1Click();
    connectTo(w, device);
    inspector.Filter()->clear();
    device.write("#2M1<");
    EXPECT_TRUE(waitFor([&] { return rows(inspector) == QStringList{QStringLiteral("2|1|1|1|1|#2M1<|")}; }))
        << qPrintable(rows(inspector).join(u' '));
}

TEST(StaleMarker, DimsOldValuesWithTheirAgeAndLeavesThePanelUntouchedWhenOff)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    {
        TFormMain w(settings);
        w.show();
        switchOn(w, 1);
        switchOn(w, 5);
        Pty device;
        connectTo(w, device);
        device.write("#1M5<");
        ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() == 1; }));
        const tg::journal::Micros sent = w.LinkStats().id(1)->lastTime;
        // Twelve seconds later, without waiting for them.
        w.StaleMarker1->now = [sent] { return sent + 12'400'000; };
        QCoreApplication::processEvents();
        const QImage before = w.TabSheetShow->grab().toImage();

        EXPECT_FALSE(w.StaleMarker1->Enabled()); // off by default
        w.findChild<QAction *>(QStringLiteral("StaleMarkingItem"))->trigger();
        ASSERT_TRUE(w.StaleMarker1->Enabled());
        // Only the instrument that had a value is stale; id 5 never got one.
        const auto marks = w.StaleMarker1->Marks(w.StaleMarker1->now());
        ASSERT_EQ(marks.size(), 1u);
        EXPECT_EQ(marks[0].instrument, w.instrument(1));
        EXPECT_EQ(marks[0].ageSeconds, 12);
        const QImage dimmed = w.TabSheetShow->grab().toImage();
        const QWidget *meter = qobject_cast<QWidget *>(w.instrument(1));
        const QWidget *other = qobject_cast<QWidget *>(w.instrument(5));
        const QPoint corner = meter->geometry().topLeft() + QPoint(3, 3);
        EXPECT_NE(dimmed.pixel(corner), before.pixel(corner));
        EXPECT_EQ(dimmed.copy(other->geometry()), before.copy(other->geometry()));

        // Younger than the limit: nothing marked.
        w.SetStaleSeconds(13);
        EXPECT_TRUE(w.StaleMarker1->Marks(w.StaleMarker1->now()).empty());
        EXPECT_EQ(w.TabSheetShow->grab().toImage(), before);
        w.SetStaleSeconds(5);

        w.findChild<QAction *>(QStringLiteral("StaleMarkingItem"))->trigger();
        EXPECT_EQ(w.TabSheetShow->grab().toImage(), before);
        w.SetStaleMarking(true);
    }
    // Both kept in the features file, none in the main one.
    TFormMain w(settings);
    EXPECT_TRUE(w.StaleMarker1->Enabled());
    EXPECT_EQ(w.StaleMarker1->AfterSeconds(), 5);
    EXPECT_FALSE(readAll(settings).contains("Stale"));
}

TEST(Export, ValuesOfASpanReadBackAsWritten)
{
    TFormMain w;
    w.show();
    Pty device;
    connectTo(w, device);
    device.write("#1M1<");
    ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() == 1; }));
    const tg::journal::Micros first = w.Journal().lastTime();
    ASSERT_TRUE(waitFor([&] { return tg::journal::nowMicros() > first + 5000; }));
    // A value with a quote and a comma, control bytes, a line break and a byte beyond ASCII;
    // a decimal comma; a packet the value protocol ignores; a packet split across chunks.
    const QByteArray burst("#35Msay \"hi\", you<#36Ma\x01\tb<#37Mx\r\ny<#38M\xe9<#2M2,5<#abcM1<#3M-");
    device.write(burst);
    ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() == 7; }));
    const tg::journal::Micros second = w.Journal().lastTime();
    ASSERT_TRUE(waitFor([&] { return tg::journal::nowMicros() > second + 5000; }));
    device.write("7e2<");
    ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() == 8; }));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("v.csv"));
    // From the burst on: the first message is outside the span.
    ASSERT_EQ(w.ExportValues(csv, second, w.Journal().lastTime()), QString());
    const std::vector<QStringList> records = readCsv(readAll(csv));
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0], QStringList({"time", "id", "value", "raw"}));
    const std::vector<QStringList> expected{
        {"35", "say \"hi\", you", "#35Msay \"hi\", you<"},
        {"36", "a\x01\tb", "#36Ma\x01\tb<"},
        {"37", "x\r\ny", "#37Mx\r\ny<"},
        {"38", QStringLiteral("\u00e9"), QStringLiteral("#38M\u00e9<")},
        {"2", "2.5", "#2M2,5<"},
        {"3", "-700", "#3M-7e2<"},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const QStringList &r = records[i + 1];
        ASSERT_EQ(r.size(), 4) << i;
        EXPECT_EQ(r.mid(1), expected[i]) << i;
    }
    EXPECT_EQ(records[1][0], tg::app::isoTime(second));
    EXPECT_EQ(records[6][0], tg::app::isoTime(w.Journal().lastTime()));

    // The whole journal holds the first message too.
    ASSERT_EQ(w.ExportValues(csv, w.Journal().firstTime(), w.Journal().lastTime()), QString());
    EXPECT_EQ(readCsv(readAll(csv)).at(1).mid(1), QStringList({"1", "1", "#1M1<"}));
    EXPECT_NE(w.ExportValues(dir.filePath(QStringLiteral("missing/v.csv")), first, second), QString());
}

TEST(Export, TimesAreUtcWithMicroseconds)
{
    EXPECT_EQ(tg::app::isoTime(1'700'000'000'123'456), QStringLiteral("2023-11-14T22:13:20.123456Z"));
    EXPECT_EQ(tg::app::isoTime(7), QStringLiteral("1970-01-01T00:00:00.000007Z"));
}

TEST(Export, AMillionMessagesInSteps)
{
    tg::journal::Journal journal;
    TComDataPacket live;
    live.SetStartString("#");
    live.SetStopString("<");
    live.SetIncludeStrings(true);
    QByteArray chunk;
    constexpr int kMessages = 1'000'000;
    tg::journal::Micros t = 1'700'000'000'000'000;
    for (int i = 0; i < kMessages; ++i) {
        chunk += "#" + QByteArray::number(i % 100) + "M" + QByteArray::number(i) + "<";
        if (chunk.size() > 4000 || i + 1 == kMessages) {
            journal.append(t += 2000, chunk.constData(), size_t(chunk.size()));
            chunk.clear();
        }
    }
    QByteArray out;
    tg::app::ValueExport e(journal, live, QLatin1Char('.'), journal.firstTime(), journal.lastTime(),
                           [&out](QByteArrayView b) {
                               out += b;
                               return true;
                           });
    QElapsedTimer clock;
    clock.start();
    int steps = 1;
    double progress = 0;
    while (!e.Step(size_t(1) << 20)) {
        EXPECT_GE(e.Progress(), progress);
        progress = e.Progress();
        ++steps;
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("exported %llu rows in %.2f s (%.0f rows/s, %d steps)\n", (unsigned long long)e.Rows(), seconds,
                double(e.Rows()) / seconds, steps);
    EXPECT_EQ(e.Rows(), uint64_t(kMessages));
    EXPECT_GT(steps, 5);
    EXPECT_EQ(e.Progress(), 1.0);
    EXPECT_TRUE(out.endsWith(",99,999999,#99M999999<\r\n"));
}

TEST(Export, PanelImageAtTheScreensPixelRatio)
{
    TFormMain w;
    w.show();
    switchOn(w, 1);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("panel.png"));
    ASSERT_EQ(w.ExportPanel(png), QString());
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w.TabSheetShow->size() * w.TabSheetShow->devicePixelRatio());
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
              w.TabSheetShow->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(w.ExportPanel(dir.filePath(QStringLiteral("missing/panel.png"))), QString());
}
