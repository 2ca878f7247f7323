#include "platform/win32/Win32Accessible.h"

#include <oleacc.h>

#include <new>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// Defined here: the import library that carries it would import oleacc.dll at start-up.
constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

struct Oleacc {
    LresultFromObjectFn lresultFromObject = nullptr;
    CreateStdObjectFn createStdObject = nullptr;
};

// Looked up rather than imported: a DLL outside the known ones is never searched for in the
// installer's folder, and the installer still starts where oleacc is missing.
const Oleacc& oleacc() {
    static const Oleacc found = [] {
        Oleacc o;
        HMODULE dll = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll) return o;
        o.lresultFromObject = reinterpret_cast<LresultFromObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(dll, "LresultFromObject")));
        o.createStdObject = reinterpret_cast<CreateStdObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(dll, "CreateStdAccessibleObject")));
        return o;
    }();
    return found;
}

LONG roleOf(platform::AccessRole role) {
    switch (role) {
        case platform::AccessRole::PushButton:
            return ROLE_SYSTEM_PUSHBUTTON;
        case platform::AccessRole::Document:
            return ROLE_SYSTEM_TEXT;
        default:
            return ROLE_SYSTEM_STATICTEXT;
    }
}

bool isChildId(const VARIANT& v, LONG& id) {
    if (v.vt != VT_I4) return false;
    id = v.lVal;
    return true;
}

