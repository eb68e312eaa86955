// Property lists in the XML and binary formats, read and written through
// libplist. Input is untrusted (presets and state from other machines):
// every malformed document gives NULL and an error, never a crash.
#include "corefoundation/CFInternal.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

static constinit cf::ConstString gUIDKey("CF$UID");

namespace cf {
namespace {

// libplist keeps 32-bit lengths.
constexpr CFIndex kMaxDocumentBytes = 0x7FFFFFFF;

struct PlistFree {
    void operator()(plist_t node) const {
        if (node)
            plist_free(node);
    }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

void setError(CFErrorRef* error, CFIndex code, const char* description) {
    if (!error)
        return;
    CFStringRef text = CFStringCreateWithCString(nullptr, description, kCFStringEncodingUTF8);
    const void* keys[] = {kCFErrorDescriptionKey};
    const void* values[] = {text};
    CFDictionaryRef info = CFDictionaryCreate(nullptr, keys, values, text ? 1 : 0, &kCFTypeDictionaryKeyCallBacks,
                                              &kCFTypeDictionaryValueCallBacks);
    *error = CFErrorCreate(nullptr, kCFErrorDomainCocoa, code, info);
    if (info)
        CFRelease(info);
    if (text)
        CFRelease(text);
}

CFTypeRef fromNode(CFAllocatorRef allocator, plist_t node, CFOptionFlags options, int depth);

CFTypeRef arrayFromNode(CFAllocatorRef allocator, plist_t node, CFOptionFlags options, int depth) {
    uint32_t count = plist_array_get_size(node);
    CFMutableArrayRef array = CFArrayCreateMutable(allocator, 0, &kCFTypeArrayCallBacks);
    if (!array)
        return nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        CFTypeRef item = fromNode(allocator, plist_array_get_item(node, i), options, depth + 1);
        if (!item) {
            CFRelease(array);
            return nullptr;
        }
        CFArrayAppendValue(array, item);
        CFRelease(item);
    }
    if (options != kCFPropertyListImmutable)
        return array;
    CFArrayRef frozen = CFArrayCreateCopy(allocator, array);
    CFRelease(array);
    return frozen;
}

CFTypeRef dictionaryFromNode(CFAllocatorRef allocator, plist_t node, CFOptionFlags options, int depth) {
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(allocator, 0, &kCFTypeDictionaryKeyCallBacks,
                                                            &kCFTypeDictionaryValueCallBacks);
    if (!dict)
        return nullptr;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    bool ok = iter != nullptr || plist_dict_get_size(node) == 0;
    while (ok && iter) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &key, &value);
        if (!value) {
            free(key);
            break;
        }
        CFStringRef cfKey = key ? createStringFromUTF8(allocator, key) : nullptr;
        free(key);
        CFTypeRef cfValue = cfKey ? fromNode(allocator, value, options, depth + 1) : nullptr;
        if (cfKey && cfValue)
            CFDictionarySetValue(dict, cfKey, cfValue);
        else
            ok = false;
        if (cfKey)
            CFRelease(cfKey);
        if (cfValue)
            CFRelease(cfValue);
    }
    free(iter);
    if (!ok) {
        CFRelease(dict);
        return nullptr;
    }
    if (options != kCFPropertyListImmutable)
        return dict;
    CFDictionaryRef frozen = CFDictionaryCreateCopy(allocator, dict);
    CFRelease(dict);
    return frozen;
}

