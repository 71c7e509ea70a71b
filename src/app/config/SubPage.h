#pragma once
// What the sub-pages of the Instruments page share: their caption for the selected instrument,
// text and number fields, and the two apply buttons.
#include <QString>
#include <initializer_list>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TGvNumEdit;
class TGvNumSpin;

namespace tg::config {

// "   Instrument #5   ": the group box caption while instrument id is being edited.
QString InstrumentCaption(int id);

QLineEdit *MakeEdit(const char *name, QWidget *parent);
// A decimal field shown with `format` ("#0.#######").
TGvNumEdit *MakeNumEdit(const char *name, const QString &format, QWidget *parent);
// An integer field with up/down buttons that keeps typed and stepped entries within lo...hi.
TGvNumSpin *MakeIntSpin(const char *name, int lo, int hi, int initial, QWidget *parent);

// Shows v in the field and makes it the value, discarding any entry not yet committed (a
// plain Value write leaves a typed text standing when the value is unchanged).
void LoadNumber(TGvNumEdit *field, double v);
// The same for an integer field; v is shown as it is, even outside the field's limits.
void LoadInt(TGvNumEdit *field, int v);
// Commits what the field shows, as leaving it would (empty counts as 0); false when the text is
// no number, which the field marks itself.
bool CommitNumber(TGvNumEdit *field);
// Commits every field; false as soon as one holds no number.
bool CommitNumbers(std::initializer_list<TGvNumEdit *> fields);

// An explanation as a full-width form row; plain text, line breaks kept.
QLabel *AddNote(QFormLayout *form, const char *utf8, QWidget *parent);

struct TApplyButtons {
    QPushButton *show;  // "Zuweisen+Show"
    QPushButton *apply; // "Werte zuweisen"
};
// The two buttons as the last row of a sub-page's form.
TApplyButtons AddApplyButtons(QFormLayout *form, QWidget *parent);

} // namespace tg::config
