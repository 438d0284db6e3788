#include "print/engine/PdfDeflate.h"

#include <zlib.h>

#include <dlfcn.h>

// Bound by the dynamic linker ahead of zlib's own: every deflateInit() of the
// process, Qt's PDF engine's included, comes here.
extern "C" int deflateInit_(z_streamp strm, int level, const char *version, int streamSize)
{
    if (level == Z_DEFAULT_COMPRESSION)
        level = PdfDeflate::Level;
    return deflateInit2_(strm, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY, version,
                         streamSize);
}

bool PdfDeflate::Active()
{
    // The global look-up is the one a shared library's call goes through.
    return dlsym(RTLD_DEFAULT, "deflateInit_") == reinterpret_cast<void *>(&deflateInit_);
}
