// The Core Foundation stand-in: reference counts, containers, numbers, text.
#include <gtest/gtest.h>

#include "platform/CoreFoundation.h"

namespace {

CFStringRef text(const char* value) { return CFStringCreateWithCString(nullptr, value, kCFStringEncodingUTF8); }

TEST(CoreFoundation, DictionaryRetainsKeysAndValuesAndReleasesThemWithItself)
{
    CFStringRef key = text("name");
    CFStringRef value = text("Lead");
    CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dict, key, value);
    EXPECT_EQ(2, CFGetRetainCount(key));
    EXPECT_EQ(2, CFGetRetainCount(value));

    CFStringRef other = text("Pad");
    CFDictionarySetValue(dict, CFSTR("name"), other);  // an equal key replaces the value
    EXPECT_EQ(1, CFDictionaryGetCount(dict));
    EXPECT_EQ(1, CFGetRetainCount(value));
    EXPECT_EQ(other, CFDictionaryGetValue(dict, CFSTR("name")));
    CFRelease(dict);
    EXPECT_EQ(1, CFGetRetainCount(key));
    EXPECT_EQ(1, CFGetRetainCount(other));
    CFRelease(key);
    CFRelease(value);
    CFRelease(other);
}

TEST(CoreFoundation, NumbersConvertOnlyWhenTheValueFits)
{
    const int64_t big = 0x100000000LL;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    int32_t small = 0;
    EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt32Type, &small));
    CFRelease(number);

    const double half = 2.5;
    number = CFNumberCreate(nullptr, kCFNumberFloat64Type, &half);
    EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt32Type, &small));
    double back = 0.0;
    EXPECT_TRUE(CFNumberGetValue(number, kCFNumberDoubleType, &back));
    EXPECT_DOUBLE_EQ(2.5, back);
    CFRelease(number);

    const int32_t negative = -7;
    number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &negative);
    int64_t wide = 0;
    EXPECT_TRUE(CFNumberGetValue(number, kCFNumberSInt64Type, &wide));
    EXPECT_EQ(-7, wide);
    CFRelease(number);
}

TEST(CoreFoundation, StringsCopyOutOnlyWhenTheBufferHoldsThemAndConstantsIgnoreRelease)
{
    CFStringRef value = text("Zelto");
    char buffer[6];
    EXPECT_TRUE(CFStringGetCString(value, buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_STREQ("Zelto", buffer);
    char tooSmall[5];
    EXPECT_FALSE(CFStringGetCString(value, tooSmall, sizeof tooSmall, kCFStringEncodingUTF8));
    EXPECT_EQ(kCFCompareLessThan, CFStringCompare(CFSTR("A"), value, 0));
    CFRelease(value);

    CFStringRef constant = CFSTR("fixed");  // constants ignore retain and release
    EXPECT_EQ(constant, CFSTR("fixed"));
    CFRelease(constant);
    CFRelease(constant);
    EXPECT_STREQ("fixed", CFStringGetCStringPtr(constant, kCFStringEncodingUTF8));
}

TEST(CoreFoundation, FormatFillsNumbersTextsAndObjectDescriptions)
{
    CFStringRef name = text("Bass");
    CFStringRef formatted =
        CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d|%s|%@|%.2f|%%|%@"), 42, "raw", name, 0.5, nullptr);
    EXPECT_STREQ("42|raw|Bass|0.50|%|<null>", CFStringGetCStringPtr(formatted, kCFStringEncodingUTF8));
    CFRelease(formatted);
    CFRelease(name);
}

TEST(CoreFoundation, ArrayWithTypeCallbacksOwnsItsElements)
{
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    const uint8_t bytes[] = {1, 2, 3};
    CFDataRef data = CFDataCreate(nullptr, bytes, 3);
    CFArrayAppendValue(array, data);
    CFRelease(data);
    EXPECT_EQ(1, CFArrayGetCount(array));
    EXPECT_EQ(3, CFDataGetLength(static_cast<CFDataRef>(CFArrayGetValueAtIndex(array, 0))));
    EXPECT_EQ(nullptr, CFArrayGetValueAtIndex(array, 1));
    EXPECT_EQ(nullptr, CFArrayGetValueAtIndex(array, -1));
    CFRelease(array);
}

TEST(CoreFoundation, CallsOnTheWrongKindOfObjectAnswerNothing)
{
    CFStringRef value = text("x");
    EXPECT_EQ(0, CFDataGetLength(reinterpret_cast<CFDataRef>(value)));
    EXPECT_EQ(nullptr, CFDictionaryGetValue(reinterpret_cast<CFDictionaryRef>(value), CFSTR("x")));
    EXPECT_EQ(kCFNotATypeID, CFGetTypeID(nullptr));
    CFRelease(nullptr);
    CFRelease(value);
}

}  // namespace
