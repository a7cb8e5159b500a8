#include "PlayerHostFixtures.h"
#include "ResultCodes.h"

bool TestAnimation::Write(const std::string& folder, const std::string& name) const
{
    AnimationFixture f(width, height, background);
    AnimationSettings& s = f.settings();
    s.positionFlags = static_cast<uint8_t>(position & 3);
    s.x = x;
    s.y = y;
    s.playFlags = static_cast<uint8_t>(PLAY_TIMER_MODE | ((endAction & 3) << PLAY_END_ACTION_SHIFT) |
                                       (desktopBackground ? PLAY_DESKTOP_BACKGROUND : 0));
    lstrcpynA(s.nextAnimation, next.c_str(), STORED_NAME_CHARS);
    s.paletteSource = part ? 5 : 4;
    if (withObject) {
        const std::string stem = name.substr(0, name.rfind('.'));
        SequenceSpec spec;
        spec.width = spec.height = objectSize;
        spec.bits = 24;
        spec.code = 0x80;
        spec.colorCount = -1;
        const uint32_t pixel = (GetRValue(objectColor) << 16) | (GetGValue(objectColor) << 8) | GetBValue(objectColor);
        spec.value = [pixel](int, int, int) { return pixel; };
        if (writeSequence && WriteSequence(folder + stem + ".bmx", spec) != RESULT_OK) return false;
        f.AddObject(f.AddSequence(stem + ".bmx", spec.code, spec.colorCount), objectX, objectY);
        if (endAfter > 0) {
            std::vector<ObjectStep> steps(endAfter);
            for (ObjectStep& step : steps) {
                step = {};
                step.stepFlags = STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE;
                step.x = objectX;
                step.y = objectY;
                step.waitCount = 1;
            }
            steps.back().stepFlags |= STEP_END;
            f.t.objectTable[0].objectFlags |= OBJ_STEP_LIST;
            f.AddSteps(0, steps);
        }
    }
    return f.Write(folder + name) == RESULT_OK;
}

bool PumpMessagesUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return condition();
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
}

void PumpFor(DWORD milliseconds)
{
    PumpMessagesUntil([] { return false; }, milliseconds);
}
