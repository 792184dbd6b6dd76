// Tavo_Common.dll: general utilities shared by the tool and the device library.
//
// Threads, byte buffers, locks, strings, pointer containers, debug output,
// path and file helpers, serial-port enumeration and drawing into 32-bit pixel
// buffers. Functions marked [portable] also build on the host (static library
// tavo_common_core), so the Windows-free code that uses them can be tested
// there with sanitizers; the rest exists only in the DLL.
//
// Conventions: A forms take ANSI text, W forms UTF-16; path and name buffers
// hold 260 characters (MAX_PATH) unless a size is passed. Results are BOOL-like
// ints (nonzero = success) unless stated otherwise. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdarg>

#include "TavoTypes.h"

#if defined(_WIN32) && !defined(TAVO_COMMON_STATIC)
#ifdef TAVO_COMMON_BUILD
#define TAVO_COMMON_API __declspec(dllexport)
#else
#define TAVO_COMMON_API __declspec(dllimport)
#endif
#else
#define TAVO_COMMON_API
#endif

#ifdef _WIN32
typedef struct HBITMAP__* HBITMAP;
#endif

#define TAVO_MAX_PATH 260

// ---------------------------------------------------------------------------
// Threads
// ---------------------------------------------------------------------------

// The body of a CBaseThread. ThreadFunc runs once on the new thread.
class TAVO_COMMON_API IThreadFuncInterface {
public:
    virtual ~IThreadFuncInterface();
    virtual int ThreadFunc();
};

// One worker thread. StartThread(name, body, userData, priority, stackSize, flags):
// name is given to the thread for debuggers; priority 0 is normal; stackSize 0
// means the default, otherwise the reserved stack in bytes; flags are reserved (0).
// Fails (returns 0) while a thread started earlier is still running.
// StopThread waits until ThreadFunc has returned; harmless when idle. The
// destructor calls StopThread.
class TAVO_COMMON_API CBaseThread {
public:
    CBaseThread();
    virtual ~CBaseThread();
    CBaseThread(const CBaseThread&) = delete;
    CBaseThread& operator=(const CBaseThread&) = delete;

    int StartThread(const char* name, IThreadFuncInterface* body, uint64_t userData, int priority, int stackSize,
                    int flags);
    void StopThread();
    BOOL IsRunning() const;
    uint64_t GetUserData() const;

private:
    struct Impl;
    Impl* m_pImpl;
};

// ---------------------------------------------------------------------------
// Byte buffer [portable]
// ---------------------------------------------------------------------------

// A growable byte buffer. SetBuffer may be given a pointer into the buffer's
// own storage (it keeps the bytes from there on). Sizes are bytes; a negative
// or absurd size is refused (returns 0) and leaves the content unchanged.
class TAVO_COMMON_API CBaseBuffer {
public:
    CBaseBuffer();
    virtual ~CBaseBuffer();
    CBaseBuffer(const CBaseBuffer&) = delete;
    CBaseBuffer& operator=(const CBaseBuffer&) = delete;

    int AppendBuffer(const void* data, int size);  // bytes appended in order
    int SetBuffer(const void* data, int size);     // content := size bytes at data
    unsigned char* GetBuffer();                    // first byte (null when empty)
    int GetAvailSize() const;                      // number of bytes held
    void Delete();                                 // empty; storage released

private:
    unsigned char* m_pData;
    int m_nSize;
    int m_nCapacity;
};

// ---------------------------------------------------------------------------
// Locks [portable]
// ---------------------------------------------------------------------------

// A recursive mutual-exclusion lock.
class TAVO_COMMON_API CBaseLock {
public:
    CBaseLock();
    virtual ~CBaseLock();
    CBaseLock(const CBaseLock&) = delete;
    CBaseLock& operator=(const CBaseLock&) = delete;

    void Lock();
    void Unlock();

private:
    void* m_pImpl;
};

