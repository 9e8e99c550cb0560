#pragma once

#include "res/dialog_template.h"

#include <QWidget>
#include <functional>
#include <map>

// Builds a template's controls as children of `dialog`, converting dialog units with the template
// font's metrics (x px = dlu x average char width / 4, y px = dlu x char height / 8), and sizes the
// dialog. Where the template's face cannot draw on the dialog's screen (a bitmap face at a scale other
// than 1), the scalable face that replaces it gives the font and the metrics. Controls whose id appears in `custom` are
// made by that factory (the classes a dialog binds, such as a title banner); the rest get the plain Qt widget of their
// kind. Every control carries its id (property "controlId") so FindControl can reach it.
using ControlFactory = std::function<QWidget*(const ControlEntry& entry, QWidget* parent)>;
void BuildDialog(QWidget* dialog, const DialogTemplate& dialogTemplate,
                 const std::map<int, ControlFactory>& custom = {});

// Dialog base units of a font as Windows measures them: the rounded average width of the 52
// Latin letters, and the character height (ascent plus descent as Windows takes them from the font).
QSize DialogBaseUnits(const QFont& font);

// The control with this id, or nullptr.
QWidget* FindControl(const QWidget* dialog, int id);
template <class T> T* Control(const QWidget* dialog, int id)
{
    return qobject_cast<T*>(FindControl(dialog, id));
}
