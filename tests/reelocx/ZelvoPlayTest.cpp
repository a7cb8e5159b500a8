// The player control in a container of the tests' own: properties by name,
// control errors, events of a playing animation, follow-on, persisted
// playing state, clicks, sound, size and scroll, safety options,
// persistence with damaged input, registration, module counts and the
// property page.
#include "OcxTestContainer.h"
#include "FakeMciDevices.h"
#include "WindowFixtures.h"
#include "resource.h"
#include "ResultCodes.h"
#include "AnxArchive.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <algorithm>
#include <cstring>

namespace {

constexpr SCODE kFileNotFound = static_cast<SCODE>(0x800A0035);
constexpr SCODE kSetNotSupported = static_cast<SCODE>(0x800A017F);

ObjectStep Step(uint8_t flags, uint8_t sound, uint8_t wait = 0)
{
    ObjectStep s{};
    s.stepFlags = flags;
    s.soundIndex = sound;
    s.waitCount = wait;
    return s;
}

std::string CurrentFolderText()
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

// The fixtures, written into a fresh current folder; the animations the
// events come from live in its subfolder "anim", so that the control has to
// find their files from their own folder.
class ZelvoPlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallMciSeam(&devices_.Seam());
        InstallUiSeam(&devices_.Ui());
        ASSERT_TRUE(WriteTestAnimation("plain.ans", 200, 150));
        CreateDirectoryA("anim", nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA("anim"));
        ASSERT_TRUE(WriteWholeFile("tone.wav", MinimalWaveFile()));
        ASSERT_TRUE(WriteWholeFile("tune.mid", MinimalMidiFile()));
        // One object: enters step 0 (sound 1), leaves it, finishes; then the end.
        ASSERT_TRUE(WriteTestAnimation("events.ans", 160, 120, 1, [](AnimationFixture& f) {
            f.t.objectTable[0].objectFlags = OBJ_STEP_LIST;
            f.AddSteps(0, {Step(0, 1)});
            f.AddSound("tone.wav", ANIM_SOUND_WAVE);
        }));
        // The same, ending with "load the next animation".
        ASSERT_TRUE(WriteTestAnimation("follow.ans", 160, 120, 1, [](AnimationFixture& f) {
            f.t.objectTable[0].objectFlags = OBJ_STEP_LIST;
            f.AddSteps(0, {Step(0, 0)});
            f.settings().playFlags = END_LOAD_NEXT << PLAY_END_ACTION_SHIFT;
            lstrcpynA(f.settings().nextAnimation, "next.ans", 64);
        }));
        ASSERT_TRUE(WriteTestAnimation("next.ans", 120, 80, 1, [](AnimationFixture& f) {
            f.t.objectTable[0].objectFlags = OBJ_STEP_LIST;
            f.AddSteps(0, {Step(0, 0), Step(0, 0)});
        }));
        // A looping MIDI sound requested at the start of a long step.
        ASSERT_TRUE(WriteTestAnimation("music.ans", 160, 120, 1, [](AnimationFixture& f) {
            f.t.objectTable[0].objectFlags = OBJ_STEP_LIST;
            f.AddSteps(0, {Step(0, 1, 255)});
            f.AddSound("tune.mid", ANIM_SOUND_MIDI | SND_LOOP);
        }));
        // An object whose left half is transparent (black, static colour 0).
        SequenceSpec half;
        half.width = 20;
        half.height = 20;
        half.frames = 1;
        half.code = 0;
        half.value = [](int x, int, int) -> uint32_t { return x < 10 ? 0 : 20; };
        ASSERT_EQ(WriteSequence("half.bmx", half), RESULT_OK);
        AnimationFixture click(160, 120, RGB(0, 128, 0));
        click.AddObject(click.AddSequence("half.bmx", 0, 256), 10, 10);
        ASSERT_EQ(click.Write("click.ans"), RESULT_OK);
        ASSERT_TRUE(SetCurrentDirectoryA(".."));
        root_ = CurrentFolderText();
        ASSERT_TRUE(c_.CreateControl());
    }
    void TearDown() override
    {
        c_.ReleaseControl();
        ControlAnimSound(nullptr, nullptr, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        InstallMciSeam(nullptr);
        InstallUiSeam(nullptr);
    }

    std::string Anim(const std::string& name) const { return folder_.Dir().File("anim\\" + name); }
    HRESULT SetAnimation(const std::string& path)
    {
        VARIANT v = StringValue(path);
        const HRESULT hr = PutByName(c_.Control(), L"Animation", v)->hr;
        VariantClear(&v);
        return hr;
    }
    HRESULT Put(const wchar_t* name, const VARIANT& v) { return PutByName(c_.Control(), name, v)->hr; }
    int Get(const wchar_t* name) { return IntProperty(c_.Control(), name); }

    ComApartment com_;
    CurrentScratchFolder folder_;
    FakeDevices devices_;
    std::string root_;
    TestContainer c_;
};

// ---- properties by name ------------------------------------------------------

TEST_F(ZelvoPlayTest, PropertiesHaveTheirDefaultsAndNamesIgnoreCase)
{
    const struct {
        const wchar_t* name;
        int value;
    } kDefaults[] = {
        {L"AutoSize", -1}, {L"autoscroll", -1}, {L"AUTONEXTANIMATION", -1}, {L"OriginX", 0}, {L"originy", 0},
        {L"HitTest", -1},  {L"Status", 0},      {L"BkgndHeight", 0},        {L"bkgndwidth", 0}, {L"Sound", 1},
    };
    for (const auto& d : kDefaults) EXPECT_EQ(Get(d.name), d.value) << ocx::Narrow(d.name);
    EXPECT_EQ(StringProperty(c_.Control(), L"animation"), "");
    // The type of each value as the type library states it.
    EXPECT_EQ(GetByName(c_.Control(), L"AutoSize")->value.vt, VT_BOOL);
    EXPECT_EQ(GetByName(c_.Control(), L"OriginX")->value.vt, VT_I2);
    EXPECT_EQ(GetByName(c_.Control(), L"Status")->value.vt, VT_I4);
}

