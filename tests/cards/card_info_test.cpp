#include "cards/card_info.h"
#include "cards/parameter_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace cards;

TEST(CardInfo, BothVariantsOfABusShareOnePage)
{
    for (auto [a, b] : {std::pair<int, int>{1, 5}, {2, 6}}) {
        const CardInfo* com = FindCard(static_cast<std::uint16_t>(a));
        const CardInfo* comx = FindCard(static_cast<std::uint16_t>(b));
        ASSERT_NE(com, nullptr);
        ASSERT_NE(comx, nullptr);
        EXPECT_EQ(com->bus, comx->bus);
        EXPECT_STREQ(com->tabCaption, comx->tabCaption);
        EXPECT_EQ(com->templateId, comx->templateId);
        EXPECT_FALSE(IsComxVariant(com->code));
        EXPECT_TRUE(IsComxVariant(comx->code));
    }
    EXPECT_STREQ(FindCard(5)->tabCaption, "PROFIBUS");
    EXPECT_STREQ(FindCard(6)->title, "DeviceNet");
}

TEST(CardInfo, EachCodeFindsItsOwnEntryAndOthersFallToTheInformationPage)
{
    const std::pair<int, Bus> known[] = {{1, Bus::Profibus}, {2, Bus::DeviceNet}, {4, Bus::Profinet},
                                         {5, Bus::Profibus}, {6, Bus::DeviceNet}, {7, Bus::EtherNetIp},
                                         {8, Bus::ModbusTcp}};
    for (auto [code, bus] : known) {
        const CardInfo* card = FindCard(static_cast<std::uint16_t>(code));
        ASSERT_NE(card, nullptr) << code;
        EXPECT_EQ(card->code, code);
        EXPECT_EQ(card->bus, bus);
        EXPECT_STREQ(card->title, BusTitle(bus));
    }
    EXPECT_STREQ(FindCard(7)->tabCaption, "ETHERNET/IP");
    EXPECT_EQ(FindCard(8)->templateId, 144);
    for (int code : {0, 3, 9, 10, 0x0100, 0x0105, 0xFFFF}) {
        EXPECT_EQ(FindCard(static_cast<std::uint16_t>(code)), nullptr) << code;
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

TEST(ParameterOrder, WritesFollowTheReadOrderAndNeverMergeNeighbours)
{
    for (Bus bus : {Bus::Profibus, Bus::DeviceNet, Bus::Profinet, Bus::EtherNetIp, Bus::ModbusTcp}) {
        const auto read = ReadOrder(bus);
        const auto write = WriteOrder(bus);
        ASSERT_FALSE(write.empty());
        // Every written parameter is also read, in the same relative order.
        auto at = read.begin();
        for (const Parameter& p : write) {
            at = std::find(at, read.end(), p);
            ASSERT_NE(at, read.end()) << BusTitle(bus) << " writes 0x" << std::hex << p.start << " it never reads";
        }
        for (const Parameter& p : read) {
            EXPECT_STRNE(ParameterName(bus, p.start), "register");
        }
    }
    // The IP block overlaps 0x3015 in address terms, yet mode and block travel separately.
    const auto ethernet = WriteOrder(Bus::EtherNetIp);
    ASSERT_EQ(ethernet.size(), 3u);
    EXPECT_EQ(ethernet[0], kAddressMode);
    EXPECT_EQ(ethernet[0].registers, 1);
    EXPECT_EQ(ethernet[1], kIpBlock);
    EXPECT_EQ(ethernet[1].Bytes(), 12);
    EXPECT_EQ(ethernet[2], kExchangeChoice);
}

TEST(ParameterOrder, ProfinetShowsItsIpBlockButNeverWritesIt)
{
    const auto read = ReadOrder(Bus::Profinet);
    const auto write = WriteOrder(Bus::Profinet);
    EXPECT_NE(std::find(read.begin(), read.end(), kIpBlock), read.end());
    EXPECT_EQ(std::find(write.begin(), write.end(), kIpBlock), write.end());
    const auto modbus = WriteOrder(Bus::ModbusTcp);
    EXPECT_EQ(std::find(modbus.begin(), modbus.end(), kExchangeChoice), modbus.end());
    EXPECT_EQ(WriteOrder(Bus::DeviceNet).size(), 3u);
    EXPECT_STREQ(ParameterName(Bus::Profinet, kNodeAddress.start), "station number");
    EXPECT_STREQ(ParameterName(Bus::DeviceNet, kNodeAddress.start), "node address");
}
