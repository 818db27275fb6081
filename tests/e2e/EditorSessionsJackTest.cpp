// User sessions through the host program and its headless view, against the
// simulated Zelto 2 on a private JACK server. Every expectation on the wire
// comes from the documented protocol and the bundle's configuration files.
#include <algorithm>
#include <filesystem>

#include "ParameterTable.h"
#include "Zelto2Protocol.h"
#include "e2e/HostSession.h"
#include "e2e/SoundDumpMap.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// Panel points (surface pixels at the normal size) from resources/uiconfig.xml.
const At kRandomButton {172, 68}, kRequestButton {356, 68}, kGlobalTab {196, 30}, kLibraryTab {268, 30};
const At kCutoffKnob {160, 384}, kOsc2SyncButton {976, 172}, kFilterTypeMenu {200, 502}, kStoreSoundButton {204, 147};
const At kSendStartStopSwitch {176, 396}, kSendClockSwitch {288, 396}, kTransferPauseMenu {1184, 382};
const At kLibrarianMenu {616, 208}, kPreviousUpperBank {682, 210}, kNextUpperBank {706, 210};
const At kLibraryControlSwitch {160, 724};

// The configuration's single-parameter message (template 3E 16 58 41 01 B vv 00)
// for dump byte B with the device ID of the synth that answered.
std::string soundParameterMessage(int device, int dumpByte, int value)
{
    return zelto2sim::ToHex({0xF0, 0x3E, 0x16, uint8_t(device), 0x41, 0x01, uint8_t(dumpByte), uint8_t(value), 0x00, 0xF7});
}

class EditorSession : public HostSession {
protected:
    // Ports chosen in the view's MIDI IN and MIDI OUT menus, and the synth found by its device-ID enquiry.
    void Connect(int device = 0)
    {
        StartHost();
        // The input first, so the answer to the enquiry that choosing the output starts finds it open.
        Click({1300, 43}, synth.OutputPortName());
        Click({1300, 19}, synth.InputPortName());
        ASSERT_TRUE(synth.WaitForReceived(zelto2sim::ToHex({0xF0, 0x3E, 0x16, uint8_t(device), 0x04, 0xF7})));
        ASSERT_TRUE(WaitForParam(kGlobalDeviceID, device));
    }

    // A dump is decoded parameter by parameter on the MIDI input thread, so
    // the wait is for every parameter the dump sets; then any left differing is named.
    void ExpectPanelShows(const Bytes& dump)
    {
        const auto values = PanelValuesOf(dump);
        WaitUntil([&] {
            return std::all_of(values.begin(), values.end(), [&](const auto& pv) { return Param(pv.first) == pv.second; });
        });
        for (const auto& [param, value] : values)
            EXPECT_EQ(value, Param(param)) << "parameter " << param;
    }

    // Presses PROGRAM KEYS USE LIBRARY, which nothing in the sessions uses, on and off again: once it answers, the
    // progress overlay of the job before has gone, and nothing shows it again until another job starts.
    bool OverlayGone()
    {
        const double keys = Param(kControlLibrary);
        return PressUntilParam(kLibraryControlSwitch, kControlLibrary, 1.0 - keys)
            && PressUntilParam(kLibraryControlSwitch, kControlLibrary, keys);
    }

    // A job may still be ending after its overlay has gone, and drops a request made meanwhile ("Please wait!"):
    // the menu item is chosen again until the synth hears the request. Each choice waits for the overlay to go
    // (so the menu opens and takes its answer) and for a request that was taken to be heard.
    bool ChooseUntilReceived(At menu, const std::string& item, const std::string& request)
    {
        const auto asked = [&](const std::vector<std::string>& lines) {
            return std::count(lines.begin(), lines.end(), request);
        };
        const auto before = asked(synth.Received());
        return WaitUntil([&] {
            if (!OverlayGone())
                return false;
            Click(menu, item);
            return synth.WaitForReceivedLines([&](const auto& lines) { return asked(lines) > before; },
                                              std::chrono::seconds(2));
        });
    }
};