TEST_F(ZelvoPlayTest, PutsAreCoercedToThePropertyType)
{
    ocx::ScopedVariant twelve, falseText, one;
    twelve.vt = falseText.vt = one.vt = VT_BSTR;
    twelve.bstrVal = SysAllocString(L"12");
    falseText.bstrVal = SysAllocString(L"False");
    one.bstrVal = SysAllocString(L"1");
    const struct {
        const wchar_t* name;
        const VARIANT* value;
        int expected;
    } kCases[] = {
        {L"OriginX", &twelve, 12},
        {L"AutoSize", &falseText, 0},
        {L"Status", &one, 1},  // no animation: Play is remembered
    };
    for (const auto& k : kCases) {
        EXPECT_EQ(Put(k.name, *k.value), S_OK) << ocx::Narrow(k.name);
        EXPECT_EQ(Get(k.name), k.expected) << ocx::Narrow(k.name);
    }
    EXPECT_EQ(Put(L"OriginY", DoubleValue(7.6)), S_OK);
    EXPECT_EQ(Get(L"OriginY"), 8);
    EXPECT_EQ(Put(L"HitTest", ShortValue(0)), S_OK);
    EXPECT_EQ(Get(L"HitTest"), 0);
    // Without an animation only On is kept; Pause becomes Off.
    EXPECT_EQ(Put(L"Sound", ShortValue(2)), S_OK);
    EXPECT_EQ(Get(L"Sound"), 0);
}

