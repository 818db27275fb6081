#include "platform/CFObjects.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

using platform::cfCast;
using platform::cfObject;

namespace platform {

std::string cfDescribe(CFTypeRef ref)
{
    return ref ? cfObject(ref)->describe() : std::string("<null>");
}

}  // namespace platform

// ---- Objects of every kind

CFTypeRef CFRetain(CFTypeRef object)
{
    if (object && !cfObject(object)->immortal)
        const_cast<CFObject_*>(cfObject(object))->refs.fetch_add(1, std::memory_order_relaxed);
    return object;
}

void CFRelease(CFTypeRef object)
{
    if (!object || cfObject(object)->immortal)
        return;
    CFObject_* mutableObject = const_cast<CFObject_*>(cfObject(object));
    if (mutableObject->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete mutableObject;
}

CFIndex CFGetRetainCount(CFTypeRef object)
{
    if (!object)
        return 0;
    return cfObject(object)->immortal ? 0x7fffffff : cfObject(object)->refs.load();
}

CFTypeID CFGetTypeID(CFTypeRef object)
{
    return object ? cfObject(object)->type : kCFNotATypeID;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b)
{
    if (a == b)
        return true;
    if (!a || !b || cfObject(a)->type != cfObject(b)->type)
        return false;
    return cfObject(a)->sameContents(*cfObject(b));
}

CFStringRef CFCopyDescription(CFTypeRef object)
{
    return CFStringCreateWithCString(nullptr, platform::cfDescribe(object).c_str(), kCFStringEncodingUTF8);
}

// ---- Allocators

const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFAllocatorRef CFAllocatorCreate(CFAllocatorRef, CFAllocatorContext* context)
{
    if (!context || !context->allocate)
        return nullptr;
    auto* allocator = new CFAllocator_;
    allocator->context = *context;
    return allocator;
}

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint)
{
    if (size <= 0)
        return nullptr;
    if (!allocator)
        return std::malloc(static_cast<size_t>(size));
    return allocator->context.allocate(size, hint, allocator->context.info);
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr)
{
    if (!ptr)
        return;
    if (!allocator)
        std::free(ptr);
    else if (allocator->context.deallocate)
        allocator->context.deallocate(ptr, allocator->context.info);
}

// ---- Strings

bool CFString_::sameContents(const CFObject_& other) const
{
    return text == static_cast<const CFString_&>(other).text;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding)
{
    return text ? new CFString_(text) : nullptr;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const uint8_t* bytes, CFIndex length, CFStringEncoding, Boolean)
{
    if (length < 0 || (!bytes && length > 0))
        return nullptr;
    return new CFString_(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef text)
{
    const auto* source = cfCast<CFString_>(text, kCFStringTypeID);
    return source ? new CFString_(source->text) : nullptr;
}

namespace {

// One conversion of a printf format, handed to vsnprintf with its argument.
std::string formatOne(const std::string& spec, char conversion, va_list& args)
{
    char buffer[512];
    const bool isLong = spec.find('l') != std::string::npos;
    const bool isSize = spec.find('z') != std::string::npos;
    switch (conversion) {
    case 'd': case 'i':
        if (isLong)
            std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, long));
        else if (isSize)
            std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, size_t));
        else
            std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, int));
        break;
    case 'u': case 'x': case 'X': case 'o': case 'c':
        if (isLong)
            std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, unsigned long));
        else if (isSize)
            std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, size_t));
        else
            std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, unsigned));
        break;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, double));
        break;
    case 's': {
        const char* text = va_arg(args, const char*);
        return text ? std::string(text) : std::string("(null)");
    }
    case 'p':
        std::snprintf(buffer, sizeof buffer, "%p", va_arg(args, void*));
        break;
    default:
        return spec;
    }
    return buffer;
}

std::string formatText(const std::string& format, va_list& args)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        size_t end = i + 1;
        while (end < format.size() && std::strchr("diouxXfFeEgGcsp@%", format[end]) == nullptr)
            ++end;
        if (end >= format.size()) {
            out += format.substr(i);
            break;
        }
        const char conversion = format[end];
        if (conversion == '%')
            out += '%';
        else if (conversion == '@')
            out += platform::cfDescribe(va_arg(args, CFTypeRef));
        else
            out += formatOne(format.substr(i, end - i + 1), conversion, args);
        i = end;
    }
    return out;
}

}  // namespace

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFTypeRef, CFStringRef format, ...)
{
    const auto* pattern = cfCast<CFString_>(format, kCFStringTypeID);
    if (!pattern)
        return nullptr;
    va_list args;
    va_start(args, format);
    std::string text = formatText(pattern->text, args);
    va_end(args);
    return new CFString_(std::move(text));
}

CFIndex CFStringGetLength(CFStringRef text)
{
    const auto* string = cfCast<CFString_>(text, kCFStringTypeID);
    return string ? static_cast<CFIndex>(string->text.size()) : 0;
}

Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding)
{
    const auto* string = cfCast<CFString_>(text, kCFStringTypeID);
    if (!string || !buffer || bufferSize <= 0)
        return false;
    if (static_cast<CFIndex>(string->text.size()) >= bufferSize) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, string->text.c_str(), string->text.size() + 1);
    return true;
}

