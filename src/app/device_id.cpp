#include "app/device_id.h"

#include <cstdint>
#include <vector>

#include "app/text_helpers.h"

std::wstring AdapterAddressText(const IP_ADAPTER_INFO* adapters) {
    std::string bytes;
    for (const IP_ADAPTER_INFO* adapter = adapters; adapter != nullptr; adapter = adapter->Next) {
        const UINT length = adapter->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? adapter->AddressLength
                                                                                 : MAX_ADAPTER_ADDRESS_LENGTH;
        bytes.append(reinterpret_cast<const char*>(adapter->Address), length);
    }
    return BytesToHex(bytes);
}

void GetDeviceId(std::wstring* id) {
    if (id == nullptr) return;
    // The first request fits one adapter at most; the system reports the size it needs.
    ULONG size = 648;
    std::vector<uint64_t> buffer((size + 7) / 8, 0);  // 8-byte units keep the records aligned
    DWORD result = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.assign((size + 7) / 8, 0);
        result = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return;
    *id = Md5Hex(WideToAnsi(AdapterAddressText(reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()))));
}
