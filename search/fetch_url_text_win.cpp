#include "search/fetch_url_text_win.h"

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "toolkit/text_encoding_win.h"
#include "toolkit/win_resource.h"

namespace {

using Microsoft::WRL::ComPtr;

// The request object, created by its ProgID and put into its running state; null when that
// fails.
ComPtr<IDispatch> CreateRequestObject() {
    CLSID classId;
    if (FAILED(CLSIDFromProgID(L"WinHttp.WinHttpRequest.5.1", &classId))) return nullptr;
    ComPtr<IUnknown> object;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(&object)))) {
        return nullptr;
    }
    if (FAILED(OleRun(object.Get()))) return nullptr;
    ComPtr<IDispatch> dispatch;
    if (FAILED(object.As(&dispatch))) return nullptr;
    return dispatch;
}

// A late-bound call of the member with that name. The arguments are given in the order they
// are written; Invoke wants them last to first.
HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD kind,
                     std::span<const VARIANT> arguments, VARIANT* result) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID member;
    const HRESULT lookup = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    if (FAILED(lookup)) return lookup;

    std::array<VARIANT, 3> reversed;
    if (arguments.size() > reversed.size()) return E_INVALIDARG;
    std::copy(arguments.rbegin(), arguments.rend(), reversed.begin());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    return object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result, nullptr,
                          nullptr);
}

VARIANT BorrowedString(const UniqueBstr& text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text.get();
    return value;
}

VARIANT Boolean(bool flag) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

UniqueBstr BstrFromText(const Text& text) {
    const std::wstring wide = WideFromText(text);
    return UniqueBstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

// Only the scheme's four letters are compared, so lowering them is all the lowering needed.
bool BeginsWithHttp(std::string_view url) {
    constexpr std::string_view kHttp = "http";
    if (url.size() < kHttp.size()) return false;
    for (std::size_t i = 0; i < kHttp.size(); ++i) {
        char c = url[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kHttp[i]) return false;
    }
    return true;
}

// The body's bytes, in element order whatever the array's dimensions, up to the first zero
// byte; the empty text for anything but a byte array.
Text TextFromBody(const VARIANT& body) {
    if (body.vt != (VT_ARRAY | VT_UI1) && body.vt != (VT_ARRAY | VT_I1)) return {};
    SAFEARRAY* array = body.parray;
    if (array == nullptr || SafeArrayGetElemsize(array) != 1) return {};
    const UINT dimensions = SafeArrayGetDim(array);
    if (dimensions == 0) return {};
    std::size_t count = 1;
    for (UINT i = 0; i < dimensions; ++i) count *= array->rgsabound[i].cElements;

    SafeArrayDataLock lock(array);
    if (lock.data() == nullptr) return {};
    return Text(UpToFirstZero(std::string_view(static_cast<const char*>(lock.data()), count)));
}

Text Fetch(const Text& method, const Text& url, bool asynchronous) {
    ComApartment apartment;
    ComPtr<IDispatch> request = CreateRequestObject();
    if (!request) return {};

    const UniqueBstr methodString = BstrFromText(method);
    const UniqueBstr urlString = BstrFromText(BeginsWithHttp(url) ? url : "http://" + url);
    if (!methodString || !urlString) return {};

    const VARIANT openArguments[] = {BorrowedString(methodString), BorrowedString(urlString),
                                     Boolean(asynchronous)};
    if (FAILED(InvokeByName(request.Get(), L"Open", DISPATCH_METHOD, openArguments, nullptr))) {
        return {};
    }
    // After a Send that failed part-way (a connection reset mid-body), Wine's component
    // crashes when its body is read, so a failed Send ends here.
    if (FAILED(InvokeByName(request.Get(), L"Send", DISPATCH_METHOD, {}, nullptr))) return {};
    UniqueVariant body;
    if (FAILED(
            InvokeByName(request.Get(), L"ResponseBody", DISPATCH_PROPERTYGET, {}, body.put()))) {
        return {};
    }
    return TextFromBody(*body.get());
}

}  // namespace

Text FetchUrlText(const Text& method, const Text& url, bool asynchronous) {
    // A failure of any kind, an allocation included, reaches the caller as the empty text.
    try {
        return Fetch(method, url, asynchronous);
    } catch (...) {
        return {};
    }
}

Text FetchUrlText(const Text& url) {
    return FetchUrlText("GET", url);
}
