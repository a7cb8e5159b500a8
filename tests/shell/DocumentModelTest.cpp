// The document model: whole animations through save and open, copied
// animations, missing files, objects and sequences added and removed.
#include "DialogTestHooks.h"
#include "DocumentTestSupport.h"
#include "AnxArchive.h"
#include "FileIo.h"
#include "ResultCodes.h"

namespace {

using DocumentModel = DocumentTest;

std::string StoredName(int sequence) { return g_document.sequenceTable[sequence].fileName; }

// Adds an object whose sequence is the file at `path`.
int AddObjectWithFile(const std::string& path)
{
    strcpy(g_appState.pathBuffer, path.c_str());
    return AddObject(nullptr, ADD_PATH_BUFFER);
}

std::vector<std::vector<uint8_t>> AllRows(const std::vector<HGLOBAL>& dibs)
{
    std::vector<std::vector<uint8_t>> rows;
    for (HGLOBAL dib : dibs) rows.push_back(DibRows(dib));
    return rows;
}

std::vector<std::vector<uint8_t>> EditorRows(int bits)
{
    std::vector<std::vector<uint8_t>> rows;
    for (int i = 0; i < g_appState.frameCount; ++i) rows.push_back(EditorFrameRows(i, bits));
    return rows;
}

TEST_F(DocumentModel, AWholeAnimationGoesThroughSaveAndOpen)
{
    const std::string folder = folder_.Folder("anim");
    const std::string animation = folder + "flock.ans";
    // Sequence A beside the animation; B deep inside its folder with a name
    // that makes the path longer than 63 characters; C outside it, long too.
    const std::string sub = folder_.Folder("anim\\wings_and_feathers");
    const std::string pathA = folder + "walk.bmx";
    const std::string pathB = sub + "a_sequence_with_a_long_descriptive_name.bmx";
    const std::string pathC = scratch_.File("another_sequence_kept_somewhere_else_entirely.bmx");
    ASSERT_GT(pathB.size(), 63u);
    ASSERT_GT(pathC.size(), 63u);
    std::vector<HGLOBAL> framesA = {MakeStaticColorDib(24, 16, 1), MakeStaticColorDib(24, 16, 2),
                                    MakeStaticColorDib(24, 16, 3)};
    std::vector<HGLOBAL> framesB = {MakePatternDib(20, 10, 24, FramePattern::Noise, 4),
                                    MakePatternDib(20, 10, 24, FramePattern::Gradient, 5)};
    const auto rowsB = AllRows(framesB);
    ASSERT_EQ(WriteSequenceFixture(pathA, framesA, 6), RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(pathB, framesB, TRANSPARENT_NONE), RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(pathC, {MakePatternDib(8, 8, 24, FramePattern::Flat, 6)}, 3), RESULT_OK);

    // A named animation with A in object 0, B in 1, C in 2 and A again in 3.
    SetDocumentFolder(animation.c_str());
    ASSERT_EQ(LoadFrameFile(pathA.c_str(), 0), RESULT_OK);
    ASSERT_EQ(AddObjectWithFile(pathB), 1);
    ASSERT_EQ(AddObjectWithFile(pathC), 1);
    ASSERT_EQ(AddObject(nullptr, ADD_EXISTING_SEQUENCE | 0), 1);
    ASSERT_EQ(g_document.objectCount, 4);
    ASSERT_EQ(g_document.sequenceCount, 3);
    ASSERT_EQ(g_appState.frameCount, 3);
    EXPECT_EQ(StoredName(0), pathA);
    EXPECT_EQ(StoredName(1), "wings_and_feathers\\a_sequence_with_a_long_descriptive_name.bmx");
    EXPECT_EQ(StoredName(2), "another_sequence_kept_somewhere_else_entirely.bmx");

    // Everything else the file holds, with negative and editor-only values.
    g_document.objectMemoryHandles[1][0] = MakeSteps({0, 1, 1, 0});
    g_document.objectTable[1].stepCount = 4;
    g_document.objectTable[1].objectFlags = OBJ_STEP_LIST;
    g_document.objectTable[1].startX = -40;
    g_document.objectTable[3].editorField2 = -7;
    g_document.regionCount = 2;
    g_document.regionTable[0] = {0x8000, -5, -6, 70, 80};
    g_document.regionTable[1] = {0, 1, 2, 3, 4};
    g_document.soundCount = 1;
    g_document.soundTable[0] = {0x1001, 3, "bird.wav"};
    strcpy(g_document.animationSettings.title, "Flock");
    g_document.animationSettings.imageX = -12;

    // Paint into frame 1 of A, the sequence in the editor, and save both files.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[1]);
    for (int x = 0; x < 10; ++x) SetPixel(dc, x, 3, RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    g_document.frameRecords[1].frameState |= FRAME_MODIFIED;
    g_document.sequenceState = DOC_MODIFIED;
    g_document.sequenceImages[0].offsetX[2] = -9;
    const auto paintedA = EditorRows(4);
    ASSERT_EQ(SaveFrameSequence(g_document.sequencePath, GetSequenceTransparentCode(), 0), RESULT_OK);
    EXPECT_EQ(g_document.sequenceState, 0);
    EXPECT_EQ(g_document.frameRecords[1].frameState, 0);
    ASSERT_EQ(SaveAnimation(animation.c_str()), RESULT_OK);
    EXPECT_EQ(g_document.animationState, 0);
    const std::vector<uint8_t> saved = ReadWholeFile(animation);
    EXPECT_EQ(saved.size(), 11 + 227 + 3 * 68 + 2 * 10 + 68 + 4 * 54 + 4 * 16u);

    ResetDocument();
    SetCurrentDirectoryA(scratch_.Path().c_str());  // opening makes the animation's folder current
    ASSERT_EQ(OpenAnimation(animation.c_str()), RESULT_OK);
    EXPECT_EQ(g_document.animationState, 0);
    EXPECT_EQ(g_document.sequenceState, 0);
    EXPECT_EQ(g_document.currentObject, 3);
    EXPECT_EQ(g_document.objectCount, 4);
    EXPECT_STREQ(g_document.objectTable[2].name, "Object 3");
    EXPECT_EQ(g_document.objectTable[1].startX, -40);
    EXPECT_EQ(g_document.objectTable[3].editorField2, -7);
    EXPECT_EQ(StepFrames(g_document.objectMemoryHandles[1][0]), (std::vector<int>{0, 1, 1, 0}));
    {
        GlobalLockGuard<ObjectStep> steps(g_document.objectMemoryHandles[1][0]);
        EXPECT_EQ(steps.get()[3].x, -103);
        EXPECT_EQ(steps.get()[3].jumpTarget, -3);
        EXPECT_EQ(steps.get()[3].startMaskHigh, 0x8001);
    }
    EXPECT_EQ(g_document.regionTable[0].x1, -5);
    EXPECT_EQ(g_document.regionTable[0].regionFlags, static_cast<int16_t>(0x8000)) << "sign-extended in memory";
    EXPECT_STREQ(g_document.soundTable[0].name, "bird.wav");
    EXPECT_STREQ(g_document.animationSettings.title, "Flock");
    EXPECT_EQ(g_document.animationSettings.imageX, -12);
    EXPECT_EQ(g_document.sequenceTable[0].frameCount, 3);
    EXPECT_EQ(g_document.sequenceTable[0].transparentColorCode, 6);
    EXPECT_EQ(g_document.sequenceTable[0].colorCount, 16);
    EXPECT_EQ(g_document.sequenceTable[1].colorCount, -1);

    // The sequence in the editor is A as it was painted, with its offsets and names.
    ASSERT_EQ(g_appState.frameCount, 3);
    EXPECT_EQ(g_appState.colorCount, COLORS_16);
    EXPECT_EQ(EditorRows(4), paintedA);
    EXPECT_EQ(g_document.sequenceImages[0].offsetX[2], -9);
    EXPECT_EQ(g_document.sequenceImages[0].offsetY[2], -2);
    EXPECT_STREQ(g_document.frameRecords[1].name, "f1.bmp");
    EXPECT_EQ(std::string(g_document.sequencePath), pathA);

    // B by its name relative to the animation's folder, frames exact.
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 1), 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_24BIT);
    EXPECT_EQ(EditorRows(24), rowsB);
    EXPECT_EQ(g_document.sequenceImages[1].offsetX[1], 1);
    EXPECT_EQ(std::string(g_document.sequencePath), pathB);
    EXPECT_EQ(StoredName(1), "wings_and_feathers\\a_sequence_with_a_long_descriptive_name.bmx");

