#pragma once
// One plug-in parameter: kind, plain value and range, the mapping to the
// normalised 0..1 position that controls and the host use, display texts,
// name, label and group.
//
// The plain value is read and written from several threads (host, main,
// render, MIDI input, workers) without the plug-in lock; it is kept atomic so
// those plain stores and loads never tear. Display texts are replaced at run
// time too (a received sound's name arrives on the MIDI input thread), so
// they sit behind the parameter's own lock and are handed out as copies. The
// rest is set up on the main thread while the editor is built.

#include <atomic>
#include <mutex>
#include <string>

#include "heapbuf.h"

// The MIDI binding of a parameter; defined by the editor's configuration.
class ControlAction;

class IParam {
public:
    enum EParamType {
        kTypeNone = 0,
        kTypeBool = 1,
        kTypeInt = 2,
        kTypeEnum = 3,
        kTypeDouble = 4,
        kTypeText = 5,
    };

    static constexpr int kTextLength = 55;         // name, label, group: 54 characters
    static constexpr int kDisplayTextLength = 56;  // 55 characters

    struct DisplayText {
        int mValue;
        char mText[kDisplayTextLength];
    };

    IParam();
    ~IParam() = default;
    IParam(const IParam&) = delete;
    IParam& operator=(const IParam&) = delete;

    // Initialisation (main thread, while the editor is built). Texts longer
    // than their fields are cut. A parameter keeps the first kind it gets;
    // only InitText changes it afterwards.
    void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "",
                  int extra1 = -1, int extra2 = -1);
    void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "",
                  int extra1 = -1, int extra2 = -1);
    void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
                 const char* group = "", int extra1 = -1, int extra2 = -1);
    void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                    const char* label = "", const char* group = "", int extra1 = -1, int extra2 = -1);
    void InitText();
    // Ignored when shape is 0.
    void SetShape(double shape);

    // Plain value; any thread.
    double Value() const { return mValue.load(std::memory_order_relaxed); }
    int Int() const { return static_cast<int>(Value()); }
    bool Bool() const { return Value() >= 0.5; }
    void Set(double value) { mValue.store(value, std::memory_order_relaxed); }
    // Stores value clamped into [minimum, maximum]; no change callback.
    void SetClamped(double value);

    // Normalised mapping (see the class comment).
    void SetNormalized(double normalized);
    double GetNormalized() const;
    double GetNormalized(double plainValue) const;
    // Plain value of a normalised position: no snapping, no clamping.
    double GetNonNormalized(double normalized) const;

    EParamType Type() const { return static_cast<EParamType>(mType); }
    double GetMin() const { return mMin; }
    double GetMax() const { return mMax.load(std::memory_order_relaxed); }
    void GetBounds(double* minVal, double* maxVal) const;
    double GetStep() const { return mStep; }
    double GetShape() const { return mShape; }
    double GetDefault() const { return mDefault; }
    int GetPrecision() const { return mDisplayPrecision; }
    int GetExtra1() const { return mExtra1; }
    int GetExtra2() const { return mExtra2; }
    double DBToAmp() const;
    // The host's text-to-value conversion negates when set; clear from construction.
    bool GetNegateDisplay() const { return mNegateDisplay; }
    void NegateDisplay() { mNegateDisplay = true; }

    // Display texts, indexed by value 0, 1, 2... A value equal to the count
    // appends and raises the maximum to it; a value below the count
    // overwrites. A negative value keeps a text of its own that
    // GetDisplayText finds without touching the table or the range; a value
    // beyond the count is ignored.
    // Every display-text operation may be called from any thread but render
    // (main, host, MIDI input); each takes the parameter's display-text lock,
    // and texts are returned as copies a later change cannot touch.
    void SetDisplayText(int value, const char* text);
    std::string GetDisplayText(int value) const;
    int GetNDisplayTexts() const;
    // index must be below GetNDisplayTexts(); returns "" otherwise (also when
    // the texts were reset since the count was read).
    std::string GetDisplayTextAtIdx(int index, int* value = nullptr) const;
    bool MapDisplayText(const char* text, int* value) const;
    void ResetDisplayTexts();

    const char* GetNameForHost() const { return mName; }
    // Empty when the current value has a non-empty display text. This and
    // GetDisplayForHost: any thread but render; take the display-text lock.
    const char* GetLabelForHost() const;
    const char* GetParamGroupForHost() const { return mParamGroup; }
    // Writes the display of value into out, cut to outSize bytes (the
    // controls' 32-byte buffers by default; the host's text buffer is larger).
    void GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText = true,
                           int outSize = kDisplayForHostLength) const;
    void GetDisplayForHost(char* out, bool withDisplayText = true) const
    {
        GetDisplayForHost(Value(), false, out, withDisplayText);
    }
    static constexpr int kDisplayForHostLength = 32;

    // The parameter's MIDI binding (null when none). The configuration sets
    // it while building controls and keeps ownership.
    ControlAction* GetControlAction() const { return mControlAction; }
    void SetControlAction(ControlAction* action) { mControlAction = action; }

private:
    void InitCommon(EParamType type, const char* name, const char* label, const char* group, int extra1,
                    int extra2);
    // Caller holds mDisplayTextLock.
    const DisplayText* FindDisplayTextLocked(int value) const;

    int mType;
    std::atomic<double> mValue;
    double mMin;
    // Atomic because appending a display text raises it from whichever thread adds the text.
    std::atomic<double> mMax;
    double mStep;
    double mShape;
    double mDefault;
    int mExtra1;
    int mExtra2;
    int mDisplayPrecision;
    char mName[kTextLength];
    char mLabel[kTextLength];
    char mParamGroup[kTextLength];
    ROZ_TypedBuf<DisplayText> mDisplayTexts;
    ROZ_TypedBuf<DisplayText> mNegativeDisplayTexts;
    mutable std::mutex mDisplayTextLock;  // guards both display-text tables
    bool mNegateDisplay = false;
    ControlAction* mControlAction = nullptr;
};
