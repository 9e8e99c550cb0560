#pragma once

#include <QDialog>

// The about box: icon, the fixed version line and OK.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 100;
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;
};
