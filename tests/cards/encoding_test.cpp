#include "cards/encoding.h"

#include <gtest/gtest.h>

using namespace cards;

TEST(Encoding, SixteenBitValuesTravelLowByteFirst)
{
    std::uint8_t bytes[2] = {0xAA, 0xAA};
    EncodeU16(5, bytes);
    EXPECT_EQ(bytes[0], 0x05);
    EXPECT_EQ(bytes[1], 0x00);
    EncodeU16(0x1234, bytes);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);

    const std::uint8_t sixtyThree[2] = {0x3F, 0x00};
    EXPECT_EQ(DecodeU16(sixtyThree), 63);
    const std::uint8_t high[2] = {0x00, 0x80};
    EXPECT_EQ(DecodeU16(high), 0x8000);
}

TEST(Encoding, IpBlockPutsTheFourthOctetFirst)
{
    IpBlock block{};
    EncodeIpBlock({*ParseIp("192.168.1.10"), *ParseIp("255.255.255.0"), *ParseIp("10.0.0.1")}, block);
    const IpBlock expected{10, 1, 168, 192, 0, 255, 255, 255, 1, 0, 0, 10};
    EXPECT_EQ(block, expected);

    const IpSettings back = DecodeIpBlock(block);
    EXPECT_EQ(FormatIp(back.ip), "192.168.1.10");
    EXPECT_EQ(FormatIp(back.mask), "255.255.255.0");
    EXPECT_EQ(FormatIp(back.gateway), "10.0.0.1");
}

TEST(Encoding, IpBlockRoundTripsEveryByte)
{
    IpBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(0x11 * (i + 1));
    }
    IpBlock again{};
    EncodeIpBlock(DecodeIpBlock(block), again);
    EXPECT_EQ(block, again);
}

TEST(Encoding, ParseIpAcceptsExactlyFourDecimalOctets)
{
    EXPECT_EQ(ParseIp("0.0.0.0"), 0u);
    EXPECT_EQ(ParseIp("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseIp("192.168.1.10"), 0xC0A8010Au);
    // Leading zeros are decimal, never octal.
    EXPECT_EQ(ParseIp("192.168.001.010"), 0xC0A8010Au);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.999", " 1.2.3.4", "1.2.3.4 ", "1..2.3", "1.2.3.", ".1.2.3",
          "a.b.c.d", "1.2.3.-4", "+1.2.3.4", "0001.2.3.4", "1.2.3.4\n", "1,2,3,4", "0x1.2.3.4", "4294967295"}) {
        EXPECT_FALSE(ParseIp(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(Encoding, FormatIpRoundTripsThroughParse)
{
    for (std::uint32_t address : {0u, 1u, 0x0A000001u, 0xC0A8010Au, 0xFFFFFFFFu, 0x80000000u}) {
        EXPECT_EQ(ParseIp(FormatIp(address)), address);
    }
}
