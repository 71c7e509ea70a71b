#include "SubPage.h"

#include "GvNumEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tg::config {

QString InstrumentCaption(int id) { return QStringLiteral("   Instrument #%1   ").arg(id); }

QLineEdit *MakeEdit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

TGvNumEdit *MakeNumEdit(const char *name, const QString &format, QWidget *parent)
{
    auto *e = new TGvNumEdit(parent);
    e->setObjectName(name);
    e->SetFormatStr(format);
    e->Loaded();
    return e;
}

TGvNumSpin *MakeIntSpin(const char *name, int lo, int hi, int initial, QWidget *parent)
{
    auto *s = new TGvNumSpin(parent);
    s->setObjectName(name);
    s->SetEditBase(TGvNumEdit::ebInt);
    s->SetMinValue(lo);
    s->SetMaxValue(hi);
    s->SetOptions(TGvNumEdit::eoLimitMin | TGvNumEdit::eoLimitMax);
    s->SetValueAsInt(initial);
    s->Loaded();
    return s;
}

void LoadNumber(TGvNumEdit *field, double v)
{
    field->SetValue(v);
    // Same value: the write above did nothing, so a typed text may still stand.
    field->SetValueAsSingle(static_cast<float>(v));
}

void LoadInt(TGvNumEdit *field, int v)
{
    // A pending entry that reads the same as v would turn the write below into a no-op.
    if (field->State() != TGvNumEdit::esNormal)
        field->setText(QString());
    field->SetValueAsInt(v);
}

bool CommitNumber(TGvNumEdit *field)
{
    if (field->text().isEmpty())
        field->setText(QStringLiteral("0"));
    return field->CheckText(true);
}

bool CommitNumbers(std::initializer_list<TGvNumEdit *> fields)
{
    for (TGvNumEdit *f : fields)
        if (!CommitNumber(f))
            return false;
    return true;
}

QLabel *AddNote(QFormLayout *form, const char *utf8, QWidget *parent)
{
    auto *note = new QLabel(QString::fromUtf8(utf8), parent);
    note->setTextFormat(Qt::PlainText);
    // Wraps where the fields beside the panel's groups leave less room than its longest line.
    note->setWordWrap(true);
    form->addRow(note);
    return note;
}

TApplyButtons AddApplyButtons(QFormLayout *form, QWidget *parent)
{
    TApplyButtons b{new QPushButton(QStringLiteral("Zuweisen+Show"), parent),
                    new QPushButton(QStringLiteral("Werte zuweisen"), parent)};
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(b.show);
    row->addWidget(b.apply);
    form->addRow(row);
    return b;
}

} // namespace tg::config