CFTypeRef fromNode(CFAllocatorRef allocator, plist_t node, CFOptionFlags options, int depth) {
    if (!node || depth > kMaxPropertyListDepth)
        return nullptr;
    const bool mutableLeaves = options == kCFPropertyListMutableContainersAndLeaves;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value ? kCFBooleanTrue : kCFBooleanFalse;
    }
    case PLIST_UINT: {
        // Integers are 64-bit signed here; libplist hands negatives over in two's complement.
        uint64_t raw = 0;
        plist_get_uint_val(node, &raw);
        int64_t value = static_cast<int64_t>(raw);
        return CFNumberCreate(allocator, kCFNumberSInt64Type, &value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return CFNumberCreate(allocator, kCFNumberFloat64Type, &value);
    }
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        if (!text)
            return nullptr;
        CFTypeRef s = mutableLeaves ? static_cast<CFTypeRef>(createMutableStringFromUTF8(allocator, text))
                                    : static_cast<CFTypeRef>(createStringFromUTF8(allocator, text));
        free(text);
        return s;
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        if (length > static_cast<uint64_t>(kMaxDocumentBytes) || (length > 0 && !bytes))
            return nullptr;
        if (mutableLeaves) {
            CFMutableDataRef data = CFDataCreateMutable(allocator, 0);
            CFDataAppendBytes(data, reinterpret_cast<const UInt8*>(bytes), static_cast<CFIndex>(length));
            return data;
        }
        return CFDataCreate(allocator, reinterpret_cast<const UInt8*>(bytes), static_cast<CFIndex>(length));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return CFDateCreate(allocator, static_cast<double>(sec) + static_cast<double>(usec) / 1e6);
    }
    case PLIST_ARRAY:
        return arrayFromNode(allocator, node, options, depth);
    case PLIST_DICT:
        return dictionaryFromNode(allocator, node, options, depth);
    case PLIST_UID: {
        // Keyed-archive references read as {"CF$UID" = n}, as the XML form writes them.
        uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        int64_t value = static_cast<int64_t>(uid);
        CFNumberRef number = CFNumberCreate(allocator, kCFNumberSInt64Type, &value);
        const void* keys[] = {&gUIDKey};
        const void* values[] = {number};
        CFTypeRef dict = number ? CFDictionaryCreate(allocator, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                                     &kCFTypeDictionaryValueCallBacks)
                                : nullptr;
        if (number)
            CFRelease(number);
        return dict;
    }
    default:
        return nullptr;
    }
}

plist_t toNode(CFTypeRef cf, int depth);

plist_t arrayToNode(CFArrayRef array, int depth) {
    plist_t node = plist_new_array();
    CFIndex count = CFArrayGetCount(array);
    for (CFIndex i = 0; i < count; ++i) {
        plist_t item = toNode(CFArrayGetValueAtIndex(array, i), depth + 1);
        if (!item) {
            plist_free(node);
            return nullptr;
        }
        plist_array_append_item(node, item);
    }
    return node;
}

