// Receiving and answering requests through the HTTP Server API.
#include "http_server.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace zorvik::host {
namespace {

// Enough for any request line and headers an eSCL client sends; a larger
// request is received again into a buffer of the size the API asks for.
constexpr ULONG kRequestBuffer = 16 * 1024;
constexpr DWORD kStopPollMs = 200;
constexpr size_t kWaitingReceives = 4;

void SetHeader(HTTP_RESPONSE* response, HTTP_HEADER_ID header, const std::string& value) {
  if (value.empty()) return;
  response->Headers.KnownHeaders[header].pRawValue = value.c_str();
  response->Headers.KnownHeaders[header].RawValueLength = static_cast<USHORT>(value.size());
}

}  // namespace

const char* HttpReason(uint16_t status) {
  switch (status) {
    case 200:
      return "OK";
    case 201:
      return "Created";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 409:
      return "Conflict";
    case 413:
      return "Payload Too Large";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Unknown";
  }
}

ULONG HttpServer::Start(const std::wstring& url, std::unique_ptr<HttpServer>* server) {
  std::unique_ptr<HttpServer> started(new HttpServer());
  ULONG error = HttpInitialize(HTTPAPI_VERSION_1, HTTP_INITIALIZE_SERVER, nullptr);
  if (error != NO_ERROR) return error;
  started->initialized_ = true;
  HANDLE queue = nullptr;
  error = HttpCreateHttpHandle(&queue, 0);
  if (error != NO_ERROR) return error;
  started->queue_.reset(queue);
  error = HttpAddUrl(queue, url.c_str(), nullptr);
  if (error != NO_ERROR) return error;
  started->url_ = url;
  *server = std::move(started);
  return NO_ERROR;
}

HttpServer::~HttpServer() {
  // The waiting receives write into their buffers until they are cancelled.
  for (PendingReceive& receive : receives_) {
    DWORD ignored = 0;
    if (CancelIoEx(queue_.get(), &receive.overlapped) || GetLastError() != ERROR_NOT_FOUND) {
      GetOverlappedResult(queue_.get(), &receive.overlapped, &ignored, TRUE);
    }
  }
  if (!url_.empty()) HttpRemoveUrl(queue_.get(), url_.c_str());
  queue_.reset();
  if (initialized_) HttpTerminate(HTTP_INITIALIZE_SERVER, nullptr);
}

ULONG HttpServer::Post(PendingReceive& receive) {
  ResetEvent(receive.done.get());
  receive.overlapped = {};
  receive.overlapped.hEvent = receive.done.get();
  auto* record = reinterpret_cast<HTTP_REQUEST*>(receive.buffer.data());
  const ULONG size = static_cast<ULONG>(receive.buffer.size() * sizeof(uint64_t));
  const ULONG error = HttpReceiveHttpRequest(queue_.get(), HTTP_NULL_ID, 0, record, size, nullptr,
                                             &receive.overlapped);
  return error == ERROR_IO_PENDING ? NO_ERROR : error;
}

ULONG HttpServer::Receive(size_t max_body, const std::function<bool()>& stop,
                          HttpRequest* request) {
  *request = HttpRequest{};
  if (receives_.empty()) {
    receives_.resize(kWaitingReceives);
    for (PendingReceive& receive : receives_) {
      receive.done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
      if (!receive.done) return GetLastError();
      receive.buffer.assign(kRequestBuffer / sizeof(uint64_t), 0);
      const ULONG error = Post(receive);
      if (error != NO_ERROR) return error;
    }
  }
  std::vector<HANDLE> events;
  for (const PendingReceive& receive : receives_) events.push_back(receive.done.get());
  for (;;) {
    const DWORD which = WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(),
                                               FALSE, kStopPollMs);
    if (which < WAIT_OBJECT_0 + events.size()) {
      return Take(receives_[which - WAIT_OBJECT_0], max_body, request);
    }
    if (which != WAIT_TIMEOUT) return GetLastError();
    if (stop && stop()) return ERROR_CANCELLED;
  }
}

ULONG HttpServer::Take(PendingReceive& receive, size_t max_body, HttpRequest* request) {
  DWORD received = 0;
  ULONG error = GetOverlappedResult(queue_.get(), &receive.overlapped, &received, FALSE)
                    ? NO_ERROR
                    : GetLastError();
  auto* record = reinterpret_cast<HTTP_REQUEST*>(receive.buffer.data());
  std::vector<uint64_t> larger;
  if (error == ERROR_MORE_DATA) {
    // The request stays with this id until it is received whole.
    larger.assign(receive.buffer.size() * 8, 0);
    auto* whole = reinterpret_cast<HTTP_REQUEST*>(larger.data());
    error = HttpReceiveHttpRequest(queue_.get(), record->RequestId, 0, whole,
                                   static_cast<ULONG>(larger.size() * sizeof(uint64_t)), nullptr,
                                   nullptr);
    record = whole;
  }
  if (error == NO_ERROR) error = Parse(*record, max_body, request);
  // Another receive waits before this request is answered.
  const ULONG posted = Post(receive);
  return error != NO_ERROR ? error : posted;
}

