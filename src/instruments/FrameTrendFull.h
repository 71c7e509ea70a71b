#pragma once
// The full trend frame: a recorder with a column of zoom and move buttons, a row of navigation,
// file and recording controls, and a panel of value indicators, record counters, scale channel
// fields, the record-count list and channel check boxes. The controls are laid out only; none
// of them is connected to the recorder.
#include <QFrame>

class TGvTrend;
class TGvValueInd;
class QCheckBox;
class QListWidget;
class QSpinBox;

class TFrame1 : public QFrame {
    Q_OBJECT
public:
    explicit TFrame1(QWidget *parent = nullptr);

    TGvTrend *GvTrend1() const { return trend; }
    TGvValueInd *ValueInd(int i) const { return valueInd[i]; } // 0 ... 3
    QSpinBox *LeftScaleChEdit() const { return leftScaleCh; }
    QSpinBox *AbsScaleChEdit() const { return absScaleCh; }
    QListWidget *MaxRecordsList() const { return maxRecords; }

private:
    TGvTrend *trend;
    TGvValueInd *valueInd[4];
    QSpinBox *leftScaleCh, *absScaleCh;
    QListWidget *maxRecords;
};
