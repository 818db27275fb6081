#pragma once
// The process-wide cache of loaded bitmaps, shared by every surface and never
// trimmed. Entries are keyed by resource id and the scale they were loaded
// at, so instances at different UI scales each find their own copy.
//
// Any thread: every operation takes the cache's recursive mutex for its
// whole run; no other lock is taken while it is held.

#include "mutex.h"
#include "ptrlist.h"

class ZUVE_IBitmap;

class BitmapStorage {
public:
    struct Entry {
        int mID;
        double mScale;
        ZUVE_IBitmap* mBitmap;  // owned
    };

    BitmapStorage() = default;
    ~BitmapStorage();  // deletes every bitmap

    // The first bitmap stored under id and scale, or null.
    ZUVE_IBitmap* Find(int id, double scale);
    // The first bitmap stored under id at any scale, or null.
    ZUVE_IBitmap* FindAnyScale(int id);
    // Takes ownership of bitmap.
    void Add(ZUVE_IBitmap* bitmap, int id, double scale);
    // Deletes the first entry holding bitmap and the bitmap; false when absent.
    bool Remove(ZUVE_IBitmap* bitmap);
    int Size();

private:
    ROZ_PtrList<Entry> mEntries;
    ROZ_Mutex mMutex;
};

extern BitmapStorage s_bitmapCache;
