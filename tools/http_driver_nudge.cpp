// The nudging thread and its private request queue.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <http.h>

#include "http_driver_nudge.h"

#include <string>

namespace zorvik::host {
namespace {

constexpr DWORD kNudgeIntervalMs = 500;
// A connection to the private queue is made on the loopback address, so it
// completes at once unless the driver's backlog is full; then it is given up.
constexpr long kConnectTimeoutMs = 200;
constexpr int kPortAttempts = 5;

struct SocketTraits {
  using Type = SOCKET;
  static Type Invalid() noexcept { return INVALID_SOCKET; }
  static bool IsValid(Type s) noexcept { return s != INVALID_SOCKET; }
  static void Close(Type s) noexcept { closesocket(s); }
};
using UniqueSocket = UniqueResource<SocketTraits>;

bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

sockaddr_in Loopback(unsigned short port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A loopback port nothing listens on at the moment it is asked; 0 if none.
unsigned short FreeLoopbackPort() {
  const UniqueSocket probe(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!probe) return 0;
  sockaddr_in address = Loopback(0);
  int size = sizeof address;
  if (bind(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

// Connects to `port` and closes again, without waiting long for either.
void ConnectAndClose(unsigned short port) {
  const UniqueSocket connection(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!connection) return;
  u_long nonblocking = 1;
  if (ioctlsocket(connection.get(), FIONBIO, &nonblocking) != 0) return;
  const sockaddr_in address = Loopback(port);
  if (connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
      WSAGetLastError() != WSAEWOULDBLOCK) {
    return;
  }
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(connection.get(), &writable);
  timeval timeout = {0, kConnectTimeoutMs * 1000};
  select(0, nullptr, &writable, nullptr, &timeout);
}

}  // namespace

std::unique_ptr<HttpDriverNudge> HttpDriverNudge::StartUnderWine() {
  if (!RunsUnderWine()) return nullptr;
  std::unique_ptr<HttpDriverNudge> nudge(new HttpDriverNudge());
  WSADATA winsock = {};
  if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return nullptr;
  nudge->winsock_started_ = true;
  if (HttpInitialize(HTTPAPI_VERSION_1, HTTP_INITIALIZE_SERVER, nullptr) != NO_ERROR) {
    return nullptr;
  }
  nudge->http_initialized_ = true;
  HANDLE queue = nullptr;
  if (HttpCreateHttpHandle(&queue, 0) != NO_ERROR) return nullptr;
  nudge->queue_.reset(queue);
  // Another program may take the free port before the queue does: try again.
  for (int attempt = 0; attempt < kPortAttempts && nudge->port_ == 0; ++attempt) {
    const unsigned short port = FreeLoopbackPort();
    if (port == 0) continue;
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/";
    if (HttpAddUrl(queue, url.c_str(), nullptr) == NO_ERROR) {
      nudge->url_ = url;
      nudge->port_ = port;
    }
  }
  if (nudge->port_ == 0) return nullptr;
  nudge->stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!nudge->stop_) return nullptr;
  const HttpDriverNudge* running = nudge.get();
  nudge->thread_ = std::thread([running] { running->Run(); });
  return nudge;
}

HttpDriverNudge::~HttpDriverNudge() {
  if (thread_.joinable()) {
    SetEvent(stop_.get());
    thread_.join();
  }
  if (!url_.empty()) HttpRemoveUrl(queue_.get(), url_.c_str());
  queue_.reset();
  if (http_initialized_) HttpTerminate(HTTP_INITIALIZE_SERVER, nullptr);
  if (winsock_started_) WSACleanup();
}

void HttpDriverNudge::Run() const {
  while (WaitForSingleObject(stop_.get(), kNudgeIntervalMs) == WAIT_TIMEOUT) {
    ConnectAndClose(port_);
  }
}

}  // namespace zorvik::host
