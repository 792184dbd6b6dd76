// One owner type for every handle kind the tool and its two libraries hold.
//
// UniqueHandle<Traits> is move-only and closes what it holds when it goes or
// is reset. A traits struct names the handle type, its empty value, what
// counts as a real handle and how to close one; the aliases at the end are
// the kinds in use. Declare owners in the order they must be released in
// reverse: members go last-declared first.
#pragma once

#include <windows.h>

#include "handles/UniqueHandleCore.h"

// Kernel objects closed with CloseHandle: files, threads, events, processes,
// serial ports. Null and INVALID_HANDLE_VALUE both mean "none".
struct KernelHandleTraits : NullIsEmpty<HANDLE> {
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

// HFONT, HPEN, HBRUSH, HBITMAP, HRGN: DeleteObject, counted.
template <class T>
struct GdiObjectTraits : NullIsEmpty<T, CountedGdiHandle> {
    static void Close(T h) { ::DeleteObject(h); }
};

// DCs from CreateCompatibleDC / CreateDCW: DeleteDC, counted.
struct CreatedDCTraits : NullIsEmpty<HDC, CountedGdiHandle> {
    static void Close(HDC h) { ::DeleteDC(h); }
};

struct RegistryKeyTraits : NullIsEmpty<HKEY> {
    static void Close(HKEY h) { ::RegCloseKey(h); }
};

struct GlobalMemoryTraits : NullIsEmpty<HGLOBAL> {
    static void Close(HGLOBAL h) { ::GlobalFree(h); }
};

// Menus made with CreatePopupMenu / CreateMenu and never attached to a window.
struct MenuTraits : NullIsEmpty<HMENU> {
    static void Close(HMENU h) { ::DestroyMenu(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueCreatedDC = UniqueHandle<CreatedDCTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
