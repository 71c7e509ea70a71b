#pragma once
// The Instruments page over the panel's real instruments, with the helpers the sub-page tests
// drive it by: fields found by name, typing and clicking through QTest, and the error box and
// font dialog replaced for the test's lifetime.
#include "ApplicationException.h"
#include "Catalogue.h"
#include "ColorBox.h"
#include "FontButton.h"
#include "FormatSettings.h"
#include "InstrumentsPage.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

struct PageSetup {
    TScopedFormatSettings dot{TFormatSettings::dot()};
    QWidget panel;
    tg::app::InstrumentTable instruments = tg::app::createInstruments(&panel);
    TInstrumentsPage page{&panel};
    QStringList errors;
    tg::ApplicationExceptionHandler previousHandler;
    tg::config::TFontPicker previousPicker = tg::config::FontPicker();

    PageSetup()
    {
        previousHandler = tg::setApplicationExceptionHandler(
            [this](std::exception_ptr e) { errors << QString::fromUtf8(tg::exceptionText(e)); });
        page.resize(1000, 800);
        page.show();
        page.PageShown();
    }
    ~PageSetup()
    {
        tg::setApplicationExceptionHandler(previousHandler);
        tg::config::FontPicker() = previousPicker;
    }
    template <class T> T *Field(const char *name) { return page.findChild<T *>(name); }
    template <class T> T *Instr(int id) { return qobject_cast<T *>(instruments[size_t(id)]); }
    // Near the left edge: a check box or radio button stretched across a form row takes clicks
    // only on its box and caption, not in the middle of the row.
    void Click(const char *button)
    {
        auto *b = Field<QAbstractButton>(button);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
    }
    void Type(const char *name, const QString &text)
    {
        auto *e = Field<QLineEdit>(name);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    QString Text(const char *name) { return Field<QLineEdit>(name)->text(); }
    TColor Color(const char *box) { return Field<TColorBox>(box)->Selected(); }
    void ChooseColor(const char *box, TColor c)
    {
        auto *b = Field<TColorBox>(box);
        b->setCurrentIndex(b->findData(QVariant::fromValue(c.value)));
    }
    QString Sheet() { return page.PageControl()->currentWidget()->objectName(); }
};

