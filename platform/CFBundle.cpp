// File URLs and bundles of the Core Foundation stand-in.
#include "platform/CFObjects.h"

#include <link.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

using platform::cfCast;

// ---- URLs

bool CFURL_::sameContents(const CFObject_& other) const { return path == static_cast<const CFURL_&>(other).path; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef pathRef, CFURLPathStyle, Boolean isDirectory)
{
    const auto* path = cfCast<CFString_>(pathRef, kCFStringTypeID);
    if (!path)
        return nullptr;
    auto* url = new CFURL_;
    url->path = path->text;
    if (isDirectory && (url->path.empty() || url->path.back() != '/'))
        url->path += '/';
    return url;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef urlRef, Boolean, uint8_t* buffer, CFIndex bufferSize)
{
    const auto* url = cfCast<CFURL_>(urlRef, kCFURLTypeID);
    if (!url || !buffer || static_cast<CFIndex>(url->path.size()) >= bufferSize)
        return false;
    std::copy(url->path.begin(), url->path.end(), buffer);
    buffer[url->path.size()] = '\0';
    return true;
}

CFTypeID CFURLGetTypeID() { return kCFURLTypeID; }

// ---- Bundles

namespace {

const char kModuleFolder[] = "/Contents/Linux/";

// The value of CFBundleIdentifier in a bundle's Info.plist, or "" when absent.
// The file is the build's own; a plain text search is enough for it.
std::string readBundleIdentifier(const std::string& bundlePath)
{
    std::ifstream in(bundlePath + "/Contents/Info.plist");
    if (!in)
        return std::string();
    std::stringstream contents;
    contents << in.rdbuf();
    const std::string text = contents.str();
    const size_t key = text.find("<key>CFBundleIdentifier</key>");
    if (key == std::string::npos)
        return std::string();
    const size_t open = text.find("<string>", key);
    const size_t close = text.find("</string>", open);
    if (open == std::string::npos || close == std::string::npos)
        return std::string();
    return text.substr(open + 8, close - open - 8);
}

int collectBundlePath(dl_phdr_info* info, size_t, void* data)
{
    const std::string module = info->dlpi_name ? info->dlpi_name : "";
    const size_t at = module.rfind(kModuleFolder);
    if (at != std::string::npos)
        static_cast<std::vector<std::string>*>(data)->push_back(module.substr(0, at));
    return 0;
}

std::mutex bundleLock;

// The identifier of each bundle folder, read from its Info.plist the first
// time the folder is seen: a bundle does not change while its module is
// loaded, and resource lookups ask for the bundle again and again. Under
// bundleLock.
const std::string& cachedBundleIdentifier(const std::string& bundlePath)
{
    static auto* identifiers = new std::map<std::string, std::string>;
    auto found = identifiers->find(bundlePath);
    if (found == identifiers->end())
        found = identifiers->emplace(bundlePath, readBundleIdentifier(bundlePath)).first;
    return found->second;
}

// Bundles live for the rest of the process, one object per folder.
CFBundle_* bundleFor(const std::string& path, const std::string& identifier)
{
    static auto* bundles = new std::map<std::string, CFBundle_*>;
    CFBundle_*& bundle = (*bundles)[path];
    if (!bundle) {
        bundle = new CFBundle_;
        bundle->path = path;
        bundle->identifier = CFStringMakeConstant(identifier.c_str());
    }
    return bundle;
}

}  // namespace

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifierRef)
{
    const auto* identifier = cfCast<CFString_>(identifierRef, kCFStringTypeID);
    if (!identifier)
        return nullptr;
    std::vector<std::string> paths;
    dl_iterate_phdr(collectBundlePath, &paths);
    std::lock_guard<std::mutex> guard(bundleLock);
    for (const std::string& path : paths) {
        const std::string& found = cachedBundleIdentifier(path);
        if (!found.empty() && found == identifier->text)
            return bundleFor(path, found);
    }
    return nullptr;
}

CFBundleRef CFBundleGetMainBundle()
{
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    const std::string program = length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
    const size_t slash = program.rfind('/');
    std::lock_guard<std::mutex> guard(bundleLock);
    return bundleFor(program, slash == std::string::npos ? program : program.substr(slash + 1));
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
    return bundle && bundle->type == kCFBundleTypeID ? bundle->identifier : nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
    if (!bundle || bundle->type != kCFBundleTypeID)
        return nullptr;
    auto* url = new CFURL_;
    url->path = bundle->path;
    return url;
}

CFTypeID CFBundleGetTypeID() { return kCFBundleTypeID; }