    // C is stored by its bare name: it is not found until it lies beside the animation.
    {
        MessageBoxRecorder boxes;
        EXPECT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 2), 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Error finding file!");
        EXPECT_EQ(g_document.currentObject, 1);
    }
    ASSERT_TRUE(CopyFileA(pathC.c_str(), (folder + BareName(pathC.c_str())).c_str(), FALSE));
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 2), 1);
    EXPECT_EQ(g_appState.frameCount, 1);
    EXPECT_EQ(StoredName(2), "another_sequence_kept_somewhere_else_entirely.bmx");
}

TEST_F(DocumentModel, ACopiedAnimationOpensFromItsNewFolderAndKeepsItsNames)
{
    ShortDir first, second;
    ASSERT_EQ(WriteSequenceFixture(first.File("run.bmx"), {MakeStaticColorDib(16, 8, 7)}, 2), RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(first.File("jump.bmx"),
                                   {MakeStaticColorDib(16, 8, 8), MakeStaticColorDib(16, 8, 9)}, 2),
              RESULT_OK);
    SetDocumentFolder(first.File("game.ans").c_str());
    ASSERT_EQ(LoadFrameFile(first.File("run.bmx").c_str(), 0), RESULT_OK);
    ASSERT_EQ(AddObjectWithFile(first.File("jump.bmx")), 1);
    ASSERT_EQ(SaveAnimation(first.File("game.ans").c_str()), RESULT_OK);
    EXPECT_EQ(StoredName(0), first.File("run.bmx"));

    // The whole folder moves; nothing is left at the old place.
    for (const char* name : {"game.ans", "run.bmx", "jump.bmx"}) {
        ASSERT_TRUE(CopyFileA(first.File(name).c_str(), second.File(name).c_str(), FALSE));
        DeleteFileA(first.File(name).c_str());
    }
    ResetDocument();
    ASSERT_EQ(OpenAnimation(second.File("game.ans").c_str()), RESULT_OK);
    EXPECT_EQ(g_appState.frameCount, 2);
    EXPECT_EQ(StoredName(1), second.File("jump.bmx"));
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 1);
    EXPECT_EQ(StoredName(0), second.File("run.bmx"));

    // Saved again, the animation names the new place.
    ASSERT_EQ(SaveAnimation(second.File("game.ans").c_str()), RESULT_OK);
    AnimationTables tables{};
    ASSERT_EQ(ReadAnimationFile(second.File("game.ans").c_str(), &tables, MAX_EDITOR_OBJECTS), RESULT_OK);
    EXPECT_EQ(std::string(tables.sequenceTable[0].fileName), second.File("run.bmx"));
    EXPECT_EQ(std::string(tables.sequenceTable[1].fileName), second.File("jump.bmx"));
    FreeAnimationTables(&tables);
}

