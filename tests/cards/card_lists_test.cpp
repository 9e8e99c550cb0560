#include "cards/card_lists.h"
#include "cards/parameters.h"
#include "cards/settings_check.h"

#include <gtest/gtest.h>

#include <string>

using namespace cards;

namespace {

// "<n> ..." at position n-1: an entry's position is its code on the wire.
void ExpectNumberedFromOne(std::span<const char* const> list)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        // Appended rather than "<" + ...: GCC 12 at -O3 warns falsely (-Wrestrict) on the inlined insert.
        std::string prefix = "<";
        prefix.append(std::to_string(i + 1)).append("> ");
        EXPECT_EQ(std::string(list[i]).rfind(prefix, 0), 0u) << list[i];
    }
}

TextList ExchangeTable(Bus bus, int range)
{
    return BaseCard(bus).ExchangeTable(range);
}

const char* FirmwarePrefix(std::uint16_t code)
{
    return FindCard(code) ? FindCard(code)->firmwarePrefix : "";
}

const NodeAddressRule* FindNodeAddressRule(std::uint16_t code)
{
    return FindCard(code) ? FindCard(code)->nodeAddress : nullptr;
}

TextList BaudList(std::uint16_t code)
{
    return ParameterList(code, kCurrent, kBaudCode);
}

} // namespace

TEST(ExchangeTable, ListSizesFollowBusAndRange)
{
    struct Case
    {
        Bus bus;
        std::size_t legacy;
        std::size_t current;
    };
    for (const Case& c : {Case{Bus::Profibus, 3, 5}, Case{Bus::DeviceNet, 4, 5}, Case{Bus::Profinet, 5, 5},
                          Case{Bus::EtherNetIp, 5, 5}, Case{Bus::ModbusTcp, 0, 0}}) {
        EXPECT_EQ(ExchangeTable(c.bus, kLegacy).size(), c.legacy) << BaseCard(c.bus).title;
        EXPECT_EQ(ExchangeTable(c.bus, kCurrent).size(), c.current) << BaseCard(c.bus).title;
        // Any range other than 1 is legacy.
        EXPECT_EQ(ExchangeTable(c.bus, 2).size(), c.legacy);
        EXPECT_EQ(ExchangeTable(c.bus, -1).size(), c.legacy);
        ExpectNumberedFromOne(ExchangeTable(c.bus, kLegacy));
        ExpectNumberedFromOne(ExchangeTable(c.bus, kCurrent));
    }
}

TEST(ExchangeTable, EntriesThatDifferBetweenCards)
{
    EXPECT_STREQ(ExchangeTable(Bus::Profinet, kCurrent)[4], "<5> Upload/download Parameters (256 bytes)");
    EXPECT_STREQ(ExchangeTable(Bus::EtherNetIp, kCurrent)[4], "<5> Upload/download Parameters (255 bytes)");
    EXPECT_STREQ(ExchangeTable(Bus::DeviceNet, kLegacy)[3], "<4> Upload/download Parameters (255 bytes)");
    EXPECT_STREQ(ExchangeTable(Bus::DeviceNet, kCurrent)[3], "<4> Upload/download Parameters (96 bytes)");
    // The legacy Profibus list ends with the entry that is fifth in the current one.
    EXPECT_STREQ(ExchangeTable(Bus::Profibus, kLegacy)[2] + 4, ExchangeTable(Bus::Profibus, kCurrent)[4] + 4);
    EXPECT_STREQ(ExchangeTable(Bus::Profibus, kCurrent)[3], "<4> Results and Parameters lite(32 bytes+32 words)");
}

TEST(ProfibusModules, OneTextPerEntryWithWindowsLineBreaks)
{
    for (int range : {kLegacy, kCurrent}) {
        const auto texts = BaseCard(Bus::Profibus).ModuleTexts(range);
        ASSERT_EQ(texts.size(), ExchangeTable(Bus::Profibus, range).size());
        for (const char* text : texts) {
            const std::string s(text);
            EXPECT_EQ(s.find('\n'), s.find("\r\n") + 1) << s;
            EXPECT_EQ(s.rfind("Module 1:   ", 0), 0u);
        }
        EXPECT_EQ(ModuleText(BaseCard(Bus::Profibus), range, -1), nullptr);
        EXPECT_EQ(ModuleText(BaseCard(Bus::Profibus), range, static_cast<int>(texts.size())), nullptr);
    }
    EXPECT_STREQ(ModuleText(BaseCard(Bus::Profibus), kCurrent, 2),
                 "Module 1:   32 Bytes Input  CON\r\nModule 2:   16 Words Input  CON\r\n"
                 "Module 3:   32 Bytes Output CON\r\nModule 4:   16 Words Output CON");
    EXPECT_STREQ(ModuleText(BaseCard(Bus::Profibus), kLegacy, 0),
                 "Module 1:   16 Bytes Input  CON\r\nModule 2:   16 Bytes Output CON");
    // The standard layout is the same module set in both ranges.
    EXPECT_STREQ(ModuleText(BaseCard(Bus::Profibus), kLegacy, 2), ModuleText(BaseCard(Bus::Profibus), kCurrent, 4));
}

