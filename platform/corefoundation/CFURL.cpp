// URLs: the text of a URL (percent-encoded, as RFC 3986 writes it) and an
// optional base it is relative to. File URLs are made from and turned back
// into POSIX paths.
#include "corefoundation/CFInternal.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The pieces of a URL text; `has*` tell an empty piece from an absent one.
struct URLParts {
    std::string scheme;
    bool hasAuthority = false;
    std::string authority;
    std::string path;
    bool hasQuery = false;
    std::string query;
    bool hasFragment = false;
    std::string fragment;
};

URLParts split(const std::string& text) {
    URLParts p;
    size_t i = 0;
    size_t colon = text.find(':');
    if (colon != std::string::npos && colon > 0 && isalpha(static_cast<unsigned char>(text[0]))) {
        bool valid = true;
        for (size_t k = 1; k < colon; ++k) {
            char c = text[k];
            if (!isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
                valid = false;
        }
        if (valid) {
            p.scheme = text.substr(0, colon);
            i = colon + 1;
        }
    }
    if (text.compare(i, 2, "//") == 0) {
        p.hasAuthority = true;
        size_t end = text.find_first_of("/?#", i + 2);
        if (end == std::string::npos)
            end = text.size();
        p.authority = text.substr(i + 2, end - i - 2);
        i = end;
    }
    size_t end = text.find_first_of("?#", i);
    if (end == std::string::npos)
        end = text.size();
    p.path = text.substr(i, end - i);
    i = end;
    if (i < text.size() && text[i] == '?') {
        p.hasQuery = true;
        end = text.find('#', i);
        if (end == std::string::npos)
            end = text.size();
        p.query = text.substr(i + 1, end - i - 1);
        i = end;
    }
    if (i < text.size() && text[i] == '#') {
        p.hasFragment = true;
        p.fragment = text.substr(i + 1);
    }
    return p;
}

std::string join(const URLParts& p) {
    std::string text;
    if (!p.scheme.empty())
        text += p.scheme + ":";
    if (p.hasAuthority)
        text += "//" + p.authority;
    text += p.path;
    if (p.hasQuery)
        text += "?" + p.query;
    if (p.hasFragment)
        text += "#" + p.fragment;
    return text;
}

std::string removeDotSegments(const std::string& path) {
    std::string in = path, out;
    while (!in.empty()) {
        if (in.compare(0, 3, "../") == 0) {
            in.erase(0, 3);
        } else if (in.compare(0, 2, "./") == 0) {
            in.erase(0, 2);
        } else if (in.compare(0, 3, "/./") == 0) {
            in.erase(0, 2);
        } else if (in == "/.") {
            in.pop_back();
        } else if (in.compare(0, 4, "/../") == 0 || in == "/..") {
            in = in.size() == 3 ? "/" : in.substr(3);
            size_t slash = out.rfind('/');
            out.erase(slash == std::string::npos ? 0 : slash);
        } else if (in == "." || in == "..") {
            in.clear();
        } else {
            size_t next = in.find('/', in[0] == '/' ? 1 : 0);
            if (next == std::string::npos)
                next = in.size();
            out += in.substr(0, next);
            in.erase(0, next);
        }
    }
    return out;
}

// RFC 3986 section 5.2.2.
std::string resolve(const std::string& relative, const std::string& baseText) {
    URLParts r = split(relative), b = split(baseText), t;
    if (!r.scheme.empty()) {
        t = r;
        t.path = removeDotSegments(r.path);
        return join(t);
    }
    t.scheme = b.scheme;
    if (r.hasAuthority) {
        t.hasAuthority = true;
        t.authority = r.authority;
        t.path = removeDotSegments(r.path);
        t.hasQuery = r.hasQuery;
        t.query = r.query;
    } else {
        t.hasAuthority = b.hasAuthority;
        t.authority = b.authority;
        if (r.path.empty()) {
            t.path = b.path;
            t.hasQuery = r.hasQuery || b.hasQuery;
            t.query = r.hasQuery ? r.query : b.query;
        } else {
            if (r.path[0] == '/') {
                t.path = removeDotSegments(r.path);
            } else {
                std::string merged;
                if (b.hasAuthority && b.path.empty()) {
                    merged = "/" + r.path;
                } else {
                    size_t slash = b.path.rfind('/');
                    merged = (slash == std::string::npos ? std::string() : b.path.substr(0, slash + 1)) + r.path;
                }
                t.path = removeDotSegments(merged);
            }
            t.hasQuery = r.hasQuery;
            t.query = r.query;
        }
    }
    t.hasFragment = r.hasFragment;
    t.fragment = r.fragment;
    return join(t);
}

bool isUnreserved(unsigned char c) {
    return isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isAllowedInURL(unsigned char c) {
    return isUnreserved(c) || (c && strchr(":/?#[]@!$&'()*+,;=%", c) != nullptr);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Percent-encodes a path; '/' stays a separator.
std::string encodePath(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (isUnreserved(c) || (c && strchr("/!$&'()*+,;=:@", c))) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

// Decodes %XX escapes, except those for characters in `keep`; false on a
// malformed escape or an escaped NUL.
bool decodePercent(const std::string& in, std::string& out, const std::string* keep = nullptr) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            out.push_back(in[i]);
            continue;
        }
        if (i + 2 >= in.size())
            return false;
        int hi = hexValue(in[i + 1]), lo = hexValue(in[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        char c = static_cast<char>(hi * 16 + lo);
        if (c == 0)
            return false;
        if (keep && keep->find(c) != std::string::npos) {
            out.append(in, i, 3);
        } else {
            out.push_back(c);
        }
        i += 2;
    }
    return true;
}

bool validURLText(const std::string& text) {
    if (text.empty())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!isAllowedInURL(c))
            return false;
        if (c == '%' && (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0))
            return false;
    }
    return true;
}

} // namespace

