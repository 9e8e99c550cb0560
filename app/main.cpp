#include "app_texts.h"
#include "configurator_app.h"
#include "fonts.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(app_texts::kApplicationName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/128.png")));
    // The dialogs run one after another; closing the first must not end the run of the second.
    QApplication::setQuitOnLastWindowClosed(false);
    RegisterDialogFonts();
    ConfiguratorApp().InitInstance();
    return 0;
}
