// Serial ports as the system lists them under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM.
#include "Tavo_Common.h"
#include "../core/CommonInternal.h"
#include "handles/UniqueHandle.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> ListedPorts() {
    std::vector<std::wstring> names;
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, key.Receive()) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD index = 0; index < 4096; ++index) {
        wchar_t valueName[256];
        DWORD valueNameChars = 256;
        wchar_t data[256] = {};
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t);  // room for a NUL the registry may omit
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key.Get(), index, valueName, &valueNameChars, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataBytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;  // too long or not text: not a port name we can use
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        if (data[0] != L'\0') names.emplace_back(data);
    }
    tavo_common::SortPortNames(names);
    return names;
}

}  // namespace

int EnumSerialPortNameW(CPtrListCtrl* names) {
    if (names == nullptr) return 0;
    try {
        int added = 0;
        for (const auto& port : ListedPorts()) {
            wchar_t* copy = new (std::nothrow) wchar_t[port.size() + 1];
            if (copy == nullptr) break;
            std::memcpy(copy, port.c_str(), (port.size() + 1) * sizeof(wchar_t));
            if (names->AddData(copy, -1) < 0) {
                delete[] copy;
                break;
            }
            ++added;
        }
        return added;
    } catch (...) {
        return 0;
    }
}

void FreeSerialPortNameA(CPtrListCtrl* names) {
    if (names == nullptr) return;
    for (int i = 0; i < names->GetCount(); ++i) delete[] static_cast<wchar_t*>(names->GetAt(i));
    names->RemoveAll();
}
