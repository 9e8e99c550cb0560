// Renders every widget of the kit in each of its states into PNG files, so the kit can be looked at
// without writing code:  QT_QPA_PLATFORM=offscreen widget-gallery <output folder>
#include "widgets/colour_static.h"
#include "widgets/gallery/icon_art.h"
#include "widgets/image_button.h"
#include "widgets/ip_address_edit.h"
#include "widgets/link_label.h"
#include "widgets/title_banner.h"
#include "widgets/up_down.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int ButtonW = 96;
constexpr int ButtonH = 64;
constexpr int Gap = 6;

struct Shot
{
    QString name;
    QImage image;
};

class Gallery
{
public:
    explicit Gallery(const QDir& out) : dir(out) {}

    bool Save(const QString& name, QWidget* w)
    {
        QApplication::processEvents();
        const QImage image = w->grab().toImage();
        shots.push_back({name, image});
        return Save(name, image);
    }

    // All shots whose name starts with `prefix` side by side in rows of `perRow`, with their names.
    bool Sheet(const QString& name, const QString& prefix, int perRow)
    {
        std::vector<const Shot*> picked;
        int cellW = 0;
        int cellH = 0;
        for (const Shot& s : shots) {
            if (s.name.startsWith(prefix)) {
                picked.push_back(&s);
                cellW = std::max(cellW, s.image.width());
                cellH = std::max(cellH, s.image.height());
            }
        }
        if (picked.empty()) {
            return true;
        }
        constexpr int captionH = 14;
        cellW = std::max(cellW, 150);
        const int rows = (static_cast<int>(picked.size()) + perRow - 1) / perRow;
        QImage sheet(perRow * (cellW + Gap) + Gap, rows * (cellH + captionH + Gap) + Gap, QImage::Format_RGB32);
        sheet.fill(QColor(250, 250, 250));
        QPainter p(&sheet);
        QFont small = QApplication::font();
        small.setPixelSize(10);
        p.setFont(small);
        for (std::size_t i = 0; i < picked.size(); ++i) {
            const int x = Gap + static_cast<int>(i % static_cast<std::size_t>(perRow)) * (cellW + Gap);
            const int y = Gap + static_cast<int>(i / static_cast<std::size_t>(perRow)) * (cellH + captionH + Gap);
            p.setPen(Qt::black);
            p.drawText(QRect(x, y, cellW, captionH), Qt::AlignLeft | Qt::AlignVCenter,
                       picked[i]->name.mid(prefix.size()));
            p.drawImage(x, y + captionH, picked[i]->image);
        }
        p.end();
        return Save(name, sheet);
    }

    // A fresh widget of the given size in the dialog, set up, saved and thrown away, so no state leaks on.
    template <class W>
    bool Render(QDialog& dialog, const QString& name, QSize size, const std::function<void(W*)>& setup)
    {
        auto* w = new W(&dialog);
        w->setGeometry(Gap, Gap, size.width(), size.height());
        w->show();
        setup(w);
        const bool ok = Save(name, w);
        delete w;
        return ok;
    }

    int Written() const { return written; }

private:
    bool Save(const QString& name, const QImage& image)
    {
        if (!SavePng(dir, name, image)) {
            return false;
        }
        ++written;
        return true;
    }

    QDir dir;
    std::vector<Shot> shots;
    int written = 0;
};

const char* const AlignNames[] = {"left", "top", "right", "overlap"};

void Hover(ImageButton* b)
{
    QEnterEvent enter(QPointF(b->width() / 2.0, b->height() / 2.0), QPointF(), QPointF());
    QApplication::sendEvent(b, &enter);
}

