// The player control's persistence: a stream (also the "Contents" stream of
// a storage) and a property bag (the PARAM tags of a web page), and the
// download of the file that "SRC" names. Persisted data comes from any page:
// it is checked before any of it is used.
#include "ZelvoPlayControl.h"
#include "resource.h"
#include "UiSeam.h"
#include <urlmon.h>
#include <cstring>

namespace {

// The stream format, little-endian, no padding:
//   u32  version 0x00010000
//   u32  length of "SRC" in bytes, then that many ANSI bytes (no terminator)
//   u32  length of "Animation", then its ANSI bytes
//   i16  Status          (0 Stop, 1 Play, 2 Reset)
//   i16  SoundState      (0 Off, 1 On, 2 Pause)
//   u8   AutoSize, u8 AutoScroll, u8 AutoNextAnimation, u8 HitTest (0 or 1)
//   i16  OriginX, i16 OriginY
// A string is at most 259 bytes (a path of the engine's 260-character
// buffers); a longer one, a short stream or another version fails the load.
constexpr uint32_t STREAM_VERSION = 0x00010000;
constexpr uint32_t MAX_STRING = MAX_PATH - 1;
constexpr wchar_t CONTENTS_STREAM[] = L"Contents";

class StreamWriter {
public:
    explicit StreamWriter(IStream* stream) : stream_(stream) {}
    template <class T>
    void Put(T value) { Bytes(&value, sizeof value); }
    void String(const std::string& text)
    {
        Put<uint32_t>(static_cast<uint32_t>(text.size()));
        Bytes(text.data(), text.size());
    }
    HRESULT Result() const { return result_; }
private:
    void Bytes(const void* data, size_t size)
    {
        if (FAILED(result_) || !size) return;
        ULONG written = 0;
        result_ = stream_->Write(data, static_cast<ULONG>(size), &written);
        if (SUCCEEDED(result_) && written != size) result_ = STG_E_MEDIUMFULL;
    }
    IStream* stream_;
    HRESULT result_ = S_OK;
};

class StreamReader {
public:
    explicit StreamReader(IStream* stream) : stream_(stream) {}
    template <class T>
    bool Get(T* value) { return Bytes(value, sizeof *value); }
    bool String(std::string* text)
    {
        uint32_t length = 0;
        if (!Get(&length) || length > MAX_STRING) return ok_ = false;
        char bytes[MAX_STRING];
        if (!Bytes(bytes, length)) return false;
        text->assign(bytes, length);
        return true;
    }
    bool Ok() const { return ok_; }
private:
    bool Bytes(void* data, size_t size)
    {
        if (!ok_) return false;
        if (!size) return true;
        ULONG read = 0;
        if (FAILED(stream_->Read(data, static_cast<ULONG>(size), &read)) || read != size) ok_ = false;
        return ok_;
    }
    IStream* stream_;
    bool ok_ = true;
};

bool ReadPersistedStream(IStream* stream, ZelvoPlayPersisted* out)
{
    StreamReader in(stream);
    uint32_t version = 0;
    if (!in.Get(&version) || version != STREAM_VERSION) return false;
    ZelvoPlayPersisted loaded;
    uint8_t flags[4] = {};
    in.String(&loaded.src);
    in.String(&loaded.p.animation);
    in.Get(&loaded.p.status);
    in.Get(&loaded.p.soundState);
    for (uint8_t& f : flags) in.Get(&f);
    in.Get(&loaded.p.originX);
    in.Get(&loaded.p.originY);
    if (!in.Ok()) return false;
    loaded.p.autoSize = flags[0] != 0;
    loaded.p.autoScroll = flags[1] != 0;
    loaded.p.autoNextAnimation = flags[2] != 0;
    loaded.p.hitTest = flags[3] != 0;
    *out = loaded;
    return true;
}

HRESULT WritePersistedStream(IStream* stream, const ZelvoPlayPersisted& data)
{
    StreamWriter out(stream);
    out.Put<uint32_t>(STREAM_VERSION);
    out.String(data.src);
    out.String(data.p.animation);
    out.Put<int16_t>(data.p.status);
    out.Put<int16_t>(data.p.soundState);
    out.Put<uint8_t>(data.p.autoSize ? 1 : 0);
    out.Put<uint8_t>(data.p.autoScroll ? 1 : 0);
    out.Put<uint8_t>(data.p.autoNextAnimation ? 1 : 0);
    out.Put<uint8_t>(data.p.hitTest ? 1 : 0);
    out.Put<int16_t>(data.p.originX);
    out.Put<int16_t>(data.p.originY);
    return out.Result();
}

// ---- the property bag -------------------------------------------------------

// Reads one value as the type wanted; a missing value keeps the default, a
// value of another type is converted, and one that cannot be keeps the
// default too.
bool ReadBagValue(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, VARTYPE type, VARIANT* out)
{
    ocx::ScopedVariant read;
    read.vt = type;
    if (FAILED(bag->Read(name, &read, log))) return false;
    return SUCCEEDED(VariantChangeType(out, &read, 0, type));
}

bool ReadBagString(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, std::string* value, bool* tooLong)
{
    ocx::ScopedVariant v;
    if (!ReadBagValue(bag, log, name, VT_BSTR, &v)) return false;
    const std::string text = ocx::Narrow(v.bstrVal ? v.bstrVal : L"");
    if (text.size() > MAX_STRING) {
        *tooLong = true;
        return false;
    }
    *value = text;
    return true;
}

template <class T>
void ReadBagShort(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, T* value)
{
    ocx::ScopedVariant v;
    if (ReadBagValue(bag, log, name, VT_I2, &v)) *value = v.iVal;
}

void ReadBagBool(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, BOOL* value)
{
    ocx::ScopedVariant v;
    if (ReadBagValue(bag, log, name, VT_BOOL, &v)) *value = v.boolVal != VARIANT_FALSE;
}

HRESULT WriteBagValue(IPropertyBag* bag, const wchar_t* name, VARIANT& value)
{
    const HRESULT hr = bag->Write(name, &value);
    VariantClear(&value);
    return hr;
}

HRESULT WriteBagString(IPropertyBag* bag, const wchar_t* name, const std::string& text)
{
    VARIANT v = ocx::StringVariant(text);
    return WriteBagValue(bag, name, v);
}

HRESULT WriteBagShort(IPropertyBag* bag, const wchar_t* name, int value)
{
    VARIANT v = ocx::ShortVariant(value);
    return WriteBagValue(bag, name, v);
}

HRESULT WriteBagBool(IPropertyBag* bag, const wchar_t* name, BOOL value)
{
    VARIANT v = ocx::BoolVariant(value != FALSE);
    return WriteBagValue(bag, name, v);
}

}  // namespace

