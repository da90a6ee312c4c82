// The container's IAccessible. Child ids are the item numbers from 1; the item list is read
// afresh on every call, so a screen reader asking between two steps of the update sequence
// sees the window as it is. The list keeps its shape (hidden items stay, as invisible), so
// an id names the same item for the window's life. Calls arrive only on the window's own
// thread (COM's single-threaded apartment), never in the middle of a model change.
#include "ui/win/Accessible.h"

#include "base/Guard.h"
#include "ui/Controls.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <utility>

namespace hx::ui::win {

using Microsoft::WRL::ComPtr;

namespace {

VARIANT SelfId() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

HRESULT Text(const std::u16string& text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

long RoleOf(AccessibleRole role) {
    switch (role) {
    case AccessibleRole::CheckButton:
        return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::Graphic:
        return ROLE_SYSTEM_GRAPHIC;
    case AccessibleRole::Window:
        return ROLE_SYSTEM_WINDOW;
    case AccessibleRole::StaticText:
        break;
    }
    return ROLE_SYSTEM_STATICTEXT;
}

long StateOf(const AccessibleItem& item) {
    long state = STATE_SYSTEM_READONLY;
    if (item.checked) {
        state |= STATE_SYSTEM_CHECKED;
    }
    if (item.mixed) {
        state |= STATE_SYSTEM_MIXED;
    }
    if (item.invisible) {
        state |= STATE_SYSTEM_INVISIBLE;
    }
    return state;
}

std::optional<AccessibleDirection> DirectionOf(long navDir) {
    switch (navDir) {
    case NAVDIR_UP:
        return AccessibleDirection::Up;
    case NAVDIR_DOWN:
        return AccessibleDirection::Down;
    case NAVDIR_LEFT:
        return AccessibleDirection::Left;
    case NAVDIR_RIGHT:
        return AccessibleDirection::Right;
    case NAVDIR_NEXT:
        return AccessibleDirection::Next;
    case NAVDIR_PREVIOUS:
        return AccessibleDirection::Previous;
    case NAVDIR_FIRSTCHILD:
        return AccessibleDirection::First;
    case NAVDIR_LASTCHILD:
        return AccessibleDirection::Last;
    default:
        return std::nullopt;
    }
}

HWND WindowOf(const AccessibleItem& item) {
    const Control* c = item.window;
    return c && c->peer() ? static_cast<HWND>(c->peer()->Handle()) : nullptr;
}

// A child window tells about itself through the system's object for it.
ComPtr<IAccessible> WindowObject(const AccessibleItem& item) {
    ComPtr<IAccessible> object;
    if (HWND w = WindowOf(item)) {
        AccessibleObjectFromWindow(w, DWORD(OBJID_WINDOW), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(object.GetAddressOf()));
    }
    return object;
}

// An item as the result of a navigation, hit test or focus query.
HRESULT ChildResult(const std::vector<AccessibleItem>& items, std::optional<std::size_t> index,
                    VARIANT* out) {
    if (!index) {
        return S_FALSE; // out stays VT_EMPTY: nothing there
    }
    const AccessibleItem& item = items[*index];
    if (item.role != AccessibleRole::Window) {
        out->vt = VT_I4;
        out->lVal = long(*index + 1);
        return S_OK;
    }
    const ComPtr<IAccessible> object = WindowObject(item);
    if (!object) {
        return E_FAIL;
    }
    IDispatch* dispatch = nullptr;
    const HRESULT hr =
        object->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&dispatch));
    if (SUCCEEDED(hr)) {
        out->vt = VT_DISPATCH;
        out->pdispVal = dispatch;
    }
    return hr;
}

} // namespace

class AccessibleObject final : public IAccessible {
public:
    AccessibleObject(AccessibleSource& source, ComPtr<IAccessible> standard)
        : source_(&source), standard_(std::move(standard)) {}

