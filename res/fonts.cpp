#include "res/fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QSet>

int RegisterDialogFonts(const QString& folder)
{
    // Registering the same file twice would list the family twice; remember what is in already.
    static QSet<QString> registered;
    int count = 0;
    if (folder.isEmpty())
        return count; // a bare file name would be looked for in the working folder
    // Not wine's tahomabd.ttf: Qt draws its bold face no heavier than the regular one, so the bold header
    // would look plain. Without it Qt emboldens the regular face, which reads as bold.
    for (const char* name : {"tahoma.ttf", "ms_sans_serif.ttf"}) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(name));
        if (registered.contains(path) || !QFileInfo::exists(path))
            continue;
        if (QFontDatabase::addApplicationFont(path) >= 0) {
            registered.insert(path);
            ++count;
        }
    }
    return count;
}
