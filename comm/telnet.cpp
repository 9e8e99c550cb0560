#include "comm/telnet.h"

namespace telnet {

int Parser::Feed(const std::uint8_t* bytes, int count, std::uint8_t* data, Listener& listener)
{
    int out = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        switch (state) {
        case State::Data:
            if (b == kIac)
                state = State::Command;
            else
                data[out++] = b;
            break;
        case State::Command:
            state = State::Data;
            if (b == kIac) {
                data[out++] = kIac;
            } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
                verb = b;
                state = State::Option;
            } else if (b == kSb) {
                subLength = 0;
                subCut = false;
                state = State::Sub;
            } // any other command (NOP, GA, a stray SE) carries nothing for the line
            break;
        case State::Option:
            state = State::Data;
            listener.OnNegotiation(verb, b);
            break;
        case State::Sub:
            if (b == kIac) {
                state = State::SubCommand;
                break;
            }
            if (subLength < kMaxSubnegotiation)
                sub[static_cast<std::size_t>(subLength++)] = b;
            else
                subCut = true;
            break;
        case State::SubCommand:
            if (b == kIac) {
                state = State::Sub;
                if (subLength < kMaxSubnegotiation)
                    sub[static_cast<std::size_t>(subLength++)] = kIac;
                else
                    subCut = true;
                break;
            }
            if (b == kSe) {
                state = State::Data;
                if (subLength > 0 && !subCut)
                    listener.OnSubnegotiation(sub[0], sub.data() + 1, subLength - 1);
                break;
            }
            // A subnegotiation left unterminated: drop it and take this byte as the command it starts.
            state = State::Command;
            --i;
            break;
        }
    }
    return out;
}

int Escape(const std::uint8_t* bytes, int count, std::uint8_t* out)
{
    int n = 0;
    for (int i = 0; i < count; ++i) {
        out[n++] = bytes[i];
        if (bytes[i] == kIac)
            out[n++] = kIac;
    }
    return n;
}

} // namespace telnet
