#pragma once

#include "card_info.h"
#include "dialog_builder.h"
#include "registers.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <cstdint>
#include <map>
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

    // Why the last WriteSettings failed, for the operator; empty when there is nothing more to say.
    const QString& FailureDetail() const { return failureDetail; }

    int firmwareRange = 0; // legacy until told otherwise
    std::uint16_t cardCode = 0;
    int modelIndex = 5;

protected:
    // The widget classes this page binds to template controls (title banner, firmware field, ...).
    virtual std::map<int, ControlFactory> CustomControls() const { return {}; }
    // Binds members to the new window's controls (found by id) and configures them.
    virtual bool OnInitDialog() = 0;

    template <class T> T* Find(int id) const { return window ? Control<T>(window, id) : nullptr; }

    // A control that shows one of the card's settings. Until a read fills it or the operator changes it,
    // it holds a placeholder (address 1, 0.0.0.0, the previous card's value), and a download refuses to
    // send that in place of what the instrument holds.
    void WatchValue(QWidget* control);
    // After a read: whether the control now shows what the instrument holds.
    void SetKnown(QWidget* control, bool known);
    // Before a download: false, with the failure detail naming them, when a value to send is a placeholder.
    using HeldValue = std::pair<cards::Parameter, QWidget*>;
    bool AllKnown(cards::Bus bus, const std::vector<HeldValue>& values);

    QString failureDetail;

private:
    int templateId;
    QPointer<QDialog> window;
    QSet<const QWidget*> placeholders;
};