TEST(CardVariants, BaudListAndPrefixesFollowTheCardCode)
{
    ASSERT_EQ(BaudList(6).size(), 3u);
    EXPECT_STREQ(BaudList(6)[2], "125 Kbds");
    // Only DeviceNet cards have a baud rate.
    EXPECT_TRUE(BaudList(1).empty());
    EXPECT_TRUE(BaudList(0).empty());
    for (std::uint16_t code : std::initializer_list<std::uint16_t>{2}) {
        ASSERT_EQ(BaudList(code).size(), 4u);
        EXPECT_STREQ(BaudList(code)[0], "500 Kbds");
        EXPECT_STREQ(BaudList(code)[3], "Auto");
    }
    EXPECT_STREQ(FirmwarePrefix(5), "COMX 100XX-DPS    / ");
    EXPECT_STREQ(FirmwarePrefix(1), "COM-DPS / ");
    EXPECT_STREQ(FirmwarePrefix(6), "COMX 100XX-DNS    / ");
    EXPECT_STREQ(FirmwarePrefix(2), "COM-DNS / ");
    for (std::uint16_t code : std::initializer_list<std::uint16_t>{4, 7, 8, 3}) {
        EXPECT_STREQ(FirmwarePrefix(code), "");
    }
    ASSERT_EQ(ModeList().size(), 2u);
    EXPECT_STREQ(ModeList()[kModeStatic], "STATIC IP");
    EXPECT_STREQ(ModeList()[kModeDhcp], "DHCP");
}

TEST(CardVariants, NodeAddressRanges)
{
    const NodeAddressRule* comx = FindNodeAddressRule(5);
    const NodeAddressRule* com = FindNodeAddressRule(1);
    ASSERT_TRUE(comx && com);
    EXPECT_STREQ(comx->caption, "Address (1 - 125) :");
    EXPECT_STREQ(com->caption, "Address (1 - 128) :");
    // The COMX card offers 1-125 but a stored 126-128 still reads as valid on both variants.
    EXPECT_TRUE(comx->Accepts(125));
    EXPECT_FALSE(comx->Accepts(126));
    EXPECT_TRUE(comx->ReadValid(128));
    EXPECT_TRUE(com->Accepts(128));
    for (const NodeAddressRule* rule : {comx, com}) {
        EXPECT_FALSE(rule->ReadValid(0));
        EXPECT_FALSE(rule->ReadValid(129));
        EXPECT_FALSE(rule->Accepts(0));
    }

    for (std::uint16_t code : std::initializer_list<std::uint16_t>{2, 6}) {
        const NodeAddressRule* dn = FindNodeAddressRule(code);
        ASSERT_NE(dn, nullptr);
        EXPECT_TRUE(dn->ReadValid(0));
        EXPECT_TRUE(dn->Accepts(63));
        EXPECT_FALSE(dn->ReadValid(64));
        EXPECT_FALSE(dn->Accepts(64));
    }

    const NodeAddressRule* station = FindNodeAddressRule(4);
    ASSERT_NE(station, nullptr);
    EXPECT_TRUE(station->ReadValid(0)); // shown as "000", refused only when written
    EXPECT_TRUE(station->ReadValid(1000));
    EXPECT_FALSE(station->Accepts(0));
    EXPECT_TRUE(station->Accepts(255));
    EXPECT_FALSE(station->Accepts(256));

    for (std::uint16_t code : std::initializer_list<std::uint16_t>{7, 8, 0, 3}) {
        EXPECT_EQ(FindNodeAddressRule(code), nullptr);
    }
}

TEST(Model, FirstTokenInTableOrderWins)
{
    EXPECT_EQ(FindModelIndex("VORN K320 LEAK"), 0);
    EXPECT_EQ(FindModelIndex("P320"), 1);
    EXPECT_EQ(FindModelIndex("VORN RK3"), 2);
    EXPECT_EQ(FindModelIndex("VORNRK3"), kModelNone); // RK3 needs the blank in front
    EXPECT_EQ(FindModelIndex("G320 K4"), 3);
    EXPECT_EQ(FindModelIndex("K4 then K320"), 0);
    EXPECT_EQ(FindModelIndex("K4"), 4);
    EXPECT_EQ(FindModelIndex(""), kModelNone);
    EXPECT_EQ(FindModelIndex("k320"), kModelNone);
}

TEST(Model, StationNamePrefixAndNames)
{
    const char* expected[] = {"vornk3", "vornp3", "vornrk3", "vorng3", "vornk4"};
    for (int i = 0; i < kModelNone; ++i) {
        EXPECT_STREQ(StationNamePrefix(i), expected[i]);
        EXPECT_EQ(FindModelIndex(ModelTokens()[static_cast<std::size_t>(i)]), i);
    }
    for (int i : {kModelNone, -1, 6}) {
        EXPECT_STREQ(StationNamePrefix(i), "");
        EXPECT_STREQ(ModelName(i), "unknown");
    }
    EXPECT_STREQ(ModelName(2), "RK3");
}

TEST(StationNumber, ShownInAtLeastThreeDigitsAndParsedStrictly)
{
    EXPECT_EQ(FormatStationNumber(7), "007");
    EXPECT_EQ(FormatStationNumber(0), "000");
    EXPECT_EQ(FormatStationNumber(1000), "1000");
    EXPECT_EQ(FormatStationNumber(65535), "65535");

    EXPECT_EQ(ParseStationNumber("007"), 7);
    EXPECT_EQ(ParseStationNumber("1"), 1);
    EXPECT_EQ(ParseStationNumber("255"), 255);
    for (const char* bad : {"", "0", "000", "256", "1000", "-1", "+5", " 5", "5 ", "12a", "9999999999"}) {
        EXPECT_FALSE(ParseStationNumber(bad).has_value()) << '"' << bad << '"';
    }
}
