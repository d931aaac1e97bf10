// What the check list tells screen readers: an accessible object (MSAA
// IAccessible) for the list, whose children are the rows, each named by its
// label and description and checked or not. The list is drawn by its owner,
// so the list box's own object would only see the empty item strings.
#include <oleacc.h>

#include <new>

#include "support/system_libraries.h"
#include "ui/check_list.h"

namespace ui {

namespace {

// Room for a row's label, ": " and its description.
constexpr size_t kNameSize = 600;

BSTR WideText(const char* text) {
    WCHAR wide[kNameSize];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kNameSize) == 0) {
        wide[0] = L'\0';
    }
    return SysAllocString(wide);
}

void SetChild(VARIANT* out, LONG child) {
    out->vt = VT_I4;
    out->lVal = child;
}

// The object holds the window, never the list: a reader may keep it after
// the page has gone, and every call then finds no list and fails.
class CheckListAccessible final : public IAccessible {
  public:
    explicit CheckListAccessible(HWND window) : window_(window) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: readers use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
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
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        CheckList* list = List();
        *count = list != nullptr ? list->RowCount() : 0;
        return list != nullptr ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        // The rows are simple elements of this object, not objects of their own.
        *child = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        *name = nullptr;
        CheckList* list = List();
        int row = RowOf(list, child);
        if (row < 0) {
            return row == kSelf ? S_FALSE : E_INVALIDARG;
        }
        char text[kNameSize];
        list->RowName(row, text, sizeof text);
        *name = WideText(text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        *value = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* description) override {
        *description = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        int row = RowOf(List(), child);
        if (row == kNoRow) {
            return E_INVALIDARG;
        }
        SetChild(role, row == kSelf ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        CheckList* list = List();
        int row = RowOf(list, child);
        if (row == kNoRow) {
            return E_INVALIDARG;
        }
        bool focused = GetFocus() == window_;
        LONG bits = STATE_SYSTEM_FOCUSABLE;
        if (row == kSelf) {
            bits |= focused ? STATE_SYSTEM_FOCUSED : 0;
        } else {
            bits |= STATE_SYSTEM_SELECTABLE;
            if (row == Selected()) {
                bits |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
            }
            bits |= list->IsChecked(row) ? STATE_SYSTEM_CHECKED : 0;
        }
        SetChild(state, bits);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        *help = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        *file = nullptr;
        *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
        *shortcut = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return AnswerSelected(focus, GetFocus() == window_);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return AnswerSelected(selection, true);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        *action = nullptr;
        CheckList* list = List();
        int row = RowOf(list, child);
        if (row < 0 || !list->IsCheckRow(row)) {
            return row == kNoRow ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
        }
        *action = WideText(list->IsChecked(row) ? "Uncheck" : "Check");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        CheckList* list = List();
        int row = RowOf(list, child);
        if (row < 0) {
            return E_INVALIDARG;
        }
        if ((flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) != 0) {
            list->SelectRow(row);
        }
        if ((flags & SELFLAG_TAKEFOCUS) != 0) {
            SetFocus(window_);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        int row = RowOf(List(), child);
        if (row == kNoRow) {
            return E_INVALIDARG;
        }
        RECT box = {};
        if (row == kSelf) {
            GetWindowRect(window_, &box);
        } else {
            SendMessageA(window_, LB_GETITEMRECT, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&box));
            MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&box), 2);
        }
        *left = box.left;
        *top = box.top;
        *width = box.right - box.left;
        *height = box.bottom - box.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        CheckList* list = List();
        int row = RowOf(list, start);
        end->vt = VT_EMPTY;
        if (row == kNoRow) {
            return E_INVALIDARG;
        }
        int count = list->RowCount();
        int next = kNoRow;
        if (row == kSelf) {
            next = direction == NAVDIR_FIRSTCHILD  ? 0
                   : direction == NAVDIR_LASTCHILD ? count - 1
                                                   : kNoRow;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            next = row + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            next = row - 1;
        }
        if (next < 0 || next >= count) {
            return S_FALSE;
        }
        SetChild(end, next + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        POINT point = {x, y};
        ScreenToClient(window_, &point);
        RECT client = {};
        GetClientRect(window_, &client);
        child->vt = VT_EMPTY;
        if (!PtInRect(&client, point)) {
            return S_FALSE;
        }
        LRESULT hit = SendMessageA(window_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        bool on_row = HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) < RowCount();
        SetChild(child, on_row ? static_cast<LONG>(LOWORD(hit)) + 1 : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        CheckList* list = List();
        int row = RowOf(list, child);
        if (row < 0 || !list->IsCheckRow(row)) {
            return row == kNoRow ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
        }
        list->SelectRow(row);
        list->ToggleSelected();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    static constexpr int kSelf = -1;
    static constexpr int kNoRow = -2;

    CheckList* List() const { return CheckListOfWindow(window_); }
    int RowCount() const {
        CheckList* list = List();
        return list != nullptr ? list->RowCount() : 0;
    }
    int Selected() const { return static_cast<int>(SendMessageA(window_, LB_GETCURSEL, 0, 0)); }
    // The row a child id names (ids count the rows from 1), kSelf for the
    // list itself, kNoRow for anything else or a list that has gone.
    static int RowOf(CheckList* list, VARIANT child) {
        if (list == nullptr || child.vt != VT_I4) {
            return kNoRow;
        }
        if (child.lVal == CHILDID_SELF) {
            return kSelf;
        }
        return child.lVal >= 1 && child.lVal <= list->RowCount() ? child.lVal - 1 : kNoRow;
    }
    HRESULT AnswerSelected(VARIANT* out, bool applies) const {
        int row = Selected();
        out->vt = VT_EMPTY;
        if (!applies || row < 0) {
            return S_FALSE;
        }
        SetChild(out, row + 1);
        return S_OK;
    }

    HWND window_;
    LONG references_ = 1;
};

}  // namespace

LRESULT AnswerAccessibilityRequest(HWND window, WPARAM wparam, LPARAM lparam) {
    if (static_cast<LONG>(lparam) != OBJID_CLIENT) {
        return 0;
    }
    // oleacc is loaded when a reader first asks, never at start.
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    const auto from_object = reinterpret_cast<FromObject>(
        reinterpret_cast<void*>(support::SystemProcedure("oleacc.dll", "LresultFromObject")));
    auto* object = new (std::nothrow) CheckListAccessible(window);
    if (from_object == nullptr || object == nullptr) {
        delete object;
        return 0;
    }
    LRESULT answer = from_object(__uuidof(IAccessible), wparam, object);
    object->Release();
    return answer;
}

}  // namespace ui
