#include "Image.h"

#include <QEvent>

TImage::TImage(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
}

void TImage::SetPicture(const QImage &img)
{
    picture = img;
    setPixmap(QPixmap::fromImage(img));
}

bool TImage::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == parentWidget() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, e);
}
