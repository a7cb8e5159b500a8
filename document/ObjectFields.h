// The fields every form of an object record and of an object step shares
// (memory, animation file, object file), copied by name; numbers narrower in
// the target keep their low bits.
#pragma once
#include <cstring>

template <typename From, typename To>
void CopyObjectFields(const From& in, To* out)
{
    out->sequenceIndex = in.sequenceIndex;
    memcpy(out->name, in.name, sizeof out->name);
    out->objectFlags = in.objectFlags;
    out->stepCount = static_cast<decltype(out->stepCount)>(in.stepCount);
    out->startX = static_cast<decltype(out->startX)>(in.startX);
    out->startY = static_cast<decltype(out->startY)>(in.startY);
    out->dx = static_cast<decltype(out->dx)>(in.dx);
    out->dy = static_cast<decltype(out->dy)>(in.dy);
    out->frameDelay = in.frameDelay;
    out->moveDelay = in.moveDelay;
    out->motionFlags = in.motionFlags;
    out->repeatCount = static_cast<decltype(out->repeatCount)>(in.repeatCount);
    out->editorField1 = in.editorField1;
    out->editorField2 = static_cast<decltype(out->editorField2)>(in.editorField2);
    out->editorField3 = static_cast<decltype(out->editorField3)>(in.editorField3);
}

template <typename From, typename To>
void CopyStepFields(const From& in, To* out)
{
    out->frameIndex = in.frameIndex;
    out->waitCount = in.waitCount;
    out->stepFlags = in.stepFlags;
    out->x = static_cast<decltype(out->x)>(in.x);
    out->y = static_cast<decltype(out->y)>(in.y);
    out->startMaskHigh = in.startMaskHigh;
    out->soundIndex = in.soundIndex;
    out->condition = in.condition;
    out->conditionParam = in.conditionParam;
    out->jumpTarget = static_cast<decltype(out->jumpTarget)>(in.jumpTarget);
    out->startMaskLow = in.startMaskLow;
}
