// A stand-in for the mail component "ANSMTP.OBJ": an in-process COM server
// whose interface table has the component's method numbers. Each call is
// appended to the file that LORVANE_MAIL_DOUBLE_LOG names, one line per
// call: the method number and its arguments ("16 reader@example.org").
// DeliverMessage refuses a message to an address holding "refused", and
// DescribeLastFailure then says why.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

// {5E1C0B7A-3D2F-4B8E-9A61-2C7D4F0E8B13}: the double's own class.
const CLSID kDoubleClass = {0x5E1C0B7A, 0x3D2F, 0x4B8E, {0x9A, 0x61, 0x2C, 0x7D, 0x4F, 0x0E, 0x8B, 0x13}};
// {68B8DCDB-EFA4-420A-BB8A-71B9892A2063}: the mail component interface.
const IID kMailInterface = {0x68B8DCDB, 0xEFA4, 0x420A, {0xBB, 0x8A, 0x71, 0xB9, 0x89, 0x2A, 0x20, 0x63}};

constexpr int kTableSize = 60;

struct MailDouble {
    void** table;
    LONG references;
    std::string recipient;
};

std::string Narrow(BSTR text) {
    if (!text) return "<null>";
    const int length = static_cast<int>(SysStringLen(text));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], bytes, nullptr, nullptr);
    return out;
}

void Record(const std::string& line) {
    char path[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("LORVANE_MAIL_DOUBLE_LOG", path, sizeof path)) return;
    if (FILE* log = std::fopen(path, "ab")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

HRESULT STDMETHODCALLTYPE DoubleQueryInterface(MailDouble* self, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kMailInterface)) {
        *out = self;
        ++self->references;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE DoubleAddRef(MailDouble* self) { return static_cast<ULONG>(++self->references); }
ULONG STDMETHODCALLTYPE DoubleRelease(MailDouble* self) {
    const LONG left = --self->references;
    if (left == 0) delete self;
    return static_cast<ULONG>(left);
}
HRESULT STDMETHODCALLTYPE NotImplemented(MailDouble*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE SetMessageFormat(MailDouble*, LONG format) {
    Record("8 " + std::to_string(format));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE SetMessageText(MailDouble*, BSTR text) {
    const std::string body = Narrow(text);
    // The start and the size are enough to tell the bodies apart.
    Record("10 " + std::to_string(body.size()) + " " + body.substr(0, 40));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE SetSenderAddress(MailDouble*, BSTR address) {
    Record("16 " + Narrow(address));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE SetMailServer(MailDouble*, BSTR server) {
    Record("22 " + Narrow(server));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE SetSubjectLine(MailDouble*, BSTR subject) {
    Record("26 " + Narrow(subject));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE AddAddressee(MailDouble* self, BSTR name, BSTR address, LONG kind, LONG* number) {
    self->recipient = Narrow(address);
    Record("43 " + Narrow(name) + " " + self->recipient + " " + std::to_string(kind));
    if (number) *number = 1;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE ClearMessage(MailDouble*) {
    Record("48");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE DeliverMessage(MailDouble* self, LONG* result) {
    Record("49");
    if (result) *result = self->recipient.find("refused") == std::string::npos ? 0 : 1;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE DescribeLastFailure(MailDouble*, BSTR* text) {
    Record("59");
    if (text) *text = SysAllocString(L"550 the double refuses this recipient");
    return S_OK;
}

void** Table() {
    static void* table[kTableSize];
    static bool filled = false;
    if (!filled) {
        for (void*& entry : table) entry = reinterpret_cast<void*>(&NotImplemented);
        table[0] = reinterpret_cast<void*>(&DoubleQueryInterface);
        table[1] = reinterpret_cast<void*>(&DoubleAddRef);
        table[2] = reinterpret_cast<void*>(&DoubleRelease);
        table[8] = reinterpret_cast<void*>(&SetMessageFormat);
        table[10] = reinterpret_cast<void*>(&SetMessageText);
        table[16] = reinterpret_cast<void*>(&SetSenderAddress);
        table[22] = reinterpret_cast<void*>(&SetMailServer);
        table[26] = reinterpret_cast<void*>(&SetSubjectLine);
        table[43] = reinterpret_cast<void*>(&AddAddressee);
        table[48] = reinterpret_cast<void*>(&ClearMessage);
        table[49] = reinterpret_cast<void*>(&DeliverMessage);
        table[59] = reinterpret_cast<void*>(&DescribeLastFailure);
        filled = true;
    }
    return table;
}

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new MailDouble{Table(), 0, std::string()};
        const HRESULT result = DoubleQueryInterface(object, iid, out);
        if (FAILED(result)) delete object;
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID id, REFIID iid, void** out) {
    if (!IsEqualCLSID(id, kDoubleClass)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}