TEST_F(ZelvoPlayTest, DispatchReportsWrongCallsWithTheirCodes)
{
    ocx::ScopedVariant text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"not a number");
    EXPECT_EQ(Put(L"OriginX", text), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Get(L"OriginX"), 0);

    for (const wchar_t* readOnly : {L"BkgndWidth", L"BkgndHeight"}) {
        auto r = PutByName(c_.Control(), readOnly, ShortValue(5));
        EXPECT_EQ(r->hr, DISP_E_EXCEPTION);
        EXPECT_EQ(r->scode, kSetNotSupported);
    }
    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Volume")};
    EXPECT_EQ(c_.Control()->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(CallById(c_.Control(), 99, DISPATCH_PROPERTYGET, {})->hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(CallById(c_.Control(), DISPID_ZP_ORIGINX, DISPATCH_PROPERTYGET, {ShortValue(1)})->hr,
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(CallById(c_.Control(), DISPID_ZP_ORIGINX, DISPATCH_PROPERTYPUT, {ShortValue(1), ShortValue(2)})->hr,
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(CallById(c_.Control(), DISPID_ABOUTBOX, DISPATCH_PROPERTYGET, {})->hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(CallById(c_.Control(), DISPID_ABOUTBOX, DISPATCH_METHOD, {ShortValue(1)})->hr, DISP_E_BADPARAMCOUNT);
}

TEST_F(ZelvoPlayTest, TypeLibraryDescribesTheDispatchInterfaceAndEvents)
{
    ocx::ComRef<ITypeInfo> info;
    ASSERT_EQ(c_.Control()->GetTypeInfo(0, 0, info.Out()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->cVars, 11);
    info->ReleaseTypeAttr(attr);
    const struct {
        const wchar_t* name;
        DISPID id;
        VARTYPE type;
    } kMembers[] = {{L"AutoSize", 1, VT_BOOL},    {L"OriginX", 4, VT_I2},    {L"Animation", 7, VT_BSTR},
                    {L"BkgndWidth", 10, VT_I2},   {L"HitTest", 6, VT_BOOL}, {L"AboutBox", DISPID_ABOUTBOX, VT_EMPTY}};
    for (const auto& m : kMembers) {
        MEMBERID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK) << ocx::Narrow(m.name);
        EXPECT_EQ(id, m.id);
        DISPID ours = 0;
        c_.Control()->GetIDsOfNames(IID_NULL, names, 1, 0, &ours);
        EXPECT_EQ(ours, m.id);
        if (m.type == VT_EMPTY) continue;
        for (UINT i = 0;; ++i) {
            VARDESC* var = nullptr;
            if (FAILED(info->GetVarDesc(i, &var))) break;
            if (var->memid == m.id) {
                EXPECT_EQ(var->elemdescVar.tdesc.vt, m.type) << ocx::Narrow(m.name);
            }
            info->ReleaseVarDesc(var);
        }
    }
    ocx::ComRef<IProvideClassInfo2> classInfo;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(classInfo.Out())), S_OK);
    GUID events{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(events == DIID_IZelvoPlayEvents);
    ocx::ComRef<ITypeInfo> coclass;
    ASSERT_EQ(classInfo->GetClassInfo(coclass.Out()), S_OK);
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(attr->cImplTypes, 2);
    coclass->ReleaseTypeAttr(attr);
}

// ---- Animation ------------------------------------------------------------------

TEST_F(ZelvoPlayTest, AnimationLoadsFromItsOwnFolderAndReportsTheChange)
{
    ASSERT_EQ(SetAnimation("anim\\events.ans"), S_OK);
    EXPECT_EQ(Get(L"BkgndWidth"), 160);
    EXPECT_EQ(Get(L"BkgndHeight"), 120);
    // The path becomes the full one the animation was found at.
    EXPECT_EQ(StringProperty(c_.Control(), L"Animation"), root_ + "\\anim\\events.ans");
    EXPECT_EQ(CurrentFolderText(), root_);  // the load's folder change is undone
    ASSERT_FALSE(c_.changed.empty());
    EXPECT_EQ(c_.changed.back(), DISPID_ZP_ANIMATION);
    ASSERT_EQ(SetAnimation(""), S_OK);
    EXPECT_EQ(Get(L"BkgndWidth"), 0);
}

TEST_F(ZelvoPlayTest, MissingOrInvalidFilesRaiseFileNotFoundWithTheName)
{
    ASSERT_TRUE(WriteWholeFile("text.ans", {'h', 'e', 'l', 'l', 'o'}));
    const std::string longPath = root_ + "\\" + std::string(300, 'x') + ".ans";
    const std::string paths[] = {"missing.ans", "text.ans", "%s%n%x%s%s%s.ans", longPath};
    for (const std::string& path : paths) {
        VARIANT v = StringValue(path);
        auto r = PutByName(c_.Control(), L"Animation", v);
        VariantClear(&v);
        EXPECT_EQ(r->hr, DISP_E_EXCEPTION) << path;
        EXPECT_EQ(r->scode, kFileNotFound) << path;
        EXPECT_EQ(ocx::Narrow(r->description),
                  "The file " + path + " does not exist or is not a valid Zelvo animation file.");
        EXPECT_EQ(ocx::Narrow(r->source), "ZelvoPlay");
        EXPECT_EQ(Get(L"BkgndWidth"), 0);
        EXPECT_EQ(StringProperty(c_.Control(), L"Animation"), path);
    }
}

// ---- events ------------------------------------------------------------------------

TEST_F(ZelvoPlayTest, EventsOfAPlayingAnimationArriveInOrder)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_NE(c_.ControlWindow(), nullptr);
    devices_.SetWindow(c_.ControlWindow());
    ASSERT_EQ(SetAnimation(Anim("events.ans")), S_OK);
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    EXPECT_EQ(Get(L"Status"), 1);
    ASSERT_TRUE(c_.WaitForEvent("EndAnimation 0 "));
    const std::vector<std::string> expected = {"PlaySound tone.wav 4096", "ObjectMsg 1 2", "EndAnimation 0 "};
    EXPECT_EQ(c_.events, expected);
    EXPECT_EQ(Get(L"Status"), 0);
    // Played from the animation's folder; the container's folder is back.
    EXPECT_EQ(devices_.CountCalls("OPEN"), 1);
    EXPECT_EQ(CurrentFolderText(), root_);
}

// An archive's sounds are played from the folder it was unpacked into.
TEST_F(ZelvoPlayTest, ArchiveSoundsPlayFromTheUnpackedFiles)
{
    PrivateTempFolder temp;
    const std::string archive = root_ + "\\events.anx";
    AnxArchive packer(archive.c_str());
    ASSERT_EQ(packer.Pack(Anim("events.ans").c_str()), 1);
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_EQ(SetAnimation(archive), S_OK);
    EXPECT_EQ(StringProperty(c_.Control(), L"Animation"), archive);
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    ASSERT_TRUE(c_.WaitForEvent("EndAnimation 0 "));
    EXPECT_TRUE(c_.Saw("PlaySound tone.wav 4096"));
    EXPECT_EQ(devices_.CountCalls("OPEN"), 1);
    EXPECT_EQ(CurrentFolderText(), root_);
    c_.ReleaseControl();
    EXPECT_EQ(temp.CountUnpackFolders(), 0);
}

TEST_F(ZelvoPlayTest, SoundOffFiresTheEventButPlaysNothing)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_EQ(SetAnimation(Anim("events.ans")), S_OK);
    ASSERT_EQ(Put(L"Sound", ShortValue(0)), S_OK);
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    ASSERT_TRUE(c_.WaitForEvent("EndAnimation 0 "));
    EXPECT_TRUE(c_.Saw("PlaySound tone.wav 4096"));
    EXPECT_EQ(devices_.CountCalls("OPEN"), 0);
}

TEST_F(ZelvoPlayTest, AutoNextAnimationChoosesBetweenFollowingOnAndStopping)
{
    for (bool autoNext : {false, true}) {
        SCOPED_TRACE(autoNext ? "AutoNextAnimation TRUE" : "AutoNextAnimation FALSE");
        c_.ReleaseControl();
        c_.events.clear();
        ASSERT_TRUE(c_.CreateControl());
        ASSERT_EQ(c_.Activate(), S_OK);
        ASSERT_EQ(Put(L"AutoNextAnimation", BoolValue(autoNext)), S_OK);
        ASSERT_EQ(SetAnimation(Anim("follow.ans")), S_OK);
        ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
        ASSERT_TRUE(c_.WaitForEvent("EndAnimation 1 next.ans"));
        if (autoNext) {
            // The follow-on plays in the same control and ends by itself.
            ASSERT_TRUE(c_.WaitForEvent("EndAnimation 0 "));
            EXPECT_EQ(Get(L"Status"), 0);
        } else {
            DrainMessages();
            EXPECT_EQ(Get(L"Status"), 0);
            const std::vector<std::string> expected = {"ObjectMsg 1 2", "EndAnimation 1 next.ans"};
            EXPECT_EQ(c_.events, expected);
            EXPECT_EQ(Get(L"BkgndWidth"), 160);
        }
    }
}

// A handler may replace or drop the animation while the engine is inside its
// step: the engine frees the old one when the step is over.
TEST_F(ZelvoPlayTest, HandlersMayReplaceTheAnimationInsideAStep)
{
    const struct {
        const char* replacement;
        int width;
    } kCases[] = {{"plain.ans", 200}, {"", 0}};
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.replacement);
        c_.ReleaseControl();
        c_.events.clear();
        ASSERT_TRUE(c_.CreateControl());
        ASSERT_EQ(c_.Activate(), S_OK);
        ASSERT_EQ(SetAnimation(Anim("events.ans")), S_OK);
        const std::string replacement = *k.replacement ? root_ + "\\" + k.replacement : "";
        c_.onEvent = [&](const std::string& e) {
            if (e == "ObjectMsg 1 2") SetAnimation(replacement);
        };
        ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
        ASSERT_TRUE(c_.WaitForEvent("ObjectMsg 1 2"));
        c_.onEvent = nullptr;
        DrainMessages();
        EXPECT_EQ(Get(L"BkgndWidth"), k.width);
        EXPECT_FALSE(c_.Saw("EndAnimation 0 "));  // the old animation is gone
    }
}