const char* CFStringGetCStringPtr(CFStringRef text, CFStringEncoding)
{
    const auto* string = cfCast<CFString_>(text, kCFStringTypeID);
    return string ? string->text.c_str() : nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags)
{
    const auto* left = cfCast<CFString_>(a, kCFStringTypeID);
    const auto* right = cfCast<CFString_>(b, kCFStringTypeID);
    const int order = (left ? left->text : std::string()).compare(right ? right->text : std::string());
    return order < 0 ? kCFCompareLessThan : order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

CFTypeID CFStringGetTypeID() { return kCFStringTypeID; }

CFStringRef CFStringMakeConstant(const char* text)
{
    // Constants live as long as the process; one object per distinct text.
    static std::mutex lock;
    static std::map<std::string, CFString_*>* constants = new std::map<std::string, CFString_*>;
    std::lock_guard<std::mutex> guard(lock);
    CFString_*& entry = (*constants)[text];
    if (!entry)
        entry = new CFString_(text, true);
    return entry;
}

// ---- Numbers

bool CFNumber_::sameContents(const CFObject_& other) const
{
    const auto& number = static_cast<const CFNumber_&>(other);
    if (isFloat || number.isFloat)
        return (isFloat ? real : double(integer)) == (number.isFloat ? number.real : double(number.integer));
    return integer == number.integer;
}

std::string CFNumber_::describe() const
{
    char buffer[64];
    if (isFloat)
        std::snprintf(buffer, sizeof buffer, "%.17g", real);
    else
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(integer));
    return buffer;
}

namespace {

bool isFloatNumberType(CFNumberType type)
{
    return type == kCFNumberFloat32Type || type == kCFNumberFloat64Type || type == kCFNumberFloatType ||
           type == kCFNumberDoubleType;
}

bool isSingleFloatType(CFNumberType type) { return type == kCFNumberFloat32Type || type == kCFNumberFloatType; }

bool is32BitType(CFNumberType type) { return type == kCFNumberSInt32Type || type == kCFNumberIntType; }

bool isKnownNumberType(CFNumberType type)
{
    return isFloatNumberType(type) || is32BitType(type) || type == kCFNumberSInt64Type || type == kCFNumberLongType;
}

}  // namespace

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value)
{
    if (!value || !isKnownNumberType(type))
        return nullptr;
    auto* number = new CFNumber_;
    number->isFloat = isFloatNumberType(type);
    if (isSingleFloatType(type))
        number->real = *static_cast<const float*>(value);
    else if (number->isFloat)
        number->real = *static_cast<const double*>(value);
    else if (is32BitType(type))
        number->integer = *static_cast<const int32_t*>(value);
    else
        number->integer = *static_cast<const int64_t*>(value);
    return number;
}

Boolean CFNumberGetValue(CFNumberRef numberRef, CFNumberType type, void* value)
{
    const auto* number = cfCast<CFNumber_>(numberRef, kCFNumberTypeID);
    if (!number || !value || !isKnownNumberType(type))
        return false;
    if (isFloatNumberType(type)) {
        const double source = number->isFloat ? number->real : double(number->integer);
        if (isSingleFloatType(type))
            *static_cast<float*>(value) = static_cast<float>(source);
        else
            *static_cast<double*>(value) = source;
        return true;
    }
    int64_t whole = number->integer;
    bool exact = true;
    if (number->isFloat) {
        const bool representable = std::isfinite(number->real) && std::fabs(number->real) < 9.2e18;
        whole = representable ? static_cast<int64_t>(number->real) : 0;
        exact = representable && double(whole) == number->real;
    }
    if (is32BitType(type)) {
        *static_cast<int32_t*>(value) = static_cast<int32_t>(whole);
        return exact && whole >= INT32_MIN && whole <= INT32_MAX;
    }
    *static_cast<int64_t*>(value) = whole;
    return exact;
}

Boolean CFNumberIsFloatType(CFNumberRef numberRef)
{
    const auto* number = cfCast<CFNumber_>(numberRef, kCFNumberTypeID);
    return number && number->isFloat;
}

CFTypeID CFNumberGetTypeID() { return kCFNumberTypeID; }

// ---- Data

bool CFData_::sameContents(const CFObject_& other) const
{
    return bytes == static_cast<const CFData_&>(other).bytes;
}

std::string CFData_::describe() const
{
    static const char digits[] = "0123456789abcdef";
    std::string text = "<";
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text + ">";
}

CFDataRef CFDataCreate(CFAllocatorRef, const uint8_t* bytes, CFIndex length)
{
    if (length < 0 || (!bytes && length > 0))
        return nullptr;
    auto* data = new CFData_;
    if (length > 0)
        data->bytes.assign(bytes, bytes + length);
    return data;
}

CFIndex CFDataGetLength(CFDataRef dataRef)
{
    const auto* data = cfCast<CFData_>(dataRef, kCFDataTypeID);
    return data ? static_cast<CFIndex>(data->bytes.size()) : 0;
}

const uint8_t* CFDataGetBytePtr(CFDataRef dataRef)
{
    const auto* data = cfCast<CFData_>(dataRef, kCFDataTypeID);
    return data ? data->bytes.data() : nullptr;
}

CFTypeID CFDataGetTypeID() { return kCFDataTypeID; }