bool RenderButtons(Gallery& g, QDialog& dialog)
{
    bool ok = true;
    const QPixmap icon = QPixmap::fromImage(DrawIconArt(134));
    const char* const states[] = {"normal", "hovered", "pressed", "focused", "default", "disabled"};
    for (int flat = 0; flat < 2; ++flat) {
        for (int align = AlignImageLeft; align <= AlignOverlap; ++align) {
            for (const char* state : states) {
                // A fresh button per state, so no state leaks into the next picture.
                auto* b = new ImageButton(QStringLiteral("Apply"), &dialog);
                // Something else to hold the focus; not a push button, which would take the default.
                auto* other = new QLineEdit(&dialog);
                b->setGeometry(Gap, Gap, ButtonW, ButtonH);
                other->setGeometry(Gap, ButtonH + 2 * Gap, ButtonW, 24);
                b->SetIcons(icon);
                b->SetFlat(flat != 0);
                b->SetAlign(align);
                b->show();
                other->show();
                const QString s = QLatin1String(state);
                if (s == QLatin1String("hovered")) {
                    Hover(b);
                } else if (s == QLatin1String("pressed")) {
                    b->setDown(true);
                } else if (s == QLatin1String("focused")) {
                    b->setFocus(Qt::TabFocusReason);
                } else if (s == QLatin1String("default")) {
                    b->setDefault(true);
                    other->setFocus(Qt::TabFocusReason);
                } else if (s == QLatin1String("disabled")) {
                    b->setEnabled(false);
                }
                ok &= g.Save(QStringLiteral("button-%1-%2-%3")
                                 .arg(QLatin1String(flat ? "flat" : "raised"), QLatin1String(AlignNames[align]), s),
                             b);
                delete b;
                delete other;
            }
        }
    }
    // Check-box style, a second icon, the automatic grey icon, a long caption, no caption, no icon.
    const auto extra = [&](const QString& name, const std::function<void(ImageButton*)>& setup) {
        ok &= g.Render<ImageButton>(dialog, QStringLiteral("button-extra-") + name, {ButtonW, ButtonH},
                                    [&](ImageButton* b) {
                                        b->setText(QStringLiteral("Read"));
                                        b->SetFlat(false);
                                        b->SetAlign(AlignImageTop);
                                        b->SetIcons(QPixmap::fromImage(DrawIconArt(136)));
                                        setup(b);
                                    });
    };
    extra(QStringLiteral("checkbox-checked"), [](ImageButton* b) {
        b->SetCheckBoxStyle(true);
        b->SetCheckState(1);
    });
    extra(QStringLiteral("checkbox-unchecked"), [](ImageButton* b) { b->SetCheckBoxStyle(true); });
    extra(QStringLiteral("autogrey-rest"), [](ImageButton* b) {
        b->SetFlat(true);
        b->SetIcons(QPixmap::fromImage(DrawIconArt(136)), ImageButton::AutoGreyIcon);
    });
    extra(QStringLiteral("autogrey-hovered"), [](ImageButton* b) {
        b->SetFlat(true);
        b->SetIcons(QPixmap::fromImage(DrawIconArt(136)), ImageButton::AutoGreyIcon);
        Hover(b);
    });
    extra(QStringLiteral("long-caption"), [](ImageButton* b) { b->setText(QStringLiteral("Search Device Now")); });
    extra(QStringLiteral("no-caption"), [](ImageButton* b) { b->setText(QString()); });
    extra(QStringLiteral("no-icon"), [](ImageButton* b) { b->SetIcons(QPixmap()); });
    extra(QStringLiteral("pressed-style-1"), [](ImageButton* b) {
        b->SetPressedStyle(1);
        b->setDown(true);
    });
    extra(QStringLiteral("colours-hovered"), [](ImageButton* b) {
        b->SetFlat(true);
        b->SetColour(ColourBkHover, MakeColourRef(255, 255, 200));
        b->SetColour(ColourFgHover, MakeColourRef(0, 0, 200));
        Hover(b);
    });
    ok &= g.Sheet(QStringLiteral("sheet-buttons-raised"), QStringLiteral("button-raised-"), 6);
    ok &= g.Sheet(QStringLiteral("sheet-buttons-flat"), QStringLiteral("button-flat-"), 6);
    ok &= g.Sheet(QStringLiteral("sheet-buttons-extra"), QStringLiteral("button-extra-"), 5);
    return ok;
}