// Holds a CBaseLock for its own lifetime.
class TAVO_COMMON_API CAutoBaseLock {
public:
    explicit CAutoBaseLock(CBaseLock& lock);
    explicit CAutoBaseLock(CBaseLock* lock);
    ~CAutoBaseLock();
    CAutoBaseLock(const CAutoBaseLock&) = delete;
    CAutoBaseLock& operator=(const CAutoBaseLock&) = delete;

private:
    CBaseLock* m_pLock;
};

// ---------------------------------------------------------------------------
// Strings [portable]
// ---------------------------------------------------------------------------

// An owned narrow string. Set(text, -1) copies up to the terminating NUL,
// Set(text, n) copies n bytes; a null text gives the empty string.
// GetString never returns null.
class TAVO_COMMON_API CBaseStringA {
public:
    CBaseStringA();
    explicit CBaseStringA(const char* text);
    CBaseStringA(const CBaseStringA& other);
    CBaseStringA& operator=(const CBaseStringA& other);
    virtual ~CBaseStringA();

    int Set(const char* text, int length);
    const char* GetString() const;
    int GetLength() const;
    BOOL IsEmpty() const;

private:
    char* m_pText;
    int m_nLength;
};

// ---------------------------------------------------------------------------
// Pointer containers [portable]. Entries are never freed by the container.
// ---------------------------------------------------------------------------

// AddData(p, index): inserts p before index; -1 (or any index past the end)
// appends. Returns the index used, or -1 on failure. GetAt out of range: null.
class TAVO_COMMON_API CPtrArrayCtrl {
public:
    CPtrArrayCtrl();
    virtual ~CPtrArrayCtrl();
    CPtrArrayCtrl(const CPtrArrayCtrl&) = delete;
    CPtrArrayCtrl& operator=(const CPtrArrayCtrl&) = delete;

    int AddData(void* p, int index);
    int GetCount() const;
    void* GetAt(int index) const;
    int RemoveAt(int index, int count);  // returns the number removed
    virtual void RemoveAll();

private:
    void** m_pItems;
    int m_nCount;
    int m_nCapacity;
};

// The same operations as CPtrArrayCtrl, kept as a linked list: cheap removal
// from the front and middle. GetAt walks the list.
class TAVO_COMMON_API CPtrListCtrl {
public:
    CPtrListCtrl();
    virtual ~CPtrListCtrl();
    CPtrListCtrl(const CPtrListCtrl&) = delete;
    CPtrListCtrl& operator=(const CPtrListCtrl&) = delete;

    int AddData(void* p, int index);
    int GetCount() const;
    void* GetAt(int index) const;
    int RemoveAt(int index, int count);  // takes entries out; returns the number removed
    virtual void RemoveAll();

private:
    struct Node;
    Node* m_pHead;
    Node* m_pTail;
    int m_nCount;
};

// ---------------------------------------------------------------------------
// Debug output [portable]
// ---------------------------------------------------------------------------

// A sink receives every formatted message: (context, level, text, length).
// The text is the complete message (time stamp, optional tag and ids, then the
// formatted text), not NUL-terminated for the sink's purposes: use length.
// Sinks run on the logging thread with no library lock held. A sink must not
// wait for a thread that is removing that same sink, and must not log through
// DbgOutputA itself (such nested messages may be dropped).
typedef int (*DbgOutputCallback)(void* context, int level, const char* text, int length);

