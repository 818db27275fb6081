// The Component Manager stand-in: instances, storage, dispatch and bundle loading.
#include <gtest/gtest.h>

#include "platform/ComponentManager.h"

namespace {

struct Seen {
    int16_t what = 0;
    void* storage = nullptr;
    int opens = 0;
    int closes = 0;
} seen;

ComponentResult recordingEntry(ComponentParameters* params, void* storage)
{
    seen.what = params->what;
    seen.storage = storage;
    if (params->what == kComponentOpenSelect) {
        ++seen.opens;
        auto* args = static_cast<const ComponentOpenCloseParams*>(params->params);
        SetComponentInstanceStorage(args->self, &seen);
    } else if (params->what == kComponentCloseSelect) {
        ++seen.closes;
    }
    return params->what == 99 ? badComponentSelector : noErr;
}

TEST(ComponentManager, InstanceKeepsTheStorageItsEntrySetOnOpen)
{
    const ComponentDescription description{FourCC("aumu"), FourCC("kz6m"), FourCC("Vnt1"), 0, 0};
    Component component = RegisterComponentEntry(recordingEntry, description, "probe");
    ComponentInstance instance = nullptr;
    ASSERT_EQ(noErr, OpenAComponent(component, &instance));
    EXPECT_EQ(&seen, GetComponentInstanceStorage(instance));
    EXPECT_EQ(noErr, CallComponentDispatch(instance, 4, nullptr));
    EXPECT_EQ(&seen, seen.storage);
    EXPECT_EQ(badComponentSelector, CallComponentDispatch(instance, 99, nullptr));

    ComponentDescription read{};
    ASSERT_EQ(noErr, GetComponentInfo(GetComponentOfInstance(instance), &read, nullptr, nullptr, nullptr));
    EXPECT_EQ(0x6B7A366Du, read.componentSubType);
    EXPECT_EQ(noErr, CloseComponent(instance));
    EXPECT_EQ(1, seen.closes);
    UnregisterComponent(component);
}

TEST(ComponentManager, BundleWithoutAModuleIsReportedAsMissing)
{
    Component component = nullptr;
    EXPECT_EQ(fnfErr, RegisterComponentInBundle("/nonexistent/X.component", "Zelto2X_Entry",
                                                ComponentDescription{}, "x", &component));
    EXPECT_EQ(nullptr, component);
    EXPECT_NE(std::string::npos, ComponentLoadError().find("bundle not found"));
    EXPECT_EQ(fnfErr, RegisterComponentInBundle("/tmp", "Zelto2X_Entry", ComponentDescription{}, "x", &component));
    EXPECT_EQ(badComponentInstance, CallComponentDispatch(nullptr, 1, nullptr));
}

}  // namespace
