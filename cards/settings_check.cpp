#include "cards/settings_check.h"

#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/parameters.h"

#include <algorithm>
#include <bit>
#include <string_view>

namespace cards {

std::string CardText(std::uint16_t cardCode)
{
    const CardInfo* card = FindCard(cardCode);
    if (card == nullptr) {
        return "card code " + std::to_string(cardCode);
    }
    return std::string(card->title) + " card (code " + std::to_string(cardCode) + ")";
}

namespace {

std::optional<AllowedRange> ListRange(TextList list)
{
    if (list.empty()) {
        return std::nullopt;
    }
    return AllowedRange{0, static_cast<int>(list.size()) - 1};
}

} // namespace

std::span<const char* const> ParameterList(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const CardInfo* card = FindCard(cardCode);
    const ParameterInfo* row = FindParameter(parameter);
    if (card == nullptr || row == nullptr) {
        return {};
    }
    if (parameter == kExchangeChoice) {
        return card->ExchangeTable(firmwareRange);
    }
    if (parameter == kBaudCode) {
        return BaudList(*card);
    }
    return row->choices;
}

std::span<const char* const> SharedList(int firmwareRange, const Parameter& parameter)
{
    std::optional<TextList> shared;
    const auto same = [](const char* a, const char* b) { return std::string_view(a) == b; };
    for (const CardInfo& card : Cards()) {
        if (!card.Reads(parameter)) {
            continue;
        }
        const TextList list = ParameterList(card.code, firmwareRange, parameter);
        if (!shared) {
            shared = list;
        } else if (!std::equal(list.begin(), list.end(), shared->begin(), shared->end(), same)) {
            return {};
        }
    }
    return shared.value_or(TextList{});
}

std::optional<AllowedRange> WritableRange(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const CardInfo* card = FindCard(cardCode);
    const ParameterInfo* row = FindParameter(parameter);
    if (card == nullptr || !card->Writes(parameter) || row == nullptr || row->field == nullptr) {
        return std::nullopt;
    }
    if (row->nodeAddressRule) {
        const NodeAddressRule* rule = card->nodeAddress;
        return rule ? std::optional<AllowedRange>(AllowedRange{rule->minimum, rule->maximum}) : std::nullopt;
    }
    return ListRange(ParameterList(cardCode, firmwareRange, parameter));
}

std::string AllowedText(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const auto range = WritableRange(cardCode, firmwareRange, parameter);
    if (!range) {
        return "not writable on this card";
    }
    if (parameter == kNodeAddress) {
        return std::to_string(range->minimum) + " to " + std::to_string(range->maximum);
    }
    if (parameter == kExchangeChoice) {
        return "entries <1> to <" + std::to_string(range->maximum + 1) + "> (codes 0 to " +
               std::to_string(range->maximum) + ", range " + RangeName(firmwareRange) + ")";
    }
    std::string text = "codes 0 to " + std::to_string(range->maximum) + " (";
    const auto list = ParameterList(cardCode, firmwareRange, parameter);
    for (std::size_t i = 0; i < list.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(i) + " = " + list[i];
    }
    return text + ")";
}

std::optional<std::string> CheckWritable(std::uint16_t cardCode, int firmwareRange, const CardSettings& settings,
                                         const ValueLabel& label)
{
    const Bus bus = FindCard(cardCode)->bus;
    for (const Parameter& p : WriteOrder(bus)) {
        const auto range = WritableRange(cardCode, firmwareRange, p);
        const auto value = ParameterValue(settings, p);
        if (range && value && !range->Contains(*value)) {
            return label(p, *value) + ": the " + ParameterName(bus, p.start) + " of this " + CardText(cardCode) +
                   " must be " + AllowedText(cardCode, firmwareRange, p);
        }
    }
    return CheckIpBlock(*FindCard(cardCode), settings);
}

namespace {

// Why `address` is no host address, or nothing.
const char* NoHost(std::uint32_t address)
{
    if (address == 0xFFFFFFFF)
        return "the broadcast address";
    if (address >> 24 == 0)
        return "in 0.0.0.0/8, which names no host";
    if (address >> 24 == 127)
        return "a loopback address";
    if (address >> 28 == 0xE)
        return "a multicast address";
    if (address >> 28 == 0xF)
        return "a reserved address";
    return nullptr;
}

} // namespace

std::optional<std::string> CheckIpBlock(const CardInfo& card, const CardSettings& settings)
{
    if (!card.Writes(kIpBlock) || (card.Writes(kAddressMode) && settings.addressMode != kModeStatic)) {
        return std::nullopt;
    }
    const IpSettings& ip = settings.ip;
    const auto fault = [](const IpPart& part, std::uint32_t value, const std::string& why) {
        return std::string("the ") + part.name + " " + FormatIp(value) + " " + why;
    };
    const std::uint32_t hostBits = ~ip.mask;
    if ((hostBits & (hostBits + 1)) != 0) {
        return fault(kIpParts[1], ip.mask, "is not a subnet mask: its ones must come first, as in 255.255.255.0");
    }
    // Both extremes parse as masks but leave the card unreachable: with no ones every address is local, with
    // no zeros no other device is.
    if (ip.mask == 0 || hostBits == 0) {
        return fault(kIpParts[1], ip.mask,
                     std::string("cannot be used: ") +
                         (ip.mask == 0 ? "it has no network part" : "it leaves no other device in the card's subnet") +
                         "; give the network's mask, as in 255.255.255.0");
    }
    if (const char* why = NoHost(ip.ip)) {
        return fault(kIpParts[0], ip.ip, std::string("is no host address: it is ") + why);
    }
    const auto subnetEdge = [&](std::uint32_t address) -> const char* {
        // A /31 has no network or broadcast address of its own.
        if (hostBits == 1 || ((address & hostBits) != 0 && (address & hostBits) != hostBits)) {
            return nullptr;
        }
        return (address & hostBits) == 0 ? "network" : "broadcast";
    };
    if (const char* edge = subnetEdge(ip.ip)) {
        return fault(kIpParts[0], ip.ip,
                     std::string("is no host address: it is the ") + edge + " address of its subnet (mask " +
                         FormatIp(ip.mask) + ")");
    }
    if (ip.gateway != 0) {
        if (const char* why = NoHost(ip.gateway)) {
            return fault(kIpParts[2], ip.gateway, std::string("is no host address: it is ") + why);
        }
        // The card reaches its gateway directly, so it must be another host of the card's own subnet.
        const std::string subnet = FormatIp(ip.ip & ip.mask) + "/" + std::to_string(std::popcount(ip.mask));
        const std::string instead = "; give a router's address in " + subnet + ", or 0.0.0.0 for none";
        if (ip.gateway == ip.ip) {
            return fault(kIpParts[2], ip.gateway, "is the card's own IP address" + instead);
        }
        if ((ip.gateway & ip.mask) != (ip.ip & ip.mask)) {
            return fault(kIpParts[2], ip.gateway,
                         "is outside the subnet of the IP address " + FormatIp(ip.ip) + " (mask " + FormatIp(ip.mask) +
                             "), where the card cannot reach it" + instead);
        }
        if (const char* edge = subnetEdge(ip.gateway)) {
            return fault(kIpParts[2], ip.gateway,
                         std::string("is no host address: it is the ") + edge + " address of the card's subnet" +
                             instead);
        }
    }
    return std::nullopt;
}

FileFit CheckFileFits(const Backup& file, std::optional<std::uint16_t> cardCode, std::optional<int> range,
                      const ValueLabel& label)
{
    if (cardCode && *cardCode != file.cardCode) {
        return {FileFit::Fault::OtherCard, {}};
    }
    if (range && IsCurrent(*range) != IsCurrent(file.firmwareRange)) {
        return {FileFit::Fault::OtherRange, {}};
    }
    if (cardCode) {
        if (auto fault = CheckWritable(file.cardCode, file.firmwareRange, file.settings, label)) {
            return {FileFit::Fault::ValueDoesNotFit, std::move(*fault)};
        }
    }
    return {};
}

} // namespace cards
