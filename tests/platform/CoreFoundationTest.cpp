// The Core Foundation stand-in: reference counts, containers, numbers, text.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/CoreFoundation.h"

namespace {

CFStringRef text(const char* value) { return CFStringCreateWithCString(nullptr, value, kCFStringEncodingUTF8); }

TEST(CoreFoundation, ContainersRetainWhatTheyHoldAndReleaseItWithThemselvesAndOtherKindsAnswerNothing)
{
    CFStringRef key = text("name"), value = text("Lead"), other = text("Pad");
    CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dict, key, value);
    EXPECT_EQ(2, CFGetRetainCount(key));
    CFDictionarySetValue(dict, CFSTR("name"), other);  // an equal key replaces the value
    EXPECT_EQ(1, CFDictionaryGetCount(dict));
    EXPECT_EQ(1, CFGetRetainCount(value));
    EXPECT_EQ(other, CFDictionaryGetValue(dict, CFSTR("name")));
    CFRelease(dict);
    EXPECT_EQ((std::pair<CFIndex, CFIndex>(1, 1)), std::pair(CFGetRetainCount(key), CFGetRetainCount(other)));

    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(array, value);
    EXPECT_EQ(2, CFGetRetainCount(value));
    EXPECT_FALSE(CFArrayGetValueAtIndex(array, 1) || CFArrayGetValueAtIndex(array, -1));
    CFRelease(array);
    EXPECT_EQ(1, CFGetRetainCount(value));
    // Calls on the wrong kind of object answer nothing.
    EXPECT_EQ(0, CFDataGetLength(reinterpret_cast<CFDataRef>(value)));
    EXPECT_EQ(nullptr, CFDictionaryGetValue(reinterpret_cast<CFDictionaryRef>(value), CFSTR("x")));
    EXPECT_EQ(kCFNotATypeID, CFGetTypeID(nullptr));
    CFRelease(nullptr);
    for (CFStringRef s : {key, value, other}) CFRelease(s);
}

TEST(CoreFoundation, NumbersConvertOnlyWhenTheValueFits)
{
    const int64_t big = 0x100000000LL;
    const double half = 2.5;
    const int32_t negative = -7;
    CFNumberRef numbers[] = {CFNumberCreate(nullptr, kCFNumberSInt64Type, &big),
                             CFNumberCreate(nullptr, kCFNumberFloat64Type, &half),
                             CFNumberCreate(nullptr, kCFNumberSInt32Type, &negative)};
    int32_t small = 0;
    double back = 0.0;
    int64_t wide = 0;
    EXPECT_EQ((std::vector<int> {0, 0, 1, 1}),
              (std::vector<int> {CFNumberGetValue(numbers[0], kCFNumberSInt32Type, &small),
                                 CFNumberGetValue(numbers[1], kCFNumberSInt32Type, &small),
                                 CFNumberGetValue(numbers[1], kCFNumberDoubleType, &back),
                                 CFNumberGetValue(numbers[2], kCFNumberSInt64Type, &wide)}));
    EXPECT_EQ(std::pair(2.5, int64_t {-7}), std::pair(back, wide));
    for (CFNumberRef n : numbers) CFRelease(n);
}

TEST(CoreFoundation, StringsCopyOutOnlyWhenTheBufferHoldsThemAndFormatFillsEveryKind)
{
    CFStringRef value = text("Zelto");
    char buffer[6];
    EXPECT_TRUE(CFStringGetCString(value, buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_STREQ("Zelto", buffer);
    EXPECT_FALSE(CFStringGetCString(value, buffer, 5, kCFStringEncodingUTF8));
    EXPECT_EQ(kCFCompareLessThan, CFStringCompare(CFSTR("A"), value, 0));

    CFStringRef formatted =
        CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d|%s|%@|%.2f|%%|%@"), 42, "raw", value, 0.5, nullptr);
    EXPECT_STREQ("42|raw|Zelto|0.50|%|<null>", CFStringGetCStringPtr(formatted, kCFStringEncodingUTF8));
    CFRelease(formatted);
    CFRelease(value);

    CFStringRef constant = CFSTR("fixed");  // constants ignore retain and release
    CFRelease(constant);
    CFRelease(constant);
    EXPECT_STREQ("fixed", CFStringGetCStringPtr(constant, kCFStringEncodingUTF8));
}

}  // namespace
