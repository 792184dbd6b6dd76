// What an image handle is, byte for byte, so that a program built with the
// platform's own C++ compiler can use it as its own Gdiplus::Bitmap.
//
// A handle is a Gdiplus::Bitmap in GDI+'s allocator whose first word points
// to a table laid out as that compiler lays out the SDK class's virtual
// functions (x64: `this` in rcx, further arguments in rdx, result in rax):
//   slot 0  scalar deleting destructor (this, unsigned flags): disposes of the
//           native image; flag value 1 also gives the memory back to GDI+'s
//           allocator. Returns this.
//   slot 1  Clone(this): a new, independent handle of the same picture, or
//           null (the failure status then goes to this handle).
// The word before slot 0, where that compiler looks for type information,
// is null: dynamic_cast and typeid on a handle are not supported.
// Then follow the native image pointer (offset 8), the last status (16) and
// a second status word (20) that is always Ok.
//
// GCC orders the same class's table differently (complete destructor,
// deleting destructor, Clone). Our own code therefore never makes a virtual
// call on a handle: no delete, no Clone(), no dynamic_cast. Handles are
// released with Gdiplus_DeleteBitmap (DestroyHandle) and copied with the
// Gdiplus_ functions; every non-virtual wrapper call (GetWidth, LockBits,
// Graphics on it, DrawImage of it) works as on any Gdiplus::Bitmap.
#pragma once

#include "GdiplusHelper.h"

namespace imagehelper {

// Turns a freshly constructed wrapper into a handle when its status is Ok;
// otherwise disposes of it, frees it and returns null.
Gdiplus::Bitmap* FinishHandle(Gdiplus::Bitmap* image);

// Disposes of the native image of a handle (or of any plain Gdiplus::Bitmap,
// whatever compiler built it) without a virtual call; frees the memory
// through GDI+'s allocator when freeMemory is set. Null does nothing.
void DestroyHandle(Gdiplus::Bitmap* image, bool freeMemory);

// A new handle with a copy of the picture (GdipCloneImage); null on failure,
// with the status stored in source.
Gdiplus::Bitmap* CloneHandle(Gdiplus::Bitmap* source);

// Handles made by this copy of the library whose memory it has not yet given
// back (a program that links the library and also loads the tool's
// executable has two copies, each counting its own).
long LiveHandleCount();

}  // namespace imagehelper
