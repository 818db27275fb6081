#include "platform/ComponentManager.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

void SetComponentInstanceStorage(ComponentInstance instance, void* storage)
{
    if (instance)
        instance->storage = storage;
}

void* GetComponentInstanceStorage(ComponentInstance instance)
{
    return instance ? instance->storage : nullptr;
}

Component GetComponentOfInstance(ComponentInstance instance)
{
    return instance ? instance->component : nullptr;
}

OSErr GetComponentInfo(Component component, ComponentDescription* description, void*, void*, void*)
{
    if (!component)
        return static_cast<OSErr>(badComponentInstance & 0xffff);
    if (description)
        *description = component->description;
    return noErr;
}

namespace {

thread_local std::string lastLoadError;

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The first module file of a bundle in name order, or "" when there is none.
std::string findModule(const std::string& bundlePath)
{
    const std::string folder = bundlePath + "/Contents/Linux";
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return std::string();
    std::vector<std::string> modules;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
            modules.push_back(name);
    }
    closedir(dir);
    if (modules.empty())
        return std::string();
    std::sort(modules.begin(), modules.end());
    return folder + "/" + modules.front();
}

OSStatus failLoad(OSStatus status, const std::string& text)
{
    lastLoadError = text;
    return status;
}

}  // namespace

std::string ComponentLoadError() { return lastLoadError; }

OSStatus RegisterComponentInBundle(const char* bundlePath, const char* entryName,
                                   const ComponentDescription& description, const char* name, Component* component)
{
    if (!component)
        return failLoad(fnfErr, "no place for the component");
    *component = nullptr;
    const std::string bundle = bundlePath ? bundlePath : "";
    if (!isDirectory(bundle))
        return failLoad(fnfErr, "bundle not found: " + bundle);
    const std::string modulePath = findModule(bundle);
    if (modulePath.empty())
        return failLoad(fnfErr, "no module in " + bundle + "/Contents/Linux");
    void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* why = dlerror();
        return failLoad(cantOpenHandler, std::string("module does not load: ") + (why ? why : modulePath));
    }
    void* entry = dlsym(module, entryName ? entryName : "");
    if (!entry)
        return failLoad(cfragNoSymbolErr, std::string("entry not found: ") + (entryName ? entryName : ""));
    Component record = RegisterComponentEntry(reinterpret_cast<ComponentRoutine>(entry), description, name);
    record->bundlePath = bundle;
    record->module = module;
    *component = record;
    lastLoadError.clear();
    return noErr;
}

void* FindComponentSymbol(Component component, const char* symbolName)
{
    if (!component || !component->module || !symbolName)
        return nullptr;
    return dlsym(component->module, symbolName);
}

Component RegisterComponentEntry(ComponentRoutine entry, const ComponentDescription& description, const char* name)
{
    auto* record = new ComponentRecord;
    record->description = description;
    record->entry = entry;
    record->name = name ? name : "";
    return record;
}

void UnregisterComponent(Component component)
{
    // The module stays loaded: objects it made may still be alive in the host.
    delete component;
}

ComponentResult OpenAComponent(Component component, ComponentInstance* instance)
{
    if (!instance)
        return badComponentInstance;
    *instance = nullptr;
    if (!component || !component->entry)
        return badComponentInstance;
    auto* record = new ComponentInstanceRecord;
    record->component = component;
    ComponentOpenCloseParams args{record};
    const ComponentResult result = CallComponentDispatch(record, kComponentOpenSelect, &args);
    if (result != noErr) {
        delete record;
        return result;
    }
    *instance = record;
    return noErr;
}

ComponentResult CloseComponent(ComponentInstance instance)
{
    if (!instance)
        return badComponentInstance;
    ComponentOpenCloseParams args{instance};
    const ComponentResult result = CallComponentDispatch(instance, kComponentCloseSelect, &args);
    delete instance;
    return result;
}

ComponentResult CallComponentDispatch(ComponentInstance instance, int16_t selector, const void* params)
{
    if (!instance || !instance->component || !instance->component->entry)
        return badComponentInstance;
    ComponentParameters block{0, 0, selector, params};
    return instance->component->entry(&block, instance->storage);
}
