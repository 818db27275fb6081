#pragma once
// The base of the JACK fixtures: every test gets a private JACK server with
// one simulated Zelto 2 on it. A fixture's SetUp calls this one first (and
// stops on a fatal failure); its TearDown ends whatever talks to the ports,
// then calls this one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/JackServer.h"
#include "support/SimulatedSynth.h"

namespace testsupport {

class JackSynthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        ASSERT_TRUE(synth.Start(&error)) << error;
    }
    void TearDown() override
    {
        // Stopped first: its standard error is then read to the end.
        synth.Stop();
        EXPECT_EQ(synth.Refusals(), std::vector<std::string> {});
        server.Stop();
    }

    JackServer server;
    SimulatedSynth synth;
};

}  // namespace testsupport
