/* The compiled IDL header, and with it the contract header, in plain C. */
#include <windows.h>

#include "zorvik.h"

const char* ZorvikContractFromC(unsigned long code) { return ZorvikDriverErrorName(code); }
