#pragma once
// A windowless surface that serves enciphered configuration resources by name
// and a few test images (the tests' and the fuzz target's).

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "zuve/zuve.h"

// Colour of cell c of frame f in the test radio strip.
inline IColor radioCellColour(int frame, int cell)
{
    return IColor(255, 40 * cell + 20, frame ? 200 : 60, 10);
}

class ConfigGraphics : public TestGraphics {
public:
    using TestGraphics::TestGraphics;

    // Resources by file name; a name not here cannot be loaded.
    std::map<std::string, std::vector<unsigned char>> resources;

    void* OSLoadFile(int, const char* name) override
    {
        auto hit = resources.find(name ? name : "");
        if (hit == resources.end())
            return nullptr;
        // Only as large as the data: the reader must pad the last block itself.
        auto* buffer = new char[hit->second.size() + 1]();
        if (!hit->second.empty())
            std::memcpy(buffer, hit->second.data(), hit->second.size());
        SetLoadedFileSize(static_cast<int>(hit->second.size()));
        return buffer;
    }

    // The images the tests use, the same in every test (the bitmap cache is
    // shared by the whole process): 40 x 40 knob frames, 20 x 20 switch
    // frames, a 40 x 20 two-frame arpeggiator radio, and a 200 x 60 two-frame radio strip with four coloured cells.
    ZUVE_IBitmap* OSLoadBitmap(int, const char* name) override
    {
        const std::string file = name ? name : "";
        if (file == "resources/img/btn-lock-white.png") {
            auto* bitmap = new ZUVE_MemBitmap(200, 60, 4);
            for (int frame = 0; frame < 2; ++frame)
                for (int cell = 0; cell < 4; ++cell) {
                    const IColor c = radioCellColour(frame, cell);
                    ZUVE_FillRect(bitmap, cell * 50, frame * 30, 50, 30, ZUVE_RGBA(c.R, c.G, c.B, c.A), 1.0f,
                        ZUVE_BLIT_MODE_COPY);
                }
            return bitmap;
        }
        static const std::map<std::string, std::pair<int, int>> kSizes = {
            {"resources/img/knob-zelto2x-normal.png", {40, 40 * 128}}, {"resources/img/on-off-button.png", {20, 40}},
            {"resources/img/time-slider.png", {12, 48}}, {"resources/img/event-radio.png", {40, 20}}};
        const auto size = kSizes.find(file);
        return size == kSizes.end() ? nullptr : new ZUVE_MemBitmap(size->second.first, size->second.second, 4);
    }
};
