#pragma once

#include "cards/card_info.h"
#include "cards/card_settings.h"
#include "cards/registers.h"
#include "pages/register_io.h"
#include "res/dialog_builder.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class InstrumentLink;

// A card's settings page. The page object lives as long as the main window; its window is built
// from the page's template each time the tab sheet adds it (Create) and destroyed when the sheet
// drops it (DestroyWindow), so OnInitDialog runs for every new window while the fields survive.
class BusPage : public QObject
{
    Q_OBJECT
public:
    explicit BusPage(int templateId);
    // A card page: its template is the one its bus's cards name.
    explicit BusPage(cards::Bus bus);
    ~BusPage() override;

    // 1 = success, anything else = failure. Given no link they answer 0 and touch nothing.
    virtual int WriteSettings(InstrumentLink* link) = 0;
    virtual int ReadSettings(InstrumentLink* link) = 0;
    // 1 = current, any other value = legacy.
    virtual void SetFirmwareRange(int range) = 0;

    // Builds the window as a hidden child of `parent`, binds the controls, runs OnInitDialog.
    // Any window from an earlier Create is destroyed first. Returns false when the template is unknown.
    bool Create(QWidget* parent);
    void DestroyWindow();
    QDialog* Window() const { return window; }
    int TemplateId() const { return templateId; }

    // Takes values from the controls (true) or puts them in (false), validating on the way out.
    // Pages without bound values have nothing to move and answer true.
    virtual bool UpdateData(bool saveAndValidate);

    // Why the last WriteSettings or TakeSettings failed, for the operator; empty when there is nothing more
    // to say (a message box of the page's own said it).
    const QString& FailureDetail() const { return failureDetail; }

    // The values Apply would send (and a Profinet card's IP block as shown), for a card-settings file.
    // False when one is a placeholder or not valid, as Apply would refuse it; the page has no window; or
    // cardCode names no card with settings.
    bool TakeSettings(cards::CardSettings& settings);
    // Shows the values of what the card writes in their controls, as if the operator had set them: Apply
    // sends them, and nothing is written before. False, with nothing changed, when a control cannot show
    // its value (a list without that entry, a position outside the up-down's range) or there is no window.
    bool PutSettings(const cards::CardSettings& settings);

    // After a read whose replies cannot be trusted: every value shown counts as not read, so Apply sends none
    // of them until the operator sets it (or a read succeeds).
    void ForgetShownValues();

    int firmwareRange = 0; // legacy until told otherwise
    std::uint16_t cardCode = 0;
    int modelIndex = cards::kModelNone;

    // What the window adds around a download: the card identified once the values are collected and right
    // before the first write (another card refuses the download, nothing written), and reading back what was
    // written, a difference failing the download.
    DownloadChecks downloadChecks{false, false};

protected:
    // The widget classes this page binds to template controls (title banner, firmware field, ...).
    virtual std::map<int, ControlFactory> CustomControls() const { return {}; }
    // Binds members to the new window's controls (found by id) and configures them.
    virtual bool OnInitDialog() = 0;

    template <class T> T* Find(int id) const { return window ? Control<T>(window, id) : nullptr; }

    // A control that shows one of the card's settings (`part`: which address of the IP block, 0 the IP
    // address, 1 the mask, 2 the gateway). Until a read fills it, the operator changes it or a settings
    // file is loaded into it, it holds a placeholder (address 1, 0.0.0.0, the previous card's value), and
    // a download refuses to send that in place of what the instrument holds.
    void WatchValue(QWidget* control, const cards::Parameter& parameter, int part = 0);
    // After a read: whether the control now shows what the instrument holds.
    void SetKnown(QWidget* control, bool known);
    // Before a download: false, with the failure detail naming them, when a value to send is a placeholder.
    using HeldValue = std::pair<cards::Parameter, QWidget*>;
    bool AllKnown(cards::Bus bus, const std::vector<HeldValue>& values);

    // The values of a download as the controls show them, checked as for one (placeholders, text that is
    // no valid value): each page's own rules. False when one does not pass, and on a page without settings.
    virtual bool CollectSettings(io::Outgoing& values);
    // WriteSettings for every page: the collected values, sent in the bus's write order.
    int WriteCollected(InstrumentLink* link, cards::Bus bus);

    QString failureDetail;

private:
    struct Watched
    {
        QPointer<QWidget> control;
        cards::Parameter parameter;
        int part;
    };

    int templateId;
    QPointer<QDialog> window;
    QSet<const QWidget*> placeholders;
    std::vector<Watched> watched;
    bool collectingForFile = false; // TakeSettings, not a download: the failure detail says so
};
