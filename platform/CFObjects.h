#pragma once
// The object layouts behind the Core Foundation stand-in; private to platform/.

#include "platform/CoreFoundation.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

struct CFObject_ {
    CFObject_(CFTypeID typeId, bool isImmortal = false) : type(typeId), immortal(isImmortal) {}
    virtual ~CFObject_() = default;
    // Called only with an object of the same type.
    virtual bool sameContents(const CFObject_& other) const = 0;
    virtual std::string describe() const = 0;

    std::atomic<CFIndex> refs{1};
    const CFTypeID type;
    const bool immortal;
};

struct CFString_ : CFObject_ {
    explicit CFString_(std::string value, bool isImmortal = false)
        : CFObject_(kCFStringTypeID, isImmortal), text(std::move(value)) {}
    bool sameContents(const CFObject_& other) const override;
    std::string describe() const override { return text; }
    std::string text;
};

struct CFNumber_ : CFObject_ {
    CFNumber_() : CFObject_(kCFNumberTypeID) {}
    bool sameContents(const CFObject_& other) const override;
    std::string describe() const override;
    bool isFloat = false;
    int64_t integer = 0;
    double real = 0.0;
};

struct CFData_ : CFObject_ {
    CFData_() : CFObject_(kCFDataTypeID) {}
    bool sameContents(const CFObject_& other) const override;
    std::string describe() const override;
    std::vector<uint8_t> bytes;
};

struct CFDictionary_ : CFObject_ {
    CFDictionary_() : CFObject_(kCFDictionaryTypeID) {}
    ~CFDictionary_() override;
    bool sameContents(const CFObject_& other) const override;
    std::string describe() const override;
    std::vector<std::pair<CFTypeRef, CFTypeRef>> entries;
};

struct CFArray_ : CFObject_ {
    CFArray_() : CFObject_(kCFArrayTypeID) {}
    ~CFArray_() override;
    bool sameContents(const CFObject_& other) const override;
    std::string describe() const override;
    bool elementsEqual(const void* a, const void* b) const;
    CFAllocatorRef allocator = nullptr;
    CFArrayCallBacks callBacks{};
    std::vector<const void*> values;
};

struct CFAllocator_ : CFObject_ {
    CFAllocator_() : CFObject_(kCFAllocatorTypeID) {}
    bool sameContents(const CFObject_& other) const override { return this == &other; }
    std::string describe() const override { return "<CFAllocator>"; }
    CFAllocatorContext context{};
};

struct CFURL_ : CFObject_ {
    CFURL_() : CFObject_(kCFURLTypeID) {}
    bool sameContents(const CFObject_& other) const override;
    std::string describe() const override { return "file://" + path; }
    std::string path;
};

struct CFBundle_ : CFObject_ {
    CFBundle_() : CFObject_(kCFBundleTypeID, true) {}
    bool sameContents(const CFObject_& other) const override { return this == &other; }
    std::string describe() const override { return "<CFBundle " + path + ">"; }
    CFStringRef identifier = nullptr;
    std::string path;
};

namespace platform {

inline const CFObject_* cfObject(CFTypeRef ref) { return static_cast<const CFObject_*>(ref); }

// The object as T when it is of that type, else null.
template <typename T>
const T* cfCast(CFTypeRef ref, CFTypeID type)
{
    const CFObject_* object = cfObject(ref);
    return object && object->type == type ? static_cast<const T*>(object) : nullptr;
}

std::string cfDescribe(CFTypeRef ref);

}  // namespace platform
