#pragma once
// Stand-in for the small part of Core Foundation that the plug-in and the host
// exchange: reference-counted strings, numbers, data, dictionaries, arrays,
// URLs, bundles and allocators.
//
// Objects carry their own release code, so an object made inside the plug-in
// module may be released by the host program and the other way round.
// Reference counts are atomic: retain and release may be called from any
// thread; mutating one container from two threads at once is not supported.

#include <cstddef>
#include <cstdint>

typedef unsigned char Boolean;
typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef uint32_t CFStringEncoding;
typedef unsigned long CFOptionFlags;
typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;

struct CFObject_;
struct CFString_;
struct CFNumber_;
struct CFData_;
struct CFDictionary_;
struct CFArray_;
struct CFAllocator_;
struct CFURL_;
struct CFBundle_;

typedef const CFString_* CFStringRef;
typedef CFString_* CFMutableStringRef;
typedef const CFNumber_* CFNumberRef;
typedef const CFData_* CFDataRef;
typedef const CFDictionary_* CFDictionaryRef;
typedef CFDictionary_* CFMutableDictionaryRef;
typedef const CFArray_* CFArrayRef;
typedef CFArray_* CFMutableArrayRef;
typedef const CFAllocator_* CFAllocatorRef;
typedef const CFURL_* CFURLRef;
typedef CFBundle_* CFBundleRef;

enum : CFStringEncoding { kCFStringEncodingUTF8 = 0x08000100, kCFStringEncodingASCII = 0x0600 };

enum CFComparisonResult : CFIndex { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };

typedef CFIndex CFNumberType;
enum : CFNumberType {
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberFloat32Type = 5,
    kCFNumberFloat64Type = 6,
    kCFNumberIntType = 9,
    kCFNumberLongType = 10,
    kCFNumberFloatType = 12,
    kCFNumberDoubleType = 13,
};

typedef CFIndex CFURLPathStyle;
enum : CFURLPathStyle { kCFURLPOSIXPathStyle = 0 };

enum : CFTypeID {
    kCFNotATypeID = 0,
    kCFStringTypeID = 7,
    kCFNumberTypeID = 22,
    kCFDataTypeID = 20,
    kCFDictionaryTypeID = 18,
    kCFArrayTypeID = 19,
    kCFAllocatorTypeID = 2,
    kCFURLTypeID = 29,
    kCFBundleTypeID = 31,
};

// ---- Objects of every kind
CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);
CFTypeID CFGetTypeID(CFTypeRef object);
// Same kind and same contents (strings by bytes, numbers by value, containers element-wise).
Boolean CFEqual(CFTypeRef a, CFTypeRef b);

// ---- Allocators
typedef void* (*CFAllocatorAllocateCallBack)(CFIndex size, CFOptionFlags hint, void* info);
typedef void (*CFAllocatorDeallocateCallBack)(void* ptr, void* info);
struct CFAllocatorContext {
    CFIndex version;
    void* info;
    CFAllocatorAllocateCallBack allocate;
    CFAllocatorDeallocateCallBack deallocate;
};
// Null stands for the default allocator (malloc and free).
extern const CFAllocatorRef kCFAllocatorDefault;
CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context);
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr);

// ---- Strings (UTF-8 inside)
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef allocator, const uint8_t* bytes, CFIndex length,
                                    CFStringEncoding encoding, Boolean external);
CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef text);
// printf-style: %d %i %u %ld %x %s %f %g %% and %@ (the description of a CF object).
CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFTypeRef options, CFStringRef format, ...);
// Length in bytes of the UTF-8 text.
CFIndex CFStringGetLength(CFStringRef text);
// Copies the text with a terminator; false when it does not fit (buffer then holds nothing).
Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
const char* CFStringGetCStringPtr(CFStringRef text, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);
CFTypeID CFStringGetTypeID();
// A constant string: never freed, retain and release do nothing. Any thread.
CFStringRef CFStringMakeConstant(const char* text);
#define CFSTR(text) CFStringMakeConstant("" text "")
// A new string describing any object ("<null>" for null).
CFStringRef CFCopyDescription(CFTypeRef object);

// ---- Numbers
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* value);
// Converts to the asked type; false when the stored value is not exact in it.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);
Boolean CFNumberIsFloatType(CFNumberRef number);
CFTypeID CFNumberGetTypeID();

// ---- Data
CFDataRef CFDataCreate(CFAllocatorRef allocator, const uint8_t* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef data);
const uint8_t* CFDataGetBytePtr(CFDataRef data);
CFTypeID CFDataGetTypeID();

// ---- Dictionaries (keys compared with CFEqual; keys and values retained)
struct CFDictionaryKeyCallBacks {
    CFIndex version;
};
struct CFDictionaryValueCallBacks {
    CFIndex version;
};
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value);
void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key);
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);
Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key, const void** value);
CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
// Keys and values in insertion order; either array may be null.
void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values);
CFTypeID CFDictionaryGetTypeID();

// ---- Arrays (element handling by the given callbacks; null callbacks keep raw pointers)
typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* a, const void* b);
struct CFArrayCallBacks {
    CFIndex version;
    CFArrayRetainCallBack retain;
    CFArrayReleaseCallBack release;
    CFArrayCopyDescriptionCallBack copyDescription;
    CFArrayEqualCallBack equal;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
CFIndex CFArrayGetCount(CFArrayRef array);
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
Boolean CFArrayContainsValue(CFArrayRef array, const void* value);
CFTypeID CFArrayGetTypeID();

// ---- URLs (file paths only)
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory);
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, uint8_t* buffer,
                                         CFIndex bufferSize);
CFTypeID CFURLGetTypeID();

// ---- Bundles: a folder "<name>.component" (or any folder) whose Contents/Info.plist
// names a CFBundleIdentifier and whose Contents/Linux holds the module.
// Bundles are found among the modules loaded in this process. Any thread.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);
// The program itself; its identifier is the program's file name.
CFBundleRef CFBundleGetMainBundle();
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFTypeID CFBundleGetTypeID();
