// Checked reading and spinning of numbers in dialog fields.
#include "DialogUtilities.h"
#include <climits>
#include <cstdint>

namespace {

// Longer text than this is no number a field of the editor takes.
constexpr int FIELD_TEXT_LENGTH = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

enum class FieldText { Empty, LoneMinus, Other };

// The item's text, read whole into `buffer` (FIELD_TEXT_LENGTH characters).
// False when there is no such item or its text is too long to be a number.
bool ReadFieldText(HWND dialog, int item, char* buffer)
{
    HWND field = GetDlgItem(dialog, item);
    if (!field) return false;
    int length = GetWindowTextLengthA(field);
    if (length >= FIELD_TEXT_LENGTH) return false;
    if (GetWindowTextA(field, buffer, FIELD_TEXT_LENGTH) < 0) return false;
    buffer[FIELD_TEXT_LENGTH - 1] = '\0';
    return true;
}

FieldText ClassifyFieldText(const char* text)
{
    while (IsBlank(*text)) ++text;
    if (!*text) return FieldText::Empty;
    const char* end = text + 1;
    while (IsBlank(*end)) ++end;
    return (*text == '-' && !*end) ? FieldText::LoneMinus : FieldText::Other;
}

// Reads the item as a number; false when it holds none.
bool ReadFieldNumber(HWND dialog, int item, bool isSigned, int* value)
{
    char text[FIELD_TEXT_LENGTH];
    return ReadFieldText(dialog, item, text) && ParseFieldNumber(text, isSigned, value);
}

}  // namespace

bool ParseFieldNumber(const char* text, bool isSigned, int* value)
{
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '-' && isSigned) {
        negative = true;
        ++text;
    }
    if (*text < '0' || *text > '9') return false;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > int64_t{INT_MAX} + 1) return false;
    }
    while (IsBlank(*text)) ++text;
    if (*text) return false;
    int64_t number = negative ? -magnitude : magnitude;
    if (number > INT_MAX || number < INT_MIN) return false;
    *value = static_cast<int>(number);
    return true;
}

int GetRangedDlgInt(HWND dialog, int item, int minimum, int maximum, BOOL isSigned, int* errorCount)
{
    int value = 0;
    bool isNumber = ReadFieldNumber(dialog, item, isSigned != FALSE, &value);
    if ((!isNumber || value < minimum || value > maximum) && errorCount) ++*errorCount;
    return value;
}

int TryGetRangedDlgInt(HWND dialog, int item, int minimum, int maximum, BOOL isSigned, int* result)
{
    char text[FIELD_TEXT_LENGTH];
    if (!ReadFieldText(dialog, item, text)) return 0;
    int value = 0;
    switch (ClassifyFieldText(text)) {
    case FieldText::Empty:
        value = minimum < 0 ? 0 : minimum;
        break;
    case FieldText::LoneMinus:
        // Someone starting to type a negative number.
        if (!isSigned) return 0;
        value = 0;
        break;
    case FieldText::Other:
        if (!ParseFieldNumber(text, isSigned != FALSE, &value)) return 0;
        break;
    }
    if (value < minimum || value > maximum) return 0;
    if (result) *result = value;
    return 1;
}

int SpinDlgItemInt(HWND dialog, int item, int scrollCode, int minimum, int maximum)
{
    int value = -1;
    if (!ReadFieldNumber(dialog, item, true, &value)) value = -1;
    switch (scrollCode) {
    case SB_LINEUP:
    case SB_PAGEUP:
        // A step from below the range lands on its minimum, not below it.
        value = value < maximum ? (value + 1 < minimum ? minimum : value + 1) : maximum;
        break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
        value = value > minimum ? (value - 1 > maximum ? maximum : value - 1) : minimum;
        break;
    default:
        // Thumb and end-of-scroll codes move nothing: the text stays as typed.
        return value;
    }
    SetDlgItemInt(dialog, item, static_cast<UINT>(value), TRUE);
    return value;
}
