// Checks run on untrusted property-list bytes before libplist sees them.
// libplist recurses once per nesting level, both when parsing and when
// freeing, so a deeply nested document overflows the stack; a binary document
// can also share one object many times (which libplist copies out in full)
// or refer to itself. Its XML reader also accepts numbers and dates that
// overflow or carry trailing junk and silently yields a different value, and
// takes a document whose closing tags are cut off, or that goes on after its
// root element, as if it were whole. These scans refuse all of that without
// building anything.
#include "corefoundation/CFInternal.h"

#include <charconv>
#include <cstring>
#include <vector>

namespace cf {
namespace {

// Most nodes a binary document may expand to once shared objects are copied out.
constexpr uint64_t kMaxExpandedNodes = 1u << 20;

bool startsWith(const UInt8* p, const UInt8* end, const char* text) {
    size_t n = strlen(text);
    return static_cast<size_t>(end - p) >= n && memcmp(p, text, n) == 0;
}

const UInt8* findText(const UInt8* p, const UInt8* end, const char* text) {
    size_t n = strlen(text);
    for (; static_cast<size_t>(end - p) >= n; ++p) {
        if (memcmp(p, text, n) == 0)
            return p;
    }
    return nullptr;
}

std::string_view trim(std::string_view s) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return s;
}

bool validInteger(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // libplist reads a leading zero as octal ("010" as 8, "08" as 0), where
    // the format means decimal.
    if (text.empty() || (base == 10 && text.size() > 1 && text[0] == '0'))
        return false;
    uint64_t magnitude = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    return magnitude <= limit;
}

bool validReal(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// libplist carries dates as whole seconds from 2001 in 32 bits; a date
// outside that span would come back as a different one.
bool dateInRange(double secondsSince2001) {
    return secondsSince2001 >= INT32_MIN && secondsSince2001 <= INT32_MAX;
}

// The published form: YYYY-MM-DDTHH:MM:SSZ.
bool validDate(std::string_view text) {
    text = trim(text);
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return false;
    int fields[6] = {};
    const size_t at[6] = {0, 5, 8, 11, 14, 17}, width[6] = {4, 2, 2, 2, 2, 2};
    const int lo[6] = {0, 1, 1, 0, 0, 0}, hi[6] = {9999, 12, 31, 23, 59, 60};
    for (int f = 0; f < 6; ++f) {
        for (size_t i = at[f]; i < at[f] + width[f]; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            fields[f] = fields[f] * 10 + (text[i] - '0');
        }
        if (fields[f] < lo[f] || fields[f] > hi[f])
            return false;
    }
    int64_t seconds = (daysFromCivil(fields[0], fields[1], fields[2]) - daysFromCivil(2001, 1, 1)) * 86400 +
                      fields[3] * 3600 + fields[4] * 60 + fields[5];
    return dateInRange(static_cast<double>(seconds));
}

uint64_t readBigEndian(const UInt8* p, int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

struct BinaryDocument {
    const UInt8* bytes;
    uint64_t objectsEnd; // objects lie before the offset table
    int offsetSize;
    int refSize;
    uint64_t count;
    uint64_t offsetTable;

    uint64_t offsetOf(uint64_t object) const {
        return readBigEndian(bytes + offsetTable + object * static_cast<uint64_t>(offsetSize), offsetSize);
    }
};

// Reads a length that follows a marker whose low nibble is 0xF: an integer object.
bool readLength(const BinaryDocument& doc, uint64_t& at, uint64_t& length) {
    if (at >= doc.objectsEnd)
        return false;
    UInt8 marker = doc.bytes[at++];
    if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3)
        return false;
    int n = 1 << (marker & 0x0F);
    if (doc.objectsEnd - at < static_cast<uint64_t>(n))
        return false;
    length = readBigEndian(doc.bytes + at, n);
    at += static_cast<uint64_t>(n);
    return length < (uint64_t(1) << 40);
}

// Checks one object's bounds and lists the objects it refers to.
bool inspectObject(const BinaryDocument& doc, uint64_t object, std::vector<uint64_t>& children) {
    children.clear();
    uint64_t at = doc.offsetOf(object);
    if (at < 8 || at >= doc.objectsEnd)
        return false;
    UInt8 marker = doc.bytes[at++];
    int kind = marker >> 4, low = marker & 0x0F;
    uint64_t length = static_cast<uint64_t>(low);
    uint64_t room = 0;
    auto fits = [&](uint64_t n) { return doc.objectsEnd - at >= n; };
    switch (kind) {
    case 0x0:
        return low == 0x0 || low == 0x8 || low == 0x9 || low == 0xF;
    case 0x1: {
        if (low > 4 || !fits(uint64_t(1) << low))
            return false;
        if (low < 4)
            return true;
        // A 16-byte integer: libplist keeps its low 8 bytes, so only a value
        // that 64 bits hold (the high half the sign of the low) reads back as itself.
        const UInt8 sign = (doc.bytes[at + 8] & 0x80) ? 0xFF : 0x00;
        for (int i = 0; i < 8; ++i) {
            if (doc.bytes[at + i] != sign)
                return false;
        }
        return true;
    }
    case 0x2:
        return (low == 2 || low == 3) && fits(uint64_t(1) << low);
    case 0x3: {
        if (low != 3 || !fits(8))
            return false;
        uint64_t bits = readBigEndian(doc.bytes + at, 8);
        double seconds;
        memcpy(&seconds, &bits, sizeof seconds);
        return dateInRange(seconds);
    }
    case 0x8:
        return fits(static_cast<uint64_t>(low) + 1);
    case 0x4: case 0x5: case 0x6: case 0xA: case 0xC: case 0xD:
        break;
    default:
        return false;
    }
    if (low == 0xF && !readLength(doc, at, length))
        return false;
    // libplist keeps strings NUL-terminated and asserts when one holds a NUL.
    if (kind == 0x4)
        return fits(length);
    if (kind == 0x5)
        return fits(length) && memchr(doc.bytes + at, 0, static_cast<size_t>(length)) == nullptr;
    if (kind == 0x6) {
        if (!fits(length * 2))
            return false;
        // libplist also drops unpaired surrogates, silently changing the text.
        bool awaitingLow = false;
        for (uint64_t i = 0; i < length; ++i) {
            const unsigned unit = static_cast<unsigned>(doc.bytes[at + 2 * i]) << 8 | doc.bytes[at + 2 * i + 1];
            const bool low = unit >= 0xDC00 && unit < 0xE000;
            if (unit == 0 || low != awaitingLow)
                return false;
            awaitingLow = unit >= 0xD800 && unit < 0xDC00;
        }
        return !awaitingLow;
    }
    uint64_t refs = kind == 0xD ? length * 2 : length;
    room = refs * static_cast<uint64_t>(doc.refSize);
    if (!fits(room))
        return false;
    for (uint64_t i = 0; i < refs; ++i) {
        uint64_t ref = readBigEndian(doc.bytes + at + i * static_cast<uint64_t>(doc.refSize), doc.refSize);
        if (ref >= doc.count)
            return false;
        children.push_back(ref);
    }
    return true;
}

} // namespace

// A character reference to NUL ("&#0;", "&#x00;"), which XML forbids and
// libplist cannot hold in a string.
bool referencesNul(const UInt8* bytes, const UInt8* end) {
    for (const UInt8* p = bytes; (p = findText(p, end, "&#")) != nullptr; p += 2) {
        const UInt8* q = p + 2;
        bool hex = q < end && (*q == 'x' || *q == 'X');
        if (hex)
            ++q;
        const UInt8* digits = q;
        while (q < end && *q == '0')
            ++q;
        if (q > digits && q < end && *q == ';')
            return true;
    }
    return false;
}

namespace {

constexpr const char* kXmlCutShort = "The XML property list is cut short: an element or markup is never closed";
constexpr const char* kXmlTrailing = "The XML property list is followed by other bytes after its root element";
constexpr const char* kXmlMismatch = "The XML property list is damaged: a closing tag does not match its element";
constexpr const char* kXmlUnsafe = "The XML property list is damaged or too deeply nested";

// Markup read past whole: comments and processing instructions, which may
// also stand outside the root element, and character data, which may not.
struct SkippedSection {
    const char* open;
    const char* close;
    bool outsideRoot;
};
constexpr SkippedSection kSkippedSections[] = {
    {"<!--", "-->", true}, {"<?", "?>", true}, {"<![CDATA[", "]]>", false}};

bool isSpace(UInt8 c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The '>' ending the tag that opens at `p`; a '>' inside a quoted attribute
// value does not count.
const UInt8* tagEnd(const UInt8* p, const UInt8* end) {
    UInt8 quote = 0;
    for (; p < end; ++p) {
        if (quote) {
            if (*p == quote)
                quote = 0;
        } else if (*p == '"' || *p == '\'') {
            quote = *p;
        } else if (*p == '>') {
            return p;
        }
    }
    return nullptr;
}

// The end of a document type declaration, past its internal subset if any.
const UInt8* doctypeEnd(const UInt8* p, const UInt8* end) {
    const UInt8* close = tagEnd(p, end);
    const UInt8* subset = static_cast<const UInt8*>(memchr(p, '[', static_cast<size_t>(end - p)));
    if (!subset || (close && close < subset))
        return close;
    const UInt8* subsetEnd = findText(subset, end, "]");
    return subsetEnd ? tagEnd(subsetEnd, end) : nullptr;
}

} // namespace

const char* xmlPropertyListFault(const UInt8* bytes, CFIndex length) {
    if (memchr(bytes, 0, static_cast<size_t>(length)) || referencesNul(bytes, bytes + length))
        return kXmlUnsafe;
    // Every open element, so each closing tag can be matched to its own; for
    // a dictionary, whether a key still awaits its value.
    struct Element {
        std::string_view name;
        bool dictionary;
        bool awaitingValue;
    };
    std::vector<Element> open;
    int containers = 0;
    bool rootSeen = false;
    const UInt8* p = bytes;
    const UInt8* end = bytes + length;
    if (length >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3;
    while (p < end) {
        const UInt8* lt = static_cast<const UInt8*>(memchr(p, '<', static_cast<size_t>(end - p)));
        // Outside the root element only white space may stand between markup.
        if (open.empty()) {
            for (const UInt8* q = p; q < (lt ? lt : end); ++q) {
                if (!isSpace(*q))
                    return rootSeen ? kXmlTrailing : kXmlUnsafe;
            }
        }
        if (!lt)
            break;
        p = lt;
        const SkippedSection* section = nullptr;
        for (const SkippedSection& s : kSkippedSections) {
            if (startsWith(p, end, s.open)) {
                section = &s;
                break;
            }
        }
        if (section) {
            if (open.empty() && !section->outsideRoot)
                return rootSeen ? kXmlTrailing : kXmlUnsafe;
            const UInt8* close = findText(p + strlen(section->open), end, section->close);
            if (!close)
                return kXmlCutShort;
            p = close + strlen(section->close);
            continue;
        }
        if (startsWith(p, end, "<!DOCTYPE")) {
            if (rootSeen)
                return kXmlTrailing;
            const UInt8* close = doctypeEnd(p + 9, end);
            if (!close)
                return kXmlCutShort;
            p = close + 1;
            continue;
        }
        const UInt8* close = tagEnd(p + 1, end);
        if (!close)
            return kXmlCutShort;
        bool closing = p[1] == '/';
        const UInt8* nameStart = p + (closing ? 2 : 1);
        const UInt8* nameEnd = nameStart;
        while (nameEnd < close && !isSpace(*nameEnd) && *nameEnd != '/')
            ++nameEnd;
        std::string_view name(reinterpret_cast<const char*>(nameStart), static_cast<size_t>(nameEnd - nameStart));
        if (name.empty() || name[0] == '!')
            return kXmlUnsafe;
        bool selfClosing = !closing && close[-1] == '/';
        bool container = name == "array" || name == "dict";
        p = close + 1;
        if (closing) {
            for (const UInt8* q = nameEnd; q < close; ++q) {
                if (!isSpace(*q))
                    return kXmlMismatch;
            }
            if (open.empty())
                return kXmlTrailing;
            if (open.back().name != name)
                return kXmlMismatch;
            if (open.back().dictionary && open.back().awaitingValue)
                return kXmlUnsafe;
            containers -= container;
            open.pop_back();
            continue;
        }
        if (open.empty() && rootSeen)
            return kXmlTrailing;
        rootSeen = true;
        bool isKey = name == "key";
        bool isValue = container || name == "string" || name == "integer" || name == "real" || name == "date" ||
                       name == "data" || name == "true" || name == "false";
        if (!open.empty() && open.back().dictionary && (isKey || isValue)) {
            Element& dict = open.back();
            if (isKey == dict.awaitingValue)
                return kXmlUnsafe; // two keys in a row, or a value without its key
            dict.awaitingValue = isKey;
        }
        if (selfClosing)
            continue;
        if (container && ++containers > kMaxPropertyListDepth)
            return kXmlUnsafe;
        open.push_back({name, name == "dict", false});
        if (name == "integer" || name == "real" || name == "date" || name == "data") {
            const UInt8* textEnd = static_cast<const UInt8*>(memchr(p, '<', static_cast<size_t>(end - p)));
            if (!textEnd)
                return kXmlCutShort;
            std::string_view text(reinterpret_cast<const char*>(p), static_cast<size_t>(textEnd - p));
            bool valid = name == "integer" ? validInteger(text)
                         : name == "real"  ? validReal(text)
                         : name == "date"  ? validDate(text)
                                           : true;
            // Markup inside such an element (a comment, a CDATA section)
            // makes libplist read another value than the text means, or
            // empty data, without a word.
            if (!valid || !startsWith(textEnd, end, "</"))
                return kXmlUnsafe;
            p = textEnd;
        }
    }
    if (!open.empty())
        return kXmlCutShort;
    return rootSeen ? nullptr : kXmlUnsafe;
}

bool binaryPropertyListIsSafe(const UInt8* bytes, CFIndex length) {
    if (length < 8 + 32)
        return false;
    const UInt8* trailer = bytes + length - 32;
    BinaryDocument doc;
    doc.bytes = bytes;
    doc.offsetSize = trailer[6];
    doc.refSize = trailer[7];
    doc.count = readBigEndian(trailer + 8, 8);
    uint64_t top = readBigEndian(trailer + 16, 8);
    doc.offsetTable = readBigEndian(trailer + 24, 8);
    const uint64_t tableLimit = static_cast<uint64_t>(length) - 32;
    if (doc.offsetSize < 1 || doc.offsetSize > 8 || doc.refSize < 1 || doc.refSize > 8 || doc.count == 0 ||
        top >= doc.count || doc.offsetTable < 9 || doc.offsetTable > tableLimit ||
        doc.count > (tableLimit - doc.offsetTable) / static_cast<uint64_t>(doc.offsetSize))
        return false;
    doc.objectsEnd = doc.offsetTable;

    // Depth-first walk without recursion: finds cycles, measures depth and
    // counts the nodes the document expands to.
    enum : UInt8 { Unseen, OnPath, Done };
    std::vector<UInt8> state(static_cast<size_t>(doc.count), Unseen);
    std::vector<uint64_t> expanded(static_cast<size_t>(doc.count), 0);
    struct Frame {
        uint64_t object;
        std::vector<uint64_t> children;
        size_t next;
    };
    std::vector<Frame> stack;
    std::vector<uint64_t> children;
    if (!inspectObject(doc, top, children))
        return false;
    stack.push_back({top, children, 0});
    state[static_cast<size_t>(top)] = OnPath;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.children.size()) {
            uint64_t child = frame.children[frame.next++];
            UInt8& s = state[static_cast<size_t>(child)];
            if (s == OnPath)
                return false;
            if (s == Done)
                continue;
            if (stack.size() >= static_cast<size_t>(kMaxPropertyListDepth) || !inspectObject(doc, child, children))
                return false;
            s = OnPath;
            stack.push_back({child, children, 0});
            continue;
        }
        uint64_t total = 1;
        for (uint64_t child : frame.children) {
            total += expanded[static_cast<size_t>(child)];
            if (total > kMaxExpandedNodes)
                return false;
        }
        expanded[static_cast<size_t>(frame.object)] = total;
        state[static_cast<size_t>(frame.object)] = Done;
        stack.pop_back();
    }
    return true;
}

} // namespace cf
