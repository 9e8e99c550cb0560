#include "res/dialog_template.h"

// Kept apart from the tables so that each table can live beside its kind of window.
const DialogTemplate* FindTemplate(int id)
{
    for (const auto tables : {AppTemplates(), PageTemplates()}) {
        for (const DialogTemplate* t : tables) {
            if (t->id == id) {
                return t;
            }
        }
    }
    return nullptr;
}
