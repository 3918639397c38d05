// A C++ view of the proxy/stub table widl generated for zorvik.idl (its
// structures are declared for C only).
#pragma once

#include <windows.h>

extern "C" {
unsigned ProxyTableSize(void);
const char* ProxyTableName(unsigned index);
const IID* ProxyTableIid(unsigned index);
unsigned long ProxyTableSlots(unsigned index);
// The table's own lookup: nonzero with *index set when `iid` is in the table.
int ProxyTableLookup(const IID* iid, int* index);
}
