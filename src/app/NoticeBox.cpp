#include "NoticeBox.h"

#include <QMessageBox>

TNoticeBox::~TNoticeBox()
{
    delete m_box;
}

void TNoticeBox::Show(const QString &text)
{
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Warning, m_window->windowTitle(), text, QMessageBox::Ok, m_window);
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setModal(false);
        m_box->show();
    } else {
        m_box->setText(text);
    }
}

QString TNoticeBox::Text() const
{
    return m_box ? m_box->text() : QString();
}
