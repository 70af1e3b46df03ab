#include "CommandParser.h"

#include "Bytes.h"

#include <array>
#include <cstdlib>
#include <span>
#include <vector>

namespace dax::sim {

namespace {

// Grammar of one command, the text after ESC "!":
//   '#' one decimal digit (a run of them is one field)
//   '%' a decimal field of 1 to 7 digits ("%d" on the host's side)
//   '?' one printable character
//   '$' exactly 8 text characters
//   anything else stands for itself
struct SGrammar {
    const char* pattern;
    ECommand kind;
    int answerLength;
};

constexpr std::array kGrammars = {
    SGrammar{"e0C", ECommand::Inquiry, 7},
    SGrammar{"e1C", ECommand::RequestSense, 11},
    SGrammar{"e4#C", ECommand::MediaSize, 6},
    SGrammar{"f0C", ECommand::ShortSense, 6},
    SGrammar{"f0###C", ECommand::ReadElementStatus, 12},
    SGrammar{"f1###?C", ECommand::PositionMedium, 6},
    SGrammar{"f2###?C", ECommand::OpenCloseElement, 6},
    SGrammar{"f311#####C", ECommand::LoadFromBin, 6},
    SGrammar{"f4###C", ECommand::RotationalOffset, 6},
    SGrammar{"f5###C", ECommand::Leds, 6},
    SGrammar{"f6###C", ECommand::LeftMargin, 6},
    SGrammar{"f7###C", ECommand::TopMargin, 6},
    SGrammar{"f;?C", ECommand::Counter, 12},
    SGrammar{"f:###C", ECommand::ReadText, 14},
    SGrammar{"f9###C$", ECommand::StoreText, 6},
    SGrammar{"b%C", ECommand::BaudRate, 5},
    SGrammar{"g0%C", ECommand::BeginFlash, 6},
    SGrammar{"g1C", ECommand::Restart, 6},
    SGrammar{"h0C", ECommand::BeginPrinterFlash, 6},
    SGrammar{"h1C", ECommand::StoreSettings, 6},
};

// The stand-alone disc printer. Its print set-up, drawer and pass commands are the printer
// commands; most of the rest are not answered, their outcome is read with ESC "!r3C".
constexpr std::array kInkographerGrammars = {
    SGrammar{"e0C", ECommand::Inquiry, 7},
    SGrammar{"r3C", ECommand::InkSense, 9},
    SGrammar{"r0C", ECommand::InkDrawer, 6},
    SGrammar{"m####C", ECommand::InkSetting, 0},
    SGrammar{"f0###C", ECommand::ReadElementStatus, 12},
    SGrammar{"f311#####C", ECommand::LoadFromBin, 0},
    SGrammar{"f312%C", ECommand::InkReload, 0},
    SGrammar{"f313%C", ECommand::InkReload, 0},
    SGrammar{"f:C", ECommand::InkReadSerial, 14},
    SGrammar{"f9C$", ECommand::InkStoreSerial, 0},
    SGrammar{"f;?C", ECommand::Counter, 11},
    SGrammar{"b%C", ECommand::BaudRate, 5},
    SGrammar{"g0%C", ECommand::BeginFlash, 6},
    SGrammar{"g1C", ECommand::Restart, 0},
};

// The dual-printer transporter: its printer commands carry the printer's element (260, 261).
constexpr std::array kHalcyraGrammars = {
    SGrammar{"e0C", ECommand::Inquiry, 7},
    SGrammar{"e1C", ECommand::RequestSense, 14},
    SGrammar{"e4#C", ECommand::MediaSize, 6},
    SGrammar{"f0###C", ECommand::ReadElementStatus, 12},
    SGrammar{"f1###?C", ECommand::PositionMedium, 6},
    SGrammar{"f2###?C", ECommand::OpenCloseElement, 6},
    SGrammar{"f3###11#####C", ECommand::Rotation, 6},
    SGrammar{"f4######C", ECommand::PrinterSetting, 6},
    SGrammar{"f5###C", ECommand::Leds, 6},
    SGrammar{"f6######C", ECommand::PrinterSetting, 6},
    SGrammar{"f7######C", ECommand::PrinterSetting, 6},
    SGrammar{"f@###C", ECommand::PrinterReady, 6},
    SGrammar{"f;###?C", ECommand::Counter, 11},
    SGrammar{"f:###C", ECommand::ReadText, 14},
    SGrammar{"f9###C$", ECommand::StoreText, 6},
    SGrammar{"b%C", ECommand::BaudRate, 5},
    SGrammar{"g0%C", ECommand::BeginFlash, 6},
    SGrammar{"g1C", ECommand::Restart, 6},
    SGrammar{"h1###C", ECommand::StorePrinter, 6},
    SGrammar{"h1C", ECommand::StoreSettings, 6},
};

enum class EMatch { Full, Partial, Fail };

struct SMatch {
    EMatch result = EMatch::Fail;
    std::size_t length = 0;          // of the text, when Full
    std::size_t headLength = 0;      // up to the closing letter
    std::vector<std::string> fields; // in pattern order
};

SMatch Match(const char* pattern, const std::string& text) {
    SMatch m;
    std::size_t ti = 0;
    for (const char* p = pattern; *p; ++p) {
        if (ti == text.size()) {
            m.result = EMatch::Partial;
            return m;
        }
        switch (*p) {
        case '#': {
            std::string field;
            for (; *p == '#'; ++p, ++ti) {
                if (ti == text.size()) {
                    m.result = EMatch::Partial;
                    return m;
                }
                if (!IsDigit(text[ti]))
                    return m;
                field += text[ti];
            }
            --p;
            m.fields.push_back(field);
            break;
        }
        case '%': {
            std::size_t n = 0;
            while (ti + n < text.size() && IsDigit(text[ti + n]) && n <= 7)
                ++n;
            if (n > 7)
                return m;
            if (ti + n == text.size()) {
                m.result = EMatch::Partial;
                return m;
            }
            if (n == 0)
                return m;
            m.fields.push_back(text.substr(ti, n));
            ti += n;
            break;
        }
        case '?':
            if (text[ti] < 0x21 || text[ti] > 0x7e)
                return m;
            m.fields.push_back(text.substr(ti, 1));
            ++ti;
            break;
        case '$':
            m.headLength = ti;
            if (text.size() - ti < 8) {
                m.result = EMatch::Partial;
                return m;
            }
            m.fields.push_back(text.substr(ti, 8));
            ti += 8;
            break;
        default:
            if (text[ti] != *p)
                return m;
            ++ti;
            break;
        }
    }
    m.result = EMatch::Full;
    m.length = ti;
    if (m.headLength == 0)
        m.headLength = ti;
    return m;
}

int ToInt(const std::string& digits) {
    return static_cast<int>(std::strtol(digits.c_str(), nullptr, 10));
}

SCommand Build(const SGrammar& g, const SMatch& m, const std::string& raw,
               const std::string& text) {
    SCommand c;
    c.kind = g.kind;
    c.raw = raw;
    c.head = text.substr(0, m.headLength);
    c.answerLength = g.answerLength;
    const auto& f = m.fields;
    switch (g.kind) {
    case ECommand::ReadElementStatus:
    case ECommand::ReadText:
    case ECommand::PrinterReady:
    case ECommand::StorePrinter:
        c.element = ToInt(f[0]);
        break;
    case ECommand::PrinterSetting:
        c.letter = text[1];
        c.element = ToInt(f[0].substr(0, 3));
        c.number = std::strtol(f[0].c_str() + 3, nullptr, 10);
        break;
    case ECommand::Rotation:
        c.element = ToInt(f[0]);
        c.number = std::strtol(f[1].c_str(), nullptr, 10);
        break;
    case ECommand::PositionMedium:
    case ECommand::OpenCloseElement:
        c.element = ToInt(f[0]);
        c.letter = f[1][0];
        break;
    case ECommand::StoreText:
        c.element = ToInt(f[0]);
        c.data = f[1];
        break;
    case ECommand::InkStoreSerial:
        c.data = f[0];
        break;
    case ECommand::InkSetting:
        c.element = f[0][0] - '0';
        c.number = std::strtol(f[0].c_str() + 1, nullptr, 10);
        break;
    case ECommand::InkReload:
        c.element = text[3] - '0'; // 2: again at an angle, 3: pocket disc from the bin
        c.number = std::strtol(f[0].c_str(), nullptr, 10);
        break;
    case ECommand::LoadFromBin:
    case ECommand::RotationalOffset:
    case ECommand::Leds:
    case ECommand::LeftMargin:
    case ECommand::TopMargin:
    case ECommand::MediaSize:
    case ECommand::BaudRate:
    case ECommand::BeginFlash:
        c.number = std::strtol(f[0].c_str(), nullptr, 10);
        break;
    case ECommand::Counter:
        // The dual-printer transporter names the printer before the counter digit.
        if (f.size() == 2)
            c.element = ToInt(f[0]);
        c.letter = f.back()[0];
        break;
    default:
        break;
    }
    return c;
}

} // namespace

CCommandParser::SItem CCommandParser::TakeJunk(std::size_t count) {
    SItem item;
    item.isJunk = true;
    item.junk = m_strPending.substr(0, count);
    m_strPending.erase(0, count);
    return item;
}

std::optional<CCommandParser::SItem> CCommandParser::Next() {
    if (m_strPending.empty())
        return std::nullopt;
    if (m_strPending[0] != kEsc)
        return TakeJunk(m_strPending.find(kEsc));

    // Printer commands first: their raw bytes must be taken off before an ESC among them could
    // be read as the start of a command.
    const SPrintMatch printed = MatchPrintCommand(m_strPending);
    if (printed.result == EPrintMatch::Partial)
        return std::nullopt;
    if (printed.result == EPrintMatch::Full) {
        SItem item;
        item.isPrint = true;
        item.print = printed.command;
        m_strPending.erase(0, item.print.raw.size());
        return item;
    }

    // A command never holds an ESC after its first byte: the next ESC ends whatever came before.
    const std::size_t nextEsc = m_strPending.find(kEsc, 1);
    const bool cut = nextEsc != std::string::npos;
    const std::string region = m_strPending.substr(0, nextEsc);
    const bool tooLong = region.size() > kMaxPending;

    if (region.size() == 1)
        return cut ? std::optional(TakeJunk(1)) : std::nullopt;
    if (region[1] != '!')
        return TakeJunk(region.size()); // a printer escape, not for the transporter

    const std::string text = region.substr(2);
    bool partial = false;
    const std::span<const SGrammar> grammars =
        m_set == ECommandSet::Inkographer ? std::span<const SGrammar>(kInkographerGrammars)
        : m_set == ECommandSet::Halcyra   ? std::span<const SGrammar>(kHalcyraGrammars)
                                          : std::span<const SGrammar>(kGrammars);
    for (const SGrammar& g : grammars) {
        const SMatch m = Match(g.pattern, text);
        if (m.result == EMatch::Full) {
            SItem item;
            item.command = Build(g, m, region.substr(0, 2 + m.length), text);
            m_strPending.erase(0, 2 + m.length);
            return item;
        }
        partial = partial || m.result == EMatch::Partial;
    }
    if (partial)
        return cut || tooLong ? std::optional(TakeJunk(region.size())) : std::nullopt;

    // No grammar fits: an unknown command, which ends with its closing letter within
    // kMaxPending bytes. A longer run is junk however it arrives: whole, or bit by bit.
    const std::size_t close = text.find_first_of("CH");
    if (close == std::string::npos || 2 + close + 1 > kMaxPending)
        return cut || tooLong ? std::optional(TakeJunk(region.size())) : std::nullopt;
    SItem item;
    item.command.kind = ECommand::Unknown;
    item.command.raw = region.substr(0, 2 + close + 1);
    item.command.head = text.substr(0, close + 1);
    item.command.answerLength = 6;
    m_strPending.erase(0, 2 + close + 1);
    return item;
}

std::optional<CCommandParser::SItem> CCommandParser::FlushIncomplete() {
    if (m_strPending.empty())
        return std::nullopt;
    return TakeJunk(m_strPending.size());
}

std::string CCommandParser::TakePending() {
    std::string rest;
    rest.swap(m_strPending);
    return rest;
}

} // namespace dax::sim