TEST_F(DocumentModel, AMissingOrForeignSequenceFileGivesItsMessageId)
{
    const std::string animation = folder_.File("lost.ans");
    ASSERT_EQ(WriteSequenceFixture(folder_.File("here.bmx"), {MakeStaticColorDib(8, 8, 1)}, 0), RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("here.bmx").c_str(), 0), RESULT_OK);
    ASSERT_EQ(SaveAnimation(animation.c_str()), RESULT_OK);

    DeleteFileA(folder_.File("here.bmx").c_str());
    ResetDocument();
    EXPECT_EQ(OpenAnimation(animation.c_str()), RESULT_NOT_FOUND);

    ASSERT_TRUE(WriteWholeFile(folder_.File("here.bmx"), {'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ResetDocument();
    EXPECT_EQ(OpenAnimation(animation.c_str()), RESULT_UNKNOWN_FORMAT);
    ResetDocument();
    EXPECT_EQ(OpenAnimation(folder_.File("no such animation.ans").c_str()), RESULT_NOT_FOUND);

    // A file of a newer version changes nothing in the document.
    std::vector<uint8_t> newer = ReadWholeFile(animation);
    newer[2] = 0x9A;  // version 0x29A
    ASSERT_TRUE(WriteWholeFile(animation, newer));
    ResetDocument();
    strcpy(g_document.objectTable[0].name, "untouched");
    EXPECT_EQ(OpenAnimation(animation.c_str()), RESULT_NEWER_VERSION);
    EXPECT_STREQ(g_document.objectTable[0].name, "untouched");
}

TEST_F(DocumentModel, DeviceNamesStoredInAnAnimationOpenAsMissingFiles)
{
    const char* const names[] = {"AUX.bmx", "aux.bmx", "AUX.n.bmx", "con.n.bmx", "PRN.bmx", "NUL.bmx", "COM1.bmx",
                                 "lpt1.bmx", "CONIN$.bmx", "CLOCK$.bmx", "AUX. ", "aux ", "sub\\AUX.bmx",
                                 "C:\\x\\con.bmx", "gr\x01" "een.bmx"};
    const std::string animation = folder_.File("dev.ans");
    for (const char* name : names) {
        SCOPED_TRACE(name);
        AnimationTables t{};
        SetDefaultAnimationSettings(&t.animationSettings);
        t.sequenceCount = 1;
        lstrcpynA(t.sequenceTable[0].fileName, name, STORED_NAME_CHARS);
        t.objectCount = 1;
        ASSERT_EQ(RESULT_OK, WriteAnimationFile(animation.c_str(), &t));
        ResetDocument();
        int opened = -1;
        EXPECT_TRUE(FinishesWithin(1000, [&] { opened = OpenAnimation(animation.c_str()); }));
        EXPECT_EQ(RESULT_NOT_FOUND, opened) << "the message of a missing sequence file";
        EXPECT_STREQ(name, g_document.sequenceTable[0].fileName) << "the document keeps the name as stored";

        char path[MAX_PATH];
        lstrcpynA(path, name, MAX_PATH);
        HFILE file = HFILE_ERROR;
        int loaded = -1;
        EXPECT_TRUE(FinishesWithin(1000, [&] {
            file = OpenReferencedFile(path);
            loaded = LoadFrameFile(name, 0);
        }));
        EXPECT_EQ(HFILE_ERROR, file);
        EXPECT_STREQ(name, path);
        EXPECT_EQ(RESULT_NOT_FOUND, loaded);
    }

    // Frame names inside a sequence file become the files frames are saved
    // to: a device name gives way to the default name of its frame.
    const std::string frames = folder_.File("named.bmx");
    ASSERT_EQ(RESULT_OK, WriteSequenceFixture(frames, {MakeStaticColorDib(8, 8, 1), MakeStaticColorDib(8, 8, 2),
                                                       MakeStaticColorDib(8, 8, 3)}, 0));
    std::vector<uint8_t> bytes = ReadWholeFile(frames);
    const size_t directory = 14 + 40 + 16 * 4;
    const char* const stored[] = {"AUX.bmp", "con.n.bmp", "ok.bmp"};
    for (int i = 0; i < 3; ++i) {
        char name[13] = {};
        lstrcpynA(name, stored[i], sizeof name);
        memcpy(&bytes[directory + 20 * i + 4], name, sizeof name);
    }
    ASSERT_TRUE(WriteWholeFile(frames, bytes));
    ResetDocument();
    ASSERT_EQ(RESULT_OK, LoadFrameFile(frames.c_str(), 0));
    ASSERT_EQ(3, g_appState.frameCount);
    EXPECT_STREQ("Frame0.bmp", g_document.frameRecords[0].name);
    EXPECT_STREQ("Frame1.bmp", g_document.frameRecords[1].name);
    EXPECT_STREQ("ok.bmp", g_document.frameRecords[2].name);
}

TEST_F(DocumentModel, RemovingTheOnlyUserOfSequenceTwoOfFourRenumbers)
{
    // Sequences 1-4 (indexes 0-3); object 1 alone uses the second one.
    g_document.sequenceCount = 4;
    for (int i = 0; i < 4; ++i) snprintf(g_document.sequenceTable[i].fileName, 64, "s%d.bmx", i + 1);
    const int uses[] = {0, 1, 2, 3, 2};
    g_document.objectCount = 5;
    for (int i = 0; i < 5; ++i) {
        snprintf(g_document.objectTable[i].name, 32, "o%d", i);
        g_document.objectTable[i].sequenceIndex = static_cast<uint8_t>(uses[i]);
        g_document.objectMemoryHandles[i][0] = MakeSteps({i});
        g_document.objectTable[i].stepCount = 1;
    }
    g_document.currentObject = 3;
    HGLOBAL stepsOfO4 = g_document.objectMemoryHandles[4][0];

    ASSERT_EQ(RemoveObject(nullptr, 1), 1);
    EXPECT_EQ(g_document.sequenceCount, 3);
    EXPECT_EQ(StoredName(0), "s1.bmx");
    EXPECT_EQ(StoredName(1), "s3.bmx");
    EXPECT_EQ(StoredName(2), "s4.bmx");
    EXPECT_EQ(g_document.sequenceTable[3].fileName[0], '\0');
    ASSERT_EQ(g_document.objectCount, 4);
    const char* names[] = {"o0", "o2", "o3", "o4"};
    const int sequences[] = {0, 1, 2, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(g_document.objectTable[i].name, names[i]);
        EXPECT_EQ(g_document.objectTable[i].sequenceIndex, sequences[i]) << names[i];
    }
    EXPECT_EQ(g_document.objectMemoryHandles[3][0], stepsOfO4);
    EXPECT_EQ(g_document.objectMemoryHandles[4][0], nullptr);
    EXPECT_EQ(g_document.currentObject, 2) << "the current object keeps its place in the list";

    // An object whose sequence another object still uses leaves the sequence.
    ASSERT_EQ(RemoveObject(nullptr, 1), 1);
    EXPECT_EQ(g_document.sequenceCount, 3);
    EXPECT_EQ(g_document.objectTable[2].sequenceIndex, 1);
    // The last object is never removed, nor one that does not exist.
    EXPECT_EQ(RemoveObject(nullptr, 7), 0);
    g_document.objectCount = 1;
    EXPECT_EQ(RemoveObject(nullptr, 0), 0);
}

TEST_F(DocumentModel, RemovingTheCurrentObjectLoadsTheSequenceOfTheNextOne)
{
    ASSERT_EQ(WriteSequenceFixture(folder_.File("a.bmx"), {MakeStaticColorDib(8, 8, 1)}, 0), RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(folder_.File("b.bmx"),
                                   {MakeStaticColorDib(12, 6, 2), MakeStaticColorDib(12, 6, 3)}, 0),
              RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("a.bmx").c_str(), 0), RESULT_OK);
    ASSERT_EQ(AddObjectWithFile(folder_.File("b.bmx")), 1);
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 1);
    ASSERT_EQ(g_appState.frameWidth, 8);

    ASSERT_EQ(RemoveObject(nullptr, 0), 1);
    EXPECT_EQ(g_document.objectCount, 1);
    EXPECT_EQ(g_document.sequenceCount, 1);
    EXPECT_EQ(g_document.currentObject, 0);
    EXPECT_EQ(g_document.objectTable[0].sequenceIndex, 0);
    EXPECT_EQ(StoredName(0), folder_.File("b.bmx"));
    EXPECT_EQ(g_appState.frameCount, 2);
    EXPECT_EQ(g_appState.frameWidth, 12);
}

