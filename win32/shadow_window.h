#pragma once

#include <windows.h>

LRESULT CALLBACK ShadowWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