// ---- applying what was loaded ------------------------------------------------

ZelvoPlayPersisted ZelvoPlayControl::CurrentPersisted() const
{
    ZelvoPlayPersisted data;
    data.src = src_;
    data.p = p_;
    return data;
}

void ZelvoPlayControl::ApplyPersisted(const ZelvoPlayPersisted& loaded)
{
    p_.autoSize = loaded.p.autoSize;
    p_.autoScroll = loaded.p.autoScroll;
    p_.autoNextAnimation = loaded.p.autoNextAnimation;
    p_.hitTest = loaded.p.hitTest;
    p_.originX = loaded.p.originX;
    p_.originY = loaded.p.originY;
    src_ = loaded.src;
    p_.soundState = loaded.p.soundState;
    if (!src_.empty() && lstrcmpiA(src_.c_str(), loaded.p.animation.c_str()) != 0) {
        p_.status = 1;
        StartDownload(src_);
    } else {
        // A file that cannot be loaded leaves the control empty; a page's
        // parameters raise no error.
        SetAnimationPath(loaded.p.animation, nullptr);
        p_.status = loaded.p.status;
    }
    SetStatus(p_.status);
    SetSoundState(p_.soundState);
    dirty_ = false;
}

// Fetches the file into the browser's cache and plays it from there.
void ZelvoPlayControl::StartDownload(const std::string& src)
{
    char cached[MAX_PATH] = "";
    IUnknown* caller = static_cast<IDispatch*>(this);
    const HRESULT hr = URLDownloadToCacheFileA(caller, src.c_str(), cached, MAX_PATH, 0, nullptr);
    if (FAILED(hr) || !cached[0]) {
        HWND owner = window_;
        if (!owner && inPlaceSite_) inPlaceSite_->GetWindow(&owner);
        const std::string text = ocx::LoadModuleString(IDS_DOWNLOAD_FAILED);
        CurrentUiSeam().messageBox(owner, text.c_str(), ocx::LoadModuleString(IDS_CONTROL_NAME).c_str(),
                                   MB_OK | MB_ICONEXCLAMATION);
        SetAnimationPath("", nullptr);
        return;
    }
    SetAnimationPath(cached, nullptr);
}