TEST_F(DocumentModel, StepFramesBeyondTheLastFrameShowTheLastFrame)
{
    HGLOBAL steps = MakeSteps({0, 3, 9, 4, 5, 255});
    ClampStepFrames(steps, 5, 6);
    EXPECT_EQ(StepFrames(steps), (std::vector<int>{0, 3, 4, 4, 4, 4}));
    // A step count beyond the block does not reach past it.
    ClampStepFrames(steps, 2, 1000);
    EXPECT_EQ(StepFrames(steps), (std::vector<int>{0, 1, 1, 1, 1, 1}));
    GlobalFree(steps);

    // Choosing an object clamps its steps to its sequence.
    std::vector<HGLOBAL> five;
    for (int i = 0; i < 5; ++i) five.push_back(MakeStaticColorDib(8, 8, i));
    ASSERT_EQ(WriteSequenceFixture(folder_.File("five.bmx"), five, 0), RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(folder_.File("one.bmx"), {MakeStaticColorDib(8, 8, 9)}, 0), RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("one.bmx").c_str(), 0), RESULT_OK);
    ASSERT_EQ(AddObjectWithFile(folder_.File("five.bmx")), 1);
    g_document.objectMemoryHandles[1][0] = MakeSteps({0, 2, 7, 9});
    g_document.objectTable[1].stepCount = 4;
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 1);
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 1), 1);
    EXPECT_EQ(StepFrames(g_document.objectMemoryHandles[1][0]), (std::vector<int>{0, 2, 4, 4}));
}

