#include "cli/parameter_report.h"

#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/parameters.h"
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

ParameterValue UnreadParameter(cards::Bus bus, const cards::Parameter& parameter)
{
    ParameterValue v;
    v.name = cards::ParameterName(bus, parameter.start);
    v.reg = RegisterText(parameter);
    v.registers = parameter.registers;
    v.readFailed = true;
    return v;
}

ParameterValue DescribeParameterValue(const Identification& identity, int firmwareRange,
                                      const cards::CardSettings& settings, const cards::Parameter& parameter)
{
    const cards::CardInfo& card = *identity.card;
    ParameterValue v = UnreadParameter(card.bus, parameter);
    v.readFailed = false;
    const cards::ParameterInfo& row = *cards::FindParameter(parameter);
    if (row.ipBlock) {
        v.ipBytes.emplace();
        cards::EncodeIpBlock(settings.ip, *v.ipBytes);
        v.ip = settings.ip;
        v.text = cards::IpBlockText(settings.ip);
        if (!card.Writes(parameter)) {
            v.note = std::string("shown only; set on the ") + card.title + " network";
        }
        return v;
    }

    const int value = *cards::ParameterValue(settings, parameter);
    v.raw = value;
    if (row.nodeAddressRule) {
        const cards::NodeAddressRule* rule = card.nodeAddress;
        if (card.stationNumber) {
            const std::string number = cards::FormatStationNumber(value);
            v.text = number;
            v.stationName = cards::StationNamePrefix(identity.modelIndex) + number;
            v.valid = rule->Accepts(value);
        } else {
            v.text = std::to_string(value);
            v.valid = rule->ReadValid(value);
            if (v.valid && !rule->Accepts(value)) {
                v.note = "valid, but outside the " + cards::AllowedText(identity.cardCode, firmwareRange, parameter) +
                         " this card accepts when written";
            }
        }
    } else {
        const auto list = cards::ParameterList(identity.cardCode, firmwareRange, parameter);
        v.valid = static_cast<std::size_t>(value) < list.size();
        v.text = v.valid ? list[static_cast<std::size_t>(value)] : "";
        if (row.syntax == cards::ValueSyntax::ListEntry) {
            v.entry = value + 1;
            const char* modules = v.valid ? cards::ModuleText(card, firmwareRange, value) : nullptr;
            if (modules != nullptr) {
                v.modules = modules;
            }
        }
    }
    if (!v.valid) {
        v.text = "outside " + cards::AllowedText(identity.cardCode, firmwareRange, parameter);
    }
    return v;
}

nlohmann::json ToJson(const ParameterValue& v)
{
    if (v.readFailed) {
        return nlohmann::json{{"name", v.name}, {"register", v.reg}, {"readFailed", true}};
    }
    nlohmann::json item{
        {"name", v.name}, {"register", v.reg}, {"registers", v.registers}, {"text", v.text}, {"valid", v.valid}};
    if (v.ipBytes) {
        item["raw"] = *v.ipBytes;
        item["ip"] = cards::FormatIp(v.ip.ip);
        item["mask"] = cards::FormatIp(v.ip.mask);
        item["gateway"] = cards::FormatIp(v.ip.gateway);
    } else {
        item["raw"] = v.raw;
    }
    if (!v.stationName.empty()) {
        item["stationName"] = v.stationName;
    }
    if (!v.note.empty()) {
        item["note"] = v.note;
    }
    if (v.entry) {
        item["entry"] = *v.entry;
    }
    if (v.modules) {
        item["modules"] = *v.modules;
    }
    return item;
}

} // namespace cli
