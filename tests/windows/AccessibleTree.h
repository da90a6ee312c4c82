// Reads a window's accessible children as a screen reader does: each child's role, name and
// state asked of the parent by child id (which passes a child window's on to the system's
// object for it), or the child window itself. Works the same on an object of this process
// and on one of another process.
#pragma once

#include <windows.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace hx::test {

using Microsoft::WRL::ComPtr;

inline VARIANT ChildId(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// The object of a window's client area.
inline ComPtr<IAccessible> ClientObject(HWND window) {
    ComPtr<IAccessible> object;
    AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

// "<role> <name> <state>" of child `id`: the role as a word, then whether it is checked.
inline std::wstring DescribeChild(IAccessible* parent, long id) {
    const VARIANT which = ChildId(id);
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    parent->get_accRole(which, &role);
    std::wstring text = L"role " + std::to_wstring(role.vt == VT_I4 ? role.lVal : -1);
    if (role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_STATICTEXT) {
        text = L"text";
    } else if (role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_CHECKBUTTON) {
        text = L"check";
    }
    BSTR name = nullptr;
    if (parent->get_accName(which, &name) == S_OK && name && *name) {
        text += L" ";
        text += name;
    }
    SysFreeString(name);
    parent->get_accState(which, &state);
    const long flags = state.vt == VT_I4 ? state.lVal : 0;
    text += flags & STATE_SYSTEM_CHECKED ? L" checked"
            : flags & STATE_SYSTEM_MIXED ? L" mixed"
                                         : L"";
    return text;
}

// The window of child `id` when it is a child window's own object.
inline HWND ChildWindow(IAccessible* parent, long id) {
    ComPtr<IDispatch> own;
    ComPtr<IAccessible> object;
    HWND window = nullptr;
    if (parent->get_accChild(ChildId(id), own.GetAddressOf()) == S_OK && own &&
        SUCCEEDED(own.As(&object))) {
        WindowFromAccessibleObject(object.Get(), &window);
    }
    return window;
}

inline std::vector<std::wstring> DescribeChildren(IAccessible* parent) {
    std::vector<std::wstring> children;
    long count = 0;
    if (parent && SUCCEEDED(parent->get_accChildCount(&count))) {
        for (long id = 1; id <= count; ++id) {
            children.push_back(DescribeChild(parent, id));
        }
    }
    return children;
}

} // namespace hx::test