struct __CFURL : cf::ObjectHeader {
    std::string text;
    CFURLRef base; // retained, or null
    std::atomic<CFStringRef> cachedString{nullptr}; // made on first CFURLGetString

    __CFURL(std::string t, CFURLRef b) : ObjectHeader(cf::kTypeURL, 0), text(std::move(t)), base(b) {}
};

namespace cf {
namespace {

const __CFURL* asURL(CFURLRef u) {
    return isType(u, kTypeURL) ? u : nullptr;
}

void finalizeURL(CFTypeRef cf) {
    auto* u = const_cast<__CFURL*>(static_cast<const __CFURL*>(cf));
    if (u->base)
        CFRelease(u->base);
    if (CFStringRef s = u->cachedString.load())
        CFRelease(s);
    std::destroy_at(&u->text);
}

bool equalURLs(CFTypeRef a, CFTypeRef b) {
    auto* x = static_cast<const __CFURL*>(a);
    auto* y = static_cast<const __CFURL*>(b);
    if (x->text != y->text)
        return false;
    if (!x->base || !y->base)
        return x->base == y->base;
    return CFEqual(x->base, y->base);
}

CFHashCode hashURL(CFTypeRef cf) {
    return static_cast<CFHashCode>(std::hash<std::string>()(static_cast<const __CFURL*>(cf)->text));
}

CFStringRef describeURL(CFTypeRef cf) {
    auto* u = static_cast<const __CFURL*>(cf);
    if (!u->base)
        return createStringFromUTF8(nullptr, u->text);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s -- %@"), u->text.c_str(), u->base);
}

// The absolute text of a URL: resolved against its base, recursively.
std::string absoluteText(const __CFURL* u) {
    if (!u->base)
        return u->text;
    return resolve(u->text, absoluteText(u->base));
}

CFURLRef newURL(CFAllocatorRef allocator, std::string text, CFURLRef base) {
    if (base && !asURL(base))
        return nullptr;
    if (!split(text).scheme.empty())
        base = nullptr;
    __CFURL* u = createObject<__CFURL>(allocator, std::move(text), base);
    if (u && base)
        CFRetain(base);
    return u;
}

bool isFileURLText(const URLParts& p) {
    if (p.scheme.size() != 4 || strncasecmp(p.scheme.c_str(), "file", 4) != 0)
        return false;
    return !p.hasAuthority || p.authority.empty() || strcasecmp(p.authority.c_str(), "localhost") == 0;
}

// File-system path of a URL: its own path when `resolveBase` is false and it
// is relative, else the absolute one. Trailing '/' is dropped except for "/".
bool filePath(const __CFURL* u, bool resolveBase, std::string& out) {
    URLParts own = split(u->text);
    std::string encoded;
    if (resolveBase || !own.scheme.empty()) {
        URLParts abs = split(absoluteText(u));
        if (!isFileURLText(abs))
            return false;
        encoded = abs.path;
    } else {
        if (own.hasAuthority)
            return false;
        encoded = own.path;
    }
    if (!decodePercent(encoded, out))
        return false;
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return !out.empty();
}

std::string currentDirectoryURLText() {
    char buffer[4096];
    std::string cwd(getcwd(buffer, sizeof buffer) ? buffer : "/");
    if (cwd.back() != '/')
        cwd.push_back('/');
    std::string text("file://");
    text += encodePath(cwd);
    return text;
}

CFURLRef urlFromPath(CFAllocatorRef allocator, const std::string& path, bool isDirectory, CFURLRef base) {
    if (path.empty())
        return nullptr;
    std::string encoded = encodePath(path);
    if (isDirectory && encoded.back() != '/')
        encoded.push_back('/');
    if (path[0] == '/')
        return newURL(allocator, "file://" + encoded, nullptr);
    if (base)
        return newURL(allocator, encoded, base);
    CFURLRef cwd = newURL(allocator, currentDirectoryURLText(), nullptr);
    if (!cwd)
        return nullptr;
    CFURLRef url = newURL(allocator, encoded, cwd);
    CFRelease(cwd);
    return url;
}

// The path piece of a URL as written, without a trailing '/' (except "/").
std::string trimmedPath(const __CFURL* u) {
    std::string path = split(u->text).path;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

CFURLRef withPath(CFAllocatorRef allocator, const __CFURL* u, const std::string& path) {
    URLParts p = split(u->text);
    p.path = path;
    p.hasQuery = false;
    p.hasFragment = false;
    return newURL(allocator, join(p), u->base);
}

} // namespace

const TypeClass kURLClass = {"CFURL", finalizeURL, equalURLs, hashURL, describeURL};

} // namespace cf

using namespace cf;

CFTypeID CFURLGetTypeID(void) {
    return kTypeURL;
}

CFURLRef CFURLCreateWithBytes(CFAllocatorRef allocator, const UInt8* URLBytes, CFIndex length, CFStringEncoding encoding,
                              CFURLRef baseURL) {
    CFStringRef string = CFStringCreateWithBytes(allocator, URLBytes, length, encoding, false);
    if (!string)
        return nullptr;
    CFURLRef url = CFURLCreateWithString(allocator, string, baseURL);
    CFRelease(string);
    return url;
}

CFDataRef CFURLCreateData(CFAllocatorRef allocator, CFURLRef url, CFStringEncoding, Boolean) {
    const __CFURL* u = asURL(url);
    if (!u)
        return nullptr;
    return CFDataCreate(allocator, reinterpret_cast<const UInt8*>(u->text.data()), static_cast<CFIndex>(u->text.size()));
}

CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef baseURL) {
    std::string text;
    if (!stringToUTF8(URLString, text) || !validURLText(text))
        return nullptr;
    return newURL(allocator, text, baseURL);
}

