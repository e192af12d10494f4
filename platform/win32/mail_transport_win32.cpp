// The system's mail transport on Windows: the registered COM component
// "ANSMTP.OBJ", driven through its dual interface by method number, one
// field of the message after the other.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

#include <vector>

#include "common/mail_transport.h"
#include "platform/win32/com_support.h"
#include "platform/win32/win32_error.h"

namespace lorvane {
namespace {

const wchar_t kProgId[] = L"ANSMTP.OBJ";
// {68B8DCDB-EFA4-420A-BB8A-71B9892A2063}
const IID kMailInterface = {0x68B8DCDB, 0xEFA4, 0x420A, {0xBB, 0x8A, 0x71, 0xB9, 0x89, 0x2A, 0x20, 0x63}};

// The component's formats and addressee kinds.
constexpr LONG kHtmlFormat = 1;

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

class ComponentMailTransport : public MailTransport {
public:
    ComPtr<IUnknown>& reference() { return m_mail; }

    // Sets the message up field by field and delivers it; the first call
    // that fails stops the sequence and says which step it was.
    MailOutcome Send(const MailMessage& message) override {
        std::string failedStep;
        auto ok = [&](HRESULT status, const char* step) {
            if (status == S_OK) return true;
            failedStep = std::string(step) + " " + DescribeStatus(status);
            return false;
        };
        auto stopped = [&] { return MailOutcome::NotSent(failedStep); };
        if (!ok(Call(kClearMessage), "clearing the message")) return stopped();
        // The empty text leaves the choice of server to the component.
        if (!ok(Call(kSetMailServer, WideString("").get()), "choosing the mail server")) return stopped();
        if (!ok(Call(kSetSenderAddress, WideString(message.sender).get()), "setting the sender")) return stopped();
        for (const MailAddressee& addressee : message.addressees) {
            LONG number = 0;
            if (!ok(Call(kAddAddressee, WideString(addressee.displayName).get(),
                         WideString(addressee.address).get(), static_cast<LONG>(addressee.kind), &number),
                    "adding the recipient"))
                return stopped();
        }
        if (!ok(Call(kSetSubjectLine, WideString(message.subject).get()), "setting the subject")) return stopped();
        if (message.html && !ok(Call(kSetMessageFormat, kHtmlFormat), "setting the format")) return stopped();
        if (!ok(Call(kSetMessageText, WideString(message.body).get()), "setting the text")) return stopped();
        // The component's attachments are files on the disk, named by
        // path; a message made here goes without them.
        std::string leftOut;
        for (const MailAttachment& attachment : message.attachments)
            leftOut += (leftOut.empty() ? "" : "; ") + attachment.name +
                       " could not be attached: " + DescribeStatus(E_NOTIMPL);
        LONG result = 0;
        if (!ok(Call(kDeliverMessage, &result), "delivering")) return stopped();
        MailOutcome outcome;
        if (result == 0) {
            outcome = MailOutcome::Delivered();
        } else {
            BSTR description = nullptr;
            const HRESULT status = Call(kDescribeLastFailure, &description);
            const std::string failure = TakeNarrow(description);
            if (!ok(status, "describing the failure")) return stopped();
            outcome = MailOutcome::Failed(failure);
        }
        outcome.leftOut = leftOut;
        return outcome;
    }

private:
    // Returns what a failing status of the component means, with the
    // component's own description when it left one.
    static std::string DescribeStatus(HRESULT status) {
        std::string text = DescribeWin32Error("the mail component failed", static_cast<unsigned long>(status));
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
    HRESULT Call(int method, Args... args) {
        IUnknown* object = m_mail.get();
        if (!object) return E_POINTER;
        using Entry = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, Args...);
        void** table = *reinterpret_cast<void***>(object);
        return reinterpret_cast<Entry>(table[method])(object, args...);
    }

    ComApartment m_apartment;  // declared first: left after the reference is released
    ComPtr<IUnknown> m_mail;
};

}  // namespace

Status CreateSystemMailTransport(std::unique_ptr<MailTransport>& transport) {
    auto component = std::make_unique<ComponentMailTransport>();
    CLSID classId{};
    HRESULT result = kProgId[0] == L'{' ? CLSIDFromString(kProgId, &classId)
                                        : CLSIDFromProgID(kProgId, &classId);
    ComPtr<IUnknown> unknown;
    if (SUCCEEDED(result))
        result = CoCreateInstance(classId, nullptr, kAnyServer, IID_IUnknown, unknown.out());
    // A local or remote server must be running before it is asked for more.
    if (SUCCEEDED(result)) result = OleRun(unknown.get());
    if (SUCCEEDED(result)) result = unknown.get()->QueryInterface(kMailInterface, component->reference().out());
    if (result == CO_E_CLASSSTRING || result == REGDB_E_CLASSNOTREG)
        return Status(StatusCode::NotFound,
                      "the mail component \"ANSMTP.OBJ\" is not available: it is not registered on this computer");
    if (FAILED(result))
        return Win32Status("the mail component \"ANSMTP.OBJ\" is not available", static_cast<unsigned long>(result));
    transport = std::move(component);
    return Status();
}

}  // namespace lorvane
