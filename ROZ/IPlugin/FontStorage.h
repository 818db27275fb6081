#pragma once
// The process-wide cache of raster fonts by size, orientation, style and
// font name; shared by every surface and never trimmed.
//
// Any thread: every operation takes the cache's recursive mutex for its
// whole run; no other lock is taken while it is held.

#include <string>

#include "mutex.h"
#include "ptrlist.h"

class ZUVE_IFont;

class FontStorage {
public:
    struct Entry {
        int mSize;
        int mOrientation;
        int mStyle;
        std::string mFace;  // at most 35 characters, as the style names it
        ZUVE_IFont* mFont;  // owned
    };

    FontStorage() = default;
    ~FontStorage();  // deletes every font

    ZUVE_IFont* Find(int size, int orientation, int style, const char* face);
    // Takes ownership of font.
    void Add(ZUVE_IFont* font, int size, int orientation, int style, const char* face);
    int Size();

private:
    ROZ_PtrList<Entry> mEntries;
    ROZ_Mutex mMutex;
};

extern FontStorage s_fontCache;

// The height to ask for again when a font of the requested height came out
// with another line height: size squared over the line height, rounded (4 in
// place of the square below size 2). 0 when no retry is due, including a font
// that reports no line height at all.
int FontRetryHeight(int size, int requestedHeight, int lineHeight);
