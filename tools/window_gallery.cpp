// Renders the program's windows at several scale factors on a light and a dark palette, so what a user sees on
// a high-DPI screen or a dark desktop can be looked at without either:
//   window-gallery <output folder>
// Qt takes the scale factor only at start-up, so the program runs itself once per factor.
#include "app/about_dialog.h"
#include "app/main_dialog.h"
#include "app/version_dialog.h"
#include "pages/message_boxes.h"
#include "res/dialog_builder.h"
#include "res/fonts.h"
#include "sim/simulator.h"
#include "widgets/gallery/icon_art.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr const char* kScales[] = {"1", "1.5", "2"};
constexpr const char* kScaleOption = "--scale";

struct Card
{
    const char* name;
    std::uint16_t code;
};
constexpr Card kCards[] = {
    {"profibus", 5}, {"devicenet", 6}, {"profinet", 4}, {"ethernetip", 7}, {"modbustcp", 8},
};

// A dark desktop as the common dark themes paint it: grey window, white text, a blue selection.
QPalette DarkPalette()
{
    const QColor window(53, 53, 53);
    QPalette dark(window, window);
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(42, 130, 218));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        dark.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
    }
    return dark;
}

class WindowGallery
{
public:
    WindowGallery(const QDir& out, const QString& scaleName) : dir(out), scale(scaleName) {}

    // Every window on the current palette, named with `tone`.
    bool RenderAll(const QString& tone)
    {
        bool ok = Shoot(QStringLiteral("version"), tone, [] {
            auto* d = new VersionDialog;
            d->OnInitDialog();
            return d;
        });
        ok &= Shoot(QStringLiteral("about"), tone, [] { return new AboutDialog; });
        // The window as it opens, before a search: COM1 leads to an instrument, the tab shows INFO.
        ok &= WithInstrument(5, [&] { return Shoot(QStringLiteral("info"), tone, [] { return MainWindow(); }); });
        for (const Card& card : kCards) {
            ok &= WithInstrument(card.code, [&] {
                return Shoot(QLatin1String(card.name), tone, [] {
                    MainDialog* main = MainWindow();
                    // The operator's Search: finds the card and reads its settings into the page.
                    Control<QAbstractButton>(main, MainDialog::IDC_SEARCH)->click();
                    return main;
                });
            });
        }
        return ok;
    }

    int Written() const { return written; }

private:
    static MainDialog* MainWindow()
    {
        auto* main = new MainDialog;
        main->SetFirmwareRange(1);
        main->OnInitDialog();
        return main;
    }

    // Runs `shoot` while COM1 leads to a simulated instrument with this card and its default settings.
    static bool WithInstrument(std::uint16_t cardCode, const std::function<bool()>& shoot)
    {
        sim::Config config;
        config.cardCode = cardCode;
        sim::Simulator instrument(config);
        if (!instrument.Start()) {
            std::fprintf(stderr, "no simulated instrument: %s\n", instrument.Error().c_str());
            return false;
        }
        setenv("MESHGATE2_COM1", instrument.DevicePath().c_str(), 1);
        const bool ok = shoot();
        unsetenv("MESHGATE2_COM1");
        return ok;
    }

    bool Shoot(const QString& what, const QString& tone, const std::function<QWidget*()>& make)
    {
        MessageBoxes::Take();
        QWidget* window = make();
        window->show();
        QApplication::processEvents();
        const QImage image = window->grab().toImage();
        // Closed before it goes, as the program's windows are when their modal run ends: a window destroyed
        // while shown loses the focus during its destruction, and the main window's port list still reacts to it.
        window->hide();
        delete window;
        bool ok = true;
        for (const MessageBoxes::Shown& shown : MessageBoxes::Take()) {
            // A page that could not be read would show its defaults, not the instrument's settings.
            if (shown.icon == MessageBoxes::Icon::Stop) {
                std::fprintf(stderr, "%s: \"%s\"\n", qPrintable(what), qPrintable(shown.text));
                ok = false;
            }
        }
        if (!SavePng(dir, QStringLiteral("%1-x%2-%3").arg(what, scale, tone), image)) {
            return false;
        }
        ++written;
        return ok;
    }

    QDir dir;
    QString scale;
    int written = 0;
};

// One scale factor: the windows on the light palette, then on the dark one.
int RenderAtScale(int argc, char** argv, const QDir& dir, const QString& scale)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Meshgate2"));
    RegisterDialogFonts();
    MessageBoxes::Record(true);
    // The settings file the main window reads is kept out of the way.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "no working folder\n");
        return 1;
    }
    WindowGallery gallery(dir, scale);
    QApplication::setPalette(QApplication::style()->standardPalette());
    bool ok = gallery.RenderAll(QStringLiteral("light"));
    QApplication::setPalette(DarkPalette());
    ok &= gallery.RenderAll(QStringLiteral("dark"));
    std::printf("%d\n", gallery.Written());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string_view(argv[1]) == kScaleOption) {
        QDir dir;
        return OutputFolder(argv[3], dir) ? RenderAtScale(argc, argv, dir, QString::fromLatin1(argv[2])) : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QDir dir;
    if (!OutputFolder(argv[1], dir)) {
        return 1;
    }
    int written = 0;
    for (const char* scale : kScales) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(scale));
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(QCoreApplication::applicationFilePath(),
                  {QLatin1String(kScaleOption), QLatin1String(scale), dir.absolutePath()});
        if (!run.waitForFinished(-1) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
            std::fprintf(stderr, "scale factor %s failed\n", scale);
            return 1;
        }
        written += run.readAllStandardOutput().trimmed().toInt();
    }
    std::printf("%d pictures in %s\n", written, qPrintable(dir.path()));
    return 0;
}
