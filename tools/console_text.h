// Printing wide text to the console or a redirected stream as UTF-8, so
// device paths and file names keep every character.
#pragma once

#include <ostream>
#include <string>

namespace zorvik::host {

std::string ToUtf8(const std::wstring& text);

// Sets the console's output code page to UTF-8 (nothing when not a console).
void UseUtf8Console();

}  // namespace zorvik::host
