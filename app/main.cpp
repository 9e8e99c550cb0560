#include "app/app_texts.h"
#include "app/configurator_app.h"
#include "res/fonts.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kUsage = R"(Usage: meshgate2 [OPTION]...
Configure the fieldbus card of a Vorn leak-test instrument over its RS-232 port: choose the firmware range,
pick the port, search the instrument, read its card's settings, edit them and apply them.

Options:
  -h, --help     show this help and exit
      --version  show the version and exit

Qt's own options, such as -platform NAME, -style NAME and -reverse, are accepted as well.

Exit status:
  0  the window was closed
  2  bad command line
)";

bool IsOption(const char* argument, const char* name)
{
    return std::strcmp(argument, name) == 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Answered before any Qt object exists, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (IsOption(argv[i], "-h") || IsOption(argv[i], "--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (IsOption(argv[i], "--version")) {
            std::puts("meshgate2 " MESHGATE2_VERSION);
            return 0;
        }
    }

    QApplication application(argc, argv);
    // Qt has taken its own options out of argv; anything left is not ours either.
    if (argc > 1) {
        std::fprintf(stderr, "meshgate2: unexpected argument '%s'\nTry 'meshgate2 --help'.\n", argv[1]);
        return 2;
    }
    QApplication::setApplicationName(QString::fromLatin1(app_texts::kApplicationName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/128.png")));
    // The dialogs run one after another; closing the first must not end the run of the second.
    QApplication::setQuitOnLastWindowClosed(false);
    RegisterDialogFonts();
    ConfiguratorApp().InitInstance();
    return 0;
}
