#include "app/about_dialog.h"

#include "res/dialog_builder.h"

#include <QPushButton>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    BuildDialog(this, AboutTemplate());
    connect(Control<QPushButton>(this, 1), &QPushButton::clicked, this, &AboutDialog::accept);
}

AboutDialog::~AboutDialog() = default;