bool RenderLabels(Gallery& g, QDialog& dialog)
{
    bool ok = true;
    const auto label = [&](const QString& name, const QString& text, QSize size,
                           const std::function<void(LinkLabel*)>& setup) {
        ok &= g.Render<LinkLabel>(dialog, QStringLiteral("label-") + name, size, [&](LinkLabel* l) {
            l->setText(text);
            setup(l);
        });
    };
    const QString versions = QStringLiteral("Supported instruments:\tF-series 2.01 and later\n"
                                            "\tM-series 1.10 and later\n"
                                            "A long line that is wrapped at word breaks when the label is too narrow.");
    const auto mainWindowLook = [](LinkLabel* l) {
        l->SetFontName(QStringLiteral("Tahoma"), 0).SetFontSize(10).SetTextColour(MakeColourRef(0, 0, 255));
        l->SetFontBold(true);
    };
    label(QStringLiteral("main-window"), versions, {420, 90}, mainWindowLook);
    label(QStringLiteral("centred"), QStringLiteral("Centred text"), {200, 40},
          [](LinkLabel* l) { l->SetStaticStyle(StaticStyle::Center); });
    label(QStringLiteral("right"), QStringLiteral("Right text"), {200, 40},
          [](LinkLabel* l) { l->SetStaticStyle(StaticStyle::Right); });
    label(QStringLiteral("centre-image"), QStringLiteral("Centred both ways"), {200, 40},
          [](LinkLabel* l) { l->SetStaticStyle(StaticStyle::CenterImage); });
    label(QStringLiteral("solid"), QStringLiteral("Yellow on navy"), {200, 40},
          [](LinkLabel* l) { l->SetBkColour(MakeColourRef(0, 0, 128)).SetTextColour(MakeColourRef(255, 255, 0)); });
    label(QStringLiteral("gradient"), QStringLiteral("Gradient background"), {240, 40}, [](LinkLabel* l) {
        l->SetBkColour(MakeColourRef(255, 0, 0), MakeColourRef(0, 0, 255), 1).SetTextColour(0xFFFFFF);
    });
    label(QStringLiteral("text-3d"), QStringLiteral("Raised text"), {200, 40},
          [](LinkLabel* l) { l->SetFontSize(16).SetTextColour(MakeColourRef(90, 90, 90)).SetText3D(true, false); });
    label(QStringLiteral("rotated"), QStringLiteral("Rotated"), {120, 120},
          [](LinkLabel* l) { l->SetRotationAngle(45, true); });
    label(QStringLiteral("sunken-underlined"), QStringLiteral("www.example.com"), {200, 30}, [](LinkLabel* l) {
        l->SetSunken(true).SetFontUnderline(true).SetTextColour(MakeColourRef(0, 0, 255));
        l->SetLink(true, false);
    });
    label(QStringLiteral("border-italic"), QStringLiteral("Bordered italic"), {200, 30},
          [](LinkLabel* l) { l->SetBorder(true).SetFontItalic(true); });
    label(QStringLiteral("flash-hidden-phase"), QStringLiteral("Blinking text (hidden phase)"), {220, 30},
          [](LinkLabel* l) { l->SetBkColour(MakeColourRef(255, 255, 255)).FlashText(true); });
    label(QStringLiteral("disabled"), QStringLiteral("Disabled label"), {200, 30},
          [](LinkLabel* l) { l->setEnabled(false); });
    ok &= g.Sheet(QStringLiteral("sheet-labels"), QStringLiteral("label-"), 3);
    return ok;
}

bool RenderStatics(Gallery& g, QDialog& dialog)
{
    bool ok = true;
    const auto make = [&](const QString& name, const std::function<void(ColourStatic*)>& setup) {
        ok &= g.Render<ColourStatic>(dialog, QStringLiteral("static-") + name, {120, 22}, [&](ColourStatic* s) {
            s->setAlignment(Qt::AlignCenter);
            s->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            setup(s);
        });
    };
    const auto firmware = [](ColourStatic* s) {
        s->SetTextColour(MakeColourRef(250, 250, 0));
        s->SetBkColour(MakeColourRef(0, 0, 0));
        s->SetText(QStringLiteral("------"));
    };
    make(QStringLiteral("firmware-initial"), firmware);
    make(QStringLiteral("firmware-replaced"), [&](ColourStatic* s) {
        firmware(s);
        s->setText(QStringLiteral("V2.14"));
    });
    make(QStringLiteral("text-colour-only"), [](ColourStatic* s) {
        s->SetTextColour(MakeColourRef(250, 250, 0));
        s->SetText(QStringLiteral("parent colours"));
    });
    make(QStringLiteral("disabled"), [&](ColourStatic* s) {
        firmware(s);
        s->setEnabled(false);
    });
    ok &= g.Sheet(QStringLiteral("sheet-statics"), QStringLiteral("static-"), 4);
    return ok;
}