TEST_F(DocumentModel, OpeningLeavesTheStepsAsStoredAndChoosingTheObjectClampsThem)
{
    std::vector<HGLOBAL> five;
    for (int i = 0; i < 5; ++i) five.push_back(MakeStaticColorDib(8, 8, i));
    ASSERT_EQ(WriteSequenceFixture(folder_.File("five.bmx"), five, 0), RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("five.bmx").c_str(), 0), RESULT_OK);
    g_document.objectMemoryHandles[0][0] = MakeSteps({0, 3, 9, 7});
    g_document.objectTable[0].stepCount = 4;
    const std::string animation = folder_.File("steps.ans");
    ASSERT_EQ(SaveAnimation(animation.c_str()), RESULT_OK);

    ResetDocument();
    ASSERT_EQ(OpenAnimation(animation.c_str()), RESULT_OK);
    EXPECT_EQ(StepFrames(g_document.objectMemoryHandles[0][0]), (std::vector<int>{0, 3, 9, 7}))
        << "opening changes nothing in the animation";
    EXPECT_EQ(g_document.animationState, 0);
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 1);
    EXPECT_EQ(StepFrames(g_document.objectMemoryHandles[0][0]), (std::vector<int>{0, 3, 4, 4}));
}

TEST_F(DocumentModel, ChoosingAnotherObjectKeepsTheLoadedFramesInTheirImageSet)
{
    ASSERT_EQ(WriteSequenceFixture(folder_.File("a.bmx"), {MakeStaticColorDib(8, 8, 1), MakeStaticColorDib(8, 8, 2)}, 0),
              RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(folder_.File("b.bmx"), {MakeStaticColorDib(12, 6, 3, 5)}, 0), RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("a.bmx").c_str(), 0), RESULT_OK);
    ASSERT_EQ(AddObjectWithFile(folder_.File("b.bmx")), 1);
    ASSERT_EQ(CurrentSequenceIndex(), 1);

    // The frame of b is painted and not saved.
    HBITMAP painted = g_appState.frameBitmaps[0];
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, painted);
    SetPixel(dc, 2, 2, RGB(255, 255, 255));
    SelectObject(dc, old);
    g_document.sequenceState |= DOC_MODIFIED;

    // Cancel at the question: nothing changes.
    {
        MessageBoxRecorder boxes(IDCANCEL);
        EXPECT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 0);
        EXPECT_EQ(g_document.currentObject, 1);
        EXPECT_EQ(g_appState.frameBitmaps[0], painted);
    }
    // No: a comes into the editor, and b's frame stays in b's image set.
    {
        MessageBoxRecorder boxes(IDNO);
        ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 1);
        EXPECT_EQ(boxes.Boxes().size(), 1u) << "the sequence's save question";
    }
    EXPECT_EQ(g_appState.frameCount, 2);
    EXPECT_EQ(g_appState.frameWidth, 8);
    const SequenceImages& kept = g_document.sequenceImages[1];
    EXPECT_EQ(kept.frameCount, 1);
    EXPECT_EQ(kept.width, 12);
    EXPECT_EQ(kept.height, 6);
    ASSERT_EQ(kept.frames[0], painted);
    ASSERT_EQ(GetObjectType(painted), static_cast<DWORD>(OBJ_BITMAP)) << "the painted frame was not thrown away";
    old = SelectObject(dc, painted);
    EXPECT_EQ(GetPixel(dc, 2, 2) & 0xFFFFFF, RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);

    // Back to b: it is read from its file again, the kept frame gives way.
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 1), 1);
    EXPECT_EQ(g_appState.frameWidth, 12);
    EXPECT_EQ(g_document.sequenceImages[0].frameCount, 2) << "a's frames are kept in turn";
}

