#include "parameter_report.h"

#include "card_lists.h"
#include "encoding.h"
#include "parameter_order.h"

#include <cstdio>

namespace cli {

namespace {

std::string RegisterText(const cards::Parameter& parameter)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", parameter.start);
    return text;
}

// The list a one-register parameter indexes, empty for the node address.
std::span<const char* const> ListOf(const Identification& identity, int firmwareRange,
                                    const cards::Parameter& parameter)
{
    if (parameter == cards::kBaudCode) {
        return cards::BaudList(identity.cardCode);
    }
    if (parameter == cards::kExchangeChoice) {
        return cards::ExchangeTable(identity.card->bus, firmwareRange);
    }
    if (parameter == cards::kAddressMode) {
        return cards::ModeList();
    }
    return {};
}

} // namespace

std::string CardText(const Identification& identity)
{
    if (identity.card == nullptr) {
        return "card code " + std::to_string(identity.cardCode);
    }
    return std::string(identity.card->title) + " card (code " + std::to_string(identity.cardCode) + ")";
}

std::string AllowedText(const Identification& identity, int firmwareRange, const cards::Parameter& parameter)
{
    const auto range = cards::WritableRange(identity.cardCode, firmwareRange, parameter);
    if (!range) {
        return "not writable on this card";
    }
    if (parameter == cards::kNodeAddress) {
        return std::to_string(range->minimum) + " to " + std::to_string(range->maximum);
    }
    if (parameter == cards::kExchangeChoice) {
        return "entries <1> to <" + std::to_string(range->maximum + 1) + "> (codes 0 to " +
               std::to_string(range->maximum) + ", range " + cards::RangeName(firmwareRange) + ")";
    }
    std::string text = "codes 0 to " + std::to_string(range->maximum) + " (";
    const auto list = ListOf(identity, firmwareRange, parameter);
    for (std::size_t i = 0; i < list.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(i) + " = " + list[i];
    }
    return text + ")";
}

nlohmann::json DescribeParameterValue(const Identification& identity, int firmwareRange,
                                      const cards::CardSettings& settings, const cards::Parameter& parameter)
{
    const cards::Bus bus = identity.card->bus;
    nlohmann::json item{{"name", cards::ParameterName(bus, parameter.start)},
                        {"register", RegisterText(parameter)},
                        {"registers", parameter.registers}};
    if (parameter == cards::kIpBlock) {
        cards::IpBlock bytes{};
        cards::EncodeIpBlock(settings.ip, bytes);
        item["raw"] = bytes;
        item["ip"] = cards::FormatIp(settings.ip.ip);
        item["mask"] = cards::FormatIp(settings.ip.mask);
        item["gateway"] = cards::FormatIp(settings.ip.gateway);
        item["text"] = "IP " + cards::FormatIp(settings.ip.ip) + ", mask " + cards::FormatIp(settings.ip.mask) +
                       ", gateway " + cards::FormatIp(settings.ip.gateway);
        item["valid"] = true;
        if (bus == cards::Bus::Profinet) {
            item["note"] = "shown only; set on the Profinet network";
        }
        return item;
    }

    const int value = *cards::ParameterValue(settings, parameter);
    item["raw"] = value;
    bool valid = true;
    std::string text;
    if (parameter == cards::kNodeAddress) {
        const cards::NodeAddressRule* rule = cards::FindNodeAddressRule(identity.cardCode);
        if (bus == cards::Bus::Profinet) {
            const std::string number = cards::FormatStationNumber(value);
            text = number;
            item["stationName"] = cards::StationNamePrefix(identity.modelIndex) + number;
            valid = rule->Accepts(value);
        } else {
            text = std::to_string(value);
            valid = rule->ReadValid(value);
            if (valid && !rule->Accepts(value)) {
                item["note"] = "valid, but outside the " + AllowedText(identity, firmwareRange, parameter) +
                               " this card accepts when written";
            }
        }
    } else {
        const auto list = ListOf(identity, firmwareRange, parameter);
        valid = static_cast<std::size_t>(value) < list.size();
        text = valid ? list[static_cast<std::size_t>(value)] : "";
        if (parameter == cards::kExchangeChoice) {
            item["entry"] = value + 1;
            if (bus == cards::Bus::Profibus && valid) {
                item["modules"] = cards::ProfibusModuleText(firmwareRange, value);
            }
        }
    }
    if (!valid) {
        text = "outside " + AllowedText(identity, firmwareRange, parameter);
    }
    item["text"] = text;
    item["valid"] = valid;
    return item;
}

std::optional<std::string> CheckWritable(const Identification& identity, int firmwareRange,
                                         const cards::CardSettings& settings, const ValueLabel& label)
{
    for (const cards::Parameter& p : cards::WriteOrder(identity.card->bus)) {
        const auto range = cards::WritableRange(identity.cardCode, firmwareRange, p);
        const auto value = cards::ParameterValue(settings, p);
        if (range && value && !range->Contains(*value)) {
            return label(p, *value) + ": the " + cards::ParameterName(identity.card->bus, p.start) + " of this " +
                   CardText(identity) + " must be " + AllowedText(identity, firmwareRange, p);
        }
    }
    return std::nullopt;
}

} // namespace cli
