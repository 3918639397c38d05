// Keeps Wine's HTTP driver looking at its listening sockets.
//
// Wine implements the HTTP Server API with a driver thread that waits on one
// event for every socket it serves and accepts a single connection per
// wake-up. Under load it has been seen to miss a connection arriving on a
// listening socket: from then on connections queue unanswered (clients time
// out) until some other socket of the driver stirs and wakes the thread,
// which then accepts them all. The nudge is such a stir: a private request
// queue of its own on a loopback port, connected to and closed again twice a
// second, so a missed connection waits half a second instead of forever.
// Windows' own driver has no such fault, and there the nudge does nothing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "unique_resource.h"

namespace zorvik::host {

class HttpDriverNudge {
 public:
  // The nudge, running, when the program runs under Wine and the private
  // queue could be set up; otherwise null (the server works on without it).
  static std::unique_ptr<HttpDriverNudge> StartUnderWine();
  // Stops the nudging thread and gives the private queue back.
  ~HttpDriverNudge();
  HttpDriverNudge(const HttpDriverNudge&) = delete;
  HttpDriverNudge& operator=(const HttpDriverNudge&) = delete;

 private:
  HttpDriverNudge() = default;
  void Run() const;

  bool http_initialized_ = false;
  bool winsock_started_ = false;
  UniqueHandle queue_;
  std::wstring url_;
  unsigned short port_ = 0;
  UniqueHandle stop_;
  std::thread thread_;
};

}  // namespace zorvik::host
