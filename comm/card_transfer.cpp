#include "comm/card_transfer.h"

#include "cards/parameter_order.h"
#include "cards/parameters.h"
#include "cards/settings_check.h"

int ReadParameter(InstrumentLink& link, const cards::Parameter& parameter, cards::CardSettings& settings)
{
    cards::IpBlock bytes{};
    if (parameter.Bytes() > bytes.size() || link.ReadBlock(parameter.start, parameter.Bytes(), bytes.data()) != 1)
        return 0;
    return cards::DecodeParameter(settings, parameter, std::span<const std::uint8_t>(bytes.data(), parameter.Bytes()))
               ? 1
               : 0;
}

namespace {

// Why a write failed, reading back when its reply was lost. Failure::None: it landed all the same.
WriteReport::Failure WhyNotWritten(InstrumentLink& link, const cards::Parameter& parameter,
                                   const cards::CardSettings& settings)
{
    switch (link.Master().LastResult()) {
    case ResultException:
        return WriteReport::Failure::Refused;
    case ResultStopped:
        return WriteReport::Failure::Stopped;
    case ResultNotOpen:
    case ResultTooLong:
        return WriteReport::Failure::NoReply; // nothing went out
    default:
        break;
    }
    cards::CardSettings holds = settings;
    if (ReadParameter(link, parameter, holds) != 1)
        return WriteReport::Failure::Unknown;
    return holds == settings ? WriteReport::Failure::None : WriteReport::Failure::NoReply;
}

} // namespace

WriteReport WriteParameters(InstrumentLink& link, std::span<const cards::Parameter> order,
                            const cards::CardSettings& settings)
{
    WriteReport report;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const cards::Parameter& p = order[i];
        cards::IpBlock bytes{};
        const int count = cards::EncodeParameter(settings, p, bytes);
        if (count != 0 && link.WriteBlock(p.start, static_cast<std::uint16_t>(count), bytes.data()) == 1) {
            report.written.push_back(p);
            continue;
        }
        const WriteReport::Failure failure =
            count == 0 ? WriteReport::Failure::NoReply : WhyNotWritten(link, p, settings);
        if (failure == WriteReport::Failure::None) {
            report.written.push_back(p);
            report.replyLost.push_back(p);
            continue;
        }
        report.failed = p;
        report.failure = failure;
        const std::size_t firstNotWritten = failure == WriteReport::Failure::Unknown ? i + 1 : i;
        report.notWritten.assign(order.begin() + static_cast<std::ptrdiff_t>(firstNotWritten), order.end());
        return report;
    }
    return report;
}

std::string DescribeWriteFailure(cards::Bus bus, const WriteReport& report)
{
    if (report.Ok())
        return {};
    const std::string what = cards::DescribeParameter(bus, *report.failed);
    const std::string done = "already written: " + cards::ListParameters(bus, report.written) +
                             "; not written: " + cards::ListParameters(bus, report.notWritten);
    switch (report.failure) {
    case WriteReport::Failure::Stopped:
        return "stopped before writing " + what + "; " + done;
    case WriteReport::Failure::Unknown:
        return "no reply to the write of " + what + ", and it could not be read back: whether it was written is " +
               "unknown; " + done;
    default:
        return "writing " + what + " failed; " + done;
    }
}

Verification VerifyWritten(InstrumentLink& link, std::uint16_t cardCode, std::span<const cards::Parameter> written,
                           const cards::CardSettings& settings)
{
    Verification result;
    result.cardWanted = cardCode;
    if (written.empty())
        return result;
    TurnCheck turn;
    const int read = link.ReadInTurn(
        [&] {
            result.mismatched.clear();
            result.unverified.clear();
            for (const cards::Parameter& p : written) {
                cards::CardSettings actual = settings;
                if (ReadParameter(link, p, actual) != 1)
                    result.unverified.push_back(p);
                else if (actual != settings)
                    result.mismatched.push_back(p);
            }
            // A mismatch too needs the closing read: it may be a reply out of turn.
            return result.unverified.size() == written.size() ? 0 : 1;
        },
        turn);
    result.cardAfter = turn.cardCode;
    if (read == 1 && !turn.inTurn) {
        // What was read back is not known to answer what was asked.
        result.outOfTurn = turn.outOfTurn;
        result.mismatched.clear();
        result.unverified.assign(written.begin(), written.end());
    }
    return result;
}

Download DownloadSettings(InstrumentLink& link, std::uint16_t cardCode, std::span<const cards::Parameter> order,
                          const cards::CardSettings& settings, DownloadChecks checks)
{
    Download download;
    if (checks.checkCard) {
        download.cardFound = link.ReadCardCode();
        if (download.cardFound == 0)
            download.cardCheck = Download::CardCheck::Unread;
        else if (download.cardFound != cardCode)
            download.cardCheck = Download::CardCheck::Changed;
        if (!download.Written())
            return download;
    }
    download.write = WriteParameters(link, order, settings);
    if (checks.verify && download.write.Ok())
        download.verification = VerifyWritten(link, cardCode, download.write.written, settings);
    return download;
}

std::string DescribeCardChange(std::uint16_t found, std::uint16_t now)
{
    return "The instrument now has the " + cards::CardText(now) + ", not the " + cards::CardText(found) +
           " the search found: search again.";
}

std::string DescribeDownload(cards::Bus bus, std::uint16_t cardCode, const Download& download)
{
    switch (download.cardCheck) {
    case Download::CardCheck::Unread:
        return "The card could not be identified before writing. Nothing was written.";
    case Download::CardCheck::Changed:
        return DescribeCardChange(cardCode, download.cardFound) + " Nothing was written.";
    case Download::CardCheck::Same:
        break;
    }
    if (!download.write.Ok())
        return DescribeWriteFailure(bus, download.write);
    return download.verification ? DescribeVerification(bus, *download.verification) : std::string();
}

std::string DescribeVerification(cards::Bus bus, const Verification& verification)
{
    if (verification.CardChanged())
        return "written, but reading back found another card: " +
               DescribeCardChange(verification.cardWanted, verification.cardAfter);
    if (verification.outOfTurn)
        return "written, but replies came out of turn while reading back (the line repeats or delays frames: "
               "check the converter or device server): not verified";
    if (!verification.mismatched.empty())
        return "written, but reads back different: " + cards::ListParameters(bus, verification.mismatched);
    if (!verification.unverified.empty())
        return "written, but could not be read back to verify: " + cards::ListParameters(bus, verification.unverified);
    return {};
}
