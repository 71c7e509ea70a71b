#pragma once
// The Show page's background picture. The picture itself is not kept in the settings (it has
// nothing the file could hold); its visibility is.
#include "ControlBounds.h"

#include <QImage>
#include <QLabel>

class TImage : public QLabel, public TControlBounds<TImage> {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
public:
    explicit TImage(QWidget *parent = nullptr);

    QImage Picture() const { return picture; }
    void SetPicture(const QImage &img);

private:
    QImage picture;
};