ULONG HttpServer::Parse(const HTTP_REQUEST& record, size_t max_body, HttpRequest* request) {
  request->id = record.RequestId;
  if (record.Verb == HttpVerbUnknown && record.pUnknownVerb != nullptr) {
    request->method.assign(record.pUnknownVerb, record.UnknownVerbLength);
  } else {
    static constexpr const char* kVerbs[] = {"",          "",      "",     "OPTIONS", "GET",
                                             "HEAD",      "POST",  "PUT",  "DELETE",  "TRACE",
                                             "CONNECT",   "TRACK", "MOVE", "COPY",    "PROPFIND",
                                             "PROPPATCH", "MKCOL", "LOCK", "UNLOCK",  "SEARCH"};
    const size_t verb = static_cast<size_t>(record.Verb);
    request->method = verb < sizeof kVerbs / sizeof kVerbs[0] ? kVerbs[verb] : "";
  }
  if (record.pRawUrl != nullptr) {
    const std::string raw(record.pRawUrl, record.RawUrlLength);
    request->path = raw.substr(0, raw.find('?'));
  }
  const HTTP_KNOWN_HEADER& length = record.Headers.KnownHeaders[HttpHeaderContentLength];
  if (length.pRawValue != nullptr &&
      std::strtoull(std::string(length.pRawValue, length.RawValueLength).c_str(), nullptr, 10) >
          max_body) {
    request->body_too_large = true;
    return NO_ERROR;
  }
  if (record.Flags & HTTP_REQUEST_FLAG_MORE_ENTITY_BODY_EXISTS) {
    return ReceiveBody(record.RequestId, max_body, request);
  }
  return NO_ERROR;
}

ULONG HttpServer::ReceiveBody(HTTP_REQUEST_ID id, size_t max_body, HttpRequest* request) {
  char piece[4096];
  for (;;) {
    ULONG got = 0;
    const ULONG error =
        HttpReceiveRequestEntityBody(queue_.get(), id, 0, piece, sizeof piece, &got, nullptr);
    if (error == ERROR_HANDLE_EOF) return NO_ERROR;
    if (error != NO_ERROR) return error;
    if (request->body.size() + got > max_body) {
      request->body_too_large = true;
      request->body.clear();
      return NO_ERROR;
    }
    request->body.append(piece, got);
    if (got == 0) return NO_ERROR;
  }
}

bool HttpServer::ClientConnected(HTTP_REQUEST_ID id) {
  // Reading on in a request whose body has been read tells only whether its
  // connection is still there: end of data while it is, an invalid
  // connection once the client has gone (the API's disconnect notification
  // is not implemented by Wine).
  char ignored = 0;
  ULONG got = 0;
  const ULONG error =
      HttpReceiveRequestEntityBody(queue_.get(), id, 0, &ignored, sizeof ignored, &got, nullptr);
  return error != ERROR_CONNECTION_INVALID;
}

ULONG HttpServer::Send(HTTP_REQUEST_ID id, const HttpAnswer& answer, const void* body,
                       size_t size) {
  HTTP_RESPONSE response = {};
  response.Version = HTTP_VERSION_1_1;
  response.StatusCode = answer.status;
  const char* reason = HttpReason(answer.status);
  response.pReason = reason;
  response.ReasonLength = static_cast<USHORT>(strlen(reason));
  SetHeader(&response, HttpHeaderContentType, answer.content_type);
  SetHeader(&response, HttpHeaderLocation, answer.location);
  SetHeader(&response, HttpHeaderAllow, answer.allow);
  const std::string retry_after =
      answer.retry_after_seconds > 0 ? std::to_string(answer.retry_after_seconds) : "";
  SetHeader(&response, HttpHeaderRetryAfter, retry_after);
  const std::string length = std::to_string(size);
  SetHeader(&response, HttpHeaderContentLength, length);
  HTTP_DATA_CHUNK chunk = {};
  if (size > 0) {
    chunk.DataChunkType = HttpDataChunkFromMemory;
    chunk.FromMemory.pBuffer = const_cast<void*>(body);
    chunk.FromMemory.BufferLength = static_cast<ULONG>(size);
    response.EntityChunkCount = 1;
    response.pEntityChunks = &chunk;
  }
  ULONG sent = 0;
  // Each connection is closed after its answer: Wine's driver was seen to
  // stop handing requests over after a browser closed connections it had
  // kept open between requests.
  return HttpSendHttpResponse(queue_.get(), id, HTTP_SEND_RESPONSE_FLAG_DISCONNECT, &response,
                              nullptr, &sent, nullptr, 0, nullptr, nullptr);
}

}  // namespace zorvik::host
