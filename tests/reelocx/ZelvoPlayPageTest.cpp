// The property page "General": it shows the control's properties, disables
// the origin while AutoSize is on, browses with the documented filter, and
// writes its fields back on Apply.
#include "OcxTestContainer.h"
#include "FakeMciDevices.h"
#include "WindowFixtures.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <commctrl.h>

namespace {

OPENFILENAMEA g_asked;
std::string g_askedFilter;
const char* g_chosen = nullptr;

BOOL WINAPI ChooseFile(LPOPENFILENAMEA dialog)
{
    g_asked = *dialog;
    const char* f = dialog->lpstrFilter;
    g_askedFilter.clear();
    while (f && *f) {
        g_askedFilter += f;
        g_askedFilter += '|';
        f += strlen(f) + 1;
    }
    if (!g_chosen) return FALSE;
    lstrcpynA(dialog->lpstrFile, g_chosen, dialog->nMaxFile);
    return TRUE;
}

class ZelvoPlayPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui_.messageBox = FakeDevices::MessageBoxHook;
        ui_.getOpenFileName = ChooseFile;
        InstallUiSeam(&ui_);
        ASSERT_TRUE(WriteTestAnimation("plain.ans", 200, 150));
        ASSERT_TRUE(WriteTestAnimation("other.ans", 120, 90));
        ASSERT_TRUE(c_.CreateControl());
        path_ = folder_.Dir().File("plain.ans");
        VARIANT v = StringValue(path_);
        ASSERT_EQ(PutByName(c_.Control(), L"Animation", v)->hr, S_OK);
        VariantClear(&v);
        PutByName(c_.Control(), L"AutoSize", BoolValue(false));
        PutByName(c_.Control(), L"OriginX", ShortValue(5));
        PutByName(c_.Control(), L"Sound", ShortValue(2));
        ASSERT_EQ(CreateZelvoPlayPropPage(IID_IPropertyPage, reinterpret_cast<void**>(page_.Out())), S_OK);
        IUnknown* objects[] = {c_.Control()};
        ASSERT_EQ(page_->SetObjects(1, objects), S_OK);
        RECT area{0, 0, 380, 200};
        ASSERT_EQ(page_->Activate(c_.Host(), &area, FALSE), S_OK);
        dialog_ = FindWindowExA(c_.Host(), nullptr, MAKEINTATOM(32770), nullptr);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override
    {
        if (page_) page_->Deactivate();
        page_.Reset();
        InstallUiSeam(nullptr);
    }
    std::string Text(int id)
    {
        char text[MAX_PATH] = "";
        GetDlgItemTextA(dialog_, id, text, MAX_PATH);
        return text;
    }
    int Selected(int id) { return static_cast<int>(SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0)); }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }

    ComApartment com_;
    CurrentScratchFolder folder_;
    UiSeam ui_{};
    TestContainer c_;
    std::string path_;
    ocx::ComRef<IPropertyPage> page_;
    HWND dialog_ = nullptr;
};

TEST_F(ZelvoPlayPageTest, PageShowsTheControlsProperties)
{
    PROPPAGEINFO info{sizeof info};
    ASSERT_EQ(page_->GetPageInfo(&info), S_OK);
    EXPECT_EQ(ocx::Narrow(info.pszTitle), "General");
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(Text(IDC_ANIMATION), path_);
    EXPECT_EQ(Selected(IDC_STATUS), 0);
    EXPECT_EQ(Selected(IDC_SOUND), 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_AUTOSIZE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_AUTOSCROLL), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_AUTONEXT), BST_CHECKED);
    EXPECT_EQ(Text(IDC_ORIGINX), "5");
    EXPECT_TRUE(Enabled(IDC_ORIGINX));
    for (int spin : {IDC_SPIN_ORIGINX, IDC_SPIN_ORIGINY}) {
        int low = 0, high = 0;
        SendDlgItemMessageA(dialog_, spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                            reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, -1000);
        EXPECT_EQ(high, 1000);
    }
    EXPECT_EQ(page_->IsPageDirty(), S_FALSE);
}

TEST_F(ZelvoPlayPageTest, AutoSizeDisablesTheOriginAndApplyWritesBack)
{
    SendDlgItemMessageA(dialog_, IDC_AUTOSIZE, BM_CLICK, 0, 0);
    for (int id : {IDC_ORIGINX, IDC_ORIGINY, IDC_SPIN_ORIGINX, IDC_SPIN_ORIGINY}) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Text(IDC_ORIGINX), "0");
    EXPECT_EQ(page_->IsPageDirty(), S_OK);
    SendDlgItemMessageA(dialog_, IDC_AUTONEXT, BM_CLICK, 0, 0);
    SendDlgItemMessageA(dialog_, IDC_SOUND, CB_SETCURSEL, 0, 0);
    ASSERT_EQ(page_->Apply(), S_OK);
    EXPECT_EQ(page_->IsPageDirty(), S_FALSE);
    EXPECT_EQ(IntProperty(c_.Control(), L"AutoSize"), -1);
    EXPECT_EQ(IntProperty(c_.Control(), L"AutoNextAnimation"), 0);
    EXPECT_EQ(IntProperty(c_.Control(), L"OriginX"), 0);
    EXPECT_EQ(IntProperty(c_.Control(), L"Sound"), 0);
    EXPECT_EQ(StringProperty(c_.Control(), L"Animation"), path_);
}

TEST_F(ZelvoPlayPageTest, BrowseOffersAnimationsAndTakesTheChoice)
{
    const std::string other = folder_.Dir().File("other.ans");
    g_chosen = other.c_str();
    SendDlgItemMessageA(dialog_, IDC_BROWSE, BM_CLICK, 0, 0);
    g_chosen = nullptr;
    EXPECT_EQ(g_askedFilter, "Zelvo Animation(*.ANS;*.ANX)|*.ANS;*.ANX|");
    EXPECT_STREQ(g_asked.lpstrDefExt, "ANS");
    EXPECT_EQ(Text(IDC_ANIMATION), other);
    ASSERT_EQ(page_->Apply(), S_OK);
    EXPECT_EQ(IntProperty(c_.Control(), L"BkgndWidth"), 120);
}

}  // namespace
