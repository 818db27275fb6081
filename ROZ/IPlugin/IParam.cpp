#include "IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void CopyText(char* dest, size_t destSize, const char* text)
{
    std::snprintf(dest, destSize, "%s", text ? text : "");
}

// Truncation toward zero that stays defined for any double.
int TruncToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

int PrecisionOfStep(double step)
{
    if (step == std::floor(step)) return 0;
    double product = step;
    for (int decimals = 1; decimals <= 5; ++decimals) {
        product *= 10.0;
        if (product == std::floor(product)) return decimals;
    }
    return 6;
}

}  // namespace

IParam::IParam()
    : mType(kTypeNone),
      mValue(0.0),
      mMin(0.0),
      mMax(1.0),
      mStep(1.0),
      mShape(1.0),
      mDefault(0.0),
      mExtra1(0),
      mExtra2(0),
      mDisplayPrecision(0),
      mDisplayTexts(4096),
      mNegativeDisplayTexts(4096)
{
    mName[0] = mLabel[0] = mParamGroup[0] = '\0';
}

void IParam::InitCommon(EParamType type, const char* name, const char* label, const char* group, int extra1,
                        int extra2)
{
    if (mType == kTypeNone) mType = type;
    CopyText(mName, sizeof(mName), name);
    CopyText(mLabel, sizeof(mLabel), label);
    CopyText(mParamGroup, sizeof(mParamGroup), group);
    mExtra1 = extra1;
    mExtra2 = extra2;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group, int extra1,
                      int extra2)
{
    InitCommon(kTypeBool, name, label, group, extra1, extra2);
    SetDisplayText(0, "off");
    SetDisplayText(1, "on");
    mDefault = defaultVal ? 1.0 : 0.0;
    Set(mDefault);
    mMin = 0.0;
    mMax.store(1.0, std::memory_order_relaxed);
    mStep = 1.0;
    mDisplayPrecision = 0;
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group,
                      int extra1, int extra2)
{
    InitCommon(kTypeEnum, name, label, group, extra1, extra2);
    mDefault = defaultVal;
    Set(mDefault);
    mMin = 0.0;
    mMax.store(std::max(1, nEnums - 1), std::memory_order_relaxed);
    mStep = 1.0;
    mDisplayPrecision = 0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group, int extra1, int extra2)
{
    InitCommon(kTypeInt, name, label, group, extra1, extra2);
    mDefault = defaultVal;
    Set(mDefault);
    mMin = minVal;
    mMax.store(std::max(static_cast<double>(minVal) + 1.0, static_cast<double>(maxVal)), std::memory_order_relaxed);
    mStep = 1.0;
    mDisplayPrecision = 0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, int extra1, int extra2)
{
    InitCommon(kTypeDouble, name, label, group, extra1, extra2);
    mDefault = defaultVal;
    Set(mDefault);
    mMin = minVal;
    mMax.store(std::max(minVal + step, maxVal), std::memory_order_relaxed);
    mStep = step;
    mDisplayPrecision = PrecisionOfStep(step);
}

void IParam::InitText()
{
    mType = kTypeText;
}

void IParam::SetShape(double shape)
{
    if (shape != 0.0) mShape = shape;
}

void IParam::SetClamped(double value)
{
    // A NaN from stored state would survive clamping; it reads as the minimum.
    if (std::isnan(value)) value = mMin;
    Set(std::min(std::max(value, mMin), GetMax()));
}

double IParam::GetNonNormalized(double normalized) const
{
    return mMin + (GetMax() - mMin) * std::pow(normalized, mShape);
}

void IParam::SetNormalized(double normalized)
{
    double value = GetNonNormalized(normalized);
    if (mType != kTypeDouble && mStep > 0.0) value = std::floor(value / mStep + 0.5) * mStep;
    Set(std::min(value, GetMax()));
}

double IParam::GetNormalized() const
{
    return GetNormalized(Value());
}

double IParam::GetNormalized(double plainValue) const
{
    // A collapsed range has no position inside it; 0 keeps callers away from NaN.
    const double maxVal = GetMax();
    if (maxVal == mMin) return 0.0;
    const double clamped = std::min(std::max(plainValue, mMin), maxVal);
    return std::pow((clamped - mMin) / (maxVal - mMin), 1.0 / mShape);
}

void IParam::GetBounds(double* minVal, double* maxVal) const
{
    *minVal = mMin;
    *maxVal = GetMax();
}

double IParam::DBToAmp() const
{
    return std::exp(Value() * 0.1151292546497);
}

void IParam::SetDisplayText(int value, const char* text)
{
    DisplayText record;
    record.mValue = value;
    CopyText(record.mText, sizeof(record.mText), text);

    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    if (value < 0) {
        // Kept apart so the value-indexed table and the range stay as they are.
        DisplayText* negatives = mNegativeDisplayTexts.Get();
        for (int i = 0; i < mNegativeDisplayTexts.GetSize(); ++i) {
            if (negatives[i].mValue == value) {
                negatives[i] = record;
                return;
            }
        }
        mNegativeDisplayTexts.Add(record);
        return;
    }
    const int n = mDisplayTexts.GetSize();
    if (value < n) {
        mDisplayTexts.Get()[value] = record;
    } else if (value == n) {
        if (mDisplayTexts.Add(record)) mMax.store(value, std::memory_order_relaxed);
    }
}

const IParam::DisplayText* IParam::FindDisplayTextLocked(int value) const
{
    const ROZ_TypedBuf<DisplayText>& list = value < 0 ? mNegativeDisplayTexts : mDisplayTexts;
    const DisplayText* records = list.Get();
    for (int i = 0; i < list.GetSize(); ++i)
        if (records[i].mValue == value) return records + i;
    return nullptr;
}

std::string IParam::GetDisplayText(int value) const
{
    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    const DisplayText* record = FindDisplayTextLocked(value);
    return record ? record->mText : "";
}

int IParam::GetNDisplayTexts() const
{
    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    return mDisplayTexts.GetSize();
}

std::string IParam::GetDisplayTextAtIdx(int index, int* value) const
{
    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    if (index < 0 || index >= mDisplayTexts.GetSize()) return "";
    const DisplayText& record = mDisplayTexts.Get()[index];
    if (value) *value = record.mValue;
    return record.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
    if (!text) return false;
    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    const DisplayText* records = mDisplayTexts.Get();
    for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
        if (std::strcmp(records[i].mText, text) == 0) {
            *value = records[i].mValue;
            return true;
        }
    }
    return false;
}

void IParam::ResetDisplayTexts()
{
    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    mDisplayTexts.Resize(0, true);
    mNegativeDisplayTexts.Resize(0, true);
}

const char* IParam::GetLabelForHost() const
{
    // The label field itself is never rewritten after initialisation.
    std::lock_guard<std::mutex> lock(mDisplayTextLock);
    const DisplayText* record = FindDisplayTextLocked(TruncToInt(Value()));
    return record && record->mText[0] ? "" : mLabel;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText, int outSize) const
{
    if (!out || outSize < 1) return;
    const size_t size = static_cast<size_t>(outSize);
    if (normalized) value = GetNonNormalized(value);
    if (withDisplayText) {
        std::lock_guard<std::mutex> lock(mDisplayTextLock);
        const DisplayText* record = FindDisplayTextLocked(TruncToInt(value));
        if (record && record->mText[0]) {
            CopyText(out, size, record->mText);
            return;
        }
    }
    if (mDisplayPrecision == 0)
        std::snprintf(out, size, "%d", TruncToInt(value));
    else
        std::snprintf(out, size, "%.*f", mDisplayPrecision, value);
}