TEST_F(DocumentModel, ThirteenthSequencesAndThirtyFirstObjectsAreRefused)
{
    ASSERT_EQ(WriteSequenceFixture(folder_.File("s.bmx"), {MakeStaticColorDib(8, 8, 1)}, 0), RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("s.bmx").c_str(), 0), RESULT_OK);
    // The region table follows the sequence table: it shows any overrun.
    g_document.regionTable[0] = {1, 2, 3, 4, 5};
    g_document.sequenceCount = MAX_SEQUENCES;
    {
        DialogAutoAnswer dialogs(DialogAutoAnswer::PressButton(IDOK));
        EXPECT_EQ(AddObject(nullptr, ADD_NEW_SEQUENCE), 0);
        EXPECT_EQ(AddObjectWithFile(folder_.File("s.bmx")), 0);
        EXPECT_TRUE(dialogs.Dialogs().empty());
    }
    EXPECT_EQ(g_document.sequenceCount, MAX_SEQUENCES);
    EXPECT_EQ(g_document.objectCount, 1);
    EXPECT_EQ(g_document.regionTable[0].x1, 2);
    EXPECT_EQ(AddObject(nullptr, ADD_EXISTING_SEQUENCE | 0), 1) << "an existing sequence still serves";
    EXPECT_EQ(AddObject(nullptr, ADD_EXISTING_SEQUENCE | 12), 0);
    EXPECT_EQ(AddObject(nullptr, 0x99), 0);

    g_document.objectCount = MAX_EDITOR_OBJECTS;
    memset(&g_document.objectTable[MAX_EDITOR_OBJECTS], 0x5A, sizeof(ObjectRecord));
    EXPECT_EQ(AddObject(nullptr, ADD_EXISTING_SEQUENCE | 0), 0);
    EXPECT_EQ(g_document.objectCount, MAX_EDITOR_OBJECTS);
    EXPECT_EQ(g_document.objectTable[MAX_EDITOR_OBJECTS].name[0], 0x5A);
    memset(&g_document.objectTable[MAX_EDITOR_OBJECTS], 0, sizeof(ObjectRecord));
    g_document.objectCount = 2;
}

