#pragma once
// Small value types of the GUI: rectangles, colours, text styles, bitmap
// handles, blends and mouse modifiers. Plain data, copied freely.

#include <atomic>
#include <cstring>

class ZUVE_IBitmap;
class ZUVE_IFont;

// Colour as four ints 0..255.
struct IColor {
    int A, R, G, B;
    constexpr IColor(int a = 255, int r = 0, int g = 0, int b = 0) : A(a), R(r), G(g), B(b) {}
    constexpr bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
    constexpr bool operator!=(const IColor& o) const { return !(*this == o); }
};

// The raster library's pixel: bytes A, R, G, B in memory.
constexpr unsigned int PackColor(const IColor& c)
{
    return (unsigned int)(c.A & 0xFF) | (unsigned int)(c.R & 0xFF) << 8 | (unsigned int)(c.G & 0xFF) << 16
           | (unsigned int)(c.B & 0xFF) << 24;
}

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

struct IBitmap;

// Integer rectangle, y downward. All four sides 0 is the empty rectangle.
struct IRECT {
    int L = 0, T = 0, R = 0, B = 0;

    constexpr IRECT() = default;
    constexpr IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
    // One frame of the bitmap with its top-left corner at (x, y).
    IRECT(int x, int y, const IBitmap* bitmap);

    constexpr bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
    constexpr int W() const { return R - L; }
    constexpr int H() const { return B - T; }
    constexpr bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
    constexpr bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
    constexpr bool operator!=(const IRECT& o) const { return !(*this == o); }
    // Smallest rectangle holding both.
    IRECT Union(const IRECT& o) const;
    // Larger left and top, smaller right and bottom (callers check overlap first).
    IRECT Intersect(const IRECT& o) const;
};

// The redraw rule: redraw rectangle a meets control rectangle c. Right and
// bottom edges count, left and top edges do not; empty rectangles meet nothing.
bool RedrawMeets(const IRECT& a, const IRECT& c);

// Grows r by c for dirty tracking: an empty r takes c, an empty c changes nothing.
void MergeDirtyRect(IRECT* r, const IRECT& c);

// Mouse buttons and modifiers. A command-click arrives with R set.
struct IMouseMod {
    bool L, R, S, C, A;
    constexpr IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
        : L(l), R(r), S(s), C(c), A(a) {}
};

// A number that several threads read and write. Behaves like a plain value
// in expressions; each read or write is one atomic operation.
template <typename T>
class IAtomicValue {
public:
    IAtomicValue(T v = T()) : mValue(v) {}
    IAtomicValue(const IAtomicValue& o) : mValue(o.load()) {}
    IAtomicValue& operator=(T v) { store(v); return *this; }
    IAtomicValue& operator=(const IAtomicValue& o) { store(o.load()); return *this; }
    operator T() const { return load(); }
    IAtomicValue& operator+=(T d) { store(load() + d); return *this; }
    IAtomicValue& operator-=(T d) { store(load() - d); return *this; }
    T load() const { return mValue.load(std::memory_order_relaxed); }
    void store(T v) { mValue.store(v, std::memory_order_relaxed); }

private:
    std::atomic<T> mValue;
};
using IAtomicDouble = IAtomicValue<double>;
using IAtomicFloat = IAtomicValue<float>;

// Blend of a drawing call: method and weight 0..1. A control's weight changes
// when another thread greys it out while the main thread draws with it.
struct IChannelBlend {
    enum EBlendMethod { kBlendNone = 0, kBlendClobber = 1, kBlendAdd = 2, kBlendColorDodge = 3 };
    int mMethod;
    IAtomicFloat mWeight;
    IChannelBlend(int method = kBlendNone, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// Bitmap handle. The raster bitmap belongs to the shared bitmap cache; W and H
// are those of the whole strip, frames count from 1 in drawing calls.
struct IBitmap {
    ZUVE_IBitmap* mData;
    int W, H, N;
    bool mFramesAreHorizontal;
    constexpr IBitmap(ZUVE_IBitmap* data = nullptr, int w = 0, int h = 0, int n = 1, bool horizontal = false)
        : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(horizontal) {}
    int frameWidth() const { return mFramesAreHorizontal && N > 0 ? W / N : W; }
    int frameHeight() const { return !mFramesAreHorizontal && N > 0 ? H / N : H; }
};

inline IRECT::IRECT(int x, int y, const IBitmap* bitmap)
    : L(x), T(y), R(x + (bitmap ? bitmap->frameWidth() : 0)), B(y + (bitmap ? bitmap->frameHeight() : 0)) {}

enum EDirection { kVertical = 0, kHorizontal = 1 };
enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// Text style. The surface fills mCached with the raster font on first use.
struct IText {
    enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
    enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
    enum EQuality { kQualityDefault = 0, kQualityNonAntiAliased = 1, kQualityAntiAliased = 2, kQualityClearType = 3 };
    static constexpr int kMaxFontName = 32;  // 31 characters and the terminator

    char mFont[kMaxFontName];
    int mSize;
    IColor mColor;
    IColor mTextEntryBGColor;
    IColor mTextEntryFGColor;
    int mStyle;
    int mAlign;
    int mVAlign;  // 0 top, 1 bottom, anything else centred
    int mOrientation;  // degrees
    int mQuality;
    ZUVE_IFont* mCached;

    explicit IText(int size = 12, const IColor* color = nullptr, const char* font = nullptr,
                   int style = kStyleNormal, int align = kAlignCenter, int orientation = 0,
                   int quality = kQualityDefault, const IColor* entryBG = nullptr, const IColor* entryFG = nullptr)
        : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR),
          mTextEntryBGColor(entryBG ? *entryBG : DEFAULT_TEXT_ENTRY_BGCOLOR),
          mTextEntryFGColor(entryFG ? *entryFG : DEFAULT_TEXT_ENTRY_FGCOLOR), mStyle(style), mAlign(align),
          mVAlign(2), mOrientation(orientation), mQuality(quality), mCached(nullptr)
    {
        setFont(font ? font : "Consolas");
    }
    explicit IText(const IColor* color) : IText(12, color) {}

    void setFont(const char* font)
    {
        std::strncpy(mFont, font ? font : "", kMaxFontName - 1);
        mFont[kMaxFontName - 1] = 0;
    }
};