    void Disconnect() {
        source_ = nullptr;
        standard_.Reset();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
            IsEqualIID(iid, __uuidof(IAccessible))) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            delete this;
        }
        return ULONG(left);
    }

    // IDispatch: screen readers call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: the container itself.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        return Call([&] { return standard_ ? standard_->get_accParent(out) : E_FAIL; });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = 0;
        return Call([&] {
            *out = long(source_->AccessibleItems().size());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        return Call([&]() -> HRESULT {
            Target t;
            if (child.vt == VT_I4 && child.lVal == CHILDID_SELF) {
                return E_INVALIDARG;
            }
            if (const HRESULT hr = Resolve(child, t); FAILED(hr)) {
                return hr;
            }
            if (!t.delegate) {
                return S_FALSE; // a windowless item has no object of its own
            }
            return t.delegate->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(out));
        });
    }

    // Properties: a windowless item's from its description; the container's and a child
    // window's from the system's object for it.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return TextProperty<&IAccessible::get_accName>(
            child, out, [](const AccessibleItem& i, BSTR* o) { return Text(i.name, o); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return TextProperty<&IAccessible::get_accValue>(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return TextProperty<&IAccessible::get_accDescription>(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return TextProperty<&IAccessible::get_accHelp>(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return TextProperty<&IAccessible::get_accKeyboardShortcut>(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return TextProperty<&IAccessible::get_accDefaultAction>(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return NumberProperty<&IAccessible::get_accRole>(
            child, out, [](const AccessibleItem& i) { return RoleOf(i.role); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return NumberProperty<&IAccessible::get_accState>(child, out, &StateOf);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic) {
            return E_POINTER;
        }
        *file = nullptr;
        *topic = 0;
        return ForTarget(child, [&](const Target& t) {
            return t.delegate ? t.delegate->get_accHelpTopic(file, SelfId(), topic)
                              : DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height,
                                          VARIANT child) override {
        if (!x || !y || !width || !height) {
            return E_POINTER;
        }
        *x = *y = *width = *height = 0;
        return ForTarget(child, [&](const Target& t) -> HRESULT {
            if (t.delegate) {
                return t.delegate->accLocation(x, y, width, height, SelfId());
            }
            POINT origin{0, 0};
            if (!ClientToScreen(source_->AccessibleWindow(), &origin)) {
                return E_FAIL;
            }
            const Rect& b = t.item->bounds;
            *x = origin.x + b.left;
            *y = origin.y + b.top;
            *width = b.width;
            *height = b.height;
            return S_OK;
        });
    }

    // Actions: windowless items have none.
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return ForTarget(child, [&](const Target& t) {
            return t.delegate ? t.delegate->accSelect(flags, SelfId()) : DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return ForTarget(child, [&](const Target& t) {
            return t.delegate ? t.delegate->accDoDefaultAction(SelfId()) : DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // Where things are: among the items, with the system's object answering for moves
    // from the container to its own siblings.
    HRESULT STDMETHODCALLTYPE accNavigate(long navDir, VARIANT start, VARIANT* out) override {
        if (!out) {
            return E_POINTER;
        }
        VariantInit(out);
        const std::optional<AccessibleDirection> d = DirectionOf(navDir);
        if (!d) {
            return E_INVALIDARG;
        }
        const bool intoChildren =
            *d == AccessibleDirection::First || *d == AccessibleDirection::Last;
        return ForTarget(start, [&](const Target& t) -> HRESULT {
            if (!t.item) {
                if (!intoChildren) {
                    return t.delegate->accNavigate(navDir, start, out);
                }
                const auto items = source_->AccessibleItems();
                return ChildResult(items, Navigate(items, std::nullopt, *d), out);
            }
            if (intoChildren) {
                return t.delegate ? t.delegate->accNavigate(navDir, SelfId(), out) : S_FALSE;
            }
            return ChildResult(t.items, Navigate(t.items, t.index, *d), out);
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) {
            return E_POINTER;
        }
        VariantInit(out);
        return Call([&]() -> HRESULT {
            const HWND w = source_->AccessibleWindow();
            POINT p{x, y};
            RECT client{};
            if (!ScreenToClient(w, &p) || !GetClientRect(w, &client) || !PtInRect(&client, p)) {
                return S_FALSE;
            }
            const auto items = source_->AccessibleItems();
            if (const auto hit = HitTest(items, p.x, p.y)) {
                return ChildResult(items, hit, out);
            }
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) {
            return E_POINTER;
        }
        VariantInit(out);
        return Call([&]() -> HRESULT {
            const HWND focus = GetFocus();
            if (focus && focus == source_->AccessibleWindow()) {
                out->vt = VT_I4;
                out->lVal = CHILDID_SELF;
                return S_OK;
            }
            const auto items = source_->AccessibleItems();
            for (std::size_t i = 0; focus && i < items.size(); ++i) {
                const HWND w = WindowOf(items[i]);
                if (w && (w == focus || IsChild(w, focus))) {
                    return ChildResult(items, i, out);
                }
            }
            return S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) {
            return E_POINTER;
        }
        VariantInit(out);
        return Call([] { return S_FALSE; }); // nothing here can be selected
    }

private:
    // A child id read against the items as they are now. `item` is null for the container
    // itself; `delegate` is set for the container and for a child window.
    struct Target {
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        std::size_t index = 0;
        ComPtr<IAccessible> delegate;
    };

    // Every call ends here: refused once the window has gone, and no exception leaves it.
    template <class F> HRESULT Call(F&& f) noexcept {
        if (!source_) {
            return RPC_E_DISCONNECTED;
        }
        return Guarded([&]() -> HRESULT { return f(); }, HRESULT(E_FAIL));
    }

    HRESULT Resolve(const VARIANT& child, Target& t) const {
        if (child.vt != VT_I4) {
            return E_INVALIDARG;
        }
        if (child.lVal == CHILDID_SELF) {
            t.delegate = standard_;
            return t.delegate ? S_OK : E_FAIL;
        }
        t.items = source_->AccessibleItems();
        if (child.lVal < 1 || std::size_t(child.lVal) > t.items.size()) {
            return E_INVALIDARG;
        }
        t.index = std::size_t(child.lVal) - 1;
        t.item = &t.items[t.index];
        if (t.item->role == AccessibleRole::Window) {
            t.delegate = WindowObject(*t.item);
            return t.delegate ? S_OK : E_FAIL;
        }
        return S_OK;
    }

    template <class F> HRESULT ForTarget(const VARIANT& child, F&& f) noexcept {
        return Call([&]() -> HRESULT {
            Target t;
            if (const HRESULT hr = Resolve(child, t); FAILED(hr)) {
                return hr;
            }
            return f(t);
        });
    }

    // A text property: the container's or a child window's object answers with `Method`,
    // and `simple` for a windowless item (without it, they have no such property).
    template <auto Method>
    HRESULT TextProperty(const VARIANT& child, BSTR* out,
                         HRESULT (*simple)(const AccessibleItem&, BSTR*) = nullptr) noexcept {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        return ForTarget(child, [&](const Target& t) {
            if (t.delegate) {
                return (t.delegate.Get()->*Method)(SelfId(), out);
            }
            return simple ? simple(*t.item, out) : DISP_E_MEMBERNOTFOUND;
        });
    }

    template <auto Method>
    HRESULT NumberProperty(const VARIANT& child, VARIANT* out,
                           long (*simple)(const AccessibleItem&)) noexcept {
        if (!out) {
            return E_POINTER;
        }
        VariantInit(out);
        return ForTarget(child, [&](const Target& t) {
            if (t.delegate) {
                return (t.delegate.Get()->*Method)(SelfId(), out);
            }
            out->vt = VT_I4;
            out->lVal = simple(*t.item);
            return S_OK;
        });
    }

    LONG refs_ = 1;
    AccessibleSource* source_; // null once the window has gone
    ComPtr<IAccessible> standard_;
};

std::optional<LRESULT> AccessibleServer::Answer(WPARAM wp, LPARAM lp) {
    if (gone_ || LONG(DWORD(lp)) != LONG(OBJID_CLIENT)) {
        return std::nullopt;
    }
    if (!object_) {
        // COM carries the object to the screen reader's process. Initialised only when a
        // screen reader first asks, so the window works as before for everyone else.
        static const bool com = [] {
            const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
        }();
        if (!com) {
            return std::nullopt;
        }
        ComPtr<IAccessible> standard;
        CreateStdAccessibleObject(source_.AccessibleWindow(), OBJID_CLIENT, __uuidof(IAccessible),
                                  reinterpret_cast<void**>(standard.GetAddressOf()));
        object_ = new AccessibleObject(source_, std::move(standard));
    }
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wp, object_);
    // Failing that, the system's default object at least tells the child windows.
    return result < 0 ? std::nullopt : std::optional(result);
}

void AccessibleServer::Announce() {
    if (gone_) {
        return;
    }
    const HWND w = source_.AccessibleWindow();
    std::vector<AccessibleItem> items = source_.AccessibleItems();
    const auto changes =
        IsWindowVisible(w) ? ChangesBetween(announced_, items) : std::vector<AccessibleChange>{};
    announced_ = std::move(items);
    for (const AccessibleChange& c : changes) {
        using Kind = AccessibleChange::Kind;
        const DWORD event = c.kind == Kind::Name       ? EVENT_OBJECT_NAMECHANGE
                            : c.kind == Kind::State    ? EVENT_OBJECT_STATECHANGE
                            : c.kind == Kind::Location ? EVENT_OBJECT_LOCATIONCHANGE
                                                       : EVENT_OBJECT_REORDER;
        NotifyWinEvent(event, w, OBJID_CLIENT,
                       c.kind == Kind::Reorder ? CHILDID_SELF : LONG(c.index + 1));
    }
}

void AccessibleServer::Disconnect() {
    gone_ = true;
    if (!object_) {
        return;
    }
    object_->Disconnect();
    // Remote clients' proxies fail from now on instead of reaching the object.
    CoDisconnectObject(static_cast<IAccessible*>(object_), 0);
    object_->Release();
    object_ = nullptr;
}

} // namespace hx::ui::win
