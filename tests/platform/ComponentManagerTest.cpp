// The Component Manager stand-in: what the Audio Unit tests and the host
// program do not reach (component info, a folder without a module, null instances).
#include <gtest/gtest.h>

#include "platform/ComponentManager.h"

namespace {

ComponentResult closingEntry(ComponentParameters* params, void*)
{
    return params->what == kComponentOpenSelect || params->what == kComponentCloseSelect ? noErr
                                                                                        : badComponentSelector;
}

TEST(ComponentManager, InfoComesFromTheDescriptionAndMissingModulesOrInstancesAreRefused)
{
    const ComponentDescription description{FourCC("aumu"), FourCC("kz6m"), FourCC("Vnt1"), 0, 0};
    Component component = RegisterComponentEntry(closingEntry, description, "probe");
    ComponentInstance instance = nullptr;
    ASSERT_EQ(noErr, OpenAComponent(component, &instance));
    ComponentDescription read{};
    ASSERT_EQ(noErr, GetComponentInfo(GetComponentOfInstance(instance), &read, nullptr, nullptr, nullptr));
    EXPECT_EQ(0x6B7A366Du, read.componentSubType);
    EXPECT_EQ(noErr, CloseComponent(instance));
    UnregisterComponent(component);

    Component missing = nullptr;
    EXPECT_EQ(fnfErr, RegisterComponentInBundle("/tmp", "Zelto2X_Entry", ComponentDescription{}, "x", &missing));
    EXPECT_EQ(nullptr, missing);
    EXPECT_EQ(badComponentInstance, CallComponentDispatch(nullptr, 1, nullptr));
}

}  // namespace
