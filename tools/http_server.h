// The HTTP side of zorvik_share, on the platform's HTTP Server API
// (version 1): one request queue for one URL prefix, requests received
// whole (a body larger than the bound is not read), and each response sent
// in one call, as Wine's implementation of the API requires. Several
// receives always wait in the queue: Wine's implementation hands a request
// that arrives while none waits to no later receive.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <http.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "unique_resource.h"

namespace zorvik::host {

struct HttpRequest {
  HTTP_REQUEST_ID id = HTTP_NULL_ID;
  // "GET", "POST", "DELETE", ... as the client sent it.
  std::string method;
  // The path without the query, e.g. "/eSCL/ScannerStatus".
  std::string path;
  std::string body;
  // The client announced a body larger than the bound; it was not read.
  bool body_too_large = false;
};

struct HttpAnswer {
  uint16_t status = 200;
  std::string content_type;
  // Extra headers, empty when not sent.
  std::string location;
  std::string allow;
  // Seconds after which to ask again (503); 0: not sent.
  uint32_t retry_after_seconds = 0;
};

class HttpServer {
 public:
  // Starts serving `url` (e.g. L"http://127.0.0.1:8090/eSCL/"). The Win32
  // error of the step that failed, else NO_ERROR; ERROR_SHARING_VIOLATION or
  // ERROR_ALREADY_EXISTS when another program serves the address.
  static ULONG Start(const std::wstring& url, std::unique_ptr<HttpServer>* server);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Waits for the next request, asking `stop` about five times a second.
  // NO_ERROR with the request; ERROR_CANCELLED when `stop` said so; another
  // Win32 error when the queue failed.
  ULONG Receive(size_t max_body, const std::function<bool()>& stop, HttpRequest* request);

  // Answers request `id` with `answer` and `size` bytes of `body`. NO_ERROR,
  // or the Win32 error (e.g. the client has gone).
  ULONG Send(HTTP_REQUEST_ID id, const HttpAnswer& answer, const void* body, size_t size);
  ULONG Send(HTTP_REQUEST_ID id, const HttpAnswer& answer, const std::string& body) {
    return Send(id, answer, body.data(), body.size());
  }

  // False once the client of request `id`, not yet answered, has closed its
  // connection (it was killed, say); true while it waits for the answer.
  bool ClientConnected(HTTP_REQUEST_ID id);

 private:
  // One receive kept waiting in the queue, with its own buffer.
  struct PendingReceive {
    UniqueHandle done;
    OVERLAPPED overlapped = {};
    std::vector<uint64_t> buffer;  // 8-byte aligned for the request record
  };

  HttpServer() = default;
  ULONG Post(PendingReceive& receive);
  ULONG Take(PendingReceive& receive, size_t max_body, HttpRequest* request);
  ULONG Parse(const HTTP_REQUEST& record, size_t max_body, HttpRequest* request);
  ULONG ReceiveBody(HTTP_REQUEST_ID id, size_t max_body, HttpRequest* request);

  bool initialized_ = false;
  std::wstring url_;
  UniqueHandle queue_;
  std::vector<PendingReceive> receives_;
};

// The reason phrase of a status code this server sends.
const char* HttpReason(uint16_t status);

}  // namespace zorvik::host
