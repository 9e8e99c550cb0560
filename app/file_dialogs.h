#pragma once

#include <QString>

class QWidget;

// Every file dialog of the program goes through here, so tests can answer them without a window.
class FileDialogs
{
public:
    // The file to write; a name typed without an extension gets the chosen filter's first one. Empty when
    // cancelled. `filters` as QFileDialog takes them: "Text (*.txt);;CSV (*.csv)".
    static QString SaveFileName(QWidget* parent, const QString& caption, const QString& filters);
    // An existing file to read; empty when cancelled.
    static QString OpenFileName(QWidget* parent, const QString& caption, const QString& filters);

    // Tests: the next dialog answers `path` at once instead of showing (an empty path is a cancel).
    static void AnswerNext(const QString& path);
};
