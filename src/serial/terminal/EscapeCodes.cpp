#include "EscapeCodes.h"

#include <charconv>

namespace {

constexpr char Esc = 27;

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool startsWith(const std::vector<std::string> &p, char c)
{
    return !p.empty() && !p[0].empty() && p[0][0] == c;
}

std::string withParams(const char *fmt, const std::vector<std::string> &params)
{
    std::string out;
    std::size_t next = 0;
    for (const char *p = fmt; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd') {
            out += next < params.size() ? params[next] : std::string("1");
            ++next;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

} // namespace

TFeedResult TEscapeCodes::FeedChar(unsigned char ch)
{
    if (!InSequence) {
        if (ch != Esc) {
            Character = ch;
            return TFeedResult::Plain;
        }
        Data.clear();
        ParamList.clear();
        InSequence = true;
        return TFeedResult::Consumed;
    }
    Data += char(ch);
    TEscapeCode code = Classify();
    if (code == ecNotCompleted && Data.size() >= MaxSequence)
        code = ecUnknown;
    if (code == ecNotCompleted)
        return TFeedResult::Consumed;
    InSequence = false;
    Code = code;
    return TFeedResult::Complete;
}

int TEscapeCodes::ParamOf(const std::vector<std::string> &params, int index)
{
    if (index < 1 || std::size_t(index) > params.size())
        return 1;
    const std::string &s = params[std::size_t(index - 1)];
    int value = 0;
    const char *begin = s.data();
    const char *end = s.data() + s.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return 1;
    return value;
}

TEscapeCode TEscapeCodesVT52::Classify()
{
    const std::string &s = Data;
    if (s.size() == 1) {
        switch (s[0]) {
        case 'A': return ecCursorUp;
        case 'B': return ecCursorDown;
        case 'C': return ecCursorRight;
        case 'D': return ecCursorLeft;
        case 'H': return ecCursorHome;
        case 'I': return ecReverseLineFeed;
        case 'J': return ecEraseScreenFrom;
        case 'K': return ecEraseLineFrom;
        case 'Z': return ecIdentify;
        case '/':
        case 'Y': return ecNotCompleted;
        default: return ecUnknown;
        }
    }
    if (s[0] == '/')
        return s == "/Z" ? ecIdentResponse : ecUnknown;
    if (s[0] == 'Y') {
        if (s.size() == 2)
            return ecNotCompleted;
        ParamList = {std::to_string(int(static_cast<unsigned char>(s[1])) - 31),
                     std::to_string(int(static_cast<unsigned char>(s[2])) - 31)};
        return ecCursorMove;
    }
    return ecUnknown;
}

std::string TEscapeCodesVT52::EncodeCode(TEscapeCode code, const std::vector<std::string> &params) const
{
    const std::string e(1, Esc);
    switch (code) {
    case ecCursorUp: return e + "A";
    case ecCursorDown: return e + "B";
    case ecCursorLeft: return e + "D";
    case ecCursorRight: return e + "C";
    case ecCursorHome: return e + "H";
    case ecCursorMove: {
        std::string out = e + "Y";
        for (int i = 1; i <= 2; ++i)
            out += char((ParamOf(params, i) + 31) & 0xff);
        return out;
    }
    case ecReverseLineFeed: return e + "I";
    case ecEraseLineFrom: return e + "K";
    case ecEraseScreenFrom: return e + "J";
    case ecIdentify: return e + "Z";
    case ecIdentResponse: return e + "/Z";
    default: return {};
    }
}

TEscapeCode TEscapeCodesVT100::Classify()
{
    const std::string &s = Data;
    // The sequence's own first byte says whether it is a bracket sequence, so nothing of a
    // sequence cut short lingers into the next one.
    if (s[0] == '[') {
        // Only the newest byte can end a bracket sequence, so classification stays linear.
        const char last = s.back();
        if (s.size() == 1 || !isLetter(last))
            return ecNotCompleted;
        return ClassifyBracket(last);
    }
    if (s.size() == 1) {
        switch (s[0]) {
        case '7': return ecSaveCaretAndAttr;
        case '8': return ecRestoreCaretAndAttr;
        case 'H': return ecSetTab;
        case 'c': return ecReset;
        case '#':
        case 'O':
        case '(':
        case ')': return ecNotCompleted; // a character-set designation takes one more byte
        default: return ecUnknown;
        }
    }
    if (s == "#8") return ecTest;
    if (s == "OA") return ecAppCursorUp;
    if (s == "OB") return ecAppCursorDown;
    if (s == "OC") return ecAppCursorRight;
    if (s == "OD") return ecAppCursorLeft;
    return ecUnknown;
}

TEscapeCode TEscapeCodesVT100::ClassifyBracket(char final)
{
    ParamList.clear();
    std::string cur;
    for (std::size_t i = 1; i + 1 < Data.size(); ++i) {
        const char c = Data[i];
        if (c == ';' && !cur.empty()) {
            ParamList.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        ParamList.push_back(cur);

    auto firstIs = [this](char c) { return startsWith(ParamList, c); };
    auto dropped = [this](TEscapeCode code) {
        ParamList.clear();
        return code;
    };
    switch (final) {
    case 'A': return ecCursorUp;
    case 'B': return ecCursorDown;
    case 'C': return ecCursorRight;
    case 'D': return ecCursorLeft;
    case 'H': return ecCursorHome;
    case 'f': return ecCursorMove;
    case 'J':
        if (ParamList.empty() || firstIs('0')) return dropped(ecEraseScreenFrom);
        return dropped(firstIs('2') ? ecEraseScreen : ecUnknown);
    case 'K':
        if (ParamList.empty() || firstIs('0')) return dropped(ecEraseLineFrom);
        return dropped(firstIs('2') ? ecEraseLine : ecUnknown);
    case 'g':
        if (ParamList.empty() || firstIs('0')) return dropped(ecClearTab);
        return dropped(firstIs('3') ? ecClearAllTabs : ecUnknown);
    case 'n':
        if (firstIs('0')) return dropped(ecReportDeviceOK);
        if (firstIs('3')) return dropped(ecReportDeviceFailure);
        if (firstIs('5')) return dropped(ecQueryDevice);
        if (firstIs('6')) return dropped(ecQueryCursorPos);
        return dropped(ecUnknown);
    case 'c':
        if (ParamList.empty() || (ParamList.size() == 1 && ParamList[0] == "0")) return ecIdentify;
        if (ParamList.size() == 2 && ParamList[0] == "?1") return ecIdentResponse;
        return ecUnknown;
    case 'R': return ecReportCursorPos;
    case 'h': return ecSetMode;
    case 'l': return ecResetMode;
    case 'm': return ecAttributes;
    case 's': return ecSaveCaret;
    case 'u': return ecRestoreCaret;
    default: return ecUnknown;
    }
}

std::string TEscapeCodesVT100::EncodeCode(TEscapeCode code, const std::vector<std::string> &params) const
{
    const char *fmt = nullptr;
    switch (code) {
    case ecCursorUp: fmt = "\x1b[A"; break;
    case ecCursorDown: fmt = "\x1b[B"; break;
    case ecCursorLeft: fmt = "\x1b[D"; break;
    case ecCursorRight: fmt = "\x1b[C"; break;
    case ecCursorHome: fmt = "\x1b[H"; break;
    case ecCursorMove: fmt = "\x1b[%d;%df"; break;
    case ecAppCursorLeft: fmt = "\x1bOD"; break;
    case ecAppCursorRight: fmt = "\x1bOC"; break;
    case ecAppCursorUp: fmt = "\x1bOA"; break;
    case ecAppCursorDown: fmt = "\x1bOB"; break;
    case ecEraseLineFrom: fmt = "\x1b[K"; break;
    case ecEraseScreenFrom: fmt = "\x1b[J"; break;
    case ecEraseLine: fmt = "\x1b[2K"; break;
    case ecEraseScreen: fmt = "\x1b[2J"; break;
    case ecSetTab: fmt = "\x1bH"; break;
    case ecClearTab: fmt = "\x1b[g"; break;
    case ecClearAllTabs: fmt = "\x1b[3g"; break;
    case ecIdentify: fmt = "\x1b[c"; break;
    case ecIdentResponse: fmt = "\x1b[?1;%dc"; break;
    case ecQueryDevice: fmt = "\x1b[5n"; break;
    case ecReportDeviceOK: fmt = "\x1b[0n"; break;
    case ecReportDeviceFailure: fmt = "\x1b[3n"; break;
    case ecQueryCursorPos: fmt = "\x1b[6n"; break;
    case ecReportCursorPos: fmt = "\x1b[%d;%dR"; break;
    case ecAttributes: fmt = "\x1b[m"; break;
    case ecSetMode: fmt = "\x1b[h"; break;
    case ecResetMode: fmt = "\x1b[l"; break;
    case ecReset: fmt = "\x1b" "c"; break;
    case ecSaveCaretAndAttr: fmt = "\x1b" "7"; break;
    case ecRestoreCaretAndAttr: fmt = "\x1b" "8"; break;
    case ecSaveCaret: fmt = "\x1b[s"; break;
    case ecRestoreCaret: fmt = "\x1b[u"; break;
    case ecTest: fmt = "\x1b#8"; break;
    default: return {};
    }
    return withParams(fmt, params);
}
