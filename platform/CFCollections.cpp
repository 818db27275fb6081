// Dictionaries and arrays of the Core Foundation stand-in.
#include "platform/CFObjects.h"

#include <algorithm>
#include <cstdio>

using platform::cfCast;

namespace {

CFDictionary_* mutableDictionary(CFMutableDictionaryRef ref)
{
    return ref && ref->type == kCFDictionaryTypeID ? ref : nullptr;
}

const CFDictionary_* dictionary(CFDictionaryRef ref)
{
    return cfCast<CFDictionary_>(ref, kCFDictionaryTypeID);
}

CFArray_* mutableArray(CFMutableArrayRef ref)
{
    return ref && ref->type == kCFArrayTypeID ? ref : nullptr;
}

const CFArray_* array(CFArrayRef ref) { return cfCast<CFArray_>(ref, kCFArrayTypeID); }

// The entry whose key equals key (CFEqual), or the end of the entries.
template <typename Dictionary>
auto findEntry(Dictionary* dict, const void* key) -> decltype(dict->entries.begin())
{
    return std::find_if(dict->entries.begin(), dict->entries.end(),
                        [key](const auto& entry) { return CFEqual(entry.first, key); });
}

}  // namespace

// ---- Dictionaries

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0};

CFDictionary_::~CFDictionary_()
{
    for (auto& entry : entries) {
        CFRelease(entry.first);
        CFRelease(entry.second);
    }
}

bool CFDictionary_::sameContents(const CFObject_& other) const
{
    const auto& that = static_cast<const CFDictionary_&>(other);
    if (entries.size() != that.entries.size())
        return false;
    for (const auto& entry : entries) {
        const void* value = nullptr;
        if (!CFDictionaryGetValueIfPresent(&that, entry.first, &value) || !CFEqual(entry.second, value))
            return false;
    }
    return true;
}

std::string CFDictionary_::describe() const
{
    std::string text = "{";
    for (const auto& entry : entries)
        text += " " + platform::cfDescribe(entry.first) + " = " + platform::cfDescribe(entry.second) + ";";
    return text + " }";
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks*,
                                                 const CFDictionaryValueCallBacks*)
{
    return new CFDictionary_;
}

void CFDictionarySetValue(CFMutableDictionaryRef ref, const void* key, const void* value)
{
    CFDictionary_* target = mutableDictionary(ref);
    if (!target || !key)
        return;
    CFRetain(value);
    const auto entry = findEntry(target, key);
    if (entry != target->entries.end()) {
        CFRelease(entry->second);
        entry->second = value;
        return;
    }
    target->entries.emplace_back(CFRetain(key), value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef ref, const void* key)
{
    CFDictionary_* target = mutableDictionary(ref);
    if (!target)
        return;
    const auto entry = findEntry(target, key);
    if (entry == target->entries.end())
        return;
    CFRelease(entry->first);
    CFRelease(entry->second);
    target->entries.erase(entry);
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef ref, const void* key, const void** value)
{
    const CFDictionary_* source = dictionary(ref);
    if (!source || !key)
        return false;
    const auto entry = findEntry(source, key);
    if (entry == source->entries.end())
        return false;
    if (value)
        *value = entry->second;
    return true;
}

const void* CFDictionaryGetValue(CFDictionaryRef ref, const void* key)
{
    const void* value = nullptr;
    return CFDictionaryGetValueIfPresent(ref, key, &value) ? value : nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef ref)
{
    const CFDictionary_* source = dictionary(ref);
    return source ? static_cast<CFIndex>(source->entries.size()) : 0;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef ref, const void** keys, const void** values)
{
    const CFDictionary_* source = dictionary(ref);
    if (!source)
        return;
    for (size_t i = 0; i < source->entries.size(); ++i) {
        if (keys)
            keys[i] = source->entries[i].first;
        if (values)
            values[i] = source->entries[i].second;
    }
}

CFTypeID CFDictionaryGetTypeID() { return kCFDictionaryTypeID; }

// ---- Arrays

namespace {

const void* retainObject(CFAllocatorRef, const void* value) { return CFRetain(value); }
void releaseObject(CFAllocatorRef, const void* value) { CFRelease(value); }
CFStringRef describeObject(const void* value) { return CFCopyDescription(value); }
Boolean objectsEqual(const void* a, const void* b) { return CFEqual(a, b); }

}  // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, retainObject, releaseObject, describeObject, objectsEqual};

CFArray_::~CFArray_()
{
    if (callBacks.release) {
        for (const void* value : values)
            callBacks.release(allocator, value);
    }
}

bool CFArray_::elementsEqual(const void* a, const void* b) const
{
    return callBacks.equal ? callBacks.equal(a, b) != 0 : a == b;
}

bool CFArray_::sameContents(const CFObject_& other) const
{
    const auto& that = static_cast<const CFArray_&>(other);
    if (values.size() != that.values.size())
        return false;
    for (size_t i = 0; i < values.size(); ++i) {
        if (!elementsEqual(values[i], that.values[i]))
            return false;
    }
    return true;
}

std::string CFArray_::describe() const
{
    std::string text = "(";
    for (const void* value : values) {
        std::string element;
        if (callBacks.copyDescription) {
            CFStringRef description = callBacks.copyDescription(value);
            element = platform::cfDescribe(description);
            CFRelease(description);
        } else {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%p", value);
            element = buffer;
        }
        text += (text.size() > 1 ? ", " : " ") + element;
    }
    return text + " )";
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks)
{
    auto* created = new CFArray_;
    created->allocator = allocator;
    if (callBacks)
        created->callBacks = *callBacks;
    if (capacity > 0)
        created->values.reserve(static_cast<size_t>(capacity));
    return created;
}

void CFArrayAppendValue(CFMutableArrayRef ref, const void* value)
{
    CFArray_* target = mutableArray(ref);
    if (!target)
        return;
    target->values.push_back(target->callBacks.retain ? target->callBacks.retain(target->allocator, value) : value);
}

CFIndex CFArrayGetCount(CFArrayRef ref)
{
    const CFArray_* source = array(ref);
    return source ? static_cast<CFIndex>(source->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef ref, CFIndex index)
{
    const CFArray_* source = array(ref);
    if (!source || index < 0 || index >= static_cast<CFIndex>(source->values.size()))
        return nullptr;
    return source->values[static_cast<size_t>(index)];
}

Boolean CFArrayContainsValue(CFArrayRef ref, const void* value)
{
    const CFArray_* source = array(ref);
    if (!source)
        return false;
    for (const void* element : source->values) {
        if (source->elementsEqual(element, value))
            return true;
    }
    return false;
}

CFTypeID CFArrayGetTypeID() { return kCFArrayTypeID; }
