/* The proxy/stub half's class object, unload test and registration: widl's
 * dlldata, compiled as generated with the options that give it a prefix and
 * our proxy/stub class ID ({45A6DE15-FA6C-48B6-AAF6-7B98158AC0F4}). */
#define REGISTER_PROXY_DLL
#define ENTRY_PREFIX ZorvikPS_
#define PROXY_CLSID_IS \
  { 0x45A6DE15, 0xFA6C, 0x48B6, { 0xAA, 0xF6, 0x7B, 0x98, 0x15, 0x8A, 0xC0, 0xF4 } }

#include "zorvik_dlldata.c"
