// Resource files and images from the bundle's flat Resources folder.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "BackendTestSupport.h"
#include "zuve/bitmap.h"

namespace {

class ResourcesTest : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        char pattern[] = "/tmp/zelto-bundle-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        bundle = pattern;
        resources = bundle + "/Contents/Resources/";
        ASSERT_EQ(0, system(("mkdir -p '" + resources + "'").c_str()));
        graphics->SetBundlePath(bundle.c_str());
    }
    void TearDown() override
    {
        BackendTest::TearDown();
        ASSERT_EQ(0, system(("rm -rf '" + bundle + "'").c_str()));
    }
    void writeFile(const std::string& name, size_t size)
    {
        std::ofstream out(resources + name, std::ios::binary);
        for (size_t i = 0; i < size; ++i)
            out.put(static_cast<char>('a' + i % 26));
    }
    std::unique_ptr<char[]> load(const char* name)
    {
        return std::unique_ptr<char[]>(static_cast<char*>(graphics->LoadFile(0, name)));
    }
    std::string bundle, resources;
};

const int kBufferSize = 4096000;

TEST_F(ResourcesTest, FilesComeInAZeroFilledBufferOfFourMillionBytesCutThereByTheirFileNameWithTheExtensionInAnyCase)
{
    // A small file comes in a zero-filled buffer of the full size; a larger one is cut at it.
    writeFile("sysex.cfg", 10);
    std::unique_ptr<char[]> data = load("sysex.cfg");
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(std::pair(10, std::string("abcdefghij")),
              std::pair(graphics->GetLoadedFileSize(), std::string(data.get(), 10)));
    for (int i = 10; i < kBufferSize; i += 4093)
        ASSERT_EQ(0, data[i]) << i;
    EXPECT_EQ(0, data[kBufferSize - 1]);
    writeFile("ui.cfg", 5000000);
    data = load("ui.cfg");
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(std::pair(kBufferSize, 'a' + (kBufferSize - 1) % 26),
              std::pair(graphics->GetLoadedFileSize(), int(data[kBufferSize - 1])));

    // Only the file name counts, its extension in any case (a PNG as a bitmap); a missing file keeps the last size.
    writeFile("params.XML", 3);
    EXPECT_NE(nullptr, load("some/folder/params.xml"));
    EXPECT_EQ(nullptr, load("Params.xml"));  // the base name is exact
    EXPECT_EQ(3, graphics->GetLoadedFileSize());
    const uint32_t pixels[6] = {0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu};
    ASSERT_TRUE(platform::WriteScreenPNG(resources + "knob.PNG", pixels, 3, 3, 2));
    std::unique_ptr<ZUVE_IBitmap> image(graphics->OSLoadBitmap(0, "images/knob.png"));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(std::pair(3, 2), std::pair(image->getWidth(), image->getHeight()));
    EXPECT_FALSE(graphics->OSLoadBitmap(0, "knob.jpg") || graphics->OSLoadBitmap(0, "knob"));
    graphics->SetBundlePath("/nonexistent/Zelto2X Editor.component");
    EXPECT_EQ(nullptr, load("params.XML"));
}

}  // namespace
