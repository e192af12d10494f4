// Dialogs on Win32: the templates of the resource script, run with
// DialogBoxParam, their commands routed to the owning CDialog.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "config/dialog.h"
#include "config/dialog_template.h"
#include "config/resource.h"
#include "config/settings_editing.h"

namespace lorvane {
namespace {

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

class Win32DialogHost : public DialogHost {
public:
    Win32DialogHost(CDialog& owner, int templateId, CDialog* parent)
        : m_owner(owner), m_templateId(templateId) {
        if (parent && parent->host()) m_parent = static_cast<Win32DialogHost*>(parent->host())->m_window;
        m_icon = LoadIconA(Module(), MAKEINTRESOURCEA(IDR_APP_ICON));
    }

    int RunModal() override {
        const INT_PTR result = DialogBoxParamA(Module(), MAKEINTRESOURCEA(m_templateId), m_parent,
                                               &Win32DialogHost::Procedure, reinterpret_cast<LPARAM>(this));
        m_window = nullptr;
        return static_cast<int>(result);
    }

    void EndDialog(int result) override { ::EndDialog(m_window, result); }

    std::string GetItemText(int id) override { return WindowText(Item(id)); }
    void SetItemText(int id, const std::string& text) override { SetDlgItemTextA(m_window, id, text.c_str()); }
    bool IsChecked(int id) override { return IsDlgButtonChecked(m_window, id) == BST_CHECKED; }
    void SetCheck(int id, bool checked) override {
        CheckDlgButton(m_window, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void Enable(int id, bool enabled) override { EnableWindow(Item(id), enabled ? TRUE : FALSE); }
    void Show(int id, bool shown) override { ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE); }
    void SetFocus(int id) override {
        SendMessageA(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
    }
    int FocusedControl() override {
        // The focus may sit in a child of a control (a drop-down's edit).
        for (HWND window = GetFocus(); window && window != m_window; window = GetParent(window))
            if (GetParent(window) == m_window) return GetDlgCtrlID(window);
        return 0;
    }

    int ListCount(int id) override { return static_cast<int>(Send(id, LB_GETCOUNT, 0, 0)); }
    std::string ListText(int id, int index) override {
        const LRESULT length = Send(id, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == LB_ERR) return std::string();
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        Send(id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        return std::string(text.data(), static_cast<std::size_t>(length));
    }
    void ListInsert(int id, int index, const std::string& text) override {
        // LB_INSERTSTRING puts the item where it is told, sorted style or
        // not: the order is ours, the same on every platform.
        Send(id, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    }
    void ListDelete(int id, int index) override { Send(id, LB_DELETESTRING, static_cast<WPARAM>(index), 0); }
    bool ListIsSelected(int id, int index) override {
        return Send(id, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
    }

    bool DropDownSelect(int id, int index) override {
        return Send(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != CB_ERR;
    }
    int DropDownSelection(int id) override {
        const LRESULT selected = Send(id, CB_GETCURSEL, 0, 0);
        return selected == CB_ERR ? -1 : static_cast<int>(selected);
    }
    std::string DropDownText(int id, int index) override {
        const LRESULT length = Send(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == CB_ERR) return std::string();
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        Send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        return std::string(text.data(), static_cast<std::size_t>(length));
    }

    void TimeSetFormat(int id, const std::string& format) override {
        Send(id, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format.c_str()));
    }
    void TimeSet(int id, int hour, int minute) override {
        SYSTEMTIME time{};
        GetLocalTime(&time);
        time.wHour = static_cast<WORD>(hour);
        time.wMinute = static_cast<WORD>(minute);
        time.wSecond = 0;
        time.wMilliseconds = 0;
        Send(id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
    void TimeGet(int id, int& hour, int& minute) override {
        SYSTEMTIME time{};
        Send(id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
        hour = time.wHour;
        minute = time.wMinute;
    }

    bool AddSystemMenuCommand(unsigned command, const std::string& text) override {
        HMENU menu = GetSystemMenu(m_window, FALSE);
        if (!menu) return false;
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, command, text.c_str());
        return true;
    }

    void SetTimer(int id, int milliseconds) override {
        ::SetTimer(m_window, static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), nullptr);
    }
    void KillTimer(int id) override { ::KillTimer(m_window, static_cast<UINT_PTR>(id)); }
    void CopyToClipboard(const std::string& text) override {
        if (!OpenClipboard(m_window)) return;
        EmptyClipboard();
        // The clipboard owns the memory once it took it.
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (memory) {
            char* copy = static_cast<char*>(GlobalLock(memory));
            std::memcpy(copy, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        }
        CloseClipboard();
    }

    void SetApplicationIcon() override {
        SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
        SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrA(window, DWLP_USER, lParam);
            auto* host = reinterpret_cast<Win32DialogHost*>(lParam);
            host->m_window = window;
            host->FillDropDownLists();
            host->TakeTypedTimes();
            return host->m_owner.OnInitDialog() ? TRUE : FALSE;
        }
        auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrA(window, DWLP_USER));
        return host ? host->Handle(message, wParam, lParam) : FALSE;
    }

    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
        switch (message) {
            case WM_COMMAND:
                if (HIWORD(wParam) == BN_CLICKED)
                    return m_owner.OnCommand(LOWORD(wParam), ControlEvent::Clicked) ? TRUE : FALSE;
                if (HIWORD(wParam) == CBN_SELCHANGE)
                    return m_owner.OnCommand(LOWORD(wParam), ControlEvent::SelectionChanged) ? TRUE : FALSE;
                return FALSE;
            case WM_TIMER:
                m_owner.OnTimer(static_cast<int>(wParam));
                return TRUE;
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0u) == IDM_ABOUT) {
                    m_owner.OnSysCommand(static_cast<unsigned>(wParam));
                    return TRUE;
                }
                return FALSE;
            case WM_PAINT:
                if (!IsIconic(m_window)) return FALSE;
                PaintIcon();
                return TRUE;
            case WM_QUERYDRAGICON:
                return reinterpret_cast<INT_PTR>(m_icon);
            default:
                return FALSE;
        }
    }

    // A minimised dialog shows the icon in the middle of its client area.
    void PaintIcon() {
        PAINTSTRUCT paint;
        HDC context = BeginPaint(m_window, &paint);
        SendMessageA(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
        const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
        RECT client;
        GetClientRect(m_window, &client);
        DrawIcon(context, (client.right - client.left - width + 1) / 2,
                 (client.bottom - client.top - height + 1) / 2, m_icon);
        EndPaint(m_window, &paint);
    }

    // The drop-down lists' items come with the template data.
    void FillDropDownLists() {
        const DialogTemplate& data = FindDialogTemplate(m_templateId);
        for (const ControlTemplate& control : data.controls) {
            if (control.kind != ControlKind::DropDownList) continue;
            for (const std::string& item : data.dropDownItems)
                Send(control.id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
    }

    // The time pickers read a time typed whole ("1140", "11.40", "11:40")
    // instead of digit by digit into one field.
    void TakeTypedTimes() {
        for (const ControlTemplate& control : FindDialogTemplate(m_templateId).controls)
            if (control.kind == ControlKind::TimePicker)
                SetWindowSubclass(Item(control.id), &Win32DialogHost::TimeTyping, 0,
                                  reinterpret_cast<DWORD_PTR>(this));
    }

    static LRESULT CALLBACK TimeTyping(HWND picker, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR data) {
        auto* host = reinterpret_cast<Win32DialogHost*>(data);
        const char c = static_cast<char>(wParam);
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS) host->m_typedTime.clear();
        if (message == WM_CHAR && ((c >= '0' && c <= '9') || c == '.' || c == ':' || c == ' ')) {
            host->TypeTime(picker, c);
            return 0;
        }
        if (message == WM_NCDESTROY) RemoveWindowSubclass(picker, &Win32DialogHost::TimeTyping, 0);
        return DefSubclassProc(picker, message, wParam, lParam);
    }

    // Adds `c` to the time typed into `picker` and shows what it reads as;
    // what cannot continue that time starts a new one.
    void TypeTime(HWND picker, char c) {
        int hour = 0, minute = -1;
        if (!TypeTimeCharacter(m_typedTime, c, hour, minute)) {
            MessageBeep(MB_OK);
            return;
        }
        SYSTEMTIME time{};
        SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
        time.wHour = static_cast<WORD>(hour);
        if (minute >= 0) time.wMinute = static_cast<WORD>(minute);
        time.wSecond = 0;
        SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }

    HWND Item(int id) const { return GetDlgItem(m_window, id); }
    LRESULT Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
        return SendDlgItemMessageA(m_window, id, message, wParam, lParam);
    }

    CDialog& m_owner;
    int m_templateId;
    HWND m_parent = nullptr;
    HWND m_window = nullptr;
    HICON m_icon = nullptr;
    std::string m_typedTime;  // typed into a time picker since it took the focus
};

}  // namespace

std::unique_ptr<DialogHost> CreateDialogHost(CDialog& owner, int templateId, CDialog* parent) {
    // The time picker's window class comes with the common controls.
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
    return std::make_unique<Win32DialogHost>(owner, templateId, parent);
}

void AppMessageBox(const std::string& text) {
    MessageBoxA(GetActiveWindow(), text.c_str(), "Lorvane", MB_OK | MB_ICONEXCLAMATION);
}

std::string LocaleTimeFormat() {
    char format[64] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, sizeof format);
    return format;
}

std::string LocaleTimeSeparator() {
    char separator[64] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof separator);
    return separator;
}

std::string LogonUserName() {
    char name[1000] = "";
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) return std::string();
    return name;
}

}  // namespace lorvane
