// Reads only the PE headers of loaded modules; nothing here may call through
// our import table (which is what it repairs) or let the compiler turn a loop
// into a call of memcpy or memset, which are imports too.
#pragma GCC optimize("no-tree-loop-distribute-patterns")
// Headers are reached through __ImageBase and the TEB, which GCC sees as
// objects too small for them.
#pragma GCC diagnostic ignored "-Warray-bounds"

#include "ImportFixup.h"

#include <windows.h>
#include <winternl.h>

namespace imagehelper {

namespace {

// 0 not yet checked, 1 being repaired, 2 ready.
volatile LONG gState = 0;

// Holds its own address once the loader has applied our base relocations;
// otherwise the address we were linked for.
char gMarker;
char* volatile gMarkerAddress = &gMarker;

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using GetModuleHandleAFn = HMODULE(WINAPI*)(LPCSTR);
using LoadLibraryAFn = HMODULE(WINAPI*)(LPCSTR);
using LoadLibraryExAFn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
using GetModuleFileNameAFn = DWORD(WINAPI*)(HMODULE, LPSTR, DWORD);
using VirtualProtectFn = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD, PDWORD);

const IMAGE_NT_HEADERS* Headers(const BYTE* module) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(module + dos->e_lfanew);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (Lower(*a) != Lower(*b)) return false;
    return *a == *b;
}

// Whether a loader-list name (full path, UTF-16) ends in the given file name.
bool EndsWith(const UNICODE_STRING& path, const char* name) {
    int n = 0;
    while (name[n]) ++n;
    const int chars = path.Length / 2;
    if (chars < n || (chars > n && path.Buffer[chars - n - 1] != L'\\' && path.Buffer[chars - n - 1] != L'/'))
        return false;
    for (int i = 0; i < n; ++i) {
        const wchar_t c = path.Buffer[chars - n + i];
        if (c > 0x7F || Lower(static_cast<char>(c)) != Lower(name[i])) return false;
    }
    return true;
}

PEB* Peb() { return NtCurrentTeb()->ProcessEnvironmentBlock; }

// Our own image: the loaded module that contains gMarker. (__ImageBase is
// reached through a pointer that itself needs relocating.)
BYTE* Base() {
    const BYTE* marker = reinterpret_cast<const BYTE*>(&gMarker);
    LIST_ENTRY* head = &Peb()->Ldr->InMemoryOrderModuleList;
    for (LIST_ENTRY* link = head->Flink; link != head; link = link->Flink) {
        auto* base = static_cast<BYTE*>(CONTAINING_RECORD(link, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks)->DllBase);
        if (base && marker >= base && marker < base + Headers(base)->OptionalHeader.SizeOfImage) return base;
    }
    return nullptr;
}

BYTE* LoadedModule(const char* fileName) {
    LIST_ENTRY* head = &Peb()->Ldr->InMemoryOrderModuleList;
    for (LIST_ENTRY* link = head->Flink; link != head; link = link->Flink) {
        auto* entry = CONTAINING_RECORD(link, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks);
        if (entry->DllBase && EndsWith(entry->FullDllName, fileName)) return static_cast<BYTE*>(entry->DllBase);
    }
    return nullptr;
}

