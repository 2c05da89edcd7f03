#pragma once

// What the Linux library shows to its hosts. The library is built with every
// symbol hidden; the declarations under include/vardel/ that carry
// VARDEL_API are its whole interface. On Windows the component is reached
// through COM only, and its DLL exports just the server's entry points.
// VARDEL_LOCAL keeps a private member of a public class out of it.
#if defined(_WIN32)
#define VARDEL_API
#define VARDEL_LOCAL
#else
#define VARDEL_API __attribute__((visibility("default")))
#define VARDEL_LOCAL __attribute__((visibility("hidden")))
#endif
