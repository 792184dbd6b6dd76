// The image handle's table and the operations behind it (see ImageHandle.h).
#include "ImageHandle.h"
#include "ImportFixup.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>

namespace imagehelper {

namespace {

static_assert(sizeof(void*) == 8, "the table follows the x64 convention for member functions");

// The handle as the platform's compiler lays out the SDK's Gdiplus::Bitmap.
struct HandleLayout {
    const void* table;
    Gdiplus::GpImage* nativeImage;
    Gdiplus::Status lastStatus;
    Gdiplus::Status secondStatus;
};
static_assert(sizeof(HandleLayout) == sizeof(Gdiplus::Bitmap), "GCC's wrapper has the same size");

void* ScalarDeletingDestructor(Gdiplus::Bitmap* self, unsigned int flags);
Gdiplus::Image* CloneSlot(Gdiplus::Bitmap* self);

// The word before slot 0 is where that compiler keeps type information.
struct HandleTable {
    const void* typeInformation;
    void* (*scalarDeletingDestructor)(Gdiplus::Bitmap*, unsigned int);
    Gdiplus::Image* (*clone)(Gdiplus::Bitmap*);
};
static_assert(offsetof(HandleTable, clone) == offsetof(HandleTable, scalarDeletingDestructor) + sizeof(void*),
              "slots follow each other");

// Constant-initialised: no start-up code is needed (the executable's does
// not run when another program loads it).
constexpr HandleTable kHandleTable = {nullptr, &ScalarDeletingDestructor, &CloneSlot};
std::atomic<long> gLiveHandles{0};

const void* TableAddress() { return &kHandleTable.scalarDeletingDestructor; }

// Fields are read and written as bytes: the layout is the contract, whoever
// constructed the object.
template <typename Field>
Field ReadField(const Gdiplus::Bitmap* image, size_t offset) {
    Field value;
    std::memcpy(&value, reinterpret_cast<const char*>(image) + offset, sizeof value);
    return value;
}

template <typename Field>
void WriteField(Gdiplus::Bitmap* image, size_t offset, Field value) {
    std::memcpy(reinterpret_cast<char*>(image) + offset, &value, sizeof value);
}

bool CarriesOurTable(const Gdiplus::Bitmap* image) {
    return ReadField<const void*>(image, offsetof(HandleLayout, table)) == TableAddress();
}

void* ScalarDeletingDestructor(Gdiplus::Bitmap* self, unsigned int flags) {
    EnsureImports();
    DestroyHandle(self, (flags & 1u) != 0);
    return self;
}

Gdiplus::Image* CloneSlot(Gdiplus::Bitmap* self) {
    EnsureImports();
    return CloneHandle(self);
}

}  // namespace

Gdiplus::Bitmap* FinishHandle(Gdiplus::Bitmap* image) {
    if (image == nullptr) return nullptr;
    if (image->GetLastStatus() != Gdiplus::Ok) {
        DestroyHandle(image, true);
        return nullptr;
    }
    WriteField(image, offsetof(HandleLayout, table), TableAddress());
    WriteField(image, offsetof(HandleLayout, secondStatus), Gdiplus::Ok);
    gLiveHandles.fetch_add(1, std::memory_order_relaxed);
    return image;
}

void DestroyHandle(Gdiplus::Bitmap* image, bool freeMemory) {
    if (image == nullptr) return;
    const bool ours = CarriesOurTable(image);
    // Qualified: GCC's own destructor, reached without the table.
    image->Gdiplus::Bitmap::~Bitmap();
    if (!freeMemory) return;
    Gdiplus::DllExports::GdipFree(image);
    if (ours) gLiveHandles.fetch_sub(1, std::memory_order_relaxed);
}

Gdiplus::Bitmap* CloneHandle(Gdiplus::Bitmap* source) {
    if (source == nullptr) return nullptr;
    Gdiplus::GpImage* copy = nullptr;
    const Gdiplus::Status status = Gdiplus::DllExports::GdipCloneImage(
        ReadField<Gdiplus::GpImage*>(source, offsetof(HandleLayout, nativeImage)), &copy);
    if (status != Gdiplus::Ok || copy == nullptr) {
        WriteField(source, offsetof(HandleLayout, lastStatus), status != Gdiplus::Ok ? status : Gdiplus::GenericError);
        return nullptr;
    }
    void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::Bitmap));
    if (memory == nullptr) {
        Gdiplus::DllExports::GdipDisposeImage(copy);
        WriteField(source, offsetof(HandleLayout, lastStatus), Gdiplus::OutOfMemory);
        return nullptr;
    }
    // A wrapper without an image (GDI+ refuses a 0 x 0 one), then given the copy.
    auto* image = ::new (memory) Gdiplus::Bitmap(0, 0, 0, PixelFormat32bppARGB, static_cast<BYTE*>(nullptr));
    if (auto* unexpected = ReadField<Gdiplus::GpImage*>(image, offsetof(HandleLayout, nativeImage)))
        Gdiplus::DllExports::GdipDisposeImage(unexpected);
    WriteField(image, offsetof(HandleLayout, nativeImage), copy);
    WriteField(image, offsetof(HandleLayout, lastStatus), Gdiplus::Ok);
    return FinishHandle(image);
}

long LiveHandleCount() { return gLiveHandles.load(std::memory_order_relaxed); }

}  // namespace imagehelper
