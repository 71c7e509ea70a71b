// The window from the keyboard alone: the panel's buttons and dials in the order they stand,
// a focus frame only when the keyboard brought the focus, and the menus' keys.
#include "GvControl.h"
#include "MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TGvControl *control(TFormMain &w, int id) { return qobject_cast<TGvControl *>(w.instrument(id)); }

// The panel's inputs shown, the window active: its first input has the focus.
void showInputs(TFormMain &w)
{
    w.show();
    for (int id : {70, 71, 72, 73, 80, 81})
        w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id))->click();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

QStringList tabs(int n, Qt::Key key = Qt::Key_Tab)
{
    QStringList names;
    for (int i = 0; i < n; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
        names << QApplication::focusWidget()->objectName();
    }
    return names;
}

} // namespace

TEST(WindowKeyboard, TabWalksThePanelsInputsInReadingOrderWhereverTheyStand)
{
    TFormMain w;
    showInputs(w);
    ASSERT_EQ(QApplication::focusWidget(), control(w, 70));
    // Top to bottom: the buttons, then dial 81 above dial 80.
    EXPECT_EQ(tabs(6).join(' '), QStringLiteral("Instr71 Instr72 Instr73 Instr81 Instr80 Instr70"));
    EXPECT_EQ(tabs(2, Qt::Key_Backtab).join(' '), QStringLiteral("Instr80 Instr81"));
    // Moved (as edit mode or the settings file move it), dial 81 comes between the buttons.
    control(w, 81)->move(600, 50);
    control(w, 70)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(tabs(6).join(' '), QStringLiteral("Instr71 Instr81 Instr72 Instr73 Instr80 Instr70"));
}

TEST(WindowKeyboard, AFocusFrameShowsOnlyWhereTheKeyboardBroughtTheFocus)
{
    TFormMain w;
    showInputs(w);
    TGvControl *b70 = control(w, 70), *dial = control(w, 81);
    // Focused as the window came up: the panel looks as it always did.
    ASSERT_TRUE(b70->hasFocus());
    EXPECT_FALSE(b70->ShowsFocusFrame());
    const QImage plain = b70->grab().toImage();
    tabs(1);
    tabs(1, Qt::Key_Backtab);
    ASSERT_TRUE(b70->hasFocus());
    EXPECT_TRUE(b70->ShowsFocusFrame());
    EXPECT_NE(b70->grab().toImage(), plain);
    // The mouse takes the focus to the dial without a frame; a button it clicks takes none.
    QTest::mouseClick(dial, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(dial->hasFocus());
    EXPECT_FALSE(dial->ShowsFocusFrame());
    EXPECT_EQ(b70->grab().toImage(), plain);
    QTest::mouseClick(control(w, 72), Qt::LeftButton);
    EXPECT_TRUE(dial->hasFocus());
    tabs(1, Qt::Key_Backtab);
    EXPECT_TRUE(control(w, 73)->ShowsFocusFrame());
}

TEST(WindowKeyboard, MenusOpenWithAltAndTheirLetterAndCtrlQEnds)
{
    TFormMain w;
    showInputs(w);
    // Every entry has its letter, none twice in one menu.
    QList<QWidget *> menus{w.menuBar()};
    for (QMenu *m : w.menuBar()->findChildren<QMenu *>())
        menus << m;
    for (QWidget *m : menus) {
        QString letters;
        for (QAction *a : m->actions()) {
            if (a->isSeparator())
                continue;
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            ASSERT_FALSE(key.isEmpty()) << a->text().toStdString();
            const QChar letter = a->text().at(a->text().indexOf(QLatin1Char('&')) + 1).toLower();
            EXPECT_FALSE(letters.contains(letter)) << a->text().toStdString();
            letters += letter;
        }
    }
    const std::pair<Qt::Key, QWidget *> pages[] = {
        {Qt::Key_I, w.TabSheetInstrumente}, {Qt::Key_N, w.TabSheetSchnittstelle}, {Qt::Key_T, w.TabSheetTerminal}};
    for (const auto &[key, page] : pages) {
        QTest::keyClick(&w, key, Qt::AltModifier);
        EXPECT_EQ(w.PageControl1->currentWidget(), page) << key;
    }
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}