TEST_F(ZelvoPlayTest, PersistedPlayStartsWhenTheWindowIsCreated)
{
    for (int status : {0, 1}) {
        SCOPED_TRACE(status);
        c_.ReleaseControl();
        ASSERT_TRUE(c_.CreateControl());
        MemoryPropertyBag bag;
        VARIANT path = StringValue(root_ + "\\plain.ans");
        bag.Set(L"Animation", path);
        VariantClear(&path);
        bag.Set(L"Status", ShortValue(status));
        ocx::ComRef<IPersistPropertyBag> persist;
        ASSERT_EQ(c_.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(persist.Out())),
                  S_OK);
        ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
        EXPECT_EQ(Get(L"Status"), status);
        ASSERT_EQ(c_.Activate(), S_OK);
        HANIM handle = c_.Object()->Animation();
        ASSERT_NE(handle, nullptr);
        if (status) {
            EXPECT_TRUE(PumpUntil([&] { return LockedContext(handle)->firstStepDone != 0; }));
        } else {
            DrainMessages();
            EXPECT_EQ(LockedContext(handle)->firstStepDone, 0);
        }
    }
}

TEST_F(ZelvoPlayTest, ClickInReportsTheObjectUnderTheOpaquePixel)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_EQ(SetAnimation(Anim("click.ans")), S_OK);
    const struct {
        bool hitTest;
        int x, y;
        const char* event;
    } kClicks[] = {
        {true, 25, 15, "ClickIn 25 15 1"},  // the opaque right half
        {true, 15, 15, "ClickIn 15 15 0"},  // transparent
        {true, 5, 5, "ClickIn 5 5 0"},      // beside the object
        {false, 25, 15, "ClickIn 25 15 0"},
    };
    for (const auto& k : kClicks) {
        c_.events.clear();
        ASSERT_EQ(Put(L"HitTest", BoolValue(k.hitTest)), S_OK);
        SendMessageA(c_.ControlWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(k.x, k.y));
        SendMessageA(c_.ControlWindow(), WM_LBUTTONUP, 0, MAKELPARAM(k.x, k.y));
        ASSERT_EQ(c_.events.size(), 1u);
        EXPECT_EQ(c_.events[0], k.event);
    }
}

TEST_F(ZelvoPlayTest, SoundPauseThenOnResumesTheMidiDevice)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    devices_.SetWindow(c_.ControlWindow());
    ASSERT_EQ(SetAnimation(Anim("music.ans")), S_OK);
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return devices_.CountCalls("PLAY") > 0; }));
    devices_.TakeCalls();
    ASSERT_EQ(Put(L"Sound", ShortValue(2)), S_OK);
    EXPECT_EQ(Get(L"Sound"), 2);
    ASSERT_EQ(Put(L"Sound", ShortValue(1)), S_OK);
    EXPECT_EQ(Get(L"Sound"), 1);
    // The one device (the fakes number from 7) paused and resumed; pausing
    // also silences a plain sound, which cannot be resumed.
    const std::vector<std::string> expected = {"PAUSE 7", "PLAIN stop", "RESUME 7"};
    EXPECT_EQ(devices_.TakeCalls(), expected);
    ASSERT_EQ(Put(L"Sound", ShortValue(0)), S_OK);
    EXPECT_GE(devices_.CountCalls("CLOSE"), 1);
}

TEST_F(ZelvoPlayTest, FrozenEventsAreNotFired)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_EQ(SetAnimation(Anim("click.ans")), S_OK);
    ocx::ComRef<IOleControl> control;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(control.Out())), S_OK);
    const std::vector<std::string> one = {"ClickIn 25 15 1"};
    for (int freezes : {1, 2, 0}) {
        c_.events.clear();
        SendMessageA(c_.ControlWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 15));
        EXPECT_EQ(c_.events, one);
        for (int i = 0; i < freezes; ++i) control->FreezeEvents(TRUE);
        c_.events.clear();
        SendMessageA(c_.ControlWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 15));
        EXPECT_EQ(c_.events.size(), freezes ? 0u : 1u) << freezes;
        for (int i = 0; i < freezes; ++i) control->FreezeEvents(FALSE);
    }
}

// Play starts only an animation that has not ended; Reset makes it new.
TEST_F(ZelvoPlayTest, ResetRestartsAnEndedAnimation)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_EQ(SetAnimation(Anim("events.ans")), S_OK);
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    ASSERT_TRUE(c_.WaitForEvent("EndAnimation 0 "));
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    EXPECT_EQ(Get(L"Status"), 0);
    ASSERT_EQ(Put(L"Status", ShortValue(2)), S_OK);
    EXPECT_EQ(Get(L"Status"), 0);
    EXPECT_EQ(LockedContext(c_.Object()->Animation())->firstStepDone, 0);
    c_.events.clear();
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    EXPECT_EQ(Get(L"Status"), 1);
    ASSERT_TRUE(c_.WaitForEvent("EndAnimation 0 "));
    EXPECT_TRUE(c_.Saw("ObjectMsg 1 2"));
}

TEST_F(ZelvoPlayTest, VerbsShowHideAndDeactivateTheWindow)
{
    ocx::ComRef<IOleObject> ole;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole.Out())), S_OK);
    // A picture larger than the window both ways shows both bars.
    ASSERT_EQ(Put(L"AutoSize", BoolValue(false)), S_OK);
    ASSERT_EQ(SetAnimation("plain.ans"), S_OK);
    RECT position{0, 0, 120, 90};
    ASSERT_EQ(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &c_, 0, c_.Host(), &position), S_OK);
    HWND window = c_.ControlWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), c_.Host());
    const DWORD classStyle = static_cast<DWORD>(GetClassLongPtrA(window, GCL_STYLE));
    EXPECT_EQ(classStyle & (CS_OWNDC | CS_BYTEALIGNCLIENT), static_cast<DWORD>(CS_OWNDC | CS_BYTEALIGNCLIENT));
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
    EXPECT_TRUE(style & WS_VISIBLE);
    ASSERT_EQ(ole->DoVerb(OLEIVERB_HIDE, nullptr, &c_, 0, c_.Host(), &position), S_OK);
    EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE);
    ASSERT_EQ(ole->DoVerb(OLEIVERB_SHOW, nullptr, &c_, 0, c_.Host(), &position), S_OK);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(ole->DoVerb(77, nullptr, &c_, 0, c_.Host(), &position), OLEOBJ_S_INVALIDVERB);
    c_.Deactivate();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(c_.ControlWindow(), nullptr);
}

