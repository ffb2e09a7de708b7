#include "ports/win32/win32_adapter_list.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <memory>
#include <new>

namespace quill {
namespace {

constexpr ULONG kFirstBufferSize = 704;  // one adapter record

// A buffer aligned for IP_ADAPTER_INFO; null when it cannot be had.
std::unique_ptr<uint64_t[]> AllocateBuffer(ULONG bytes) {
  const size_t words = (static_cast<size_t>(bytes) + sizeof(uint64_t) - 1) / sizeof(uint64_t);
  return std::unique_ptr<uint64_t[]>(new (std::nothrow) uint64_t[words == 0 ? 1 : words]);
}

}  // namespace

bool Win32AdapterList::ListAdapters(std::vector<NetworkAdapter>* adapters) {
  return ListAdaptersChecked(adapters) == AdapterListing::kListed;
}

AdapterListing Win32AdapterList::ListAdaptersChecked(std::vector<NetworkAdapter>* adapters) {
  adapters->clear();
  ULONG size = kFirstBufferSize;
  std::unique_ptr<uint64_t[]> buffer = AllocateBuffer(size);
  if (!buffer) return AdapterListing::kNoMemory;
  if (GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size) ==
      ERROR_BUFFER_OVERFLOW) {
    buffer = AllocateBuffer(size);
    if (!buffer) return AdapterListing::kNoMemory;
  }
  IP_ADAPTER_INFO* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get());
  if (GetAdaptersInfo(first, &size) != NO_ERROR) return AdapterListing::kUnavailable;
  try {
    for (const IP_ADAPTER_INFO* info = first; info != nullptr; info = info->Next) {
      NetworkAdapter adapter;
      adapter.type = info->Type;
      const UINT length = info->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH
                              ? info->AddressLength
                              : static_cast<UINT>(MAX_ADAPTER_ADDRESS_LENGTH);
      adapter.address.assign(info->Address, info->Address + length);
      adapters->push_back(std::move(adapter));
    }
  } catch (const std::bad_alloc&) {
    adapters->clear();
    return AdapterListing::kNoMemory;
  }
  return AdapterListing::kListed;
}

}  // namespace quill
