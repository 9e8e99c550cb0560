#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <optional>

namespace {

std::optional<QString>& NextAnswer()
{
    static std::optional<QString> next;
    return next;
}

std::optional<QString> TakeAnswer()
{
    std::optional<QString> answer;
    answer.swap(NextAnswer());
    return answer;
}

// "CSV (*.csv)" gives "csv".
QString FirstSuffix(const QString& filter)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QString FileDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& filters)
{
    if (auto answer = TakeAnswer())
        return *answer;
    QFileDialog dialog(parent, caption, QString(), filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(FirstSuffix(filters));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(FirstSuffix(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialogs::OpenFileName(QWidget* parent, const QString& caption, const QString& filters)
{
    if (auto answer = TakeAnswer())
        return *answer;
    return QFileDialog::getOpenFileName(parent, caption, QString(), filters);
}

void FileDialogs::AnswerNext(const QString& path)
{
    NextAnswer() = path;
}
