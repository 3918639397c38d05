// CSessionTable: the one table of the process that maps device names to
// their sessions, so every object that opens a device name shares one session
// and one handle.
//
// Handles are small non-zero numbers handed out from a counter, never record
// addresses: a handle is accepted only while the table holds a set-up session
// under it, and the value of an ended session is not handed out again until
// the counter wraps around.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "critical_section.h"
#include "scanner_session.h"

namespace zorvik {

class CSessionTable {
 public:
  // The table of the process: built when the module loads, before any
  // object exists, and destroyed when it unloads.
  static CSessionTable& Instance();

  // Sessions a host left open at an unload that DllCanUnloadNow did not allow
  // are neither closed nor freed: ending them would call into the toolkit and
  // unload it inside the module's entry point.
  ~CSessionTable();

  // The session of `device_name`, with one more open counted, or a new one
  // with count 1; `open_count` (optional) receives the new count. Null when
  // the name does not fit kDeviceNameSize or no record can be made; nothing
  // changes then.
  std::shared_ptr<CScannerSession> AcquireSession(const char* device_name, int32_t* open_count);

  // Counts one open of `session` (the caller's reference) off; `remaining`
  // (optional) receives the count left. At 0 the session leaves the table,
  // so its handle stops validating at once. When no other call is using it,
  // its device is ended first, inside the table's guard and before the
  // caller's levels of the session's lock are given back, so that neither an
  // open of the same name nor a session or process waiting for the lock finds
  // the device half-ended; `end_failed` (optional) is set when ClearIOHandle
  // failed. Otherwise the last call that lets the session go ends it.
  // False (and nothing written) when the session is no longer in the table.
  bool ReleaseSession(const std::shared_ptr<CScannerSession>& session, int32_t* remaining,
                      CLogger& log, bool* end_failed = nullptr);

  // Takes a session whose set-up failed out of the table whatever its count
  // (the opens waiting for it fail too): ends its device, then gives back the
  // caller's levels of its lock. False when ClearIOHandle failed.
  bool DiscardSession(CScannerSession& session, CLogger& log);

  // The set-up session that `handle` names, or null for 0, for a value never
  // handed out, for an ended session and for one still being set up. The
  // reference keeps the record alive while the caller uses it.
  std::shared_ptr<CScannerSession> ValidateSession(DWORD handle);

  // Sessions in the table, set up or being set up.
  size_t SessionCount();
  // The open count of the session of `device_name`, 0 when there is none.
  int32_t OpenCount(const char* device_name);

 private:
  CSessionTable() = default;
  // Ends the session's device when `end_device`, gives back the caller's
  // levels of its lock and takes it out of the table; false when ending the
  // device failed.
  bool RemoveLocked(CScannerSession& session, bool end_device, CLogger& log);
  DWORD NextHandleLocked();

  static CSessionTable instance_;

  CriticalSection guard_;
  // Keys compare byte-wise, so names that differ only in case are two keys.
  std::map<std::string, std::shared_ptr<CScannerSession>> by_name_;
  std::map<DWORD, std::shared_ptr<CScannerSession>> by_handle_;
  DWORD last_handle_ = 0;
};

}  // namespace zorvik
