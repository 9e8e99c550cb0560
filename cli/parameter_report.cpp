#include "cli/parameter_report.h"

#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/settings_check.h"

#include <cstdio>

namespace cli {

namespace {

std::string RegisterText(const cards::Parameter& parameter)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", parameter.start);
    return text;
}

} // namespace

std::string CardText(const Identification& identity)
{
    return cards::CardText(identity.cardCode);
}

nlohmann::json DescribeParameterValue(const Identification& identity, int firmwareRange,
                                      const cards::CardSettings& settings, const cards::Parameter& parameter)
{
    const cards::CardInfo& card = *identity.card;
    const cards::Bus bus = card.bus;
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
        if (!card.Writes(parameter)) {
            item["note"] = std::string("shown only; set on the ") + card.title + " network";
        }
        return item;
    }

    const int value = *cards::ParameterValue(settings, parameter);
    item["raw"] = value;
    bool valid = true;
    std::string text;
    if (parameter == cards::kNodeAddress) {
        const cards::NodeAddressRule* rule = card.nodeAddress;
        if (card.stationNumber) {
            const std::string number = cards::FormatStationNumber(value);
            text = number;
            item["stationName"] = cards::StationNamePrefix(identity.modelIndex) + number;
            valid = rule->Accepts(value);
        } else {
            text = std::to_string(value);
            valid = rule->ReadValid(value);
            if (valid && !rule->Accepts(value)) {
                item["note"] = "valid, but outside the " +
                               cards::AllowedText(identity.cardCode, firmwareRange, parameter) +
                               " this card accepts when written";
            }
        }
    } else {
        const auto list = cards::ParameterList(identity.cardCode, firmwareRange, parameter);
        valid = static_cast<std::size_t>(value) < list.size();
        text = valid ? list[static_cast<std::size_t>(value)] : "";
        if (parameter == cards::kExchangeChoice) {
            item["entry"] = value + 1;
            const char* modules = valid ? cards::ModuleText(card, firmwareRange, value) : nullptr;
            if (modules != nullptr) {
                item["modules"] = modules;
            }
        }
    }
    if (!valid) {
        text = "outside " + cards::AllowedText(identity.cardCode, firmwareRange, parameter);
    }
    item["text"] = text;
    item["valid"] = valid;
    return item;
}

} // namespace cli
