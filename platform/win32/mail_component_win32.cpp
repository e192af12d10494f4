// The Windows mail component: the registered COM component "ANSMTP.OBJ",
// driven through its dual interface by method number.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

#include <vector>

#include "common/mail_component.h"
#include "platform/win32/com_support.h"
#include "platform/win32/win32_error.h"

namespace lorvane {
namespace {

const wchar_t kProgId[] = L"ANSMTP.OBJ";
// {68B8DCDB-EFA4-420A-BB8A-71B9892A2063}
const IID kMailInterface = {0x68B8DCDB, 0xEFA4, 0x420A, {0xBB, 0x8A, 0x71, 0xB9, 0x89, 0x2A, 0x20, 0x63}};

// Every kind of server: in-process, handler, local and remote.
constexpr DWORD kAnyServer =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Method numbers in the interface's table.
enum Method {
    kSetMessageFormat = 8,
    kSetMessageText = 10,
    kSetSenderAddress = 16,
    kSetMailServer = 22,
    kSetSubjectLine = 26,
    kAddAddressee = 43,
    kClearMessage = 48,
    kDeliverMessage = 49,
    kDescribeLastFailure = 59,
};

// A COM string converted from 8-bit text with the ANSI code page.
class WideString {
public:
    explicit WideString(const std::string& text) {
        const std::wstring wide = ToWide(text);
        m_string = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    ~WideString() { SysFreeString(m_string); }
    WideString(const WideString&) = delete;
    WideString& operator=(const WideString&) = delete;
    BSTR get() const { return m_string; }

private:
    BSTR m_string = nullptr;
};

// Takes a COM string that was handed to us, as 8-bit text, and frees it.
std::string TakeNarrow(BSTR wide) {
    const std::string text = FromWide(wide, wide ? static_cast<int>(SysStringLen(wide)) : 0);
    SysFreeString(wide);
    return text;
}

class ComMailComponent : public MailComponent {
public:
    ComMailComponent() = default;
    ComPtr<IUnknown>& reference() { return m_mail; }

    MailStatus ClearMessage() override { return Call(kClearMessage); }
    MailStatus SetMailServer(const std::string& server) override {
        return Call(kSetMailServer, WideString(server).get());
    }
    MailStatus SetSenderAddress(const std::string& address) override {
        return Call(kSetSenderAddress, WideString(address).get());
    }
    MailStatus AddAddressee(const std::string& displayName, const std::string& address,
                            std::int32_t kind, std::int32_t& result) override {
        LONG number = 0;
        const MailStatus status = Call(kAddAddressee, WideString(displayName).get(),
                                       WideString(address).get(), static_cast<LONG>(kind), &number);
        result = static_cast<std::int32_t>(number);
        return status;
    }
    MailStatus SetSubjectLine(const std::string& subject) override {
        return Call(kSetSubjectLine, WideString(subject).get());
    }
    MailStatus SetMessageFormat(std::int32_t format) override {
        return Call(kSetMessageFormat, static_cast<LONG>(format));
    }
    MailStatus SetMessageText(const std::string& body) override {
        return Call(kSetMessageText, WideString(body).get());
    }
    MailStatus DeliverMessage(std::int32_t& result) override {
        LONG outcome = 0;
        const MailStatus status = Call(kDeliverMessage, &outcome);
        result = static_cast<std::int32_t>(outcome);
        return status;
    }
    // The component's attachments are files on the disk, named by path;
    // a message made here goes without them.
    MailStatus AddAttachment(const MailAttachment&) override { return E_NOTIMPL; }
    MailStatus DescribeLastFailure(std::string& text) override {
        BSTR description = nullptr;
        const MailStatus status = Call(kDescribeLastFailure, &description);
        text = TakeNarrow(description);
        return status;
    }

    std::string DescribeStatus(MailStatus status) override {
        std::string text = DescribeWin32Error("the mail component failed",
                                              static_cast<unsigned long>(status));
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) == S_OK && info) {
            BSTR description = nullptr;
            if (SUCCEEDED(info->GetDescription(&description))) {
                const std::string detail = TakeNarrow(description);
                if (!detail.empty()) text += " (" + detail + ")";
            }
            info->Release();
        }
        return text;
    }

private:
    template <typename... Args>
    MailStatus Call(int method, Args... args) {
        IUnknown* object = m_mail.get();
        if (!object) return static_cast<MailStatus>(E_POINTER);
        using Entry = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, Args...);
        void** table = *reinterpret_cast<void***>(object);
        return static_cast<MailStatus>(reinterpret_cast<Entry>(table[method])(object, args...));
    }

    ComApartment m_apartment;  // declared first: left after the reference is released
    ComPtr<IUnknown> m_mail;
};

}  // namespace

std::unique_ptr<MailComponent> CreateMailComponent(std::string& error) {
    auto component = std::make_unique<ComMailComponent>();
    CLSID classId{};
    HRESULT result = kProgId[0] == L'{' ? CLSIDFromString(kProgId, &classId)
                                        : CLSIDFromProgID(kProgId, &classId);
    ComPtr<IUnknown> unknown;
    if (SUCCEEDED(result))
        result = CoCreateInstance(classId, nullptr, kAnyServer, IID_IUnknown, unknown.out());
    // A local or remote server must be running before it is asked for more.
    if (SUCCEEDED(result)) result = OleRun(unknown.get());
    if (SUCCEEDED(result)) result = unknown.get()->QueryInterface(kMailInterface, component->reference().out());
    if (result == CO_E_CLASSSTRING || result == REGDB_E_CLASSNOTREG) {
        error = "the mail component \"ANSMTP.OBJ\" is not available: it is not registered on "
                "this computer";
        return nullptr;
    }
    if (FAILED(result)) {
        error = DescribeWin32Error("the mail component \"ANSMTP.OBJ\" is not available",
                                   static_cast<unsigned long>(result));
        return nullptr;
    }
    return component;
}

}  // namespace lorvane