// At device ID 3: the enquiry finds it, and every message goes to that device.
TEST_F(EditorSession, RequestedSoundFillsThePanelEditsComeBackWithTheNextRequestAndARandomSoundLeavesTheSynthAsThePanel)
{
    const Bytes sound = SoundDump(0, "E2E SOUND", {{7, 3}, {9, 40}, {12, 33}, {23, 1}, {26, 7}, {43, 1},
                                                   {46, 5}, {49, 48}, {50, 85}, {52, 2}, {59, 51}, {62, 77},
                                                   {97, 0x53}, {113, 9}});
    WriteFileBytes(scratch + "/sound.syx", sound);
    StartSynth({"--syx", scratch + "/sound.syx", "--device-id", "3"});
    Connect(3);
    const auto requests = [](const std::vector<std::string>& lines) {
        return std::count(lines.begin(), lines.end(), "F0 3E 16 03 00 7F 00 F7");
    };
    ASSERT_TRUE(PressUntilReceived(kRequestButton, [&](const auto& lines) { return requests(lines) > 0; }));
    ExpectPanelShows(sound);

    // Turned up (the progress overlay of the request takes the first moves while it shows).
    ASSERT_TRUE(RepeatUntil(Line("drag", kCutoffKnob, "0 -40"), [&] { return Param(kFilterCutoff) > 48.0; }));
    const double cutoff = Param(kFilterCutoff);
    EXPECT_TRUE(synth.WaitForReceived(soundParameterMessage(3, 49, static_cast<int>(cutoff))));
    ASSERT_TRUE(PressUntilParam(kOsc2SyncButton, kOscillator2Sync, 0.0));
    EXPECT_TRUE(synth.WaitForReceived(soundParameterMessage(3, 23, 0)));
    Click(kFilterTypeMenu, "12DB HIGHPASS");
    EXPECT_TRUE(synth.WaitForReceived(soundParameterMessage(3, 52, 3)));

    // The synth keeps the edits: a request over a cutoff changed while no output was open brings them back.
    RunAll({"set 273 OFF", "set 40 10", "set 273 " + synth.InputPortName()});
    const auto before = requests(synth.Received());
    ASSERT_TRUE(PressUntilReceived(kRequestButton, [&](const auto& lines) { return requests(lines) > before; }));
    EXPECT_TRUE(WaitUntil([&] {
        return Param(kFilterCutoff) == static_cast<int>(cutoff) && Param(kOscillator2Sync) == 0.0
            && Param(kFilterType) == 3.0;
    }));
    EXPECT_EQ(static_cast<int>(cutoff), Param(kFilterCutoff));
    EXPECT_EQ(0.0, Param(kOscillator2Sync));
    EXPECT_EQ(3.0, Param(kFilterType));

    // Randomizing sends the new sound to the synth's edit buffer at once.
    const size_t dumps = DumpsOnTheWire().size();
    ASSERT_TRUE(PressUntilReceived(kRandomButton, [&](const auto& lines) { return DumpsIn(lines).size() > dumps; }));
    const Bytes sent = DumpsOnTheWire().back();
    EXPECT_EQ((Bytes{0xF0, 0x3E, 0x16, 0x03, 0x10, 0x7F, 0x00}), Bytes(sent.begin(), sent.begin() + 7));
    const Bytes init = SoundDump(-1, "INIT", {});
    EXPECT_NE(Bytes(init.begin() + 7, init.end() - 2), Bytes(sent.begin() + 7, sent.end() - 2));
    // The editor then reads the synth's edit buffer back: the panel shows what the synth holds.
    ASSERT_TRUE(synth.WaitForReceivedLines([](const std::vector<std::string>& lines) {
        const auto lastDump = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& line) {
            return !DumpsIn({line}).empty();
        });
        return std::find(lines.rbegin(), lastDump, "F0 3E 16 03 00 7F 00 F7") != lastDump;
    }));
    ExpectPanelShows(sent);
}

// The number of sounds (137-byte dumps) in the bank files of a folder tree.
size_t soundsOnDisk(const std::string& folder)
{
    size_t sounds = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            sounds += entry.file_size() / 137;
    return sounds;
}

// A bank of 100 sounds, each with a cutoff of its own.
Bytes bankOf(const std::string& prefix)
{
    Bytes bank;
    for (int slot = 0; slot < 100; ++slot) {
        const Bytes sound = SoundDump(slot, prefix + std::to_string(slot + 1), {{49, static_cast<uint8_t>(slot)}});
        bank.insert(bank.end(), sound.begin(), sound.end());
    }
    return bank;
}

