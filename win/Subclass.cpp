#include "win/Subclass.h"

#include <algorithm>
#include <vector>

namespace velkaro::win {

namespace {

constexpr wchar_t kChainProperty[] = L"VelkaroSubclassChain";

struct Hook {
    SubclassHook proc;
    UINT_PTR id;
    DWORD_PTR data;
    bool removed = false;
};

// A window's hooks, the latest last. A message walks them from the back; `next` is the
// index of the hook it reaches at the next CallNextSubclass, saved and restored around
// every message, so messages sent from inside a hook walk the chain from its start again.
struct Chain {
    WNDPROC original = nullptr;
    std::vector<Hook> hooks;
    std::size_t next = 0;  // hooks still to call, counted from the front
    int depth = 0;         // messages of this window running in the chain
};

Chain* ChainOf(HWND hwnd) { return static_cast<Chain*>(::GetPropW(hwnd, kChainProperty)); }

// Hooks removed while a message ran stay in place (marked) until no message runs.
void Compact(Chain& c) {
    if (c.depth > 0) return;
    c.hooks.erase(std::remove_if(c.hooks.begin(), c.hooks.end(), [](const Hook& h) { return h.removed; }),
                  c.hooks.end());
}

LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Takes the chain off the window once it is empty and no message runs in it.
void Release(HWND hwnd, Chain* c) {
    Compact(*c);
    if (c->depth > 0 || !c->hooks.empty()) return;
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &ChainProc)
        return;  // another procedure sits on top and calls ours: the chain stays, empty
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c->original));
    ::RemovePropW(hwnd, kChainProperty);
    delete c;
}

LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Chain* c = ChainOf(hwnd);
    if (!c) return ::DefWindowProcW(hwnd, msg, wp, lp);
    const std::size_t saved = c->next;
    c->next = c->hooks.size();
    ++c->depth;
    const LRESULT result = CallNextSubclass(hwnd, msg, wp, lp);
    --c->depth;
    c->next = saved;
    if (msg == WM_NCDESTROY) {
        // The window goes: every hook with it, and the original procedure back.
        for (Hook& h : c->hooks) h.removed = true;
        Release(hwnd, c);
    } else if (c->depth == 0) {
        Release(hwnd, c);
    }
    return result;
}

}  // namespace

bool SetSubclass(HWND hwnd, SubclassHook proc, UINT_PTR id, DWORD_PTR data) {
    if (!proc || !::IsWindow(hwnd)) return false;
    Chain* c = ChainOf(hwnd);
    if (!c) {
        auto made = new Chain;
        if (!::SetPropW(hwnd, kChainProperty, made)) {
            delete made;
            return false;
        }
        ::SetLastError(0);
        const LONG_PTR previous = ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainProc));
        if (previous == 0 && ::GetLastError() != 0) {
            ::RemovePropW(hwnd, kChainProperty);
            delete made;
            return false;
        }
        made->original = reinterpret_cast<WNDPROC>(previous);
        c = made;
    }
    for (Hook& h : c->hooks) {
        if (!h.removed && h.proc == proc && h.id == id) {
            h.data = data;
            return true;
        }
    }
    c->hooks.push_back(Hook{proc, id, data});
    return true;
}

bool RemoveSubclass(HWND hwnd, SubclassHook proc, UINT_PTR id) {
    Chain* c = ChainOf(hwnd);
    if (!c) return false;
    for (Hook& h : c->hooks) {
        if (!h.removed && h.proc == proc && h.id == id) {
            h.removed = true;
            Release(hwnd, c);
            return true;
        }
    }
    return false;
}

LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Chain* c = ChainOf(hwnd);
    if (!c) return ::DefWindowProcW(hwnd, msg, wp, lp);
    while (c->next > 0) {
        const Hook& h = c->hooks[--c->next];
        if (!h.removed) return h.proc(hwnd, msg, wp, lp, h.id, h.data);
    }
    return c->original ? ::CallWindowProcW(c->original, hwnd, msg, wp, lp)
                       : ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace velkaro::win
