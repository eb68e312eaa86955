// printf-style formatting for CFString: the C conversions with their flags,
// widths, precisions and length modifiers, positional arguments (%1$d), and
// %@ for any CF object (its description; a string stands for itself).
#include "corefoundation/CFInternal.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace cf {
namespace {

enum class ArgType { None, Int, Long, LongLong, SizeT, PtrDiff, IntMax, Double, LongDouble, Pointer, Object };

struct Arg {
    ArgType type = ArgType::None;
    long long i = 0;
    double d = 0;
    long double ld = 0;
    const void* p = nullptr;
};

struct Directive {
    size_t literalStart = 0; // characters of plain text before this conversion
    size_t literalEnd = 0;
    size_t end = 0; // just past the conversion character
    std::string flags;
    int width = -1;
    int widthArg = -1; // argument index holding the width ('*'), or -1
    int precision = -1;
    int precisionArg = -1;
    std::string length;
    char16_t conversion = 0;
    int arg = -1; // argument index of the value
};

bool isFlag(char16_t c) {
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '\'';
}

bool isDigit(char16_t c) {
    return c >= '0' && c <= '9';
}

ArgType integerType(const std::string& length) {
    if (length == "l")
        return ArgType::Long;
    if (length == "ll" || length == "q")
        return ArgType::LongLong;
    if (length == "z")
        return ArgType::SizeT;
    if (length == "t")
        return ArgType::PtrDiff;
    if (length == "j")
        return ArgType::IntMax;
    return ArgType::Int;
}

// The argument type a conversion consumes; None for an unknown conversion.
ArgType typeOf(const Directive& directive) {
    switch (directive.conversion) {
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
        return integerType(directive.length);
    case 'D': case 'U': case 'O':
        return ArgType::Long;
    case 'c': case 'C':
        return ArgType::Int;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        return directive.length == "L" ? ArgType::LongDouble : ArgType::Double;
    case 's': case 'S': case 'p': case 'n':
        return ArgType::Pointer;
    case '@':
        return ArgType::Object;
    default:
        return ArgType::None;
    }
}

// Reads a decimal number; -1 when there is none.
int readNumber(const std::u16string& f, size_t& i) {
    if (i >= f.size() || !isDigit(f[i]))
        return -1;
    long n = 0;
    while (i < f.size() && isDigit(f[i])) {
        n = n * 10 + (f[i] - '0');
        if (n > 100000)
            n = 100000;
        ++i;
    }
    return static_cast<int>(n);
}

// Reads "n$" after a number; returns the zero-based index or -1.
int readPosition(const std::u16string& f, size_t& i) {
    size_t save = i;
    int n = readNumber(f, i);
    if (n > 0 && i < f.size() && f[i] == '$') {
        ++i;
        return n - 1;
    }
    i = save;
    return -1;
}

bool parse(const std::u16string& f, std::vector<Directive>& directives, size_t& tailStart) {
    size_t i = 0;
    size_t literalStart = 0;
    int nextArg = 0;
    while (i < f.size()) {
        if (f[i] != '%') {
            ++i;
            continue;
        }
        Directive directive;
        directive.literalStart = literalStart;
        directive.literalEnd = i;
        ++i;
        if (i < f.size() && f[i] == '%') {
            directive.conversion = '%';
            ++i;
            directive.end = i;
            literalStart = i;
            directives.push_back(directive);
            continue;
        }
        int position = readPosition(f, i);
        while (i < f.size() && isFlag(f[i]))
            directive.flags.push_back(static_cast<char>(f[i++]));
        if (i < f.size() && f[i] == '*') {
            ++i;
            int p = readPosition(f, i);
            directive.widthArg = p >= 0 ? p : nextArg++;
        } else {
            directive.width = readNumber(f, i);
        }
        if (i < f.size() && f[i] == '.') {
            ++i;
            if (i < f.size() && f[i] == '*') {
                ++i;
                int p = readPosition(f, i);
                directive.precisionArg = p >= 0 ? p : nextArg++;
            } else {
                int p = readNumber(f, i);
                directive.precision = p < 0 ? 0 : p;
            }
        }
        while (i < f.size() && (f[i] == 'h' || f[i] == 'l' || f[i] == 'q' || f[i] == 'z' || f[i] == 't' || f[i] == 'j' || f[i] == 'L'))
            directive.length.push_back(static_cast<char>(f[i++]));
        if (i >= f.size())
            return false;
        directive.conversion = f[i++];
        directive.end = i;
        if (typeOf(directive) != ArgType::None)
            directive.arg = position >= 0 ? position : nextArg++;
        literalStart = i;
        directives.push_back(directive);
    }
    tailStart = literalStart;
    return true;
}

bool setType(std::vector<Arg>& args, int index, ArgType type) {
    if (index < 0)
        return true;
    if (index > 1000)
        return false;
    if (static_cast<size_t>(index) >= args.size())
        args.resize(static_cast<size_t>(index) + 1);
    Arg& a = args[static_cast<size_t>(index)];
    if (a.type != ArgType::None && a.type != type)
        return false;
    a.type = type;
    return true;
}

// Fetches every argument in position order; a gap in the positions leaves an
// argument whose type is unknown, which cannot be skipped safely.
bool fetch(std::vector<Arg>& args, va_list ap) {
    for (Arg& a : args) {
        switch (a.type) {
        case ArgType::None: return false;
        case ArgType::Int: a.i = va_arg(ap, int); break;
        case ArgType::Long: a.i = va_arg(ap, long); break;
        case ArgType::LongLong: a.i = va_arg(ap, long long); break;
        case ArgType::SizeT: a.i = static_cast<long long>(va_arg(ap, size_t)); break;
        case ArgType::PtrDiff: a.i = va_arg(ap, ptrdiff_t); break;
        case ArgType::IntMax: a.i = va_arg(ap, intmax_t); break;
        case ArgType::Double: a.d = va_arg(ap, double); break;
        case ArgType::LongDouble: a.ld = va_arg(ap, long double); break;
        case ArgType::Pointer:
        case ArgType::Object: a.p = va_arg(ap, const void*); break;
        }
    }
    return true;
}

void appendUTF8(std::u16string& out, const std::string& text) {
    std::u16string chars;
    if (!utf8ToUTF16(text, chars))
        decodeBytes(reinterpret_cast<const UInt8*>(text.data()), static_cast<CFIndex>(text.size()),
                    kCFStringEncodingMacRoman, false, chars);
    out += chars;
}

// Pads text to the field width on the side the '-' flag selects.
void appendPadded(std::u16string& out, const std::u16string& text, const Directive& directive, int width) {
    size_t pad = width > 0 && static_cast<size_t>(width) > text.size() ? static_cast<size_t>(width) - text.size() : 0;
    bool left = directive.flags.find('-') != std::string::npos;
    if (!left)
        out.append(pad, u' ');
    out += text;
    if (left)
        out.append(pad, u' ');
}

std::string cSpec(const Directive& directive, int width, int precision, const char* length, char conversion) {
    std::string s(1, '%');
    s += directive.flags;
    if (width >= 0)
        s += std::to_string(width);
    if (precision >= 0) {
        s += '.';
        s += std::to_string(precision);
    }
    s += length;
    s += conversion;
    return s;
}

template <class T>
std::string cFormat(const std::string& directive, T value) {
    char small[128];
    int n = snprintf(small, sizeof small, directive.c_str(), value);
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    snprintf(big.data(), big.size(), directive.c_str(), value);
    big.resize(static_cast<size_t>(n));
    return big;
}

std::u16string objectText(const void* object, int precision) {
    std::u16string text;
    if (!object) {
        text = u"(null)";
    } else {
        CFStringRef description = isType(object, kTypeString) ? static_cast<CFStringRef>(CFRetain(object))
                                                              : copyDescriptionOrAddress(object);
        CFIndex length = 0;
        const UniChar* chars = stringCharacters(description, &length);
        if (chars)
            text.assign(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
        CFRelease(description);
    }
    if (precision >= 0 && static_cast<size_t>(precision) < text.size())
        text.resize(static_cast<size_t>(precision));
    return text;
}

std::u16string cStringText(const char* s, int precision) {
    if (!s)
        return u"(null)";
    size_t n = precision >= 0 ? strnlen(s, static_cast<size_t>(precision)) : strlen(s);
    std::u16string text;
    appendUTF8(text, std::string(s, n));
    return text;
}

std::u16string uniStringText(const UniChar* s, int precision) {
    if (!s)
        return u"(null)";
    std::u16string text;
    for (size_t i = 0; s[i] && (precision < 0 || i < static_cast<size_t>(precision)); ++i)
        text.push_back(static_cast<char16_t>(s[i]));
    return text;
}

void formatOne(std::u16string& out, const Directive& directive, const std::vector<Arg>& args) {
    int width = directive.width;
    int precision = directive.precision;
    std::string flags = directive.flags;
    if (directive.widthArg >= 0) {
        width = static_cast<int>(args[static_cast<size_t>(directive.widthArg)].i);
        if (width < 0) {
            width = -width;
            flags += '-';
        }
        if (width > 100000)
            width = 100000;
    }
    if (directive.precisionArg >= 0) {
        precision = static_cast<int>(args[static_cast<size_t>(directive.precisionArg)].i);
        if (precision < 0)
            precision = -1;
        if (precision > 100000)
            precision = 100000;
    }
    Directive effective = directive;
    effective.flags = flags;
    const Arg* a = directive.arg >= 0 ? &args[static_cast<size_t>(directive.arg)] : nullptr;
    char16_t conv = directive.conversion;
    switch (conv) {
    case '%':
        out.push_back(u'%');
        return;
    case '@':
        appendPadded(out, objectText(a->p, precision), effective, width);
        return;
    case 's':
        if (directive.length == "l") {
            std::u16string text;
            const wchar_t* w = static_cast<const wchar_t*>(a->p);
            if (!w) {
                text = u"(null)";
            } else {
                for (size_t i = 0; w[i] && (precision < 0 || i < static_cast<size_t>(precision)); ++i) {
                    uint32_t c = static_cast<uint32_t>(w[i]);
                    if (c >= 0x10000 && c <= 0x10FFFF) {
                        text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                        text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
                    } else {
                        text.push_back(static_cast<char16_t>(c <= 0xFFFF ? c : 0xFFFD));
                    }
                }
            }
            appendPadded(out, text, effective, width);
        } else {
            appendPadded(out, cStringText(static_cast<const char*>(a->p), precision), effective, width);
        }
        return;
    case 'S':
        appendPadded(out, uniStringText(static_cast<const UniChar*>(a->p), precision), effective, width);
        return;
    case 'C':
        appendPadded(out, std::u16string(1, static_cast<char16_t>(a->i)), effective, width);
        return;
    case 'c': {
        std::u16string text;
        if (directive.length == "l") {
            text.push_back(static_cast<char16_t>(a->i));
        } else {
            UInt8 byte = static_cast<UInt8>(a->i);
            decodeBytes(&byte, 1, kCFStringEncodingISOLatin1, false, text);
        }
        appendPadded(out, text, effective, width);
        return;
    }
    case 'p': {
        std::string text = cFormat("%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(a->p)));
        std::u16string chars;
        appendUTF8(chars, "0x" + text);
        appendPadded(out, chars, effective, width);
        return;
    }
    case 'n':
        // Writing through a caller's pointer from a format string is refused.
        return;
    default:
        break;
    }
    std::string text;
    switch (typeOf(directive)) {
    case ArgType::Double:
        text = cFormat(cSpec(effective, width, precision, "", static_cast<char>(conv)), a->d);
        break;
    case ArgType::LongDouble:
        text = cFormat(cSpec(effective, width, precision, "L", static_cast<char>(conv)), a->ld);
        break;
    default: {
        char c = static_cast<char>(conv == 'D' ? 'd' : conv == 'U' ? 'u' : conv == 'O' ? 'o' : conv);
        bool isSigned = c == 'd' || c == 'i';
        long long v = a->i;
        // Narrow to the declared size so %hd, %hhx and friends print as C does.
        if (directive.length == "h")
            v = isSigned ? static_cast<short>(v) : static_cast<unsigned short>(v);
        else if (directive.length == "hh")
            v = isSigned ? static_cast<signed char>(v) : static_cast<unsigned char>(v);
        else if (typeOf(directive) == ArgType::Int && !isSigned)
            v = static_cast<unsigned int>(v);
        std::string f = cSpec(effective, width, precision, "ll", c);
        text = isSigned ? cFormat(f, v) : cFormat(f, static_cast<unsigned long long>(v));
        break;
    }
    }
    appendUTF8(out, text);
}

} // namespace

bool formatAppend(std::u16string& out, CFStringRef format, va_list ap) {
    CFIndex length = 0;
    const UniChar* chars = stringCharacters(format, &length);
    if (!chars)
        return false;
    std::u16string f(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
    std::vector<Directive> directives;
    size_t tail = 0;
    if (!parse(f, directives, tail))
        return false;
    std::vector<Arg> args;
    for (const Directive& directive : directives) {
        if (!setType(args, directive.widthArg, ArgType::Int) || !setType(args, directive.precisionArg, ArgType::Int) ||
            !setType(args, directive.arg, typeOf(directive)))
            return false;
    }
    va_list copy;
    va_copy(copy, ap);
    bool fetched = fetch(args, copy);
    va_end(copy);
    if (!fetched)
        return false;
    for (const Directive& directive : directives) {
        out.append(f, directive.literalStart, directive.literalEnd - directive.literalStart);
        if (typeOf(directive) == ArgType::None && directive.conversion != '%') {
            // An unknown conversion is kept as text and consumes no argument.
            out.append(f, directive.literalEnd, directive.end - directive.literalEnd);
            continue;
        }
        formatOne(out, directive, args);
    }
    out.append(f, tail, std::u16string::npos);
    return true;
}

} // namespace cf