// A hundred sounds, each with its pause of 100 ms and its answer: about 25 s
// alone, several times that on a machine under heavy load. The deadline only
// has to catch a transfer that stopped.
constexpr std::chrono::seconds kBankTransfer {240};

// The centre of upper-list slot i (librarian view at 152, 240, rows of 18).
At upperSlot(int i) { return {152 + (i / 25) * 158 + 60, 241 + (i % 25) * 18 + 9}; }

// A fresh data folder, as a music host on a new machine leaves it: the editor
// makes the library with its first bank (100 INIT sounds, the core tests'
// matter); an imported bank is stored on the synth and requested back into
// the first bank, which is saved byte for byte. Then STORE SOUND lights
// UNSAVED until Save, slots play on the library page by double click and
// arrows, and the session saved as a project reopens and plays with clock.
TEST_F(EditorSession, FreshLibraryStoresAndRequestsBanksSavedByteForByteSlotsPlayAndTheSavedProjectReopensWithClock)
{
    const Bytes stored = bankOf("STORED ");
    WriteFileBytes(scratch + "/outside/A Stored.syx", stored);
    const std::string bank = dataFolder + "/Patches/User Bank 1.syx";
    StartSynth();
    Connect();
    const double before = Param(kFilterCutoff);
    ASSERT_TRUE(RepeatUntil(Line("drag", kCutoffKnob, "0 40"), [&] { return Param(kFilterCutoff) != before; }));
    ASSERT_TRUE(PressUntilParam(kGlobalTab, kMainTab, 0.0));
    Click(kTransferPauseMenu, "100 MS");
    EXPECT_EQ(4.0, Param(kLibSyncTimer));  // the value whose pause is 100 ms
    Click(kLibraryTab);

    RunAll({"file " + scratch + "/outside/A Stored.syx"});
    Click(kLibrarianMenu, "Import.../1");  // "SysEx (*.syx / *.zt2)": its title holds the path separator
    EXPECT_EQ(200u, soundsOnDisk(dataFolder));
    // Both banks listed once the library was read again (after the enquiry job), the imported one edited.
    ASSERT_TRUE(PressUntilParam(kNextUpperBank, kPatchSelectionListUpper, 1.0));
    ASSERT_TRUE(PressUntilParam(kPreviousUpperBank, kPatchSelectionListUpper, 0.0));
    Click(kLibrarianMenu, "Store Patch Data/All Patches to P001-P100");
    ASSERT_TRUE(WaitForDumps(100, kBankTransfer));
    const std::vector<Bytes> onTheSynth = DumpsOnTheWire();
    for (size_t slot = 0; slot < 100; ++slot)
        EXPECT_EQ(Bytes(stored.begin() + 137 * slot + 7, stored.begin() + 137 * (slot + 1) - 2),
                  Bytes(onTheSynth[slot].begin() + 7, onTheSynth[slot].end() - 2)) << slot;

    ASSERT_TRUE(PressUntilParam(kNextUpperBank, kPatchSelectionListUpper, 1.0));  // once the store's overlay went
    ASSERT_TRUE(ChooseUntilReceived(kLibrarianMenu, "Request Patch Data/Patches from 001-100", "F0 3E 16 00 00 00 00 F7"));
    // UNSAVED lights as the request ends, before its overlay goes.
    ASSERT_TRUE(WaitForParam(kBankEditUnsaved, 1.0, kBankTransfer));
    ASSERT_TRUE(OverlayGone());
    Click(kLibrarianMenu, "Save (Overwrite current bank)");
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(bank) == stored; }));
    EXPECT_EQ(0.0, Param(kBankEditUnsaved));
    EXPECT_EQ(stored, ReadFileBytes(dataFolder + "/Patches/A Stored.syx"));
    EXPECT_EQ(200u, soundsOnDisk(dataFolder));

    // The panel's sound stored into slot 3 of the first bank.
    const int cutoff = static_cast<int>(Param(kFilterCutoff));
    Click(upperSlot(2));
    ASSERT_TRUE(PressUntilParam(kStoreSoundButton, kBankEditUnsaved, 1.0));
    ASSERT_TRUE(OverlayGone());
    Click(kLibrarianMenu, "Save (Overwrite current bank)");
    EXPECT_TRUE(WaitUntil([&] {
        const Bytes saved = ReadFileBytes(bank);
        return saved.size() == 13700 && saved[137 * 2 + 49] == cutoff;
    }));
    EXPECT_EQ(0.0, Param(kBankEditUnsaved));

    // Each sound reaches the synth's edit buffer, and the page stays for the next arrow. A send is dropped while
    // the job before still ends, so the slot is double-clicked until its sound goes out.
    const size_t dumps = DumpsOnTheWire().size();
    ASSERT_TRUE(RepeatUntilReceived(Line("dblclick", upperSlot(2)),
                                    [&](const auto& lines) { return DumpsIn(lines).size() > dumps; }));
    const Bytes sent = DumpsOnTheWire().back();
    EXPECT_EQ(Bytes({0xF0, 0x3E, 0x16, 0x00, 0x10, 0x7F, 0x00}), Bytes(sent.begin(), sent.begin() + 7));
    EXPECT_EQ(cutoff, sent.at(49));
    for (int slot : {3, 4}) {
        const Bytes sound(stored.begin() + 137 * slot + 7, stored.begin() + 137 * slot + 135);
        const auto landed = [&](const std::vector<std::string>& lines) {
            const std::vector<Bytes> arrived = DumpsIn(lines);
            return !arrived.empty() && Bytes(arrived.back().begin() + 7, arrived.back().begin() + 135) == sound;
        };
        // The overlay of the send before takes the key, and a send that still ends drops the new one: the key is
        // pressed again from the slot before, the list taking the keys again with a click that sends nothing.
        EXPECT_TRUE(WaitUntil([&] {
            if (landed(synth.Received()))  // a send taken late
                return true;
            if (!OverlayGone())
                return false;
            Click(upperSlot(slot - 1));
            RunAll({"key down"});
            return synth.WaitForReceivedLines(landed, std::chrono::seconds(2));
        })) << slot;
        EXPECT_EQ(slot, Param(kCurrentPatch)) << slot;
        EXPECT_EQ(1.0, Param(kMainTab)) << slot;
    }

    // A saved project reopens the ports by name and sends its sound again, though another synth's ports
    // now come first in the lists. Then, with the clock switched on, playing sends FA, F8 at the tempo and FC.
    const std::string project = scratch + "/project.aupreset";
    EXPECT_EQ("ok " + project, Run("save " + project));
    QuitHost();

    testsupport::SimulatedSynth other;
    std::string error;
    ASSERT_TRUE(other.Start(&error, {}, "A Zelto")) << error;
    const size_t dumpsBefore = DumpsOnTheWire().size();
    StartHost();
    EXPECT_EQ("ok", Run("load " + project));
    ASSERT_TRUE(WaitForDumps(dumpsBefore + 1));
    EXPECT_TRUE(DumpsIn(other.Received()).empty());
    other.Stop();

    RunAll({"tempo 300"});
    ASSERT_TRUE(PressUntilParam(kGlobalTab, kMainTab, 0.0));
    ASSERT_TRUE(PressUntilParam(kSendStartStopSwitch, kSendMIDIClockPointer, 1.0));
    // 24 clocks a beat: at 300 beats a minute one every 8.33 ms, each sent at its time or later, never sooner. The
    // time runs from before the clock is switched on, so clocks that arrive late (JACK hands MIDI over in periods,
    // a loaded machine delays them more) can make it seem slower, never faster.
    const auto clocks = [](const std::vector<std::string>& lines) {
        return static_cast<size_t>(std::count(lines.begin(), lines.end(), "F8"));
    };
    const size_t clocksBefore = clocks(synth.Received());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PressUntilParam(kSendClockSwitch, kSendMIDIClockInfo, 1.0));
    RunAll({"play"});
    ASSERT_TRUE(synth.WaitForReceived("FA"));
    constexpr size_t kClocks = 192;
    ASSERT_TRUE(synth.WaitForReceivedLines([&](const auto& lines) { return clocks(lines) >= clocksBefore + kClocks; }));
    const double spacingMs
        = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kClocks;
    // Never faster than the tempo; how much slower a loaded machine delivers
    // them is not the clock's fault (its accuracy is the clock benchmark's).
    EXPECT_GT(spacingMs, 8.33 * 0.9);
    RunAll({"stop"});
    EXPECT_TRUE(synth.WaitForReceived("FC"));
}

}  // namespace
}  // namespace e2e
