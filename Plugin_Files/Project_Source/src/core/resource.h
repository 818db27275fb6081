#pragma once
// The plug-in's identity: what it registers with the host and what the
// bundle carries.

namespace zelto2x {

constexpr const char* kPlugName = "Zelto2X Editor";
constexpr const char* kPlugProductName = "";
constexpr const char* kPlugManufacturer = "Vantorel";
constexpr int kPlugVersion = 0x10100;                 // 1.1.0
constexpr int kPlugUniqueId = 0x6B7A366D;             // 'kz6m', the Audio Unit subtype
constexpr int kPlugManufacturerId = 0x566E7431;       // 'Vnt1'
constexpr int kPlugLatency = 128;                     // samples
constexpr const char* kPlugChannelIO = "2-2";
constexpr int kPlugParamCount = 91;                   // the sound's parameters, as the constructor declares them
constexpr int kPlugPresets = 0;
constexpr bool kPlugDoesMidi = true;
constexpr bool kPlugDoesStateChunks = true;
constexpr bool kPlugIsInstrument = true;
constexpr int kPlugSideChainChannels = 0;

constexpr const char* kBundleIdentifier = "com.Vantorel.audiounit.Zelto2X Editor x64";
constexpr const char* kCocoaViewFactoryClass = "Zelto2X_View_64";
constexpr const char* kCocoaViewDescription = "Zelto2X Editor View";
constexpr const char* kComponentEntryName = "Zelto2X_Entry";
constexpr const char* kViewEntryName = "Zelto2X_ViewEntry";

}  // namespace zelto2x