// The container's palette request: the animation's palette when it has more
// than 16 colours.
TEST_F(ZelvoPlayTest, ColorSetIsTheAnimationsPalette)
{
    ocx::ComRef<IViewObject2> view;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(view.Out())), S_OK);
    LOGPALETTE* colors = reinterpret_cast<LOGPALETTE*>(1);
    EXPECT_EQ(view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &colors), S_FALSE);
    EXPECT_EQ(colors, nullptr);
    ASSERT_EQ(SetAnimation("plain.ans"), S_OK);
    ASSERT_EQ(view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &colors), S_OK);
    ASSERT_NE(colors, nullptr);
    HPALETTE palette = reinterpret_cast<HPALETTE>(GetAnimInfo(c_.Object()->Animation(), ANIM_INFO_PALETTE));
    std::vector<PALETTEENTRY> entries(256);
    ASSERT_EQ(GetPaletteEntries(palette, 0, 256, entries.data()), 256u);
    EXPECT_EQ(colors->palVersion, 0x300);
    ASSERT_EQ(colors->palNumEntries, 256);
    EXPECT_EQ(memcmp(colors->palPalEntry, entries.data(), 256 * sizeof(PALETTEENTRY)), 0);
    CoTaskMemFree(colors);
}

// A container that destroys its window first leaves the control without one.
TEST_F(ZelvoPlayTest, WindowDestroyedWithTheContainersIsForgotten)
{
    ASSERT_EQ(c_.Activate(), S_OK);
    ASSERT_EQ(SetAnimation(Anim("events.ans")), S_OK);
    ASSERT_EQ(Put(L"Status", ShortValue(1)), S_OK);
    HWND window = c_.ControlWindow();
    ASSERT_NE(window, nullptr);
    DestroyWindow(window);
    EXPECT_EQ(c_.ControlWindow(), nullptr);
    ASSERT_EQ(SetAnimation(root_ + "\\plain.ans"), S_OK);
    EXPECT_EQ(Get(L"BkgndWidth"), 200);
    DrainMessages();
}

// "SRC" that names the animation itself (in any case) is not fetched again.
TEST_F(ZelvoPlayTest, SrcEqualToTheAnimationIsNotFetched)
{
    MemoryPropertyBag bag;
    VARIANT src = StringValue(root_ + "\\PLAIN.ANS"), animation = StringValue(root_ + "\\plain.ans");
    bag.Set(L"SRC", src);
    bag.Set(L"Animation", animation);
    VariantClear(&src);
    VariantClear(&animation);
    ocx::ComRef<IPersistPropertyBag> persist;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(persist.Out())), S_OK);
    ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(StringProperty(c_.Control(), L"Animation"), root_ + "\\plain.ans");
    EXPECT_EQ(Get(L"Status"), 0);
    EXPECT_TRUE(devices_.boxes.empty());
}

// ---- size and scroll -------------------------------------------------------------------

struct ScrollRanges {
    int hMax, hPage, vMax, vPage;
};

ScrollRanges ReadRanges(HWND window)
{
    SCROLLINFO h{sizeof h, SIF_ALL}, v{sizeof v, SIF_ALL};
    GetScrollInfo(window, SB_HORZ, &h);
    GetScrollInfo(window, SB_VERT, &v);
    return {h.nMax, static_cast<int>(h.nPage), v.nMax, static_cast<int>(v.nPage)};
}

TEST_F(ZelvoPlayTest, ScrollRangesFollowThePictureAndTheClientSize)
{
    const int vBar = GetSystemMetrics(SM_CXVSCROLL), hBar = GetSystemMetrics(SM_CYHSCROLL);
    // Picture 200 by 150. Page = size + 1 - overhang, so that the position
    // runs from 0 to the overhang; no overhang: no bar (range cleared).
    const struct {
        bool autoScroll;
        int w, h;
        ScrollRanges expected;
    } kCases[] = {
        {true, 100, 300, {200, 101, 0, 0}},
        {true, 300, 100, {0, 0, 150, 101}},
        {true, 190, 140, {200, 201 - (200 - (190 - vBar)), 150, 151 - (150 - (140 - hBar))}},
        {true, 300, 300, {0, 0, 0, 0}},
        {false, 100, 100, {0, 0, 0, 0}},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::to_string(k.w) + " by " + std::to_string(k.h));
        c_.ReleaseControl();
        ASSERT_TRUE(c_.CreateControl());
        ASSERT_EQ(Put(L"AutoSize", BoolValue(false)), S_OK);
        ASSERT_EQ(Put(L"AutoScroll", BoolValue(k.autoScroll)), S_OK);
        ASSERT_EQ(SetAnimation("plain.ans"), S_OK);
        ASSERT_EQ(c_.Activate({0, 0, k.w, k.h}), S_OK);
        const ScrollRanges r = ReadRanges(c_.ControlWindow());
        EXPECT_EQ(r.hMax, k.expected.hMax);
        EXPECT_EQ(r.hPage, k.expected.hPage);
        EXPECT_EQ(r.vMax, k.expected.vMax);
        EXPECT_EQ(r.vPage, k.expected.vPage);
    }
}

TEST_F(ZelvoPlayTest, ScrollCodesMoveTheOriginAndReportIt)
{
    ASSERT_EQ(Put(L"AutoSize", BoolValue(false)), S_OK);
    ASSERT_EQ(SetAnimation("plain.ans"), S_OK);
    ASSERT_EQ(c_.Activate({0, 0, 100, 300}), S_OK);
    const int over = 100, page = std::max(over / 8, 4);
    const struct {
        int code, position, origin;
    } kSteps[] = {
        {SB_LINEDOWN, 0, 1},     {SB_PAGEDOWN, 0, 1 + page}, {SB_BOTTOM, 0, over}, {SB_LINEDOWN, 0, over},
        {SB_PAGEUP, 0, over - page}, {SB_TOP, 0, 0},     {SB_LINEUP, 0, 0},     {SB_THUMBPOSITION, 37, 37},
    };
    int last = 0;
    for (const auto& s : kSteps) {
        c_.events.clear();
        SendMessageA(c_.ControlWindow(), WM_HSCROLL, MAKEWPARAM(s.code, s.position), 0);
        EXPECT_EQ(Get(L"OriginX"), s.origin) << s.code;
        EXPECT_EQ(GetScrollPos(c_.ControlWindow(), SB_HORZ), s.origin);
        const std::vector<std::string> expected =
            s.origin == last ? std::vector<std::string>{}
                             : std::vector<std::string>{"OriginChange " + std::to_string(s.origin) + " 0"};
        EXPECT_EQ(c_.events, expected) << s.code;
        last = s.origin;
    }
}