extern "C" {
// Registers a sink; the same sink function registered twice replaces its context.
TAVO_COMMON_API int DbgOutputAddCallback(DbgOutputCallback sink, void* context);
// Removes a sink. When it returns, the sink is not running and will never run
// again (a sink must not remove itself from inside its own call).
TAVO_COMMON_API int DbgOutputDelCallback(DbgOutputCallback sink);
// Tag text put in front of each message (null or empty: none); the second
// argument is reserved (0).
TAVO_COMMON_API void DbgOutputSetTag(const char* tag, int reserved);
// Time stamp in front of each message: 0 none, 1 local date and time with
// milliseconds, 2 milliseconds since the process started.
TAVO_COMMON_API void DbgOutputSetTimeType(int timeType);
// Nonzero: the process and thread ids follow the time stamp.
TAVO_COMMON_API void DbgOutputSetIncludePIDTID(int include);
// Formats (printf rules) and delivers to every sink, safe from any thread.
// Levels: 0 error, 1 warning, 2 information, 3 detail. Returns the text length.
TAVO_COMMON_API int DbgOutputA(int level, const char* format, ...);
TAVO_COMMON_API int DbgOutputVA(int level, const char* format, va_list args);
}

// ---------------------------------------------------------------------------
// Paths and files
// ---------------------------------------------------------------------------

extern "C" {
// Folder of the executable of process pid (0 or the own id: this process),
// without a trailing separator, into out (260 characters; fails when the
// folder is longer: the tool itself asks with a growing buffer instead). The A form gives
// the path in the ANSI code page: a folder whose name that code page cannot
// spell comes out with '?' in it; the W form gives it as it is.
TAVO_COMMON_API int GetProgramPathA(DWORD pid, char* out);
TAVO_COMMON_API int GetProgramPathW(DWORD pid, wchar_t* out);
// out := folder joined with name by one separator (260 characters). out may be
// the same buffer as folder or name. A name that is already absolute is kept.
TAVO_COMMON_API int CombinePathNameA(char* out, const char* folder, const char* name);
TAVO_COMMON_API int CombinePathNameW(wchar_t* out, const wchar_t* folder, const wchar_t* name);
// Creates the folder and every missing parent. Nonzero when it exists afterwards.
// Any length: a path past 248 characters is made in its \\?\ form.
TAVO_COMMON_API int RecursiveCreateDirectoryA(const char* path);
TAVO_COMMON_API int RecursiveCreateDirectoryW(const wchar_t* path);
// A file name (no folder) made of prefix, the local date and time, and ext
// (with or without its dot), into out (260 characters). Names never repeat
// within one process. timeMode/flag/reserved: see the implementation notes.
TAVO_COMMON_API int GetFileNameByDateA(char* out, const char* ext, const char* prefix, const char* suffix,
                                       int reserved1, int flag, int reserved2);
TAVO_COMMON_API int GetFileNameByDateW(wchar_t* out, const wchar_t* ext, const wchar_t* prefix, const wchar_t* suffix,
                                       int reserved1, int flag, int reserved2);
// Reads a whole file. Returns its size and hands out a block (followed by a
// NUL byte not counted in the size) to give back with ReleaseFileData; the
// block stays null and the result is -1 when the file cannot be read.
TAVO_COMMON_API int64_t ReadFileDataA(const char* path, unsigned char** block);
TAVO_COMMON_API int64_t ReadFileDataW(const wchar_t* path, unsigned char** block);
TAVO_COMMON_API void ReleaseFileData(unsigned char* block);
// "major.minor.build.revision" from the file's version resource.
TAVO_COMMON_API int GetFileVersionW(const wchar_t* file, wchar_t* out, int outChars);
// Extension of a name without its dot ("" when none).
TAVO_COMMON_API int GetFileExtNameA(const char* name, char* out, int outChars);
TAVO_COMMON_API int GetFileExtNameW(const wchar_t* name, wchar_t* out, int outChars);
// Nonzero when the path names an existing file (not a folder).
TAVO_COMMON_API int IsFileExistW(const wchar_t* path);
}

// ---------------------------------------------------------------------------
// Text conversion [portable]
// ---------------------------------------------------------------------------