TEST_F(DocumentModel, ANewObjectWithANewSequenceFromTheDialog)
{
    // Without a picture on the clipboard the dialog proposes the default frame.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    DialogAutoAnswer dialogs(DialogAutoAnswer::PressButton(IDOK));
    ASSERT_EQ(AddObject(nullptr, ADD_NEW_SEQUENCE), 1);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].caption, "New Frame Sequence");
    EXPECT_EQ(g_document.objectCount, 2);
    EXPECT_EQ(g_document.sequenceCount, 2);
    EXPECT_EQ(g_document.currentObject, 1);
    EXPECT_STREQ(g_document.objectTable[1].name, "Object 2");
    EXPECT_EQ(g_document.objectTable[1].sequenceIndex, 1);
    EXPECT_EQ(StoredName(1), folder_.File("Frames2.bmx"));
    EXPECT_EQ(g_document.sequenceTable[1].transparentColorCode, TRANSPARENT_NONE);
    EXPECT_EQ(g_document.sequenceTable[1].frameCount, 1);
    EXPECT_EQ(g_document.sequenceState, DOC_NEW);
    EXPECT_EQ(g_document.animationState, DOC_NEW) << "a new animation stays new while it changes";
    EXPECT_EQ(g_appState.frameCount, 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_256);
    EXPECT_EQ(g_appState.frameWidth, 128);
    EXPECT_EQ(g_document.frameRecords[0].frameState, FRAME_UNSET) << "the background alone is nothing to save";
    EXPECT_EQ(std::string(g_document.frameRecords[0].name), folder_.File("Frame%d.bmp"));
    {
        MessageBoxRecorder boxes(IDNO);
        EXPECT_EQ(QuerySaveFrames(nullptr, -1), 1);
        EXPECT_TRUE(boxes.Boxes().empty()) << "no frame to ask about";
    }

    // With the clipboard's picture in it, the first frame is modified.
    HGLOBAL dib = MakeStaticColorDib(8, 8, 4);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_DIB, dib);
    CloseClipboard();
    NewSequenceParams pasted{};
    pasted.colourFormat = COLORS_16;
    pasted.width = pasted.height = 8;
    pasted.transparentCode = TRANSPARENT_NONE;
    pasted.pasteClipboard = 1;
    FreeCurrentFrames();
    ASSERT_EQ(CreateSequence(pasted, 1), 1);
    EXPECT_TRUE(g_document.frameRecords[0].frameState & FRAME_MODIFIED);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(DocumentModel, FramesAddedFromAnotherFileTakeTheSequencesTransparentColour)
{
    // The sequence's transparent colour is static colour 6; the added file's is 2.
    ASSERT_EQ(WriteSequenceFixture(folder_.File("base.bmx"), {MakeStaticColorDib(8, 4, 1)}, 6), RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(folder_.File("more.bmx"), {MakeStaticColorDib(8, 4, 0, 2)}, 2), RESULT_OK);
    ASSERT_EQ(LoadFrameFile(folder_.File("base.bmx").c_str(), 0), RESULT_OK);
    EXPECT_EQ(g_document.sequenceState, 0);
    EXPECT_EQ(std::string(g_document.sequencePath), folder_.File("base.bmx"));
    ASSERT_EQ(LoadFrameFile(folder_.File("more.bmx").c_str(), 0), RESULT_OK);
    ASSERT_EQ(g_appState.frameCount, 2);
    EXPECT_EQ(g_document.sequenceState, DOC_MODIFIED);
    EXPECT_EQ(std::string(g_document.sequencePath), folder_.File("base.bmx")) << "the sequence keeps its file";
    EXPECT_EQ(g_document.sequenceTable[0].transparentColorCode, 6);
    EXPECT_EQ(EditorFrameRows(1, 4), std::vector<uint8_t>(4 * 4, 0x66));
}

}  // namespace