HRESULT giveText(const std::u16string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(wide(text.c_str()), UINT(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

class WizardAccessible final : public IAccessible {
public:
    WizardAccessible(HWND window, const AccessSource& source) : window_(window), source_(source) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return ULONG(left);
    }

    // IDispatch: screen readers use the vtable; there is no type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        const Oleacc& o = oleacc();
        if (!o.createStdObject) return S_FALSE;
        return o.createStdObject(window_, OBJID_WINDOW, IID_IDispatch,
                                 reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = LONG(items().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        platform::AccessItem item;
        // Every child is a simple element: it has no object of its own.
        return childItem(child, item) ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        platform::AccessItem item;
        if (isSelf(child)) return giveText(windowTitle(), name);
        if (!childItem(child, item)) return E_INVALIDARG;
        return giveText(item.name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        platform::AccessItem item;
        if (!value) return E_POINTER;
        *value = nullptr;
        if (isSelf(child)) return S_FALSE;
        if (!childItem(child, item)) return E_INVALIDARG;
        // The licence is a read-only document: its text is its value as well as its name.
        if (item.role != platform::AccessRole::Document) return S_FALSE;
        return giveText(item.name, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override {
        return noText(out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        platform::AccessItem item;
        LONG value = ROLE_SYSTEM_CLIENT;
        if (!isSelf(child)) {
            if (!childItem(child, item)) return E_INVALIDARG;
            value = roleOf(item.role);
        }
        role->vt = VT_I4;
        role->lVal = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        LONG value = STATE_SYSTEM_FOCUSABLE;
        if (!isSelf(child)) {
            platform::AccessItem item;
            if (!childItem(child, item)) return E_INVALIDARG;
            value = STATE_SYSTEM_READONLY;
            if (item.role == platform::AccessRole::PushButton) value = 0;
            if (item.focusable) value |= STATE_SYSTEM_FOCUSABLE;
            if (item.focused && GetFocus() == window_) value |= STATE_SYSTEM_FOCUSED;
            if (!item.enabled) value |= STATE_SYSTEM_UNAVAILABLE;
        } else if (GetFocus() == window_ && !focusedChild()) {
            value |= STATE_SYSTEM_FOCUSED;
        }
        state->vt = VT_I4;
        state->lVal = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return noText(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
        return noText(out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        if (GetFocus() != window_) return S_FALSE;
        focus->vt = VT_I4;
        focus->lVal = focusedChild();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        platform::AccessItem item;
        if (!action) return E_POINTER;
        *action = nullptr;
        if (isSelf(child)) return S_FALSE;
        if (!childItem(child, item)) return E_INVALIDARG;
        if (item.role != platform::AccessRole::PushButton) return S_FALSE;
        *action = SysAllocString(L"Press");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        RECT client{};
        GetClientRect(window_, &client);
        platform::Rect rect{0, 0, client.right, client.bottom};
        platform::AccessItem item;
        if (!isSelf(child)) {
            if (!childItem(child, item)) return E_INVALIDARG;
            rect = item.rect;
        }
        POINT origin{rect.x, rect.y};
        ClientToScreen(window_, &origin);
        *left = origin.x;
        *top = origin.y;
        *width = rect.width;
        *height = rect.height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        LONG count = LONG(items().size());
        LONG from = 0;
        if (!isChildId(start, from)) return E_INVALIDARG;
        LONG to = 0;
        switch (direction) {
            case NAVDIR_FIRSTCHILD:
                to = from == CHILDID_SELF ? 1 : 0;
                break;
            case NAVDIR_LASTCHILD:
                to = from == CHILDID_SELF ? count : 0;
                break;
            case NAVDIR_NEXT:
            case NAVDIR_DOWN:
            case NAVDIR_RIGHT:
                to = from == CHILDID_SELF ? 0 : from + 1;
                break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP:
            case NAVDIR_LEFT:
                to = from == CHILDID_SELF ? 0 : from - 1;
                break;
            default:
                return E_INVALIDARG;
        }
        if (to < 1 || to > count) return S_FALSE;
        end->vt = VT_I4;
        end->lVal = to;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        VariantInit(hit);
        POINT p{x, y};
        ScreenToClient(window_, &p);
        RECT client{};
        GetClientRect(window_, &client);
        if (!PtInRect(&client, p)) return S_FALSE;
        std::vector<platform::AccessItem> all = items();
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        // The last one listed wins: the buttons come after the texts they may overlap.
        for (std::size_t i = 0; i < all.size(); ++i) {
            const platform::Rect& r = all[i].rect;
            if (r.x <= p.x && p.x < r.x + r.width && r.y <= p.y && p.y < r.y + r.height) {
                hit->lVal = LONG(i + 1);
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        LONG id = 0;
        if (!isChildId(child, id) || id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
        if (id < 1 || id > LONG(items().size())) return E_INVALIDARG;
        return source_.press && source_.press(int(id)) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    std::vector<platform::AccessItem> items() const {
        return source_.describe ? source_.describe() : std::vector<platform::AccessItem>{};
    }
    static bool isSelf(const VARIANT& child) {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }
    bool childItem(const VARIANT& child, platform::AccessItem& item) const {
        LONG id = 0;
        if (!isChildId(child, id) || id < 1) return false;
        std::vector<platform::AccessItem> all = items();
        if (std::size_t(id) > all.size()) return false;
        item = all[std::size_t(id) - 1];
        return true;
    }
    LONG focusedChild() const {
        std::vector<platform::AccessItem> all = items();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].focused) return LONG(i + 1);
        }
        return CHILDID_SELF;
    }
    std::u16string windowTitle() const {
        wchar_t title[100] = {};
        int length = GetWindowTextW(window_, title, 100);
        return std::u16string(narrow16(title), std::size_t(length > 0 ? length : 0));
    }
    static HRESULT noText(BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }

    LONG refs_ = 1;
    HWND window_;
    AccessSource source_;
};

}  // namespace

LRESULT answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessSource& source) {
    if (LONG(lParam) != LONG(OBJID_CLIENT)) return 0;
    const Oleacc& o = oleacc();
    if (!o.lresultFromObject) return 0;
    // The object is marshalled to the reader's process through COM, which this thread then
    // needs; it stays initialised for the window's life (a later balanced use is unaffected).
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    auto* object = new (std::nothrow) WizardAccessible(window, source);
    if (!object) return 0;
    LRESULT answer = o.lresultFromObject(kIidAccessible, wParam, object);
    object->Release();
    return answer < 0 ? 0 : answer;
}

}  // namespace win32
