#include "Image.h"

TImage::TImage(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
    // The instruments and the background under it take the mouse.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TImage::SetPicture(const QImage &img)
{
    picture = img;
    setPixmap(QPixmap::fromImage(img));
}
