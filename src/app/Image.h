#pragma once
// The Show page's background picture: it covers the whole page, stretched, whatever the page's
// size. The picture itself is not kept in the settings (it has nothing the file could hold);
// its visibility is.
#include "ControlBounds.h"

#include <QImage>
#include <QLabel>

class TImage : public QLabel, public TControlBounds<TImage> {
    Q_OBJECT
    TG_CONTROL_BOUNDS_PROPERTIES
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
public:
    explicit TImage(QWidget *parent = nullptr);

    QImage Picture() const { return picture; }
    void SetPicture(const QImage &img);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QImage picture;
};
