#include "PropertyList.h"

#include <tinyxml2.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Base64.h"

namespace host {

namespace {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

// Deeper nesting than any state we write is refused, so hostile input cannot
// exhaust the stack.
constexpr int kMaxDepth = 32;
constexpr size_t kDataLineLength = 68;

// ---- Writing

bool writeValue(XMLDocument* doc, XMLElement* parent, CFTypeRef value, int depth);

XMLElement* addText(XMLDocument* doc, XMLElement* parent, const char* name, const std::string& text)
{
    XMLElement* element = doc->NewElement(name);
    element->SetText(text.c_str());
    parent->InsertEndChild(element);
    return element;
}

bool writeNumber(XMLDocument* doc, XMLElement* parent, CFNumberRef number)
{
    char text[64];
    if (CFNumberIsFloatType(number)) {
        double real = 0.0;
        CFNumberGetValue(number, kCFNumberFloat64Type, &real);
        std::snprintf(text, sizeof text, "%.17g", real);
        addText(doc, parent, "real", text);
    } else {
        int64_t integer = 0;
        CFNumberGetValue(number, kCFNumberSInt64Type, &integer);
        std::snprintf(text, sizeof text, "%" PRId64, integer);
        addText(doc, parent, "integer", text);
    }
    return true;
}

bool writeData(XMLDocument* doc, XMLElement* parent, CFDataRef data)
{
    const std::string encoded = EncodeBase64(CFDataGetBytePtr(data), static_cast<size_t>(CFDataGetLength(data)));
    std::string text = "\n";
    for (size_t i = 0; i < encoded.size(); i += kDataLineLength)
        text += encoded.substr(i, kDataLineLength) + "\n";
    addText(doc, parent, "data", text);
    return true;
}

bool writeDictionary(XMLDocument* doc, XMLElement* parent, CFDictionaryRef dict, int depth)
{
    XMLElement* element = doc->NewElement("dict");
    parent->InsertEndChild(element);
    const CFIndex count = CFDictionaryGetCount(dict);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i) {
        const char* key = CFStringGetCStringPtr(static_cast<CFStringRef>(keys[i]), kCFStringEncodingUTF8);
        if (CFGetTypeID(keys[i]) != CFStringGetTypeID() || !key)
            return false;
        addText(doc, element, "key", key);
        if (!writeValue(doc, element, values[i], depth + 1))
            return false;
    }
    return true;
}

bool writeArray(XMLDocument* doc, XMLElement* parent, CFArrayRef array, int depth)
{
    XMLElement* element = doc->NewElement("array");
    parent->InsertEndChild(element);
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
        if (!writeValue(doc, element, CFArrayGetValueAtIndex(array, i), depth + 1))
            return false;
    }
    return true;
}

bool writeValue(XMLDocument* doc, XMLElement* parent, CFTypeRef value, int depth)
{
    if (!value || depth > kMaxDepth)
        return false;
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID()) {
        addText(doc, parent, "string", CFStringGetCStringPtr(static_cast<CFStringRef>(value), kCFStringEncodingUTF8));
        return true;
    }
    if (type == CFNumberGetTypeID())
        return writeNumber(doc, parent, static_cast<CFNumberRef>(value));
    if (type == CFDataGetTypeID())
        return writeData(doc, parent, static_cast<CFDataRef>(value));
    if (type == CFDictionaryGetTypeID())
        return writeDictionary(doc, parent, static_cast<CFDictionaryRef>(value), depth);
    if (type == CFArrayGetTypeID())
        return writeArray(doc, parent, static_cast<CFArrayRef>(value), depth);
    return false;
}

// ---- Reading

struct Reader {
    std::string error;

    CFTypeRef fail(const std::string& why)
    {
        if (error.empty())
            error = why;
        return nullptr;
    }

    CFTypeRef readValue(const XMLElement* element, int depth);
    CFTypeRef readDictionary(const XMLElement* element, int depth);
    CFTypeRef readArray(const XMLElement* element, int depth);
    CFTypeRef readInteger(const char* text);
    CFTypeRef readReal(const char* text);
    CFTypeRef readData(const char* text);
};

