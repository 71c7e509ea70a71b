#include "IdInspector.h"

#include "ValueProtocol.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <map>

namespace {

QTableWidgetItem *cell(const QVariant &v)
{
    auto *item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, v);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// Control bytes shown as escapes, so a packet with a line break stays on its row.
QString printable(QByteArrayView raw)
{
    QString out;
    for (char ch : raw) {
        const auto c = uchar(ch);
        if (c < 0x20 || c == 0x7f)
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += QChar(QLatin1Char(char(c)));
    }
    return out;
}

// The kind of instrument that shows id, as the Instruments page names it.
QString shownBy(int32_t id)
{
    using tg::app::Kind;
    for (const tg::app::CatalogueEntry &e : tg::app::catalogue()) {
        if (e.id != id)
            continue;
        switch (e.kind) {
        case Kind::Meter: return QStringLiteral("meter");
        case Kind::RoundMeter: return QStringLiteral("round meter");
        case Kind::Label: return QStringLiteral("label");
        case Kind::SevenSeg: return QStringLiteral("seven-segment display");
        case Kind::ValueInd: return QStringLiteral("value indicator");
        case Kind::LedPanel: return QStringLiteral("LED panel");
        case Kind::MiniTrend: return QStringLiteral("mini trend");
        case Kind::Button: return QStringLiteral("button");
        case Kind::Dial: return QStringLiteral("dial");
        }
    }
    return QStringLiteral("instrument");
}

} // namespace

TIdInspector::TIdInspector(Sources sources, QWidget *parent) : QWidget(parent, Qt::Window), src(std::move(sources))
{
    setObjectName(QStringLiteral("IdInspector"));
    setWindowTitle(QStringLiteral("Id Inspector"));
    auto *box = new QVBoxLayout(this);
    filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("IdInspectorFilter"));
    filter->setPlaceholderText(QStringLiteral("Filter: id, raw packet or instrument"));
    filter->setClearButtonEnabled(true);
    box->addWidget(filter);
    table = new QTableWidget(0, ColumnCount, this);
    table->setObjectName(QStringLiteral("IdInspectorTable"));
    table->setHorizontalHeaderLabels({QStringLiteral("Id"), QStringLiteral("Count"), QStringLiteral("Rate /s"),
                                      QStringLiteral("Last"), QStringLiteral("Min"), QStringLiteral("Max"),
                                      QStringLiteral("Last raw packet"), QStringLiteral("Instrument")});
    table->verticalHeader()->hide();
    table->horizontalHeader()->setDefaultSectionSize(64);
    table->horizontalHeader()->setSectionResizeMode(ColRaw, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(ColInstrument, QHeaderView::ResizeToContents);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setSortingEnabled(true);
    table->sortByColumn(ColId, Qt::AscendingOrder);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    box->addWidget(table);
    resize(760, 420);
    connect(filter, &QLineEdit::textChanged, this, &TIdInspector::applyFilter);
    timer.setInterval(kRefreshMs);
    connect(&timer, &QTimer::timeout, this, &TIdInspector::refresh);
}

void TIdInspector::showEvent(QShowEvent *e)
{
    refresh();
    timer.start();
    QWidget::showEvent(e);
}

void TIdInspector::hideEvent(QHideEvent *e)
{
    timer.stop();
    QWidget::hideEvent(e);
}

void TIdInspector::refresh()
{
    const double seconds = sinceLast.isValid() ? double(sinceLast.nsecsElapsed()) / 1e9 : 0.0;
    sinceLast.start();
    std::map<int32_t, const tg::app::IdStats *> ids;
    src.stats->forEachId([&](int32_t id, const tg::app::IdStats &s) { ids[id] = &s; });

    // Sorting stays off while the rows are rewritten, or each new cell would move its row.
    table->setSortingEnabled(false);
    table->setRowCount(int(ids.size()));
    int row = 0;
    for (const auto &[id, s] : ids) {
        uint64_t &before = lastCounts[id];
        // A count below the last reading started again with a new connection.
        const uint64_t added = s->count >= before ? s->count - before : s->count;
        const double rate = seconds > 0 ? double(added) / seconds : 0.0;
        before = s->count;
        table->setItem(row, ColId, cell(qlonglong(id)));
        table->setItem(row, ColCount, cell(qulonglong(s->count)));
        table->setItem(row, ColRate, cell(std::round(rate * 10) / 10));
        // A text id's text is in its raw packet; it has no number to show.
        const bool text = tg::app::isTextId(id);
        table->setItem(row, ColLast, cell(text ? QVariant() : double(s->last)));
        table->setItem(row, ColMin, cell(text ? QVariant() : double(s->min)));
        table->setItem(row, ColMax, cell(text ? QVariant() : double(s->max)));
        table->setItem(row, ColRaw, cell(printable(s->lastRaw())));
        table->setItem(row, ColInstrument, cell(src.shows(id) ? shownBy(id) : QString()));
        ++row;
    }
    table->setSortingEnabled(true);
    applyFilter();
}

void TIdInspector::applyFilter()
{
    const QString wanted = filter->text().trimmed();
    for (int r = 0; r < table->rowCount(); ++r) {
        bool match = wanted.isEmpty();
        for (int c : {ColId, ColRaw, ColInstrument})
            match = match || table->item(r, c)->text().contains(wanted, Qt::CaseInsensitive);
        table->setRowHidden(r, !match);
    }
}
