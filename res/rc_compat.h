/* Smooths over the differences between resource compilers (GNU windres, Microsoft rc, llvm-rc). */
#pragma once

#include <winresrc.h>

#ifndef RT_MANIFEST
#define RT_MANIFEST 24
#endif
#ifndef CREATEPROCESS_MANIFEST_RESOURCE_ID
#define CREATEPROCESS_MANIFEST_RESOURCE_ID 1
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#ifndef VS_FF_NONE
#define VS_FF_NONE 0x0L
#endif
