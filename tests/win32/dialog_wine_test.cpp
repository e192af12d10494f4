// The configuration dialog on Win32 resources, under Wine with a display:
// a helper thread finds the dialog and works its controls as a person
// would, through window messages. These write the user's settings key and
// scheduled tasks, so they run only in a scratch Wine prefix.
#include <windows.h>
#include <wincred.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "common/mail_server.h"
#include "common/secret_store.h"
#include "config/mail_server_dlg.h"
#include "common/text.h"
#include "config/lorvane_dlg.h"
#include "config/task_scheduling.h"
#include "config/resource.h"
#include "support/captured_console.h"
#include "support/scratch.h"
#include "support/win32_windows.h"
#include "support/ok.h"

namespace lorvane {
namespace {

using test::AnswerMessageBox;
using test::WaitForWindow;

std::string ItemText(HWND dialog, int id) {
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Saves a picture of `window` as a BMP file, for a person to look at.
void SaveWindowPicture(HWND window, const std::string& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(stride * static_cast<DWORD>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0],
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    CreateDirectoryA(LORVANE_SCREENSHOT_DIR, nullptr);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

// Returns the texts of the one-line labels, buttons and radio buttons of
// `dialog` that do not fit their window with the font the dialog uses,
// each with the width it needs and the width it has.
std::vector<std::string> ClippedTexts(HWND dialog) {
    std::vector<std::string> clipped;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const LONG kind = style & 0x0F;
        int margin = 0;
        if (lstrcmpiA(className, "Static") == 0 && kind <= SS_RIGHT) {
            margin = 0;  // a label's text starts at its left edge
        } else if (lstrcmpiA(className, "Button") == 0 && (kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON ||
                                                              kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX)) {
            margin = GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the mark and the gap after it
        } else if (lstrcmpiA(className, "Button") == 0 && kind <= BS_DEFPUSHBUTTON) {
            margin = 8;
        } else {
            continue;
        }
        char buffer[512] = "";
        GetWindowTextA(child, buffer, sizeof buffer);
        const std::string text = RemoveAll(buffer, "&");
        RECT client;
        GetClientRect(child, &client);
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        const bool oneLine = client.bottom < 2 * metrics.tmHeight;
        if (oneLine && size.cx + margin > client.right)
            clipped.push_back(text + " (" + std::to_string(size.cx + margin) + " > " +
                              std::to_string(client.right) + ")");
    }
    return clipped;
}

const char kNotSent[] =
    "The e-mail message with the updated settings could not be sent: the mail component "
    "\"ANSMTP.OBJ\" is not available: ";

void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Presses `button` of `dialog` (posted: the nested dialog runs inside the
// handler) and returns the dialog titled `title` that it opens, once
// painted and kept as the picture `picture`, its clipped labels added to
// `clipped`; null when none opens.
HWND OpenNested(HWND dialog, int button, const char* title, const std::string& picture,
                std::vector<std::string>& clipped) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    HWND nested = WaitForWindow(title);
    if (!nested) return nullptr;
    Sleep(300);  // let it paint before the picture; not a timing check
    SaveWindowPicture(nested, std::string(LORVANE_SCREENSHOT_DIR "/") + picture);
    const std::vector<std::string> texts = ClippedTexts(nested);
    clipped.insert(clipped.end(), texts.begin(), texts.end());
    return nested;
}

class DialogUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("LORVANE_SCRATCH_REGISTRY") || !std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a scratch Wine prefix and a display (Xvfb)";
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
    }
    void TearDown() override {
        if (std::getenv("LORVANE_SCRATCH_REGISTRY")) RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
    }
    int Run(const std::function<void(HWND)>& person) {
        std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
        StandardConsole console("Lorvane", false);
        CLorvaneDlg dialog(*store, console);
        std::thread helper([&] {
            HWND window = WaitForWindow("Lorvane! Configuration Dialog");
            if (!window) return;
            person(window);
        });
        const int result = dialog.DoModal();
        helper.join();
        return result;
    }
    static std::string Stored(const char* name) {
        std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
        std::string error, text = "<missing>";
        (void)store->Open();
        store->Read(name, kUnlimitedCapacity, text);
        return text;
    }
};

TEST_F(DialogUnderWine, FirstStartThenCancel) {
    std::string email, day;
    std::vector<std::string> clipped;
    LRESULT days = 0;
    const int result = Run([&](HWND dialog) {
        Sleep(300);  // let it paint before the picture; not a timing check
        SaveWindowPicture(dialog, LORVANE_SCREENSHOT_DIR "/configuration_dialog_win32.bmp");
        clipped = ClippedTexts(dialog);
        email = ItemText(dialog, IDC_EMAIL_EDIT);
        days = SendDlgItemMessageA(dialog, IDC_RUN_DAY, CB_GETCOUNT, 0, 0);
        day = ItemText(dialog, IDC_RUN_DAY);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(clipped.empty()) << testing::PrintToString(clipped);
    EXPECT_EQ(email, "your.name@example.org");
    EXPECT_EQ(days, 7);
    EXPECT_FALSE(day.empty());
    EXPECT_EQ(Stored("Frequency"), "Weekly");
    EXPECT_EQ(Stored("Query199"), "");
    EXPECT_EQ(Stored("Day"), day);
}

TEST_F(DialogUnderWine, AddQueriesAndSaveWithAlertsOff) {
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    ASSERT_TRUE(test::Ok(store->Write({{"Frequency", "Off"}, {"Email", "reader@example.org"}, {"Format", "Text"},
                              {"Hour", "7"}, {"Minute", "75"}})));
    std::string message, first;
    std::vector<std::string> clipped;
    const int result = Run([&](HWND dialog) {
        for (const char* query : {"zeta", "breast cancer", "Alpha"}) {
            SetDlgItemTextA(dialog, IDC_QUERY_EDIT, query);
            Press(dialog, IDC_ADD_QUERY);
        }
        // Enter in the query box adds what is typed there; the dialog stays.
        HWND edit = GetDlgItem(dialog, IDC_QUERY_EDIT);
        SetWindowTextA(edit, "delta");
        PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        for (int i = 0; i < 500 && SendDlgItemMessageA(dialog, IDC_QUERY_LIST, LB_GETCOUNT, 0, 0) < 4; ++i)
            Sleep(10);
        char text[256] = "";
        SendDlgItemMessageA(dialog, IDC_QUERY_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        first = text;
        // "Digest...": one option checked there is stored with the rest.
        HWND digest = OpenNested(dialog, IDC_DIGEST_OPTIONS, "Digest options", "digest_options_dialog_win32.bmp",
                                 clipped);
        if (!digest) return;
        SendDlgItemMessageA(digest, IDC_FORWARD_LINKS, BM_CLICK, 0, 0);
        PostMessageA(digest, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 500 && IsWindow(digest); ++i) Sleep(10);  // until it is gone
        // "Save and exit" ends with a message box: answer it from here.
        std::thread answer([&] { message = AnswerMessageBox(); });
        Press(dialog, IDOK);
        answer.join();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(clipped.empty()) << testing::PrintToString(clipped);
    EXPECT_EQ(Stored("AttachCitations") + Stored("ForwardLinks") + Stored("Abstracts"), "010");
    EXPECT_EQ(first, "Alpha");
    // Wine has no "ANSMTP.OBJ": the box says the summary was not sent, and why.
    EXPECT_EQ(message.rfind(kNotSent, 0), 0u) << message;
    EXPECT_EQ(Stored("Query0"), "Alpha");
    EXPECT_EQ(Stored("Query1"), "breast_cancer");
    EXPECT_EQ(Stored("Query2"), "delta");
    EXPECT_EQ(Stored("Query3"), "zeta");
    EXPECT_EQ(Stored("Frequency"), "Off");
    EXPECT_EQ(Stored("Format"), "Text");
    EXPECT_EQ(Stored("Hour") + ":" + Stored("Minute"), "8:15");
}

TEST_F(DialogUnderWine, SaveWithAlertsOnSchedulesTheRunner) {
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    ASSERT_TRUE(test::Ok(store->Write({{"Frequency", "Weekly"}, {"Email", "reader@example.org"}, {"Format", "HTML"},
                              {"Day", "Wednesday"}, {"Hour", "18"}, {"Minute", "45"}})));
    std::string shownName, warning;
    std::vector<std::string> messages, promptClipped;
    bool ownedByMain = false;
    bool mainEnabled = true;
    RECT mainRect{};
    const int result = Run([&](HWND dialog) {
        GetWindowRect(dialog, &mainRect);
        warning = ItemText(dialog, IDC_SCHEDULE_WARNING);
        // A time typed whole, without a colon, as a person types it.
        HWND picker = GetDlgItem(dialog, IDC_RUN_TIME);
        PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(picker), TRUE);
        for (const char c : std::string("0715")) PostMessageA(picker, WM_CHAR, static_cast<WPARAM>(c), 0);
        SYSTEMTIME shown{};
        for (int i = 0; i < 500 && !(shown.wHour == 7 && shown.wMinute == 15); ++i) {
            Sleep(10);
            SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
        }
        std::thread person([&] {
            HWND prompt = WaitForWindow("Enter your user name and password");
            if (!prompt) return;
            // The prompt belongs to the main dialog, which waits behind it.
            ownedByMain = GetWindow(prompt, GW_OWNER) == dialog;
            mainEnabled = IsWindowEnabled(dialog) != FALSE;
            shownName = ItemText(prompt, IDC_USER_NAME_EDIT);
            Sleep(300);  // let it paint before the picture; not a timing check
            SaveWindowPicture(prompt, LORVANE_SCREENSHOT_DIR "/password_dialog_win32.bmp");
            promptClipped = ClippedTexts(prompt);
            SetDlgItemTextA(prompt, IDC_PASSWORD_EDIT, "secret");
            PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            messages.push_back(AnswerMessageBox());
            messages.push_back(AnswerMessageBox());
        });
        Press(dialog, IDOK);
        person.join();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(ownedByMain);
    EXPECT_FALSE(mainEnabled);
    EXPECT_GT(mainRect.left, 0);  // centred, not in the screen's corner
    EXPECT_GT(mainRect.top, 0);
    char user[256] = "";
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    EXPECT_EQ(shownName, user);
    EXPECT_TRUE(promptClipped.empty()) << promptClipped.front();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "The system was updated successfully!!!");
    EXPECT_EQ(messages[1].rfind(kNotSent, 0), 0u) << messages[1];
    EXPECT_NE(messages[1].find("under \"Outgoing mail...\" and save again."), std::string::npos);
    EXPECT_EQ(warning, "Alerts are on, but no schedule is registered for you: \"Save and exit\" registers one.");
    EXPECT_EQ(Stored("Hour") + ":" + Stored("Minute"), "7:15");

    // Saved again, the prompt cancelled: the work item made before stays.
    messages.clear();
    EXPECT_EQ(Run([&](HWND dialog) {
                  warning = ItemText(dialog, IDC_SCHEDULE_WARNING);
                  std::thread person([&] {
                      HWND prompt = WaitForWindow("Enter your user name and password");
                      if (prompt) PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                      messages.push_back(AnswerMessageBox());
                      messages.push_back(AnswerMessageBox());
                  });
                  Press(dialog, IDOK);
                  person.join();
              }),
              IDOK);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(messages.front(), "The task was not created because no password was provided; the schedule "
                                "was not changed: the one made before stays.");
    test::CapturedConsole console;
    EXPECT_EQ(RemoveTask(console, "Lorvane").code(), StatusCode::Ok);  // it was there, and still is
    // The run's folder is the user's own, made on save.
    EXPECT_EQ(RunnerWorkingDirectory().find("\\Lorvane"), RunnerWorkingDirectory().size() - 8);
    const DWORD attributes = GetFileAttributesA(RunnerWorkingDirectory().c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(RunnerApplication().substr(RunnerApplication().size() - 12), "\\tessory.exe");
}

TEST_F(DialogUnderWine, SignInToMicrosoft) {
    const char* service = std::getenv("LORVANE_WINE_OAUTH_URL");
    if (!service) GTEST_SKIP() << "no sign-in service was started for this run";
    CredDeleteA("Lorvane/mail-oauth", CRED_TYPE_GENERIC, 0);
    CMailServerDlg dialog;
    dialog.m_server.server = "smtp.office365.com";
    dialog.m_server.user = "reader@contoso.example";
    dialog.m_server.auth = MailAuth::OAuth2;
    dialog.m_server.oauthClientId = "client-123";
    dialog.m_server.oauthUrl = service;
    std::string code, clipboard, signedIn;
    std::vector<std::string> clipped;
    std::thread person([&] {
        HWND mail = WaitForWindow("Outgoing mail server");
        if (!mail) return;
        HWND waiting = OpenNested(mail, IDC_MAIL_SIGN_IN, "Sign in to Microsoft", "sign_in_dialog_win32.bmp", clipped);
        if (!waiting) return;
        code = ItemText(waiting, IDC_SIGN_IN_CODE);
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_TEXT)) {
                clipboard = static_cast<const char*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        for (int i = 0; i < 1000 && ItemText(waiting, IDC_SIGN_IN_STATUS).rfind("Waiting", 0) == 0; ++i) Sleep(10);
        signedIn = ItemText(waiting, IDC_SIGN_IN_STATUS);
        PostMessageA(waiting, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageA(mail, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    person.join();
    EXPECT_TRUE(clipped.empty()) << testing::PrintToString(clipped);
    EXPECT_EQ(code, "Code: ABCD-EFGH");
    EXPECT_EQ(clipboard, "ABCD-EFGH");
    EXPECT_EQ(signedIn, "Signed in as reader@contoso.example.");
    std::string token, error;
    EXPECT_TRUE(test::Ok(ReadSecret(Secret::SignInToken, "", token)));
    EXPECT_EQ(token, "rt-1");
}

TEST_F(DialogUnderWine, OutgoingMailServerTriedAndStored) {
    const char* port = std::getenv("LORVANE_WINE_SMTP_PORT");
    const char* folder = std::getenv("LORVANE_WINE_SMTP_FOLDER");
    if (!port || !folder) GTEST_SKIP() << "no mail server was started for this run";
    CredDeleteA("Lorvane/mail", CRED_TYPE_GENERIC, 0);
    ASSERT_TRUE(test::Ok(CreateUserSettingsStore()->Write({{"Frequency", "Off"}, {"Email", "reader@example.org"},
                                                  {"MailCAFile", std::string(folder) + "\\cert.pem"}})));
    std::vector<std::string> clipped, messages;
    std::string note;
    bool clientIdShown = false;
    const int result = Run([&](HWND dialog) {
        HWND mail = OpenNested(dialog, IDC_OUTGOING_MAIL, "Outgoing mail server", "mail_server_dialog_win32.bmp",
                               clipped);
        if (!mail) return;
        note = ItemText(mail, IDC_MAIL_PASSWORD_NOTE);
        // The client ID is asked for with Microsoft's sign-in only (this build carries none).
        const bool hiddenFirst = !IsWindowVisible(GetDlgItem(mail, IDC_MAIL_CLIENT_ID));
        SendMessageA(GetDlgItem(mail, IDC_MAIL_AUTH_OAUTH), BM_CLICK, 0, 0);
        clientIdShown = hiddenFirst && IsWindowVisible(GetDlgItem(mail, IDC_MAIL_CLIENT_ID));
        SendMessageA(GetDlgItem(mail, IDC_MAIL_AUTH_PASSWORD), BM_CLICK, 0, 0);
        SetDlgItemTextA(mail, IDC_MAIL_SERVER, "localhost");
        SetDlgItemTextA(mail, IDC_MAIL_PORT, port);
        SetDlgItemTextA(mail, IDC_MAIL_USER, "reader");
        SetDlgItemTextA(mail, IDC_MAIL_PASSWORD, "s3cret pass");
        PostMessageA(mail, WM_COMMAND, MAKEWPARAM(IDC_MAIL_TEST, BN_CLICKED), 0);
        messages.push_back(AnswerMessageBox());
        PostMessageA(mail, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 500 && IsWindow(mail); ++i) Sleep(10);  // until it is gone
        std::thread answer([&] { messages.push_back(AnswerMessageBox()); });
        Press(dialog, IDOK);
        answer.join();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(clipped.empty()) << testing::PrintToString(clipped);
    EXPECT_EQ(note, "No password is stored.");
    EXPECT_TRUE(clientIdShown);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "The test message to reader@example.org was accepted for delivery.",
                            "An e-mail message with the updated settings was send to you!"}));
    EXPECT_EQ(Stored("MailServer"), "localhost");
    EXPECT_EQ(Stored("MailUser"), "reader");
    // The password is in the Credential Manager, in no value of the key.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lorvane\\Lorvane\\Lorvane", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char name[256], data[4096];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                          &dataSize) != ERROR_SUCCESS)
            break;
        data[dataSize] = '\0';
        EXPECT_EQ(std::string(data).find("s3cret"), std::string::npos) << name;
    }
    RegCloseKey(key);
    std::string password;
    EXPECT_TRUE(test::Ok(ReadSecret(Secret::MailPassword, "", password)));
    EXPECT_EQ(password, "s3cret pass");
    CredDeleteA("Lorvane/mail", CRED_TYPE_GENERIC, 0);
}

}  // namespace
}  // namespace lorvane