bool RenderBanners(Gallery& g, QDialog& dialog)
{
    bool ok = true;
    const auto make = [&](const QString& name, QSize size, ColourRef start, ColourRef end, const QString& text) {
        ok &= g.Render<TitleBanner>(dialog, QStringLiteral("banner-") + name, size, [&](TitleBanner* b) {
            b->SetGradientStartColour(start);
            b->SetGradientEndColour(end);
            b->SetTextColour(0xFFFFFF);
            b->SetText(text);
        });
    };
    make(QStringLiteral("profibus"), {300, 40}, 0x0000FF, 0x323232, QStringLiteral("Profibus"));
    make(QStringLiteral("info"), {300, 40}, 0x0000FF, 0x323232, QStringLiteral("Meshgate2 Manager"));
    make(QStringLiteral("black-to-white"), {300, 40}, 0x000000, 0xFFFFFF, QStringLiteral("Grey scale"));
    make(QStringLiteral("narrow"), {50, 40}, 0x0000FF, 0x323232, QStringLiteral("Narrow"));
    make(QStringLiteral("empty-text"), {300, 40}, 0x0000FF, 0x323232, QString());
    make(QStringLiteral("uniform"), {300, 40}, 0x808000, 0x808000, QStringLiteral("Uniform"));
    ok &= g.Sheet(QStringLiteral("sheet-banners"), QStringLiteral("banner-"), 2);
    return ok;
}

bool RenderEntries(Gallery& g, QDialog& dialog)
{
    bool ok = true;
    const auto ip = [&](const QString& name, const std::function<void(IpAddressEdit*)>& setup) {
        ok &= g.Render<IpAddressEdit>(dialog, QStringLiteral("entry-ip-") + name, {160, 24}, setup);
    };
    ip(QStringLiteral("address"), [](IpAddressEdit* e) { e->SetAddress(0xC0A8010A); });
    ip(QStringLiteral("blank"), [](IpAddressEdit*) {});
    ip(QStringLiteral("disabled"), [](IpAddressEdit* e) {
        e->SetAddress(0xFFFFFF00);
        e->setEnabled(false);
    });
    ip(QStringLiteral("focused"), [](IpAddressEdit* e) {
        e->SetAddress(0x0A000001);
        e->Field(2)->setFocus();
    });

    const auto spin = [&](const QString& name, bool enabled) {
        auto* host = new QWidget(&dialog);
        host->setGeometry(Gap, Gap, 80, 24);
        auto* edit = new QLineEdit(host);
        edit->setGeometry(0, 0, 60, 24);
        auto* arrows = new UpDown(host);
        arrows->setGeometry(60, 0, 18, 24);
        arrows->SetRange(0, 127);
        arrows->SetBuddy(edit, true);
        arrows->SetPos(42);
        host->setEnabled(enabled);
        host->show();
        ok &= g.Save(QStringLiteral("entry-updown-") + name, host);
        delete host;
    };
    spin(QStringLiteral("buddy"), true);
    spin(QStringLiteral("disabled"), false);
    ok &= g.Sheet(QStringLiteral("sheet-entries"), QStringLiteral("entry-"), 3);
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QDir dir;
    if (!OutputFolder(argv[1], dir)) {
        return 1;
    }
    QDialog dialog;
    dialog.resize(480, 200);
    dialog.show();
    dialog.activateWindow();
    QApplication::processEvents();

    Gallery g(dir);
    bool ok = RenderButtons(g, dialog);
    ok &= RenderLabels(g, dialog);
    ok &= RenderStatics(g, dialog);
    ok &= RenderBanners(g, dialog);
    ok &= RenderEntries(g, dialog);
    std::printf("%d pictures in %s\n", g.Written(), qPrintable(dir.path()));
    return ok ? 0 : 1;
}