// Only POSIX paths are understood; the HFS and Windows styles give NULL.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory) {
    return CFURLCreateWithFileSystemPathRelativeToBase(allocator, filePath, pathStyle, isDirectory, nullptr);
}

CFURLRef CFURLCreateWithFileSystemPathRelativeToBase(CFAllocatorRef allocator, CFStringRef filePath,
                                                     CFURLPathStyle pathStyle, Boolean isDirectory, CFURLRef baseURL) {
    std::string path;
    if (pathStyle != kCFURLPOSIXPathStyle || !stringToUTF8(filePath, path) || path.find('\0') != std::string::npos)
        return nullptr;
    return urlFromPath(allocator, path, isDirectory, baseURL);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
    return CFURLCreateFromFileSystemRepresentationRelativeToBase(allocator, buffer, bufLen, isDirectory, nullptr);
}

CFURLRef CFURLCreateFromFileSystemRepresentationRelativeToBase(CFAllocatorRef allocator, const UInt8* buffer,
                                                               CFIndex bufLen, Boolean isDirectory, CFURLRef baseURL) {
    if (!buffer || bufLen <= 0)
        return nullptr;
    std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
    path.resize(strnlen(path.c_str(), path.size()));
    return urlFromPath(allocator, path, isDirectory, baseURL);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxBufLen) {
    const __CFURL* u = asURL(url);
    std::string path;
    if (!u || !buffer || maxBufLen <= 0 || !filePath(u, resolveAgainstBase, path))
        return false;
    if (static_cast<CFIndex>(path.size()) + 1 > maxBufLen)
        return false;
    memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}

CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL) {
    const __CFURL* u = asURL(relativeURL);
    if (!u)
        return nullptr;
    if (!u->base)
        return static_cast<CFURLRef>(CFRetain(u));
    return newURL(nullptr, absoluteText(u), nullptr);
}

CFStringRef CFURLGetString(CFURLRef anURL) {
    __CFURL* u = const_cast<__CFURL*>(asURL(anURL));
    if (!u)
        return nullptr;
    CFStringRef cached = u->cachedString.load(std::memory_order_acquire);
    if (cached)
        return cached;
    CFStringRef made = createStringFromUTF8(nullptr, u->text);
    if (!made)
        return nullptr;
    if (!u->cachedString.compare_exchange_strong(cached, made, std::memory_order_acq_rel)) {
        CFRelease(made);
        return cached;
    }
    return made;
}

CFURLRef CFURLGetBaseURL(CFURLRef anURL) {
    const __CFURL* u = asURL(anURL);
    return u ? u->base : nullptr;
}

Boolean CFURLCanBeDecomposed(CFURLRef anURL) {
    const __CFURL* u = asURL(anURL);
    if (!u)
        return false;
    URLParts p = split(absoluteText(u));
    return p.scheme.empty() || p.hasAuthority || (!p.path.empty() && p.path[0] == '/');
}

CFStringRef CFURLCopyScheme(CFURLRef anURL) {
    const __CFURL* u = asURL(anURL);
    if (!u)
        return nullptr;
    URLParts p = split(absoluteText(u));
    return p.scheme.empty() ? nullptr : createStringFromUTF8(nullptr, p.scheme);
}

CFStringRef CFURLCopyHostName(CFURLRef anURL) {
    const __CFURL* u = asURL(anURL);
    if (!u)
        return nullptr;
    URLParts p = split(absoluteText(u));
    if (!p.hasAuthority || p.authority.empty())
        return nullptr;
    std::string host = p.authority;
    size_t at = host.rfind('@');
    if (at != std::string::npos)
        host.erase(0, at + 1);
    if (!host.empty() && host[0] == '[') {
        size_t close = host.find(']');
        host = host.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        size_t colon = host.find(':');
        if (colon != std::string::npos)
            host.erase(colon);
    }
    std::string decoded;
    if (!decodePercent(host, decoded))
        return nullptr;
    return createStringFromUTF8(nullptr, decoded);
}