// An export of a loaded module by name, following one forwarder ("dll.name").
void* FindExport(BYTE* module, const char* name, int depth = 0) {
    if (module == nullptr || depth > 2) return nullptr;
    const IMAGE_DATA_DIRECTORY& dir = Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return nullptr;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(module + dir.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(module + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(module + exports->AddressOfNameOrdinals);
    const auto* functions = reinterpret_cast<const DWORD*>(module + exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (!SameText(reinterpret_cast<const char*>(module + names[i]), name)) continue;
        const DWORD rva = functions[ordinals[i]];
        if (rva < dir.VirtualAddress || rva >= dir.VirtualAddress + dir.Size) return module + rva;
        // Forwarded: "target.function".
        const char* forward = reinterpret_cast<const char*>(module + rva);
        char dll[64];
        int n = 0;
        while (forward[n] && forward[n] != '.' && n < 59) {
            dll[n] = forward[n];
            ++n;
        }
        if (forward[n] != '.') return nullptr;
        dll[n] = '.', dll[n + 1] = 'd', dll[n + 2] = 'l', dll[n + 3] = 'l', dll[n + 4] = '\0';
        return FindExport(LoadedModule(dll), forward + n + 1, depth + 1);
    }
    return nullptr;
}

struct Kernel {
    GetProcAddressFn getProcAddress;
    GetModuleHandleAFn getModuleHandle;
    LoadLibraryAFn loadLibrary;
    LoadLibraryExAFn loadLibraryEx;
    GetModuleFileNameAFn getModuleFileName;
    VirtualProtectFn virtualProtect;
};

bool FindKernel(Kernel* k) {
    BYTE* kernel32 = LoadedModule("kernel32.dll");
    k->getProcAddress = reinterpret_cast<GetProcAddressFn>(FindExport(kernel32, "GetProcAddress"));
    k->getModuleHandle = reinterpret_cast<GetModuleHandleAFn>(FindExport(kernel32, "GetModuleHandleA"));
    k->loadLibrary = reinterpret_cast<LoadLibraryAFn>(FindExport(kernel32, "LoadLibraryA"));
    k->loadLibraryEx = reinterpret_cast<LoadLibraryExAFn>(FindExport(kernel32, "LoadLibraryExA"));
    k->getModuleFileName = reinterpret_cast<GetModuleFileNameAFn>(FindExport(kernel32, "GetModuleFileNameA"));
    k->virtualProtect = reinterpret_cast<VirtualProtectFn>(FindExport(kernel32, "VirtualProtect"));
    return k->getProcAddress && k->getModuleHandle && k->loadLibrary && k->loadLibraryEx && k->getModuleFileName &&
           k->virtualProtect;
}

// A DLL we import: already loaded, else from our own folder, else by the usual search.
HMODULE Dependency(const Kernel& k, const char* name) {
    if (HMODULE loaded = k.getModuleHandle(name)) return loaded;
    char path[MAX_PATH + 64];
    const DWORD length = k.getModuleFileName(reinterpret_cast<HMODULE>(Base()), path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        DWORD slash = length;
        while (slash > 0 && path[slash - 1] != '\\' && path[slash - 1] != '/') --slash;
        DWORD i = 0;
        for (; name[i] && slash + i < sizeof path - 1; ++i) path[slash + i] = name[i];
        path[slash + i] = '\0';
        if (HMODULE local = k.loadLibraryEx(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) return local;
    }
    return k.loadLibrary(name);
}

// Moves every absolute address in the image by the distance between where we
// were linked and where we are (vtables, pointer tables, .refptr entries).
void ApplyRelocations(BYTE* base, const Kernel& k, ptrdiff_t delta) {
    const IMAGE_DATA_DIRECTORY& dir = Headers(base)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    BYTE* p = base + dir.VirtualAddress;
    BYTE* const end = p + dir.Size;
    while (dir.VirtualAddress != 0 && p + sizeof(IMAGE_BASE_RELOCATION) <= end) {
        auto* block = reinterpret_cast<IMAGE_BASE_RELOCATION*>(p);
        if (block->SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION)) break;
        BYTE* page = base + block->VirtualAddress;
        DWORD oldProtect = 0;
        // One page and the few bytes of a value that straddles its end.
        const bool unprotected = k.virtualProtect(page, 0x1000 + sizeof(ULONG_PTR), PAGE_READWRITE, &oldProtect) ||
                                 k.virtualProtect(page, 0x1000, PAGE_READWRITE, &oldProtect);
        const auto* entries = reinterpret_cast<const WORD*>(block + 1);
        const DWORD count = (block->SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / sizeof(WORD);
        for (DWORD i = 0; i < count; ++i) {
            BYTE* at = page + (entries[i] & 0xFFF);
            switch (entries[i] >> 12) {
            case IMAGE_REL_BASED_DIR64: *reinterpret_cast<ULONG_PTR*>(at) += delta; break;
            case IMAGE_REL_BASED_HIGHLOW: *reinterpret_cast<DWORD*>(at) += static_cast<DWORD>(delta); break;
            default: break;
            }
        }
        if (unprotected) k.virtualProtect(page, 0x1000, oldProtect, &oldProtect);
        p += block->SizeOfBlock;
    }
}

bool BindImports(BYTE* base, const Kernel& k) {
    const IMAGE_NT_HEADERS* nt = Headers(base);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return true;
    const IMAGE_DATA_DIRECTORY& iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    DWORD oldProtect = 0;
    const bool unprotected =
        iat.VirtualAddress != 0 && k.virtualProtect(base + iat.VirtualAddress, iat.Size, PAGE_READWRITE, &oldProtect);

    bool ok = true;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        auto* names =
            reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        // A bound table holds addresses, not the name entries it started with.
        if (d->OriginalFirstThunk && slots->u1.Function != names->u1.AddressOfData) continue;
        HMODULE module = Dependency(k, reinterpret_cast<const char*>(base + d->Name));
        if (module == nullptr) {
            ok = false;
            continue;
        }
        for (; names->u1.AddressOfData; ++names, ++slots) {
            const char* what =
                IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)
                    ? reinterpret_cast<const char*>(IMAGE_ORDINAL(names->u1.Ordinal))
                    : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            FARPROC address = k.getProcAddress(module, what);
            if (address == nullptr) ok = false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(address);
        }
    }
    if (unprotected) k.virtualProtect(base + iat.VirtualAddress, iat.Size, oldProtect, &oldProtect);
    return ok;
}

}  // namespace

void EnsureImports() {
    if (gState == 2) return;
    if (InterlockedCompareExchange(&gState, 1, 0) != 0) {
        while (gState != 2) YieldProcessor();  // another thread is repairing the image
        return;
    }
    const ptrdiff_t delta = &gMarker - gMarkerAddress;
    Kernel k;
    BYTE* base = Base();
    if (base != nullptr && FindKernel(&k)) {
        if (delta != 0) ApplyRelocations(base, k, delta);
        BindImports(base, k);
    }
    InterlockedExchange(&gState, 2);
}

}  // namespace imagehelper
