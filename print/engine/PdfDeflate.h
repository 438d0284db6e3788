#pragma once

// Qt's PDF writer compresses every page's content at zlib's default level and
// offers no setting for it; at that level compression takes about half of the
// printing thread's time. Where Qt uses the system's zlib (Linux), the
// program's executables link PdfDeflate.cpp, which answers zlib's deflateInit_
// itself and turns the default level into Level: several times faster, for
// PDFs about a seventh larger. Explicit levels pass through unchanged.
namespace PdfDeflate {

constexpr int Level = 1;

// True when the process's libraries reach deflateInit_ here, not in zlib.
bool Active();

} // namespace PdfDeflate
