// The function-attribute bits that say what kind of line a logger writes
// (LOG_ATTR_*), and the destination bits of the log settings (LOG_DEST_*):
// both are the public contract's.
#pragma once

#include "zorvik_contract.h"
