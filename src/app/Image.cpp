#include "Image.h"

TImage::TImage(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
}

void TImage::SetPicture(const QImage &img)
{
    picture = img;
    setPixmap(QPixmap::fromImage(img));
}
