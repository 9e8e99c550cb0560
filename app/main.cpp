#include "app/app_texts.h"
#include "app/configurator_app.h"
#include "res/fonts.h"

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <optional>
#include <string>

namespace {

constexpr const char* kDescription =
    "Configure the fieldbus card of a Vorn leak-test instrument over its RS-232 port: choose the firmware range,\n"
    "pick the port, search the instrument, read its card's settings, edit them and apply them.";
constexpr const char* kFooter =
    R"(Qt's own options, such as -platform NAME, -style NAME and -reverse, are accepted as well.

Exit status:
  0  the window was closed
  2  bad command line)";

// The window's own options. With `othersAllowed` (before Qt has taken its options) anything else is left
// alone; without, anything left is an error. Answers the exit status when the run ends here.
std::optional<int> ParseWindowOptions(int argc, char** argv, bool othersAllowed)
{
    CLI::App app{kDescription, "meshgate2"};
    app.footer(kFooter);
    app.set_help_flag("-h,--help", "show this help and exit");
    app.set_version_flag("--version", std::string("meshgate2 ") + MESHGATE2_VERSION, "show the version and exit");
    app.allow_extras(othersAllowed);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answered) {
        return app.exit(answered); // --help, --version
    } catch (const CLI::ParseError& error) {
        const std::vector<std::string> left = app.remaining();
        const std::string what = left.empty() ? error.what() : "unexpected argument '" + left.front() + "'";
        std::fprintf(stderr, "meshgate2: %s\nTry 'meshgate2 --help'.\n", what.c_str());
        return 2;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before any Qt object exists, so they work without a display.
    if (const auto status = ParseWindowOptions(argc, argv, true))
        return *status;
    QApplication application(argc, argv);
    // Qt has taken its own options out of argv; anything left is not ours either.
    if (const auto status = ParseWindowOptions(argc, argv, false))
        return *status;
    QApplication::setApplicationName(QString::fromLatin1(app_texts::kApplicationName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/128.png")));
    // The dialogs run one after another; closing the first must not end the run of the second.
    QApplication::setQuitOnLastWindowClosed(false);
    RegisterDialogFonts();
    ConfiguratorApp().InitInstance();
    return 0;
}
