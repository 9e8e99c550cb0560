#pragma once

#include <QLabel>
#include <QPixmap>

// A picture control for art with fixed colours drawn for a light window, such as the product logo. On a dark
// window background its colours go through the contrast rule (ReadableOn), so dark lettering stays readable;
// it follows palette changes. On a light background it shows the picture as it is.
class PictureStatic : public QLabel
{
    Q_OBJECT

public:
    explicit PictureStatic(QWidget* parent = nullptr);

    void SetPicture(const QPixmap& picture);

protected:
    void changeEvent(QEvent* event) override;

private:
    void ShowPicture();

    QPixmap picture;
};
