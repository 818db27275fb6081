// Bundle look-up, resource files and images of the back end.
#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "IGraphicsMac.h"
#include "platform/CoreFoundation.h"
#include "zuve/zuve_png.h"

namespace {

// The configuration files are read whole, up to this size.
const int kMaxResourceFileSize = 4096000;

const char kModuleFolder[] = "/Contents/Linux/";
const char kResourcesFolder[] = "/Contents/Resources/";

// The last path component, without or with only its extension.
std::string lastComponent(const std::string& name)
{
    const size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

void splitExtension(const std::string& file, std::string* base, std::string* extension)
{
    const size_t dot = file.rfind('.');
    *base = dot == std::string::npos ? file : file.substr(0, dot);
    *extension = dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

// The file of the module this code is linked into.
std::string thisModule()
{
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&thisModule), &info) || !info.dli_fname)
        return std::string();
    return info.dli_fname;
}

bool bundleOfModule(std::string* path)
{
    const std::string module = thisModule();
    const size_t at = module.rfind(kModuleFolder);
    if (at == std::string::npos)
        return false;
    *path = module.substr(0, at);
    return true;
}

bool bundleWithIdentifier(const char* identifier, std::string* path)
{
    if (!identifier || !*identifier)
        return false;
    CFStringRef name = CFStringCreateWithCString(nullptr, identifier, kCFStringEncodingUTF8);
    CFBundleRef bundle = name ? CFBundleGetBundleWithIdentifier(name) : nullptr;
    if (name)
        CFRelease(name);
    CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
    if (!url)
        return false;
    uint8_t buffer[4096];
    const bool ok = CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer);
    CFRelease(url);
    if (ok)
        *path = reinterpret_cast<const char*>(buffer);
    return ok;
}

}  // namespace

void IGraphicsMac::SetBundleID(const char* bundleID) { mBundleID.Set(bundleID ? bundleID : ""); }

bool IGraphicsMac::GetBundlePath(std::string* path) const
{
    if (!mBundlePathOverride.empty()) {
        *path = mBundlePathOverride;
        return true;
    }
    return bundleWithIdentifier(mBundleID.Get(), path) || bundleOfModule(path);
}

std::string IGraphicsMac::PathForResource(const std::string& baseName, const std::string& type) const
{
    std::string bundle;
    if (baseName.empty() || !GetBundlePath(&bundle))
        return std::string();
    const std::string folder = bundle + kResourcesFolder;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return std::string();
    std::string found;
    while (dirent* entry = readdir(dir)) {
        std::string base, extension;
        splitExtension(entry->d_name, &base, &extension);
        const bool typeMatches = type.empty() ? std::strcmp(entry->d_name, baseName.c_str()) == 0
                                              : base == baseName && strcasecmp(extension.c_str(), type.c_str()) == 0;
        if (typeMatches) {
            found = folder + entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

void* IGraphicsMac::OSLoadFile(int, const char* name)
{
    std::string base, extension;
    splitExtension(lastComponent(name ? name : ""), &base, &extension);
    const std::string path = PathForResource(base, extension);
    if (path.empty())
        return nullptr;
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        std::printf("failed to open file");
        return nullptr;
    }
    char* buffer = new char[kMaxResourceFileSize]();
    const size_t read = std::fread(buffer, 1, kMaxResourceFileSize, file);
    SetLoadedFileSize(static_cast<int>(read));
    std::fclose(file);
    return buffer;
}

ZUVE_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name)
{
    const std::string text = name ? name : "";
    const size_t dot = text.rfind('.');
    const std::string extension = dot == std::string::npos ? text : text.substr(dot + 1);
    if (strcasecmp(extension.c_str(), "png") != 0)
        return nullptr;
    std::string base, ignored;
    splitExtension(lastComponent(text), &base, &ignored);
    const std::string path = PathForResource(base, "png");
    return path.empty() ? nullptr : ZUVE_LoadPNG(path.c_str(), nullptr);
}

void IGraphicsMac::HostPath(ROZ_String* path)
{
    std::string bundle;
    if (!path || !GetBundlePath(&bundle))
        return;
    const std::string module = thisModule();
    if (module.rfind(bundle + kModuleFolder, 0) == 0) {
        path->Set(module.c_str());
        return;
    }
    // Another module's bundle: its first file in the module folder.
    const std::string folder = bundle + kModuleFolder;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') {
                path->Set((folder + entry->d_name).c_str());
                break;
            }
        closedir(dir);
    }
}

void IGraphicsMac::PluginPath(ROZ_String* path)
{
    std::string bundle;
    if (!path || !GetBundlePath(&bundle))
        return;
    while (bundle.size() > 1 && bundle.back() == '/')
        bundle.pop_back();
    const size_t slash = bundle.rfind('/');
    path->Set(slash == std::string::npos ? "" : bundle.substr(0, slash).c_str());
    path->Append("/");
}

void IGraphicsMac::DesktopPath(ROZ_String* path)
{
    if (!path)
        return;
    const char* home = std::getenv("HOME");
    path->Set(home ? home : "");
    path->Append("/Desktop/");
}
