#include "app/version_dialog.h"

#include "app/app_texts.h"
#include "res/dialog_builder.h"

#include <QPushButton>
#include <QRadioButton>

VersionDialog::VersionDialog(QWidget* parent) : QDialog(parent)
{
    BuildDialog(this, VersionTemplate());
    connect(Control<QPushButton>(this, 1), &QPushButton::clicked, this, &VersionDialog::accept);
    connect(Control<QPushButton>(this, 2), &QPushButton::clicked, this, &VersionDialog::reject);
}

VersionDialog::~VersionDialog() = default;

int VersionDialog::DoModal()
{
    if (!initialised)
        OnInitDialog();
    return exec();
}

bool VersionDialog::OnInitDialog()
{
    initialised = true;
    UpdateData(false);
    setWindowTitle(QString::fromLatin1(app_texts::kWindowTitle));
    return true;
}

void VersionDialog::UpdateData(bool saveAndValidate)
{
    const int ids[] = {IDC_LEGACY, IDC_CURRENT};
    if (saveAndValidate) {
        selectedRange = -1;
        for (int i = 0; i < 2; ++i) {
            if (auto* radio = Control<QRadioButton>(this, ids[i]); radio && radio->isChecked())
                selectedRange = i;
        }
        return;
    }
    if (selectedRange >= 0 && selectedRange < 2) {
        if (auto* radio = Control<QRadioButton>(this, ids[selectedRange]))
            radio->setChecked(true);
    }
}

void VersionDialog::accept()
{
    UpdateData(true);
    QDialog::accept();
}
