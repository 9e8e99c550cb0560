#pragma once

#include <QDialog>

// Asks, once per run, which instrument firmware range is connected: 0 legacy, 1 current (preselected).
class VersionDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 140;
    static constexpr int IDC_LEGACY = 1027;
    static constexpr int IDC_CURRENT = 1028;

    explicit VersionDialog(QWidget* parent = nullptr);
    ~VersionDialog() override;

    // OnInitDialog, then the modal run; QDialog::Accepted for OK.
    int DoModal();
    bool OnInitDialog();
    // Radio group <-> selectedRange (index of the checked button from IDC_LEGACY; -1 when none is).
    void UpdateData(bool saveAndValidate);

    void accept() override;

    int selectedRange = 1;

private:
    bool initialised = false;
};
