// Every page of the real window at the screen ratio this run was started with (ctest runs the
// binary once per ratio): no two controls side by side cover each other, none sticks out of its
// parent, and every caption fits its control.
#include "ComPort.h"
#include "InstrumentsPage.h"
#include "MainWindow.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Controls that are meant to lie under others: full-page backgrounds and pictures.
bool isBackdrop(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    return parent && w->geometry() == parent->rect() && !qobject_cast<const QAbstractButton *>(w)
        && !qobject_cast<const QLabel *>(w) && !qobject_cast<const QGroupBox *>(w);
}

// Instruments are where the user put them; only the page's own controls are checked.
bool isInstrument(const QWidget *w)
{
    return w->objectName().startsWith(QLatin1String("Instr")) || w->objectName() == QLatin1String("TFrame11");
}

QString nameOf(const QWidget *w)
{
    const QString text = qobject_cast<const QLabel *>(w) ? qobject_cast<const QLabel *>(w)->text()
                         : qobject_cast<const QAbstractButton *>(w) ? qobject_cast<const QAbstractButton *>(w)->text()
                         : qobject_cast<const QGroupBox *>(w)       ? qobject_cast<const QGroupBox *>(w)->title()
                                                                    : QString();
    return QStringLiteral("%1 '%2' (%3)")
        .arg(w->objectName(), text.left(30).simplified(), QLatin1String(w->metaObject()->className()));
}

// The room a control has for its caption, and what the caption needs.
bool captionFits(const QWidget *w, QString &why)
{
    const QFontMetrics fm(w->font());
    QSize need, room;
    if (const auto *l = qobject_cast<const QLabel *>(w)) {
        if (l->text().isEmpty() || l->textFormat() == Qt::RichText)
            return true;
        room = l->contentsRect().size();
        const int flags = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
        need = fm.boundingRect(QRect(QPoint(), QSize(room.width(), 100000)), flags, l->text()).size();
    } else if (const auto *b = qobject_cast<const QPushButton *>(w)) {
        QStyleOptionButton o;
        o.initFrom(b);
        o.text = b->text();
        room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &o, b).size();
        need = fm.size(Qt::TextShowMnemonic, b->text());
    } else if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w)) {
        const auto *b = qobject_cast<const QAbstractButton *>(w);
        QStyleOptionButton o;
        o.initFrom(b);
        o.text = b->text();
        const bool check = qobject_cast<const QCheckBox *>(w);
        room = b->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &o, b).size();
        need = fm.size(Qt::TextShowMnemonic, b->text());
    } else if (const auto *t = qobject_cast<const QToolButton *>(w)) {
        room = t->size();
        need = t->sizeHint();
    } else if (const auto *g = qobject_cast<const QGroupBox *>(w)) {
        room = QSize(g->width(), fm.height());
        need = QSize(fm.horizontalAdvance(g->title()) + fm.averageCharWidth(), fm.height());
    } else {
        return true;
    }
    why = QStringLiteral("needs %1 x %2, has %3 x %4").arg(need.width()).arg(need.height()).arg(room.width()).arg(room.height());
    return need.width() <= room.width() && need.height() <= room.height();
}

// What is wrong on the page: overlapping siblings, children outside their parent, cut captions.
QStringList faults(QWidget *page)
{
    QStringList out;
    std::function<void(QWidget *)> walk = [&](QWidget *parent) {
        QList<QWidget *> kids;
        for (QWidget *w : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (w->isVisible() && !w->isWindow() && !isBackdrop(w) && !isInstrument(w))
                kids.push_back(w);
        // A scroll area's content may be larger than its view; the scroll bars say so.
        const bool scrolled = qobject_cast<QAbstractScrollArea *>(parent->parentWidget())
                              && parent == static_cast<QAbstractScrollArea *>(parent->parentWidget())->viewport();
        for (qsizetype i = 0; i < kids.size(); ++i) {
            QWidget *a = kids[i];
            if (!scrolled && !parent->rect().contains(a->geometry()))
                out << QStringLiteral("%1 sticks out of %2").arg(nameOf(a), nameOf(parent));
            for (qsizetype j = i + 1; j < kids.size(); ++j)
                if (a->geometry().intersects(kids[j]->geometry()))
                    out << QStringLiteral("%1 and %2 overlap").arg(nameOf(a), nameOf(kids[j]));
            if (QString why; !captionFits(a, why))
                out << QStringLiteral("%1 is cut: %2").arg(nameOf(a), why);
            walk(a);
        }
    };
    walk(page);
    return out;
}

} // namespace

TEST(WindowLayout, NoPageCutsOrCoversItsControls)
{
    const qreal ratio = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0;
    TFormMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_DOUBLE_EQ(w.devicePixelRatioF(), ratio);
    // The Terminal page names a port, as it does once one was chosen.
    w.ComPort1->SetPort(QStringLiteral("/dev/serial/by-id/usb-Tavelgrid_Sensor_Hub-if00"));
    auto *instruments = w.findChild<TInstrumentsPage *>();
    struct Row {
        const char *what;
        QWidget *page;
        int selected; // instrument whose fields the Instruments page shows
    };
    const Row rows[] = {
        {"Show", w.TabSheetShow, 0},          {"Interface", w.TabSheetSchnittstelle, 0},
        {"Terminal", w.TabSheetTerminal, 0},  {"Options", w.TabSheetOptionen, 0},
        {"Info", w.TabSheetHilfe, 0},         {"Instruments", w.TabSheetInstrumente, 0},
        {"Instruments, meter", w.TabSheetInstrumente, 3},   {"Instruments, lamps", w.TabSheetInstrumente, 60},
        {"Instruments, trend", w.TabSheetInstrumente, 90},  {"Instruments, 7-seg", w.TabSheetInstrumente, 40},
        {"Instruments, indicator", w.TabSheetInstrumente, 41}, {"Instruments, button", w.TabSheetInstrumente, 71},
        {"Instruments, dial", w.TabSheetInstrumente, 80},   {"Instruments, label", w.TabSheetInstrumente, 35},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        w.PageControl1->setCurrentWidget(r.page);
        if (r.selected)
            instruments->Select(r.selected);
        QCoreApplication::processEvents();
        const QStringList found = faults(r.page);
        EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
    }
    // Every menu of the bar is reachable, none pushed into an overflow button.
    for (QAction *a : w.menuBar()->actions())
        EXPECT_TRUE(w.menuBar()->rect().contains(w.menuBar()->actionGeometry(a))) << a->text().toStdString();
}