// ---- IPersistStreamInit ---------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ZelvoPlay;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP ZelvoPlayControl::Load(LPSTREAM stream)
{
    if (!stream) return E_POINTER;
    ZelvoPlayPersisted loaded;
    if (!ReadPersistedStream(stream, &loaded)) return E_FAIL;
    ApplyPersisted(loaded);
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (!stream) return E_POINTER;
    const HRESULT hr = WritePersistedStream(stream, CurrentPersisted());
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP ZelvoPlayControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    const ZelvoPlayPersisted data = CurrentPersisted();
    size->QuadPart = 4 + 4 + data.src.size() + 4 + data.p.animation.size() + 2 + 2 + 4 + 2 + 2;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::InitNew()
{
    ZelvoPlayPersisted defaults;
    ApplyPersisted(defaults);
    return S_OK;
}

// ---- IPersistPropertyBag ----------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::Load(IPropertyBag* bag, IErrorLog* log)
{
    if (!bag) return E_POINTER;
    ZelvoPlayPersisted loaded;
    bool tooLong = false;
    ReadBagString(bag, log, L"SRC", &loaded.src, &tooLong);
    ReadBagString(bag, log, L"Animation", &loaded.p.animation, &tooLong);
    if (tooLong) return E_FAIL;
    ReadBagShort(bag, log, L"Status", &loaded.p.status);
    ReadBagShort(bag, log, L"SoundState", &loaded.p.soundState);
    ReadBagBool(bag, log, L"AutoSize", &loaded.p.autoSize);
    ReadBagBool(bag, log, L"AutoScroll", &loaded.p.autoScroll);
    ReadBagBool(bag, log, L"AutoNextAnimation", &loaded.p.autoNextAnimation);
    ReadBagBool(bag, log, L"HitTest", &loaded.p.hitTest);
    ReadBagShort(bag, log, L"OriginX", &loaded.p.originX);
    ReadBagShort(bag, log, L"OriginY", &loaded.p.originY);
    ApplyPersisted(loaded);
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL)
{
    if (!bag) return E_POINTER;
    const ZelvoPlayPersisted data = CurrentPersisted();
    const HRESULT results[] = {
        WriteBagString(bag, L"SRC", data.src),
        WriteBagString(bag, L"Animation", data.p.animation),
        WriteBagShort(bag, L"Status", data.p.status),
        WriteBagShort(bag, L"SoundState", data.p.soundState),
        WriteBagBool(bag, L"AutoSize", data.p.autoSize),
        WriteBagBool(bag, L"AutoScroll", data.p.autoScroll),
        WriteBagBool(bag, L"AutoNextAnimation", data.p.autoNextAnimation),
        WriteBagBool(bag, L"HitTest", data.p.hitTest),
        WriteBagShort(bag, L"OriginX", data.p.originX),
        WriteBagShort(bag, L"OriginY", data.p.originY),
    };
    for (HRESULT hr : results)
        if (FAILED(hr)) return hr;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

// ---- IPersistStorage: the same stream, named "Contents" ---------------------------

STDMETHODIMP ZelvoPlayControl::InitNew(IStorage*) { return InitNew(); }

STDMETHODIMP ZelvoPlayControl::Load(IStorage* storage)
{
    if (!storage) return E_POINTER;
    ocx::ComRef<IStream> stream;
    if (FAILED(storage->OpenStream(CONTENTS_STREAM, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Out())))
        return E_FAIL;
    return Load(stream.get());
}

STDMETHODIMP ZelvoPlayControl::Save(IStorage* storage, BOOL)
{
    if (!storage) return E_POINTER;
    ocx::ComRef<IStream> stream;
    const HRESULT hr = storage->CreateStream(CONTENTS_STREAM, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                             stream.Out());
    if (FAILED(hr)) return hr;
    return Save(stream.get(), TRUE);
}

STDMETHODIMP ZelvoPlayControl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP ZelvoPlayControl::HandsOffStorage() { return S_OK; }
