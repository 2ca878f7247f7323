// The wizard's window as a screen reader reads it: through oleacc's AccessibleObjectFromWindow,
// the child count, names, roles, values, places and default actions of every page in every
// language, answered by the real IAccessible from WM_GETOBJECT.
#include <windows.h>
// The COM types oleacc.h needs, which the lean windows.h leaves out.
#include <objidl.h>
#include <oleacc.h>

#include <string>

#include "WizardHarness.h"
#include "platform/win32/Win32Accessible.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace wiz {
namespace {

constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

LRESULT CALLBACK answeringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT) {
        static const win32::AccessSource source{describeWizard, pressAccessChild};
        LRESULT answer = win32::answerGetObject(window, wParam, lParam, source);
        if (answer) return answer;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

VARIANT child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring take(BSTR text) {
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

class AccessibleTree : public WizardSurface {
protected:
    void SetUp() override {
        WizardSurface::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        // Wine makes no top-level window without an X display; tests/e2e/setup_keys.sh reads the
        // same tree from another process under Xvfb.
        if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) {
            GTEST_SKIP() << "no display: tests/e2e/setup_keys.sh reads the tree under Xvfb";
        }
        WNDCLASSW wc{};
        wc.lpfnWndProc = answeringProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"AccessibleTreeTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, L"AccessibleTreeTest", L"Setup", WS_POPUP, 100, 50, 538, 375,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        windowSurface.window = window_;
        using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
        oleacc_ = LoadLibraryW(L"oleacc.dll");
        ASSERT_NE(oleacc_, nullptr);
        fromWindow_ = reinterpret_cast<FromWindow>(
            reinterpret_cast<void*>(GetProcAddress(oleacc_, "AccessibleObjectFromWindow")));
        ASSERT_NE(fromWindow_, nullptr);
    }
    void TearDown() override {
        if (root_) root_->Release();
        if (window_) DestroyWindow(window_);
        CoUninitialize();
        WizardSurface::TearDown();
    }
    // The window's client object as a screen reader gets it.
    IAccessible* root() {
        if (!root_) {
            void* object = nullptr;
            HRESULT hr = fromWindow_(window_, DWORD(OBJID_CLIENT), kIidAccessible, &object);
            EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
            root_ = static_cast<IAccessible*>(object);
        }
        return root_;
    }
    LONG count() {
        LONG n = -1;
        EXPECT_EQ(root()->get_accChildCount(&n), S_OK);
        return n;
    }
    std::wstring name(LONG id) {
        BSTR text = nullptr;
        root()->get_accName(child(id), &text);
        return take(text);
    }
    LONG role(LONG id) {
        VARIANT v;
        VariantInit(&v);
        EXPECT_EQ(root()->get_accRole(child(id), &v), S_OK);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    void showPage(WizardPage page) {
        wizardState.currentPage = page;
        wizardState.inputEnabled = true;
    }

    HWND window_ = nullptr;
    HMODULE oleacc_ = nullptr;
    HRESULT(WINAPI* fromWindow_)(HWND, DWORD, REFIID, void**) = nullptr;
    IAccessible* root_ = nullptr;
};

TEST_F(AccessibleTree, EveryPageInEveryLanguageReadsAsTheWizardDescribesIt) {
    for (const Language& language : kLanguages) {
        applyLanguage(language.langId);
        for (int page = 0; page < kPageCount; ++page) {
            SCOPED_TRACE(std::string(language.code) + " page " + std::to_string(page));
            showPage(WizardPage(page));
            std::vector<platform::AccessItem> items = describeWizard();
            ASSERT_EQ(count(), LONG(items.size()));
            EXPECT_EQ(role(CHILDID_SELF), ROLE_SYSTEM_CLIENT);
            for (std::size_t i = 0; i < items.size(); ++i) {
                LONG id = LONG(i + 1);
                EXPECT_EQ(name(id), std::wstring(items[i].name.begin(), items[i].name.end()));
                LONG expected =
                    items[i].role == platform::AccessRole::PushButton ? ROLE_SYSTEM_PUSHBUTTON
                    : items[i].role == platform::AccessRole::Document ? ROLE_SYSTEM_TEXT
                                                                      : ROLE_SYSTEM_STATICTEXT;
                EXPECT_EQ(role(id), expected);
            }
            // The close button is there on every page, last.
            EXPECT_EQ(role(count()), ROLE_SYSTEM_PUSHBUTTON);
        }
    }
}

TEST_F(AccessibleTree, TheLanguageButtonsAndTheLicenceReadAsAUserNeedsThem) {
    applyLanguage(1033);
    showPage(LanguagePage);
    ASSERT_EQ(count(), 7);
    EXPECT_EQ(name(2), L"\u7B80\u4F53\u4E2D\u6587");
    EXPECT_EQ(name(4), L"Italiano");
    EXPECT_EQ(name(6), L"\uD55C\uAD6D\uC5B4");
    EXPECT_EQ(name(7), L"Close");

    showPage(LicencePage);
    ASSERT_EQ(count(), 7);
    EXPECT_EQ(role(2), ROLE_SYSTEM_TEXT);
    BSTR value = nullptr;
    ASSERT_EQ(root()->get_accValue(child(2), &value), S_OK);
    std::wstring licence = take(value);
    EXPECT_GT(licence.size(), 100u) << "the whole text, not one paragraph";
    EXPECT_EQ(licence, name(2));
    EXPECT_EQ(name(3), L"C:\\Program Files (x86)\\Brenmark\\KorvelServerV6");
    EXPECT_EQ(name(5), L"Agree");

    // Agree sits at (362, 343) in the window, 81 x 24.
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(root()->accLocation(&left, &top, &width, &height, child(5)), S_OK);
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    EXPECT_EQ(left, origin.x + 362);
    EXPECT_EQ(top, origin.y + 343);
    EXPECT_EQ(width, 81);
    EXPECT_EQ(height, 24);
}

TEST_F(AccessibleTree, WrongChildIdsAreRefusedAndTheDefaultActionPresses) {
    applyLanguage(1033);
    showPage(LicencePage);
    BSTR text = nullptr;
    EXPECT_EQ(root()->get_accName(child(8), &text), E_INVALIDARG);
    EXPECT_EQ(root()->get_accName(child(-3), &text), E_INVALIDARG);
    VARIANT wrongType;
    VariantInit(&wrongType);
    wrongType.vt = VT_BSTR;
    wrongType.bstrVal = nullptr;
    EXPECT_EQ(root()->get_accName(wrongType, &text), E_INVALIDARG);
    EXPECT_EQ(root()->get_accChildCount(nullptr), E_POINTER);

    VARIANT next;
    EXPECT_EQ(root()->accNavigate(NAVDIR_NEXT, child(7), &next), S_FALSE);
    EXPECT_EQ(root()->accNavigate(NAVDIR_FIRSTCHILD, child(CHILDID_SELF), &next), S_OK);
    EXPECT_EQ(next.lVal, 1);

    EXPECT_EQ(root()->accDoDefaultAction(child(1)), DISP_E_MEMBERNOTFOUND) << "a text";
    bool agreed = false;
    clickActions.agree = [&] { agreed = true; };
    EXPECT_EQ(root()->accDoDefaultAction(child(5)), S_OK);
    EXPECT_TRUE(agreed);
}

}  // namespace
}  // namespace wiz
