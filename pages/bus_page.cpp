#include "pages/bus_page.h"

#include "cards/settings_check.h"

#include "cards/parameter_order.h"
#include "cards/parameters.h"
#include "comm/instrument_link.h"
#include "widgets/ip_address_edit.h"
#include "widgets/up_down.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <vector>

namespace {

// Enter and Escape inside a page would make its QDialog accept or reject, which hides the page while
// the tab still shows; the pages are not closable windows, so both keys do nothing there.
class PageKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                if (event->type() == QEvent::KeyPress) {
                    event->accept();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

BusPage::BusPage(int id) : templateId(id) {}

BusPage::BusPage(cards::Bus bus) : templateId(cards::BaseCard(bus).templateId) {}

BusPage::~BusPage()
{
    DestroyWindow();
}

bool BusPage::Create(QWidget* parent)
{
    DestroyWindow();
    const DialogTemplate* pageTemplate = FindTemplate(templateId);
    if (!pageTemplate)
        return false;
    auto* dialog = new QDialog(parent);
    // QDialog's constructor turns a zero window type into Qt::Dialog; a page is a plain child widget.
    dialog->setWindowFlags(Qt::Widget);
    dialog->setObjectName(QStringLiteral("page%1").arg(templateId));
    // QDialog takes every right-click for its "What's This?" menu, so the window's own context menu never
    // opened over a page: pass it on to the window that holds the page.
    dialog->setContextMenuPolicy(Qt::NoContextMenu);
    dialog->installEventFilter(new PageKeyFilter(dialog));
    BuildDialog(dialog, *pageTemplate, CustomControls());
    dialog->hide(); // hidden until the tab sheet shows it
    window = dialog;
    placeholders.clear();
    watched.clear();
    OnInitDialog();
    return true;
}

void BusPage::DestroyWindow()
{
    delete window.data();
    window = nullptr;
}

bool BusPage::UpdateData(bool)
{
    return true;
}

void BusPage::WatchValue(QWidget* control, const cards::Parameter& parameter, int part)
{
    if (!control)
        return;
    placeholders.insert(control);
    watched.push_back({control, parameter, part});
    // Only what the operator does counts; the page's own changes come through SetKnown.
    const auto edited = [this, control] { placeholders.remove(control); };
    if (auto* list = qobject_cast<QComboBox*>(control)) {
        connect(list, &QComboBox::activated, this, edited);
    } else if (auto* spin = qobject_cast<UpDown*>(control)) {
        connect(spin, &UpDown::DeltaPos, this, edited);
        if (QLineEdit* buddy = spin->GetBuddy())
            connect(buddy, &QLineEdit::textEdited, this, edited);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this, edited);
    } else if (auto* address = qobject_cast<IpAddressEdit*>(control)) {
        for (int i = 0; i < 4; ++i)
            connect(address->Field(i), &QLineEdit::textEdited, this, edited);
    }
}

void BusPage::SetKnown(QWidget* control, bool known)
{
    if (known)
        placeholders.remove(control);
    else
        placeholders.insert(control);
}

void BusPage::ForgetShownValues()
{
    for (const Watched& w : watched)
        if (w.control)
            placeholders.insert(w.control);
}

bool BusPage::AllKnown(cards::Bus bus, const std::vector<HeldValue>& values)
{
    std::vector<cards::Parameter> unknown;
    for (const auto& [parameter, control] : values)
        if (placeholders.contains(control) && std::find(unknown.begin(), unknown.end(), parameter) == unknown.end())
            unknown.push_back(parameter);
    if (unknown.empty())
        return true;
    const QString list = QString::fromStdString(cards::ListParameters(bus, unknown));
    failureDetail = collectingForFile ? QStringLiteral("Not read from the instrument and not set here: %1. Read "
                                                       "again, or enter the value, before saving; nothing was saved.")
                                            .arg(list)
                                      : QStringLiteral("Not read from the instrument and not set here: %1. Read "
                                                       "again, or enter the value, before Apply; nothing was written.")
                                            .arg(list);
    return false;
}

bool BusPage::CollectSettings(io::Outgoing&)
{
    return false;
}

int BusPage::WriteCollected(InstrumentLink* link, cards::Bus bus)
{
    failureDetail.clear();
    if (!link || !Window()) {
        return 0;
    }
    io::Outgoing values;
    if (!CollectSettings(values)) {
        return 0;
    }
    // Addresses that can never work are refused before anything is sent, as the command line does.
    if (const cards::CardInfo* card = cards::FindCard(cardCode)) {
        if (const auto fault = cards::CheckIpBlock(*card, values.Settings())) {
            failureDetail = QString::fromStdString(*fault + "; nothing written");
            failureDetail[0] = failureDetail[0].toUpper();
            return 0;
        }
    }
    return io::Write(*link, bus, cardCode, values, failureDetail, downloadChecks);
}

bool BusPage::TakeSettings(cards::CardSettings& settings)
{
    failureDetail.clear();
    const cards::CardInfo* card = cards::FindCard(cardCode);
    if (!Window() || !card) {
        return false;
    }
    io::Outgoing values;
    collectingForFile = true;
    const bool collected = CollectSettings(values);
    collectingForFile = false;
    if (!collected) {
        return false;
    }
    // A list without a selection passes as no value at all; a file holds every parameter or is not made.
    std::vector<cards::Parameter> missing;
    for (const cards::Parameter& p : cards::ReadOrder(card->bus)) {
        if (!values.Holds(p)) {
            missing.push_back(p);
        }
    }
    if (!missing.empty()) {
        failureDetail = QStringLiteral("No value chosen: %1; nothing was saved.")
                            .arg(QString::fromStdString(cards::ListParameters(card->bus, missing)));
        return false;
    }
    settings = values.Settings();
    return true;
}

bool BusPage::PutSettings(const cards::CardSettings& settings)
{
    if (!Window()) {
        return false;
    }
    const auto value = [&settings](const Watched& w) -> std::uint32_t {
        if (cards::FindParameter(w.parameter)->ipBlock) {
            const std::uint32_t addresses[] = {settings.ip.ip, settings.ip.mask, settings.ip.gateway};
            return addresses[std::clamp(w.part, 0, 2)];
        }
        return cards::ParameterValue(settings, w.parameter).value_or(0);
    };
    // All or nothing: a page never shows half of a file.
    for (const Watched& w : watched) {
        if (w.control && !io::CanShow(w.control, value(w))) {
            return false;
        }
    }
    for (const Watched& w : watched) {
        if (w.control) {
            io::Show(w.control, value(w));
            SetKnown(w.control, true);
        }
    }
    return true;
}
