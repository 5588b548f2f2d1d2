// SPDX-License-Identifier: MIT
#include "frontends/win32/message_only_window.h"

namespace kerbview::win32 {
namespace {

// Any object of this file: its address names the module holding this code.
constexpr char kHere = 0;

// The module holding this code: the class belongs to it, whether it is the program or a test.
HINSTANCE ModuleOfThisCode() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&kHere), &module);
    return module;
}

}  // namespace

HWND CreateMessageOnlyWindow(const wchar_t* className, WNDPROC procedure, void* owner) {
    const HINSTANCE instance = ModuleOfThisCode();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);  // a later call finds it registered
    const HWND window = ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          instance, nullptr);
    if (window != nullptr) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    return window;
}

}  // namespace kerbview::win32
