#pragma once

#include "widgets/colour_ref.h"

#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QTest>
#include <QUrl>
#include <QWidget>

// Shows a top-level window on the offscreen platform and makes it active, so focus behaves as on a desktop.
inline void ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window, 2000);
    QApplication::processEvents();
}

inline QImage Grab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline ColourRef PixelAt(const QImage& image, int x, int y)
{
    return FromQColor(image.pixelColor(x, y));
}

// Receives what a widget asks the desktop to open, instead of a browser or mail program.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher()
    {
        for (const char* scheme : {"http", "https", "mailto", "file"}) {
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "Open");
        }
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"http", "https", "mailto", "file"}) {
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        }
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};