// Type codes of DigtalStringToValue.
enum TavoValueType {
    TAVO_VALUE_INT8 = 1,
    TAVO_VALUE_UINT8 = 2,
    TAVO_VALUE_INT16 = 3,
    TAVO_VALUE_UINT16 = 4,
    TAVO_VALUE_INT32 = 5,
    TAVO_VALUE_UINT32 = 6,
    TAVO_VALUE_INT64 = 7,
    TAVO_VALUE_UINT64 = 8,
    TAVO_VALUE_FLOAT = 9,
    TAVO_VALUE_DOUBLE = 10
};

extern "C" {
// Converts length bytes of decimal text (blanks around it allowed) into the
// destination of the given type. Text that is not a number of that type, or is
// out of its range, leaves the destination unchanged and returns 0.
TAVO_COMMON_API int DigtalStringToValue(const char* text, int length, void* out, int type);
}

// Splits length characters of text (-1: up to the NUL) at any of the nseps
// separator characters. Every piece, empty ones included, is copied into a
// block and a pointer to its NUL-terminated text appended to pieces; at most
// maxPieces pieces (-1: no limit), the last one keeping the rest. Returns the
// block, which owns the texts and is given back with Internal_DelArrayW; null
// when there is nothing to split (empty text).
TAVO_COMMON_API void* DevideStringByCharListW(const wchar_t* text, int length, const wchar_t* seps, int nseps,
                                              int flags, CPtrArrayCtrl* pieces, int maxPieces);
extern "C" TAVO_COMMON_API void Internal_DelArrayW(void* block);

// ---------------------------------------------------------------------------
// Serial ports
// ---------------------------------------------------------------------------

// Appends one newly allocated wide name ("COM5") per serial port listed by the
// system, sorted by number (COM2 before COM10). Returns the count.
TAVO_COMMON_API int EnumSerialPortNameW(CPtrListCtrl* names);
// Frees the names that EnumSerialPortNameW added and empties the list.
TAVO_COMMON_API void FreeSerialPortNameA(CPtrListCtrl* names);

// ---------------------------------------------------------------------------
// Pixel buffers and rectangles [portable, except CreateHBitmap]
// ---------------------------------------------------------------------------

#ifdef _WIN32
// A DIB section of w x |h| pixels at bpp bits per pixel. h > 0 gives a
// top-down bitmap (row y starts at y * stride), h < 0 a bottom-up one.
// *bits (when bits is not null) receives the pixels. section/offset: reserved
// (null, 0). Returns null on failure.
extern "C" TAVO_COMMON_API HBITMAP CreateHBitmap(void** bits, int w, int h, int bpp, void* section, DWORD offset);
#endif

extern "C" {
// Fills rect of a 32-bit buffer (row y at bits + y * stride) with a COLORREF,
// stored as the pixel 0x00RRGGBB. The rectangle is trusted to lie in the buffer.
TAVO_COMMON_API void DrawColorOnBuffer(COLORREF color, void* bits, const RECT* rect, int stride);
// Draws a line from 'from' to 'to', both ends included, in a w x h buffer of
// bytesPerPixel (4) bytes per pixel; pixel k of the line takes
// pattern[k % patternLength], stored unchanged. Pixels outside the buffer are
// not written. flags: reserved (0).
TAVO_COMMON_API void DrawLineOnBuffer(void* bits, POINT from, POINT to, int w, int h, int stride, int bytesPerPixel,
                                      int patternLength, const DWORD* pattern, int flags);
// rect := (left, top, right, bottom).
TAVO_COMMON_API void SetRectXY(RECT* rect, int left, int top, int right, int bottom);
// out := rect clipped to bounds (all zero when they do not meet). Nonzero
// when the result is not empty. out may be rect.
TAVO_COMMON_API int BoundRect(RECT* out, const RECT* rect, const RECT* bounds);
}

// Distinct colours for curves and series: rows of 10 COLORREF values.
#define TAVO_COLOR_TABLE_ROWS 5
extern "C" TAVO_COMMON_API const COLORREF gCommonColorTable[TAVO_COLOR_TABLE_ROWS][10];
