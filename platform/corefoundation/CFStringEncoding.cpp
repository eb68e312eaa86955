// Conversion between UTF-16 string contents and the byte encodings strings
// are made from and written to.
#include "corefoundation/CFInternal.h"

namespace cf {
namespace {

const UniChar kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Windows code page 1252 differs from ISO Latin-1 only in 0x80..0x9F; 0 marks
// the five unassigned bytes.
const UniChar kWindowsLatin1Controls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool isHighSurrogate(UniChar c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(UniChar c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void appendScalar(std::u16string& out, uint32_t scalar) {
    if (scalar >= 0x10000) {
        scalar -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (scalar >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (scalar & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(scalar));
    }
}

// Single-byte encodings: byte to character (0 when unassigned, except byte 0).
UniChar singleByteToChar(CFStringEncoding encoding, UInt8 byte) {
    if (byte < 0x80)
        return byte;
    switch (encoding) {
    case kCFStringEncodingMacRoman:
        return kMacRomanHigh[byte - 0x80];
    case kCFStringEncodingISOLatin1:
        return byte;
    case kCFStringEncodingWindowsLatin1:
        return byte < 0xA0 ? kWindowsLatin1Controls[byte - 0x80] : byte;
    default:
        return 0;
    }
}

bool charToSingleByte(CFStringEncoding encoding, UniChar c, UInt8* byte) {
    if (c < 0x80) {
        *byte = static_cast<UInt8>(c);
        return true;
    }
    if (encoding == kCFStringEncodingASCII)
        return false;
    if (encoding == kCFStringEncodingISOLatin1 && c <= 0xFF) {
        *byte = static_cast<UInt8>(c);
        return true;
    }
    if (encoding == kCFStringEncodingWindowsLatin1 && c >= 0xA0 && c <= 0xFF) {
        *byte = static_cast<UInt8>(c);
        return true;
    }
    for (int b = 0x80; b <= 0xFF; ++b) {
        UniChar mapped = singleByteToChar(encoding, static_cast<UInt8>(b));
        if (mapped && mapped == c) {
            *byte = static_cast<UInt8>(b);
            return true;
        }
    }
    return false;
}

bool isSingleByte(CFStringEncoding encoding) {
    return encoding == kCFStringEncodingMacRoman || encoding == kCFStringEncodingISOLatin1 ||
           encoding == kCFStringEncodingWindowsLatin1 || encoding == kCFStringEncodingASCII;
}

enum class Order { Little, Big };

uint32_t readUnit(const UInt8* p, int width, Order order) {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
        int shift = order == Order::Little ? 8 * i : 8 * (width - 1 - i);
        v |= static_cast<uint32_t>(p[i]) << shift;
    }
    return v;
}

void writeUnit(UInt8* p, uint32_t v, int width, Order order) {
    for (int i = 0; i < width; ++i) {
        int shift = order == Order::Little ? 8 * i : 8 * (width - 1 - i);
        p[i] = static_cast<UInt8>(v >> shift);
    }
}

// Byte order and unit width of the UTF-16/UTF-32 encodings.
bool unicodeLayout(CFStringEncoding encoding, int* width, Order* order, bool* byBOM) {
    *byBOM = false;
    switch (encoding) {
    case kCFStringEncodingUTF16: *width = 2; *order = Order::Little; *byBOM = true; return true;
    case kCFStringEncodingUTF16BE: *width = 2; *order = Order::Big; return true;
    case kCFStringEncodingUTF16LE: *width = 2; *order = Order::Little; return true;
    case kCFStringEncodingUTF32: *width = 4; *order = Order::Little; *byBOM = true; return true;
    case kCFStringEncodingUTF32BE: *width = 4; *order = Order::Big; return true;
    case kCFStringEncodingUTF32LE: *width = 4; *order = Order::Little; return true;
    default: return false;
    }
}

bool decodeUTF8(const UInt8* p, CFIndex n, std::u16string& out) {
    CFIndex i = 0;
    while (i < n) {
        UInt8 b = p[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra;
        uint32_t scalar, minimum;
        if ((b & 0xE0) == 0xC0) {
            extra = 1; scalar = b & 0x1F; minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2; scalar = b & 0x0F; minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3; scalar = b & 0x07; minimum = 0x10000;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            UInt8 c = p[i + k];
            if ((c & 0xC0) != 0x80)
                return false;
            scalar = (scalar << 6) | (c & 0x3F);
        }
        if (scalar < minimum || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF))
            return false;
        appendScalar(out, scalar);
        i += extra + 1;
    }
    return true;
}

} // namespace

bool utf8ToUTF16(std::string_view in, std::u16string& out) {
    out.clear();
    out.reserve(in.size());
    return decodeUTF8(reinterpret_cast<const UInt8*>(in.data()), static_cast<CFIndex>(in.size()), out);
}

bool utf16ToUTF8(const UniChar* chars, CFIndex length, std::string& out) {
    out.clear();
    out.reserve(static_cast<size_t>(length));
    for (CFIndex i = 0; i < length; ++i) {
        uint32_t c = chars[i];
        if (isHighSurrogate(static_cast<UniChar>(c))) {
            if (i + 1 >= length || !isLowSurrogate(chars[i + 1]))
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (chars[i + 1] - 0xDC00);
            ++i;
        } else if (isLowSurrogate(static_cast<UniChar>(c))) {
            return false;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return true;
}

bool isSupportedEncoding(CFStringEncoding encoding) {
    int width;
    Order order;
    bool byBOM;
    return encoding == kCFStringEncodingUTF8 || isSingleByte(encoding) ||
           unicodeLayout(encoding, &width, &order, &byBOM);
}

bool decodeBytes(const UInt8* bytes, CFIndex length, CFStringEncoding encoding, bool external, std::u16string& out) {
    out.clear();
    if (length < 0 || (length > 0 && !bytes))
        return false;
    if (encoding == kCFStringEncodingUTF8) {
        if (external && length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            length -= 3;
        }
        return decodeUTF8(bytes, length, out);
    }
    if (isSingleByte(encoding)) {
        out.reserve(static_cast<size_t>(length));
        for (CFIndex i = 0; i < length; ++i) {
            if (encoding == kCFStringEncodingASCII && bytes[i] >= 0x80)
                return false;
            UniChar c = singleByteToChar(encoding, bytes[i]);
            if (c == 0 && bytes[i] != 0)
                return false;
            out.push_back(c);
        }
        return true;
    }
    int width;
    Order order;
    bool byBOM;
    if (!unicodeLayout(encoding, &width, &order, &byBOM) || length % width != 0)
        return false;
    if (byBOM && length >= width) {
        uint32_t bom = width == 2 ? 0xFEFF : 0x0000FEFF;
        if (readUnit(bytes, width, Order::Little) == bom) {
            order = Order::Little;
            bytes += width;
            length -= width;
        } else if (readUnit(bytes, width, Order::Big) == bom) {
            order = Order::Big;
            bytes += width;
            length -= width;
        } else if (external) {
            // Without a mark, external UTF-16/32 is big-endian.
            order = Order::Big;
        }
    }
    out.reserve(static_cast<size_t>(length / width));
    for (CFIndex i = 0; i < length; i += width) {
        uint32_t unit = readUnit(bytes + i, width, order);
        if (width == 2) {
            out.push_back(static_cast<char16_t>(unit));
        } else {
            if (unit > 0x10FFFF || (unit >= 0xD800 && unit <= 0xDFFF))
                return false;
            appendScalar(out, unit);
        }
    }
    return true;
}

CFIndex encodeChars(const UniChar* chars, CFIndex length, CFStringEncoding encoding, UInt8 lossByte, bool external,
                    UInt8* buffer, CFIndex maxBytes, CFIndex* usedBytes) {
    CFIndex used = 0;
    CFIndex consumed = 0;
    auto room = [&](CFIndex n) { return !buffer || used + n <= maxBytes; };
    auto finish = [&]() {
        if (usedBytes)
            *usedBytes = used;
        return consumed;
    };
    if (!isSupportedEncoding(encoding))
        return finish();

    int width = 0;
    Order order = Order::Little;
    bool byBOM = false;
    bool unicode = unicodeLayout(encoding, &width, &order, &byBOM);
    if (unicode && byBOM && external && length > 0) {
        if (!room(width))
            return finish();
        if (buffer)
            writeUnit(buffer + used, 0xFEFF, width, order);
        used += width;
    }

    while (consumed < length) {
        UniChar c = chars[consumed];
        CFIndex units = 1;
        uint32_t scalar = c;
        bool pair = isHighSurrogate(c) && consumed + 1 < length && isLowSurrogate(chars[consumed + 1]);
        bool lone = !pair && (isHighSurrogate(c) || isLowSurrogate(c));
        if (pair) {
            scalar = 0x10000 + ((c - 0xD800u) << 10) + (chars[consumed + 1] - 0xDC00u);
            units = 2;
        }
        UInt8 bytes[4];
        int n = 0;
        bool ok = true;
        if (encoding == kCFStringEncodingUTF8) {
            if (lone) {
                ok = false;
            } else if (scalar < 0x80) {
                bytes[n++] = static_cast<UInt8>(scalar);
            } else if (scalar < 0x800) {
                bytes[n++] = static_cast<UInt8>(0xC0 | (scalar >> 6));
                bytes[n++] = static_cast<UInt8>(0x80 | (scalar & 0x3F));
            } else if (scalar < 0x10000) {
                bytes[n++] = static_cast<UInt8>(0xE0 | (scalar >> 12));
                bytes[n++] = static_cast<UInt8>(0x80 | ((scalar >> 6) & 0x3F));
                bytes[n++] = static_cast<UInt8>(0x80 | (scalar & 0x3F));
            } else {
                bytes[n++] = static_cast<UInt8>(0xF0 | (scalar >> 18));
                bytes[n++] = static_cast<UInt8>(0x80 | ((scalar >> 12) & 0x3F));
                bytes[n++] = static_cast<UInt8>(0x80 | ((scalar >> 6) & 0x3F));
                bytes[n++] = static_cast<UInt8>(0x80 | (scalar & 0x3F));
            }
        } else if (unicode && width == 2) {
            // UTF-16 carries every unit as it is, lone surrogates included.
            units = 1;
            writeUnit(bytes, c, 2, order);
            n = 2;
        } else if (unicode) {
            if (lone) {
                ok = false;
            } else {
                writeUnit(bytes, scalar, 4, order);
                n = 4;
            }
        } else {
            units = pair ? 2 : 1;
            ok = !pair && charToSingleByte(encoding, c, &bytes[0]);
            n = 1;
        }
        if (!ok) {
            if (!lossByte)
                break;
            bytes[0] = lossByte;
            n = 1;
        }
        if (!room(n))
            break;
        if (buffer) {
            for (int k = 0; k < n; ++k)
                buffer[used + k] = bytes[k];
        }
        used += n;
        consumed += units;
    }
    return finish();
}

} // namespace cf
