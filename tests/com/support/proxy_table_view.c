/* Reads zorvik_ProxyFileInfo, the table in widl's proxy code, for the tests. */
#include <objbase.h>
#include <rpcproxy.h>

extern const ExtendedProxyFileInfo zorvik_ProxyFileInfo;

unsigned ProxyTableSize(void) { return zorvik_ProxyFileInfo.TableSize; }

const char* ProxyTableName(unsigned index) { return zorvik_ProxyFileInfo.pNamesArray[index]; }

const IID* ProxyTableIid(unsigned index) {
  return zorvik_ProxyFileInfo.pStubVtblList[index]->header.piid;
}

unsigned long ProxyTableSlots(unsigned index) {
  return zorvik_ProxyFileInfo.pStubVtblList[index]->header.DispatchTableCount;
}

int ProxyTableLookup(const IID* iid, int* index) {
  return zorvik_ProxyFileInfo.pIIDLookupRtn(iid, index);
}