TEST_F(ZelvoPlayTest, AutoSizeGivesThePictureExtentAndRefusesOthers)
{
    ocx::ComRef<IOleObject> ole;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole.Out())), S_OK);
    SIZEL extent{};
    ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    SIZEL expected = ocx::PixelsToHimetric({32, 32});
    EXPECT_EQ(extent.cx, expected.cx);
    EXPECT_EQ(extent.cy, expected.cy);
    ASSERT_EQ(c_.Activate({0, 0, 50, 40}), S_OK);
    ASSERT_EQ(SetAnimation("plain.ans"), S_OK);
    expected = ocx::PixelsToHimetric({200, 150});
    ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, expected.cx);
    EXPECT_EQ(extent.cy, expected.cy);
    RECT client;
    GetClientRect(c_.ControlWindow(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    ASSERT_FALSE(c_.posRectChanges.empty());
    EXPECT_EQ(c_.posRectChanges.back().right - c_.posRectChanges.back().left, 200);

    c_.posRectChanges.clear();
    SIZEL other{1000, 1000};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &other), E_FAIL);
    EXPECT_FALSE(c_.posRectChanges.empty());
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &expected), S_OK);
    ASSERT_EQ(Put(L"AutoSize", BoolValue(false)), S_OK);
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &other), S_OK);
    ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 1000);
    DWORD misc = 0;
    ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
    EXPECT_EQ(misc, 0x20191u);
}

// Windowless and printing containers have the control draw into their DC.
TEST_F(ZelvoPlayTest, DrawPaintsThePictureIntoTheGivenBounds)
{
    ocx::ComRef<IViewObject2> view;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(view.Out())), S_OK);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 240, -200, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto pixel = [&](int x, int y) {
        GdiFlush();
        const uint32_t v = static_cast<const uint32_t*>(bits)[y * 240 + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    };
    const RECTL bounds{10, 20, 210, 170};
    const RECT all{0, 0, 240, 200};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, magenta);
    // Without an animation the bounds are white.
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(pixel(10, 20), RGB(255, 255, 255));
    EXPECT_EQ(pixel(209, 169), RGB(255, 255, 255));
    EXPECT_EQ(pixel(9, 20), RGB(255, 0, 255));

    FillRect(dc, &all, magenta);
    ASSERT_EQ(SetAnimation("plain.ans"), S_OK);
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    HANIM expected = LoadWholeAnimation("plain.ans", ANIM_PALETTE_BY_DISPLAY);
    ASSERT_NE(expected, nullptr);
    const Pixels want = PaintToPixels(expected, 200, 150);
    DestroyAnimation(expected);
    int differing = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) differing += pixel(10 + x, 20 + y) != want.At(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(pixel(9, 19), RGB(255, 0, 255));
    EXPECT_EQ(pixel(210, 170), RGB(255, 0, 255));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteObject(magenta);
    DeleteDC(dc);
}

// ---- safety --------------------------------------------------------------------------

TEST_F(ZelvoPlayTest, ObjectSafetyPromisesOnlyScriptingAndData)
{
    ocx::ComRef<IObjectSafety> safety;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.Out())), S_OK);
    const struct {
        const IID* iid;
        HRESULT hr;
        DWORD supported, enabled;
    } kGet[] = {
        {&IID_IDispatch, S_OK, 3, INTERFACESAFE_FOR_UNTRUSTED_CALLER},
        {&DIID_IZelvoPlay, S_OK, 3, INTERFACESAFE_FOR_UNTRUSTED_CALLER},
        {&IID_IPersistPropertyBag, S_OK, 3, INTERFACESAFE_FOR_UNTRUSTED_DATA},
        {&IID_IPersistStreamInit, S_OK, 3, INTERFACESAFE_FOR_UNTRUSTED_DATA},
        {&IID_IPersistStorage, S_OK, 3, INTERFACESAFE_FOR_UNTRUSTED_DATA},
        {&IID_IOleObject, S_OK, 3, 0},
        {&IID_IClassFactory, E_NOINTERFACE, 0, 0},
    };
    for (const auto& k : kGet) {
        DWORD supported = 99, enabled = 99;
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(*k.iid, &supported, &enabled), k.hr);
        EXPECT_EQ(supported, k.supported);
        EXPECT_EQ(enabled, k.enabled);
    }
    const struct {
        const IID* iid;
        DWORD mask, options;
        HRESULT hr;
    } kSet[] = {
        {&IID_IDispatch, 1, 1, S_OK},          {&IID_IDispatch, 2, 2, E_FAIL},
        {&IID_IDispatch, 3, 3, E_FAIL},        {&IID_IDispatch, 1, 0, E_FAIL},
        {&IID_IPersistPropertyBag, 2, 2, S_OK}, {&IID_IPersistStreamInit, 2, 2, S_OK},
        {&IID_IPersistPropertyBag, 1, 1, E_FAIL}, {&IID_IOleObject, 0, 0, S_OK},
        {&IID_IOleObject, 1, 1, E_FAIL},        {&IID_IClassFactory, 0, 0, S_OK},
        {&IID_IClassFactory, 1, 1, E_NOINTERFACE},
    };
    for (const auto& k : kSet) EXPECT_EQ(safety->SetInterfaceSafetyOptions(*k.iid, k.mask, k.options), k.hr);
}