CFStringRef CFURLCopyPath(CFURLRef anURL) {
    const __CFURL* u = asURL(anURL);
    return u ? createStringFromUTF8(nullptr, split(u->text).path) : nullptr;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
    const __CFURL* u = asURL(anURL);
    std::string path;
    if (!u || pathStyle != kCFURLPOSIXPathStyle || !filePath(u, false, path))
        return nullptr;
    return createStringFromUTF8(nullptr, path);
}

Boolean CFURLHasDirectoryPath(CFURLRef anURL) {
    const __CFURL* u = asURL(anURL);
    if (!u)
        return false;
    std::string path = split(u->text).path;
    return !path.empty() && path.back() == '/';
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
    const __CFURL* u = asURL(url);
    if (!u)
        return nullptr;
    std::string path = trimmedPath(u);
    if (path != "/") {
        size_t slash = path.rfind('/');
        if (slash != std::string::npos)
            path.erase(0, slash + 1);
    }
    std::string decoded;
    if (!decodePercent(path, decoded))
        return nullptr;
    return createStringFromUTF8(nullptr, decoded);
}

CFStringRef CFURLCopyPathExtension(CFURLRef url) {
    CFStringRef last = CFURLCopyLastPathComponent(url);
    std::string name;
    bool ok = stringToUTF8(last, name);
    if (last)
        CFRelease(last);
    size_t dot = ok ? name.rfind('.') : std::string::npos;
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
        return nullptr;
    return createStringFromUTF8(nullptr, name.substr(dot + 1));
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef allocator, CFURLRef url, CFStringRef pathComponent,
                                               Boolean isDirectory) {
    const __CFURL* u = asURL(url);
    std::string component;
    if (!u || !stringToUTF8(pathComponent, component) || component.find('\0') != std::string::npos)
        return nullptr;
    std::string path = split(u->text).path;
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    path += encodePath(component);
    if (isDirectory && path.back() != '/')
        path.push_back('/');
    return withPath(allocator, u, path);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url) {
    const __CFURL* u = asURL(url);
    if (!u)
        return nullptr;
    std::string path = trimmedPath(u);
    if (path == "/")
        return withPath(allocator, u, path);
    size_t slash = path.rfind('/');
    return withPath(allocator, u, slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1));
}

CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef allocator, CFURLRef url, CFStringRef extension) {
    const __CFURL* u = asURL(url);
    std::string ext;
    if (!u || !stringToUTF8(extension, ext) || ext.empty())
        return nullptr;
    std::string path = split(u->text).path;
    bool directory = path.size() > 1 && path.back() == '/';
    path = trimmedPath(u);
    if (path.empty() || path == "/")
        return nullptr;
    path += '.';
    path += encodePath(ext);
    if (directory)
        path.push_back('/');
    return withPath(allocator, u, path);
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef allocator, CFURLRef url) {
    const __CFURL* u = asURL(url);
    if (!u)
        return nullptr;
    std::string path = split(u->text).path;
    bool directory = path.size() > 1 && path.back() == '/';
    path = trimmedPath(u);
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot != std::string::npos && dot > nameStart)
        path.erase(dot);
    if (directory)
        path.push_back('/');
    return withPath(allocator, u, path);
}

CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef allocator, CFStringRef originalString,
                                                       CFStringRef charactersToLeaveEscaped) {
    std::string text;
    if (!stringToUTF8(originalString, text))
        return nullptr;
    if (!charactersToLeaveEscaped)
        return CFStringCreateCopy(allocator, originalString);
    std::string keep, decoded;
    if (!stringToUTF8(charactersToLeaveEscaped, keep) || !decodePercent(text, decoded, &keep))
        return nullptr;
    return createStringFromUTF8(allocator, decoded);
}

Boolean CFURLResourceIsReachable(CFURLRef url, CFErrorRef* error) {
    if (error)
        *error = nullptr;
    const __CFURL* u = asURL(url);
    std::string path;
    if (!u || !filePath(u, true, path))
        return false;
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        return true;
    if (error)
        *error = CFErrorCreate(nullptr, kCFErrorDomainPOSIX, errno, nullptr);
    return false;
}
