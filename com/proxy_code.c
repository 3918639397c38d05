/* The proxy/stub code of the scanner family's eleven interfaces, compiled
 * exactly as widl generated it.  The fully interpreted (-Oif) tables refer to
 * rpcrt4's IUnknown proxy entries, which mingw's headers do not declare. */
#define __midl_proxy
#include <objbase.h>

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown *This, REFIID riid,
                                                        void **ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown *This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown *This);

#include "zorvik_p.c"
