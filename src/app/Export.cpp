#include "Export.h"

#include "FormatSettings.h"
#include "ValueExport.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPixmap>
#include <QProgressDialog>
#include <QSaveFile>

namespace tg::app {

namespace {

constexpr size_t kStepBytes = size_t(1) << 20;

QDateTime toDateTime(journal::Micros t)
{
    return QDateTime::fromMSecsSinceEpoch(t / 1000);
}

journal::Micros toMicros(const QDateTime &d)
{
    return d.toMSecsSinceEpoch() * 1000;
}

} // namespace

ExportSpanDialog::ExportSpanDialog(journal::Micros first, journal::Micros last, QWidget *parent)
    : QDialog(parent), first(first), last(last)
{
    setObjectName(QStringLiteral("ExportSpanDialog"));
    setWindowTitle(QStringLiteral("Export Values"));
    auto *form = new QFormLayout(this);
    auto edit = [&](const char *name, journal::Micros t) {
        auto *e = new QDateTimeEdit(toDateTime(t), this);
        e->setObjectName(QString::fromLatin1(name));
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        e->setDateTimeRange(toDateTime(first), toDateTime(last));
        return e;
    };
    from = edit("ExportFrom", first);
    to = edit("ExportTo", last);
    form->addRow(QStringLiteral("&From"), from);
    form->addRow(QStringLiteral("&To"), to);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

// The edits hold milliseconds: at either end of the journal its own time is used, so the
// whole journal is exported when nothing was changed.
journal::Micros ExportSpanDialog::From() const
{
    return from->dateTime() == from->minimumDateTime() ? first : toMicros(from->dateTime());
}

journal::Micros ExportSpanDialog::Until() const
{
    return to->dateTime() == to->maximumDateTime() ? last : toMicros(to->dateTime()) + 999;
}

QString exportValues(QWidget *parent, const journal::Journal &journal, const TComDataPacket &liveFramer,
                     journal::Micros from, journal::Micros until, const QString &fileName)
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return f.errorString();
    ValueExport e(journal, liveFramer, FormatSettings().DecimalSeparator, from, until,
                  [&f](QByteArrayView b) { return f.write(b.data(), b.size()) == b.size(); });
    // Shown only when the export takes longer than a moment.
    QProgressDialog progress(QStringLiteral("Exporting values…"), QStringLiteral("Cancel"), 0, 1000, parent);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    while (!e.Step(kStepBytes)) {
        // Between steps, so bytes arriving meanwhile never change the journal under a step.
        progress.setValue(int(e.Progress() * 1000));
        if (progress.wasCanceled()) {
            f.cancelWriting();
            return QStringLiteral("cancelled");
        }
    }
    progress.setValue(1000);
    if (e.Failed() || !f.commit())
        return f.errorString();
    return {};
}

QString exportPanel(QWidget *panel, const QString &fileName)
{
    const QPixmap image = panel->grab();
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly) || !image.save(&f, "PNG") || !f.commit())
        return f.errorString().isEmpty() ? QStringLiteral("the image could not be written") : f.errorString();
    return {};
}

} // namespace tg::app
