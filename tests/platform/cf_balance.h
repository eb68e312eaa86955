// Fixture for CoreFoundation tests: every test must leave as many live
// objects as it found and must not release anything twice.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreFoundation/OrvantaCFTesting.h>
#include <gtest/gtest.h>

#include <string>

class CFBalanced : public ::testing::Test {
protected:
    void SetUp() override {
        mLive = OrvantaCFLiveObjectCount();
        mOverReleases = OrvantaCFOverReleaseCount();
    }
    void TearDown() override {
        EXPECT_EQ(OrvantaCFLiveObjectCount(), mLive) << "CF objects leaked or were freed twice";
        EXPECT_EQ(OrvantaCFOverReleaseCount(), mOverReleases) << "a CF object was released too often";
    }

    // For tests that over-release on purpose.
    void ExpectOverReleases(CFIndex n) { mOverReleases += n; }
    // For objects the library keeps for the life of the process (the main
    // bundle, bundles with loaded code): counts from here on.
    void Rebaseline() { mLive = OrvantaCFLiveObjectCount(); }

private:
    CFIndex mLive = 0;
    CFIndex mOverReleases = 0;
};

// The string's UTF-8 text, or "<null>" for no string.
inline std::string Utf8(CFStringRef s) {
    if (!s)
        return "<null>";
    CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
    std::string out(static_cast<size_t>(size), '\0');
    if (!CFStringGetCString(s, out.data(), size, kCFStringEncodingUTF8))
        return "<unconvertible>";
    out.resize(strlen(out.c_str()));
    return out;
}

// Takes ownership of a created object and releases it at scope end.
template <class T>
class CFOwned {
public:
    explicit CFOwned(T object = nullptr) : mObject(object) {}
    ~CFOwned() {
        if (mObject)
            CFRelease(mObject);
    }
    CFOwned(const CFOwned&) = delete;
    CFOwned& operator=(const CFOwned&) = delete;
    T get() const { return mObject; }
    operator T() const { return mObject; }
    explicit operator bool() const { return mObject != nullptr; }

private:
    T mObject;
};
