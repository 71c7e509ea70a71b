// Changes made through the pages survive the end of the program and a new start.
#include "BackgroundFill.h"
#include "ColorBox.h"
#include "GvLED.h"
#include "GvVMeter.h"
#include "LedPanel.h"
#include "MainWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void type(QLineEdit *field, const QString &text)
{
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// Selects an instrument with its button and returns its sub-page.
QWidget *select(TFormMain &w, int id)
{
    w.PageControl1->setCurrentWidget(w.TabSheetInstrumente);
    QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("CButton%1").arg(id)), Qt::LeftButton);
    return w.findChild<QTabWidget *>(QStringLiteral("PageControl2"))->currentWidget();
}

void apply(QWidget *subPage)
{
    for (QPushButton *b : subPage->findChildren<QPushButton *>())
        if (b->text() == QLatin1String("Werte zuweisen")) {
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "no apply button on " << qPrintable(subPage->objectName());
}

void endProgram(TFormMain &w)
{
    w.close();
}

} // namespace

TEST(RoundTrip, WhatTheUserChangesIsBackAfterARestart)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    {
        TFormMain w(file);
        w.show();
        // A meter: switched on, moved, renamed and rescaled through its page.
        w.findChild<QCheckBox *>(QStringLiteral("CheckBox3"))->click();
        qobject_cast<TGvVMeter *>(w.instrument(3))->SetLeft(300);
        QWidget *page = select(w, 3);
        type(page->findChild<QLineEdit *>(QStringLiteral("EditName")), QStringLiteral("Druck"));
        type(page->findChild<QLineEdit *>(QStringLiteral("GvNumEditSkalierungsfaktor")), QStringLiteral("2"));
        apply(page);
        // A lamp caption through the lamp block's page.
        page = select(w, 60);
        type(page->findChild<QLineEdit *>(QStringLiteral("EditLedPanel3")), QStringLiteral("Pumpe"));
        apply(page);
        // The seven-segment fields, live.
        select(w, 40);
        type(w.findChild<QLineEdit *>(QStringLiteral("GvEdit7SegStellen")), QStringLiteral("6"));
        // Options and interface.
        w.ColorBoxShowFarbeVon->setCurrentText(QStringLiteral("Red"));
        w.ColorBoxShowFarbeVon->activated(w.ColorBoxShowFarbeVon->currentIndex());
        w.ComboBoxBaud->setCurrentText(QStringLiteral("57600"));
        endProgram(w);
    }
    TFormMain w(file);
    w.show();
    auto *meter = qobject_cast<TGvVMeter *>(w.instrument(3));
    EXPECT_TRUE(meter->isVisible());
    EXPECT_EQ(meter->Left(), 300);
    EXPECT_EQ(meter->SignalSettings()->Name1(), QStringLiteral("Druck"));
    EXPECT_EQ(meter->Hint(), QStringLiteral("2"));
    EXPECT_TRUE(w.findChild<QCheckBox *>(QStringLiteral("CheckBox3"))->isChecked());
    EXPECT_EQ(qobject_cast<TLedPanel *>(w.instrument(60))->Led(3)->Caption(), QStringLiteral("Pumpe"));
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("GvEdit7SegStellen"))->text(), QStringLiteral("6"));
    EXPECT_EQ(w.BackgroundFill1->GradSettings()->ColorFrom().value, clRed.value);
    EXPECT_EQ(w.ColorBoxShowFarbeVon->Selected().value, clRed.value);
    EXPECT_EQ(w.ComboBoxBaud->currentText(), QStringLiteral("57600"));
}
