#pragma once

#include "cards/encoding.h"
#include "cards/registers.h"
#include "comm/instrument_link.h"
#include "pages/bus_page.h"
#include "pages/message_boxes.h"
#include "sim/simulator.h"
#include "widgets/colour_static.h"
#include "widgets/ip_address_edit.h"
#include "widgets/title_banner.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// One page on its own against a simulated instrument on a pseudo-terminal, every message box recorded.
class PageTest : public ::testing::Test
{
protected:
    // A request as it went over the line (function 3 or 16), decoded.
    struct Frame
    {
        int function;
        int start;
        int count;
        std::vector<std::uint8_t> data; // function 16 only

        bool operator==(const Frame&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Frame& f)
        {
            out << "fn" << f.function << " @0x" << std::hex << f.start << std::dec << " x" << f.count << " [";
            for (auto b : f.data)
                out << ' ' << int(b);
            return out << " ]";
        }
    };
    static Frame Read(const cards::Parameter& p) { return {3, p.start, p.registers, {}}; }
    static Frame Write(const cards::Parameter& p, std::vector<std::uint8_t> data)
    {
        return {16, p.start, p.registers, std::move(data)};
    }

    void SetUp() override
    {
        MessageBoxes::Record(true);
        MessageBoxes::Take();
        host.resize(600, 400);
    }

    void TearDown() override { MessageBoxes::Record(false); }

    // Starts the instrument, finds it, and forgets the search's frames.
    sim::Simulator& StartInstrument(const sim::Config& config)
    {
        simulated = std::make_unique<sim::Simulator>(config);
        EXPECT_TRUE(simulated->Start()) << simulated->Error();
        EXPECT_EQ(link.OpenDevice(simulated->DevicePath()), 1);
        EXPECT_EQ(link.Discover(), 1);
        simulated->ClearRequests();
        return *simulated;
    }

    void FailReadOf(const cards::Parameter& p)
    {
        sim::Faults faults;
        faults.failReadOf = p.start;
        simulated->SetFaults(faults);
    }
    void FailWriteTo(const cards::Parameter& p)
    {
        sim::Faults faults;
        faults.failWriteTo = p.start;
        simulated->SetFaults(faults);
    }

    // What the page asked for, once per request: retries of a failed exchange are folded into one.
    std::vector<Frame> Frames() const
    {
        std::vector<Frame> frames;
        for (const auto& r : simulated->Requests()) {
            Frame f{r[1], r[2] << 8 | r[3], r[4] << 8 | r[5], {}};
            if (f.function == 16)
                f.data.assign(r.begin() + 7, r.end() - 2);
            if (frames.empty() || !(frames.back() == f))
                frames.push_back(f);
        }
        return frames;
    }

    std::vector<Frame> Writes() const
    {
        std::vector<Frame> writes;
        for (const Frame& f : Frames())
            if (f.function == 16)
                writes.push_back(f);
        return writes;
    }

    // Runs an upload the way the main window does.
    int Upload(BusPage& page, std::uint16_t cardCode, int firmwareRange = 1, int modelIndex = 5)
    {
        page.cardCode = cardCode;
        page.modelIndex = modelIndex;
        page.SetFirmwareRange(firmwareRange);
        return page.ReadSettings(&link);
    }

    template <class T> static T* Control(BusPage& page, int id)
    {
        T* control = ::Control<T>(page.Window(), id);
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }

    static QStringList Entries(const QComboBox* list)
    {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        return entries;
    }

    static QStringList Texts(const std::vector<MessageBoxes::Shown>& shown)
    {
        QStringList texts;
        for (const auto& s : shown) {
            EXPECT_EQ(s.icon, MessageBoxes::Icon::Stop) << s.text.toStdString();
            texts << s.text;
        }
        return texts;
    }

    // The banner and firmware field every page starts with.
    static void ExpectCommonLook(BusPage& page, int bannerId, const char* title, int firmwareId, const char* firmware)
    {
        auto* banner = Control<TitleBanner>(page, bannerId);
        auto* field = Control<ColourStatic>(page, firmwareId);
        ASSERT_TRUE(banner && field);
        EXPECT_EQ(banner->GetText(), title);
        EXPECT_EQ(banner->GetGradientStartColour(), 0x0000FFu);
        EXPECT_EQ(banner->GetGradientEndColour(), 0x323232u);
        EXPECT_EQ(banner->GetTextColour(), 0xFFFFFFu);
        EXPECT_EQ(field->text(), firmware);
        EXPECT_EQ(field->GetTextColour(), 0x00FAFAu);
        EXPECT_EQ(field->GetBkColour(), 0u);
        EXPECT_TRUE(field->HasBackground());
    }

    // What the operator does, as the page sees it (programmatic changes do not count as the operator's).
    static void Choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void TypeAddress(IpAddressEdit* edit, const QStringList& octets)
    {
        for (int i = 0; i < 4; ++i)
            Type(edit->Field(i), octets[i]);
    }

    static void SetIpBlock(sim::Simulator& s, std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway)
    {
        std::array<std::uint8_t, 12> bytes{};
        cards::EncodeIpBlock({ip, mask, gateway}, bytes);
        s.SetIpBlock(bytes);
    }

    QWidget host;
    InstrumentLink link; // with the program's own read time-out: a reply late on a busy machine still counts
    std::unique_ptr<sim::Simulator> simulated;
};
