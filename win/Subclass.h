// Window subclassing as comctl32's SetWindowSubclass does it, without comctl32: loading that
// library registers all the common controls and loads their images, megabytes that a program
// at rest in the tray does not need. Hooks on one window form a chain, the latest first; each
// passes a message on with CallNextSubclass, and they can be removed in any order. While
// hooks are set the window's procedure is the chain's; the last removal (or the window's
// WM_NCDESTROY) puts the original back, unless another procedure was set on top meanwhile,
// which then keeps reaching the original through the empty chain.
#pragma once

#include <windows.h>

namespace velkaro::win {

using SubclassHook = LRESULT(CALLBACK*)(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                 DWORD_PTR data);

// Sets the hook (proc, id) on the window, or gives it new data when it is set already.
// Returns false when the window's procedure cannot be replaced.
bool SetSubclass(HWND hwnd, SubclassHook proc, UINT_PTR id, DWORD_PTR data);
// Removes the hook; false when it was not set.
bool RemoveSubclass(HWND hwnd, SubclassHook proc, UINT_PTR id);
// From inside a hook: the message goes to the next hook of the chain, or to the window's
// original procedure.
LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace velkaro::win
