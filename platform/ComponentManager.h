#pragma once
// Stand-in for the Component Manager: components found by their entry in a
// bundle's module, instances with one storage pointer each, and the dispatch
// of a selector with its parameter block to a component's entry.
//
// Instance records are plain data made by the host, so the plug-in module
// (which links its own copy of this code) reads and writes them safely.

#include <cstdint>
#include <string>

typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef int32_t ComponentResult;
typedef uint32_t OSType;

enum : ComponentResult {
    noErr = 0,
    badComponentInstance = static_cast<ComponentResult>(0x80008001),
    badComponentSelector = static_cast<ComponentResult>(0x80008002),
    fnfErr = -43,                  // bundle or module missing
    cfragNoSymbolErr = -2812,      // module without the named entry
    cantOpenHandler = -2811,       // module present but not loadable
};

// Four-character code, first character in the high byte.
constexpr OSType FourCC(const char (&code)[5])
{
    return (OSType(uint8_t(code[0])) << 24) | (OSType(uint8_t(code[1])) << 16) | (OSType(uint8_t(code[2])) << 8) |
           OSType(uint8_t(code[3]));
}

struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    uint32_t componentFlags;
    uint32_t componentFlagsMask;
};

// The selector's arguments travel in a struct of the selector's own kind
// (see platform/AudioUnit.h); params points at it.
struct ComponentParameters {
    uint8_t flags;
    uint8_t paramSize;
    int16_t what;
    const void* params;
};

enum : int16_t {
    kComponentOpenSelect = -1,
    kComponentCloseSelect = -2,
    kComponentCanDoSelect = -3,
    kComponentVersionSelect = -4,
};

struct ComponentInstanceRecord;
typedef ComponentInstanceRecord* ComponentInstance;

struct ComponentOpenCloseParams {
    ComponentInstance self;
};
struct ComponentCanDoParams {
    int16_t selector;
};

typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, void* storage);

struct AudioUnitEvent;
// Where an instance's notifications to its host go (the AudioToolbox event
// listeners in a real host). Called on the thread that made the change.
typedef void (*ComponentEventSink)(void* hostData, const AudioUnitEvent* event);

struct ComponentRecord {
    ComponentDescription description{};
    ComponentRoutine entry = nullptr;
    std::string name;
    std::string bundlePath;
    void* module = nullptr;
};
typedef ComponentRecord* Component;

struct ComponentInstanceRecord {
    Component component = nullptr;
    void* storage = nullptr;
    ComponentEventSink eventSink = nullptr;
    void* eventSinkData = nullptr;
};

// ---- Calls a component makes on its own instance (any thread; plain field access)
void SetComponentInstanceStorage(ComponentInstance instance, void* storage);
void* GetComponentInstanceStorage(ComponentInstance instance);
OSErr GetComponentInfo(Component component, ComponentDescription* description, void* name, void* info, void* icon);
// The component an instance was opened from (null for null).
Component GetComponentOfInstance(ComponentInstance instance);

// ---- Host side
// Finds the module in <bundlePath>/Contents/Linux (the first file ending in
// ".so") and its exported entry. Status fnfErr when the bundle or its module is
// missing, cantOpenHandler when the module does not load, cfragNoSymbolErr
// when the entry is absent; *component is then null. The module stays loaded
// for the rest of the process. Thread: the host's main thread.
OSStatus RegisterComponentInBundle(const char* bundlePath, const char* entryName,
                                   const ComponentDescription& description, const char* name, Component* component);
// Another exported symbol of the module a component came from, or null.
void* FindComponentSymbol(Component component, const char* symbolName);
// Text of the last failure of RegisterComponentInBundle on this thread.
std::string ComponentLoadError();
// A component that a program links in directly (tests).
Component RegisterComponentEntry(ComponentRoutine entry, const ComponentDescription& description, const char* name);
void UnregisterComponent(Component component);

// Makes an instance and sends it the open selector; on a failed open the
// instance is freed and *instance is null. Thread: the host's main thread.
ComponentResult OpenAComponent(Component component, ComponentInstance* instance);
// Sends close and frees the instance record.
ComponentResult CloseComponent(ComponentInstance instance);
// Sends one selector with its parameter block to the instance's entry.
ComponentResult CallComponentDispatch(ComponentInstance instance, int16_t selector, const void* params);