CFTypeRef Reader::readInteger(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE)
        return fail("bad integer");
    const int64_t integer = value;
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &integer);
}

CFTypeRef Reader::readReal(const char* text)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value))
        return fail("bad real");
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
}

CFTypeRef Reader::readData(const char* text)
{
    std::vector<uint8_t> bytes;
    if (!DecodeBase64(text, &bytes))
        return fail("bad base64 data");
    return CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
}

CFTypeRef Reader::readDictionary(const XMLElement* element, int depth)
{
    CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (const XMLElement* key = element->FirstChildElement(); key; key = key->NextSiblingElement()) {
        const XMLElement* valueElement = key->NextSiblingElement();
        if (std::string(key->Name()) != "key" || !valueElement) {
            CFRelease(dict);
            return fail("dict entries must be key and value pairs");
        }
        CFTypeRef value = readValue(valueElement, depth + 1);
        if (!value) {
            CFRelease(dict);
            return nullptr;
        }
        CFStringRef keyString = CFStringCreateWithCString(nullptr, key->GetText() ? key->GetText() : "",
                                                          kCFStringEncodingUTF8);
        CFDictionarySetValue(dict, keyString, value);
        CFRelease(keyString);
        CFRelease(value);
        key = valueElement;
    }
    return dict;
}

CFTypeRef Reader::readArray(const XMLElement* element, int depth)
{
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const XMLElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        CFTypeRef value = readValue(child, depth + 1);
        if (!value) {
            CFRelease(array);
            return nullptr;
        }
        CFArrayAppendValue(array, value);
        CFRelease(value);
    }
    return array;
}

CFTypeRef Reader::readValue(const XMLElement* element, int depth)
{
    if (depth > kMaxDepth)
        return fail("nested too deeply");
    const std::string name = element->Name();
    const char* text = element->GetText() ? element->GetText() : "";
    if (name == "dict")
        return readDictionary(element, depth);
    if (name == "array")
        return readArray(element, depth);
    if (name == "string")
        return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
    if (name == "integer")
        return readInteger(text);
    if (name == "real")
        return readReal(text);
    if (name == "data")
        return readData(text);
    if (name == "true" || name == "false") {
        const int32_t flag = name == "true" ? 1 : 0;
        return CFNumberCreate(nullptr, kCFNumberSInt32Type, &flag);
    }
    return fail("unknown element <" + name + ">");
}

}  // namespace

std::string WritePropertyList(CFPropertyListRef value)
{
    XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration("xml version=\"1.0\" encoding=\"UTF-8\""));
    doc.InsertEndChild(doc.NewUnknown(
        "DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\""));
    XMLElement* root = doc.NewElement("plist");
    root->SetAttribute("version", "1.0");
    doc.InsertEndChild(root);
    if (!writeValue(&doc, root, value, 0))
        return std::string();
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    // A reader turns a raw carriage return into a line feed, so one inside a
    // text (the printer writes no other) goes out as a character reference.
    std::string xml;
    for (const char* c = printer.CStr(); *c; ++c)
        xml += *c == '\r' ? std::string("&#13;") : std::string(1, *c);
    return xml;
}

CFPropertyListRef ReadPropertyList(const uint8_t* bytes, size_t size, std::string* error)
{
    std::string ignored;
    std::string& why = error ? *error : ignored;
    why.clear();
    XMLDocument doc;
    if (!bytes || doc.Parse(reinterpret_cast<const char*>(bytes), size) != tinyxml2::XML_SUCCESS) {
        why = "not XML";
        return nullptr;
    }
    const XMLElement* root = doc.RootElement();
    if (!root || std::string(root->Name()) != "plist" || !root->FirstChildElement() ||
        root->FirstChildElement()->NextSiblingElement()) {
        why = "not a property list";
        return nullptr;
    }
    Reader reader;
    CFTypeRef value = reader.readValue(root->FirstChildElement(), 0);
    if (!value)
        why = reader.error;
    return value;
}

}  // namespace host
