#pragma once

#include <winsock2.h>
#include <iphlpapi.h>

#include <string>

// The device identifier: MD5 (32 upper-case hex digits) of the hardware addresses of the
// network adapters. Leaves *id as it was when the adapters cannot be listed; callers pass an
// empty string.
void GetDeviceId(std::wstring* id);

// Each adapter's address bytes as "%02X", in list order, with nothing in between.
std::wstring AdapterAddressText(const IP_ADAPTER_INFO* adapters);