// ---- persistence ----------------------------------------------------------------------

std::vector<uint8_t> StreamBytes(const std::string& src, const std::string& animation, int16_t status, int16_t sound,
                                 const uint8_t flags[4], int16_t x, int16_t y, uint32_t version = 0x00010000)
{
    std::vector<uint8_t> b;
    AppendBytes(b, version);
    AppendBytes(b, static_cast<uint32_t>(src.size()));
    b.insert(b.end(), src.begin(), src.end());
    AppendBytes(b, static_cast<uint32_t>(animation.size()));
    b.insert(b.end(), animation.begin(), animation.end());
    AppendBytes(b, status);
    AppendBytes(b, sound);
    b.insert(b.end(), flags, flags + 4);
    AppendBytes(b, x);
    AppendBytes(b, y);
    return b;
}

ocx::ComRef<IStream> MemoryStream(const std::vector<uint8_t>& bytes)
{
    ocx::ComRef<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Out());
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<uint8_t> StreamContents(IStream* stream)
{
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

TEST_F(ZelvoPlayTest, StreamHoldsTheDocumentedFormatAndLoadsBack)
{
    const std::string path = root_ + "\\plain.ans";
    ASSERT_EQ(SetAnimation(path), S_OK);
    ASSERT_EQ(Put(L"AutoScroll", BoolValue(false)), S_OK);
    ASSERT_EQ(Put(L"AutoSize", BoolValue(false)), S_OK);
    ASSERT_EQ(Put(L"OriginX", ShortValue(-3)), S_OK);
    ASSERT_EQ(Put(L"OriginY", ShortValue(7)), S_OK);
    ASSERT_EQ(Put(L"Sound", ShortValue(0)), S_OK);
    ocx::ComRef<IPersistStreamInit> persist;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(persist.Out())), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ocx::ComRef<IStream> stream = MemoryStream({});
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    const uint8_t flags[4] = {0, 0, 1, 1};
    const std::vector<uint8_t> expected = StreamBytes("", path, 0, 0, flags, -3, 7);
    EXPECT_EQ(StreamContents(stream.get()), expected);
    ULARGE_INTEGER size{};
    persist->GetSizeMax(&size);
    EXPECT_EQ(size.QuadPart, expected.size());

    TestContainer other;
    ASSERT_TRUE(other.CreateControl());
    ocx::ComRef<IPersistStreamInit> load;
    other.Control()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(load.Out()));
    ASSERT_EQ(load->Load(MemoryStream(expected).get()), S_OK);
    EXPECT_EQ(StringProperty(other.Control(), L"Animation"), path);
    EXPECT_EQ(IntProperty(other.Control(), L"BkgndWidth"), 200);
    EXPECT_EQ(IntProperty(other.Control(), L"OriginX"), -3);
    EXPECT_EQ(IntProperty(other.Control(), L"OriginY"), 7);
    EXPECT_EQ(IntProperty(other.Control(), L"AutoSize"), 0);
    EXPECT_EQ(IntProperty(other.Control(), L"AutoNextAnimation"), -1);
    EXPECT_EQ(IntProperty(other.Control(), L"Sound"), 0);
}

// Damaged streams fail the load and leave every property at its default.
TEST_F(ZelvoPlayTest, DamagedStreamsFailAndLeaveTheDefaults)
{
    const uint8_t flags[4] = {0, 0, 0, 0};
    const std::vector<uint8_t> good = StreamBytes("", "plain.ans", 1, 2, flags, 5, 6);
    std::vector<std::vector<uint8_t>> corpus;
    for (size_t n = 0; n < good.size(); ++n) corpus.emplace_back(good.begin(), good.begin() + n);
    corpus.push_back(StreamBytes("", "plain.ans", 1, 2, flags, 5, 6, 0x00020000));
    corpus.push_back(StreamBytes("", std::string(260, 'a'), 1, 2, flags, 5, 6));
    corpus.push_back(StreamBytes(std::string(300, 'h'), "", 1, 2, flags, 5, 6));
    std::vector<uint8_t> huge = good;
    const uint32_t absurd = 0xFFFFFFFF;
    memcpy(huge.data() + 4, &absurd, 4);
    corpus.push_back(huge);
    for (size_t i = 0; i < corpus.size(); ++i) {
        TestContainer fresh;
        ASSERT_TRUE(fresh.CreateControl());
        ocx::ComRef<IPersistStreamInit> load;
        fresh.Control()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(load.Out()));
        EXPECT_EQ(load->Load(MemoryStream(corpus[i]).get()), E_FAIL) << "case " << i;
        EXPECT_EQ(StringProperty(fresh.Control(), L"Animation"), "") << "case " << i;
        EXPECT_EQ(IntProperty(fresh.Control(), L"OriginX"), 0) << "case " << i;
        EXPECT_EQ(IntProperty(fresh.Control(), L"AutoSize"), -1) << "case " << i;
        EXPECT_EQ(IntProperty(fresh.Control(), L"Sound"), 1) << "case " << i;
    }
    // The longest string that fits is taken.
    TestContainer fresh;
    ASSERT_TRUE(fresh.CreateControl());
    ocx::ComRef<IPersistStreamInit> load;
    fresh.Control()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(load.Out()));
    const std::string longest(259, 'b');
    EXPECT_EQ(load->Load(MemoryStream(StreamBytes("", longest, 0, 1, flags, 0, 0)).get()), S_OK);
    EXPECT_EQ(StringProperty(fresh.Control(), L"Animation"), longest);
}

