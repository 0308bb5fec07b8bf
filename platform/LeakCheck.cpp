#include "LeakCheck.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

// Defined by the sanitizer runtime when there is one.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

// What the GL driver and the X libraries still hold at exit; only their own frames are named, so a
// leak in the program's code still fails a run. The sanitizer runtime asks for these by name.
extern "C" const char* __lsan_default_suppressions()
{
    // Mesa's software rasteriser: the window's colour buffers and their bookkeeping (about 1.9 MB in
    // a handful of blocks). The X input extension's library: blocks it allocates for the toolkit and
    // never frees (about 190 bytes each, a dozen or so after heavy random input).
    return "leak:swrast_dri.so\nleak:libXi.so\n";
}
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

namespace {

// Keeps a loaded GL driver (Mesa's are named *_dri.so) loaded until the process ends: the toolkit closes its
// display, and so unloads the driver, when its loop returns, long before the check at exit.
int pinDriver(dl_phdr_info* info, std::size_t, void*)
{
    const char* name = info->dlpi_name;
    if (name != nullptr && std::strstr(name, "_dri.so") != nullptr)
        (void)dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace

void checkLeaksBeforeTheDriverUnloads()
{
    if (__lsan_do_leak_check == nullptr) return;
    dl_iterate_phdr(pinDriver, nullptr);
    // Exit handlers run last registered first: this one runs before the driver's.
    [[maybe_unused]] static const int registered = std::atexit([] { __lsan_do_leak_check(); });
}
