#include "widgets/picture_static.h"

#include "widgets/kit_paint.h"

#include <QEvent>

PictureStatic::PictureStatic(QWidget* parent) : QLabel(parent) {}

void PictureStatic::SetPicture(const QPixmap& newPicture)
{
    picture = newPicture;
    ShowPicture();
}

void PictureStatic::ShowPicture()
{
    if (picture.isNull()) {
        clear();
        return;
    }
    // The label has no background of its own: the window's shows behind the picture.
    const ColourRef behind = FromQColor(palette().color(QPalette::Active, QPalette::Window));
    setPixmap(QPixmap::fromImage(ReadablePicture(picture.toImage(), behind)));
}

void PictureStatic::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        ShowPicture();
    }
}
