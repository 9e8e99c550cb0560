#include "app/settings_file_actions.h"

#include "app/file_dialogs.h"
#include "cards/card_info.h"
#include "cards/settings_check.h"
#include "host/backup_io.h"
#include "pages/bus_page.h"
#include "pages/message_boxes.h"

#include <QDir>

namespace settings_file_actions {

namespace {

const QString kFilters = QStringLiteral("Meshgate2 settings (*.json);;All files (*)");
const QString kNotSaved = QStringLiteral("Settings not saved");
const QString kNotLoaded = QStringLiteral("Settings not loaded");
const QString kPageUnchanged = QStringLiteral(" The page is unchanged.");

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void Refuse(QWidget* parent, const QString& why)
{
    MessageBoxes::Show(parent, kNotLoaded, MessageBoxes::Icon::Stop, why + kPageUnchanged);
}

} // namespace

void SaveToFile(QWidget* parent, BusPage& page)
{
    cards::CardSettings settings;
    // Checked before a file is asked for: a value Apply would refuse is no value to keep.
    if (!page.TakeSettings(settings)) {
        if (!page.FailureDetail().isEmpty())
            MessageBoxes::Show(parent, kNotSaved, MessageBoxes::Icon::Stop, page.FailureDetail());
        return;
    }
    const QString path = FileDialogs::SaveFileName(parent, QStringLiteral("Save Settings to File"), kFilters);
    if (path.isEmpty())
        return;
    // The window does not keep the card's firmware text or the model text: the file leaves them out.
    const backup_io::Result saved =
        backup_io::SaveBackup(path.toStdString(), cards::BackupToJson(page.cardCode, page.firmwareRange, settings));
    if (!saved.Ok()) {
        MessageBoxes::Show(parent, kNotSaved, MessageBoxes::Icon::Stop, QString::fromStdString(saved.message));
        return;
    }
    MessageBoxes::Show(parent, QStringLiteral("Settings saved to %1").arg(Shown(path)), MessageBoxes::Icon::None);
}

void LoadFromFile(QWidget* parent, BusPage& page)
{
    const QString path = FileDialogs::OpenFileName(parent, QStringLiteral("Load Settings from File"), kFilters);
    if (path.isEmpty())
        return;
    cards::Backup backup;
    const backup_io::Result loaded = backup_io::LoadBackup(path.toStdString(), backup);
    if (!loaded.Ok()) {
        Refuse(parent, QString::fromStdString(loaded.message) + QLatin1Char('.'));
        return;
    }
    const auto label = [](const cards::Parameter& p, int value) {
        return "the file's " + std::string(cards::BackupKey(p)) + " " + std::to_string(value);
    };
    // The window always holds the range it works with: a file of the other range would name other list
    // entries by the same codes.
    const cards::FileFit fit = cards::CheckFileFits(backup, page.cardCode, page.firmwareRange, label);
    switch (fit.fault) {
    case cards::FileFit::Fault::None:
        break;
    case cards::FileFit::Fault::OtherCard:
        Refuse(parent, QStringLiteral("The file holds the settings of the %1; this instrument has the %2.")
                           .arg(QString::fromStdString(cards::CardText(backup.cardCode)),
                                QString::fromStdString(cards::CardText(page.cardCode))));
        return;
    case cards::FileFit::Fault::OtherRange:
        Refuse(parent, QStringLiteral("The file was saved for the %1 firmware range; this window works with the %2 "
                                      "range, whose lists differ.")
                           .arg(QString::fromLatin1(cards::RangeName(backup.firmwareRange)),
                                QString::fromLatin1(cards::RangeName(page.firmwareRange))));
        return;
    case cards::FileFit::Fault::ValueDoesNotFit:
        Refuse(parent, QString::fromStdString(fit.message) + QLatin1Char('.'));
        return;
    }
    if (!page.PutSettings(backup.settings)) {
        Refuse(parent, QStringLiteral("The page cannot show the file's values yet: Read the instrument, then load "
                                      "the file again."));
        return;
    }
    MessageBoxes::Show(
        parent,
        QStringLiteral("Settings loaded from %1. Press Apply to write them to the instrument.").arg(Shown(path)),
        MessageBoxes::Icon::None);
}

} // namespace settings_file_actions
