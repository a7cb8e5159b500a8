// Registration into a private classes root (the process's HKEY_CLASSES_ROOT
// is redirected to a scratch key): every key of the control, the property
// page and the browser's MIME type, what unregistration removes and keeps,
// and the box shown when the MIME keys cannot be written.
#include "OcxTestContainer.h"
#include "FakeMciDevices.h"
#include <gtest/gtest.h>

namespace {

const std::wstring kClsid = L"{6D3A5E10-2B47-4C8E-A1F2-5E7B9C0D3A04}";
const std::wstring kPageClsid = L"{6D3A5E10-2B47-4C8E-A1F2-5E7B9C0D3A05}";
const std::wstring kLibid = L"{6D3A5E10-2B47-4C8E-A1F2-5E7B9C0D3A01}";
const std::wstring kMime = L"MIME\\DataBase\\Content Type\\application/x-anx";

// HKEY_CLASSES_ROOT of this process points at a fresh key under HKCU.
class PrivateClassesRoot {
public:
    PrivateClassesRoot()
    {
        name_ = L"Software\\ZelvoPlayTests\\Classes" + std::to_wstring(GetCurrentProcessId());
        ocx::DeleteRegistryTree(HKEY_CURRENT_USER, name_);
        RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, key_);
    }
    ~PrivateClassesRoot()
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(key_);
        ocx::DeleteRegistryTree(HKEY_CURRENT_USER, name_);
    }
    PrivateClassesRoot(const PrivateClassesRoot&) = delete;
    PrivateClassesRoot& operator=(const PrivateClassesRoot&) = delete;
    HKEY Key() const { return key_; }
private:
    std::wstring name_;
    HKEY key_ = nullptr;
};

std::string Value(const std::wstring& key, const wchar_t* name = nullptr)
{
    if (!ocx::RegistryKeyExists(HKEY_CLASSES_ROOT, key)) return "<no key>";
    return ocx::Narrow(ocx::ReadRegistryString(HKEY_CLASSES_ROOT, key, name));
}

class ZelvoPlayRegisterTest : public ::testing::Test {
protected:
    void SetUp() override { InstallUiSeam(&devices_.Ui()); }
    void TearDown() override { InstallUiSeam(nullptr); }
    ComApartment com_;
    FakeDevices devices_;
    PrivateClassesRoot root_;
};

TEST_F(ZelvoPlayRegisterTest, RegistrationWritesEveryKeyAndUnregistrationRemovesOurs)
{
    ASSERT_EQ(RegisterZelvoPlay(), S_OK);
    EXPECT_TRUE(devices_.boxes.empty());
    const std::string module = ocx::Narrow(ocx::ModulePath());
    const std::wstring control = L"CLSID\\" + kClsid, page = L"CLSID\\" + kPageClsid;
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::string value;
    } kKeys[] = {
        {control, nullptr, "ZelvoPlay Control"},
        {control + L"\\InprocServer32", nullptr, module},
        {control + L"\\InprocServer32", L"ThreadingModel", "Apartment"},
        {control + L"\\ProgID", nullptr, "Zelvo.ZelvoPlayCtrl.1"},
        {control + L"\\Control", nullptr, ""},
        {control + L"\\MiscStatus\\1", nullptr, "131473"},
        {control + L"\\TypeLib", nullptr, ocx::Narrow(kLibid)},
        {control + L"\\Version", nullptr, "1.0"},
        {control + L"\\EnableFullPage\\.anx", nullptr, ""},
        {L"Zelvo.ZelvoPlayCtrl.1\\CLSID", nullptr, ocx::Narrow(kClsid)},
        {page + L"\\InprocServer32", nullptr, module},
        {page + L"\\InprocServer32", L"ThreadingModel", "Apartment"},
        {page + L"\\ProgID", nullptr, "REELOCX.ReelOCXPropPage.1"},
        {L"REELOCX.ReelOCXPropPage.1\\CLSID", nullptr, ocx::Narrow(kPageClsid)},
        {kMime, L"Extension", ".anx"},
        {kMime, L"CLSID", ocx::Narrow(kClsid)},
        {L".anx", L"Content Type", "application/x-anx"},
    };
    for (const auto& k : kKeys)
        EXPECT_EQ(Value(k.key, k.name), k.value) << ocx::Narrow(k.key) << " " << (k.name ? ocx::Narrow(k.name) : "");
    EXPECT_TRUE(ocx::RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid + L"\\1.0"));
    EXPECT_FALSE(ocx::RegistryKeyExists(HKEY_CLASSES_ROOT, page + L"\\Control"));

    ASSERT_EQ(UnregisterZelvoPlay(), S_OK);
    for (const std::wstring& gone : {control, page, std::wstring(L"Zelvo.ZelvoPlayCtrl.1"),
                                     std::wstring(L"REELOCX.ReelOCXPropPage.1")})
        EXPECT_FALSE(ocx::RegistryKeyExists(HKEY_CLASSES_ROOT, gone)) << ocx::Narrow(gone);
    EXPECT_FALSE(ocx::RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid + L"\\1.0"));
    // The MIME key no longer names the class; the extension keeps its type.
    EXPECT_EQ(Value(kMime, L"CLSID"), "");
    EXPECT_EQ(Value(kMime, L"Extension"), ".anx");
    EXPECT_EQ(Value(L".anx", L"Content Type"), "application/x-anx");
}

TEST_F(ZelvoPlayRegisterTest, UnregistrationKeepsAnotherPlayersMimeClass)
{
    ASSERT_EQ(RegisterZelvoPlay(), S_OK);
    const std::string other = "{11111111-2222-3333-4444-555555555555}";
    ASSERT_TRUE(ocx::SetRegistryString(HKEY_CLASSES_ROOT, kMime, L"CLSID", ocx::Widen(other)));
    ASSERT_EQ(UnregisterZelvoPlay(), S_OK);
    EXPECT_EQ(Value(kMime, L"CLSID"), other);
}

// A MIME key that cannot be written (here: under a volatile key, where a
// lasting key cannot be made) costs a message, not the registration.
TEST_F(ZelvoPlayRegisterTest, MimeKeysThatCannotBeWrittenStillRegister)
{
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root_.Key(), L"MIME", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    ASSERT_EQ(RegisterZelvoPlay(), S_OK);
    ASSERT_EQ(devices_.boxes.size(), 1u);
    EXPECT_EQ(devices_.boxes[0].text, "Couldn't register ZelvoRun.OCX as Internet Plug-in");
    EXPECT_EQ(devices_.boxes[0].caption, "Registration Error");
    EXPECT_EQ(Value(L"CLSID\\" + kClsid + L"\\ProgID"), "Zelvo.ZelvoPlayCtrl.1");
}

}  // namespace
