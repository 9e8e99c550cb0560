#include "cards/backup_file.h"
#include "cards/card_info.h"
#include "cards/parameter_order.h"
#include "cards/parameters.h"
#include "cards/settings_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace cards;

// What every row must have for the rest of the program to work with it; a new card or parameter that
// misses one fails here rather than in a front end.
TEST(CardTable, EveryCardIsCompleteAndEveryWrittenParameterHasAKeyAndAnOption)
{
    std::set<std::uint16_t> codes;
    for (const CardInfo& card : Cards()) {
        SCOPED_TRACE(card.code);
        EXPECT_TRUE(codes.insert(card.code).second) << "two rows for one code";
        EXPECT_EQ(FindCard(card.code), &card);
        EXPECT_EQ(BaseCard(card.bus).bus, card.bus);
        // Both cards of a bus share one page.
        EXPECT_EQ(BaseCard(card.bus).templateId, card.templateId);
        EXPECT_STREQ(BaseCard(card.bus).tabCaption, card.tabCaption);
        EXPECT_NE(card.templateId, kInfoTemplateId);
        ASSERT_FALSE(card.writeOrder.empty());
        // Every written parameter is also read, in the same relative order, and is a setting with a file key
        // and a command-line option.
        auto at = card.readOrder.begin();
        for (const Parameter& p : card.writeOrder) {
            at = std::find(at, card.readOrder.end(), p);
            ASSERT_NE(at, card.readOrder.end()) << "writes 0x" << std::hex << p.start << " it never reads";
            const ParameterInfo* row = FindParameter(p);
            ASSERT_NE(row, nullptr);
            EXPECT_TRUE(row->IsSetting());
            EXPECT_NE(std::string(row->backupKey), "");
            EXPECT_TRUE(row->option != nullptr || row->ipBlock);
            EXPECT_NE(row->expected, nullptr);
        }
        for (const Parameter& p : card.readOrder) {
            ASSERT_NE(FindParameter(p), nullptr);
            EXPECT_STRNE(ParameterName(card.bus, p.start), "register");
        }
        EXPECT_EQ(card.nodeAddress != nullptr, card.Reads(kNodeAddress));
        EXPECT_EQ(card.baudCount != 0, card.Reads(kBaudCode));
        EXPECT_EQ(!card.ExchangeTable(kLegacy).empty(), card.Reads(kExchangeChoice));
        EXPECT_EQ(!card.ExchangeTable(kCurrent).empty(), card.Reads(kExchangeChoice));
        EXPECT_TRUE(card.ModuleTexts(kCurrent).empty() ||
                    card.ModuleTexts(kCurrent).size() == card.ExchangeTable(kCurrent).size());
        // A file of the card's settings takes every value it reads, and gives them back.
        CardSettings settings;
        for (const Parameter& p : card.readOrder) {
            if (!SetParameterValue(settings, p, 1)) {
                settings.ip = {1, 2, 3};
            }
        }
        Backup back;
        ASSERT_EQ(BackupFromJson(BackupToJson(card.code, kCurrent, settings), back), std::nullopt);
        EXPECT_EQ(back.settings, settings);
    }
    for (int code : {0, 3, 9, 10, 0x0100, 0x0105, 0xFFFF}) {
        EXPECT_EQ(FindCard(static_cast<std::uint16_t>(code)), nullptr) << code;
    }
    // The row a page starts from, and the variant a code picks.
    EXPECT_EQ(BaseCard(Bus::Profibus).code, 1);
    EXPECT_EQ(CardOfBus(Bus::Profibus, 5).code, 5);
    EXPECT_EQ(CardOfBus(Bus::Profibus, 6).code, 1);
    EXPECT_EQ(CardOfBus(Bus::DeviceNet, 0).code, 2);
    // Options and file keys name one parameter each.
    std::set<std::string> options;
    std::set<std::string> keys;
    for (const ParameterInfo& row : ParameterTable()) {
        if (row.option != nullptr) {
            EXPECT_TRUE(options.insert(row.option).second) << row.option;
        }
        if (row.IsSetting()) {
            EXPECT_TRUE(keys.insert(row.backupKey).second) << row.backupKey;
        }
    }
    for (const IpPart& part : kIpParts) {
        EXPECT_TRUE(options.insert(part.key).second) << part.key;
        EXPECT_TRUE(keys.insert(part.key).second) << part.key;
    }
}

TEST(CardInfo, OnlyOneMeansCurrent)
{
    EXPECT_TRUE(IsCurrent(1));
    for (int range : {0, 2, -1, 0x101}) {
        EXPECT_FALSE(IsCurrent(range));
        EXPECT_STREQ(RangeName(range), "legacy");
    }
    EXPECT_EQ(ParseRange("current"), kCurrent);
    EXPECT_EQ(ParseRange("legacy"), kLegacy);
    EXPECT_EQ(ParseRange("Current"), -1);
    EXPECT_EQ(ParseRange(""), -1);
}

TEST(ParameterOrder, ProfinetShowsItsIpBlockButNeverWritesIt)
{
    // The IP block overlaps 0x3015 in address terms, yet mode and block travel separately.
    const auto ethernet = WriteOrder(Bus::EtherNetIp);
    ASSERT_EQ(ethernet.size(), 3u);
    EXPECT_EQ(ethernet[0], kAddressMode);
    EXPECT_EQ(ethernet[1], kIpBlock);
    EXPECT_EQ(ethernet[2], kExchangeChoice);
    EXPECT_TRUE(FindCard(4)->Reads(kIpBlock));
    EXPECT_FALSE(FindCard(4)->Writes(kIpBlock));
    EXPECT_FALSE(FindCard(8)->Writes(kExchangeChoice));
    EXPECT_EQ(WriteOrder(Bus::DeviceNet).size(), 3u);
    EXPECT_STREQ(ParameterName(Bus::Profinet, kNodeAddress.start), "station number");
    EXPECT_STREQ(ParameterName(Bus::Profibus, kNodeAddress.start), "station address");
    EXPECT_STREQ(ParameterName(Bus::DeviceNet, kNodeAddress.start), "node address");
}

TEST(SettingsFile, FitsOnlyTheCardAndRangeItWasSavedFor)
{
    Backup file;
    file.cardCode = 5;
    file.firmwareRange = kLegacy;
    file.settings.nodeAddress = 126; // outside what the COMX card takes
    file.settings.exchangeChoice = 1;
    const auto label = [](const Parameter&, int value) { return "value " + std::to_string(value); };
    EXPECT_EQ(CheckFileFits(file, 1, std::nullopt, label).fault, FileFit::Fault::OtherCard);
    EXPECT_EQ(CheckFileFits(file, 5, kCurrent, label).fault, FileFit::Fault::OtherRange);
    // Any range but 1 is legacy: past the range, the value is what does not fit.
    EXPECT_EQ(CheckFileFits(file, 5, 7, label).fault, FileFit::Fault::ValueDoesNotFit);
    const FileFit values = CheckFileFits(file, 5, std::nullopt, label);
    EXPECT_EQ(values.fault, FileFit::Fault::ValueDoesNotFit);
    EXPECT_EQ(values.message.rfind("value 126: the station address of this Profibus card (code 5) must be 1 to 125", 0),
              0u)
        << values.message;
    // Before the card is known only the range can be held against the file.
    EXPECT_TRUE(CheckFileFits(file, std::nullopt, kLegacy, label).Ok());
    file.settings.nodeAddress = 125;
    EXPECT_TRUE(CheckFileFits(file, 5, kLegacy, label).Ok());
}