plist_t dictionaryToNode(CFDictionaryRef dict, int depth) {
    CFIndex count = CFDictionaryGetCount(dict);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    // Keys are written in sorted order so equal dictionaries give equal documents.
    std::vector<std::pair<std::string, const void*>> entries;
    for (CFIndex i = 0; i < count; ++i) {
        std::string key;
        if (!isType(keys[static_cast<size_t>(i)], kTypeString) ||
            !stringToUTF8(static_cast<CFStringRef>(keys[static_cast<size_t>(i)]), key) ||
            key.find('\0') != std::string::npos)
            return nullptr;
        entries.emplace_back(std::move(key), values[static_cast<size_t>(i)]);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    plist_t node = plist_new_dict();
    for (const auto& entry : entries) {
        plist_t item = toNode(entry.second, depth + 1);
        if (!item) {
            plist_free(node);
            return nullptr;
        }
        plist_dict_set_item(node, entry.first.c_str(), item);
    }
    return node;
}

plist_t toNode(CFTypeRef cf, int depth) {
    if (!cf || depth > kMaxPropertyListDepth)
        return nullptr;
    switch (CFGetTypeID(cf)) {
    case kTypeString: {
        std::string text;
        // libplist carries strings NUL-terminated, so an embedded NUL cannot be written.
        if (!stringToUTF8(static_cast<CFStringRef>(cf), text) || text.find('\0') != std::string::npos)
            return nullptr;
        return plist_new_string(text.c_str());
    }
    case kTypeNumber: {
        auto number = static_cast<CFNumberRef>(cf);
        if (CFNumberIsFloatType(number)) {
            double value = 0;
            CFNumberGetValue(number, kCFNumberFloat64Type, &value);
            return plist_new_real(value);
        }
        int64_t value = 0;
        CFNumberGetValue(number, kCFNumberSInt64Type, &value);
        return plist_new_uint(static_cast<uint64_t>(value));
    }
    case kTypeBoolean:
        return plist_new_bool(CFBooleanGetValue(static_cast<CFBooleanRef>(cf)) ? 1 : 0);
    case kTypeData: {
        auto data = static_cast<CFDataRef>(cf);
        return plist_new_data(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                              static_cast<uint64_t>(CFDataGetLength(data)));
    }
    case kTypeDate: {
        double t = CFDateGetAbsoluteTime(static_cast<CFDateRef>(cf));
        double seconds = std::floor(t);
        if (!(seconds >= INT32_MIN && seconds <= INT32_MAX))
            return nullptr;
        auto usec = static_cast<int32_t>(std::lround((t - seconds) * 1e6));
        auto sec = static_cast<int32_t>(seconds);
        if (usec >= 1000000) {
            if (sec == INT32_MAX)
                return nullptr;
            ++sec;
            usec -= 1000000;
        }
        return plist_new_date(sec, usec);
    }
    case kTypeArray:
        return arrayToNode(static_cast<CFArrayRef>(cf), depth);
    case kTypeDictionary:
        return dictionaryToNode(static_cast<CFDictionaryRef>(cf), depth);
    default:
        return nullptr;
    }
}

CFTypeRef deepCopy(CFAllocatorRef allocator, CFTypeRef cf, CFOptionFlags options, int depth) {
    if (!cf || depth > kMaxPropertyListDepth)
        return nullptr;
    const bool mutableLeaves = options == kCFPropertyListMutableContainersAndLeaves;
    switch (CFGetTypeID(cf)) {
    case kTypeString:
        return mutableLeaves ? static_cast<CFTypeRef>(CFStringCreateMutableCopy(allocator, 0, static_cast<CFStringRef>(cf)))
                             : static_cast<CFTypeRef>(CFStringCreateCopy(allocator, static_cast<CFStringRef>(cf)));
    case kTypeData:
        return mutableLeaves ? static_cast<CFTypeRef>(CFDataCreateMutableCopy(allocator, 0, static_cast<CFDataRef>(cf)))
                             : static_cast<CFTypeRef>(CFDataCreateCopy(allocator, static_cast<CFDataRef>(cf)));
    case kTypeNumber:
    case kTypeBoolean:
    case kTypeDate:
        return CFRetain(cf);
    case kTypeArray: {
        auto array = static_cast<CFArrayRef>(cf);
        CFMutableArrayRef copy = CFArrayCreateMutable(allocator, 0, &kCFTypeArrayCallBacks);
        for (CFIndex i = 0; copy && i < CFArrayGetCount(array); ++i) {
            CFTypeRef item = deepCopy(allocator, CFArrayGetValueAtIndex(array, i), options, depth + 1);
            if (!item) {
                CFRelease(copy);
                return nullptr;
            }
            CFArrayAppendValue(copy, item);
            CFRelease(item);
        }
        if (!copy || options != kCFPropertyListImmutable)
            return copy;
        CFArrayRef frozen = CFArrayCreateCopy(allocator, copy);
        CFRelease(copy);
        return frozen;
    }
    case kTypeDictionary: {
        auto dict = static_cast<CFDictionaryRef>(cf);
        CFIndex count = CFDictionaryGetCount(dict);
        std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
        CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
        CFMutableDictionaryRef copy = CFDictionaryCreateMutable(allocator, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
        for (size_t i = 0; copy && i < keys.size(); ++i) {
            CFTypeRef key = isType(keys[i], kTypeString) ? CFStringCreateCopy(allocator, static_cast<CFStringRef>(keys[i])) : nullptr;
            CFTypeRef value = key ? deepCopy(allocator, values[i], options, depth + 1) : nullptr;
            if (key && value)
                CFDictionarySetValue(copy, key, value);
            if (key)
                CFRelease(key);
            if (!value) {
                CFRelease(copy);
                return nullptr;
            }
            CFRelease(value);
        }
        if (!copy || options != kCFPropertyListImmutable)
            return copy;
        CFDictionaryRef frozen = CFDictionaryCreateCopy(allocator, copy);
        CFRelease(copy);
        return frozen;
    }
    default:
        return nullptr;
    }
}

bool looksLikeXML(const UInt8* bytes, CFIndex length) {
    CFIndex i = 0;
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        i = 3;
    while (i < length && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return i < length && bytes[i] == '<';
}

} // namespace

bool isPropertyListObject(CFTypeRef cf, int depth) {
    if (!cf || depth > kMaxPropertyListDepth)
        return false;
    switch (CFGetTypeID(cf)) {
    case kTypeString:
    case kTypeNumber:
    case kTypeBoolean:
    case kTypeData:
    case kTypeDate:
        return true;
    case kTypeArray: {
        auto array = static_cast<CFArrayRef>(cf);
        for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
            if (!isPropertyListObject(CFArrayGetValueAtIndex(array, i), depth + 1))
                return false;
        }
        return true;
    }
    case kTypeDictionary: {
        auto dict = static_cast<CFDictionaryRef>(cf);
        CFIndex count = CFDictionaryGetCount(dict);
        std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
        CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
        for (size_t i = 0; i < keys.size(); ++i) {
            if (!isType(keys[i], kTypeString) || !isPropertyListObject(values[i], depth + 1))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace cf

using namespace cf;

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef allocator, CFDataRef data, CFOptionFlags options,
                                               CFPropertyListFormat* format, CFErrorRef* error) {
    if (error)
        *error = nullptr;
    if (!isType(data, kTypeData) || options > kCFPropertyListMutableContainersAndLeaves) {
        setError(error, kCFPropertyListReadCorruptError, "No property list data or bad options");
        return nullptr;
    }
    const UInt8* bytes = CFDataGetBytePtr(data);
    CFIndex length = CFDataGetLength(data);
    if (length < 6 || length > kMaxDocumentBytes) {
        setError(error, kCFPropertyListReadCorruptError, "The data is too short or too long to be a property list");
        return nullptr;
    }
    plist_t root = nullptr;
    CFPropertyListFormat found;
    if (memcmp(bytes, "bplist", 6) == 0) {
        if (length < 8 || memcmp(bytes, "bplist00", 8) != 0) {
            setError(error, kCFPropertyListReadUnknownVersionError, "Unknown binary property list version");
            return nullptr;
        }
        found = kCFPropertyListBinaryFormat_v1_0;
        if (!binaryPropertyListIsSafe(bytes, length)) {
            setError(error, kCFPropertyListReadCorruptError, "The binary property list is damaged or too deeply nested");
            return nullptr;
        }
        plist_from_bin(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(length), &root);
    } else if (looksLikeXML(bytes, length)) {
        found = kCFPropertyListXMLFormat_v1_0;
        if (const char* fault = xmlPropertyListFault(bytes, length)) {
            setError(error, kCFPropertyListReadCorruptError, fault);
            return nullptr;
        }
        plist_from_xml(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(length), &root);
    } else {
        // The old OpenStep text format is not read.
        setError(error, kCFPropertyListReadCorruptError, "Not an XML or binary property list");
        return nullptr;
    }
    PlistPtr owner(root);
    CFTypeRef result = root ? fromNode(allocator, root, options, 0) : nullptr;
    if (!result) {
        setError(error, kCFPropertyListReadCorruptError, "The property list is damaged");
        return nullptr;
    }
    if (format)
        *format = found;
    return result;
}

CFDataRef CFPropertyListCreateData(CFAllocatorRef allocator, CFPropertyListRef propertyList, CFPropertyListFormat format,
                                   CFOptionFlags, CFErrorRef* error) {
    if (error)
        *error = nullptr;
    if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0) {
        setError(error, kCFPropertyListWriteStreamError, "Only the XML and binary formats can be written");
        return nullptr;
    }
    PlistPtr root(toNode(propertyList, 0));
    if (!root) {
        setError(error, kCFPropertyListWriteStreamError, "The object is not a valid property list");
        return nullptr;
    }
    char* out = nullptr;
    uint32_t length = 0;
    if (format == kCFPropertyListXMLFormat_v1_0)
        plist_to_xml(root.get(), &out, &length);
    else
        plist_to_bin(root.get(), &out, &length);
    CFDataRef data = out ? CFDataCreate(allocator, reinterpret_cast<const UInt8*>(out), static_cast<CFIndex>(length)) : nullptr;
    if (out) {
        if (format == kCFPropertyListXMLFormat_v1_0)
            plist_to_xml_free(out);
        else
            plist_to_bin_free(out);
    }
    if (!data)
        setError(error, kCFPropertyListWriteStreamError, "The property list could not be written");
    return data;
}

CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef allocator, CFPropertyListRef propertyList,
                                               CFOptionFlags mutabilityOption) {
    if (mutabilityOption > kCFPropertyListMutableContainersAndLeaves)
        return nullptr;
    return deepCopy(allocator, propertyList, mutabilityOption, 0);
}

Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format) {
    if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0)
        return false;
    return isPropertyListObject(plist, 0);
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData, CFOptionFlags mutabilityOption,
                                                  CFStringRef* errorString) {
    CFErrorRef error = nullptr;
    CFPropertyListRef result =
        CFPropertyListCreateWithData(allocator, xmlData, mutabilityOption, nullptr, errorString ? &error : nullptr);
    if (errorString)
        *errorString = error ? CFErrorCopyDescription(error) : nullptr;
    if (error)
        CFRelease(error);
    return result;
}

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef propertyList) {
    return CFPropertyListCreateData(allocator, propertyList, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
}