TEST_F(ZelvoPlayTest, PropertyBagRoundTripsWithItsNamesInOrder)
{
    ASSERT_EQ(SetAnimation(root_ + "\\plain.ans"), S_OK);
    ASSERT_EQ(Put(L"HitTest", BoolValue(false)), S_OK);
    ASSERT_EQ(Put(L"AutoSize", BoolValue(false)), S_OK);
    ASSERT_EQ(Put(L"OriginY", ShortValue(9)), S_OK);
    ocx::ComRef<IPersistPropertyBag> persist;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(persist.Out())), S_OK);
    MemoryPropertyBag bag;
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    const std::vector<std::wstring> names = {L"SRC",        L"Animation",         L"Status",  L"SoundState",
                                             L"AutoSize",   L"AutoScroll",        L"AutoNextAnimation",
                                             L"HitTest",    L"OriginX",           L"OriginY"};
    EXPECT_EQ(bag.Names(), names);
    TestContainer other;
    ASSERT_TRUE(other.CreateControl());
    ocx::ComRef<IPersistPropertyBag> load;
    other.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(load.Out()));
    ASSERT_EQ(load->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(IntProperty(other.Control(), L"HitTest"), 0);
    EXPECT_EQ(IntProperty(other.Control(), L"OriginY"), 9);
    EXPECT_EQ(IntProperty(other.Control(), L"AutoSize"), 0);
    EXPECT_EQ(IntProperty(other.Control(), L"BkgndHeight"), 150);
}

TEST_F(ZelvoPlayTest, PropertyBagValuesOfOtherTypesAreConvertedOrDefault)
{
    const struct {
        const wchar_t* name;
        const wchar_t* text;
        const wchar_t* property;
        int expected;
    } kCases[] = {
        {L"OriginX", L"12", L"OriginX", 12},     {L"OriginX", L"twelve", L"OriginX", 0},
        {L"AutoScroll", L"0", L"AutoScroll", 0}, {L"HitTest", L"False", L"HitTest", 0},
        {L"Status", L"play", L"Status", 0},      {L"SoundState", L"2", L"Sound", 0},
        {L"AutoSize", L"maybe", L"AutoSize", -1},
    };
    for (const auto& k : kCases) {
        TestContainer fresh;
        ASSERT_TRUE(fresh.CreateControl());
        ocx::ComRef<IPersistPropertyBag> load;
        fresh.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(load.Out()));
        MemoryPropertyBag bag;
        bag.Set(L"AutoSize", BoolValue(false));  // keeps the origin as loaded
        ocx::ScopedVariant text;
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(k.text);
        bag.Set(k.name, text);
        ASSERT_EQ(load->Load(&bag, nullptr), S_OK) << ocx::Narrow(k.name);
        EXPECT_EQ(IntProperty(fresh.Control(), k.property), k.expected)
            << ocx::Narrow(k.name) << " = " << ocx::Narrow(k.text);
    }
    // A path too long for any file is refused.
    TestContainer fresh;
    ASSERT_TRUE(fresh.CreateControl());
    ocx::ComRef<IPersistPropertyBag> load;
    fresh.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(load.Out()));
    MemoryPropertyBag bag;
    VARIANT path = StringValue(std::string(400, 'p'));
    bag.Set(L"Animation", path);
    VariantClear(&path);
    EXPECT_EQ(load->Load(&bag, nullptr), E_FAIL);
    EXPECT_EQ(StringProperty(fresh.Control(), L"Animation"), "");
}

TEST_F(ZelvoPlayTest, StorageKeepsTheStreamAsContents)
{
    ASSERT_EQ(SetAnimation(root_ + "\\plain.ans"), S_OK);
    ASSERT_EQ(Put(L"AutoNextAnimation", BoolValue(false)), S_OK);
    ocx::ComRef<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Out()), S_OK);
    ocx::ComRef<IStorage> storage;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.Out()),
              S_OK);
    ocx::ComRef<IPersistStorage> persist;
    ASSERT_EQ(c_.Control()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(persist.Out())), S_OK);
    ASSERT_EQ(persist->Save(storage.get(), FALSE), S_OK);
    ocx::ComRef<IStream> contents;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.Out()), S_OK);
    EXPECT_EQ(StreamContents(contents.get()).size(), 4 + 4 + 4 + root_.size() + 10 + 2 + 2 + 4 + 4);
    contents.Reset();
    TestContainer other;
    ASSERT_TRUE(other.CreateControl());
    ocx::ComRef<IPersistStorage> load;
    other.Control()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(load.Out()));
    ASSERT_EQ(load->Load(storage.get()), S_OK);
    EXPECT_EQ(IntProperty(other.Control(), L"AutoNextAnimation"), 0);
    EXPECT_EQ(IntProperty(other.Control(), L"BkgndWidth"), 200);
}

// ---- the module --------------------------------------------------------------------------

TEST_F(ZelvoPlayTest, ModuleCanUnloadOnlyWithoutObjectsAndLocks)
{
    EXPECT_EQ(ocx::CanUnloadNow(), S_FALSE);  // the fixture's control lives
    c_.ReleaseControl();
    EXPECT_EQ(ocx::CanUnloadNow(), S_OK);
    ocx::ComRef<IClassFactory> factory;
    ASSERT_EQ(GetZelvoPlayClassObject(CLSID_ZelvoPlay, IID_IClassFactory, reinterpret_cast<void**>(factory.Out())),
              S_OK);
    EXPECT_EQ(ocx::CanUnloadNow(), S_FALSE);
    ocx::ComRef<IUnknown> page;
    ocx::ComRef<IClassFactory> pages;
    ASSERT_EQ(GetZelvoPlayClassObject(CLSID_ZelvoPlayPropPage, IID_IClassFactory,
                                      reinterpret_cast<void**>(pages.Out())),
              S_OK);
    EXPECT_EQ(pages->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(page.Out())), S_OK);
    EXPECT_EQ(factory->CreateInstance(static_cast<IUnknown*>(page.get()), IID_IUnknown, nullptr), E_POINTER);
    ocx::ComRef<IUnknown> outer;
    EXPECT_EQ(factory->CreateInstance(page.get(), IID_IUnknown, reinterpret_cast<void**>(outer.Out())),
              CLASS_E_NOAGGREGATION);
    page.Reset();
    pages.Reset();
    factory.Reset();
    EXPECT_EQ(ocx::CanUnloadNow(), S_OK);
    EXPECT_EQ(GetZelvoPlayClassObject(IID_IDispatch, IID_IClassFactory, reinterpret_cast<void**>(factory.Out())),
              CLASS_E_CLASSNOTAVAILABLE);
}

}  // namespace
