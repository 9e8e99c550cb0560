#pragma once

#include <QDir>
#include <QImage>
#include <vector>

// The program's own artwork, drawn in code so it can be regenerated and reviewed: the icons named by
// their resource ids (128 application, 134 Apply, 135 Search Device, 136 Read, 138 Exit) and the
// picture 131 of the version dialog and information page.
struct IconArt
{
    int id;
    QImage image;
};

// Drawn for a device of pixel ratio `ratio` (2 for the "@2x" copies): the same picture in logical pixels, with
// `ratio` times as many device pixels.
QImage DrawIconArt(int id, qreal ratio = 1.0);
std::vector<IconArt> AllIconArt(qreal ratio = 1.0);
// The application icon n pixels wide (its device pixel ratio 1): drawn for 16, 24 and 48 px, the 32 px art at
// a ratio of n / 32 otherwise.
QImage DrawApplicationIcon(int px);
// The sizes desktops and Windows ask for.
constexpr int kApplicationIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The folder named on a command line, created when missing; false (with a message) when it cannot be.
bool OutputFolder(const char* path, QDir& dir);
// Writes `image` as <name>.png into `dir`; false (with a message) when it cannot.
bool SavePng(const QDir& dir, const QString& name, const QImage& image);
